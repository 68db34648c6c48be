// Inputs that fuzzing found to break a reader, kept so that they never do again.

#include "test_support.h"

#include <sstream>

using namespace trx;

namespace {

JsonDocument readText(const std::wstring& text) {
    std::wistringstream is(text);
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    return doc;
}

}  // namespace

// "330e307" passes the parser's own exponent check and comes out as infinity: a document
// that reads but can never be written. Every number beyond a double's range is refused.
TEST(FuzzRegressions, NumbersBeyondADoubleAreRefusedNotInfinite) {
    for (const wchar_t* text : {L"330e307", L"-330e307", L"[1, {\"a\": [330e307]}]", L"1e309"}) {
        const JsonDocument doc = readText(text);
        EXPECT_TRUE(doc.HasParseError()) << toNarrow(text);
        EXPECT_EQ(doc.GetParseError(), rapidjson::kParseErrorNumberTooBig) << toNarrow(text);
    }
    // The largest double and the smallest ones still read, and write back as they read.
    for (const wchar_t* text : {L"1.7976931348623157e308", L"-1.7976931348623157e308", L"5e-324"}) {
        const JsonDocument doc = readText(text);
        ASSERT_FALSE(doc.HasParseError()) << toNarrow(text);
        std::wostringstream os;
        JsonTextIO::write(os, doc, false);
        EXPECT_EQ(readText(os.str()), doc) << toNarrow(text);
    }
}
