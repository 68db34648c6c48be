#pragma once

// The request the host sends to the bridge, and the option sets an import or export carries.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../mp/serializable.h"
#include "json/enum_strings.h"
#include "json/json_object.h"
#include "trx_api_exchange_common.h"
#include "trx_api_export.h"

namespace trx {

// ---- classification ----------------------------------------------------------------

// Which family of option sets a command carries: Legacy uses the flat legacy sets.
enum class EBridgeInterface : std::int32_t { UConnect = 0, Connect = 1, Legacy = 2 };

enum class EOperationType : std::int32_t { Options = 0, Import = 1, Export = 2 };

enum class EFormatType : std::int32_t {
    unknown = 0, general = 1, CGM = 2, ACIS = 3, parasolid = 4, CatiaV5 = 5, CatiaV5Drawing = 6,
    CatiaV4 = 7, IGES = 8, STEP = 9, STL = 10, Creo = 11, NX = 12, SolidWorks = 13,
    SolidWorksDrawing = 14, SolidEdge = 15, JT = 16, Inventor = 17, PDF_3D = 18, XML_3D = 19,
    autocad = 20, U3D = 21, VDA_FS = 22, XML_EBOM = 23, XCGM = 24, graphical = 25,
    mechanical = 26, modeler = 27, picture = 28, IFC = 29, EDrawings = 30, UDL = 31
};

// ---- option enumerations ------------------------------------------------------------
// Enumerators carry their wire names where those are identifiers; "true"/"false" become
// true_/false_, names that start with a digit get a prefix.

enum class ELogEventLevelType : std::int32_t {
    unknown = 0, none = 1, abort = 2, error = 3, warning = 4, information = 5, verbose = 6
};
enum class ELogFileEncodingType : std::int32_t {
    unknown = 0, us_ascii = 1, mbcs = 2, utf8 = 3, utf16 = 4
};
enum class ELoggingModeType : std::int32_t { unknown = 0, atomic = 1, append = 2 };
// Single flags only have names: a combination is written as "keep_none".
enum class EMemoryManagementModeFlags : std::int32_t {
    keep_none = 0, keep_part_visu = 1, keep_part_mech = 2, keep_asm_visu = 4, keep_asm_mech = 8,
    unknown = 255
};
enum class ETranslateReferenceGeometryMode : std::int32_t { unknown = 0, true_ = 1, false_ = 2 };
enum class EVisuBRepTessellationModeType : std::int32_t {
    unknown = 0, auto_ = 1, never = 2, never_at_least_native_pmi = 3
};
enum class EVisuTextDataMode : std::int32_t { unknown = 0, as_string = 1, as_stroked = 2 };
enum class EVisuTextStrokingMode : std::int32_t {
    unknown = 0, from_source_native = 1, from_source_generated = 2,
    from_source_generated_without_inner_loops = 3, from_source_generated_with_inner_loops = 4,
    from_iop = 5
};
enum class EFeatureToleranceProcessingModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EMiscDataProcessingModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EAcisSplineResurfacingModeType : std::int32_t {
    unknown = 0, none = 1, erroneous_surfaces_only = 2, erroneous_and_short_surfaces = 3
};
enum class EAttributeProcessingModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EAcisHealType : std::int32_t { unknown = 0, none = 1, minimal = 2, standard = 3 };
enum class EPreserveMfgModeType : std::int32_t { unknown = 0, disabled = 1, decorate_all_mfg = 2 };
enum class EPreserveModelAssociativityModeType : std::int32_t {
    unknown = 0, disabled = 1, decorate_all = 2
};
enum class EPreservePMIModeType : std::int32_t { unknown = 0, disabled = 1, decorate_all_pmi = 2 };
enum class ETopologicalEntityInspectorModeType : std::int32_t {
    unknown = 0, process = 1, disabled = 2
};
enum class EVisuPMIProcessingMode : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EImportEntities : std::int32_t { unknown = 0, root_only = 1, root_and_nonroot = 2 };
enum class ETranslateHiddenEntitiesModeType : std::int32_t {
    unknown = 0, all = 1, none = 2, only_with_visible_links = 3
};
enum class EAssemblyPathPrefType : std::int32_t {
    unknown = 0, subfolders_first = 1, root_folder_only = 2, root_folder_first = 3
};
enum class EProcessInWorkObjectModeType : std::int32_t { unknown = 0, true_ = 1, false_ = 2 };
enum class ENameProcessingModeType : std::int32_t { unknown = 0, short_names = 1, long_names = 2 };
enum class EAssemblyUnfoldedViewMode : std::int32_t { unknown = 0, true_ = 1, false_ = 2 };
enum class EImportMfgProcessingModeType : std::int32_t {
    unknown = 0, features_only = 1, results_only = 2
};
enum class ETranslateSuppressedEntitiesModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EProcessMfgDataModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EDocumentDelayLoadingMode : std::int32_t { none = 0, part = 1 };
enum class EEdgeAttributeModeType : std::int32_t {
    unknown = 0, none = 1, all = 2, pmi_owners_only = 3, wire_body_only = 4
};
enum class EImportMfgHolesOnSheetsMode : std::int32_t { unknown = 0, ignore = 1, include = 2 };
enum class ETranslateDrivingDimensionsModeType : std::int32_t {
    unknown = 0, true_ = 1, false_ = 2
};
enum class ETranslateConstructionGeometriesModeType : std::int32_t {
    unknown = 0, true_ = 1, false_ = 2
};
enum class ECopiousDataModeType : std::int32_t {
    unknown = 0, single_b_spline = 1, multiple_b_splines = 2, multiple_lines = 3
};
// "3d" also reads as curve_2d; 2 has no name.
enum class ETrimCurveImportPreferenceModeType : std::int32_t {
    unknown = 0, curve_2d = 1, from_source = 3
};
enum class EActiveStateProcessingModeType : std::int32_t {
    unknown = 0, active_only = 1, active_and_inactive = 2
};
enum class EImportEdgesModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EUserPropertiesModeType : std::int32_t {
    unknown = 0, translate_all = 1, translate_none = 2
};
enum class ETranslateFreeCurvesModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class ETranslateFreePointsModeType : std::int32_t { unknown = 0, all = 1, none = 2 };
enum class EImportProductStructureRepresentationMode : std::int32_t {
    unknown = 0, asm_rep = 1, saved_visu_rep = 2, asm_rep_and_saved_visu_rep = 3
};
enum class ELayerNameProcessingModeType : std::int32_t {
    unknown = 0, asm_rep = 1, saved_visu_rep = 2
};
enum class EDefaultColorMode : std::int32_t { unknown = 0, false_ = 1, catiav5 = 2 };
enum class EGraphicalPMIContainerMode : std::int32_t { unknown = 0, true_ = 1, false_ = 2 };
enum class EExportVersionAcis : std::int32_t {
    unknown = 0, current = 1, R18 = 2, R19 = 3, R20 = 4, R21 = 5, R22 = 6, R23 = 7, R24 = 8,
    R25 = 9, v2016_1_0 = 10, v2017_1_0 = 11, v2018_1_0 = 12, v2019_1_0 = 13, v2020_1_0 = 14,
    v2021_1_0 = 15, v2022_1_0 = 16, v2023_1_0 = 17
};
enum class EExportVersionCatiaV4 : std::int32_t {
    unknown = 0, v4_1_9 = 1, v4_2_0 = 2, v4_2_1 = 3, v4_2_2 = 4, v4_2_3 = 5, v4_2_4 = 6
};
enum class EEdgeCurveMode : std::int32_t { unknown = 0, curve_2d_3d = 1, curve_2d = 2 };
enum class EExportCgrCompatibilityMode : std::int32_t {
    unknown = 0, catia_v5 = 1, catia_3dexperience = 2
};
enum class EExportVersionCatiaV5 : std::int32_t {
    unknown = 0, current = 1, V5_R16 = 2, V5_R17 = 3, V5_R18 = 4, V5_R19 = 5, V5_R20 = 6,
    V5_R21 = 7, V5_6_R2012 = 8, V5_6_R2013 = 9, V5_6_R2014 = 10, V5_6_R2015 = 11,
    V5_6_R2016 = 12, V5_6_R2017 = 13, V5_6_R2018 = 14, V5_6_R2019 = 15, V5_6_R2020 = 16,
    V5_6_R2021 = 17, V5_6_R2022 = 18, V5_6_R2023 = 19
};
enum class EExportVersionParasolid : std::int32_t {
    unknown = 0, current = 1, r12 = 2, r13 = 3, r14 = 4, r15 = 5, r16 = 6, r17 = 7, r18 = 8,
    r19 = 9, r20 = 10, r21 = 11, r22 = 12, r23 = 13, r24 = 14, r25 = 15, r26 = 16, r27 = 17,
    r28 = 18, r29 = 19, r30 = 20, r31 = 21, r32 = 22, r33 = 23, r34 = 24, r35 = 25
};
enum class EExportVersionStep : std::int32_t { unknown = 0, AP203 = 1, AP214 = 2, AP242 = 3 };
enum class EExportVersionXCGM : std::int32_t {
    unknown = 0, current = 1, CGM_R2013x = 2, CGM_R2014 = 3, CGM_R2014x = 4, CGM_R2015x_B1 = 5,
    CGM_R2015x_B5 = 6, CGM_R2015x_B5_SP1 = 7, CGM_R2016_1_0 = 8, CGM_R2016_1_1 = 9,
    CGM_R2017_1_0 = 10, CGM_R2017_1_1 = 11, CGM_R2018_1_0 = 12, CGM_R2018_1_1 = 13,
    CGM_R2019_1_0 = 14, CGM_R2020_1_0 = 15, CGM_R2021_1_0 = 16, CGM_R2022_1_0 = 17,
    CGM_R2023_1_0 = 18
};
enum class EExportSaveMode : std::int32_t { unknown = 0, text = 1, binary_le = 2 };
// Held as a set: each element travels as one name of the "pname_modes" array.
enum class EPersistentNameProcessingModeType : std::int32_t {
    none = 0, vertex = 1, edge = 2, face = 4, instance = 16, unknown = 255
};
using PersistentNameModes = std::set<EPersistentNameProcessingModeType>;

// ---- option groups -------------------------------------------------------------------

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

// ---- option sets ---------------------------------------------------------------------

class TRX_API BridgeOptions : public IJsonObject {
public:
    virtual const std::wstring& file() const = 0;
    virtual void setFile(const std::wstring& file) = 0;
    virtual EOperationType operationType() const = 0;
};

class TRX_API ImportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    virtual bool forceMPMode() const = 0;
    virtual void setForceMPMode(bool v) = 0;
    virtual bool translateWorldOrientation() const = 0;
    virtual void setTranslateWorldOrientation(bool v) = 0;
    virtual bool translateMiscData() const = 0;
    virtual void setTranslateMiscData(bool v) = 0;
    // The group held for a format type, or empty.
    virtual std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const = 0;
    // Stores the group under its own format type, replacing one of the same type; empty is ignored.
    virtual void setFormatOptions(std::shared_ptr<IFormatOptions> options) = 0;
    virtual int modelerVersion() const = 0;
    virtual void setModelerVersion(int v) = 0;

