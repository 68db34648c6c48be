#pragma once

// The enumerations of the option groups, and the two that classify a group.

#include <cstdint>
#include <set>

#include "json/enum_strings.h"

namespace trx {

// ---- classification ----------------------------------------------------------------

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

}  // namespace trx
