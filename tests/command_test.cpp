#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include "test_support.h"
#include "trx_api/trx_api_command.h"

using namespace trx;
using trx::test::LogCapture;

namespace {

std::wstring text(const Command& c) {
    std::wostringstream os;
    c.writeObject(os);
    return os.str();
}

Command read(const std::wstring& json, Command c = Command()) {
    std::wistringstream is(json);
    c.readObject(is);
    return c;
}

template <class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

// Every import group and the four common groups, each with values other than its defaults.
std::shared_ptr<ImportOptions> fullImportOptions() {
    auto set = Command::newImportOptions();
    set->setFile(L"C:\\models\\assembly \u00e9.CATProduct");
    set->setForceMPMode(true);
    set->setTranslateWorldOrientation(true);
    set->setTranslateMiscData(true);
    set->setModelerVersion(33);

    auto general = std::make_shared<OptionsGeneral>();
    general->setLogEventLevel(ELogEventLevelType::verbose);
    general->setLogFileEncoding(ELogFileEncodingType::utf16);
    general->setLogFileName(L"translation.log");
    general->setLoggingMode(ELoggingModeType::atomic);
    general->setLoggingOutputDirectory(L"/tmp/logs");
    general->setMemoryManagementMode(EMemoryManagementModeFlags::keep_part_mech);
    set->setFormatOptions(general);
    auto graphical = std::make_shared<OptionsGraphical>();
    graphical->setTesselation2DSagValue(0.25);
    graphical->setTesselation3DSagValue(1e-3);
    graphical->setTranslateReferenceGeometryMode(ETranslateReferenceGeometryMode::true_);
    graphical->setVisuBRepTessellationMode(EVisuBRepTessellationModeType::never_at_least_native_pmi);
    graphical->setVisuTextDataMode(EVisuTextDataMode::as_stroked);
    graphical->setVisuTextStrokingMode(EVisuTextStrokingMode::from_source_generated_with_inner_loops);
    set->setFormatOptions(graphical);
    auto mechanical = std::make_shared<OptionsMechanical>();
    mechanical->setFeatureToleranceProcessingMode(EFeatureToleranceProcessingModeType::none);
    mechanical->setMiscDataProcessingMode(EMiscDataProcessingModeType::all);
    set->setFormatOptions(mechanical);
    auto modeler = std::make_shared<OptionsModeler>();
    modeler->setAcisSplineResurfacingMode(EAcisSplineResurfacingModeType::erroneous_surfaces_only);
    modeler->setSplineResurfacingTolerance(0.125);
    modeler->setAttributeProcessingMode(EAttributeProcessingModeType::none);
    modeler->setAcisHealType(EAcisHealType::standard);
    modeler->setModelerUnits(ELengthUnitType::inch);
    modeler->setPreserveMfgMode(EPreserveMfgModeType::disabled);
    modeler->setPreserveModelAssociativityMode(EPreserveModelAssociativityModeType::decorate_all);
    modeler->setPreservePMIMode(EPreservePMIModeType::decorate_all_pmi);
    modeler->setTopologicalEntityInspectorMode(ETopologicalEntityInspectorModeType::process);
    set->setFormatOptions(modeler);

    auto xml = std::make_shared<imp::Options3DXML>();
    xml->setVisuPMIProcessingMode(EVisuPMIProcessingMode::none);
    set->setFormatOptions(xml);
    auto v4 = std::make_shared<imp::OptionsCatiaV4>();
    v4->setImportEntities(EImportEntities::root_only);
    v4->setHiddenEntitiesMode(ETranslateHiddenEntitiesModeType::none);
    v4->setLayerFilter(L"1-20;40");
    set->setFormatOptions(v4);
    auto v5 = std::make_shared<imp::OptionsCatiaV5>();
    v5->setAssemblyPathPreference(EAssemblyPathPrefType::root_folder_only);
    v5->setImportRootVisualization(true);
    v5->setProcessInWorkObject(EProcessInWorkObjectModeType::false_);
    v5->setNameProcessingMode(ENameProcessingModeType::long_names);
    v5->setAssemblyUnfoldedViewMode(EAssemblyUnfoldedViewMode::true_);
    v5->setMfgProcessingMode(EImportMfgProcessingModeType::features_only);
    v5->setSuppressedEntitiesMode(ETranslateSuppressedEntitiesModeType::all);
    v5->setProcessMfgDataMode(EProcessMfgDataModeType::all);
    v5->setDocumentDelayLoadingMode(EDocumentDelayLoadingMode::part);
    v5->setEdgeAttributeMode(EEdgeAttributeModeType::wire_body_only);
    v5->setPersistentNameModes({EPersistentNameProcessingModeType::face,
                                EPersistentNameProcessingModeType::edge});
    set->setFormatOptions(v5);
    auto drawing = std::make_shared<imp::OptionsCatiaV5Drawing>();
    drawing->setHiddenEntitiesMode(ETranslateHiddenEntitiesModeType::all);
    drawing->setVisuPMIProcessingMode(EVisuPMIProcessingMode::all);
    set->setFormatOptions(drawing);
    auto creo = std::make_shared<imp::OptionsCreo>();
    creo->setAlternateSearchPaths(L"/parts;/library");
    creo->setImportVisualization(true);
    creo->setImportPreviewGraphics(true);
    creo->setImportConfiguration(L"simplified");
    creo->setMfgHolesOnSheetsMode(EImportMfgHolesOnSheetsMode::include);
    creo->setTranslateDrivingDimensionsMode(ETranslateDrivingDimensionsModeType::true_);
    creo->setTranslateConstructionGeometriesMode(ETranslateConstructionGeometriesModeType::false_);
    creo->setTranslateReferenceGeometryMode(ETranslateReferenceGeometryMode::true_);
    creo->addPersistentNameMode(EPersistentNameProcessingModeType::instance);
    set->setFormatOptions(creo);
    auto iges = std::make_shared<imp::OptionsIGES>();
    iges->setImportEntities(EImportEntities::root_and_nonroot);
    iges->setCopiousDataMode(ECopiousDataModeType::multiple_lines);
    iges->setTrimCurveImportPreferenceMode(ETrimCurveImportPreferenceModeType::curve_2d);
    set->setFormatOptions(iges);
    auto inventor = std::make_shared<imp::OptionsInventor>();
    inventor->setAssemblySearchPaths(L"/inventor");
    inventor->setAssemblyPathPreference(EAssemblyPathPrefType::subfolders_first);
    inventor->setActiveStateProcessingMode(EActiveStateProcessingModeType::active_only);
    inventor->addPersistentNameMode(EPersistentNameProcessingModeType::vertex);
    set->setFormatOptions(inventor);
    auto jt = std::make_shared<imp::OptionsJT>();
    jt->setImportGeometry(true);
    jt->setImportEdgesMode(EImportEdgesModeType::none);
    jt->setUserPropertiesMode(EUserPropertiesModeType::translate_none);
    jt->setImportVisuLOD(L"lod2");
    set->setFormatOptions(jt);
    auto nx = std::make_shared<imp::OptionsNX>();
    nx->setImportRootVisualization(true);
    nx->setImportConfiguration(L"As Saved");
    nx->setTranslateFreeCurvesMode(ETranslateFreeCurvesModeType::none);
    nx->setTranslateFreePointsMode(ETranslateFreePointsModeType::all);
    set->setFormatOptions(nx);
    auto parasolid = std::make_shared<imp::OptionsParasolid>();
    parasolid->setHiddenEntitiesMode(ETranslateHiddenEntitiesModeType::only_with_visible_links);
    set->setFormatOptions(parasolid);
    auto solidEdge = std::make_shared<imp::OptionsSolidEdge>();
    solidEdge->setAssemblySearchPaths(L"/se");
    solidEdge->setVisuPMIProcessingMode(EVisuPMIProcessingMode::all);
    set->setFormatOptions(solidEdge);
    auto solidWorks = std::make_shared<imp::OptionsSolidWorks>();
    solidWorks->setImportConfiguration(L"Default");
    solidWorks->setProductStructureMode(
        EImportProductStructureRepresentationMode::asm_rep_and_saved_visu_rep);
    set->setFormatOptions(solidWorks);
    set->setFormatOptions(std::make_shared<imp::OptionsSolidWorksDrawing>());
    auto step = std::make_shared<imp::OptionsSTEP>();
    step->setImportVisualization(true);
    step->setLayerNameProcessingMode(ELayerNameProcessingModeType::saved_visu_rep);
    set->setFormatOptions(step);
    auto xcgm = std::make_shared<imp::OptionsXCGM>();
    xcgm->setImportGeometry(true);
    xcgm->setVisuPMIProcessingMode(EVisuPMIProcessingMode::none);
    set->setFormatOptions(xcgm);
    return set;
}

std::shared_ptr<ExportOptions> fullExportOptions() {
    auto set = Command::newExportOptions();
    set->setFile(L"/out/model.stp");
    set->setFormatVersion(L"v2");
    set->setGeometryFlags(0x15);
    auto xml = std::make_shared<exp::Options3DXML>();
    xml->setDefaultColorMode(EDefaultColorMode::false_);
    xml->setGraphicalPMIContainerMode(EGraphicalPMIContainerMode::true_);
    set->setFormatOptions(xml);
    auto acis = std::make_shared<exp::OptionsAcis>();
    acis->setVersion(EExportVersionAcis::v2021_1_0);
    acis->setUnits(ELengthUnitType::meter);
    set->setFormatOptions(acis);
    auto v4 = std::make_shared<exp::OptionsCatiaV4>();
    v4->setAuthorName(L"A. Author");
    v4->setModelName(L"MODEL 1");
    v4->setVersion(EExportVersionCatiaV4::v4_2_4);
    v4->setEdgeCurveMode(EEdgeCurveMode::curve_2d_3d);
    set->setFormatOptions(v4);
    auto v5 = std::make_shared<exp::OptionsCatiaV5>();
    v5->setVersion(EExportVersionCatiaV5::V5_6_R2023);
    v5->setGraphicalDefaultColorMode(EDefaultColorMode::false_);
    v5->setCgrCompatibilityMode(EExportCgrCompatibilityMode::catia_v5);
    set->setFormatOptions(v5);
    auto iges = std::make_shared<exp::OptionsIGES>();
    iges->setUnits(ELengthUnitType::microinch);
    set->setFormatOptions(iges);
    auto parasolid = std::make_shared<exp::OptionsParasolid>();
    parasolid->setVersion(EExportVersionParasolid::r35);
    set->setFormatOptions(parasolid);
    auto step = std::make_shared<exp::OptionsSTEP>();
    step->setUnits(ELengthUnitType::inch);
    step->setVersion(EExportVersionStep::AP214);
    step->setFileTolerance(2.5e-4);
    step->setLayerNameProcessingMode(ELayerNameProcessingModeType::saved_visu_rep);
    set->setFormatOptions(step);
    auto xcgm = std::make_shared<exp::OptionsXCGM>();
    xcgm->setVersion(EExportVersionXCGM::CGM_R2015x_B5_SP1);
    xcgm->setGraphicalDefaultColorMode(EDefaultColorMode::catiav5);
    xcgm->setGraphicalPMIContainerMode(EGraphicalPMIContainerMode::false_);
    set->setFormatOptions(xcgm);
    auto stl = std::make_shared<exp::OptionsSTL>();
    stl->setSaveMode(EExportSaveMode::text);
    set->setFormatOptions(stl);
    auto pdf = std::make_shared<exp::OptionsPDF>();
    pdf->setBackgroundColor(ExcColor(255, 128, 0));
    set->setFormatOptions(pdf);
    return set;
}

// The group of class G in both sets, equal member by member, and not a default group.
template <class G, class Set>
void expectSameGroup(const Set& sent, const Set& received, bool hasMembers = true) {
    SCOPED_TRACE(typeid(G).name());
    const auto a = sent.template formatOptionsOf<G>();
    const auto b = received.template formatOptionsOf<G>();
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_NE(a, b);
    EXPECT_EQ(*a, *b);
    if (hasMembers) {
        EXPECT_NE(*a, G());
    }
}

}  // namespace

