// The documents that go whole over a stream (commands with their option sets and groups,
// results, bridge information): what they refuse and how, and where they read otherwise than
// the shared rules. Their wire form is pinned by wire_test.cpp.
#include "test_support.h"

#include <limits>

#include "trx_api/trx_api.h"

using namespace trx;
using trx::test::errorOf;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::toText;

namespace {

template <class Document>
std::wstring text(const Document& d) {
    std::wostringstream os;
    d.writeObject(os);
    return os.str();
}

template <class Document = Command>
Document read(const std::wstring& json, Document d = Document()) {
    std::wistringstream is(json);
    d.readObject(is);
    return d;
}

std::shared_ptr<IFormatOptions> readOptions(const std::wstring& text) {
    JsonDocument doc;
    test::parse(doc, text);
    return IFormatOptions::readOptions(doc);
}

}  // namespace

TEST(Command, RefusalsSayWhy) {
    Command command;
    // Only the library's own sets are accepted; the stored set stays.
    const auto own = Command::newImportOptions();
    command.setImportOptions(own);
    EXPECT_EQ(errorOf([&] { command.setImportOptions(nullptr); }), "Wrong implementation of ImportOptions interface.");
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
    EXPECT_EQ(errorOf([&] { text(empty); }), "Import(LEGACY) command should contain import options(LEGACY)");
    empty.setType(Command::Export);
    EXPECT_EQ(errorOf([&] { text(empty); }), "Export(LEGACY) command should contain export options(LEGACY)");
    empty.setInternalInterface(EBridgeInterface::UConnect);
    EXPECT_EQ(errorOf([&] { text(empty); }), "Export command should contain export options");

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
    for (const auto& b : bad) EXPECT_EQ(errorOf([&] { read(b.json); }), b.error) << toNarrow(b.json);

    // Fields read before the failure keep their new values.
    Command partly;
    std::wistringstream is(LR"({"bridge_interface":"connect","command":"import","options":[]})");
    EXPECT_EQ(errorOf([&] { partly.readObject(is); }), "Import command should contain options.");
    EXPECT_EQ(partly.type(), Command::Import);
    EXPECT_EQ(partly.internalInterface(), EBridgeInterface::Connect);
}

TEST(Command, ReadingOrderAndSlots) {
    Command before;
    before.setInternalInterface(EBridgeInterface::Legacy);
    before.setImportOptions(Command::newImportOptions());

    // Names are exact: "Info" is no command, "LEGACY" no interface. The interface is taken
    // before the command, wherever it stands.
    Command c = read(LR"({"command":"Info","mt_mode":1})", before);
    EXPECT_EQ(c.type(), Command::Unknown);
    EXPECT_EQ(c.internalInterface(), EBridgeInterface::Legacy);
    c = read(LR"({"command":"import","options":{"file":"f","temporary_dwg":"t"},"bridge_interface":"legacy"})",
             before);
    EXPECT_TRUE(c.legacyImportOptions());
    EXPECT_EQ(c.importOptions(), before.importOptions());  // the other family's slot stays
    c = read(LR"({"command":"info","bridge_interface":"LEGACY","options":7})");
    EXPECT_EQ(c.type(), Command::Info);
    EXPECT_EQ(c.internalInterface(), EBridgeInterface::UConnect);

    // Copies share the option sets. The text is pretty, two blanks deep.
    Command copy = before;
    copy.importOptions()->setFile(L"shared");
    EXPECT_EQ(before.importOptions()->file(), L"shared");
    EXPECT_EQ(text(Command()), L"{\n  \"bridge_interface\": \"uconnect\",\n  \"command\": \"unknown\",\n"
                               L"  \"mt_mode\": false\n}");
}

