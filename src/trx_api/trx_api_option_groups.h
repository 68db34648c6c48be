#pragma once

// The option groups: the settings of one format (or of all formats) an import or export carries.

#include <memory>
#include <string>

#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_export.h"
#include "trx_api_option_enums.h"

namespace trx {

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

// What every group declares. Its JSON form is the classification followed by the keys its
// static fields() lists, in that order; comparison runs over the same list.
#define TRX_OPTION_GROUP(Class, Format)                                                   \
public:                                                                                   \
    static constexpr EFormatType kFormatType = EFormatType::Format;                       \
    EFormatType formatType() const override { return kFormatType; }                       \
    void readObject(const JsonValue& value) override;                                     \
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;          \
    bool operator==(const Class& other) const;                                            \
    bool operator!=(const Class& other) const { return !(*this == other); }

// Accessors of one member.
#define TRX_OPT_BOOL(getter, setter, member)                                              \
    bool getter() const { return member; }                                                \
    void setter(bool v) { member = v; }
#define TRX_OPT_VALUE(Type, getter, setter, member)                                       \
    Type getter() const { return member; }                                                \
    void setter(Type v) { member = v; }
#define TRX_OPT_STRING(getter, setter, member)                                            \
    const std::wstring& getter() const { return member; }                                 \
    void setter(const std::wstring& v) { member = v; }
#define TRX_OPT_PNAME_MODES                                                               \
    const PersistentNameModes& persistentNameModes() const { return m_pnameModes; }       \
    void setPersistentNameModes(const PersistentNameModes& v) { m_pnameModes = v; }       \
    void addPersistentNameMode(EPersistentNameProcessingModeType v) { m_pnameModes.insert(v); }

// ---- common groups (operation "options") ----

class TRX_API OptionsGeneral : public IFormatOptions {
    TRX_OPTION_GROUP(OptionsGeneral, general)
    TRX_OPT_VALUE(ELogEventLevelType, logEventLevel, setLogEventLevel, m_logEventLevel)
    TRX_OPT_VALUE(ELogFileEncodingType, logFileEncoding, setLogFileEncoding, m_logFileEncoding)
    TRX_OPT_STRING(logFileName, setLogFileName, m_logFileName)
    TRX_OPT_VALUE(ELoggingModeType, loggingMode, setLoggingMode, m_loggingMode)
    TRX_OPT_STRING(loggingOutputDirectory, setLoggingOutputDirectory, m_loggingOutputDirectory)
    TRX_OPT_VALUE(EMemoryManagementModeFlags, memoryManagementMode, setMemoryManagementMode,
                  m_memoryManagementMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"log_event_level_type", s.m_logEventLevel);
        f(L"log_file_encoding_type", s.m_logFileEncoding);
        f(L"log_file_name", s.m_logFileName);
        f(L"logging_mode_type", s.m_loggingMode);
        f(L"logging_output_directory", s.m_loggingOutputDirectory);
        f(L"memory_management_mode", s.m_memoryManagementMode);
    }

private:
    ELogEventLevelType m_logEventLevel = ELogEventLevelType::unknown;
    ELogFileEncodingType m_logFileEncoding = ELogFileEncodingType::unknown;
    std::wstring m_logFileName;
    ELoggingModeType m_loggingMode = ELoggingModeType::unknown;
    std::wstring m_loggingOutputDirectory;
    EMemoryManagementModeFlags m_memoryManagementMode = EMemoryManagementModeFlags::unknown;
};

class TRX_API OptionsGraphical : public IFormatOptions {
    TRX_OPTION_GROUP(OptionsGraphical, graphical)
    TRX_OPT_VALUE(double, tesselation2DSagValue, setTesselation2DSagValue, m_sag2D)
    TRX_OPT_VALUE(double, tesselation3DSagValue, setTesselation3DSagValue, m_sag3D)
    TRX_OPT_VALUE(ETranslateReferenceGeometryMode, translateReferenceGeometryMode,
                  setTranslateReferenceGeometryMode, m_referenceGeometryMode)
    TRX_OPT_VALUE(EVisuBRepTessellationModeType, visuBRepTessellationMode,
                  setVisuBRepTessellationMode, m_brepTessellationMode)
    TRX_OPT_VALUE(EVisuTextDataMode, visuTextDataMode, setVisuTextDataMode, m_textDataMode)
    TRX_OPT_VALUE(EVisuTextStrokingMode, visuTextStrokingMode, setVisuTextStrokingMode,
                  m_textStrokingMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"tesselation_2d_sag_value", s.m_sag2D);
        f(L"tesselation_3d_sag_value", s.m_sag3D);
        f(L"translate_reference_geometry_mode", s.m_referenceGeometryMode);
        f(L"visu_brep_tesselation_mode", s.m_brepTessellationMode);
        f(L"visu_text_data_mode", s.m_textDataMode);
        f(L"visu_text_stroking_mode", s.m_textStrokingMode);
    }

