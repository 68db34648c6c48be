#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "trx_api_export.h"

namespace trx {

// gzip for bulky payloads. Compression goes through libdeflate, expansion through zlib.
class TRX_API Compressor {
public:
    // Expansion stops with an error beyond this many bytes. No payload of ours comes near
    // it; it keeps a few bytes of hostile input from allocating without bound.
    static constexpr std::uint64_t kMaxExpandedSize = std::uint64_t(4) << 30;

    // `out` becomes one gzip member holding the `size` bytes at `data`. `level` runs from
    // 0 to 12; -1 means the usual default, 6. Throws std::runtime_error "deflate init failed"
    // for a level outside that range.
    static void compress(std::vector<char>& out, const char* data, std::uint64_t size,
                         int level = -1);
    static void compress(std::string& out, const char* data, std::uint64_t size, int level = -1);

    // How compress() uses the machine's cores. A payload of at least `minParallelSize` bytes
    // that spans more than one chunk is cut into chunks of `chunkSize` bytes, compressed on
    // `threads` threads and joined into one standard gzip member (any gzip reader takes it;
    // its header lists the chunks). `threads` 0: the environment variable
    // TRX_COMPRESS_THREADS, else the machine's cores, at most 8; 1: one stream, as always.
    struct Parallelism {
        unsigned threads = 0;
        std::uint64_t chunkSize = std::uint64_t(4) << 20;
        std::uint64_t minParallelSize = std::uint64_t(8) << 20;
    };
    static void setParallelism(const Parallelism& parallelism);
    static Parallelism parallelism();
    // The threads compress() would use for a large payload now.
    static unsigned threads();

    // `out` becomes the expanded bytes of a gzip or zlib stream. Truncated or corrupt input
    // throws std::runtime_error (zlib's message, or "unexpected end of compressed data");
    // so does output beyond `maxSize`. An empty input gives an empty result.
    static void decompress(std::vector<char>& out, const char* data, std::uint64_t size,
                           std::uint64_t maxSize = kMaxExpandedSize);
    static void decompress(std::string& out, const char* data, std::uint64_t size,
                           std::uint64_t maxSize = kMaxExpandedSize);

    // The bytes begin with a zlib or a gzip header (at least 3 bytes needed).
    static bool isCompressed(const char* data, std::uint64_t size);
};

// RFC 4648 Base64 (standard alphabet, "=" padding, no line breaks) for binary arrays held
// in JSON strings.
class TRX_API Base64 {
public:
    // `text` becomes the Base64 form of the bytes of `values`.
    template <class T>
    static void encode(const std::vector<T>& values, std::wstring& text);
    // `values` becomes the whole elements decoded from `text`. Decoding stops, without an
    // error, at the first "=" or the first character outside the alphabet.
    template <class T>
    static void decode(const std::wstring& text, std::vector<T>& values);

private:
    static std::uint64_t encodedSize(std::uint64_t n);
    static std::uint64_t encodeImpl(void* out, const void* in, std::uint64_t n);
    // The most bytes that `n` characters can give, a short last group included.
    static std::uint64_t decodedSize(std::uint64_t n);
    // Bytes written and characters consumed.
    static std::pair<std::uint64_t, std::uint64_t> decodeImpl(void* out, const char* in,
                                                              std::uint64_t n);
};

}  // namespace trx