// Legacy sets: the generic ACIS key is read last and wins; host handles are unsigned on the
// host side, negative here, and a negative number read is no handle; entries that are not
// whole are skipped, and so are search paths that are empty or no strings.
TEST(Command, LegacySetsReadTheirOwnWay) {
    const auto in = read(LR"({"bridge_interface":"legacy","command":"import","options":{
        "file":"f","temporary_dwg":"t","import_acis_with_veltrix":true,"import_acis_natively":false,
        "alternate_search_paths":{"a":"/a","b":2,"c":""}}})").legacyImportOptions();
    ASSERT_TRUE(in);
    EXPECT_FALSE(in->importAcisNatively());
    EXPECT_TRUE(in->hasAlternateSearchPath(L"a"));
    EXPECT_FALSE(in->hasAlternateSearchPath(L"b") || in->hasAlternateSearchPath(L"c"));

    auto out = Command::newLegacyExportOptions();
    out->setSelectionSet({0x2A, -2});
    out->addComponentName(-1, L"top bit");
    Command command;
    command.setType(Command::Export);
    command.setInternalInterface(EBridgeInterface::Legacy);
    command.setLegacyExportOptions(out);
    const std::wstring written = text(command);
    EXPECT_NE(written.find(L"\"selection_set\": [42, 18446744073709551614]"), std::wstring::npos);
    const auto back = read(written).legacyExportOptions();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->selectionSet(), out->selectionSet());
    EXPECT_EQ(back->componentNames(), out->componentNames());

    const auto lenient = read(LR"({"bridge_interface":"legacy","command":"export","options":{
        "file":"f","temporary_dwg":"t","selection_set":[1,-1,2.0,"3",4],
        "component_names":[{"component_handle":5,"component_name":"five"},
                           {"component_handle":-5,"component_name":"minus"},
                           {"component_handle":6},7,{"component_name":"x"}]}})").legacyExportOptions();
    ASSERT_TRUE(lenient);
    EXPECT_EQ(lenient->selectionSet(), (std::vector<std::int64_t>{1, 4}));
    EXPECT_EQ(lenient->componentNames(), (ComponentNames{{5, L"five"}}));
    // Format groups do not belong to the legacy export set.
    out->setFormatOptions(std::make_shared<exp::OptionsSTEP>());
    EXPECT_FALSE(out->formatOptions(EFormatType::STEP));
}

// "3d" is a second name of the value written "2d".
TEST(OptionGroups, SecondNameOfAValue) {
    EXPECT_EQ(enumFromString<ETrimCurveImportPreferenceModeType>(L"3d"), ETrimCurveImportPreferenceModeType::curve_2d);
    EXPECT_EQ(enumToString(ETrimCurveImportPreferenceModeType::curve_2d), L"2d");
}

TEST(OptionGroups, FactoryPicksTheClassOrSaysWhyNot) {
    LogCapture log(vx_bridge::kInfo);
    EXPECT_TRUE(std::dynamic_pointer_cast<OptionsModeler>(readOptions(LR"({"operation_type":"options","format_type":"modeler"})")));
    EXPECT_TRUE(std::dynamic_pointer_cast<imp::Options3DXML>(readOptions(LR"({"operation_type":"import","format_type":"3D_XML"})")));
    EXPECT_TRUE(std::dynamic_pointer_cast<exp::Options3DXML>(readOptions(LR"({"operation_type":"export","format_type":"3D_XML"})")));
    EXPECT_EQ(log.records(), 0) << log.text();
    // A lower-case "step" is an unknown name, read as "3D_PDF": no import group, the PDF export one.
    EXPECT_FALSE(readOptions(LR"({"operation_type":"import","format_type":"step"})"));
    EXPECT_TRUE(std::dynamic_pointer_cast<exp::OptionsPDF>(readOptions(LR"({"operation_type":"export","format_type":"step"})")));

    const struct {
        const wchar_t* json;
        const char* record;
    } refusals[] = {
        {L"[]", "] FormatOptions object should have a JSON object type."},
        {LR"({"format_type":"STEP"})", "] FormatOptions object should contain operation type."},
        {LR"({"operation_type":1,"format_type":"STEP"})", "] FormatOptions object should contain operation type."},
        {LR"({"operation_type":"import"})", "] FormatOptions object should contain format type."},
        {LR"({"operation_type":"options","format_type":"STEP"})", "] FormatOptions: Unknown common options type."},
        {LR"({"operation_type":"import","format_type":"ACIS"})", "] FormatOptions: No options for given import format."},
        {LR"({"operation_type":"export","format_type":"CatiaV5Drawing"})",
         "] FormatOptions: No options for given export format."},
    };
    for (const auto& r : refusals) {
        LogCapture fresh(vx_bridge::kInfo);
        EXPECT_FALSE(readOptions(r.json)) << toNarrow(r.json);
        EXPECT_TRUE(fresh.contains(r.record)) << fresh.text();
        EXPECT_EQ(fresh.records(), 1) << fresh.text();
    }

    // A group handed another classification says so and reads its own members all the same.
    LogCapture mismatch;
    OptionsGeneral general;
    parseInto(general, LR"({"operation_type":"options","format_type":"mechanical","log_file_name":"x.log"})");
    parseInto(general, LR"({"operation_type":"import","format_type":"general"})");
    EXPECT_EQ(general.logFileName(), L"x.log");
    EXPECT_TRUE(mismatch.contains("] FormatOptions format type doesn't match."));
    EXPECT_TRUE(mismatch.contains("] FormatOptions operation type doesn't match."));
}