private:
    double m_sag2D = 0.0;
    double m_sag3D = 0.0;
    ETranslateReferenceGeometryMode m_referenceGeometryMode =
        ETranslateReferenceGeometryMode::unknown;
    EVisuBRepTessellationModeType m_brepTessellationMode = EVisuBRepTessellationModeType::unknown;
    EVisuTextDataMode m_textDataMode = EVisuTextDataMode::as_string;
    EVisuTextStrokingMode m_textStrokingMode = EVisuTextStrokingMode::unknown;
};

class TRX_API OptionsMechanical : public IFormatOptions {
    TRX_OPTION_GROUP(OptionsMechanical, mechanical)
    TRX_OPT_VALUE(EFeatureToleranceProcessingModeType, featureToleranceProcessingMode,
                  setFeatureToleranceProcessingMode, m_featureToleranceMode)
    TRX_OPT_VALUE(EMiscDataProcessingModeType, miscDataProcessingMode, setMiscDataProcessingMode,
                  m_miscDataMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"feature_tolerance_processing_mode", s.m_featureToleranceMode);
        f(L"misc_data_processing_mode", s.m_miscDataMode);
    }

private:
    EFeatureToleranceProcessingModeType m_featureToleranceMode =
        EFeatureToleranceProcessingModeType::unknown;
    EMiscDataProcessingModeType m_miscDataMode = EMiscDataProcessingModeType::unknown;
};

class TRX_API OptionsModeler : public IFormatOptions {
    TRX_OPTION_GROUP(OptionsModeler, modeler)
    TRX_OPT_VALUE(EAcisSplineResurfacingModeType, acisSplineResurfacingMode,
                  setAcisSplineResurfacingMode, m_splineResurfacingMode)
    TRX_OPT_VALUE(double, splineResurfacingTolerance, setSplineResurfacingTolerance,
                  m_splineResurfacingTolerance)
    TRX_OPT_VALUE(EAttributeProcessingModeType, attributeProcessingMode,
                  setAttributeProcessingMode, m_attributeMode)
    TRX_OPT_VALUE(EAcisHealType, acisHealType, setAcisHealType, m_healType)
    TRX_OPT_VALUE(ELengthUnitType, modelerUnits, setModelerUnits, m_units)
    TRX_OPT_VALUE(EPreserveMfgModeType, preserveMfgMode, setPreserveMfgMode, m_mfgMode)
    TRX_OPT_VALUE(EPreserveModelAssociativityModeType, preserveModelAssociativityMode,
                  setPreserveModelAssociativityMode, m_associativityMode)
    TRX_OPT_VALUE(EPreservePMIModeType, preservePMIMode, setPreservePMIMode, m_pmiMode)
    TRX_OPT_VALUE(ETopologicalEntityInspectorModeType, topologicalEntityInspectorMode,
                  setTopologicalEntityInspectorMode, m_inspectorMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"acis_spline_resurfacing_mode", s.m_splineResurfacingMode);
        f(L"acis_spline_resurfacing_tolerance", s.m_splineResurfacingTolerance);
        f(L"attribute_processing_mode", s.m_attributeMode);
        f(L"acis_heal_type", s.m_healType);
        f(L"length_unit_type", s.m_units);
        f(L"preserve_mfg_mode", s.m_mfgMode);
        f(L"preserve_model_associativity_mode", s.m_associativityMode);
        f(L"preserve_pmi_mode", s.m_pmiMode);
        f(L"topological_entity_inspector_mode", s.m_inspectorMode);
    }