TEST(Command, CompleteImportCommandRoundTrips) {
    Command command;
    command.setType(Command::Import);
    command.setInternalInterface(EBridgeInterface::Connect);
    command.setUseMultiThreading(true);
    const auto sent = fullImportOptions();
    command.setImportOptions(sent);

    const Command back = read(text(command));
    EXPECT_EQ(back.type(), Command::Import);
    EXPECT_EQ(back.internalInterface(), EBridgeInterface::Connect);
    EXPECT_TRUE(back.useMultiThreading());
    EXPECT_FALSE(back.legacyImportOptions());
    const auto received = back.importOptions();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->file(), sent->file());
    EXPECT_TRUE(received->forceMPMode());
    EXPECT_TRUE(received->translateWorldOrientation());
    EXPECT_TRUE(received->translateMiscData());
    EXPECT_EQ(received->modelerVersion(), 33);

    expectSameGroup<OptionsGeneral>(*sent, *received);
    expectSameGroup<OptionsGraphical>(*sent, *received);
    expectSameGroup<OptionsMechanical>(*sent, *received);
    expectSameGroup<OptionsModeler>(*sent, *received);
    expectSameGroup<imp::Options3DXML>(*sent, *received);
    expectSameGroup<imp::OptionsCatiaV4>(*sent, *received);
    expectSameGroup<imp::OptionsCatiaV5>(*sent, *received);
    expectSameGroup<imp::OptionsCatiaV5Drawing>(*sent, *received);
    expectSameGroup<imp::OptionsCreo>(*sent, *received);
    expectSameGroup<imp::OptionsIGES>(*sent, *received);
    expectSameGroup<imp::OptionsInventor>(*sent, *received);
    expectSameGroup<imp::OptionsJT>(*sent, *received);
    expectSameGroup<imp::OptionsNX>(*sent, *received);
    expectSameGroup<imp::OptionsParasolid>(*sent, *received);
    expectSameGroup<imp::OptionsSolidEdge>(*sent, *received);
    expectSameGroup<imp::OptionsSolidWorks>(*sent, *received);
    expectSameGroup<imp::OptionsSolidWorksDrawing>(*sent, *received, false);
    expectSameGroup<imp::OptionsSTEP>(*sent, *received);
    expectSameGroup<imp::OptionsXCGM>(*sent, *received);
    // The text written again is the same text.
    EXPECT_EQ(text(back), text(command));
}

