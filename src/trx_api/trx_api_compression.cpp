#include "trx_api_compression.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>

#include <libdeflate.h>
#include <zlib.h>

#include "detail/base64.h"
#include "detail/bytes.h"
#include "detail/gzip_chunks.h"
#include "detail/trace.h"

namespace trx {
namespace {

// ---- compression -------------------------------------------------------------------

constexpr unsigned kMaxThreads = 8;

std::mutex g_parallelismMutex;
Compressor::Parallelism g_parallelism;

unsigned threadsFromEnvironment() {
    const char* text = std::getenv("TRX_COMPRESS_THREADS");
    if (text == nullptr || *text == 0) return 0;
    char* end = nullptr;
    const unsigned long n = std::strtoul(text, &end, 10);
    return *end == 0 && n >= 1 ? static_cast<unsigned>(std::min<unsigned long>(n, 64)) : 0;
}

}  // namespace

void Compressor::setParallelism(const Parallelism& parallelism) {
    const std::lock_guard<std::mutex> lock(g_parallelismMutex);
    g_parallelism = parallelism;
}

Compressor::Parallelism Compressor::parallelism() {
    const std::lock_guard<std::mutex> lock(g_parallelismMutex);
    return g_parallelism;
}

unsigned Compressor::threads() {
    const unsigned configured = parallelism().threads;
    if (configured != 0) return configured;
    if (const unsigned fromEnvironment = threadsFromEnvironment()) return fromEnvironment;
    // Asked once: each asking reads a file of the system's, which costs more than a small
    // payload's whole transfer does to copy.
    static const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    return cores;
}

detail::Bytes detail::gzip(const char* data, std::uint64_t size, int level) {
    const Compressor::Parallelism p = Compressor::parallelism();
    if (size >= p.minParallelSize && size > p.chunkSize)
        if (const unsigned threads = Compressor::threads(); threads > 1)
            return gzipChunks(data, size, level, threads, p.chunkSize);
    libdeflate_compressor* c = compressorFor(level);
    if (size == 0) {
        // The shortest member (an empty fixed block), byte for byte what zlib writes.
        static const char kEmpty[20] = {'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, 0, kOsUnix, 3, 0};
        Bytes out(sizeof(kEmpty));
        std::memcpy(out.data(), kEmpty, sizeof(kEmpty));
        return out;
    }
    // Only the pages the compressor writes are ever touched; the rest of the bound is slack.
    const std::size_t bound = libdeflate_gzip_compress_bound(c, size);
    Bytes out(bound);
    const std::size_t n = libdeflate_gzip_compress(c, data, size, out.data(), bound);
    if (n == 0) throw std::runtime_error("deflate failed");  // cannot happen within the bound
    out.resize(n);
    out[9] = kOsUnix;  // the header zlib writes here; libdeflate leaves "unknown"
    return out;
}

namespace {

// ---- expansion ---------------------------------------------------------------------

// First guess of the expanded size. A gzip trailer states it (modulo 2^32), but the input is
// not trusted: the guess is used only while deflate's ~1032:1 ratio allows it.
std::uint64_t expandedSizeGuess(const char* data, std::uint64_t size) {
    if (size >= 18 && static_cast<unsigned char>(data[0]) == 0x1F &&
        static_cast<unsigned char>(data[1]) == 0x8B) {
        const std::uint64_t stated = detail::readLe(data + size - 4, 4);
        if (stated <= size * 1032) return stated;
    }
    return size * 2;
}

template <class Buffer>
void inflateInto(Buffer& out, const char* data, std::uint64_t size, std::uint64_t maxSize) {
    TRX_TRACE();
    out.clear();
    if (size == 0) return;
    detail::Inflater inflater(data, size, maxSize);
    // One byte of room beyond the limit tells a stream that reaches it from one that passes it.
    const std::uint64_t room = std::min<std::uint64_t>(maxSize, std::uint64_t(PTRDIFF_MAX) / 2) + 1;
    try {
        out.resize(std::min(room, std::max<std::uint64_t>(expandedSizeGuess(data, size), 64)));
        std::uint64_t produced = 0;
        while (!inflater.finished()) {
            if (produced == out.size())
                out.resize(std::min(room, std::max<std::uint64_t>(out.size() * 2, 1 << 16)));
            produced += inflater.read(&out[0] + produced, out.size() - produced);
        }
        out.resize(produced);
    } catch (...) {
        out.clear();  // never leave partial data behind
        throw;
    }
}

// ---- Base64 ------------------------------------------------------------------------

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct DecodeTable {
    signed char value[256];
    DecodeTable() {
        std::memset(value, -1, sizeof(value));
        for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
    }
};

template <class Ch>
int sextet(Ch c) {
    static const DecodeTable table;
    const auto u = static_cast<std::make_unsigned_t<Ch>>(c);
    return u < 256 ? table.value[u] : -1;
}

template <class Ch>
std::uint64_t encodeTo(Ch* out, const unsigned char* in, std::uint64_t n) {
    Ch* o = out;
    std::uint64_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t v = std::uint32_t(in[i]) << 16 | std::uint32_t(in[i + 1]) << 8 | in[i + 2];
        o[0] = static_cast<Ch>(kAlphabet[v >> 18]);
        o[1] = static_cast<Ch>(kAlphabet[(v >> 12) & 63]);
        o[2] = static_cast<Ch>(kAlphabet[(v >> 6) & 63]);
        o[3] = static_cast<Ch>(kAlphabet[v & 63]);
        o += 4;
    }
    if (i < n) {
        const bool pair = n - i == 2;
        const std::uint32_t v = std::uint32_t(in[i]) << 16 | (pair ? std::uint32_t(in[i + 1]) << 8 : 0);
        o[0] = static_cast<Ch>(kAlphabet[v >> 18]);
        o[1] = static_cast<Ch>(kAlphabet[(v >> 12) & 63]);
        o[2] = static_cast<Ch>(pair ? kAlphabet[(v >> 6) & 63] : '=');
        o[3] = static_cast<Ch>('=');
        o += 4;
    }
    return static_cast<std::uint64_t>(o - out);
}

template <class Ch>
std::pair<std::uint64_t, std::uint64_t> decodeFrom(unsigned char* out, const Ch* in, std::uint64_t n) {
    unsigned char* o = out;
    std::uint64_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const int a = sextet(in[i]), b = sextet(in[i + 1]), c = sextet(in[i + 2]), d = sextet(in[i + 3]);
        if ((a | b | c | d) < 0) break;
        const std::uint32_t v = std::uint32_t(a) << 18 | std::uint32_t(b) << 12 | std::uint32_t(c) << 6 | std::uint32_t(d);
        o[0] = static_cast<unsigned char>(v >> 16);
        o[1] = static_cast<unsigned char>(v >> 8);
        o[2] = static_cast<unsigned char>(v);
        o += 3;
    }
    // A last group of k < 4 characters before "=", a foreign character or the end: k - 1 bytes.
    std::uint32_t v = 0;
    int k = 0;
    for (; k < 3 && i < n; ++k, ++i) {
        const int s = sextet(in[i]);
        if (s < 0) break;
        v |= std::uint32_t(s) << (18 - 6 * k);
    }
    if (k >= 2) *o++ = static_cast<unsigned char>(v >> 16);
    if (k == 3) *o++ = static_cast<unsigned char>(v >> 8);
    return {static_cast<std::uint64_t>(o - out), i};
}

}  // namespace