private:
    EAcisSplineResurfacingModeType m_splineResurfacingMode =
        EAcisSplineResurfacingModeType::unknown;
    double m_splineResurfacingTolerance = 0.0;
    EAttributeProcessingModeType m_attributeMode = EAttributeProcessingModeType::unknown;
    EAcisHealType m_healType = EAcisHealType::unknown;
    ELengthUnitType m_units = ELengthUnitType::unknown;
    EPreserveMfgModeType m_mfgMode = EPreserveMfgModeType::unknown;
    EPreserveModelAssociativityModeType m_associativityMode =
        EPreserveModelAssociativityModeType::unknown;
    EPreservePMIModeType m_pmiMode = EPreservePMIModeType::unknown;
    ETopologicalEntityInspectorModeType m_inspectorMode =
        ETopologicalEntityInspectorModeType::unknown;
};

// ---- import groups ----

namespace imp {

class TRX_API Options3DXML : public FormatOptions {
    TRX_OPTION_GROUP(Options3DXML, XML_3D)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"visu_pmi_mode", s.m_visuPMIMode);
    }

private:
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
};

class TRX_API OptionsCatiaV4 : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCatiaV4, CatiaV4)
    TRX_OPT_VALUE(EImportEntities, importEntities, setImportEntities, m_importEntities)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_STRING(layerFilter, setLayerFilter, m_layerFilter)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_entities", s.m_importEntities);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"layer_filter", s.m_layerFilter);
    }

private:
    EImportEntities m_importEntities = EImportEntities::unknown;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    std::wstring m_layerFilter;
};

class TRX_API OptionsCatiaV5 : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCatiaV5, CatiaV5)
    TRX_OPT_VALUE(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference,
                  m_assemblyPathPref)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_BOOL(importPreviewGraphics, setImportPreviewGraphics, m_importPreviewGraphics)
    TRX_OPT_VALUE(EProcessInWorkObjectModeType, processInWorkObject, setProcessInWorkObject,
                  m_inWorkObjectMode)
    TRX_OPT_VALUE(ENameProcessingModeType, nameProcessingMode, setNameProcessingMode,
                  m_nameProcessingMode)
    TRX_OPT_VALUE(EAssemblyUnfoldedViewMode, assemblyUnfoldedViewMode,
                  setAssemblyUnfoldedViewMode, m_assemblyUnfoldedViewMode)
    TRX_OPT_VALUE(EImportMfgProcessingModeType, mfgProcessingMode, setMfgProcessingMode,
                  m_mfgProcessingMode)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode,
                  setSuppressedEntitiesMode, m_suppressedEntitiesMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_VALUE(EProcessMfgDataModeType, processMfgDataMode, setProcessMfgDataMode,
                  m_mfgDataMode)
    TRX_OPT_VALUE(EDocumentDelayLoadingMode, documentDelayLoadingMode, setDocumentDelayLoadingMode,
                  m_docDelayLoadingMode)
    TRX_OPT_VALUE(EEdgeAttributeModeType, edgeAttributeMode, setEdgeAttributeMode,
                  m_edgeAttributeMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"assembly_path_pref", s.m_assemblyPathPref);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"import_preview_graphics", s.m_importPreviewGraphics);
        f(L"in_work_object_mode", s.m_inWorkObjectMode);
        f(L"name_processing_mode", s.m_nameProcessingMode);
        f(L"assembly_unfolded_view_mode", s.m_assemblyUnfoldedViewMode);
        f(L"mfg_processing_mode", s.m_mfgProcessingMode);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"suppressed_entities_mode", s.m_suppressedEntitiesMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"mfg_data_mode", s.m_mfgDataMode);
        f(L"doc_delay_loading_mode", s.m_docDelayLoadingMode);
        f(L"edge_attribute_mode", s.m_edgeAttributeMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    EAssemblyPathPrefType m_assemblyPathPref = EAssemblyPathPrefType::unknown;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    bool m_importPreviewGraphics = false;
    EProcessInWorkObjectModeType m_inWorkObjectMode = EProcessInWorkObjectModeType::unknown;
    ENameProcessingModeType m_nameProcessingMode = ENameProcessingModeType::unknown;
    EAssemblyUnfoldedViewMode m_assemblyUnfoldedViewMode = EAssemblyUnfoldedViewMode::unknown;
    EImportMfgProcessingModeType m_mfgProcessingMode = EImportMfgProcessingModeType::unknown;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ETranslateSuppressedEntitiesModeType m_suppressedEntitiesMode =
        ETranslateSuppressedEntitiesModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    EProcessMfgDataModeType m_mfgDataMode = EProcessMfgDataModeType::unknown;
    EDocumentDelayLoadingMode m_docDelayLoadingMode = EDocumentDelayLoadingMode::none;
    EEdgeAttributeModeType m_edgeAttributeMode = EEdgeAttributeModeType::none;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsCatiaV5Drawing : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCatiaV5Drawing, CatiaV5Drawing)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
    }

