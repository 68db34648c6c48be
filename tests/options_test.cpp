#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <typeinfo>

#include "test_support.h"
#include "trx_api/trx_api_command.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::toText;

namespace {

JsonDocument parse(const std::wstring& text) {
    JsonDocument doc;
    std::wistringstream is(text);
    JsonTextIO::read(is, doc);
    EXPECT_FALSE(doc.HasParseError()) << "bad test JSON";
    return doc;
}

std::shared_ptr<IFormatOptions> readOptions(const std::wstring& text) {
    return IFormatOptions::readOptions(parse(text));
}

template <class E>
void expectFallbacks(E unknownNameReadsAs, const wchar_t* unnamedValueWritesAs) {
    SCOPED_TRACE(typeid(E).name());
    EXPECT_EQ(enumFromString<E>(L"no such name"), unknownNameReadsAs);
    EXPECT_EQ(enumToString(static_cast<E>(1000)), unnamedValueWritesAs);
}

template <class Set>
std::string readError(Set& set, const std::wstring& text) {
    try {
        parseInto(set, text);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

// An unknown name reads as the value whose name sorts first; a value outside the table writes
// the name of the smallest value. A misspelt name in a table moves these, so all are listed.
TEST(OptionEnumerations, FallbacksOfEveryTable) {
    expectFallbacks(EOperationType::Export, L"options");
    expectFallbacks(EFormatType::PDF_3D, L"unknown");
    expectFallbacks(ELogEventLevelType::abort, L"unknown");
    expectFallbacks(ELogFileEncodingType::mbcs, L"unknown");
    expectFallbacks(ELoggingModeType::append, L"unknown");
    expectFallbacks(EMemoryManagementModeFlags::keep_asm_mech, L"keep_none");
    expectFallbacks(ETranslateReferenceGeometryMode::false_, L"unknown");
    expectFallbacks(EVisuBRepTessellationModeType::auto_, L"unknown");
    expectFallbacks(EVisuTextDataMode::as_string, L"unknown");
    expectFallbacks(EVisuTextStrokingMode::from_iop, L"unknown");
    expectFallbacks(EFeatureToleranceProcessingModeType::all, L"unknown");
    expectFallbacks(EMiscDataProcessingModeType::all, L"unknown");
    expectFallbacks(EAcisSplineResurfacingModeType::erroneous_and_short_surfaces, L"unknown");
    expectFallbacks(EAttributeProcessingModeType::all, L"unknown");
    expectFallbacks(EAcisHealType::minimal, L"unknown");
    expectFallbacks(EPreserveMfgModeType::decorate_all_mfg, L"unknown");
    expectFallbacks(EPreserveModelAssociativityModeType::decorate_all, L"unknown");
    expectFallbacks(EPreservePMIModeType::decorate_all_pmi, L"unknown");
    expectFallbacks(ETopologicalEntityInspectorModeType::disabled, L"unknown");
    expectFallbacks(EVisuPMIProcessingMode::all, L"unknown");
    expectFallbacks(EImportEntities::root_and_nonroot, L"unknown");
    expectFallbacks(ETranslateHiddenEntitiesModeType::all, L"unknown");
    expectFallbacks(EAssemblyPathPrefType::root_folder_first, L"unknown");
    expectFallbacks(EProcessInWorkObjectModeType::false_, L"unknown");
    expectFallbacks(ENameProcessingModeType::long_names, L"unknown");
    expectFallbacks(EAssemblyUnfoldedViewMode::false_, L"unknown");
    expectFallbacks(EImportMfgProcessingModeType::features_only, L"unknown");
    expectFallbacks(ETranslateSuppressedEntitiesModeType::all, L"unknown");
    expectFallbacks(EProcessMfgDataModeType::all, L"unknown");
    expectFallbacks(EDocumentDelayLoadingMode::none, L"none");
    expectFallbacks(EEdgeAttributeModeType::all, L"unknown");
    expectFallbacks(EImportMfgHolesOnSheetsMode::ignore, L"unknown");
    expectFallbacks(ETranslateDrivingDimensionsModeType::false_, L"unknown");
    expectFallbacks(ETranslateConstructionGeometriesModeType::false_, L"unknown");
    expectFallbacks(ECopiousDataModeType::multiple_b_splines, L"unknown");
    expectFallbacks(ETrimCurveImportPreferenceModeType::curve_2d, L"unknown");
    expectFallbacks(EActiveStateProcessingModeType::active_and_inactive, L"unknown");
    expectFallbacks(EImportEdgesModeType::all, L"unknown");
    expectFallbacks(EUserPropertiesModeType::translate_all, L"unknown");
    expectFallbacks(ETranslateFreeCurvesModeType::all, L"unknown");
    expectFallbacks(ETranslateFreePointsModeType::all, L"unknown");
    expectFallbacks(EImportProductStructureRepresentationMode::asm_rep, L"unknown");
    expectFallbacks(ELayerNameProcessingModeType::asm_rep, L"unknown");
    expectFallbacks(EDefaultColorMode::catiav5, L"unknown");
    expectFallbacks(EGraphicalPMIContainerMode::false_, L"unknown");
    expectFallbacks(EExportVersionAcis::v2016_1_0, L"unknown");
    expectFallbacks(EExportVersionCatiaV4::v4_1_9, L"unknown");
    expectFallbacks(EEdgeCurveMode::curve_2d, L"unknown");
    expectFallbacks(EExportCgrCompatibilityMode::catia_3dexperience, L"unknown");
    expectFallbacks(EExportVersionCatiaV5::V5_6_R2012, L"unknown");
    expectFallbacks(EExportVersionParasolid::current, L"unknown");
    expectFallbacks(EExportVersionStep::AP203, L"unknown");
    expectFallbacks(EExportVersionXCGM::CGM_R2013x, L"unknown");
    expectFallbacks(EExportSaveMode::binary_le, L"unknown");
    expectFallbacks(EPersistentNameProcessingModeType::edge, L"none");

    // Names are exact; flags have names one at a time; "3d" is a second name for 1.
    EXPECT_EQ(enumFromString<ELogEventLevelType>(L"Verbose"), ELogEventLevelType::abort);
    EXPECT_EQ(enumToString(static_cast<EMemoryManagementModeFlags>(1 | 4)), L"keep_none");
    EXPECT_EQ(enumToString(EMemoryManagementModeFlags::unknown), L"unknown");
    EXPECT_EQ(enumFromString<ETrimCurveImportPreferenceModeType>(L"3d"),
              ETrimCurveImportPreferenceModeType::curve_2d);
    EXPECT_EQ(enumToString(ETrimCurveImportPreferenceModeType::curve_2d), L"2d");
    EXPECT_EQ(enumToString(static_cast<ETrimCurveImportPreferenceModeType>(2)), L"unknown");
    EXPECT_EQ(enumToString(EEdgeCurveMode::curve_2d_3d), L"2d+3d");
    EXPECT_EQ(enumToString(EExportVersionCatiaV4::v4_2_4), L"4.2.4");
    EXPECT_EQ(enumToString(EVisuBRepTessellationModeType::never_at_least_native_pmi),
              L"never_at_least_native_pmi");
}

TEST(OptionGroups, DefaultsAndKeyOrderOnTheWire) {
    EXPECT_EQ(toText(OptionsGeneral()),
              LR"({"operation_type":"options","format_type":"general","log_event_level_type":"unknown",)"
              LR"("log_file_encoding_type":"unknown","log_file_name":"","logging_mode_type":"unknown",)"
              LR"("logging_output_directory":"","memory_management_mode":"unknown"})");
    EXPECT_EQ(toText(OptionsGraphical()),
              LR"({"operation_type":"options","format_type":"graphical","tesselation_2d_sag_value":0.0,)"
              LR"("tesselation_3d_sag_value":0.0,"translate_reference_geometry_mode":"unknown",)"
              LR"("visu_brep_tesselation_mode":"unknown","visu_text_data_mode":"as_string",)"
              LR"("visu_text_stroking_mode":"unknown"})");
    EXPECT_EQ(toText(imp::OptionsIGES()),
              LR"({"operation_type":"import","format_type":"IGES","import_entities":"unknown",)"
              LR"("hidden_entities_mode":"unknown","copious_data_mode":"single_b_spline",)"
              LR"("trim_curve_import_pref_mode":"from_source"})");
    EXPECT_EQ(toText(imp::OptionsSolidWorksDrawing()),
              LR"({"operation_type":"import","format_type":"SolidWorksDrawing"})");
    EXPECT_EQ(toText(exp::OptionsSTEP()),
              LR"({"operation_type":"export","format_type":"STEP","units":"millimeter",)"
              LR"("version":"AP242","tolerance":0.000001,"layer_name_mode":"asm_rep"})");
    EXPECT_EQ(toText(exp::OptionsCatiaV5()),
              LR"({"operation_type":"export","format_type":"CatiaV5","version":"current",)"
              LR"("default_color_mode":"catiav5","cgr_compatibility_mode":"unknown"})");
    EXPECT_EQ(toText(exp::OptionsPDF()),
              LR"({"operation_type":"export","format_type":"3D_PDF","color":null})");

    // The widest group, with every member set, spells each key and name as the peer expects.
    imp::OptionsCatiaV5 v5;
    v5.setAssemblyPathPreference(EAssemblyPathPrefType::subfolders_first);
    v5.setImportVisualization(true);
    v5.setImportPreviewGraphics(true);
    v5.setProcessInWorkObject(EProcessInWorkObjectModeType::true_);
    v5.setNameProcessingMode(ENameProcessingModeType::short_names);
    v5.setAssemblyUnfoldedViewMode(EAssemblyUnfoldedViewMode::false_);
    v5.setMfgProcessingMode(EImportMfgProcessingModeType::results_only);
    v5.setHiddenEntitiesMode(ETranslateHiddenEntitiesModeType::only_with_visible_links);
    v5.setSuppressedEntitiesMode(ETranslateSuppressedEntitiesModeType::none);
    v5.setVisuPMIProcessingMode(EVisuPMIProcessingMode::all);
    v5.setProcessMfgDataMode(EProcessMfgDataModeType::none);
    v5.setDocumentDelayLoadingMode(EDocumentDelayLoadingMode::part);
    v5.setEdgeAttributeMode(EEdgeAttributeModeType::pmi_owners_only);
    v5.addPersistentNameMode(EPersistentNameProcessingModeType::instance);
    v5.addPersistentNameMode(EPersistentNameProcessingModeType::vertex);
    v5.addPersistentNameMode(EPersistentNameProcessingModeType::vertex);
    EXPECT_EQ(v5.persistentNameModes().size(), 2u);
    EXPECT_EQ(toText(v5),
              LR"({"operation_type":"import","format_type":"CatiaV5","assembly_path_pref":"subfolders_first",)"
              LR"("import_visualization":true,"import_root_visualization":false,"import_preview_graphics":true,)"
              LR"("in_work_object_mode":"true","name_processing_mode":"short_names",)"
              LR"("assembly_unfolded_view_mode":"false","mfg_processing_mode":"results_only",)"
              LR"("hidden_entities_mode":"only_with_visible_links","suppressed_entities_mode":"none",)"
              LR"("visu_pmi_mode":"all","mfg_data_mode":"none","doc_delay_loading_mode":"part",)"
              LR"("edge_attribute_mode":"pmi_owners_only","pname_modes":["vertex","instance"]})");
    EXPECT_EQ(trx::test::roundTrip(v5), v5);
    // Without modes the key is absent, as for a default group.
    EXPECT_EQ(toText(imp::OptionsCatiaV5()).find(L"pname_modes"), std::wstring::npos);
    EXPECT_NE(toText(imp::OptionsCatiaV5()).find(LR"("edge_attribute_mode":"none")"),
              std::wstring::npos);
}

TEST(OptionGroups, LenientReading) {
    LogCapture log(vx_bridge::kError);

    // Persistent-name modes merge: names map (unknown ones to "edge"), other kinds are skipped.
    imp::OptionsNX nx;
    parseInto(nx, LR"({"operation_type":"import","format_type":"NX","pname_modes":["face",3,"vertex"]})");
    EXPECT_EQ(nx.persistentNameModes(),
              (PersistentNameModes{EPersistentNameProcessingModeType::vertex,
                                   EPersistentNameProcessingModeType::face}));
    EXPECT_NE(toText(nx).find(LR"("pname_modes":["vertex","face"])"), std::wstring::npos);
    parseInto(nx, LR"({"operation_type":"import","format_type":"NX","pname_modes":["Face"]})");
    EXPECT_EQ(nx.persistentNameModes().size(), 3u);
    EXPECT_EQ(nx.persistentNameModes().count(EPersistentNameProcessingModeType::edge), 1u);

    // Doubles only from numbers written as doubles; other kinds leave fields unchanged.
    OptionsGraphical graphical;
    parseInto(graphical, LR"({"operation_type":"options","format_type":"graphical",)"
                         LR"("tesselation_3d_sag_value":1,"tesselation_2d_sag_value":0.5})");
    EXPECT_EQ(graphical.tesselation3DSagValue(), 0.0);
    EXPECT_EQ(graphical.tesselation2DSagValue(), 0.5);
    exp::OptionsSTEP step;
    parseInto(step, LR"({"operation_type":"export","format_type":"STEP","tolerance":0,"version":"AP 242"})");
    EXPECT_EQ(step.fileTolerance(), 1e-6);
    EXPECT_EQ(step.version(), EExportVersionStep::AP203);
    imp::OptionsJT jt;
    parseInto(jt, LR"({"operation_type":"import","format_type":"JT","import_visualization":"true"})");
    EXPECT_FALSE(jt.importVisualization());
    OptionsModeler modeler;
    modeler.setAcisHealType(EAcisHealType::standard);
    parseInto(modeler, LR"({"operation_type":"options","format_type":"modeler","acis_heal_type":2})");
    EXPECT_EQ(modeler.acisHealType(), EAcisHealType::standard);
    exp::OptionsCatiaV5 v5;
    parseInto(v5, LR"({"operation_type":"export","format_type":"CatiaV5","version":"V5_6_R2030"})");
    EXPECT_EQ(v5.version(), EExportVersionCatiaV5::V5_6_R2012);
    EXPECT_EQ(log.records(), 0) << log.text();

    // A mismatched classification is logged, and the group's own members are still read.
    OptionsGeneral general;
    parseInto(general, LR"({"operation_type":"options","format_type":"mechanical","log_file_name":"x.log"})");
    EXPECT_EQ(general.logFileName(), L"x.log");
    EXPECT_TRUE(log.contains("] FormatOptions format type doesn't match."));
    parseInto(general, LR"({"operation_type":"import","format_type":"general","log_file_name":"y.log"})");
    EXPECT_EQ(general.logFileName(), L"y.log");
    EXPECT_TRUE(log.contains("] FormatOptions operation type doesn't match."));

    // A value of the wrong kind: the class's own ERROR text, nothing changes.
    exp::OptionsIGES iges;
    iges.setUnits(ELengthUnitType::inch);
    parseInto(iges, L"[1]");
    parseInto(step, L"\"STEP\"");
    parseInto(nx, L"7");
    parseInto(modeler, L"null");
    EXPECT_EQ(iges.units(), ELengthUnitType::inch);
    EXPECT_TRUE(log.contains("] OptionsIges object should have a JSON object type."));
    EXPECT_TRUE(log.contains("] OptionsStep object should have a JSON object type."));
    EXPECT_TRUE(log.contains("] OptionsNX object should have a JSON object type."));
    EXPECT_TRUE(log.contains("] OptionsModeler object should have a JSON object type."));
}

TEST(OptionGroups, FactoryPicksTheClassOrSaysWhyNot) {
    LogCapture log(vx_bridge::kInfo);
    auto group = readOptions(LR"({"operation_type":"options","format_type":"modeler","acis_heal_type":"none"})");
    ASSERT_TRUE(std::dynamic_pointer_cast<OptionsModeler>(group));
    EXPECT_EQ(std::static_pointer_cast<OptionsModeler>(group)->acisHealType(), EAcisHealType::none);
    EXPECT_TRUE(std::dynamic_pointer_cast<imp::Options3DXML>(
        readOptions(LR"({"operation_type":"import","format_type":"3D_XML"})")));
    EXPECT_TRUE(std::dynamic_pointer_cast<exp::Options3DXML>(
        readOptions(LR"({"operation_type":"export","format_type":"3D_XML"})")));
    EXPECT_EQ(log.records(), 0) << log.text();

    // A lower-case "step" is an unknown name, read as "3D_PDF" on both readings.
    EXPECT_FALSE(readOptions(LR"({"operation_type":"import","format_type":"step"})"));
    EXPECT_TRUE(log.contains("[INFO]    "));
    EXPECT_TRUE(log.contains("] FormatOptions: No options for given import format."));
    EXPECT_TRUE(std::dynamic_pointer_cast<exp::OptionsPDF>(
        readOptions(LR"({"operation_type":"export","format_type":"step"})")));
    EXPECT_FALSE(log.contains("doesn't match"));

    const struct {
        const wchar_t* json;
        const char* record;
    } refusals[] = {
        {L"[]", "[ERROR]   "},
        {L"[]", "] FormatOptions object should have a JSON object type."},
        {LR"({"format_type":"STEP"})", "] FormatOptions object should contain operation type."},
        {LR"({"operation_type":1,"format_type":"STEP"})",
         "] FormatOptions object should contain operation type."},
        {LR"({"operation_type":"import"})", "] FormatOptions object should contain format type."},
        {LR"({"operation_type":"options","format_type":"STEP"})",
         "] FormatOptions: Unknown common options type."},
        {LR"({"operation_type":"import","format_type":"ACIS"})",
         "] FormatOptions: No options for given import format."},
        {LR"({"operation_type":"export","format_type":"CatiaV5Drawing"})",
         "] FormatOptions: No options for given export format."},
    };
    for (const auto& r : refusals) {
        LogCapture fresh(vx_bridge::kInfo);
        EXPECT_FALSE(readOptions(r.json)) << trx::toNarrow(r.json);
        EXPECT_TRUE(fresh.contains(r.record)) << fresh.text();
        EXPECT_EQ(fresh.records(), 1) << fresh.text();
    }
}

TEST(OptionSets, JsonFormsAndGroupMap) {
    auto import = Command::newImportOptions();
    EXPECT_EQ(import->operationType(), EOperationType::Import);
    EXPECT_EQ(toText(*import),
              LR"({"file":"","force_mp_mode":false,"translate_world_orientation":false,)"
              LR"("translate_misc_data":false,"modeler_version":31})");
    auto exportSet = Command::newExportOptions();
    EXPECT_EQ(exportSet->operationType(), EOperationType::Export);
    EXPECT_EQ(toText(*exportSet), LR"({"file":""})");
    exportSet->setGeometryFlags(-1);
    exportSet->setFormatVersion(L"AP214");
    EXPECT_EQ(toText(*exportSet), LR"({"file":"","format_version":"AP214","geometry_flags":-1})");

    // One group per format type, replaced by a newer one; empty pointers are ignored.
    auto first = std::make_shared<imp::OptionsSTEP>();
    auto second = std::make_shared<imp::OptionsSTEP>();
    second->setImportGeometry(true);
    import->setFormatOptions(first);
    import->setFormatOptions(second);
    import->setFormatOptions(nullptr);
    import->setFormatOptions(std::make_shared<OptionsGeneral>());
    EXPECT_EQ(import->formatOptions(EFormatType::STEP), second);
    EXPECT_EQ(import->formatOptionsOf<imp::OptionsSTEP>(), second);
    EXPECT_FALSE(import->formatOptionsOf<imp::OptionsJT>());
    // Written in format-type order: general (1) before STEP (9).
    const std::wstring text = toText(*import);
    EXPECT_LT(text.find(L"\"general\""), text.find(L"\"STEP\""));

    // Reading merges: of two groups of a type the later wins, others stay.
    LogCapture log(vx_bridge::kInfo);
    parseInto(*import, LR"({"file":"a.stp","format_options":[
        {"operation_type":"import","format_type":"STEP","import_geometry":false,"visu_pmi_mode":"none"},
        {"operation_type":"import","format_type":"STEP","visu_pmi_mode":"all"},
        {"operation_type":"import","format_type":"ACIS"}],"modeler_version":33})");
    EXPECT_EQ(import->file(), L"a.stp");
    EXPECT_EQ(import->modelerVersion(), 33);
    auto step = import->formatOptionsOf<imp::OptionsSTEP>();
    ASSERT_TRUE(step);
    EXPECT_NE(step, second);
    EXPECT_FALSE(step->importGeometry());
    EXPECT_EQ(step->visuPMIProcessingMode(), EVisuPMIProcessingMode::all);
    EXPECT_TRUE(import->formatOptionsOf<OptionsGeneral>());
    const std::string records = log.text();
    const auto info = records.find("] FormatOptions: No options for given import format.");
    const auto error = records.find("[ERROR]   ");
    ASSERT_NE(info, std::string::npos) << records;
    ASSERT_NE(error, std::string::npos) << records;
    EXPECT_LT(info, error);
    EXPECT_NE(records.find("] Specific format options cannot be read, file: .a.stp"), std::string::npos)
        << records;

    // A "format_options" that is not an array is ignored.
    parseInto(*import, LR"({"file":"b","format_options":{"operation_type":"import"}})");
    EXPECT_TRUE(import->formatOptionsOf<imp::OptionsSTEP>());

    // Strict parts: the set itself must be an object and name its file.
    auto fresh = Command::newExportOptions();
    EXPECT_EQ(readError(*fresh, L"[]"), "!object.IsObject()");
    EXPECT_EQ(readError(*fresh, LR"({"format_version":"x"})"), "Json document has no valid file path.");
    EXPECT_EQ(readError(*import, LR"({"file":7})"), "Json document has no valid file path.");
}

TEST(OptionSets, DebugRecordsNameTheFile) {
    LogCapture log(vx_bridge::kDebug);
    auto set = Command::newExportOptions();
    parseInto(*set, LR"({"file":"out.igs","format_version":"5.3","geometry_flags":4})");
    EXPECT_TRUE(log.contains("[DEBUG]   "));
    EXPECT_TRUE(log.contains("] ExportOptions.file = out.igs"));
    EXPECT_TRUE(log.contains("] ExportOptions.formatVersion = 5.3"));
    EXPECT_TRUE(log.contains("] ExportOptions.geometryFlags = 4"));
    auto import = Command::newImportOptions();
    import->setFile(L"in.stp");
    toText(*import);
    EXPECT_TRUE(log.contains("] ImportOptions.file = in.stp"));
}

TEST(OptionGroups, PdfBackgroundColourTravelsInItsOwnForm) {
    exp::OptionsPDF pdf;
    pdf.setBackgroundColor(ExcColor(10, 20, 30, 40));
    EXPECT_EQ(toText(pdf),
              LR"({"operation_type":"export","format_type":"3D_PDF","color":{"rgb":[10,20,30],"alpha":40}})");
    EXPECT_EQ(trx::test::roundTrip(pdf), pdf);
    parseInto(pdf, LR"({"operation_type":"export","format_type":"3D_PDF","color":null})");
    EXPECT_FALSE(pdf.backgroundColor().hasRGB());
    EXPECT_FALSE(pdf.backgroundColor().hasAlpha());
}
