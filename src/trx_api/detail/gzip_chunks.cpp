#include "gzip_chunks.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>
#include <thread>

#include "../trx_api_compression.h"

namespace trx::detail {
namespace {

struct FreeCompressor {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

void putLe16(Bytes& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}

void putLe32(Bytes& out, std::size_t at, std::uint32_t v) {
    putLe16(out, at, v & 0xFFFF);
    putLe16(out, at + 2, v >> 16);
}

struct Chunk {
    std::vector<unsigned char> deflated;
    std::uint32_t crc = 0;
    std::uint32_t expanded = 0;
};

void compressChunk(const char* data, std::size_t size, int level, bool last, Chunk& chunk) {
    libdeflate_compressor* c = compressorFor(level);
    // Compressed into this thread's scratch at the bound, kept at its exact size: the
    // bounds of all chunks at once would add the payload's size again to the peak.
    thread_local std::vector<unsigned char> scratch;
    scratch.resize(libdeflate_deflate_compress_bound(c, size));
    const std::size_t n =
        libdeflate_deflate_compress(c, data, size, scratch.data(), scratch.size());
    if (n == 0) throw std::runtime_error("deflate failed");  // cannot happen within the bound
    scratch.resize(n);
    if (!last) makeNonFinal(scratch);
    chunk.deflated.assign(scratch.begin(), scratch.end());
    chunk.crc = libdeflate_crc32(0, data, size);
    chunk.expanded = static_cast<std::uint32_t>(size);
}

}  // namespace

libdeflate_compressor* compressorFor(int level) {
    // A compressor holds a few hundred KiB of tables; keep one per thread for the last level.
    thread_local std::unique_ptr<libdeflate_compressor, FreeCompressor> cached;
    thread_local int cachedLevel = 0;
    if (level == -1) level = 6;  // the customary default
    if (!cached || cachedLevel != level) {
        cached.reset(libdeflate_alloc_compressor(level));  // null for a level out of range
        if (!cached) throw std::runtime_error("deflate init failed");
        cachedLevel = level;
    }
    return cached.get();
}

void makeNonFinal(std::vector<unsigned char>& stream) {
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK) throw std::runtime_error("inflate init failed");
    std::unique_ptr<z_stream, int (*)(z_stream*)> end(&zs, inflateEnd);
    zs.next_in = stream.data();
    zs.avail_in = static_cast<uInt>(stream.size());
    unsigned char sink[1 << 15];
    // Where the block being decoded began, and where the last one ended, in bits. Z_BLOCK
    // stops after each end-of-block code; the low six bits of data_type count the bits read
    // ahead and not used (more than a byte's worth at times), 64 says the block just ended
    // was the last. Only there is the end exact: Z_STREAM_END drops the padding bits.
    std::uint64_t blockStart = 0, endBit = 0;
    bool ended = false;
    int ret = Z_OK;
    while (ret != Z_STREAM_END) {
        zs.next_out = sink;
        zs.avail_out = sizeof sink;
        ret = inflate(&zs, Z_BLOCK);
        if (ret != Z_OK && ret != Z_STREAM_END)
            throw std::runtime_error("a chunk is not a whole deflate stream");
        if (ret == Z_OK && (zs.data_type & 128)) {
            const std::uint64_t at = std::uint64_t(zs.total_in) * 8 - (zs.data_type & 63);
            if (zs.data_type & 64) {
                endBit = at;
                ended = true;
            } else {
                blockStart = at;
            }
        } else if (ret == Z_OK && zs.avail_in == 0 && zs.avail_out != 0) {
            throw std::runtime_error("a chunk is not a whole deflate stream");
        }
    }
    if (!ended || zs.avail_in != 0)
        throw std::runtime_error("a chunk is not a whole deflate stream");
    // The last block is final no more.
    stream[blockStart / 8] &= static_cast<unsigned char>(~(1u << (blockStart % 8)));
    // An empty stored block: three zero bits (not final, stored), zeros to the byte
    // boundary, then LEN 0 and NLEN 0xFFFF. The header may spill into one more byte.
    if (endBit % 8 != 0) stream[endBit / 8] &= static_cast<unsigned char>((1u << (endBit % 8)) - 1);
    stream.resize((endBit + 3 + 7) / 8, 0);
    for (unsigned char b : {0x00, 0x00, 0xFF, 0xFF}) stream.push_back(b);
}

Bytes gzipChunks(const char* data, std::uint64_t size, int level, unsigned threads,
                 std::uint64_t chunkSize) {
    chunkSize = std::clamp<std::uint64_t>(chunkSize, 1, UINT32_MAX);
    // Grown, where needed, so that every chunk has a line in the table.
    chunkSize = std::max(chunkSize, (size + kMaxTableChunks - 1) / kMaxTableChunks);
    const std::size_t count =
        static_cast<std::size_t>(std::max<std::uint64_t>(1, (size + chunkSize - 1) / chunkSize));
    compressorFor(level);  // a bad level fails here, before any thread starts

    std::vector<Chunk> chunks(count);
    std::atomic<std::size_t> next{0};
    std::vector<std::exception_ptr> failures(std::max(1u, threads));
    auto work = [&](std::size_t worker) {
        try {
            for (std::size_t i = next++; i < count; i = next++) {
                const std::uint64_t start = i * chunkSize;
                compressChunk(data + start, std::min(chunkSize, size - start), level,
                              i + 1 == count, chunks[i]);
            }
        } catch (...) {
            failures[worker] = std::current_exception();
            next = count;
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads && t < count; ++t) pool.emplace_back(work, t);
    work(0);
    for (auto& t : pool) t.join();
    for (const auto& f : failures)
        if (f) std::rethrow_exception(f);

    const std::size_t tableBytes = 5 + 8 * count;
    const std::size_t headerBytes = 10 + 2 + 4 + tableBytes;
    std::size_t total = headerBytes + 8;
    for (const Chunk& c : chunks) total += c.deflated.size();
    Bytes out(total);
    const char fixed[10] = {'\x1f', '\x8b', 8, 4 /* FEXTRA */, 0, 0, 0, 0, 0, kOsUnix};
    std::memcpy(out.data(), fixed, sizeof fixed);
    putLe16(out, 10, static_cast<std::uint32_t>(4 + tableBytes));
    out[12] = kChunkTableId[0];
    out[13] = kChunkTableId[1];
    putLe16(out, 14, static_cast<std::uint32_t>(tableBytes));
    out[16] = static_cast<char>(kChunkTableVersion);
    putLe32(out, 17, static_cast<std::uint32_t>(count));
    std::size_t at = headerBytes;
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        Chunk& c = chunks[i];
        putLe32(out, 21 + 8 * i, static_cast<std::uint32_t>(c.deflated.size()));
        putLe32(out, 25 + 8 * i, c.expanded);
        std::memcpy(out.data() + at, c.deflated.data(), c.deflated.size());
        at += c.deflated.size();
        // Let go as it is copied: the chunks and the member are not held twice over.
        std::vector<unsigned char>().swap(c.deflated);
        crc =
            static_cast<std::uint32_t>(crc32_combine(crc, c.crc, static_cast<z_off_t>(c.expanded)));
    }
    putLe32(out, at, crc);
    putLe32(out, at + 4, static_cast<std::uint32_t>(size & 0xFFFFFFFF));
    return out;
}

namespace {

struct FreeDecompressor {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

constexpr std::uint32_t kMaxChunkExpanded = 64u << 20;

// The final empty stored block a non-final chunk lacks to be a whole deflate stream.
constexpr unsigned char kFinalEmptyBlock[5] = {0x01, 0x00, 0x00, 0xFF, 0xFF};

}  // namespace

libdeflate_decompressor* decompressorForThread() {
    thread_local const std::unique_ptr<libdeflate_decompressor, FreeDecompressor> d(libdeflate_alloc_decompressor());
    return d.get();
}

std::uint32_t readLe(const char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
    return v;
}

std::optional<Bytes> inflateSmallMember(const char* data, std::uint64_t size, std::uint64_t maxSize) {
    // A header CRC (FHCRC) zlib checks and libdeflate skips: left to zlib.
    if (size < 18 || static_cast<unsigned char>(data[0]) != 0x1F || static_cast<unsigned char>(data[1]) != 0x8B ||
        (data[3] & 2) != 0)
        return std::nullopt;
    const std::uint32_t expanded = readLe(data + size - 4, 4);  // the trailer's length
    if (expanded == 0 || expanded > kSmallMember || expanded > maxSize) return std::nullopt;
    libdeflate_decompressor* const d = decompressorForThread();
    if (d == nullptr) return std::nullopt;
    Bytes out(expanded);
    std::size_t used = 0, produced = 0;
    const libdeflate_result r =
        libdeflate_gzip_decompress_ex(d, data, size, out.data(), expanded, &used, &produced);
    if (r != LIBDEFLATE_SUCCESS || used != size || produced != expanded) return std::nullopt;
    return out;
}

std::optional<ChunkLayout> chunkLayout(const char* data, std::uint64_t size,
                                       std::uint64_t maxSize) {
    // Magic, deflate, FEXTRA alone (a name, comment or header CRC is another writer's).
    if (size < 12 + 8 || static_cast<unsigned char>(data[0]) != 0x1F ||
        static_cast<unsigned char>(data[1]) != 0x8B || data[2] != 8 || data[3] != 4)
        return std::nullopt;
    const std::uint64_t xlen = readLe(data + 10, 2);
    if (12 + xlen + 8 > size) return std::nullopt;
    // Our subfield among any others.
    for (std::uint64_t at = 12; at + 4 <= 12 + xlen;) {
        const std::uint64_t length = readLe(data + at + 2, 2);
        if (at + 4 + length > 12 + xlen) return std::nullopt;
        if (data[at] != kChunkTableId[0] || data[at + 1] != kChunkTableId[1]) {
            at += 4 + length;
            continue;
        }
        const char* table = data + at + 4;
        if (length < 5 || static_cast<unsigned char>(table[0]) != kChunkTableVersion)
            return std::nullopt;
        const std::uint64_t count = readLe(table + 1, 4);
        if (count == 0 || length != 5 + 8 * count) return std::nullopt;
        ChunkLayout layout;
        layout.dataStart = 12 + xlen;
        std::uint64_t compressed = 0, expanded = 0;
        for (std::uint64_t i = 0; i < count; ++i) {
            const ChunkSize c{readLe(table + 5 + 8 * i, 4), readLe(table + 9 + 8 * i, 4)};
            // Deflate expands at most about 1032 to 1; a chunk beyond what our writer makes
            // is read by zlib alone, in bounded memory.
            if (c.compressed == 0 || c.expanded > kMaxChunkExpanded ||
                c.expanded > 1032ull * c.compressed + 1024)
                return std::nullopt;
            compressed += c.compressed;
            expanded += c.expanded;
            layout.chunks.push_back(c);
        }
        const std::uint64_t isize = readLe(data + size - 4, 4);
        if (layout.dataStart + compressed + 8 != size || expanded > maxSize ||
            (expanded & 0xFFFFFFFF) != isize)
            return std::nullopt;
        layout.crc = readLe(data + size - 8, 4);
        return layout;
    }
    return std::nullopt;
}

ChunkedInflater::ChunkedInflater(const char* data, std::uint64_t size, ChunkLayout layout,
                                 unsigned threads)
    : m_data(data), m_size(size), m_layout(std::move(layout)), m_threads(std::max(1u, threads)) {
    std::uint64_t at = m_layout.dataStart;
    for (const ChunkSize& c : m_layout.chunks) {
        m_offsets.push_back(at);
        at += c.compressed;
    }
    while (m_nextToLaunch < m_layout.chunks.size() && m_ahead.size() < m_threads)
        launch(m_nextToLaunch++);
}

ChunkedInflater::~ChunkedInflater() {
    for (auto& f : m_ahead)
        if (f.valid()) f.wait();
}

void ChunkedInflater::launch(std::size_t index) {
    const char* in = m_data + m_offsets[index];
    const ChunkSize size = m_layout.chunks[index];
    const bool last = index + 1 == m_layout.chunks.size();
    m_ahead.push_back(std::async(std::launch::async, [in, size, last] {
        Expanded e;
        libdeflate_decompressor* const d = decompressorForThread();
        if (d == nullptr) return e;
        // A non-final chunk is made whole by a final empty block after it.
        std::vector<char> whole;
        const char* source = in;
        std::size_t sourceSize = size.compressed;
        if (!last) {
            whole.resize(size.compressed + sizeof kFinalEmptyBlock);
            std::memcpy(whole.data(), in, size.compressed);
            std::memcpy(whole.data() + size.compressed, kFinalEmptyBlock, sizeof kFinalEmptyBlock);
            source = whole.data();
            sourceSize = whole.size();
        }
        e.bytes.resize(size.expanded);
        std::size_t used = 0, produced = 0;
        const libdeflate_result r = libdeflate_deflate_decompress_ex(
            d, source, sourceSize, e.bytes.data(), e.bytes.size(), &used, &produced);
        e.ok = r == LIBDEFLATE_SUCCESS && used == sourceSize && produced == size.expanded;
        if (e.ok) e.crc = libdeflate_crc32(0, e.bytes.data(), e.bytes.size());
        return e;
    }));
}

void ChunkedInflater::fail() const {
    // zlib's words for what is wrong, as the plain reader gives them; a member zlib reads
    // whole has a table that lies.
    Inflater zlib(m_data, m_size, Compressor::kMaxExpandedSize, false);
    zlib.finish();
    throw std::runtime_error("compressed data does not match its chunk table");
}

std::size_t ChunkedInflater::read(char* out, std::size_t room) {
    std::size_t got = 0;
    while (got < room && !m_finished) {
        if (m_position == m_current.bytes.size()) {
            if (m_nextToTake == m_layout.chunks.size()) {
                if (m_crc != m_layout.crc) fail();
                m_finished = true;
                break;
            }
            m_current = m_ahead.front().get();
            m_ahead.pop_front();
            if (!m_current.ok) fail();
            m_crc = static_cast<std::uint32_t>(
                crc32_combine(m_crc, m_current.crc, static_cast<z_off_t>(m_current.bytes.size())));
            ++m_nextToTake;
            m_position = 0;
            if (m_nextToLaunch < m_layout.chunks.size()) launch(m_nextToLaunch++);
            continue;
        }
        const std::size_t n = std::min(room - got, m_current.bytes.size() - m_position);
        std::memcpy(out + got, m_current.bytes.data() + m_position, n);
        got += n;
        m_position += n;
    }
    return got;
}

}  // namespace trx::detail