private:
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
};

class TRX_API OptionsCreo : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCreo, Creo)
    TRX_OPT_STRING(alternateSearchPaths, setAlternateSearchPaths, m_searchPaths)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_BOOL(importPreviewGraphics, setImportPreviewGraphics, m_importPreviewGraphics)
    TRX_OPT_STRING(importConfiguration, setImportConfiguration, m_configurationName)
    TRX_OPT_VALUE(EImportMfgHolesOnSheetsMode, mfgHolesOnSheetsMode, setMfgHolesOnSheetsMode,
                  m_holesOnSheetsMode)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode,
                  setSuppressedEntitiesMode, m_suppressedEntitiesMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_VALUE(ETranslateDrivingDimensionsModeType, translateDrivingDimensionsMode,
                  setTranslateDrivingDimensionsMode, m_drivingDimensionsMode)
    TRX_OPT_VALUE(ETranslateConstructionGeometriesModeType, translateConstructionGeometriesMode,
                  setTranslateConstructionGeometriesMode, m_constructionGeomMode)
    TRX_OPT_VALUE(ETranslateReferenceGeometryMode, translateReferenceGeometryMode,
                  setTranslateReferenceGeometryMode, m_referenceGeomMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"search_paths", s.m_searchPaths);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"import_preview_graphics", s.m_importPreviewGraphics);
        f(L"configuration_name", s.m_configurationName);
        f(L"holes_on_sheets_mode", s.m_holesOnSheetsMode);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"suppressed_entities_mode", s.m_suppressedEntitiesMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"driving_dimensions_type", s.m_drivingDimensionsMode);
        f(L"construction_geom_mode", s.m_constructionGeomMode);
        f(L"reference_geom_mode", s.m_referenceGeomMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    std::wstring m_searchPaths;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    bool m_importPreviewGraphics = false;
    std::wstring m_configurationName;
    EImportMfgHolesOnSheetsMode m_holesOnSheetsMode = EImportMfgHolesOnSheetsMode::unknown;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ETranslateSuppressedEntitiesModeType m_suppressedEntitiesMode =
        ETranslateSuppressedEntitiesModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    ETranslateDrivingDimensionsModeType m_drivingDimensionsMode =
        ETranslateDrivingDimensionsModeType::unknown;
    ETranslateConstructionGeometriesModeType m_constructionGeomMode =
        ETranslateConstructionGeometriesModeType::unknown;
    ETranslateReferenceGeometryMode m_referenceGeomMode = ETranslateReferenceGeometryMode::unknown;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsIGES : public FormatOptions {
    TRX_OPTION_GROUP(OptionsIGES, IGES)
    TRX_OPT_VALUE(EImportEntities, importEntities, setImportEntities, m_importEntities)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ECopiousDataModeType, copiousDataMode, setCopiousDataMode, m_copiousDataMode)
    TRX_OPT_VALUE(ETrimCurveImportPreferenceModeType, trimCurveImportPreferenceMode,
                  setTrimCurveImportPreferenceMode, m_trimCurveImportPrefMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_entities", s.m_importEntities);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"copious_data_mode", s.m_copiousDataMode);
        f(L"trim_curve_import_pref_mode", s.m_trimCurveImportPrefMode);
    }

private:
    EImportEntities m_importEntities = EImportEntities::unknown;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ECopiousDataModeType m_copiousDataMode = ECopiousDataModeType::single_b_spline;
    ETrimCurveImportPreferenceModeType m_trimCurveImportPrefMode =
        ETrimCurveImportPreferenceModeType::from_source;
};