// One group per format type: a newer one replaces, null is ignored. Reading merges, and of two
// groups of a type in one text the later wins; a group that cannot be read is skipped.
TEST(OptionSets, GroupsMergeByFormatType) {
    auto import = Command::newImportOptions();
    auto first = std::make_shared<imp::OptionsSTEP>();
    auto second = std::make_shared<imp::OptionsSTEP>();
    import->setFormatOptions(first);
    import->setFormatOptions(second);
    import->setFormatOptions(nullptr);
    import->setFormatOptions(std::make_shared<OptionsGeneral>());
    EXPECT_EQ(import->formatOptions(EFormatType::STEP), second);

    LogCapture log(vx_bridge::kInfo);
    parseInto(*import, LR"({"file":"a.stp","format_options":[
        {"operation_type":"import","format_type":"STEP","import_geometry":true,"visu_pmi_mode":"none"},
        {"operation_type":"import","format_type":"STEP","visu_pmi_mode":"all"},
        {"operation_type":"import","format_type":"ACIS"}]})");
    const auto step = import->formatOptionsOf<imp::OptionsSTEP>();
    ASSERT_TRUE(step);
    EXPECT_NE(step, second);
    EXPECT_FALSE(step->importGeometry());
    EXPECT_EQ(step->visuPMIProcessingMode(), EVisuPMIProcessingMode::all);
    EXPECT_TRUE(import->formatOptionsOf<OptionsGeneral>());
    EXPECT_TRUE(log.contains("] Specific format options cannot be read, file: .a.stp"));
    parseInto(*import, LR"({"file":"b","format_options":{"operation_type":"import"}})");
    EXPECT_EQ(import->formatOptionsOf<imp::OptionsSTEP>(), step);

    // The set itself must be an object and name its file.
    auto fresh = Command::newExportOptions();
    EXPECT_EQ(errorOf([&] { parseInto(*fresh, L"[]"); }), "!object.IsObject()");
    EXPECT_EQ(errorOf([&] { parseInto(*fresh, LR"({"format_version":"x"})"); }), "Json document has no valid file path.");
}

// An unknown code name reads as unknown, not as the name that sorts first; the code is the
// one member a result cannot do without.
TEST(Result, CodeIsStrict) {
    Result before;
    before.setCode(Result::Error);
    before.setMessage(L"kept");
    const Result r = read<Result>(LR"({"code":"Ok","message":5})", before);
    EXPECT_EQ(r.code(), Result::Unknown);
    EXPECT_EQ(r.message(), L"kept");
    for (const wchar_t* bad : {LR"({"code":1})", LR"({"message":"x"})"})
        EXPECT_EQ(errorOf([&] { read<Result>(bad); }), "Json document has no result code.");
    for (const wchar_t* bad : {LR"(["code","ok"])", LR"({"code":"ok"} {"code":"ok"})", LR"({"code":"ok")", L""})
        EXPECT_EQ(errorOf([&] { read<Result>(bad); }), "Invalid json document");
}

