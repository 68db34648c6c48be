// One gzip member compressed in chunks on several threads: any gzip reader must take it
// and give back the very bytes, whatever the sizes and contents, and its header must say
// where each chunk lies.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "trx_api/trx_api_compression.h"

using namespace trx;

namespace {

constexpr std::uint64_t kChunk = 1000;

// Small chunks on three threads for every payload, restored afterwards.
class ChunkedGzip : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = Compressor::parallelism();
        Compressor::Parallelism p;
        p.threads = 3;
        p.chunkSize = kChunk;
        p.minParallelSize = 0;
        Compressor::setParallelism(p);
    }
    void TearDown() override { Compressor::setParallelism(m_saved); }

private:
    Compressor::Parallelism m_saved;
};

std::vector<char> payload(std::size_t n, bool compressible, unsigned seed) {
    std::vector<char> v(n);
    std::mt19937 rng(seed);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<char>(compressible ? "mesh"[rng() % 4] + (i % 211 == 0) : rng());
    return v;
}

std::uint32_t le32(const std::vector<char>& b, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b.at(at + i));
    return v;
}

struct Table {
    bool present = false;
    std::size_t dataStart = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> chunks;  // compressed, expanded
};

// The chunk table as a reader finds it: FEXTRA, subfield "Tc", version 1.
Table tableOf(const std::vector<char>& gz) {
    Table t;
    if (gz.size() < 12 || !(gz[3] & 4)) return t;
    const std::size_t xlen = le32(gz, 10) & 0xFFFF;
    t.dataStart = 12 + xlen;
    EXPECT_EQ(gz.at(12), 'T');
    EXPECT_EQ(gz.at(13), 'c');
    EXPECT_EQ(le32(gz, 14) & 0xFFFF, xlen - 4);
    EXPECT_EQ(gz.at(16), 1);
    const std::uint32_t count = le32(gz, 17);
    EXPECT_EQ(xlen, 4 + 5 + 8u * count);
    for (std::uint32_t i = 0; i < count; ++i)
        t.chunks.emplace_back(le32(gz, 21 + 8 * i), le32(gz, 25 + 8 * i));
    t.present = true;
    return t;
}

// Where the stored block that ends a chunk begins, in bits from the chunk's start: the
// end of the block before it, found by raw inflate stopping at each block's end.
std::uint64_t storedBlockStart(const char* chunk, std::size_t size) {
    std::vector<unsigned char> in(chunk, chunk + size);
    for (unsigned char b : {0x01, 0x00, 0x00, 0xFF, 0xFF}) in.push_back(b);  // a final end
    z_stream zs{};
    inflateInit2(&zs, -15);
    zs.next_in = in.data();
    zs.avail_in = static_cast<uInt>(in.size());
    std::vector<unsigned char> sink(1 << 16);
    std::vector<std::uint64_t> ends;
    int ret = Z_OK;
    while (ret == Z_OK) {
        zs.next_out = sink.data();
        zs.avail_out = static_cast<uInt>(sink.size());
        ret = inflate(&zs, Z_BLOCK);
        if (ret == Z_OK && (zs.data_type & 128))
            ends.push_back(std::uint64_t(zs.total_in) * 8 - (zs.data_type & 63));
    }
    inflateEnd(&zs);
    EXPECT_EQ(ret, Z_STREAM_END);
    EXPECT_GE(ends.size(), 3u);  // data, the empty stored block, the final one we added
    return ends.size() >= 3 ? ends[ends.size() - 3] : 0;
}

std::string errorOf(const std::vector<char>& gz) {
    std::vector<char> out;
    try {
        Compressor::decompress(out, gz.data(), gz.size());
    } catch (const std::runtime_error& e) {
        EXPECT_TRUE(out.empty());
        return e.what();
    }
    return "no error";
}

void putLe32(std::vector<char>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<char>(v >> (8 * i) & 0xFF);
}

