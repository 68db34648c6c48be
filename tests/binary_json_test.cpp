#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>

#include "trx_api/json/json_object.h"
#include "trx_api/trx_api_binary_json.h"

#include <sys/resource.h>

using namespace trx;

namespace {

// Little-endian byte builders for expected output.
struct Bytes {
    std::string s;
    Bytes& u8(unsigned v) { s += static_cast<char>(v); return *this; }
    template <class T> Bytes& le(T v) {
        char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));
        s.append(b, sizeof(T));
        return *this;
    }
    Bytes& u16(std::uint16_t v) { return le(v); }
    Bytes& u64(std::uint64_t v) { return le(v); }
};

std::string binary(const JsonValue& v) {
    std::string out;
    JsonBinaryIO::write(out, v);
    std::ostringstream os;
    JsonBinaryIO::write(os, v);
    EXPECT_EQ(os.str(), out) << "stream and buffer forms differ";
    return out;
}

void parse(JsonDocument& doc, const std::wstring& text) {
    std::wistringstream is(text);
    JsonTextIO::read(is, doc);
    ASSERT_FALSE(doc.HasParseError());
}

template <class E>
std::string errorOf(const std::string& bytes) {
    JsonDocument doc;
    doc.SetString(L"untouched");
    try {
        JsonBinaryIO::read(bytes.data(), bytes.size(), doc, doc.GetAllocator());
    } catch (const E& e) {
        EXPECT_TRUE(doc.IsString() && doc.GetString() == std::wstring(L"untouched"));
        return e.what();
    } catch (const std::exception& e) {
        return std::string("wrong exception: ") + e.what();
    }
    return "no error";
}

std::wstring nested(std::size_t depth) {
    return std::wstring(depth, L'[') + std::wstring(depth, L']');
}

}  // namespace

TEST(JsonBinaryIO, ExactBytes) {
    JsonDocument doc;
    // Each number takes the narrowest of the five forms.
    parse(doc, L"[1, -1, 3000000000, 5000000000, 0.5]");
    EXPECT_EQ(binary(doc), Bytes()
                               .u8(4).u64(33)
                               .u8(6).le<std::int32_t>(1)
                               .u8(6).le<std::int32_t>(-1)
                               .u8(7).le<std::uint32_t>(3000000000u)
                               .u8(8).le<std::int64_t>(5000000000)
                               .u8(10).le<double>(0.5)
                               .s);
    parse(doc, L"[18446744073709551615, -9223372036854775808]");
    EXPECT_EQ(binary(doc), Bytes().u8(4).u64(18).u8(9).u64(~0ull).u8(8).le<std::int64_t>(INT64_MIN).s);

    parse(doc, L"{}");
    EXPECT_EQ(binary(doc), Bytes().u8(3).u64(0).s);
    // Counts are bytes of the contents; names are strings with their tag.
    parse(doc, LR"({"a":null,"b":[true,false],"c":{}})");
    EXPECT_EQ(binary(doc), Bytes()
                               .u8(3).u64(54)
                               .u8(5).u64(1).u16('a').u8(0)
                               .u8(5).u64(1).u16('b').u8(4).u64(2).u8(2).u8(1)
                               .u8(5).u64(1).u16('c').u8(3).u64(0)
                               .s);
}