TEST(Command, CompleteExportCommandRoundTrips) {
    Command command;
    command.setType(Command::Export);
    const auto sent = fullExportOptions();
    command.setExportOptions(sent);

    const Command back = read(text(command));
    EXPECT_EQ(back.type(), Command::Export);
    EXPECT_EQ(back.internalInterface(), EBridgeInterface::UConnect);
    const auto received = back.exportOptions();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->file(), L"/out/model.stp");
    EXPECT_EQ(received->formatVersion(), L"v2");
    EXPECT_EQ(received->geometryFlags(), 0x15);
    expectSameGroup<exp::Options3DXML>(*sent, *received);
    expectSameGroup<exp::OptionsAcis>(*sent, *received);
    expectSameGroup<exp::OptionsCatiaV4>(*sent, *received);
    expectSameGroup<exp::OptionsCatiaV5>(*sent, *received);
    expectSameGroup<exp::OptionsIGES>(*sent, *received);
    expectSameGroup<exp::OptionsParasolid>(*sent, *received);
    expectSameGroup<exp::OptionsSTEP>(*sent, *received);
    expectSameGroup<exp::OptionsXCGM>(*sent, *received);
    expectSameGroup<exp::OptionsSTL>(*sent, *received);
    expectSameGroup<exp::OptionsPDF>(*sent, *received);
    EXPECT_EQ(text(back), text(command));
}