class TRX_API OptionsInventor : public FormatOptions {
    TRX_OPTION_GROUP(OptionsInventor, Inventor)
    TRX_OPT_STRING(assemblySearchPaths, setAssemblySearchPaths, m_searchPaths)
    TRX_OPT_VALUE(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference,
                  m_assemblyPathPref)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_BOOL(importPreviewGraphics, setImportPreviewGraphics, m_importPreviewGraphics)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode,
                  setSuppressedEntitiesMode, m_suppressedEntitiesMode)
    TRX_OPT_VALUE(EActiveStateProcessingModeType, activeStateProcessingMode,
                  setActiveStateProcessingMode, m_activeStateMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"search_paths", s.m_searchPaths);
        f(L"assembly_path_pref", s.m_assemblyPathPref);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"import_preview_graphics", s.m_importPreviewGraphics);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"suppressed_entities_mode", s.m_suppressedEntitiesMode);
        f(L"active_state_mode", s.m_activeStateMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    std::wstring m_searchPaths;
    EAssemblyPathPrefType m_assemblyPathPref = EAssemblyPathPrefType::unknown;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    bool m_importPreviewGraphics = false;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ETranslateSuppressedEntitiesModeType m_suppressedEntitiesMode =
        ETranslateSuppressedEntitiesModeType::unknown;
    EActiveStateProcessingModeType m_activeStateMode = EActiveStateProcessingModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsJT : public FormatOptions {
    TRX_OPTION_GROUP(OptionsJT, JT)
    TRX_OPT_BOOL(importGeometry, setImportGeometry, m_importGeometry)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_VALUE(EImportEdgesModeType, importEdgesMode, setImportEdgesMode, m_edgesMode)
    TRX_OPT_VALUE(EUserPropertiesModeType, userPropertiesMode, setUserPropertiesMode,
                  m_userPropMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_STRING(importVisuLOD, setImportVisuLOD, m_importVisuLOD)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_geometry", s.m_importGeometry);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"edges_mode", s.m_edgesMode);
        f(L"user_prop_mode", s.m_userPropMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"import_visu_lod", s.m_importVisuLOD);
    }

private:
    bool m_importGeometry = false;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    EImportEdgesModeType m_edgesMode = EImportEdgesModeType::unknown;
    EUserPropertiesModeType m_userPropMode = EUserPropertiesModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    std::wstring m_importVisuLOD;
};

class TRX_API OptionsNX : public FormatOptions {
    TRX_OPTION_GROUP(OptionsNX, NX)
    TRX_OPT_BOOL(importGeometry, setImportGeometry, m_importGeometry)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_STRING(assemblySearchPaths, setAssemblySearchPaths, m_searchPaths)
    TRX_OPT_VALUE(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference,
                  m_assemblyPathPref)
    TRX_OPT_STRING(importConfiguration, setImportConfiguration, m_configurationName)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode,
                  setSuppressedEntitiesMode, m_suppressedEntitiesMode)
    TRX_OPT_VALUE(ETranslateFreeCurvesModeType, translateFreeCurvesMode,
                  setTranslateFreeCurvesMode, m_freeCurvesMode)
    TRX_OPT_VALUE(ETranslateFreePointsModeType, translateFreePointsMode,
                  setTranslateFreePointsMode, m_freePointsMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_geometry", s.m_importGeometry);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"search_paths", s.m_searchPaths);
        f(L"assembly_path_pref", s.m_assemblyPathPref);
        f(L"configuration_name", s.m_configurationName);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"suppressed_entities_mode", s.m_suppressedEntitiesMode);
        f(L"translate_free_curves_mode", s.m_freeCurvesMode);
        f(L"translate_free_points_mode", s.m_freePointsMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    bool m_importGeometry = false;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    std::wstring m_searchPaths;
    EAssemblyPathPrefType m_assemblyPathPref = EAssemblyPathPrefType::unknown;
    std::wstring m_configurationName;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ETranslateSuppressedEntitiesModeType m_suppressedEntitiesMode =
        ETranslateSuppressedEntitiesModeType::unknown;
    ETranslateFreeCurvesModeType m_freeCurvesMode = ETranslateFreeCurvesModeType::unknown;
    ETranslateFreePointsModeType m_freePointsMode = ETranslateFreePointsModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsParasolid : public FormatOptions {
    TRX_OPTION_GROUP(OptionsParasolid, parasolid)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
    }

private:
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
};

class TRX_API OptionsSolidEdge : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSolidEdge, SolidEdge)
    TRX_OPT_STRING(assemblySearchPaths, setAssemblySearchPaths, m_searchPaths)
    TRX_OPT_VALUE(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference,
                  m_assemblyPathPref)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_BOOL(importPreviewGraphics, setImportPreviewGraphics, m_importPreviewGraphics)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"search_paths", s.m_searchPaths);
        f(L"assembly_path_pref", s.m_assemblyPathPref);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"import_preview_graphics", s.m_importPreviewGraphics);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    std::wstring m_searchPaths;
    EAssemblyPathPrefType m_assemblyPathPref = EAssemblyPathPrefType::unknown;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    bool m_importPreviewGraphics = false;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsSolidWorks : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSolidWorks, SolidWorks)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_BOOL(importPreviewGraphics, setImportPreviewGraphics, m_importPreviewGraphics)
    TRX_OPT_STRING(assemblySearchPaths, setAssemblySearchPaths, m_searchPaths)
    TRX_OPT_VALUE(EAssemblyPathPrefType, assemblyPathPreference, setAssemblyPathPreference,
                  m_assemblyPathPref)
    TRX_OPT_STRING(importConfiguration, setImportConfiguration, m_configurationName)
    TRX_OPT_VALUE(ETranslateHiddenEntitiesModeType, hiddenEntitiesMode, setHiddenEntitiesMode,
                  m_hiddenEntitiesMode)
    TRX_OPT_VALUE(ETranslateSuppressedEntitiesModeType, suppressedEntitiesMode,
                  setSuppressedEntitiesMode, m_suppressedEntitiesMode)
    TRX_OPT_VALUE(EImportProductStructureRepresentationMode, productStructureMode,
                  setProductStructureMode, m_productStructureMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)
    TRX_OPT_PNAME_MODES

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"import_preview_graphics", s.m_importPreviewGraphics);
        f(L"search_paths", s.m_searchPaths);
        f(L"assembly_path_pref", s.m_assemblyPathPref);
        f(L"configuration_name", s.m_configurationName);
        f(L"hidden_entities_mode", s.m_hiddenEntitiesMode);
        f(L"suppressed_entities_mode", s.m_suppressedEntitiesMode);
        f(L"product_structure_mode", s.m_productStructureMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
        f(L"pname_modes", s.m_pnameModes, !s.m_pnameModes.empty());
    }