struct detail::Inflater::State {
    std::unique_ptr<ChunkedInflater> chunked;  // for a member whose chunk table is usable
    std::optional<Bytes> whole;                // a small member, expanded at once
    std::size_t wholeRead = 0;
    z_stream stream{};
    const char* in = nullptr;
    std::uint64_t inLeft = 0;
    std::uint64_t produced = 0;
    std::uint64_t maxSize = 0;
    bool finished = false;
};

detail::Inflater::Inflater(const char* data, std::uint64_t size, std::uint64_t maxSize,
                           bool useChunkTable)
    : m_state(new State) {
    State& s = *m_state;
    s.in = data;
    s.inLeft = size;
    s.maxSize = std::min<std::uint64_t>(maxSize, std::uint64_t(PTRDIFF_MAX) / 2);
    s.finished = size == 0;  // nothing expands to nothing
    if (s.finished) return;
    if (useChunkTable)
        if (auto layout = chunkLayout(data, size, s.maxSize))
            if (const unsigned threads = Compressor::threads(); threads > 1) {
                s.chunked = std::make_unique<ChunkedInflater>(data, size, std::move(*layout), threads);
                return;
            }
    if ((s.whole = inflateSmallMember(data, size, s.maxSize))) return;
    // zlib is set up only for the input it reads: 15-bit window, zlib or gzip header
    // detected automatically.
    if (inflateInit2(&s.stream, 15 + 32) != Z_OK) throw std::runtime_error("inflate init failed");
}