    // The group of class G, or empty.
    template <class G> std::shared_ptr<G> formatOptionsOf() const {
        return std::dynamic_pointer_cast<G>(formatOptions(G::kFormatType));
    }
};

class TRX_API ExportOptions : public BridgeOptions {
public:
    EOperationType operationType() const override;
    virtual const std::wstring& formatVersion() const = 0;
    virtual void setFormatVersion(const std::wstring& v) = 0;
    virtual int geometryFlags() const = 0;
    virtual void setGeometryFlags(int v) = 0;
    virtual std::shared_ptr<IFormatOptions> formatOptions(EFormatType type) const = 0;
    virtual void setFormatOptions(std::shared_ptr<IFormatOptions> options) = 0;

    template <class G> std::shared_ptr<G> formatOptionsOf() const {
        return std::dynamic_pointer_cast<G>(formatOptions(G::kFormatType));
    }
};

// The flat option sets of the legacy interface. The mode fields hold the values of their
// name tables ("pmi_mode": 0 none, 1 graphical, 2 semantic; ...).
class TRX_API LegacyImportOptions : public ImportOptions {
public:
    virtual bool useIopMP() const = 0;
    virtual void setUseIopMP(bool v) = 0;
    virtual const std::wstring& temporaryDwg() const = 0;
    virtual void setTemporaryDwg(const std::wstring& v) = 0;
    virtual int pmiMode() const = 0;
    virtual void setPmiMode(int v) = 0;
    virtual int productStructureMode() const = 0;
    virtual void setProductStructureMode(int v) = 0;
    virtual int colorsMode() const = 0;
    virtual void setColorsMode(int v) = 0;
    virtual int hiddenPartsMode() const = 0;
    virtual void setHiddenPartsMode(int v) = 0;
    virtual int insUnitsDefSource() const = 0;
    virtual void setInsUnitsDefSource(int v) = 0;
    virtual bool importAcisNatively() const = 0;
    virtual void setImportAcisNatively(bool v) = 0;
    virtual bool stepRotateYZ() const = 0;
    virtual void setStepRotateYZ(bool v) = 0;
    virtual bool solidWorksRotateYZ() const = 0;
    virtual void setSolidWorksRotateYZ(bool v) = 0;
    virtual EEdgeAttributeModeType catiaV5EdgeAttributeMode() const = 0;
    virtual void setCatiaV5EdgeAttributeMode(EEdgeAttributeModeType v) = 0;
    virtual bool insUnitsScaling() const = 0;
    virtual void setInsUnitsScaling(bool v) = 0;
    virtual bool hasAlternateSearchPath(const std::wstring& key) const = 0;
    // Empty when the key has no entry.
    virtual const std::wstring& alternateSearchPath(const std::wstring& key) const = 0;
    // Stores or replaces the entry; an empty path is ignored.
    virtual void setAlternateSearchPath(const std::wstring& key, const std::wstring& path) = 0;
    virtual bool printDebugLog() const = 0;
    virtual void setPrintDebugLog(bool v) = 0;
};