TEST(Command, PrettyText) {
    Command fresh;
    EXPECT_EQ(text(fresh),
              L"{\n  \"bridge_interface\": \"uconnect\",\n  \"command\": \"unknown\",\n"
              L"  \"mt_mode\": false\n}");
    Command info;
    info.setType(Command::Info);
    info.setInternalInterface(EBridgeInterface::Connect);
    EXPECT_EQ(text(info),
              L"{\n  \"bridge_interface\": \"connect\",\n  \"command\": \"info\",\n"
              L"  \"mt_mode\": false\n}");
    info.setType(static_cast<Command::EType>(9));
    info.setInternalInterface(static_cast<EBridgeInterface>(5));
    EXPECT_EQ(text(info),
              L"{\n  \"bridge_interface\": \"uconnect\",\n  \"command\": \"unknown\",\n"
              L"  \"mt_mode\": false\n}");

    Command import;
    import.setType(Command::Import);
    import.setUseMultiThreading(true);
    auto set = Command::newImportOptions();
    set->setFile(L"a.prt");
    auto inventor = std::make_shared<imp::OptionsSolidEdge>();
    inventor->addPersistentNameMode(EPersistentNameProcessingModeType::face);
    inventor->addPersistentNameMode(EPersistentNameProcessingModeType::edge);
    set->setFormatOptions(inventor);
    import.setImportOptions(set);
    EXPECT_EQ(text(import),
              L"{\n"
              L"  \"bridge_interface\": \"uconnect\",\n"
              L"  \"command\": \"import\",\n"
              L"  \"options\": {\n"
              L"    \"file\": \"a.prt\",\n"
              L"    \"force_mp_mode\": false,\n"
              L"    \"translate_world_orientation\": false,\n"
              L"    \"translate_misc_data\": false,\n"
              L"    \"format_options\": [{\n"
              L"        \"operation_type\": \"import\",\n"
              L"        \"format_type\": \"SolidEdge\",\n"
              L"        \"search_paths\": \"\",\n"
              L"        \"assembly_path_pref\": \"unknown\",\n"
              L"        \"import_visualization\": false,\n"
              L"        \"import_root_visualization\": false,\n"
              L"        \"import_preview_graphics\": false,\n"
              L"        \"hidden_entities_mode\": \"unknown\",\n"
              L"        \"visu_pmi_mode\": \"unknown\",\n"
              L"        \"pname_modes\": [\"edge\", \"face\"]\n"
              L"      }],\n"
              L"    \"modeler_version\": 31\n"
              L"  },\n"
              L"  \"mt_mode\": true\n"
              L"}");
}