// A stream never set up is refused by inflateEnd untouched.
detail::Inflater::~Inflater() { inflateEnd(&m_state->stream); }

bool detail::Inflater::finished() const { return m_state->finished; }

std::size_t detail::Inflater::read(char* out, std::size_t room) {
    State& s = *m_state;
    if (s.whole) {
        const std::size_t got = std::min(room, s.whole->size() - s.wholeRead);
        std::memcpy(out, s.whole->data() + s.wholeRead, got);
        s.wholeRead += got;
        s.produced += got;
        s.finished = s.wholeRead == s.whole->size();
        return got;
    }
    if (s.chunked) {
        const std::size_t got = s.finished ? 0 : s.chunked->read(out, room);
        s.produced += got;
        s.finished = s.chunked->finished();
        return got;
    }
    z_stream& zs = s.stream;
    std::size_t got = 0;
    while (got < room && !s.finished) {
        if (zs.avail_in == 0 && s.inLeft != 0) {
            const auto chunk = static_cast<uInt>(std::min<std::uint64_t>(s.inLeft, UINT_MAX));
            zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.in));
            zs.avail_in = chunk;
            s.in += chunk;
            s.inLeft -= chunk;
        }
        const auto space = static_cast<uInt>(std::min<std::size_t>(room - got, UINT_MAX));
        zs.next_out = reinterpret_cast<Bytef*>(out + got);
        zs.avail_out = space;
        const int ret = inflate(&zs, Z_NO_FLUSH);
        got += space - zs.avail_out;
        s.produced += space - zs.avail_out;
        if (s.produced > s.maxSize) throw std::runtime_error("expanded data exceeds the size limit");
        if (ret == Z_STREAM_END) {  // the only sign of complete data
            // Bytes after it would be dropped without a word: another gzip member
            // (concatenated files, which we never write) or anything else.
            const std::uint64_t left = zs.avail_in + s.inLeft;
            if (left != 0) {
                const auto* next = zs.avail_in != 0 ? zs.next_in : reinterpret_cast<const Bytef*>(s.in);
                if (left >= 2 && next[0] == 0x1F && next[1] == 0x8B)
                    throw std::runtime_error("compressed data holds several gzip members; one is expected");
                throw std::runtime_error("compressed data is followed by " + std::to_string(left) + " more bytes");
            }
            s.finished = true;
        } else if (ret == Z_BUF_ERROR && zs.avail_in == 0 && s.inLeft == 0)
            throw std::runtime_error("unexpected end of compressed data");
        else if (ret != Z_OK && ret != Z_BUF_ERROR)
            throw std::runtime_error(zs.msg != nullptr ? zs.msg : zError(ret));
    }
    return got;
}

void detail::Inflater::finish() {
    if (m_state->finished) return;
    const std::unique_ptr<char[]> scratch(new char[1 << 16]);
    while (!m_state->finished) read(scratch.get(), 1 << 16);
}

// Copied out at its exact size: the bound is about as large as the input.
void Compressor::compress(std::vector<char>& out, const char* data, std::uint64_t size, int level) {
    TRX_TRACE();
    const detail::Bytes packed = detail::gzip(data, size, level);
    out.assign(packed.data(), packed.data() + packed.size());
}

void Compressor::compress(std::string& out, const char* data, std::uint64_t size, int level) {
    TRX_TRACE();
    const detail::Bytes packed = detail::gzip(data, size, level);
    out.assign(packed.data(), packed.size());
}

void Compressor::decompress(std::vector<char>& out, const char* data, std::uint64_t size,
                            std::uint64_t maxSize) {
    inflateInto(out, data, size, maxSize);
}