private:
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    bool m_importPreviewGraphics = false;
    std::wstring m_searchPaths;
    EAssemblyPathPrefType m_assemblyPathPref = EAssemblyPathPrefType::unknown;
    std::wstring m_configurationName;
    ETranslateHiddenEntitiesModeType m_hiddenEntitiesMode =
        ETranslateHiddenEntitiesModeType::unknown;
    ETranslateSuppressedEntitiesModeType m_suppressedEntitiesMode =
        ETranslateSuppressedEntitiesModeType::unknown;
    EImportProductStructureRepresentationMode m_productStructureMode =
        EImportProductStructureRepresentationMode::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
    PersistentNameModes m_pnameModes;
};

class TRX_API OptionsSolidWorksDrawing : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSolidWorksDrawing, SolidWorksDrawing)

    template <class Self, class F> static void fields(Self&, F&&) {}
};

class TRX_API OptionsSTEP : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSTEP, STEP)
    TRX_OPT_BOOL(importGeometry, setImportGeometry, m_importGeometry)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_VALUE(ELayerNameProcessingModeType, layerNameProcessingMode,
                  setLayerNameProcessingMode, m_layerNameMode)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_geometry", s.m_importGeometry);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"layer_name_mode", s.m_layerNameMode);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
    }

private:
    bool m_importGeometry = false;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    ELayerNameProcessingModeType m_layerNameMode = ELayerNameProcessingModeType::unknown;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
};

