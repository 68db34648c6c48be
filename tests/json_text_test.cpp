#include <gtest/gtest.h>

#include <sstream>

#include "trx_api/detail/fields.h"
#include "trx_api/json/json_object.h"

using namespace trx;

namespace {
std::wstring pretty(const JsonDocument& doc) {
    std::wostringstream os;
    JsonTextIO::write(os, doc, true);
    return os.str();
}
void parse(JsonDocument& doc, const std::wstring& text) {
    std::wistringstream is(text);
    JsonTextIO::read(is, doc);
}
}  // namespace

TEST(JsonTextIO, PrettyTextHasTwoBlankIndentAndSingleLineArrays) {
    JsonDocument doc;
    parse(doc, LR"({"a":[1,2,3],"b":{"c":"x","d":[]},"e":1.0})");
    ASSERT_FALSE(doc.HasParseError());
    EXPECT_EQ(pretty(doc),
              L"{\n  \"a\": [1, 2, 3],\n  \"b\": {\n    \"c\": \"x\",\n    \"d\": []\n  },\n  \"e\": 1.0\n}");
    std::wostringstream compact;
    JsonTextIO::write(compact, doc, false);
    EXPECT_EQ(compact.str(), LR"({"a":[1,2,3],"b":{"c":"x","d":[]},"e":1.0})");
}

TEST(JsonTextIO, ReaderTakesExactlyOneValue) {
    JsonDocument doc;
    parse(doc, L"{} {}");
    EXPECT_EQ(doc.GetParseError(), rapidjson::kParseErrorDocumentRootNotSingular);
    parse(doc, L"  ");
    EXPECT_EQ(doc.GetParseError(), rapidjson::kParseErrorDocumentEmpty);
    // The text ends at the first U+0000: a second document after it is not read.
    parse(doc, std::wstring(L" {\"k\":1} ") + L'\0' + L"{garbage");
    ASSERT_FALSE(doc.HasParseError());
    EXPECT_EQ(doc[L"k"].GetInt(), 1);
}

TEST(JsonTextIO, NonAsciiTextSurvivesBothDirections) {
    JsonDocument doc;
    parse(doc, L"{\"s\":\"\u00e9\u4e2d\U0001F600\",\"e\":\"\\ud83d\\ude00\"}");
    ASSERT_FALSE(doc.HasParseError());
    std::wstring s;
    ASSERT_TRUE(json::get(doc, L"s", s));
    EXPECT_EQ(s, L"\u00e9\u4e2d\U0001F600");
    ASSERT_TRUE(json::get(doc, L"e", s));
    EXPECT_EQ(s, L"\U0001F600");
    std::wostringstream os;
    JsonTextIO::write(os, doc, false);
    EXPECT_EQ(os.str(), L"{\"s\":\"\u00e9\u4e2d\U0001F600\",\"e\":\"\U0001F600\"}");
}

TEST(JsonTextIO, DeepNestingIsAParseErrorNotACrash) {
    for (std::size_t depth : {std::size_t(1024), std::size_t(1025), std::size_t(1000000)}) {
        std::wstring text(depth, L'[');
        text.append(depth, L']');
        JsonDocument doc;
        parse(doc, text);
        EXPECT_EQ(doc.HasParseError(), depth > JsonTextIO::kMaxDepth) << depth;
        if (!doc.HasParseError()) {
            std::wostringstream os;
            JsonTextIO::write(os, doc, false);
            EXPECT_EQ(os.str(), text);
        }
    }
    // Brackets inside strings do not count.
    JsonDocument doc;
    parse(doc, L"{\"s\":\"" + std::wstring(5000, L'[') + L"\\\"{\"}");
    EXPECT_FALSE(doc.HasParseError());
}

TEST(JsonTextIO, WriteToFileWritesPrettyUtf8AndIgnoresBadPaths) {
    JsonDocument doc;
    parse(doc, L"{\"name\":\"\u00fcber\",\"v\":[1,2]}");
    const std::string path = ::testing::TempDir() + "trx_write_to_file.json";
    JsonTextIO::writeToFile(doc, toWide(path));
    std::ifstream in(path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "{\n  \"name\": \"\xc3\xbc" "ber\",\n  \"v\": [1, 2]\n}");
    std::remove(path.c_str());
    EXPECT_NO_THROW(JsonTextIO::writeToFile(doc, L"/nonexistent-dir/x/y.json"));
    EXPECT_FALSE(std::ifstream("/nonexistent-dir/x/y.json").good());
}

TEST(StringConversion, Utf8BothWays) {
    EXPECT_EQ(toNarrow(L""), "");
    EXPECT_EQ(toWide(""), L"");
    const std::wstring wide = L"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(toNarrow(wide), "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
    EXPECT_EQ(toWide(toNarrow(wide)), wide);
    // Unrepresentable code points and invalid bytes.
    EXPECT_EQ(toNarrow(std::wstring{L'x', wchar_t(0xD800), wchar_t(0x110000)}), "x??");
    EXPECT_EQ(toWide("a\xff" "b\xe4\xb8"), L"a\uFFFDb\uFFFD");
    EXPECT_EQ(toWide("\xc0\xaf"), L"\uFFFD");  // overlong
}
