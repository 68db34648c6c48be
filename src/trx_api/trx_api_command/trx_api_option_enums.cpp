// Names of the classification and option enumerations.

#include "../trx_api_option_enums.h"

#include "../detail/enum_table.h"

namespace trx {

TRX_ENUM(EOperationType, (Options, "options"), (Import, "import"), (Export, "export"));

TRX_ENUM(EFormatType, unknown, general, CGM, ACIS, parasolid, CatiaV5, CatiaV5Drawing, CatiaV4,
    IGES, STEP, STL, Creo, NX, SolidWorks, SolidWorksDrawing, SolidEdge, JT, Inventor,
    (PDF_3D, "3D_PDF"), (XML_3D, "3D_XML"), autocad, U3D, VDA_FS, XML_EBOM, XCGM, graphical,
    mechanical, modeler, picture, IFC, EDrawings, UDL);

// ---- common groups ----

TRX_ENUM(ELogEventLevelType, unknown, none, abort, error, warning, information, verbose);

TRX_ENUM(ELogFileEncodingType, unknown, us_ascii, mbcs, utf8, utf16);

TRX_ENUM(ELoggingModeType, unknown, atomic, append);

TRX_ENUM(EMemoryManagementModeFlags, keep_none, keep_part_visu, keep_part_mech, keep_asm_visu,
    keep_asm_mech, unknown);

TRX_ENUM(ETranslateReferenceGeometryMode, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(EVisuBRepTessellationModeType, unknown, (auto_, "auto"), never, never_at_least_native_pmi);

TRX_ENUM(EVisuTextDataMode, unknown, as_string, as_stroked);

TRX_ENUM(EVisuTextStrokingMode, unknown, from_source_native, from_source_generated,
    from_source_generated_without_inner_loops, from_source_generated_with_inner_loops, from_iop);

TRX_ENUM(EFeatureToleranceProcessingModeType, unknown, all, none);

TRX_ENUM(EMiscDataProcessingModeType, unknown, all, none);

TRX_ENUM(EAcisSplineResurfacingModeType, unknown, none, erroneous_surfaces_only,
    erroneous_and_short_surfaces);

TRX_ENUM(EAttributeProcessingModeType, unknown, all, none);

TRX_ENUM(EAcisHealType, unknown, none, minimal, standard);

TRX_ENUM(EPreserveMfgModeType, unknown, disabled, decorate_all_mfg);

TRX_ENUM(EPreserveModelAssociativityModeType, unknown, disabled, decorate_all);

TRX_ENUM(EPreservePMIModeType, unknown, disabled, decorate_all_pmi);

TRX_ENUM(ETopologicalEntityInspectorModeType, unknown, process, disabled);

// ---- import groups ----

TRX_ENUM(EVisuPMIProcessingMode, unknown, all, none);

TRX_ENUM(EImportEntities, unknown, root_only, root_and_nonroot);

TRX_ENUM(ETranslateHiddenEntitiesModeType, unknown, all, none, only_with_visible_links);

TRX_ENUM(EAssemblyPathPrefType, unknown, subfolders_first, root_folder_only, root_folder_first);

TRX_ENUM(EProcessInWorkObjectModeType, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(ENameProcessingModeType, unknown, short_names, long_names);

TRX_ENUM(EAssemblyUnfoldedViewMode, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(EImportMfgProcessingModeType, unknown, features_only, results_only);

TRX_ENUM(ETranslateSuppressedEntitiesModeType, unknown, all, none);

TRX_ENUM(EProcessMfgDataModeType, unknown, all, none);

TRX_ENUM(EDocumentDelayLoadingMode, none, part);

TRX_ENUM(EEdgeAttributeModeType, unknown, none, all, pmi_owners_only, wire_body_only);

TRX_ENUM(EImportMfgHolesOnSheetsMode, unknown, ignore, include);

TRX_ENUM(ETranslateDrivingDimensionsModeType, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(ETranslateConstructionGeometriesModeType, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(ECopiousDataModeType, unknown, single_b_spline, multiple_b_splines, multiple_lines);

// "3d" reads as 1 like "2d"; 1 keeps writing "2d" because the first pair for a value wins.
TRX_ENUM(ETrimCurveImportPreferenceModeType, unknown, (curve_2d, "2d"), (curve_2d, "3d"),
    from_source);

TRX_ENUM(EActiveStateProcessingModeType, unknown, active_only, active_and_inactive);

TRX_ENUM(EImportEdgesModeType, unknown, all, none);

TRX_ENUM(EUserPropertiesModeType, unknown, translate_all, translate_none);

TRX_ENUM(ETranslateFreeCurvesModeType, unknown, all, none);

TRX_ENUM(ETranslateFreePointsModeType, unknown, all, none);

TRX_ENUM(EImportProductStructureRepresentationMode, unknown, asm_rep, saved_visu_rep,
    asm_rep_and_saved_visu_rep);

TRX_ENUM(ELayerNameProcessingModeType, unknown, asm_rep, saved_visu_rep);

TRX_ENUM(EPersistentNameProcessingModeType, none, vertex, edge, face, instance, unknown);

// ---- export groups ----

TRX_ENUM(EDefaultColorMode, unknown, (false_, "false"), catiav5);

TRX_ENUM(EGraphicalPMIContainerMode, unknown, (true_, "true"), (false_, "false"));

TRX_ENUM(EExportVersionAcis, unknown, current, R18, R19, R20, R21, R22, R23, R24, R25,
    (v2016_1_0, "2016_1_0"), (v2017_1_0, "2017_1_0"), (v2018_1_0, "2018_1_0"),
    (v2019_1_0, "2019_1_0"), (v2020_1_0, "2020_1_0"), (v2021_1_0, "2021_1_0"),
    (v2022_1_0, "2022_1_0"), (v2023_1_0, "2023_1_0"));

TRX_ENUM(EExportVersionCatiaV4, unknown, (v4_1_9, "4.1.9"), (v4_2_0, "4.2.0"), (v4_2_1, "4.2.1"),
    (v4_2_2, "4.2.2"), (v4_2_3, "4.2.3"), (v4_2_4, "4.2.4"));

TRX_ENUM(EEdgeCurveMode, unknown, (curve_2d_3d, "2d+3d"), (curve_2d, "2d"));

TRX_ENUM(EExportCgrCompatibilityMode, unknown, catia_v5, catia_3dexperience);

TRX_ENUM(EExportVersionCatiaV5, unknown, current, V5_R16, V5_R17, V5_R18, V5_R19, V5_R20, V5_R21,
    V5_6_R2012, V5_6_R2013, V5_6_R2014, V5_6_R2015, V5_6_R2016, V5_6_R2017, V5_6_R2018, V5_6_R2019,
    V5_6_R2020, V5_6_R2021, V5_6_R2022, V5_6_R2023);

TRX_ENUM(EExportVersionParasolid, unknown, current, r12, r13, r14, r15, r16, r17, r18, r19, r20,
    r21, r22, r23, r24, r25, r26, r27, r28, r29, r30, r31, r32, r33, r34, r35);

TRX_ENUM(EExportVersionStep, unknown, AP203, AP214, AP242);

TRX_ENUM(EExportVersionXCGM, unknown, current, CGM_R2013x, CGM_R2014, CGM_R2014x, CGM_R2015x_B1,
    CGM_R2015x_B5, CGM_R2015x_B5_SP1, CGM_R2016_1_0, CGM_R2016_1_1, CGM_R2017_1_0, CGM_R2017_1_1,
    CGM_R2018_1_0, CGM_R2018_1_1, CGM_R2019_1_0, CGM_R2020_1_0, CGM_R2021_1_0, CGM_R2022_1_0,
    CGM_R2023_1_0);

TRX_ENUM(EExportSaveMode, unknown, text, binary_le);

}  // namespace trx
