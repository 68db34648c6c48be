#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "trx_api/trx_api_compression.h"

using namespace trx;

namespace {

std::vector<char> sample(std::size_t n) {
    // Compressible but not trivial: a mesh-like run of small integers with noise.
    std::vector<char> v(n);
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<char>(i % 97 + (rng() % 16 == 0));
    return v;
}

std::string runtimeError(const std::vector<char>& gz, std::uint64_t maxSize = Compressor::kMaxExpandedSize) {
    std::vector<char> out{'x'};
    try {
        Compressor::decompress(out, gz.data(), gz.size(), maxSize);
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(out.empty()) << "partial data left behind";
        return e.what();
    }
    return "no error";
}

}  // namespace

TEST(Compressor, GzipRoundTripAndHeader) {
    for (std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(1000), std::size_t(3) << 20}) {
        const std::vector<char> in = sample(n);
        std::vector<char> gz;
        Compressor::compress(gz, in.data(), in.size(), -1);
        ASSERT_GE(gz.size(), 18u);
        // gzip member: magic, deflate method, no flags, no time stamp, default level, Unix
        EXPECT_EQ(std::vector<unsigned char>(gz.begin(), gz.begin() + 10),
                  (std::vector<unsigned char>{0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3}));
        EXPECT_TRUE(Compressor::isCompressed(gz.data(), gz.size()));
        if (n == 0) {
            EXPECT_EQ(gz.size(), 20u);  // header, an empty block and the trailer
        }
        if (n > 1000) {
            EXPECT_LT(gz.size(), n / 2);
        }

        std::vector<char> back;
        Compressor::decompress(back, gz.data(), gz.size());
        EXPECT_EQ(back, in) << n;
    }
    std::vector<char> out{'x'};
    Compressor::decompress(out, nullptr, 0);
    EXPECT_TRUE(out.empty());
}

TEST(Compressor, LevelsAndZlibStreams) {
    const std::vector<char> in = sample(100000);
    std::vector<char> fast, best, back;
    Compressor::compress(fast, in.data(), in.size(), 1);
    Compressor::compress(best, in.data(), in.size(), 12);
    EXPECT_LE(best.size(), fast.size());
    Compressor::decompress(back, best.data(), best.size());
    EXPECT_EQ(back, in);
    for (int bad : {-2, 13}) {
        try {
            Compressor::compress(back, in.data(), in.size(), bad);
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "deflate init failed");
        }
    }
    // zlib-wrapped data (as another writer may send it) expands too: "hello" at level 6.
    const std::vector<char> zlibHello{'\x78', '\x9c', '\xcb', '\x48', '\xcd', '\xc9', '\xc9', '\x07',
                                      '\x00', '\x06', '\x2c', '\x02', '\x15'};
    Compressor::decompress(back, zlibHello.data(), zlibHello.size());
    EXPECT_EQ(std::string(back.begin(), back.end()), "hello");
}

TEST(Compressor, TruncatedOrCorruptInputIsAnErrorNeverPartialData) {
    const std::vector<char> in = sample(200000);
    std::vector<char> gz;
    Compressor::compress(gz, in.data(), in.size(), -1);

    // Cut anywhere: inside the header, the deflate data or the trailer.
    for (std::size_t keep : {std::size_t(5), std::size_t(12), gz.size() / 2, gz.size() - 5, gz.size() - 1}) {
        const std::vector<char> cut(gz.begin(), gz.begin() + static_cast<std::ptrdiff_t>(keep));
        EXPECT_EQ(runtimeError(cut), "unexpected end of compressed data") << keep;
    }
    // Damaged trailer and damaged stream: zlib's own message.
    std::vector<char> badCrc = gz;
    badCrc[gz.size() - 6] ^= 1;
    EXPECT_EQ(runtimeError(badCrc), "incorrect data check");
    std::vector<char> badHeader = gz;
    badHeader[2] = 7;
    EXPECT_EQ(runtimeError(badHeader), "unknown compression method");
    const std::vector<char> garbage(100, '\xff');
    EXPECT_NE(runtimeError(garbage), "no error");

    // A small member is expanded by a faster reader than zlib, but only where zlib would give
    // the same bytes: a length that lies either way, a header CRC that does not match (zlib
    // checks it, not every reader does) and a length beyond the limit are zlib's errors.
    for (const int bit : {1, 4}) {
        std::vector<char> lyingLength = gz;
        lyingLength[gz.size() - 4] ^= bit;
        EXPECT_EQ(runtimeError(lyingLength), "incorrect length check") << bit;
    }
    std::vector<char> headerCrc = gz;
    headerCrc[3] |= 2;  // FHCRC, then two bytes that are not the header's CRC
    headerCrc.insert(headerCrc.begin() + 10, {'\x12', '\x34'});
    EXPECT_EQ(runtimeError(headerCrc), "header crc mismatch");
    EXPECT_EQ(runtimeError(gz, in.size() - 1), "expanded data exceeds the size limit");

    // What follows the member would be dropped without a word: another member (the form
    // of concatenated gzip files) is named as such, anything else counted.
    std::vector<char> twoMembers = gz;
    twoMembers.insert(twoMembers.end(), gz.begin(), gz.end());
    EXPECT_EQ(runtimeError(twoMembers), "compressed data holds several gzip members; one is expected");
    std::vector<char> trailing = gz;
    trailing.insert(trailing.end(), {'\0', '\0', '\0'});
    EXPECT_EQ(runtimeError(trailing), "compressed data is followed by 3 more bytes");
}