using ComponentNames = std::map<std::int64_t, std::wstring>;

// Per-format groups do not apply to this set: formatOptions is always empty.
class TRX_API LegacyExportOptions : public ExportOptions {
public:
    virtual const std::wstring& temporaryDwg() const = 0;
    virtual void setTemporaryDwg(const std::wstring& v) = 0;
    virtual bool insUnitsScaling() const = 0;
    virtual void setInsUnitsScaling(bool v) = 0;
    virtual int productStructureMode() const = 0;
    virtual void setProductStructureMode(int v) = 0;
    virtual int hiddenPartsMode() const = 0;
    virtual void setHiddenPartsMode(int v) = 0;
    virtual int insUnitsDefTarget() const = 0;
    virtual void setInsUnitsDefTarget(int v) = 0;
    virtual const std::vector<std::int64_t>& selectionSet() const = 0;
    virtual void setSelectionSet(const std::vector<std::int64_t>& v) = 0;
    virtual const ComponentNames& componentNames() const = 0;
    virtual void addComponentName(std::int64_t handle, const std::wstring& name) = 0;
    virtual void setComponentNames(const ComponentNames& v) = 0;
    virtual const std::vector<std::int64_t>& hiddenComponents() const = 0;
    virtual void addHiddenComponent(std::int64_t handle) = 0;
    virtual void setHiddenComponents(const std::vector<std::int64_t>& v) = 0;
    virtual int stepFormatVersion() const = 0;
    virtual void setStepFormatVersion(int v) = 0;
    virtual int acisFormatVersion() const = 0;
    virtual void setAcisFormatVersion(int v) = 0;
    virtual int catiaV4FormatVersion() const = 0;
    virtual void setCatiaV4FormatVersion(int v) = 0;
    virtual int catiaV5FormatVersion() const = 0;
    virtual void setCatiaV5FormatVersion(int v) = 0;
    virtual int parasolidFormatVersion() const = 0;
    virtual void setParasolidFormatVersion(int v) = 0;
    virtual int xcgmFormatVersion() const = 0;
    virtual void setXcgmFormatVersion(int v) = 0;
    virtual bool printDebugLog() const = 0;
    virtual void setPrintDebugLog(bool v) = 0;
};