bool gzipAccepts(const std::vector<char>& gz) {
    char path[] = "/tmp/trx-gzip-chunks-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) return false;
    FILE* f = ::fdopen(fd, "wb");
    std::fwrite(gz.data(), 1, gz.size(), f);
    std::fclose(f);
    const int status = std::system(("gzip -t " + std::string(path) + " 2>/dev/null").c_str());
    std::remove(path);
    return status == 0;
}

}  // namespace

TEST_F(ChunkedGzip, EverySizeAndContentReadsBackWhole) {
    std::size_t spilled = 0, fitted = 0;
    for (const bool compressible : {true, false})
        for (const std::size_t n :
             {std::size_t(0), std::size_t(1), std::size_t(kChunk - 1), std::size_t(kChunk),
              std::size_t(kChunk + 1), std::size_t(3 * kChunk), std::size_t(3 * kChunk + 1),
              std::size_t(64 * kChunk + 17)}) {
            SCOPED_TRACE(std::to_string(n) + (compressible ? " compressible" : " random"));
            const std::vector<char> in = payload(n, compressible, static_cast<unsigned>(n));
            std::vector<char> gz, out;
            Compressor::compress(gz, in.data(), in.size());
            Compressor::decompress(out, gz.data(), gz.size());
            EXPECT_EQ(out, in);

            const Table t = tableOf(gz);
            EXPECT_EQ(t.present, n > kChunk);  // one chunk stays one plain stream
            if (!t.present) continue;
            std::uint64_t compressed = 0, expanded = 0;
            for (std::size_t i = 0; i < t.chunks.size(); ++i) {
                const auto [c, e] = t.chunks[i];
                EXPECT_EQ(e, i + 1 < t.chunks.size() ? kChunk : n - i * kChunk);
                if (i + 1 < t.chunks.size()) {
                    // Non-final chunks end on an empty stored block, byte-aligned; its
                    // header fitted in the last byte of the data or spilled into one more.
                    const char* chunk = gz.data() + t.dataStart + compressed;
                    EXPECT_EQ(std::string(chunk + c - 4, 4), std::string("\0\0\xff\xff", 4));
                    const std::uint64_t at = storedBlockStart(chunk, c);
                    (at % 8 == 0 || at % 8 > 5 ? spilled : fitted) += 1;
                }
                compressed += c;
                expanded += e;
            }
            EXPECT_EQ(t.chunks.size(), (n + kChunk - 1) / kChunk);
            EXPECT_EQ(expanded, n);
            EXPECT_EQ(t.dataStart + compressed + 8, gz.size());
            EXPECT_EQ(le32(gz, gz.size() - 4), n);
            EXPECT_EQ(le32(gz, gz.size() - 8),
                      crc32(0, reinterpret_cast<const Bytef*>(in.data()), static_cast<uInt>(n)));
            EXPECT_TRUE(gzipAccepts(gz));
        }
    // Both ways the empty stored block's header can fall.
    EXPECT_GT(spilled, 0u);
    EXPECT_GT(fitted, 0u);
}

TEST_F(ChunkedGzip, DamagedTrailerIsReportedAsBefore) {
    const std::vector<char> in = payload(5 * kChunk, true, 1);
    std::vector<char> gz;
    Compressor::compress(gz, in.data(), in.size());
    ASSERT_TRUE(tableOf(gz).present);
    std::vector<char> badCrc = gz;
    badCrc[gz.size() - 7] ^= 1;
    EXPECT_EQ(errorOf(badCrc), "incorrect data check");
    std::vector<char> badLength = gz;
    badLength[gz.size() - 3] ^= 1;
    EXPECT_EQ(errorOf(badLength), "incorrect length check");
}