TEST(Compressor, ExpansionIsBounded) {
    // 16 MiB of zeros squeeze into a few KiB; a small limit stops the expansion early.
    const std::vector<char> zeros(16 << 20, 0);
    std::vector<char> gz;
    Compressor::compress(gz, zeros.data(), zeros.size(), -1);
    ASSERT_LT(gz.size(), 50000u);
    EXPECT_EQ(runtimeError(gz, 1 << 20), "expanded data exceeds the size limit");
    // Exactly at the limit is fine.
    std::vector<char> back;
    Compressor::decompress(back, gz.data(), gz.size(), zeros.size());
    EXPECT_EQ(back.size(), zeros.size());
    EXPECT_EQ(runtimeError(gz, zeros.size() - 1), "expanded data exceeds the size limit");

    // A trailer that lies about the size is only a hint.
    std::vector<char> lying = gz;
    lying[lying.size() - 1] = '\x7f';
    EXPECT_EQ(runtimeError(lying), "incorrect length check");
}

TEST(Compressor, RecognisesHeaders) {
    auto is = [](std::initializer_list<unsigned char> bytes) {
        const std::vector<char> v(bytes.begin(), bytes.end());
        return Compressor::isCompressed(v.data(), v.size());
    };
    EXPECT_FALSE(is({0x1F, 0x8B}));  // too short
    EXPECT_TRUE(is({0x1F, 0x8B, 0}));
    for (unsigned char second : {0x9C, 0x01, 0xDA, 0x5E}) EXPECT_TRUE(is({0x78, second, 0})) << int(second);
    EXPECT_FALSE(is({0x78, 0x00, 0}));
    EXPECT_FALSE(is({'{', '"', 'a'}));
    EXPECT_FALSE(Compressor::isCompressed(nullptr, 10));
}

TEST(Base64, EncodingPadsLastGroup) {
    auto enc = [](const std::string& bytes) {
        std::wstring text = L"old";
        Base64::encode(std::vector<char>(bytes.begin(), bytes.end()), text);
        return text;
    };
    // RFC 4648 test vectors
    for (const auto& [in, out] : std::initializer_list<std::pair<std::string, std::wstring>>{
             {"", L""}, {"f", L"Zg=="}, {"fo", L"Zm8="}, {"foo", L"Zm9v"}, {"foobar", L"Zm9vYmFy"},
             {"\xfb\xff\xbf", L"+/+/"}})
        EXPECT_EQ(enc(in), out);

    // All byte values survive; 4-byte elements keep their bit patterns.
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    std::wstring text;
    Base64::encode(all, text);
    std::vector<unsigned char> back;
    Base64::decode(text, back);
    EXPECT_EQ(back, all);

    const std::vector<float> coords{0.0f, -1.5f, 3.25e7f, 1e-30f};
    const std::vector<std::uint32_t> indices{0, 1, 0xFFFFFFFFu, 42};
    std::vector<float> coordsBack{9.0f};
    std::vector<std::uint32_t> indicesBack;
    Base64::encode(coords, text);
    Base64::decode(text, coordsBack);
    EXPECT_EQ(coordsBack, coords);
    Base64::encode(indices, text);
    EXPECT_EQ(text.size(), 24u);
    Base64::decode(text, indicesBack);
    EXPECT_EQ(indicesBack, indices);
}

TEST(Base64, DecodingStopsQuietlyAtForeignCharacters) {
    auto dec = [](const std::wstring& text) {
        std::vector<char> bytes{'?'};
        Base64::decode(text, bytes);
        return std::string(bytes.begin(), bytes.end());
    };
    // Stops at the first "=", a blank, a wide character whose low byte is in the alphabet;
    // one character gives no byte, unpadded short groups k - 1 bytes.
    for (const auto& [in, out] : std::initializer_list<std::pair<std::wstring, std::string>>{
             {L"Zm9v", "foo"}, {L"Zm9vYg==", "foob"}, {L"Zm9vYmE=", "fooba"}, {L"Zm9v=Zm9v", "foo"},
             {L"Zm 9v", "f"}, {L"Zm9\n", "fo"}, {L"Zm9v\u0100Zm9v", "foo"}, {L"Z", ""}, {L"", ""},
             {L"Zm", "f"}, {L"Zm9vYmE", "fooba"}})
        EXPECT_EQ(dec(in), out);

    // Elements are whole: trailing bytes that do not fill one are dropped.
    std::vector<std::int32_t> ints;
    Base64::decode(L"AQAAAAIAAAAD", ints);  // 1, 2 and one stray byte
    EXPECT_EQ(ints, (std::vector<std::int32_t>{1, 2}));
    Base64::decode(L"AQA", ints);
    EXPECT_TRUE(ints.empty());
}
