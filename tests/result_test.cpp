#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "trx_api/trx_api_result.h"

using trx::Result;

namespace {

std::wstring text(const Result& r) {
    std::wostringstream os;
    r.writeObject(os);
    return os.str();
}

Result read(const std::wstring& json, Result r = Result()) {
    std::wistringstream is(json);
    r.readObject(is);
    return r;
}

std::string readError(const std::wstring& json) {
    try {
        read(json);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(Result, WritesPrettyDocumentInKeyOrder) {
    Result r;
    EXPECT_EQ(text(r), L"{\n  \"code\": \"ok\",\n  \"is_finished\": false\n}");

    r.setCode(Result::Interrupted);
    r.setMessage(L"stopped by user \u00e9");
    r.setFinished(true);
    EXPECT_EQ(text(r), L"{\n  \"code\": \"interrupted\",\n  \"message\": \"stopped by user \u00e9\",\n"
                       L"  \"is_finished\": true\n}");
    EXPECT_EQ(read(text(r)), r);

    // Every code travels by name; a value outside the list is written as "unknown".
    for (auto code : {Result::Unknown, Result::Ok, Result::Warning, Result::Error, Result::Interrupted}) {
        r.setCode(code);
        EXPECT_EQ(read(text(r)).code(), code);
    }
    r.setCode(static_cast<Result::ECode>(7));
    EXPECT_NE(text(r).find(L"\"code\": \"unknown\""), std::wstring::npos);
}

TEST(Result, ReadingIsLenientExceptForTheCode) {
    Result before;
    before.setCode(Result::Error);
    before.setMessage(L"kept");
    before.setFinished(true);

    // An unknown name reads as Unknown (not the first name in order); the rest stays.
    Result r = read(LR"({"code":"Ok"})", before);
    EXPECT_EQ(r.code(), Result::Unknown);
    EXPECT_EQ(r.message(), L"kept");
    EXPECT_TRUE(r.isFinished());
    // Members of the wrong kind are ignored.
    r = read(LR"({"code":"warning","message":5,"is_finished":"false"})", before);
    EXPECT_EQ(r.code(), Result::Warning);
    EXPECT_EQ(r.message(), L"kept");
    EXPECT_TRUE(r.isFinished());
    r = read(LR"({"code":"ok","message":"","is_finished":false})", before);
    EXPECT_EQ(r.message(), L"");
    EXPECT_FALSE(r.isFinished());

    EXPECT_EQ(readError(LR"({"code":1})"), "Json document has no result code.");
    EXPECT_EQ(readError(LR"({"message":"x"})"), "Json document has no result code.");
    EXPECT_EQ(readError(LR"(["code","ok"])"), "Invalid json document");
    EXPECT_EQ(readError(LR"({"code":"ok"} {"code":"ok"})"), "Invalid json document");
    EXPECT_EQ(readError(LR"({"code":"ok")"), "Invalid json document");
    EXPECT_EQ(readError(L""), "Invalid json document");
}