TEST(JsonBinaryIO, StringsTravelAsUtf16) {
    JsonDocument doc;
    // U+1F600 is a surrogate pair on the wire: three units for two characters.
    const std::wstring text = L"a\U0001F600\u00e9";
    doc.SetString(text.c_str(), static_cast<rapidjson::SizeType>(text.size()), doc.GetAllocator());
    const std::string bytes = binary(doc);
    EXPECT_EQ(bytes, Bytes().u8(5).u64(4).u16('a').u16(0xD83D).u16(0xDE00).u16(0xE9).s);
    JsonDocument back;
    JsonBinaryIO::read(bytes.data(), bytes.size(), back, back.GetAllocator());
    ASSERT_TRUE(back.IsString());
    EXPECT_EQ(std::wstring(back.GetString(), back.GetStringLength()), text);

    // Lone surrogates stay as they are, in both directions; an embedded NUL is kept.
    const std::string lone = Bytes().u8(5).u64(5).u16(0xDC00).u16('x').u16(0xD800).u16(0).u16(0xD801).s;
    JsonBinaryIO::read(lone.data(), lone.size(), back, back.GetAllocator());
    const std::wstring expected{wchar_t(0xDC00), L'x', wchar_t(0xD800), L'\0', wchar_t(0xD801)};
    EXPECT_EQ(std::wstring(back.GetString(), back.GetStringLength()), expected);
    EXPECT_EQ(binary(back), lone);

    // Beyond Unicode cannot be carried: it becomes U+FFFD rather than a cut value.
    const wchar_t beyond[] = {wchar_t(0x110000), 0};
    doc.SetString(beyond, 1, doc.GetAllocator());
    EXPECT_EQ(binary(doc), Bytes().u8(5).u64(1).u16(0xFFFD).s);

    // Long strings cross the stream writer's blocks, including a pair split across them.
    std::wstring longText(20000, L'z');
    for (std::size_t i = 8190; i < longText.size(); i += 7) longText[i] = L'\U00010348';
    doc.SetString(longText.c_str(), static_cast<rapidjson::SizeType>(longText.size()), doc.GetAllocator());
    std::ostringstream os;
    JsonBinaryIO::write(os, doc);
    std::istringstream is(os.str());
    JsonBinaryIO::read(is, back, back.GetAllocator());
    EXPECT_EQ(std::wstring(back.GetString(), back.GetStringLength()), longText);

    // Blocks of plain characters between blocks with pairs at their edges, in both directions.
    std::wstring mixed(30000, L'q');
    mixed[8192] = L'\U0001F600';
    mixed[24575] = L'\U00010348';
    mixed.back() = wchar_t(0xD83D);  // a lone high surrogate last
    doc.SetString(mixed.c_str(), static_cast<rapidjson::SizeType>(mixed.size()), doc.GetAllocator());
    const std::string wire = binary(doc);
    ASSERT_EQ(wire.size(), 1 + 8 + 2 * (mixed.size() + 2));
    EXPECT_EQ(wire.substr(9 + 2 * 8191, 8), Bytes().u16('q').u16(0xD83D).u16(0xDE00).u16('q').s);
    JsonBinaryIO::read(wire.data(), wire.size(), back, back.GetAllocator());
    EXPECT_EQ(std::wstring(back.GetString(), back.GetStringLength()), mixed);
}

TEST(JsonBinaryIO, RoundTripKeepsValuesAndNumberKinds) {
    JsonDocument doc;
    parse(doc, LR"({"name":"x\u0000y","list":[1,2.0,-3e-300,{"deep":[[[]]]}],"n":null,)"
               LR"("big":4294967295,"neg":-2147483649,"t":true,"empty":""})");
    const std::string bytes = binary(doc);

    // Two values back to back in one stream: each read stops after its value.
    std::stringstream ss;
    JsonBinaryIO::write(ss, doc);
    JsonBinaryIO::write(ss, JsonValue(7));
    JsonDocument first, second;
    JsonBinaryIO::read(ss, first, first.GetAllocator());
    JsonBinaryIO::read(ss, second, second.GetAllocator());
    EXPECT_TRUE(first == doc);
    EXPECT_EQ(first[L"list"][1].GetDouble(), 2.0);
    EXPECT_TRUE(first[L"list"][1].IsDouble());
    EXPECT_TRUE(first[L"big"].IsUint() && !first[L"big"].IsInt());
    EXPECT_TRUE(first[L"neg"].IsInt64() && !first[L"neg"].IsInt());
    EXPECT_EQ(first[L"name"].GetStringLength(), 3u);
    ASSERT_TRUE(second.IsInt());
    EXPECT_EQ(second.GetInt(), 7);

    // A value that fits 32 bits but arrives in the 64-bit form still tests as an int.
    const std::string wide = Bytes().u8(8).le<std::int64_t>(5).s;
    JsonBinaryIO::read(wide.data(), wide.size(), first, first.GetAllocator());
    EXPECT_TRUE(first.IsInt());
    EXPECT_EQ(first.GetInt(), 5);

    // Reading reports the bytes it took, not what follows.
    EXPECT_EQ(JsonBinaryIO::read((bytes + "tail").data(), bytes.size() + 4, first, first.GetAllocator()),
              bytes.size());

    // An empty or failed stream has no value to give.
    std::istringstream empty;
    EXPECT_THROW(JsonBinaryIO::read(empty, first, first.GetAllocator()), std::length_error);
}

TEST(JsonBinaryIO, ShortInputIsALengthErrorAtEveryCut) {
    JsonDocument doc;
    parse(doc, LR"({"k":[1,5000000000,0.25,"s\u00e9",{"e":false}],"u":3000000000})");
    const std::string bytes = binary(doc);
    for (std::size_t keep = 0; keep < bytes.size(); ++keep) {
        const std::string cut = bytes.substr(0, keep);
        JsonDocument back;
        EXPECT_THROW(JsonBinaryIO::read(cut.data(), cut.size(), back, back.GetAllocator()),
                     std::length_error) << keep;
    }
    EXPECT_EQ(errorOf<std::length_error>(""), "JsonBinaryIO: Failed to parse all bytes of type");
    EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(6).u8(1).u8(0).s),
              "JsonBinaryIO: Failed to read all the number of bytes");
    EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(5).u8(1).s),
              "JsonBinaryIO: Failed to read all the number of bytes");
    EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(5).u64(2).u16('a').u8('b').s),
              "JsonBinaryIO: Failed to read all the bytes of string");
}