// ---- command ---------------------------------------------------------------------------

// One request to the bridge. Import and export carry the option set of their interface family;
// only sets made by the factories below are accepted.
class TRX_API Command : public mp::ISerializable {
public:
    enum EType : std::int32_t { Unknown = 0, Info = 1, Import = 2, Export = 3, Ping = 4 };

    EType type() const { return m_type; }
    void setType(EType type) { m_type = type; }
    EBridgeInterface internalInterface() const { return m_interface; }
    void setInternalInterface(EBridgeInterface v) { m_interface = v; }
    bool useMultiThreading() const { return m_useMultiThreading; }
    void setUseMultiThreading(bool v) { m_useMultiThreading = v; }

    std::shared_ptr<ImportOptions> importOptions() const { return m_importOptions; }
    std::shared_ptr<ExportOptions> exportOptions() const { return m_exportOptions; }
    std::shared_ptr<LegacyImportOptions> legacyImportOptions() const {
        return m_legacyImportOptions;
    }
    std::shared_ptr<LegacyExportOptions> legacyExportOptions() const {
        return m_legacyExportOptions;
    }
    // Throw std::invalid_argument unless the set comes from newImportOptions/newExportOptions.
    void setImportOptions(const std::shared_ptr<ImportOptions>& options);
    void setExportOptions(const std::shared_ptr<ExportOptions>& options);
    void setLegacyImportOptions(const std::shared_ptr<LegacyImportOptions>& options) {
        m_legacyImportOptions = options;
    }
    void setLegacyExportOptions(const std::shared_ptr<LegacyExportOptions>& options) {
        m_legacyExportOptions = options;
    }

    // Fresh default sets of the library's own implementation.
    static std::shared_ptr<ImportOptions> newImportOptions();
    static std::shared_ptr<ExportOptions> newExportOptions();
    static std::shared_ptr<LegacyImportOptions> newLegacyImportOptions();
    static std::shared_ptr<LegacyExportOptions> newLegacyExportOptions();

    void writeObject(std::wostream& os) const override;
    void readObject(std::wistream& is) override;

private:
    EType m_type = Unknown;
    EBridgeInterface m_interface = EBridgeInterface::UConnect;
    std::shared_ptr<ImportOptions> m_importOptions;
    std::shared_ptr<ExportOptions> m_exportOptions;
    std::shared_ptr<LegacyImportOptions> m_legacyImportOptions;
    std::shared_ptr<LegacyExportOptions> m_legacyExportOptions;
    bool m_useMultiThreading = false;
};

}  // namespace trx