void Compressor::decompress(std::string& out, const char* data, std::uint64_t size,
                            std::uint64_t maxSize) {
    inflateInto(out, data, size, maxSize);
}

bool Compressor::isCompressed(const char* data, std::uint64_t size) {
    if (data == nullptr || size < 3) return false;
    const auto b0 = static_cast<unsigned char>(data[0]), b1 = static_cast<unsigned char>(data[1]);
    if (b0 == 0x1F && b1 == 0x8B) return true;  // gzip
    return b0 == 0x78 && (b1 == 0x9C || b1 == 0x01 || b1 == 0xDA || b1 == 0x5E);  // zlib
}

std::uint64_t Base64::encodedSize(std::uint64_t n) { return (n + 2) / 3 * 4; }

std::uint64_t Base64::decodedSize(std::uint64_t n) {
    return n / 4 * 3 + (n % 4 > 1 ? n % 4 - 1 : 0);
}

std::uint64_t Base64::encodeImpl(void* out, const void* in, std::uint64_t n) {
    return encodeTo(static_cast<char*>(out), static_cast<const unsigned char*>(in), n);
}

std::pair<std::uint64_t, std::uint64_t> Base64::decodeImpl(void* out, const char* in, std::uint64_t n) {
    return decodeFrom(static_cast<unsigned char*>(out), in, n);
}

// The text is plain ASCII, so it is coded straight from and to wide characters.
std::size_t detail::base64Encode(wchar_t* out, const void* in, std::size_t bytes) {
    return encodeTo(out, static_cast<const unsigned char*>(in), bytes);
}

namespace {
// A code unit that may lie at any address, written as its two bytes.
struct Utf16Unit {
    unsigned char low, high;
    constexpr explicit Utf16Unit(char c) : low(static_cast<unsigned char>(c)), high(0) {}
};
static_assert(sizeof(Utf16Unit) == 2 && alignof(Utf16Unit) == 1);

int sextet(Utf16Unit u) { return u.high == 0 ? sextet(u.low) : -1; }
}  // namespace

std::size_t detail::base64EncodeUtf16(char* out, const void* in, std::size_t bytes) {
    return encodeTo(reinterpret_cast<Utf16Unit*>(out), static_cast<const unsigned char*>(in), bytes);
}

std::size_t detail::base64Decode(void* out, const wchar_t* in, std::size_t chars) {
    return decodeFrom(static_cast<unsigned char*>(out), in, chars).first;
}

std::size_t detail::base64Decode(void* out, const wchar_t* in, std::size_t chars, std::size_t& taken) {
    const auto [bytes, used] = decodeFrom(static_cast<unsigned char*>(out), in, chars);
    taken = static_cast<std::size_t>(used);
    return static_cast<std::size_t>(bytes);
}

std::size_t detail::base64DecodeUtf16(void* out, const char* in, std::size_t units, std::size_t& taken) {
    const auto [bytes, used] = decodeFrom(static_cast<unsigned char*>(out), reinterpret_cast<const Utf16Unit*>(in), units);
    taken = static_cast<std::size_t>(used);
    return static_cast<std::size_t>(bytes);
}

template <class T>
void Base64::encode(const std::vector<T>& values, std::wstring& text) {
    static_assert(std::is_trivially_copyable_v<T>);
    const std::uint64_t bytes = values.size() * sizeof(T);
    text.resize(encodedSize(bytes));
    text.resize(detail::base64Encode(&text[0], values.data(), bytes));
}

template <class T>
void Base64::decode(const std::wstring& text, std::vector<T>& values) {
    static_assert(std::is_trivially_copyable_v<T>);
    detail::base64DecodeInto(text.data(), text.size(), values);
}

#define TRX_BASE64_FOR(T)                                                        \
    template void Base64::encode<T>(const std::vector<T>&, std::wstring&);      \
    template void Base64::decode<T>(const std::wstring&, std::vector<T>&)
TRX_BASE64_FOR(char);
TRX_BASE64_FOR(unsigned char);
TRX_BASE64_FOR(std::int32_t);
TRX_BASE64_FOR(std::uint32_t);
TRX_BASE64_FOR(float);
TRX_BASE64_FOR(double);
#undef TRX_BASE64_FOR

}  // namespace trx
