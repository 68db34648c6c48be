#pragma once

// Internal: one gzip member made of independently compressed chunks.
//
// Each chunk is a raw deflate stream of its own (no back-references into the chunk before),
// made to end on a byte boundary without a final block, so that the chunks laid end to end
// are one deflate stream; the last chunk ends with the final block. The header's FEXTRA
// field carries a subfield "Tc" listing each chunk's compressed and expanded size, which a
// reader may use to expand the chunks in parallel; other readers skip it.

#include <cstdint>
#include <deque>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "bytes.h"

struct libdeflate_compressor;
struct libdeflate_decompressor;

namespace trx::detail {

// This thread's compressor for the level (-1 is 6); kept for the next call at that level.
// Throws std::runtime_error "deflate init failed" for a level outside 0..12.
libdeflate_compressor* compressorFor(int level);

// This thread's decompressor, kept for the next call; null when none could be made.
libdeflate_decompressor* decompressorForThread();

// The gzip header's operating system byte: zlib writes "Unix" here.
constexpr char kOsUnix = 3;

// The subfield: version 1, the chunk count (32 bits), then per chunk its compressed and its
// expanded size (32 bits each), all little-endian.
constexpr char kChunkTableId[2] = {'T', 'c'};
constexpr unsigned char kChunkTableVersion = 1;
// What fits in one FEXTRA subfield (65535 bytes, less the version and the count).
constexpr std::uint32_t kMaxTableChunks = (65535 - 5) / 8;

struct ChunkSize {
    std::uint32_t compressed = 0;
    std::uint32_t expanded = 0;
};

// The member for `size` bytes at `data`, in chunks of `chunkSize` bytes (grown where the
// table would not hold them all) compressed on up to `threads` threads at `level`.
Bytes gzipChunks(const char* data, std::uint64_t size, int level, unsigned threads,
                 std::uint64_t chunkSize);

// Ends a raw deflate stream that ends with a final block without one instead: the last
// block's final bit is cleared and an empty stored block brings the stream to a byte
// boundary. Throws std::runtime_error when the bytes are not one whole raw deflate stream.
void makeNonFinal(std::vector<unsigned char>& stream);

// The little-endian number in the `bytes` (at most 4) bytes at p.
std::uint32_t readLe(const char* p, int bytes);

// Where a member's chunks lie, from its table; only a table that agrees with the member
// (the sizes add up to the data and to the trailer's length, within maxSize) is taken.
struct ChunkLayout {
    std::uint64_t dataStart = 0;
    std::vector<ChunkSize> chunks;
    std::uint32_t crc = 0;  // the trailer's
};
std::optional<ChunkLayout> chunkLayout(const char* data, std::uint64_t size, std::uint64_t maxSize);

// A member that expands to at most kSmallMember bytes, expanded whole by libdeflate (some
// 2.4 times faster than zlib): only when libdeflate takes all the input as one member whose
// CRC and length agree, and the length is within maxSize. Otherwise nothing, and zlib's
// reading decides what the input is.
constexpr std::uint32_t kSmallMember = 1u << 20;
std::optional<Bytes> inflateSmallMember(const char* data, std::uint64_t size, std::uint64_t maxSize);

// The expanded bytes of a member with a usable table, a few chunks ahead on worker threads
// (libdeflate), checked against the trailer. Any failure is reported in zlib's words: the
// whole input is run through zlib once to find them.
class ChunkedInflater {
public:
    ChunkedInflater(const char* data, std::uint64_t size, ChunkLayout layout, unsigned threads);
    ~ChunkedInflater();
    ChunkedInflater(const ChunkedInflater&) = delete;
    ChunkedInflater& operator=(const ChunkedInflater&) = delete;

    std::size_t read(char* out, std::size_t room);
    bool finished() const { return m_finished; }

private:
    struct Expanded {
        std::vector<char> bytes;
        std::uint32_t crc = 0;
        bool ok = false;
    };
    void launch(std::size_t chunk);
    [[noreturn]] void fail() const;

    const char* m_data;
    std::uint64_t m_size;
    ChunkLayout m_layout;
    std::vector<std::uint64_t> m_offsets;  // of each chunk's compressed bytes
    unsigned m_threads;
    std::deque<std::future<Expanded>> m_ahead;
    std::size_t m_nextToLaunch = 0;
    std::size_t m_nextToTake = 0;
    Expanded m_current;
    std::size_t m_position = 0;  // in m_current
    std::uint32_t m_crc = 0;
    bool m_finished = false;
};

}  // namespace trx::detail