TEST(Command, LegacyCommandsRoundTrip) {
    LogCapture log(vx_bridge::kDebug);
    auto legacyImport = Command::newLegacyImportOptions();
    legacyImport->setFile(L"/in/part.sldprt");
    legacyImport->setTemporaryDwg(L"/tmp/result.dwg");
    legacyImport->setUseIopMP(true);
    legacyImport->setPmiMode(2);
    legacyImport->setProductStructureMode(1);
    legacyImport->setColorsMode(2);
    legacyImport->setHiddenPartsMode(2);
    legacyImport->setInsUnitsDefSource(24);
    legacyImport->setInsUnitsScaling(true);
    legacyImport->setImportAcisNatively(true);
    legacyImport->setStepRotateYZ(true);
    legacyImport->setSolidWorksRotateYZ(true);
    legacyImport->setCatiaV5EdgeAttributeMode(EEdgeAttributeModeType::pmi_owners_only);
    legacyImport->setAlternateSearchPath(L"part.sldprt", L"/alt/parts");
    legacyImport->setAlternateSearchPath(L"asm.sldasm", L"/alt/asm");
    legacyImport->setAlternateSearchPath(L"ignored", L"");
    legacyImport->setPrintDebugLog(true);
    auto step = std::make_shared<imp::OptionsSTEP>();
    step->setImportGeometry(true);
    legacyImport->setFormatOptions(step);

    Command command;
    command.setType(Command::Import);
    command.setInternalInterface(EBridgeInterface::Legacy);
    command.setLegacyImportOptions(legacyImport);
    command.setImportOptions(Command::newImportOptions());  // not the interface's family: unused
    const std::wstring importText = text(command);
    EXPECT_NE(importText.find(L"\"import_acis_natively\": true,\n    \"import_acis_with_veltrix\": true"),
              std::wstring::npos);
    EXPECT_NE(importText.find(L"\"alternate_search_paths\": {\n      \"asm.sldasm\": \"/alt/asm\",\n"
                              L"      \"part.sldprt\": \"/alt/parts\"\n    }"),
              std::wstring::npos);
    EXPECT_NE(importText.find(L"\"ins_units_def_source\": \"us_survey_mil\""), std::wstring::npos);

    const Command back = read(importText);
    EXPECT_FALSE(back.importOptions());
    const auto in = back.legacyImportOptions();
    ASSERT_TRUE(in);
    EXPECT_EQ(in->file(), L"/in/part.sldprt");
    EXPECT_EQ(in->temporaryDwg(), L"/tmp/result.dwg");
    EXPECT_TRUE(in->useIopMP());
    EXPECT_EQ(in->pmiMode(), 2);
    EXPECT_EQ(in->productStructureMode(), 1);
    EXPECT_EQ(in->colorsMode(), 2);
    EXPECT_EQ(in->hiddenPartsMode(), 2);
    EXPECT_EQ(in->insUnitsDefSource(), 24);
    EXPECT_TRUE(in->insUnitsScaling());
    EXPECT_TRUE(in->importAcisNatively());
    EXPECT_TRUE(in->stepRotateYZ());
    EXPECT_TRUE(in->solidWorksRotateYZ());
    EXPECT_EQ(in->catiaV5EdgeAttributeMode(), EEdgeAttributeModeType::pmi_owners_only);
    EXPECT_EQ(in->alternateSearchPath(L"part.sldprt"), L"/alt/parts");
    EXPECT_EQ(in->alternateSearchPath(L"asm.sldasm"), L"/alt/asm");
    EXPECT_FALSE(in->hasAlternateSearchPath(L"ignored"));
    EXPECT_EQ(in->alternateSearchPath(L"missing"), L"");
    EXPECT_TRUE(in->printDebugLog());
    ASSERT_TRUE(in->formatOptionsOf<imp::OptionsSTEP>());
    EXPECT_EQ(*in->formatOptionsOf<imp::OptionsSTEP>(), *step);
    EXPECT_EQ(text(back), importText);
    EXPECT_TRUE(log.contains("] LegacyImportOptions.temporaryDwg = /tmp/result.dwg"));
    EXPECT_TRUE(log.contains("] LegacyImportOptions.AlternateSearchPaths for asm.sldasm"));

    auto legacyExport = Command::newLegacyExportOptions();
    legacyExport->setFile(L"/out/model.igs");
    legacyExport->setTemporaryDwg(L"/tmp/source.dwg");
    legacyExport->setFormatVersion(L"5.3");
    legacyExport->setGeometryFlags(3);
    legacyExport->setInsUnitsScaling(true);
    legacyExport->setInsUnitsDefTarget(4);
    legacyExport->setProductStructureMode(0);
    legacyExport->setHiddenPartsMode(1);
    // Handles are unsigned on the host side; one with the top bit set must survive too.
    legacyExport->setSelectionSet({0x2A, 0x7FFFFFFFFFFFFFFF, -2});
    legacyExport->addComponentName(0x1F, L"Bolt M8");
    legacyExport->addComponentName(0x0A, L"Plate");
    legacyExport->addComponentName(-1, L"Top bit");
    legacyExport->addHiddenComponent(0x0B);
    legacyExport->addHiddenComponent(0x0C);
    legacyExport->setStepFormatVersion(3);
    legacyExport->setAcisFormatVersion(21);
    legacyExport->setCatiaV4FormatVersion(4);
    legacyExport->setCatiaV5FormatVersion(5);
    legacyExport->setParasolidFormatVersion(30);
    legacyExport->setXcgmFormatVersion(1);
    legacyExport->setPrintDebugLog(true);
    legacyExport->setFormatOptions(std::make_shared<exp::OptionsSTEP>());  // inert here
    EXPECT_FALSE(legacyExport->formatOptions(EFormatType::STEP));

    command.setType(Command::Export);
    command.setLegacyExportOptions(legacyExport);
    const std::wstring exportText = text(command);
    EXPECT_NE(exportText.find(L"\"selection_set\": [42, 9223372036854775807, 18446744073709551614]"),
              std::wstring::npos)
        << trx::toNarrow(exportText);
    EXPECT_NE(exportText.find(L"\"component_names\": [{\n"), std::wstring::npos);

    // Reading an export leaves the import slot that the command already held.
    const Command exportBack = read(exportText, back);
    EXPECT_EQ(exportBack.legacyImportOptions(), in);
    const auto out = exportBack.legacyExportOptions();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->file(), L"/out/model.igs");
    EXPECT_EQ(out->temporaryDwg(), L"/tmp/source.dwg");
    EXPECT_EQ(out->formatVersion(), L"5.3");
    EXPECT_EQ(out->geometryFlags(), 3);
    EXPECT_TRUE(out->insUnitsScaling());
    EXPECT_EQ(out->insUnitsDefTarget(), 4);
    EXPECT_EQ(out->productStructureMode(), 0);
    EXPECT_EQ(out->hiddenPartsMode(), 1);
    EXPECT_EQ(out->selectionSet(), legacyExport->selectionSet());
    EXPECT_EQ(out->componentNames(), legacyExport->componentNames());
    EXPECT_EQ(out->hiddenComponents(), legacyExport->hiddenComponents());
    EXPECT_EQ(out->stepFormatVersion(), 3);
    EXPECT_EQ(out->acisFormatVersion(), 21);
    EXPECT_EQ(out->catiaV4FormatVersion(), 4);
    EXPECT_EQ(out->catiaV5FormatVersion(), 5);
    EXPECT_EQ(out->parasolidFormatVersion(), 30);
    EXPECT_EQ(out->xcgmFormatVersion(), 1);
    EXPECT_TRUE(out->printDebugLog());
    EXPECT_EQ(text(exportBack), exportText);
}

