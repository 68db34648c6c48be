#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "test_support.h"
#include "trx_api/trx_api_bridge_info.h"

using namespace trx;
using trx::test::LogCapture;

namespace {

std::wstring text(const BridgeInfo& info) {
    std::wostringstream os;
    info.writeObject(os);
    return os.str();
}

std::string readError(BridgeInfo& info, const std::wstring& json) {
    std::wistringstream is(json);
    try {
        info.readObject(is);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "no error";
}

BridgeInfo read(const std::wstring& json) {
    BridgeInfo info;
    std::wistringstream is(json);
    info.readObject(is);
    return info;
}

Format filters(std::initializer_list<const wchar_t*> list) {
    Format f;
    for (const wchar_t* filter : list) f.addFilterExtensions(filter);
    return f;
}

}  // namespace

TEST(BridgeInfo, DefaultText) {
    EXPECT_EQ(text(BridgeInfo()),
              L"{\n  \"name\": \"\",\n  \"version\": \"\",\n  \"bridge_interface\": \"uconnect\",\n"
              L"  \"parasolid_mode\": \"direct\",\n  \"modeler_version\": 31\n}");
}

TEST(BridgeInfo, FormatsAndCoresRoundTrip) {
    BridgeInfo info;
    info.setName(L"Reference bridge");
    info.setVersion(L"2.4.1");
    info.setRequestedInterface(EBridgeInterface::Connect);
    info.setParasolidMode(EParasolidMode::kernel);
    info.setModelerMajorVersion(33);
    info.newThirdpartyCore().setName(L"Kernel A").setVersion(L"7.1");
    auto core = std::make_shared<ThirdpartyCore>();
    core->setName(L"Kernel B");
    info.addThirdpartyCore(core);
    info.addThirdpartyCore(nullptr);
    info.newImportFormat()
        .setDescription(L"STEP files")
        .addExtension(L"stp")
        .addExtension(L"step")
        .addFilterExtensions(L"*.stp;*.step");
    auto iges = std::make_shared<Format>();
    iges->setDescription(L"IGES files").setExtensions({L"igs", L"iges"});
    iges->addFilterExtensions(L"*.igs").addFilterExtensions(L"*.iges");
    info.addImportFormats({iges, nullptr, std::make_shared<Format>()});
    info.addImportFormat(nullptr);
    EXPECT_EQ(info.thirdpartyCores().size(), 2u);
    EXPECT_EQ(info.importFormats().size(), 3u);
    info.newExportFormat().setDescription(L"ACIS").addExtension(L"sat");
    info.addExportFormats({iges});

    const std::wstring written = text(info);
    EXPECT_NE(written.find(L"\"extensions\": [\"stp\", \"step\"],\n      \"filters\": [\"*.stp;*.step\"]"),
              std::wstring::npos)
        << toNarrow(written);
    EXPECT_NE(written.find(L"\"thirdparty_cores\": [{\n      \"name\": \"Kernel A\",\n      \"version\": \"7.1\"\n    }, {"),
              std::wstring::npos)
        << toNarrow(written);

    const BridgeInfo back = read(written);
    EXPECT_EQ(back.name(), info.name());
    EXPECT_EQ(back.version(), info.version());
    EXPECT_EQ(back.requestedInterface(), EBridgeInterface::Connect);
    EXPECT_EQ(back.parasolidMode(), EParasolidMode::kernel);
    EXPECT_EQ(back.modelerMajorVersion(), 33);
    auto same = [](const auto& a, const auto& b) {
        ASSERT_EQ(a.size(), b.size());
        for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(*a[i], *b[i]) << i;
    };
    same(back.thirdpartyCores(), info.thirdpartyCores());
    same(back.importFormats(), info.importFormats());
    same(back.exportFormats(), info.exportFormats());
    EXPECT_EQ(text(back), written);
    EXPECT_EQ(info.importFormats()[0]->getFilters(),
              (std::vector<std::wstring>{L"STEP files|*.stp;*.step"}));
    EXPECT_EQ(iges->getFilters(), (std::vector<std::wstring>{L"IGES files|*.igs", L"IGES files|*.iges"}));
    EXPECT_TRUE(info.exportFormats()[0]->getFilters().empty());

    // Regular expressions stay local.
    Format withRegex = *iges;
    withRegex.addRegex(L".*\\.igs");
    JsonDocument doc;
    withRegex.writeObject(doc, doc.GetAllocator());
    Format fromJson;
    fromJson.readObject(doc);
    EXPECT_TRUE(fromJson.regex().empty());
    EXPECT_EQ(fromJson, *iges);
}

TEST(BridgeInfo, ReadingAppendsAndFailsOnBadElements) {
    BridgeInfo info = read(LR"({"name":"b","import_formats":[{"description":"d","extensions":["a",1,"b"],
        "filters":"*.x"}],"bridge_interface":"Connect","parasolid_mode":"KERNEL","modeler_version":1.0})");
    ASSERT_EQ(info.importFormats().size(), 1u);
    EXPECT_EQ(info.importFormats()[0]->extensions(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_TRUE(info.importFormats()[0]->filterExtensions().empty());
    EXPECT_EQ(info.requestedInterface(), EBridgeInterface::UConnect);
    EXPECT_EQ(info.parasolidMode(), EParasolidMode::direct);
    EXPECT_EQ(info.modelerMajorVersion(), 31);

    std::wistringstream again(LR"({"import_formats":[{}],"bridge_interface":"legacy"})");
    info.readObject(again);
    EXPECT_EQ(info.importFormats().size(), 2u);
    EXPECT_EQ(info.name(), L"b");
    EXPECT_EQ(info.requestedInterface(), EBridgeInterface::Legacy);

    EXPECT_EQ(readError(info, L"[]"), "Invalid json document");
    EXPECT_EQ(readError(info, L"{} {}"), "Invalid json document");
    EXPECT_EQ(readError(info, LR"({"thirdparty_cores":[1]})"),
              "ThirdpartyCore::readFrom > !jsonObject.IsObject()");
    // Entries read before the bad one stay.
    EXPECT_EQ(readError(info, LR"({"version":"9","export_formats":[{"description":"e"},"x"]})"),
              "Format::readFrom > !jsonObject.IsObject()");
    EXPECT_EQ(info.version(), L"9");
    ASSERT_EQ(info.exportFormats().size(), 1u);
    EXPECT_EQ(info.exportFormats()[0]->description(), L"e");
}

TEST(Format, FiltersMatchAsWildcards) {
    const Format step = filters({L"*.STP;*.step", L"readme.txt"});
    EXPECT_TRUE(step.is(L"Part.stp"));
    EXPECT_TRUE(step.is(L"PART.STEP"));
    EXPECT_TRUE(step.is(L".stp"));
    EXPECT_TRUE(step.is(L"dir/sub.dir/a.b.stp"));
    EXPECT_FALSE(step.is(L"part.stpx"));
    EXPECT_FALSE(step.is(L"partXstp"));  // '.' is a dot, not any character
    EXPECT_TRUE(step.is(L"README.TXT"));
    EXPECT_FALSE(step.is(L"my readme.txt"));
    EXPECT_FALSE(step.is(L""));

    // Characters that mean something to regular expressions are plain characters here.
    const Format odd = filters({L"*.c++", L"*.(old)", L"?.[ch]", L"a+b*", L"*$^|\\"});
    EXPECT_TRUE(odd.is(L"main.c++"));
    EXPECT_FALSE(odd.is(L"main.c"));
    EXPECT_FALSE(odd.is(L"main.cc"));
    EXPECT_TRUE(odd.is(L"file.(old)"));
    EXPECT_FALSE(odd.is(L"file.old"));
    EXPECT_TRUE(odd.is(L"?.[ch]"));
    EXPECT_FALSE(odd.is(L"x.c"));
    EXPECT_TRUE(odd.is(L"a+b"));
    EXPECT_TRUE(odd.is(L"A+BCD"));
    EXPECT_FALSE(odd.is(L"aab"));
    EXPECT_TRUE(odd.is(L"x$^|\\"));

    // Several stars, with backtracking, and a long name stay linear enough and never recurse.
    const Format stars = filters({L"*a*b*c", L"**"});
    EXPECT_TRUE(stars.is(L"xxaxxbxxc"));
    EXPECT_TRUE(filters({L"*a*b*c"}).is(L"abcabc"));
    EXPECT_FALSE(filters({L"*a*b*c"}).is(L"acb"));
    EXPECT_TRUE(stars.is(L""));
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

    // A very long name does not exhaust the stack.
    Format any;
    any.addRegex(L"(a|b)*\\.stp");
    EXPECT_TRUE(any.is(std::wstring(100000, L'a') + L".stp"));
}