class TRX_API OptionsXCGM : public FormatOptions {
    TRX_OPTION_GROUP(OptionsXCGM, XCGM)
    TRX_OPT_BOOL(importGeometry, setImportGeometry, m_importGeometry)
    TRX_OPT_BOOL(importVisualization, setImportVisualization, m_importVisualization)
    TRX_OPT_BOOL(importRootVisualization, setImportRootVisualization, m_importRootVisualization)
    TRX_OPT_VALUE(EVisuPMIProcessingMode, visuPMIProcessingMode, setVisuPMIProcessingMode,
                  m_visuPMIMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"import_geometry", s.m_importGeometry);
        f(L"import_visualization", s.m_importVisualization);
        f(L"import_root_visualization", s.m_importRootVisualization);
        f(L"visu_pmi_mode", s.m_visuPMIMode);
    }

private:
    bool m_importGeometry = false;
    bool m_importVisualization = false;
    bool m_importRootVisualization = false;
    EVisuPMIProcessingMode m_visuPMIMode = EVisuPMIProcessingMode::unknown;
};

}  // namespace imp

// ---- export groups ----

namespace exp {

class TRX_API Options3DXML : public FormatOptions {
    TRX_OPTION_GROUP(Options3DXML, XML_3D)
    TRX_OPT_VALUE(EDefaultColorMode, defaultColorMode, setDefaultColorMode, m_defaultColorMode)
    TRX_OPT_VALUE(EGraphicalPMIContainerMode, graphicalPMIContainerMode,
                  setGraphicalPMIContainerMode, m_graphicalPMIContainerMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"default_color_mode", s.m_defaultColorMode);
        f(L"graphical_pmi_container_mode", s.m_graphicalPMIContainerMode);
    }

private:
    EDefaultColorMode m_defaultColorMode = EDefaultColorMode::unknown;
    EGraphicalPMIContainerMode m_graphicalPMIContainerMode = EGraphicalPMIContainerMode::unknown;
};

class TRX_API OptionsAcis : public FormatOptions {
    TRX_OPTION_GROUP(OptionsAcis, ACIS)
    TRX_OPT_VALUE(EExportVersionAcis, version, setVersion, m_version)
    TRX_OPT_VALUE(ELengthUnitType, units, setUnits, m_units)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"version", s.m_version);
        f(L"units", s.m_units);
    }

private:
    EExportVersionAcis m_version = EExportVersionAcis::current;
    ELengthUnitType m_units = ELengthUnitType::millimeter;
};

class TRX_API OptionsCatiaV4 : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCatiaV4, CatiaV4)
    TRX_OPT_STRING(authorName, setAuthorName, m_authorName)
    TRX_OPT_STRING(modelName, setModelName, m_modelName)
    TRX_OPT_VALUE(EExportVersionCatiaV4, version, setVersion, m_version)
    TRX_OPT_VALUE(EEdgeCurveMode, edgeCurveMode, setEdgeCurveMode, m_edgeCurveMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"author_name", s.m_authorName);
        f(L"model_name", s.m_modelName);
        f(L"version", s.m_version);
        f(L"edge_curve_mode", s.m_edgeCurveMode);
    }

private:
    std::wstring m_authorName;
    std::wstring m_modelName;
    EExportVersionCatiaV4 m_version = EExportVersionCatiaV4::unknown;
    EEdgeCurveMode m_edgeCurveMode = EEdgeCurveMode::unknown;
};

class TRX_API OptionsCatiaV5 : public FormatOptions {
    TRX_OPTION_GROUP(OptionsCatiaV5, CatiaV5)
    TRX_OPT_VALUE(EExportVersionCatiaV5, version, setVersion, m_version)
    TRX_OPT_VALUE(EDefaultColorMode, graphicalDefaultColorMode, setGraphicalDefaultColorMode,
                  m_defaultColorMode)
    TRX_OPT_VALUE(EExportCgrCompatibilityMode, cgrCompatibilityMode, setCgrCompatibilityMode,
                  m_cgrCompatibilityMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"version", s.m_version);
        f(L"default_color_mode", s.m_defaultColorMode);
        f(L"cgr_compatibility_mode", s.m_cgrCompatibilityMode);
    }