TEST(Command, LegacyDefaultsAndLenientMembers) {
    Command command;
    command.setType(Command::Import);
    command.setInternalInterface(EBridgeInterface::Legacy);
    command.setLegacyImportOptions(Command::newLegacyImportOptions());
    EXPECT_EQ(text(command),
              L"{\n  \"bridge_interface\": \"legacy\",\n  \"command\": \"import\",\n  \"options\": {\n"
              L"    \"file\": \"\",\n    \"temporary_dwg\": \"\",\n    \"pmi_mode\": \"graphical\",\n"
              L"    \"product_structure_mode\": \"as_mechanical_components\",\n"
              L"    \"colors_mode\": \"matching_index\",\n    \"hidden_parts_mode\": \"import_show\",\n"
              L"    \"ins_units_def_source\": \"undefined\",\n"
              L"    \"edge_attribute_mode\": \"wire_body_only\"\n  },\n  \"mt_mode\": false\n}");
    command.setType(Command::Export);
    command.setLegacyExportOptions(Command::newLegacyExportOptions());
    EXPECT_EQ(text(command),
              L"{\n  \"bridge_interface\": \"legacy\",\n  \"command\": \"export\",\n  \"options\": {\n"
              L"    \"file\": \"\",\n    \"temporary_dwg\": \"\",\n"
              L"    \"ins_units_def_target\": \"undefined\",\n"
              L"    \"product_structure_mode\": \"as_mechanical_components\",\n"
              L"    \"hidden_parts_mode\": \"export_hide\"\n  },\n  \"mt_mode\": false\n}");

    // The generic ACIS key is read last and wins; unknown names take each table's fallback.
    const Command in = read(LR"({"bridge_interface":"legacy","command":"import","options":{
        "file":"f","temporary_dwg":"t","import_acis_with_veltrix":true,"import_acis_natively":false,
        "pmi_mode":"x","product_structure_mode":"x","colors_mode":"x","hidden_parts_mode":"x",
        "ins_units_def_source":"x","edge_attribute_mode":"x","use_interop_mp":1,
        "alternate_search_paths":{"a":"/a","b":2,"c":""}}})");
    const auto set = in.legacyImportOptions();
    ASSERT_TRUE(set);
    EXPECT_FALSE(set->importAcisNatively());
    EXPECT_EQ(set->pmiMode(), 1);
    EXPECT_EQ(set->productStructureMode(), 1);
    EXPECT_EQ(set->colorsMode(), 1);
    EXPECT_EQ(set->hiddenPartsMode(), 2);
    EXPECT_EQ(set->insUnitsDefSource(), 11);
    EXPECT_EQ(set->catiaV5EdgeAttributeMode(), EEdgeAttributeModeType::all);
    EXPECT_FALSE(set->useIopMP());
    EXPECT_TRUE(set->hasAlternateSearchPath(L"a"));
    EXPECT_FALSE(set->hasAlternateSearchPath(L"b"));
    EXPECT_FALSE(set->hasAlternateSearchPath(L"c"));

    const Command out = read(LR"({"bridge_interface":"legacy","command":"export","options":{
        "file":"f","temporary_dwg":"t","product_structure_mode":"x","hidden_parts_mode":"x",
        "ins_units_def_target":"x","selection_set":[1,-1,2.0,"3",4],
        "component_names":[{"component_handle":5,"component_name":"five"},
                           {"component_handle":-5,"component_name":"minus"},
                           {"component_handle":6},7,{"component_name":"x"}],
        "step_format_version":2.0}})");
    const auto exportSet = out.legacyExportOptions();
    ASSERT_TRUE(exportSet);
    EXPECT_EQ(exportSet->productStructureMode(), 1);
    EXPECT_EQ(exportSet->hiddenPartsMode(), 1);
    EXPECT_EQ(exportSet->insUnitsDefTarget(), 11);
    EXPECT_EQ(exportSet->selectionSet(), (std::vector<std::int64_t>{1, 4}));
    EXPECT_EQ(exportSet->componentNames(), (ComponentNames{{5, L"five"}}));
    EXPECT_EQ(exportSet->stepFormatVersion(), 2);
}