// Lists append; an entry that is no object ends the reading with an error, and the entries
// before it stay. Regular expressions stay on this side.
TEST(BridgeInfo, ReadingAppendsAndFailsOnBadEntries) {
    BridgeInfo info = read<BridgeInfo>(LR"({"import_formats":[{"extensions":["a",1,"b"],"filters":"*.x"}]})");
    info = read<BridgeInfo>(LR"({"import_formats":[{}]})", info);
    ASSERT_EQ(info.importFormats().size(), 2u);
    EXPECT_EQ(info.importFormats()[0]->extensions(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(errorOf([&] { read<BridgeInfo>(LR"({"thirdparty_cores":[1]})"); }),
              "ThirdpartyCore::readFrom > !jsonObject.IsObject()");
    std::wistringstream is(LR"({"version":"9","export_formats":[{"description":"e"},"x"]})");
    EXPECT_EQ(errorOf([&] { info.readObject(is); }), "Format::readFrom > !jsonObject.IsObject()");
    EXPECT_EQ(info.version(), L"9");
    ASSERT_EQ(info.exportFormats().size(), 1u);

    Format withRegex;
    withRegex.addRegex(L".*\\.igs");
    Format fromJson;
    parseInto(fromJson, toText(withRegex));
    EXPECT_TRUE(fromJson.regex().empty());
}

TEST(Format, FiltersMatchAsWildcards) {
    const auto filters = [](std::initializer_list<const wchar_t*> list) {
        Format f;
        for (const wchar_t* filter : list) f.addFilterExtensions(filter);
        return f;
    };
    const Format step = filters({L"*.STP;*.step", L"readme.txt"});
    EXPECT_TRUE(step.is(L"Part.stp"));
    EXPECT_TRUE(step.is(L"PART.STEP"));
    EXPECT_TRUE(step.is(L"dir/sub.dir/a.b.stp"));
    EXPECT_FALSE(step.is(L"part.stpx"));
    EXPECT_FALSE(step.is(L"partXstp"));  // '.' is a dot, not any character
    EXPECT_TRUE(step.is(L"README.TXT"));
    EXPECT_FALSE(step.is(L"my readme.txt"));
    EXPECT_FALSE(step.is(L""));

    // Characters that mean something to regular expressions are plain characters here.
    const Format odd = filters({L"*.c++", L"*.(old)", L"?.[ch]", L"a+b*", L"*$^|\\"});
    EXPECT_TRUE(odd.is(L"main.c++"));
    EXPECT_FALSE(odd.is(L"main.cc"));
    EXPECT_TRUE(odd.is(L"file.(old)"));
    EXPECT_TRUE(odd.is(L"?.[ch]"));
    EXPECT_FALSE(odd.is(L"x.c"));
    EXPECT_TRUE(odd.is(L"A+BCD"));
    EXPECT_FALSE(odd.is(L"aab"));
    EXPECT_TRUE(odd.is(L"x$^|\\"));

    // Several stars backtrack; a long name neither takes long nor recurses.
    EXPECT_TRUE(filters({L"*a*b*c"}).is(L"xxaxxbxxc"));
    EXPECT_TRUE(filters({L"*a*b*c"}).is(L"abcabc"));
    EXPECT_FALSE(filters({L"*a*b*c"}).is(L"acb"));
    EXPECT_TRUE(filters({L"**"}).is(L""));
    EXPECT_TRUE(filters({L"*.stp"}).is(std::wstring(200000, L'a') + L".stp"));
    EXPECT_FALSE(filters({L";"}).is(L"x"));
    EXPECT_TRUE(filters({L"x;"}).is(L"x"));
}

TEST(Format, RegularExpressionsMatchTheLowerCaseName) {
    Format upper;
    upper.addRegex(L".*\\.STP");
    EXPECT_FALSE(upper.is(L"Part.STP"));  // the name is lowered, the expression is not
    Format lower;
    lower.addRegex(L"part_[0-9]+\\.(stp|step)");
    EXPECT_TRUE(lower.is(L"PART_12.Step"));
    EXPECT_FALSE(lower.is(L"part_12.stp.bak"));

    // An expression the library cannot use matches nothing and does not stop the filters.
    LogCapture log(vx_bridge::kError);
    Format broken;
    broken.setRegex({L"(unclosed", L"(a)\\1", L"*.c++"});
    broken.addFilterExtensions(L"*.igs");
    EXPECT_FALSE(broken.is(L"aa"));
    EXPECT_TRUE(broken.is(L"x.igs"));
    EXPECT_TRUE(log.contains("] Format: unusable regular expression (unclosed"));
    Format any;
    any.addRegex(L"(a|b)*\\.stp");
    EXPECT_TRUE(any.is(std::wstring(100000, L'a') + L".stp"));
}