private:
    EExportVersionCatiaV5 m_version = EExportVersionCatiaV5::current;
    EDefaultColorMode m_defaultColorMode = EDefaultColorMode::catiav5;
    EExportCgrCompatibilityMode m_cgrCompatibilityMode = EExportCgrCompatibilityMode::unknown;
};

class TRX_API OptionsIGES : public FormatOptions {
    TRX_OPTION_GROUP(OptionsIGES, IGES)
    TRX_OPT_VALUE(ELengthUnitType, units, setUnits, m_units)

    template <class Self, class F> static void fields(Self& s, F&& f) { f(L"units", s.m_units); }

private:
    ELengthUnitType m_units = ELengthUnitType::millimeter;
};

class TRX_API OptionsParasolid : public FormatOptions {
    TRX_OPTION_GROUP(OptionsParasolid, parasolid)
    TRX_OPT_VALUE(EExportVersionParasolid, version, setVersion, m_version)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"version", s.m_version);
    }

private:
    EExportVersionParasolid m_version = EExportVersionParasolid::current;
};

class TRX_API OptionsSTEP : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSTEP, STEP)
    TRX_OPT_VALUE(ELengthUnitType, units, setUnits, m_units)
    TRX_OPT_VALUE(EExportVersionStep, version, setVersion, m_version)
    TRX_OPT_VALUE(double, fileTolerance, setFileTolerance, m_tolerance)
    TRX_OPT_VALUE(ELayerNameProcessingModeType, layerNameProcessingMode,
                  setLayerNameProcessingMode, m_layerNameMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"units", s.m_units);
        f(L"version", s.m_version);
        f(L"tolerance", s.m_tolerance);
        f(L"layer_name_mode", s.m_layerNameMode);
    }

private:
    ELengthUnitType m_units = ELengthUnitType::millimeter;
    EExportVersionStep m_version = EExportVersionStep::AP242;
    double m_tolerance = 1e-6;
    ELayerNameProcessingModeType m_layerNameMode = ELayerNameProcessingModeType::asm_rep;
};

class TRX_API OptionsXCGM : public FormatOptions {
    TRX_OPTION_GROUP(OptionsXCGM, XCGM)
    TRX_OPT_VALUE(EExportVersionXCGM, version, setVersion, m_version)
    TRX_OPT_VALUE(EDefaultColorMode, graphicalDefaultColorMode, setGraphicalDefaultColorMode,
                  m_defaultColorMode)
    TRX_OPT_VALUE(EGraphicalPMIContainerMode, graphicalPMIContainerMode,
                  setGraphicalPMIContainerMode, m_graphicalPMIContainerMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"version", s.m_version);
        f(L"default_color_mode", s.m_defaultColorMode);
        f(L"graphical_pmi_container_mode", s.m_graphicalPMIContainerMode);
    }

private:
    EExportVersionXCGM m_version = EExportVersionXCGM::current;
    EDefaultColorMode m_defaultColorMode = EDefaultColorMode::unknown;
    EGraphicalPMIContainerMode m_graphicalPMIContainerMode = EGraphicalPMIContainerMode::unknown;
};

class TRX_API OptionsSTL : public FormatOptions {
    TRX_OPTION_GROUP(OptionsSTL, STL)
    TRX_OPT_VALUE(EExportSaveMode, saveMode, setSaveMode, m_saveMode)

    template <class Self, class F> static void fields(Self& s, F&& f) {
        f(L"save_mode", s.m_saveMode);
    }

private:
    EExportSaveMode m_saveMode = EExportSaveMode::unknown;
};

// The background colour travels as the colour's own JSON form (null for no colour).
class TRX_API OptionsPDF : public FormatOptions {
    TRX_OPTION_GROUP(OptionsPDF, PDF_3D)
    const ExcColor& backgroundColor() const { return m_color; }
    void setBackgroundColor(const ExcColor& v) { m_color = v; }

    template <class Self, class F> static void fields(Self& s, F&& f) { f(L"color", s.m_color); }

private:
    ExcColor m_color;
};

}  // namespace exp

#undef TRX_OPT_BOOL
#undef TRX_OPT_VALUE
#undef TRX_OPT_STRING
#undef TRX_OPT_PNAME_MODES
#undef TRX_OPTION_GROUP

}  // namespace trx