TEST(JsonBinaryIO, HostileCountsAreRefusedBeforeAllocating) {
    // Huge counts in a few bytes: refused at once, not after trying to allocate them.
    for (std::uint64_t count : {std::uint64_t(1) << 40, std::uint64_t(1) << 63, ~std::uint64_t(0)}) {
        EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(5).u64(count).u16('a').s),
                  "JsonBinaryIO: Failed to read all the bytes of string") << count;
        EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(4).u64(count).u8(0).s),
                  "JsonBinaryIO: Failed to parse all bytes of type") << count;
        EXPECT_EQ(errorOf<std::length_error>(Bytes().u8(3).u64(count).u8(5).u64(0).u8(0).s),
                  "JsonBinaryIO: Failed to parse all bytes of type") << count;
    }
    EXPECT_EQ(errorOf<std::invalid_argument>(Bytes().u8(11).s), "JsonBinaryIO: Unknown value type");
    EXPECT_EQ(errorOf<std::invalid_argument>(Bytes().u8(4).u64(1).u8(200).s),
              "JsonBinaryIO: Unknown value type");
    // An object whose member name is a number or a nested object.
    EXPECT_EQ(errorOf<std::invalid_argument>(Bytes().u8(3).u64(6).u8(6).le<std::int32_t>(1).u8(0).s),
              "JsonBinaryIO: Member name is not a string");
    EXPECT_EQ(errorOf<std::invalid_argument>(Bytes().u8(3).u64(10).u8(3).u64(0).u8(0).s),
              "JsonBinaryIO: Member name is not a string");
}

TEST(JsonBinaryIO, NestingIsLimitedBothWays) {
    JsonDocument doc;
    parse(doc, nested(JsonBinaryIO::kMaxDepth));
    const std::string deepest = binary(doc);
    JsonDocument back;
    JsonBinaryIO::read(deepest.data(), deepest.size(), back, back.GetAllocator());
    EXPECT_TRUE(back == doc);

    // One level more, built by hand since the text reader refuses it too.
    const std::string tooDeep = Bytes().u8(4).u64(deepest.size()).s + deepest;
    EXPECT_EQ(errorOf<std::invalid_argument>(tooDeep), "JsonBinaryIO: Nesting too deep");
    JsonValue outer(rapidjson::kArrayType);
    outer.PushBack(doc, doc.GetAllocator());
    std::string out;
    EXPECT_THROW(JsonBinaryIO::write(out, outer), std::invalid_argument);

    // A million nested array headers: an error, not a stack overflow.
    std::string million;
    for (int i = 0; i < 1000000; ++i) million += Bytes().u8(4).u64(0xFFFF).s;
    EXPECT_EQ(errorOf<std::invalid_argument>(million), "JsonBinaryIO: Nesting too deep");
}

// A document whose parse stack cannot grow is an exception, not a write through the null
// that a failed realloc gives. The address space is capped in a child process; the
// sanitizers reserve more of it than any cap allows.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
namespace {
template <class Read>
[[noreturn]] void underAddressSpaceCap(rlim_t room, Read read) {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    const rlim_t cap = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
    rlimit limit;
    limit.rlim_cur = limit.rlim_max = cap;
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
    try {
        read();
    } catch (const std::bad_alloc&) {
        std::_Exit(0);
    }
    std::_Exit(1);
}
}  // namespace

TEST(JsonBinaryIODeathTest, AllocationFailureIsAnException) {
    const std::size_t count = std::size_t(48) << 20;  // 768 MB of stack slots
    const std::string nulls = Bytes().u8(4).u64(count).s + std::string(count, '\0');
    EXPECT_EXIT(underAddressSpaceCap(rlim_t(384) << 20,
                                     [&] {
                                         JsonDocument doc;
                                         JsonBinaryIO::read(nulls.data(), nulls.size(), doc, doc.GetAllocator());
                                     }),
                ::testing::ExitedWithCode(0), "");

    // The text parser's stack is the same kind of stack.
    std::wstring zeros = L"[0";
    for (int i = 0; i < (8 << 20); ++i) zeros += L",0";  // 8 Mi values, 128 MB of stack
    zeros += L']';
    std::wistringstream text(zeros);
    EXPECT_EXIT(underAddressSpaceCap(rlim_t(64) << 20,
                                     [&] {
                                         JsonDocument doc;
                                         JsonTextIO::read(text, doc);
                                     }),
                ::testing::ExitedWithCode(0), "");
}
#endif
