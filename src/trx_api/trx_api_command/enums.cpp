// Names of the classification and option enumerations.

#include "../trx_api_command.h"

#include "../detail/enum_table.h"

namespace trx {

TRX_ENUM_NAMES(EOperationType,
    {EOperationType::Options, L"options"}, {EOperationType::Import, L"import"},
    {EOperationType::Export, L"export"});

TRX_ENUM_NAMES(EFormatType,
    {EFormatType::unknown, L"unknown"}, {EFormatType::general, L"general"},
    {EFormatType::CGM, L"CGM"}, {EFormatType::ACIS, L"ACIS"},
    {EFormatType::parasolid, L"parasolid"}, {EFormatType::CatiaV5, L"CatiaV5"},
    {EFormatType::CatiaV5Drawing, L"CatiaV5Drawing"}, {EFormatType::CatiaV4, L"CatiaV4"},
    {EFormatType::IGES, L"IGES"}, {EFormatType::STEP, L"STEP"}, {EFormatType::STL, L"STL"},
    {EFormatType::Creo, L"Creo"}, {EFormatType::NX, L"NX"},
    {EFormatType::SolidWorks, L"SolidWorks"},
    {EFormatType::SolidWorksDrawing, L"SolidWorksDrawing"},
    {EFormatType::SolidEdge, L"SolidEdge"}, {EFormatType::JT, L"JT"},
    {EFormatType::Inventor, L"Inventor"}, {EFormatType::PDF_3D, L"3D_PDF"},
    {EFormatType::XML_3D, L"3D_XML"}, {EFormatType::autocad, L"autocad"},
    {EFormatType::U3D, L"U3D"}, {EFormatType::VDA_FS, L"VDA_FS"},
    {EFormatType::XML_EBOM, L"XML_EBOM"}, {EFormatType::XCGM, L"XCGM"},
    {EFormatType::graphical, L"graphical"}, {EFormatType::mechanical, L"mechanical"},
    {EFormatType::modeler, L"modeler"}, {EFormatType::picture, L"picture"},
    {EFormatType::IFC, L"IFC"}, {EFormatType::EDrawings, L"EDrawings"},
    {EFormatType::UDL, L"UDL"});

// ---- common groups ----

TRX_ENUM_NAMES(ELogEventLevelType,
    {ELogEventLevelType::unknown, L"unknown"}, {ELogEventLevelType::none, L"none"},
    {ELogEventLevelType::abort, L"abort"}, {ELogEventLevelType::error, L"error"},
    {ELogEventLevelType::warning, L"warning"},
    {ELogEventLevelType::information, L"information"},
    {ELogEventLevelType::verbose, L"verbose"});

TRX_ENUM_NAMES(ELogFileEncodingType,
    {ELogFileEncodingType::unknown, L"unknown"}, {ELogFileEncodingType::us_ascii, L"us_ascii"},
    {ELogFileEncodingType::mbcs, L"mbcs"}, {ELogFileEncodingType::utf8, L"utf8"},
    {ELogFileEncodingType::utf16, L"utf16"});

TRX_ENUM_NAMES(ELoggingModeType,
    {ELoggingModeType::unknown, L"unknown"}, {ELoggingModeType::atomic, L"atomic"},
    {ELoggingModeType::append, L"append"});

TRX_ENUM_NAMES(EMemoryManagementModeFlags,
    {EMemoryManagementModeFlags::keep_none, L"keep_none"},
    {EMemoryManagementModeFlags::keep_part_visu, L"keep_part_visu"},
    {EMemoryManagementModeFlags::keep_part_mech, L"keep_part_mech"},
    {EMemoryManagementModeFlags::keep_asm_visu, L"keep_asm_visu"},
    {EMemoryManagementModeFlags::keep_asm_mech, L"keep_asm_mech"},
    {EMemoryManagementModeFlags::unknown, L"unknown"});

TRX_ENUM_NAMES(ETranslateReferenceGeometryMode,
    {ETranslateReferenceGeometryMode::unknown, L"unknown"},
    {ETranslateReferenceGeometryMode::true_, L"true"},
    {ETranslateReferenceGeometryMode::false_, L"false"});

TRX_ENUM_NAMES(EVisuBRepTessellationModeType,
    {EVisuBRepTessellationModeType::unknown, L"unknown"},
    {EVisuBRepTessellationModeType::auto_, L"auto"},
    {EVisuBRepTessellationModeType::never, L"never"},
    {EVisuBRepTessellationModeType::never_at_least_native_pmi, L"never_at_least_native_pmi"});

TRX_ENUM_NAMES(EVisuTextDataMode,
    {EVisuTextDataMode::unknown, L"unknown"}, {EVisuTextDataMode::as_string, L"as_string"},
    {EVisuTextDataMode::as_stroked, L"as_stroked"});

TRX_ENUM_NAMES(EVisuTextStrokingMode,
    {EVisuTextStrokingMode::unknown, L"unknown"},
    {EVisuTextStrokingMode::from_source_native, L"from_source_native"},
    {EVisuTextStrokingMode::from_source_generated, L"from_source_generated"},
    {EVisuTextStrokingMode::from_source_generated_without_inner_loops,
     L"from_source_generated_without_inner_loops"},
    {EVisuTextStrokingMode::from_source_generated_with_inner_loops,
     L"from_source_generated_with_inner_loops"},
    {EVisuTextStrokingMode::from_iop, L"from_iop"});

TRX_ENUM_NAMES(EFeatureToleranceProcessingModeType,
    {EFeatureToleranceProcessingModeType::unknown, L"unknown"},
    {EFeatureToleranceProcessingModeType::all, L"all"},
    {EFeatureToleranceProcessingModeType::none, L"none"});

TRX_ENUM_NAMES(EMiscDataProcessingModeType,
    {EMiscDataProcessingModeType::unknown, L"unknown"},
    {EMiscDataProcessingModeType::all, L"all"}, {EMiscDataProcessingModeType::none, L"none"});

TRX_ENUM_NAMES(EAcisSplineResurfacingModeType,
    {EAcisSplineResurfacingModeType::unknown, L"unknown"},
    {EAcisSplineResurfacingModeType::none, L"none"},
    {EAcisSplineResurfacingModeType::erroneous_surfaces_only, L"erroneous_surfaces_only"},
    {EAcisSplineResurfacingModeType::erroneous_and_short_surfaces,
     L"erroneous_and_short_surfaces"});

TRX_ENUM_NAMES(EAttributeProcessingModeType,
    {EAttributeProcessingModeType::unknown, L"unknown"},
    {EAttributeProcessingModeType::all, L"all"}, {EAttributeProcessingModeType::none, L"none"});

TRX_ENUM_NAMES(EAcisHealType,
    {EAcisHealType::unknown, L"unknown"}, {EAcisHealType::none, L"none"},
    {EAcisHealType::minimal, L"minimal"}, {EAcisHealType::standard, L"standard"});

TRX_ENUM_NAMES(EPreserveMfgModeType,
    {EPreserveMfgModeType::unknown, L"unknown"}, {EPreserveMfgModeType::disabled, L"disabled"},
    {EPreserveMfgModeType::decorate_all_mfg, L"decorate_all_mfg"});

TRX_ENUM_NAMES(EPreserveModelAssociativityModeType,
    {EPreserveModelAssociativityModeType::unknown, L"unknown"},
    {EPreserveModelAssociativityModeType::disabled, L"disabled"},
    {EPreserveModelAssociativityModeType::decorate_all, L"decorate_all"});

TRX_ENUM_NAMES(EPreservePMIModeType,
    {EPreservePMIModeType::unknown, L"unknown"}, {EPreservePMIModeType::disabled, L"disabled"},
    {EPreservePMIModeType::decorate_all_pmi, L"decorate_all_pmi"});

TRX_ENUM_NAMES(ETopologicalEntityInspectorModeType,
    {ETopologicalEntityInspectorModeType::unknown, L"unknown"},
    {ETopologicalEntityInspectorModeType::process, L"process"},
    {ETopologicalEntityInspectorModeType::disabled, L"disabled"});

// ---- import groups ----

TRX_ENUM_NAMES(EVisuPMIProcessingMode,
    {EVisuPMIProcessingMode::unknown, L"unknown"}, {EVisuPMIProcessingMode::all, L"all"},
    {EVisuPMIProcessingMode::none, L"none"});

TRX_ENUM_NAMES(EImportEntities,
    {EImportEntities::unknown, L"unknown"}, {EImportEntities::root_only, L"root_only"},
    {EImportEntities::root_and_nonroot, L"root_and_nonroot"});

TRX_ENUM_NAMES(ETranslateHiddenEntitiesModeType,
    {ETranslateHiddenEntitiesModeType::unknown, L"unknown"},
    {ETranslateHiddenEntitiesModeType::all, L"all"},
    {ETranslateHiddenEntitiesModeType::none, L"none"},
    {ETranslateHiddenEntitiesModeType::only_with_visible_links, L"only_with_visible_links"});

TRX_ENUM_NAMES(EAssemblyPathPrefType,
    {EAssemblyPathPrefType::unknown, L"unknown"},
    {EAssemblyPathPrefType::subfolders_first, L"subfolders_first"},
    {EAssemblyPathPrefType::root_folder_only, L"root_folder_only"},
    {EAssemblyPathPrefType::root_folder_first, L"root_folder_first"});

TRX_ENUM_NAMES(EProcessInWorkObjectModeType,
    {EProcessInWorkObjectModeType::unknown, L"unknown"},
    {EProcessInWorkObjectModeType::true_, L"true"},
    {EProcessInWorkObjectModeType::false_, L"false"});

TRX_ENUM_NAMES(ENameProcessingModeType,
    {ENameProcessingModeType::unknown, L"unknown"},
    {ENameProcessingModeType::short_names, L"short_names"},
    {ENameProcessingModeType::long_names, L"long_names"});

TRX_ENUM_NAMES(EAssemblyUnfoldedViewMode,
    {EAssemblyUnfoldedViewMode::unknown, L"unknown"}, {EAssemblyUnfoldedViewMode::true_, L"true"},
    {EAssemblyUnfoldedViewMode::false_, L"false"});

TRX_ENUM_NAMES(EImportMfgProcessingModeType,
    {EImportMfgProcessingModeType::unknown, L"unknown"},
    {EImportMfgProcessingModeType::features_only, L"features_only"},
    {EImportMfgProcessingModeType::results_only, L"results_only"});

TRX_ENUM_NAMES(ETranslateSuppressedEntitiesModeType,
    {ETranslateSuppressedEntitiesModeType::unknown, L"unknown"},
    {ETranslateSuppressedEntitiesModeType::all, L"all"},
    {ETranslateSuppressedEntitiesModeType::none, L"none"});

TRX_ENUM_NAMES(EProcessMfgDataModeType,
    {EProcessMfgDataModeType::unknown, L"unknown"}, {EProcessMfgDataModeType::all, L"all"},
    {EProcessMfgDataModeType::none, L"none"});

TRX_ENUM_NAMES(EDocumentDelayLoadingMode,
    {EDocumentDelayLoadingMode::none, L"none"}, {EDocumentDelayLoadingMode::part, L"part"});

TRX_ENUM_NAMES(EEdgeAttributeModeType,
    {EEdgeAttributeModeType::unknown, L"unknown"}, {EEdgeAttributeModeType::none, L"none"},
    {EEdgeAttributeModeType::all, L"all"},
    {EEdgeAttributeModeType::pmi_owners_only, L"pmi_owners_only"},
    {EEdgeAttributeModeType::wire_body_only, L"wire_body_only"});

TRX_ENUM_NAMES(EImportMfgHolesOnSheetsMode,
    {EImportMfgHolesOnSheetsMode::unknown, L"unknown"},
    {EImportMfgHolesOnSheetsMode::ignore, L"ignore"},
    {EImportMfgHolesOnSheetsMode::include, L"include"});

TRX_ENUM_NAMES(ETranslateDrivingDimensionsModeType,
    {ETranslateDrivingDimensionsModeType::unknown, L"unknown"},
    {ETranslateDrivingDimensionsModeType::true_, L"true"},
    {ETranslateDrivingDimensionsModeType::false_, L"false"});

TRX_ENUM_NAMES(ETranslateConstructionGeometriesModeType,
    {ETranslateConstructionGeometriesModeType::unknown, L"unknown"},
    {ETranslateConstructionGeometriesModeType::true_, L"true"},
    {ETranslateConstructionGeometriesModeType::false_, L"false"});

TRX_ENUM_NAMES(ECopiousDataModeType,
    {ECopiousDataModeType::unknown, L"unknown"},
    {ECopiousDataModeType::single_b_spline, L"single_b_spline"},
    {ECopiousDataModeType::multiple_b_splines, L"multiple_b_splines"},
    {ECopiousDataModeType::multiple_lines, L"multiple_lines"});

// "3d" reads as 1 like "2d"; 1 keeps writing "2d" because the first pair for a value wins.
TRX_ENUM_NAMES(ETrimCurveImportPreferenceModeType,
    {ETrimCurveImportPreferenceModeType::unknown, L"unknown"},
    {ETrimCurveImportPreferenceModeType::curve_2d, L"2d"},
    {ETrimCurveImportPreferenceModeType::curve_2d, L"3d"},
    {ETrimCurveImportPreferenceModeType::from_source, L"from_source"});

TRX_ENUM_NAMES(EActiveStateProcessingModeType,
    {EActiveStateProcessingModeType::unknown, L"unknown"},
    {EActiveStateProcessingModeType::active_only, L"active_only"},
    {EActiveStateProcessingModeType::active_and_inactive, L"active_and_inactive"});

TRX_ENUM_NAMES(EImportEdgesModeType,
    {EImportEdgesModeType::unknown, L"unknown"}, {EImportEdgesModeType::all, L"all"},
    {EImportEdgesModeType::none, L"none"});

TRX_ENUM_NAMES(EUserPropertiesModeType,
    {EUserPropertiesModeType::unknown, L"unknown"},
    {EUserPropertiesModeType::translate_all, L"translate_all"},
    {EUserPropertiesModeType::translate_none, L"translate_none"});

TRX_ENUM_NAMES(ETranslateFreeCurvesModeType,
    {ETranslateFreeCurvesModeType::unknown, L"unknown"},
    {ETranslateFreeCurvesModeType::all, L"all"}, {ETranslateFreeCurvesModeType::none, L"none"});

TRX_ENUM_NAMES(ETranslateFreePointsModeType,
    {ETranslateFreePointsModeType::unknown, L"unknown"},
    {ETranslateFreePointsModeType::all, L"all"}, {ETranslateFreePointsModeType::none, L"none"});

TRX_ENUM_NAMES(EImportProductStructureRepresentationMode,
    {EImportProductStructureRepresentationMode::unknown, L"unknown"},
    {EImportProductStructureRepresentationMode::asm_rep, L"asm_rep"},
    {EImportProductStructureRepresentationMode::saved_visu_rep, L"saved_visu_rep"},
    {EImportProductStructureRepresentationMode::asm_rep_and_saved_visu_rep,
     L"asm_rep_and_saved_visu_rep"});

TRX_ENUM_NAMES(ELayerNameProcessingModeType,
    {ELayerNameProcessingModeType::unknown, L"unknown"},
    {ELayerNameProcessingModeType::asm_rep, L"asm_rep"},
    {ELayerNameProcessingModeType::saved_visu_rep, L"saved_visu_rep"});

TRX_ENUM_NAMES(EPersistentNameProcessingModeType,
    {EPersistentNameProcessingModeType::none, L"none"},
    {EPersistentNameProcessingModeType::vertex, L"vertex"},
    {EPersistentNameProcessingModeType::edge, L"edge"},
    {EPersistentNameProcessingModeType::face, L"face"},
    {EPersistentNameProcessingModeType::instance, L"instance"},
    {EPersistentNameProcessingModeType::unknown, L"unknown"});

// ---- export groups ----

TRX_ENUM_NAMES(EDefaultColorMode,
    {EDefaultColorMode::unknown, L"unknown"}, {EDefaultColorMode::false_, L"false"},
    {EDefaultColorMode::catiav5, L"catiav5"});

TRX_ENUM_NAMES(EGraphicalPMIContainerMode,
    {EGraphicalPMIContainerMode::unknown, L"unknown"},
    {EGraphicalPMIContainerMode::true_, L"true"}, {EGraphicalPMIContainerMode::false_, L"false"});

TRX_ENUM_NAMES(EExportVersionAcis,
    {EExportVersionAcis::unknown, L"unknown"}, {EExportVersionAcis::current, L"current"},
    {EExportVersionAcis::R18, L"R18"}, {EExportVersionAcis::R19, L"R19"},
    {EExportVersionAcis::R20, L"R20"}, {EExportVersionAcis::R21, L"R21"},
    {EExportVersionAcis::R22, L"R22"}, {EExportVersionAcis::R23, L"R23"},
    {EExportVersionAcis::R24, L"R24"}, {EExportVersionAcis::R25, L"R25"},
    {EExportVersionAcis::v2016_1_0, L"2016_1_0"}, {EExportVersionAcis::v2017_1_0, L"2017_1_0"},
    {EExportVersionAcis::v2018_1_0, L"2018_1_0"}, {EExportVersionAcis::v2019_1_0, L"2019_1_0"},
    {EExportVersionAcis::v2020_1_0, L"2020_1_0"}, {EExportVersionAcis::v2021_1_0, L"2021_1_0"},
    {EExportVersionAcis::v2022_1_0, L"2022_1_0"}, {EExportVersionAcis::v2023_1_0, L"2023_1_0"});

TRX_ENUM_NAMES(EExportVersionCatiaV4,
    {EExportVersionCatiaV4::unknown, L"unknown"}, {EExportVersionCatiaV4::v4_1_9, L"4.1.9"},
    {EExportVersionCatiaV4::v4_2_0, L"4.2.0"}, {EExportVersionCatiaV4::v4_2_1, L"4.2.1"},
    {EExportVersionCatiaV4::v4_2_2, L"4.2.2"}, {EExportVersionCatiaV4::v4_2_3, L"4.2.3"},
    {EExportVersionCatiaV4::v4_2_4, L"4.2.4"});

TRX_ENUM_NAMES(EEdgeCurveMode,
    {EEdgeCurveMode::unknown, L"unknown"}, {EEdgeCurveMode::curve_2d_3d, L"2d+3d"},
    {EEdgeCurveMode::curve_2d, L"2d"});

TRX_ENUM_NAMES(EExportCgrCompatibilityMode,
    {EExportCgrCompatibilityMode::unknown, L"unknown"},
    {EExportCgrCompatibilityMode::catia_v5, L"catia_v5"},
    {EExportCgrCompatibilityMode::catia_3dexperience, L"catia_3dexperience"});

TRX_ENUM_NAMES(EExportVersionCatiaV5,
    {EExportVersionCatiaV5::unknown, L"unknown"}, {EExportVersionCatiaV5::current, L"current"},
    {EExportVersionCatiaV5::V5_R16, L"V5_R16"}, {EExportVersionCatiaV5::V5_R17, L"V5_R17"},
    {EExportVersionCatiaV5::V5_R18, L"V5_R18"}, {EExportVersionCatiaV5::V5_R19, L"V5_R19"},
    {EExportVersionCatiaV5::V5_R20, L"V5_R20"}, {EExportVersionCatiaV5::V5_R21, L"V5_R21"},
    {EExportVersionCatiaV5::V5_6_R2012, L"V5_6_R2012"},
    {EExportVersionCatiaV5::V5_6_R2013, L"V5_6_R2013"},
    {EExportVersionCatiaV5::V5_6_R2014, L"V5_6_R2014"},
    {EExportVersionCatiaV5::V5_6_R2015, L"V5_6_R2015"},
    {EExportVersionCatiaV5::V5_6_R2016, L"V5_6_R2016"},
    {EExportVersionCatiaV5::V5_6_R2017, L"V5_6_R2017"},
    {EExportVersionCatiaV5::V5_6_R2018, L"V5_6_R2018"},
    {EExportVersionCatiaV5::V5_6_R2019, L"V5_6_R2019"},
    {EExportVersionCatiaV5::V5_6_R2020, L"V5_6_R2020"},
    {EExportVersionCatiaV5::V5_6_R2021, L"V5_6_R2021"},
    {EExportVersionCatiaV5::V5_6_R2022, L"V5_6_R2022"},
    {EExportVersionCatiaV5::V5_6_R2023, L"V5_6_R2023"});

TRX_ENUM_NAMES(EExportVersionParasolid,
    {EExportVersionParasolid::unknown, L"unknown"}, {EExportVersionParasolid::current, L"current"},
    {EExportVersionParasolid::r12, L"r12"}, {EExportVersionParasolid::r13, L"r13"},
    {EExportVersionParasolid::r14, L"r14"}, {EExportVersionParasolid::r15, L"r15"},
    {EExportVersionParasolid::r16, L"r16"}, {EExportVersionParasolid::r17, L"r17"},
    {EExportVersionParasolid::r18, L"r18"}, {EExportVersionParasolid::r19, L"r19"},
    {EExportVersionParasolid::r20, L"r20"}, {EExportVersionParasolid::r21, L"r21"},
    {EExportVersionParasolid::r22, L"r22"}, {EExportVersionParasolid::r23, L"r23"},
    {EExportVersionParasolid::r24, L"r24"}, {EExportVersionParasolid::r25, L"r25"},
    {EExportVersionParasolid::r26, L"r26"}, {EExportVersionParasolid::r27, L"r27"},
    {EExportVersionParasolid::r28, L"r28"}, {EExportVersionParasolid::r29, L"r29"},
    {EExportVersionParasolid::r30, L"r30"}, {EExportVersionParasolid::r31, L"r31"},
    {EExportVersionParasolid::r32, L"r32"}, {EExportVersionParasolid::r33, L"r33"},
    {EExportVersionParasolid::r34, L"r34"}, {EExportVersionParasolid::r35, L"r35"});

TRX_ENUM_NAMES(EExportVersionStep,
    {EExportVersionStep::unknown, L"unknown"}, {EExportVersionStep::AP203, L"AP203"},
    {EExportVersionStep::AP214, L"AP214"}, {EExportVersionStep::AP242, L"AP242"});

TRX_ENUM_NAMES(EExportVersionXCGM,
    {EExportVersionXCGM::unknown, L"unknown"}, {EExportVersionXCGM::current, L"current"},
    {EExportVersionXCGM::CGM_R2013x, L"CGM_R2013x"},
    {EExportVersionXCGM::CGM_R2014, L"CGM_R2014"},
    {EExportVersionXCGM::CGM_R2014x, L"CGM_R2014x"},
    {EExportVersionXCGM::CGM_R2015x_B1, L"CGM_R2015x_B1"},
    {EExportVersionXCGM::CGM_R2015x_B5, L"CGM_R2015x_B5"},
    {EExportVersionXCGM::CGM_R2015x_B5_SP1, L"CGM_R2015x_B5_SP1"},
    {EExportVersionXCGM::CGM_R2016_1_0, L"CGM_R2016_1_0"},
    {EExportVersionXCGM::CGM_R2016_1_1, L"CGM_R2016_1_1"},
    {EExportVersionXCGM::CGM_R2017_1_0, L"CGM_R2017_1_0"},
    {EExportVersionXCGM::CGM_R2017_1_1, L"CGM_R2017_1_1"},
    {EExportVersionXCGM::CGM_R2018_1_0, L"CGM_R2018_1_0"},
    {EExportVersionXCGM::CGM_R2018_1_1, L"CGM_R2018_1_1"},
    {EExportVersionXCGM::CGM_R2019_1_0, L"CGM_R2019_1_0"},
    {EExportVersionXCGM::CGM_R2020_1_0, L"CGM_R2020_1_0"},
    {EExportVersionXCGM::CGM_R2021_1_0, L"CGM_R2021_1_0"},
    {EExportVersionXCGM::CGM_R2022_1_0, L"CGM_R2022_1_0"},
    {EExportVersionXCGM::CGM_R2023_1_0, L"CGM_R2023_1_0"});

TRX_ENUM_NAMES(EExportSaveMode,
    {EExportSaveMode::unknown, L"unknown"}, {EExportSaveMode::text, L"text"},
    {EExportSaveMode::binary_le, L"binary_le"});

}  // namespace trx
