#pragma once

// The option groups: the settings of one format (or of all formats) an import or export carries.

#include <memory>
#include <set>
#include <string>
#include <type_traits>

#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_export.h"
#include "trx_api_option_enums.h"

namespace trx {

// How an option's value is handed over: scalars by value, the rest by const reference.
template <class T>
using OptionArg = std::conditional_t<std::is_scalar_v<T>, T, const T&>;

// Base of every option group: the two members that classify it.
class TRX_API IFormatOptions : public IJsonObject {
public:
    // Checks the classification against this group (logged, nothing changes).
    void readObject(const JsonValue& value) override;
    // Replaces value by an object holding "operation_type" and "format_type".
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    virtual EFormatType formatType() const = 0;
    virtual EOperationType operationType() const;

    // A fresh group of the class the classification of value names, read from value;
    // empty (with a log record) when there is none.
    static std::shared_ptr<IFormatOptions> readOptions(const JsonValue& value);
};

namespace imp {
class TRX_API FormatOptions : public IFormatOptions {
public:
    EOperationType operationType() const override;
};
}  // namespace imp

namespace exp {
class TRX_API FormatOptions : public IFormatOptions {
public:
    EOperationType operationType() const override;
};
}  // namespace exp

// ---- how a group is declared ----
// A group lists its options once, in wire order, as the X-macro TRX_OPTIONS(X):
//   X(Type, getter, setter, L"key", initial)      an empty initial value-initialises (0, false, "")
//   X##_SET(Item, getter, setter, adder, L"key")  a set of names, left out of the text when empty
// TRX_OPTION_GROUP makes of it the accessors, the members and the fields() list from which
// option_groups.cpp defines the JSON form and operator==.

#define TRX_OPTION_ACCESSORS(Type, getter, setter, key, initial)                                   \
    OptionArg<Type> getter() const { return m_##getter; }                                          \
    void setter(OptionArg<Type> v) { m_##getter = v; }
#define TRX_OPTION_MEMBER(Type, getter, setter, key, initial) Type m_##getter{initial};
#define TRX_OPTION_FIELD(Type, getter, setter, key, initial) f(key, s.m_##getter);

#define TRX_OPTION_ACCESSORS_SET(Item, getter, setter, adder, key)                                 \
    const std::set<Item>& getter() const { return m_##getter; }                                    \
    void setter(const std::set<Item>& v) { m_##getter = v; }                                       \
    void adder(Item v) { m_##getter.insert(v); }
#define TRX_OPTION_MEMBER_SET(Item, getter, setter, adder, key) std::set<Item> m_##getter;
#define TRX_OPTION_FIELD_SET(Item, getter, setter, adder, key) f(key, s.m_##getter, !s.m_##getter.empty());

#define TRX_OPTION_GROUP(Class, Format, OPTIONS)                                                   \
public:                                                                                            \
    static constexpr EFormatType kFormatType = EFormatType::Format;                                \
    EFormatType formatType() const override { return kFormatType; }                                \
    OPTIONS(TRX_OPTION_ACCESSORS)                                                                  \
    TRX_JSON_RECORD(Class) {                                                                       \
        (void)s, (void)f; /* a group may have no options */                                        \
        OPTIONS(TRX_OPTION_FIELD)                                                                  \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    OPTIONS(TRX_OPTION_MEMBER)

// ---- options several groups share, each spelt once ----

#define TRX_OPT_HIDDEN_ENTITIES(X) X(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode, L"hidden_entities_mode", )
#define TRX_OPT_SUPPRESSED_ENTITIES(X) X(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode, setSuppressedEntitiesMode, L"suppressed_entities_mode", )
#define TRX_OPT_VISU_PMI(X) X(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode, L"visu_pmi_mode", )
#define TRX_OPT_IMPORT_ENTITIES(X) X(EImportEntities, importEntities, setImportEntities, L"import_entities", )
#define TRX_OPT_IMPORT_GEOMETRY(X) X(bool, importGeometry, setImportGeometry, L"import_geometry", )
#define TRX_OPT_IMPORT_VISU(X) X(bool, importVisualization, setImportVisualization, L"import_visualization", )
#define TRX_OPT_IMPORT_ROOT_VISU(X) X(bool, importRootVisualization, setImportRootVisualization, L"import_root_visualization", )
#define TRX_OPT_IMPORT_PREVIEW(X) X(bool, importPreviewGraphics, setImportPreviewGraphics, L"import_preview_graphics", )
#define TRX_OPT_SEARCH_PATHS(X) X(std::wstring, assemblySearchPaths, setAssemblySearchPaths, L"search_paths", )
#define TRX_OPT_PATH_PREF(X) X(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference, L"assembly_path_pref", )
#define TRX_OPT_CONFIGURATION(X) X(std::wstring, importConfiguration, setImportConfiguration, L"configuration_name", )
#define TRX_OPT_PNAME_MODES(X) X##_SET(EPersistentNameProcessingModeType, persistentNameModes, setPersistentNameModes, addPersistentNameMode, L"pname_modes")
#define TRX_OPT_UNITS(X) X(ELengthUnitType, units, setUnits, L"units", ELengthUnitType::millimeter)
#define TRX_OPT_PMI_CONTAINER(X) X(EGraphicalPMIContainerMode, graphicalPMIContainerMode, setGraphicalPMIContainerMode, L"graphical_pmi_container_mode", )

// ---- common groups (operation "options") ----

#define TRX_OPTIONS(X) \
    X(ELogEventLevelType, logEventLevel, setLogEventLevel, L"log_event_level_type", ) \
    X(ELogFileEncodingType, logFileEncoding, setLogFileEncoding, L"log_file_encoding_type", ) \
    X(std::wstring, logFileName, setLogFileName, L"log_file_name", ) \
    X(ELoggingModeType, loggingMode, setLoggingMode, L"logging_mode_type", ) \
    X(std::wstring, loggingOutputDirectory, setLoggingOutputDirectory, L"logging_output_directory", ) \
    X(EMemoryManagementModeFlags, memoryManagementMode, setMemoryManagementMode, L"memory_management_mode", EMemoryManagementModeFlags::unknown)
class TRX_API OptionsGeneral : public IFormatOptions { TRX_OPTION_GROUP(OptionsGeneral, general, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(double, tesselation2DSagValue, setTesselation2DSagValue, L"tesselation_2d_sag_value", ) \
    X(double, tesselation3DSagValue, setTesselation3DSagValue, L"tesselation_3d_sag_value", ) \
    X(ETranslateReferenceGeometryMode, translateReferenceGeometryMode, setTranslateReferenceGeometryMode, L"translate_reference_geometry_mode", ) \
    X(EVisuBRepTessellationModeType, visuBRepTessellationMode, setVisuBRepTessellationMode, L"visu_brep_tesselation_mode", ) \
    X(EVisuTextDataMode, visuTextDataMode, setVisuTextDataMode, L"visu_text_data_mode", EVisuTextDataMode::as_string) \
    X(EVisuTextStrokingMode, visuTextStrokingMode, setVisuTextStrokingMode, L"visu_text_stroking_mode", )
class TRX_API OptionsGraphical : public IFormatOptions { TRX_OPTION_GROUP(OptionsGraphical, graphical, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EFeatureToleranceProcessingModeType, featureToleranceProcessingMode, setFeatureToleranceProcessingMode, L"feature_tolerance_processing_mode", ) \
    X(EMiscDataProcessingModeType, miscDataProcessingMode, setMiscDataProcessingMode, L"misc_data_processing_mode", )
class TRX_API OptionsMechanical : public IFormatOptions { TRX_OPTION_GROUP(OptionsMechanical, mechanical, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EAcisSplineResurfacingModeType, acisSplineResurfacingMode, setAcisSplineResurfacingMode, L"acis_spline_resurfacing_mode", ) \
    X(double, splineResurfacingTolerance, setSplineResurfacingTolerance, L"acis_spline_resurfacing_tolerance", ) \
    X(EAttributeProcessingModeType, attributeProcessingMode, setAttributeProcessingMode, L"attribute_processing_mode", ) \
    X(EAcisHealType, acisHealType, setAcisHealType, L"acis_heal_type", ) \
    X(ELengthUnitType, modelerUnits, setModelerUnits, L"length_unit_type", ) \
    X(EPreserveMfgModeType, preserveMfgMode, setPreserveMfgMode, L"preserve_mfg_mode", ) \
    X(EPreserveModelAssociativityModeType, preserveModelAssociativityMode, setPreserveModelAssociativityMode, L"preserve_model_associativity_mode", ) \
    X(EPreservePMIModeType, preservePMIMode, setPreservePMIMode, L"preserve_pmi_mode", ) \
    X(ETopologicalEntityInspectorModeType, topologicalEntityInspectorMode, setTopologicalEntityInspectorMode, L"topological_entity_inspector_mode", )
class TRX_API OptionsModeler : public IFormatOptions { TRX_OPTION_GROUP(OptionsModeler, modeler, TRX_OPTIONS) };
#undef TRX_OPTIONS

// ---- import groups ----

namespace imp {

#define TRX_OPTIONS(X) \
    TRX_OPT_VISU_PMI(X)
class TRX_API Options3DXML : public FormatOptions { TRX_OPTION_GROUP(Options3DXML, XML_3D, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_ENTITIES(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    X(std::wstring, layerFilter, setLayerFilter, L"layer_filter", )
class TRX_API OptionsCatiaV4 : public FormatOptions { TRX_OPTION_GROUP(OptionsCatiaV4, CatiaV4, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_PATH_PREF(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_IMPORT_PREVIEW(X) \
    X(EProcessInWorkObjectModeType, processInWorkObject, setProcessInWorkObject, L"in_work_object_mode", ) \
    X(ENameProcessingModeType, nameProcessingMode, setNameProcessingMode, L"name_processing_mode", ) \
    X(EAssemblyUnfoldedViewMode, assemblyUnfoldedViewMode, setAssemblyUnfoldedViewMode, L"assembly_unfolded_view_mode", ) \
    X(EImportMfgProcessingModeType, mfgProcessingMode, setMfgProcessingMode, L"mfg_processing_mode", ) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_SUPPRESSED_ENTITIES(X) \
    TRX_OPT_VISU_PMI(X) \
    X(EProcessMfgDataModeType, processMfgDataMode, setProcessMfgDataMode, L"mfg_data_mode", ) \
    X(EDocumentDelayLoadingMode, documentDelayLoadingMode, setDocumentDelayLoadingMode, L"doc_delay_loading_mode", ) \
    X(EEdgeAttributeModeType, edgeAttributeMode, setEdgeAttributeMode, L"edge_attribute_mode", EEdgeAttributeModeType::none) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsCatiaV5 : public FormatOptions { TRX_OPTION_GROUP(OptionsCatiaV5, CatiaV5, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_VISU_PMI(X)
class TRX_API OptionsCatiaV5Drawing : public FormatOptions { TRX_OPTION_GROUP(OptionsCatiaV5Drawing, CatiaV5Drawing, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(std::wstring, alternateSearchPaths, setAlternateSearchPaths, L"search_paths", ) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_IMPORT_PREVIEW(X) \
    TRX_OPT_CONFIGURATION(X) \
    X(EImportMfgHolesOnSheetsMode, mfgHolesOnSheetsMode, setMfgHolesOnSheetsMode, L"holes_on_sheets_mode", ) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_SUPPRESSED_ENTITIES(X) \
    TRX_OPT_VISU_PMI(X) \
    X(ETranslateDrivingDimensionsModeType, translateDrivingDimensionsMode, setTranslateDrivingDimensionsMode, L"driving_dimensions_type", ) \
    X(ETranslateConstructionGeometriesModeType, translateConstructionGeometriesMode, setTranslateConstructionGeometriesMode, L"construction_geom_mode", ) \
    X(ETranslateReferenceGeometryMode, translateReferenceGeometryMode, setTranslateReferenceGeometryMode, L"reference_geom_mode", ) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsCreo : public FormatOptions { TRX_OPTION_GROUP(OptionsCreo, Creo, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_ENTITIES(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    X(ECopiousDataModeType, copiousDataMode, setCopiousDataMode, L"copious_data_mode", ECopiousDataModeType::single_b_spline) \
    X(ETrimCurveImportPreferenceModeType, trimCurveImportPreferenceMode, setTrimCurveImportPreferenceMode, L"trim_curve_import_pref_mode", ETrimCurveImportPreferenceModeType::from_source)
class TRX_API OptionsIGES : public FormatOptions { TRX_OPTION_GROUP(OptionsIGES, IGES, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_SEARCH_PATHS(X) \
    TRX_OPT_PATH_PREF(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_IMPORT_PREVIEW(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_SUPPRESSED_ENTITIES(X) \
    X(EActiveStateProcessingModeType, activeStateProcessingMode, setActiveStateProcessingMode, L"active_state_mode", ) \
    TRX_OPT_VISU_PMI(X) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsInventor : public FormatOptions { TRX_OPTION_GROUP(OptionsInventor, Inventor, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_GEOMETRY(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    X(EImportEdgesModeType, importEdgesMode, setImportEdgesMode, L"edges_mode", ) \
    X(EUserPropertiesModeType, userPropertiesMode, setUserPropertiesMode, L"user_prop_mode", ) \
    TRX_OPT_VISU_PMI(X) \
    X(std::wstring, importVisuLOD, setImportVisuLOD, L"import_visu_lod", )
class TRX_API OptionsJT : public FormatOptions { TRX_OPTION_GROUP(OptionsJT, JT, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_GEOMETRY(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_SEARCH_PATHS(X) \
    TRX_OPT_PATH_PREF(X) \
    TRX_OPT_CONFIGURATION(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_SUPPRESSED_ENTITIES(X) \
    X(ETranslateFreeCurvesModeType, translateFreeCurvesMode, setTranslateFreeCurvesMode, L"translate_free_curves_mode", ) \
    X(ETranslateFreePointsModeType, translateFreePointsMode, setTranslateFreePointsMode, L"translate_free_points_mode", ) \
    TRX_OPT_VISU_PMI(X) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsNX : public FormatOptions { TRX_OPTION_GROUP(OptionsNX, NX, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_HIDDEN_ENTITIES(X)
class TRX_API OptionsParasolid : public FormatOptions { TRX_OPTION_GROUP(OptionsParasolid, parasolid, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_SEARCH_PATHS(X) \
    TRX_OPT_PATH_PREF(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_IMPORT_PREVIEW(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_VISU_PMI(X) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsSolidEdge : public FormatOptions { TRX_OPTION_GROUP(OptionsSolidEdge, SolidEdge, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_IMPORT_PREVIEW(X) \
    TRX_OPT_SEARCH_PATHS(X) \
    TRX_OPT_PATH_PREF(X) \
    TRX_OPT_CONFIGURATION(X) \
    TRX_OPT_HIDDEN_ENTITIES(X) \
    TRX_OPT_SUPPRESSED_ENTITIES(X) \
    X(EImportProductStructureRepresentationMode, productStructureMode, setProductStructureMode, L"product_structure_mode", ) \
    TRX_OPT_VISU_PMI(X) \
    TRX_OPT_PNAME_MODES(X)
class TRX_API OptionsSolidWorks : public FormatOptions { TRX_OPTION_GROUP(OptionsSolidWorks, SolidWorks, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X)
class TRX_API OptionsSolidWorksDrawing : public FormatOptions { TRX_OPTION_GROUP(OptionsSolidWorksDrawing, SolidWorksDrawing, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_GEOMETRY(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    X(ELayerNameProcessingModeType, layerNameProcessingMode, setLayerNameProcessingMode, L"layer_name_mode", ) \
    TRX_OPT_VISU_PMI(X)
class TRX_API OptionsSTEP : public FormatOptions { TRX_OPTION_GROUP(OptionsSTEP, STEP, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_IMPORT_GEOMETRY(X) \
    TRX_OPT_IMPORT_VISU(X) \
    TRX_OPT_IMPORT_ROOT_VISU(X) \
    TRX_OPT_VISU_PMI(X)
class TRX_API OptionsXCGM : public FormatOptions { TRX_OPTION_GROUP(OptionsXCGM, XCGM, TRX_OPTIONS) };
#undef TRX_OPTIONS

}  // namespace imp

// ---- export groups ----

namespace exp {

#define TRX_OPTIONS(X) \
    X(EDefaultColorMode, defaultColorMode, setDefaultColorMode, L"default_color_mode", ) \
    TRX_OPT_PMI_CONTAINER(X)
class TRX_API Options3DXML : public FormatOptions { TRX_OPTION_GROUP(Options3DXML, XML_3D, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EExportVersionAcis, version, setVersion, L"version", EExportVersionAcis::current) \
    TRX_OPT_UNITS(X)
class TRX_API OptionsAcis : public FormatOptions { TRX_OPTION_GROUP(OptionsAcis, ACIS, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(std::wstring, authorName, setAuthorName, L"author_name", ) \
    X(std::wstring, modelName, setModelName, L"model_name", ) \
    X(EExportVersionCatiaV4, version, setVersion, L"version", ) \
    X(EEdgeCurveMode, edgeCurveMode, setEdgeCurveMode, L"edge_curve_mode", )
class TRX_API OptionsCatiaV4 : public FormatOptions { TRX_OPTION_GROUP(OptionsCatiaV4, CatiaV4, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EExportVersionCatiaV5, version, setVersion, L"version", EExportVersionCatiaV5::current) \
    X(EDefaultColorMode, graphicalDefaultColorMode, setGraphicalDefaultColorMode, L"default_color_mode", EDefaultColorMode::catiav5) \
    X(EExportCgrCompatibilityMode, cgrCompatibilityMode, setCgrCompatibilityMode, L"cgr_compatibility_mode", )
class TRX_API OptionsCatiaV5 : public FormatOptions { TRX_OPTION_GROUP(OptionsCatiaV5, CatiaV5, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_UNITS(X)
class TRX_API OptionsIGES : public FormatOptions { TRX_OPTION_GROUP(OptionsIGES, IGES, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EExportVersionParasolid, version, setVersion, L"version", EExportVersionParasolid::current)
class TRX_API OptionsParasolid : public FormatOptions { TRX_OPTION_GROUP(OptionsParasolid, parasolid, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    TRX_OPT_UNITS(X) \
    X(EExportVersionStep, version, setVersion, L"version", EExportVersionStep::AP242) \
    X(double, fileTolerance, setFileTolerance, L"tolerance", 1e-6) \
    X(ELayerNameProcessingModeType, layerNameProcessingMode, setLayerNameProcessingMode, L"layer_name_mode", ELayerNameProcessingModeType::asm_rep)
class TRX_API OptionsSTEP : public FormatOptions { TRX_OPTION_GROUP(OptionsSTEP, STEP, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EExportVersionXCGM, version, setVersion, L"version", EExportVersionXCGM::current) \
    X(EDefaultColorMode, graphicalDefaultColorMode, setGraphicalDefaultColorMode, L"default_color_mode", ) \
    TRX_OPT_PMI_CONTAINER(X)
class TRX_API OptionsXCGM : public FormatOptions { TRX_OPTION_GROUP(OptionsXCGM, XCGM, TRX_OPTIONS) };
#undef TRX_OPTIONS

#define TRX_OPTIONS(X) \
    X(EExportSaveMode, saveMode, setSaveMode, L"save_mode", )
class TRX_API OptionsSTL : public FormatOptions { TRX_OPTION_GROUP(OptionsSTL, STL, TRX_OPTIONS) };
#undef TRX_OPTIONS

// The background colour travels as the colour's own JSON form (null for no colour).
#define TRX_OPTIONS(X) \
    X(ExcColor, backgroundColor, setBackgroundColor, L"color", )
class TRX_API OptionsPDF : public FormatOptions { TRX_OPTION_GROUP(OptionsPDF, PDF_3D, TRX_OPTIONS) };
#undef TRX_OPTIONS

}  // namespace exp

#undef TRX_OPT_HIDDEN_ENTITIES
#undef TRX_OPT_SUPPRESSED_ENTITIES
#undef TRX_OPT_VISU_PMI
#undef TRX_OPT_IMPORT_ENTITIES
#undef TRX_OPT_IMPORT_GEOMETRY
#undef TRX_OPT_IMPORT_VISU
#undef TRX_OPT_IMPORT_ROOT_VISU
#undef TRX_OPT_IMPORT_PREVIEW
#undef TRX_OPT_SEARCH_PATHS
#undef TRX_OPT_PATH_PREF
#undef TRX_OPT_CONFIGURATION
#undef TRX_OPT_PNAME_MODES
#undef TRX_OPT_UNITS
#undef TRX_OPT_PMI_CONTAINER

#undef TRX_OPTION_GROUP
#undef TRX_OPTION_ACCESSORS
#undef TRX_OPTION_MEMBER
#undef TRX_OPTION_FIELD
#undef TRX_OPTION_ACCESSORS_SET
#undef TRX_OPTION_MEMBER_SET
#undef TRX_OPTION_FIELD_SET

}  // namespace trx