TEST_F(ChunkedGzip, ThreadsComeFromTheSettingThenTheEnvironment) {
    const std::vector<char> in = payload(5 * kChunk, true, 2);
    Compressor::Parallelism p = Compressor::parallelism();
    p.threads = 1;  // one stream, no table, as a single thread always wrote
    Compressor::setParallelism(p);
    EXPECT_EQ(Compressor::threads(), 1u);
    std::vector<char> gz;
    Compressor::compress(gz, in.data(), in.size());
    EXPECT_FALSE(tableOf(gz).present);

    p.threads = 0;
    Compressor::setParallelism(p);
    ::setenv("TRX_COMPRESS_THREADS", "5", 1);
    EXPECT_EQ(Compressor::threads(), 5u);
    ::setenv("TRX_COMPRESS_THREADS", "many", 1);  // not a number: the machine decides
    EXPECT_GE(Compressor::threads(), 1u);
    EXPECT_LE(Compressor::threads(), 8u);
    ::unsetenv("TRX_COMPRESS_THREADS");

    // Below the size that pays, one stream.
    p.threads = 3;
    p.minParallelSize = 10 * kChunk;
    Compressor::setParallelism(p);
    Compressor::compress(gz, in.data(), in.size());
    EXPECT_FALSE(tableOf(gz).present);
}

// A table is only a hint: one that does not add up is ignored (zlib reads the member), one
// that adds up but lies about the boundaries is an error, never wrong data.
TEST_F(ChunkedGzip, TableThatLiesIsIgnoredOrRefusedNeverBelieved) {
    const std::vector<char> in = payload(4 * kChunk + 300, true, 3);
    std::vector<char> gz;
    Compressor::compress(gz, in.data(), in.size());
    const Table t = tableOf(gz);
    ASSERT_EQ(t.chunks.size(), 5u);
    const std::size_t first = 21, last = 21 + 8 * 4;  // the first and last table lines
    auto readsBack = [&](const std::vector<char>& damaged) {
        std::vector<char> out;
        Compressor::decompress(out, damaged.data(), damaged.size());
        return out == in;
    };
    std::vector<char> tooLong = gz;  // past the data
    putLe32(tooLong, first, t.chunks[0].first + 1);
    EXPECT_TRUE(readsBack(tooLong));
    std::vector<char> wrongTotal = gz;  // expanded sizes not the trailer's length
    putLe32(wrongTotal, first + 4, t.chunks[0].second + 1);
    EXPECT_TRUE(readsBack(wrongTotal));
    std::vector<char> wrongCount = gz;
    putLe32(wrongCount, 17, 6);
    EXPECT_TRUE(readsBack(wrongCount));
    std::vector<char> empty = gz;  // a chunk of no bytes
    putLe32(empty, first, 0);
    EXPECT_TRUE(readsBack(empty));
    std::vector<char> otherVersion = gz;
    otherVersion[16] = 2;
    EXPECT_TRUE(readsBack(otherVersion));

    // Sums intact, boundaries wrong: the first and the last chunk swapped in the table.
    std::vector<char> swapped = gz;
    putLe32(swapped, first, t.chunks[4].first);
    putLe32(swapped, first + 4, t.chunks[4].second);
    putLe32(swapped, last, t.chunks[0].first);
    putLe32(swapped, last + 4, t.chunks[0].second);
    EXPECT_EQ(errorOf(swapped), "compressed data does not match its chunk table");
}

// Damage inside the chunks is reported in the words zlib uses for the same bytes.
TEST_F(ChunkedGzip, DamagedChunkIsReportedInZlibsWords) {
    const std::vector<char> in = payload(6 * kChunk, false, 4);
    std::vector<char> gz;
    Compressor::compress(gz, in.data(), in.size());
    const Table t = tableOf(gz);
    ASSERT_TRUE(t.present);
    Compressor::Parallelism oneThread = Compressor::parallelism();
    oneThread.threads = 1;
    for (const std::size_t offset :
         {std::size_t(0), std::size_t(t.chunks[0].first - 3), std::size_t(t.chunks[0].first + 7)}) {
        std::vector<char> damaged = gz;
        damaged.at(t.dataStart + offset) ^= 0x55;
        const std::string chunked = errorOf(damaged);
        const Compressor::Parallelism saved = Compressor::parallelism();
        Compressor::setParallelism(oneThread);  // zlib alone
        EXPECT_EQ(chunked, errorOf(damaged)) << offset;
        Compressor::setParallelism(saved);
        EXPECT_NE(chunked, "no error");
    }
}