TEST(Command, StrictFailures) {
    Command command;
    // Only the library's own sets are accepted; the stored set stays.
    const auto own = Command::newImportOptions();
    command.setImportOptions(own);
    EXPECT_EQ(errorOf([&] { command.setImportOptions(nullptr); }),
              "Wrong implementation of ImportOptions interface.");
    EXPECT_EQ(errorOf([&] { command.setImportOptions(Command::newLegacyImportOptions()); }),
              "Wrong implementation of ImportOptions interface.");
    EXPECT_EQ(command.importOptions(), own);
    EXPECT_EQ(errorOf([&] { command.setExportOptions(Command::newLegacyExportOptions()); }),
              "Wrong implementation of ExportOptions interface");

    Command empty;
    empty.setType(Command::Import);
    empty.setInternalInterface(EBridgeInterface::Connect);
    empty.setLegacyImportOptions(Command::newLegacyImportOptions());
    EXPECT_EQ(errorOf([&] { text(empty); }), "Import command should contain import options");
    empty.setInternalInterface(EBridgeInterface::Legacy);
    empty.setLegacyImportOptions(nullptr);
    empty.setImportOptions(Command::newImportOptions());
    EXPECT_EQ(errorOf([&] { text(empty); }),
              "Import(LEGACY) command should contain import options(LEGACY)");
    empty.setType(Command::Export);
    EXPECT_EQ(errorOf([&] { text(empty); }),
              "Export(LEGACY) command should contain export options(LEGACY)");
    empty.setInternalInterface(EBridgeInterface::UConnect);
    EXPECT_EQ(errorOf([&] { text(empty); }), "Export command should contain export options");

    // A number the text cannot carry.
    auto graphical = std::make_shared<OptionsGraphical>();
    graphical->setTesselation3DSagValue(std::numeric_limits<double>::quiet_NaN());
    auto set = Command::newImportOptions();
    set->setFormatOptions(graphical);
    Command nan;
    nan.setType(Command::Import);
    nan.setImportOptions(set);
    EXPECT_EQ(errorOf([&] { text(nan); }), "Cannot write object into json document");

    const struct {
        const wchar_t* json;
        const char* error;
    } bad[] = {
        {L"", "Invalid json document"},
        {L"[]", "Invalid json document"},
        {LR"({"command":"ping"} {"command":"ping"})", "Invalid json document"},
        {LR"({"command":"ping")", "Invalid json document"},
        {LR"({"bridge_interface":"connect"})", "Json document has no command type."},
        {LR"({"command":4})", "Json document has no command type."},
        {LR"({"command":"import"})", "Import command should contain options."},
        {LR"({"command":"import","options":[]})", "Import command should contain options."},
        {LR"({"command":"export","options":"x"})", "Export command should contain options."},
        {LR"({"command":"import","options":{}})", "Json document has no valid file path."},
        {LR"({"command":"export","options":{"file":1}})", "Json document has no valid file path."},
        {LR"({"bridge_interface":"legacy","command":"import","options":{"file":"f"}})",
         "Json document has no valid temporary dwg path."},
        {LR"({"bridge_interface":"legacy","command":"export","options":{"file":"f","temporary_dwg":0}})",
         "Json document has no valid temporary dwg path."},
    };
    for (const auto& b : bad)
        EXPECT_EQ(errorOf([&] { read(b.json); }), b.error) << trx::toNarrow(b.json);

    // Fields read before the failure keep their new values.
    Command partly;
    EXPECT_EQ(errorOf([&] {
                  std::wistringstream is(LR"({"bridge_interface":"connect","command":"import","options":[]})");
                  partly.readObject(is);
              }),
              "Import command should contain options.");
    EXPECT_EQ(partly.type(), Command::Import);
    EXPECT_EQ(partly.internalInterface(), EBridgeInterface::Connect);
}

TEST(Command, LenientReading) {
    Command before;
    before.setUseMultiThreading(true);
    before.setInternalInterface(EBridgeInterface::Legacy);
    before.setImportOptions(Command::newImportOptions());

    // Names are exact: other spellings read as unknown / uconnect; a numeric flag is ignored.
    Command c = read(LR"({"command":"Info","mt_mode":1})", before);
    EXPECT_EQ(c.type(), Command::Unknown);
    EXPECT_EQ(c.internalInterface(), EBridgeInterface::Legacy);
    EXPECT_TRUE(c.useMultiThreading());
    c = read(LR"({"command":"ping","bridge_interface":"uconnect","mt_mode":false})", before);
    EXPECT_EQ(c.type(), Command::Ping);
    EXPECT_EQ(c.internalInterface(), EBridgeInterface::UConnect);
    EXPECT_FALSE(c.useMultiThreading());
    c = read(LR"({"command":"info","bridge_interface":"LEGACY"})", before);
    EXPECT_EQ(c.internalInterface(), EBridgeInterface::UConnect);

    // The interface is taken before the command, wherever it stands in the text.
    const std::wstring legacyImport =
        LR"({"command":"import","options":{"file":"f","temporary_dwg":"t"},"bridge_interface":"legacy"})";
    c = read(legacyImport, before);
    EXPECT_TRUE(c.legacyImportOptions());
    EXPECT_EQ(c.importOptions(), before.importOptions());
    c = read(LR"({"command":"import","options":{"file":"f"}})");
    EXPECT_TRUE(c.importOptions());
    EXPECT_FALSE(c.legacyImportOptions());

    // Info and ping ignore "options"; copies share the option sets.
    c = read(LR"({"command":"info","options":7})");
    EXPECT_EQ(c.type(), Command::Info);
    Command copy = before;
    EXPECT_EQ(copy.importOptions(), before.importOptions());
    copy.importOptions()->setFile(L"shared");
    EXPECT_EQ(before.importOptions()->file(), L"shared");
}
