#include "trx_api_binary_json.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <istream>
#include <limits>
#include <memory>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "detail/base64.h"
#include "detail/binary_reader.h"
#include "detail/binary_writer.h"
#include "detail/bytes.h"
#include "detail/trace.h"
#include "trx_api_compression.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the wire format is little-endian");

namespace trx {
namespace {

enum Tag : unsigned char {
    kNull = 0, kFalse = 1, kTrue = 2, kObject = 3, kArray = 4, kString = 5,
    kInt32 = 6, kUint32 = 7, kInt64 = 8, kUint64 = 9, kDouble = 10
};

const char kTooDeep[] = "JsonBinaryIO: Nesting too deep";
const char kNameNotString[] = "JsonBinaryIO: Member name is not a string";
const char kNoType[] = "JsonBinaryIO: Failed to parse all bytes of type";
const char kShortNumber[] = "JsonBinaryIO: Failed to read all the number of bytes";
const char kShortString[] = "JsonBinaryIO: Failed to read all the bytes of string";

Tag numberTag(const JsonValue& v) {
    if (v.IsInt()) return kInt32;
    if (v.IsUint()) return kUint32;
    if (v.IsInt64()) return kInt64;
    if (v.IsUint64()) return kUint64;
    if (v.IsDouble()) return kDouble;
    throw std::invalid_argument("JsonBinaryIO: Unknown number type");
}

constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

// UTF-16 code units of a wide string. Code points beyond Unicode cannot be carried and are
// written as U+FFFD.
std::uint64_t utf16Units(const wchar_t* s, std::size_t n) {
    std::uint64_t units = n;
    if constexpr (!kWideIsUtf16) {
        for (std::size_t i = 0; i < n; ++i) {
            const auto c = static_cast<std::uint32_t>(s[i]);
            units += c > 0xFFFF && c <= 0x10FFFF;
        }
    }
    return units;
}

// ---- writing -----------------------------------------------------------------------
//
// Two passes: the first measures every container (so no seeking back is needed and a
// buffer can be sized exactly), the second emits the bytes.

class Measure {
public:
    std::vector<std::uint64_t> sizes;  // payload bytes of each container, in pre-order

    std::uint64_t operator()(const JsonValue& v, unsigned depth) {
        switch (v.GetType()) {
        case rapidjson::kNullType:
        case rapidjson::kFalseType:
        case rapidjson::kTrueType:
            return 1;
        case rapidjson::kStringType:
            return 9 + 2 * utf16Units(v.GetString(), v.GetStringLength());
        case rapidjson::kNumberType:
            return numberTag(v) <= kUint32 ? 5 : 9;
        case rapidjson::kObjectType:
        case rapidjson::kArrayType:
            break;
        }
        if (depth >= JsonBinaryIO::kMaxDepth) throw std::invalid_argument(kTooDeep);
        const std::size_t index = sizes.size();
        sizes.push_back(0);
        std::uint64_t payload = 0;
        if (v.IsObject()) {
            for (const auto& m : v.GetObject()) {
                if (!m.name.IsString()) throw std::invalid_argument(kNameNotString);
                payload += (*this)(m.name, depth + 1) + (*this)(m.value, depth + 1);
            }
        } else {
            for (const auto& item : v.GetArray()) payload += (*this)(item, depth + 1);
        }
        sizes[index] = payload;
        return 9 + payload;
    }
};

// Into a buffer sized exactly by the measure.
class BufferSink {
public:
    explicit BufferSink(char* p) : m_p(p) {}
    char* space(std::size_t) { return m_p; }
    void advance(std::size_t n) { m_p += n; }
    char* position() const { return m_p; }

private:
    char* m_p;
};

// Into a stream, in blocks.
class StreamSink {
public:
    explicit StreamSink(std::ostream& os) : m_os(os) {}
    ~StreamSink() { drain(); }
    StreamSink(const StreamSink&) = delete;
    StreamSink& operator=(const StreamSink&) = delete;
    // n never exceeds the block
    char* space(std::size_t n) {
        if (sizeof(m_buf) - m_used < n) drain();
        return m_buf + m_used;
    }
    void advance(std::size_t n) { m_used += n; }
    void drain() {
        if (m_used != 0) m_os.write(m_buf, static_cast<std::streamsize>(m_used));
        m_used = 0;
    }

private:
    std::ostream& m_os;
    std::size_t m_used = 0;
    char m_buf[1 << 16];
};

// The encoding of single values, into any sink that gives `space(n)` for n bytes and
// `advance(n)` past those written.

template <class Sink>
void putTag(Sink& out, Tag t) {
    *out.space(1) = static_cast<char>(t);
    out.advance(1);
}

template <class Sink, class T>
void putScalar(Sink& out, Tag t, T x) {
    char* p = out.space(1 + sizeof(T));
    *p = static_cast<char>(t);
    std::memcpy(p + 1, &x, sizeof(T));
    out.advance(1 + sizeof(T));
}

template <class Sink>
void putNumber(Sink& out, const JsonValue& v) {
    switch (numberTag(v)) {
    case kInt32: return putScalar(out, kInt32, static_cast<std::int32_t>(v.GetInt()));
    case kUint32: return putScalar(out, kUint32, static_cast<std::uint32_t>(v.GetUint()));
    case kInt64: return putScalar(out, kInt64, static_cast<std::int64_t>(v.GetInt64()));
    case kUint64: return putScalar(out, kUint64, static_cast<std::uint64_t>(v.GetUint64()));
    default: return putScalar(out, kDouble, v.GetDouble());
    }
}

void put16(char*& p, std::uint16_t u) {
    std::memcpy(p, &u, 2);
    p += 2;
}

// One character as one code unit or a surrogate pair; beyond U+10FFFF, U+FFFD.
void putCharacter(char*& p, std::uint32_t c) {
    if (c > 0xFFFF) {
        if (c <= 0x10FFFF) {
            c -= 0x10000;
            put16(p, static_cast<std::uint16_t>(0xD800 + (c >> 10)));
            c = 0xDC00 + (c & 0x3FF);
        } else {
            c = 0xFFFD;
        }
    }
    put16(p, static_cast<std::uint16_t>(c));
}

bool allInPlaneZero(const wchar_t* s, std::size_t m) {
    std::uint32_t high = 0;
    for (std::size_t k = 0; k < m; ++k) high |= static_cast<std::uint32_t>(s[k]) >> 16;
    return high == 0;
}

// The code units of characters that each take one.
void narrow(const wchar_t* s, std::size_t m, char* out) {
    for (std::size_t k = 0; k < m; ++k) {
        const auto u = static_cast<std::uint16_t>(s[k]);
        std::memcpy(out + 2 * k, &u, 2);
    }
}

template <class Sink>
void putString(Sink& out, const wchar_t* s, std::size_t n) {
    putScalar(out, kString, utf16Units(s, n));
    constexpr std::size_t kPiece = 8192;  // characters per block, at most 4 bytes each
    for (std::size_t i = 0; i < n;) {
        const std::size_t m = std::min(kPiece, n - i);
        char* const start = out.space(4 * m);
        char* p = start;
        if (kWideIsUtf16 || allInPlaneZero(s + i, m)) {  // the common case, vectorized
            narrow(s + i, m, p);
            p += 2 * m;
        } else {
            for (std::size_t k = 0; k < m; ++k) putCharacter(p, static_cast<std::uint32_t>(s[i + k]));
        }
        out.advance(static_cast<std::size_t>(p - start));
        i += m;
    }
}

// A document's values, with the container sizes measured beforehand.
template <class Sink>
class Emitter {
public:
    Emitter(Sink& out, const std::vector<std::uint64_t>& sizes) : m_out(out), m_sizes(sizes) {}

    void value(const JsonValue& v) {
        switch (v.GetType()) {
        case rapidjson::kNullType: return putTag(m_out, kNull);
        case rapidjson::kFalseType: return putTag(m_out, kFalse);
        case rapidjson::kTrueType: return putTag(m_out, kTrue);
        case rapidjson::kStringType: return putString(m_out, v.GetString(), v.GetStringLength());
        case rapidjson::kNumberType: return putNumber(m_out, v);
        case rapidjson::kObjectType:
            container(kObject);
            for (const auto& m : v.GetObject()) {
                value(m.name);
                value(m.value);
            }
            return;
        case rapidjson::kArrayType:
            container(kArray);
            for (const auto& item : v.GetArray()) value(item);
            return;
        }
    }

private:
    void container(Tag t) { putScalar(m_out, t, m_sizes[m_next++]); }

    Sink& m_out;
    const std::vector<std::uint64_t>& m_sizes;
    std::size_t m_next = 0;
};

// ---- reading -----------------------------------------------------------------------

// The whole input in memory: counts are checked against what remains before anything is
// allocated.
class MemoryInput {
public:
    MemoryInput(const char* data, std::size_t size)
        : m_begin(reinterpret_cast<const unsigned char*>(data)), m_p(m_begin), m_end(m_begin + size) {}

    bool ensure(std::size_t n) const { return available() >= n; }
    std::size_t available() const { return static_cast<std::size_t>(m_end - m_p); }
    const unsigned char* current() const { return m_p; }
    void skip(std::size_t n) { m_p += n; }
    std::uint64_t position() const { return static_cast<std::uint64_t>(m_p - m_begin); }
    std::uint64_t left() const { return available(); }

private:
    const unsigned char* const m_begin;
    const unsigned char* m_p;
    const unsigned char* const m_end;
};

// Bytes pulled from a source through a window, so that a payload expanded on the fly never
// exists whole. What remains is unknown: a count that runs past the end shows when the
// bytes run out, and strings grow only as their units arrive.
class StreamInput {
public:
    explicit StreamInput(detail::ByteSource& source) : m_source(source), m_window(kWindow) {
        m_p = m_end = begin();
    }

    bool ensure(std::size_t n) {  // n is a few bytes at most
        if (available() >= n) return true;
        const std::size_t kept = available();
        std::memmove(begin(), m_p, kept);
        m_base += static_cast<std::uint64_t>(m_p - begin());
        m_p = begin();
        m_end = begin() + kept;
        while (available() < n && !m_done) {
            const std::size_t got = m_source.read(reinterpret_cast<char*>(m_end), kWindow - available());
            m_done = got == 0;
            m_end += got;
        }
        return available() >= n;
    }
    std::size_t available() const { return static_cast<std::size_t>(m_end - m_p); }
    const unsigned char* current() const { return m_p; }
    void skip(std::size_t n) { m_p += n; }
    std::uint64_t position() const { return m_base + static_cast<std::uint64_t>(m_p - begin()); }
    static std::uint64_t left() { return std::numeric_limits<std::uint64_t>::max(); }

private:
    static constexpr std::size_t kWindow = std::size_t(1) << 20;
    unsigned char* begin() { return reinterpret_cast<unsigned char*>(m_window.data()); }
    const unsigned char* begin() const { return reinterpret_cast<const unsigned char*>(m_window.data()); }

    detail::ByteSource& m_source;
    detail::Bytes m_window;
    unsigned char* m_p;
    unsigned char* m_end;
    std::uint64_t m_base = 0;  // position of the window's first byte
    bool m_done = false;
};

// Feeds the decoded values to a handler as parse events: a document gathers each
// container's children on its stack and then allocates the container at its exact size, as
// its own text parser does (no growth by half again, no copies of the values). The record
// reader below drives the same pieces one member at a time.
template <class Input>
class Decoder {
public:
    Decoder(Input& in, std::uint64_t inputBytes)
        : m_in(in), m_inputBytes(inputBytes), m_budget(detail::documentCostLimit(inputBytes)) {}

    // The generator interface of JsonDocument::Populate.
    template <class Handler>
    bool operator()(Handler& h) {
        value(h, 0);
        return true;
    }

    template <class Handler>
    void value(Handler& h, unsigned depth) {
        const unsigned char t = tag();
        switch (t) {
        case kNull: h.Null(); return;
        case kFalse: h.Bool(false); return;
        case kTrue: h.Bool(true); return;
        case kObject:
        case kArray: return container(h, t == kObject, depth);
        case kString: return string(h, false);
        case kInt32: h.Int(scalar<std::int32_t>()); return;
        case kUint32: h.Uint(scalar<std::uint32_t>()); return;
        // Integer setters pick the flags of the value, so a small int64 tests IsInt again.
        case kInt64: h.Int64(scalar<std::int64_t>()); return;
        case kUint64: h.Uint64(scalar<std::uint64_t>()); return;
        case kDouble: h.Double(scalar<double>()); return;
        default: throw std::invalid_argument("JsonBinaryIO: Unknown value type");
        }
    }

    // The next value's tag, taken and charged.
    unsigned char tag() {
        if (!m_in.ensure(1)) throw std::length_error(kNoType);
        const unsigned char t = *m_in.current();
        m_in.skip(1);
        charge(kValueCost);
        return t;
    }

    // Past a container's tag: its byte count, checked. Gives where it stops.
    std::uint64_t open(unsigned depth) {
        if (depth >= JsonBinaryIO::kMaxDepth) throw std::invalid_argument(kTooDeep);
        const auto bytes = scalar<std::uint64_t>();
        if (bytes > m_in.left()) throw std::length_error(kNoType);
        const std::uint64_t here = m_in.position();
        return bytes > std::numeric_limits<std::uint64_t>::max() - here ? std::numeric_limits<std::uint64_t>::max()
                                                                       : here + bytes;
    }

    // Whether another child starts before `stop`, the n-th; an object's child's name goes to h.
    // The last child may reach past the count, as it always could.
    template <class Handler>
    bool next(Handler& h, bool object, std::uint64_t stop, rapidjson::SizeType n) {
        if (m_in.position() >= stop) return false;
        if (n == std::numeric_limits<rapidjson::SizeType>::max())
            throw std::length_error("JsonBinaryIO: Too many values in a container");
        if (object) {
            if (!m_in.ensure(1)) throw std::length_error(kNoType);
            const unsigned char t = *m_in.current();
            m_in.skip(1);
            if (t != kString) throw std::invalid_argument(kNameNotString);
            charge(kValueCost);
            string(h, true);
        }
        return true;
    }

    // Past a string's tag: its text as Base64, decoded into `sink`, charged as its wide
    // characters would be.
    std::size_t packed(detail::PackedSink& sink, bool& whole) {
        const std::size_t n = units();
        PackedText text(sink, n);
        for (std::size_t done = 0; done < n;) {
            if (!m_in.ensure(2)) throw std::length_error(kShortString);
            const std::size_t k = std::min(n - done, m_in.available() / 2);
            charge(sizeof(wchar_t) * k);
            text.feed(m_in.current(), k, done + k == n);
            m_in.skip(2 * k);
            done += k;
        }
        return text.finish(whole);
    }

private:
    template <class Handler>
    void container(Handler& h, bool object, unsigned depth) {
        const std::uint64_t stop = open(depth);
        object ? h.StartObject() : h.StartArray();
        rapidjson::SizeType n = 0;
        while (next(h, object, stop, n)) {
            value(h, depth + 1);
            ++n;
        }
        object ? h.EndObject(n) : h.EndArray(n);
    }

    template <class T>
    T scalar() {
        if (!m_in.ensure(sizeof(T))) throw std::length_error(kShortNumber);
        T x;
        std::memcpy(&x, m_in.current(), sizeof(T));
        m_in.skip(sizeof(T));
        return x;
    }

    // A string's length in code units, checked.
    std::size_t units() {
        const auto units = scalar<std::uint64_t>();
        if (units > m_in.left() / 2) throw std::length_error(kShortString);
        if (units > std::numeric_limits<rapidjson::SizeType>::max())
            throw std::length_error("JsonBinaryIO: String too long");
        return static_cast<std::size_t>(units);
    }

    template <class Handler>
    void string(Handler& h, bool key) {
        const std::size_t n = units();
        std::size_t len = 0;
        std::uint32_t high = 0;  // a high surrogate waiting for its partner
        for (std::size_t done = 0; done < n;) {
            if (!m_in.ensure(2)) throw std::length_error(kShortString);
            const std::size_t k = std::min(n - done, m_in.available() / 2);
            // Charged as the text grows: a stream does not say how long a string really is.
            charge(sizeof(wchar_t) * k);
            reserveText(len + k + 1);
            const unsigned char* const p = m_in.current();
            if constexpr (kWideIsUtf16) {
                std::memcpy(text() + len, p, 2 * k);
                len += k;
            } else if (high == 0 && !hasSurrogate(p, k)) {
                widen(p, k, text() + len);  // the common case, in a loop the compiler vectorizes
                len += k;
            } else {
                for (std::size_t i = 0; i < k; ++i) {
                    const std::uint16_t u = unitAt(p, i);
                    if (high != 0) {
                        if (u >= 0xDC00 && u <= 0xDFFF) {
                            text()[len++] = static_cast<wchar_t>(0x10000 + ((high - 0xD800) << 10) + (u - 0xDC00));
                            high = 0;
                            continue;
                        }
                        text()[len++] = static_cast<wchar_t>(high);  // a lone surrogate stays
                        high = 0;
                    }
                    if (u >= 0xD800 && u <= 0xDBFF && done + i + 1 < n) high = u;
                    else text()[len++] = static_cast<wchar_t>(u);
                }
            }
            m_in.skip(2 * k);
            done += k;
        }
        reserveText(len + 1);  // never empty: the copy below always has a source
        const auto length = static_cast<rapidjson::SizeType>(len);
        key ? h.Key(text(), length, true) : h.String(text(), length, true);
    }

    // The i-th code unit at p.
    static std::uint16_t unitAt(const unsigned char* p, std::size_t i) {
        std::uint16_t u;
        std::memcpy(&u, p + 2 * i, 2);
        return u;
    }
    static bool hasSurrogate(const unsigned char* p, std::size_t k) {
        unsigned found = 0;
        for (std::size_t i = 0; i < k; ++i) found |= (unitAt(p, i) & 0xF800u) == 0xD800u;
        return found != 0;
    }
    static void widen(const unsigned char* p, std::size_t k, wchar_t* out) {
        for (std::size_t i = 0; i < k; ++i) out[i] = static_cast<wchar_t>(unitAt(p, i));
    }

    // Base64 text arriving a piece at a time, decoded as base64DecodeInto decodes it whole:
    // up to the first "=" or foreign unit, then at most two "=" may follow. Groups split
    // between pieces wait in `m_carry`.
    class PackedText {
    public:
        PackedText(detail::PackedSink& sink, std::size_t units)
            : m_sink(sink), m_most(detail::base64MaxBytes(units)) {}

        void feed(const unsigned char* p, std::size_t k, bool last) {
            std::size_t i = 0;
            if (m_stopped) return trail(p, k);
            if (m_carried != 0) {
                while (m_carried < 4 && i < k) {
                    std::memcpy(m_carry + 2 * m_carried++, p + 2 * i, 2);
                    ++i;
                }
                if (m_carried < 4 && !last) return;
                const std::size_t used = decode(m_carry, m_carried);
                if (m_stopped) {
                    trail(m_carry + 2 * used, m_carried - used);
                    return trail(p + 2 * i, k - i);
                }
                m_carried = 0;
            }
            const std::size_t rest = k - i;
            const std::size_t whole = last ? rest : rest / 4 * 4;
            const std::size_t used = decode(p + 2 * i, whole);
            if (m_stopped) return trail(p + 2 * (i + used), rest - used);
            std::memcpy(m_carry, p + 2 * (i + whole), 2 * (rest - whole));
            m_carried = rest - whole;
        }

        std::size_t finish(bool& whole) const {
            whole = m_valid && m_taken % 4 != 1;  // a lone character of a group holds no whole byte
            return m_written;
        }

    private:
        std::size_t decode(const unsigned char* p, std::size_t n) {
            const std::size_t need = m_written + detail::base64MaxBytes(n);
            if (need > m_room) {
                m_room = std::min(m_most, std::max(need, 2 * m_room));
                m_out = m_sink.room(m_room);
            }
            std::size_t used = 0;
            m_written += detail::base64DecodeUtf16(m_out + m_written, reinterpret_cast<const char*>(p), n, used);
            m_taken += used;
            m_stopped = used < n;
            return used;
        }
        void trail(const unsigned char* p, std::size_t k) {
            for (std::size_t i = 0; i < k; ++i, ++m_trailing)
                if (unitAt(p, i) != u'=' || m_trailing >= 2) m_valid = false;
        }

        detail::PackedSink& m_sink;
        const std::size_t m_most;
        unsigned char* m_out = nullptr;
        std::size_t m_room = 0, m_written = 0, m_taken = 0, m_trailing = 0;
        unsigned char m_carry[8];
        std::size_t m_carried = 0;
        bool m_stopped = false, m_valid = true;
    };

    // Room for n characters, keeping those there; not cleared, every character kept is
    // written by the converter. Large scratch grows by moving pages (detail/blocks.h).
    void reserveText(std::size_t n) {
        if (n <= m_capacity) return;
        const std::size_t most = static_cast<std::size_t>(m_budget / sizeof(wchar_t)) + 1;
        m_capacity = std::max(n, std::min(m_capacity + m_capacity / 2, most));
        m_text.resize(m_capacity * sizeof(wchar_t));
    }
    wchar_t* text() { return reinterpret_cast<wchar_t*>(m_text.data()); }

    // What one value takes: its slot on the document's stack while its container is read,
    // then its slot in the container.
    static constexpr std::uint64_t kValueCost = 2 * sizeof(JsonValue);

    // A few bytes of input can stand for millions of values; past the limit the document is
    // refused before it is built.
    void charge(std::uint64_t bytes) {
        m_cost += bytes;
        if (m_cost > m_budget)
            throw std::length_error("JsonBinaryIO: Document too large: its values would take more than " +
                                    std::to_string(m_budget >> 20) + " MB, for " + std::to_string(m_inputBytes) +
                                    " bytes of input");
    }

    Input& m_in;
    const std::uint64_t m_inputBytes;
    const std::uint64_t m_budget;
    std::uint64_t m_cost = 0;
    detail::Bytes m_text;
    std::size_t m_capacity = 0;
};

// ---- records straight from the bytes ----------------------------------------------------

// Handlers of the decoder's events: one drops them, one keeps a member's name, one keeps a
// value that is no container.
struct Drop {
    bool Null() { return true; }
    bool Bool(bool) { return true; }
    bool Int(int) { return true; }
    bool Uint(unsigned) { return true; }
    bool Int64(std::int64_t) { return true; }
    bool Uint64(std::uint64_t) { return true; }
    bool Double(double) { return true; }
    bool String(const wchar_t*, rapidjson::SizeType, bool) { return true; }
    bool Key(const wchar_t*, rapidjson::SizeType, bool) { return true; }
    bool StartObject() { return true; }
    bool EndObject(rapidjson::SizeType) { return true; }
    bool StartArray() { return true; }
    bool EndArray(rapidjson::SizeType) { return true; }
};
struct Name : Drop {
    std::wstring& name;
    explicit Name(std::wstring& n) : name(n) {}
    bool Key(const wchar_t* s, rapidjson::SizeType n, bool) { return name.assign(s, n), true; }
};
struct Leaf : Drop {
    JsonValue& v;
    JsonAllocator& a;
    Leaf(JsonValue& value, JsonAllocator& allocator) : v(value), a(allocator) {}
    bool Null() { return v.SetNull(), true; }
    bool Bool(bool b) { return v.SetBool(b), true; }
    bool Int(int i) { return v.SetInt(i), true; }
    bool Uint(unsigned u) { return v.SetUint(u), true; }
    bool Int64(std::int64_t i) { return v.SetInt64(i), true; }
    bool Uint64(std::uint64_t u) { return v.SetUint64(u), true; }
    bool Double(double d) { return v.SetDouble(d), true; }
    bool String(const wchar_t* s, rapidjson::SizeType n, bool) { return v.SetString(s, n, a), true; }
};

template <class Input>
class RecordReader final : public detail::BinaryReader {
public:
    RecordReader(Input& in, std::uint64_t inputBytes) : m_in(in), m_decoder(in, inputBytes) {}

    Kind peek() override {
        return guarded([&] {
            if (!m_in.ensure(1)) throw std::length_error(kNoType);
            switch (*m_in.current()) {
            case kNull: return Kind::null;
            case kFalse:
            case kTrue: return Kind::boolean;
            case kObject: return Kind::object;
            case kArray: return Kind::array;
            case kString: return Kind::string;
            case kInt32:
            case kUint32:
            case kInt64:
            case kUint64:
            case kDouble: return Kind::number;
            default: return Kind::unknown;
            }
        });
    }

    void value(JsonValue& v, JsonAllocator& a) override {
        guarded([&] {
            const Kind kind = peek();
            if (kind != Kind::object && kind != Kind::array) {
                Leaf leaf(v, a);
                return m_decoder.value(leaf, depth());
            }
            JsonDocument builder(&a);
            Subtree subtree{m_decoder, depth()};
            builder.Populate(subtree);
            v = static_cast<JsonValue&>(builder);  // moves
        });
    }

    void skip() override {
        guarded([&] {
            Drop drop;
            m_decoder.value(drop, depth());
        });
    }

    void enter() override {
        guarded([&] {
            const unsigned char t = m_decoder.tag();
            if (t != kObject && t != kArray) throw std::logic_error("BinaryReader: no container to enter");
            m_open.push_back({m_decoder.open(depth()), 0, t == kObject});
        });
    }

    bool more() override {
        return guarded([&] {
            Open& c = m_open.back();
            Name name(m_key);
            if (!m_decoder.next(name, c.object, c.stop, c.count)) return false;
            ++c.count;
            return true;
        });
    }

    const std::wstring& key() const override { return m_key; }
    void leave() override { m_open.pop_back(); }

    std::size_t packedText(detail::PackedSink& sink, bool& whole) override {
        return guarded([&] {
            if (m_decoder.tag() != kString) throw std::logic_error("BinaryReader: no text to unpack");
            return m_decoder.packed(sink, whole);
        });
    }

private:
    struct Open {
        std::uint64_t stop;
        rapidjson::SizeType count;
        bool object;
    };
    // One value as a document's generator.
    struct Subtree {
        Decoder<Input>& decoder;
        unsigned depth;
        template <class Handler>
        bool operator()(Handler& h) {
            decoder.value(h, depth);
            return true;
        }
    };

    unsigned depth() const { return static_cast<unsigned>(m_open.size()); }

    template <class F>
    auto guarded(F&& f) -> decltype(f()) {
        try {
            return f();
        } catch (...) {
            m_broken = true;
            throw;
        }
    }

    Input& m_in;
    Decoder<Input> m_decoder;
    std::vector<Open> m_open;
    std::wstring m_key;
};

// A document over the caller's allocator, so the values live there; `value` is untouched
// when reading fails.
template <class Input>
void decode(Input& in, std::uint64_t inputBytes, JsonValue& value, JsonAllocator& allocator) {
    Decoder<Input> decoder(in, inputBytes);
    JsonDocument builder(&allocator);
    builder.Populate(decoder);
    value = static_cast<JsonValue&>(builder);  // moves
}

}  // namespace

// ---- straight from records ---------------------------------------------------------

detail::BinaryWriter::BinaryWriter(Mode mode, std::size_t capacity)
    : m_counting(mode == Mode::count), m_bytes(capacity) {}

char* detail::BinaryWriter::space(std::size_t n) {
    if (m_counting) {  // the encoders write where nobody reads, a piece at a time
        if (m_bytes.size() < n) m_bytes.resize(n);
        return m_bytes.data();
    }
    if (m_bytes.size() - m_used < n) {
        // Doubling: large buffers grow by moving their pages, never by copying (blocks.h).
        constexpr std::size_t kFirst = 4096;
        m_bytes.resize(std::max({m_used + n, 2 * m_bytes.size(), kFirst}));
    }
    return m_bytes.data() + m_used;
}

void detail::BinaryWriter::number(const JsonValue& v) { putNumber(*this, v); }

bool detail::BinaryWriter::Null() { return putTag(*this, kNull), true; }
bool detail::BinaryWriter::Bool(bool b) { return putTag(*this, b ? kTrue : kFalse), true; }
// Through a value of the same number, so that the tag is the one its document would give.
bool detail::BinaryWriter::Int(int i) { return number(JsonValue(i)), true; }
bool detail::BinaryWriter::Uint(unsigned u) { return number(JsonValue(u)), true; }
bool detail::BinaryWriter::Int64(std::int64_t i) { return number(JsonValue(i)), true; }
bool detail::BinaryWriter::Uint64(std::uint64_t u) { return number(JsonValue(u)), true; }
bool detail::BinaryWriter::Double(double d) { return number(JsonValue(d)), true; }

bool detail::BinaryWriter::String(const wchar_t* s, rapidjson::SizeType length, bool) {
    putString(*this, s, length);
    return true;
}

void detail::BinaryWriter::key(const wchar_t* name) { putString(*this, name, std::wcslen(name)); }

bool detail::BinaryWriter::open(unsigned char tag) {
    if (m_open.size() >= JsonBinaryIO::kMaxDepth) throw std::invalid_argument(kTooDeep);
    putScalar(*this, static_cast<Tag>(tag), std::uint64_t(0));  // the count is set on closing
    m_open.push_back(m_used - sizeof(std::uint64_t));
    return true;
}
bool detail::BinaryWriter::StartObject() { return open(kObject); }
bool detail::BinaryWriter::StartArray() { return open(kArray); }

bool detail::BinaryWriter::close() {
    const std::size_t at = m_open.back();
    m_open.pop_back();
    if (m_counting) return true;
    const std::uint64_t bytes = m_used - (at + sizeof(std::uint64_t));
    std::memcpy(m_bytes.data() + at, &bytes, sizeof(bytes));
    return true;
}

void detail::BinaryWriter::packedText(const void* data, std::size_t bytes) {
    const std::size_t units = base64Length(bytes);
    putScalar(*this, kString, std::uint64_t(units));
    if (!m_counting) base64EncodeUtf16(space(2 * units), data, bytes);
    advance(2 * units);
}

detail::Bytes detail::BinaryWriter::take() {
    if (m_counting) throw std::logic_error("BinaryWriter: a counting writer has no bytes");
    if (!m_open.empty()) throw std::logic_error("BinaryWriter: a container is still open");
    m_bytes.resize(m_used);
    Bytes out = std::move(m_bytes);
    m_bytes = Bytes();
    m_used = 0;
    return out;
}

std::ostream& JsonBinaryIO::write(std::ostream& os, const JsonValue& value) {
    TRX_TRACE();
    Measure measure;
    measure(value, 0);
    StreamSink sink(os);
    Emitter<StreamSink>(sink, measure.sizes).value(value);
    sink.drain();
    return os;
}

void JsonBinaryIO::write(std::string& out, const JsonValue& value) {
    TRX_TRACE();
    Measure measure;
    const std::uint64_t total = measure(value, 0);
    out.resize(static_cast<std::size_t>(total));
    BufferSink sink(&out[0]);
    Emitter<BufferSink>(sink, measure.sizes).value(value);
}

// The record is written twice, counted and then written: writing a record must not change
// it nor do anything else once per call (none of the bulky records' writers does).
detail::Bytes detail::writeBinaryJson(const IJsonObject& record) {
    TRX_TRACE();
    BinaryWriter count(BinaryWriter::Mode::count);
    record.writeBinary(count);
    BinaryWriter out(BinaryWriter::Mode::write, count.size());
    record.writeBinary(out);
    return out.take();
}

void JsonBinaryIO::write(std::string& out, const IJsonObject& record) {
    const detail::Bytes bytes = detail::writeBinaryJson(record);
    out.assign(bytes.data(), bytes.size());
}

std::size_t JsonBinaryIO::read(const char* data, std::size_t size, JsonValue& value,
                               JsonAllocator& allocator) {
    TRX_TRACE();
    MemoryInput in(data, size);
    decode(in, size, value, allocator);
    return static_cast<std::size_t>(in.position());
}

std::uint64_t detail::documentCostLimit(std::uint64_t inputBytes) {
    const std::uint64_t room = (kMaxDocumentCost - kDocumentCostFloor) / kDocumentCostPerInputByte;
    return inputBytes >= room ? kMaxDocumentCost : kDocumentCostFloor + kDocumentCostPerInputByte * inputBytes;
}

namespace {

const char kBytesAfterRoot[] = "JsonBinaryIO: Bytes follow the root value";

// The root value, which `read(input)` reads, must take all the `size` bytes at `data`.
template <class Read>
void wholeInMemory(const char* data, std::size_t size, Read&& read) {
    MemoryInput in(data, size);
    read(in);
    if (in.position() != size) throw std::length_error(kBytesAfterRoot);
}

// The same for `source`, which is then read to its end. A source that fails reports its own
// error: damaged compressed data is reported as such, before what it caused.
template <class Read>
void wholeFromSource(detail::ByteSource& source, Read&& read) {
    StreamInput in(source);
    try {
        read(in);
        if (in.ensure(1)) throw std::length_error(kBytesAfterRoot);
    } catch (const std::logic_error&) {
        source.finish();
        throw;
    }
    source.finish();
}

// The same for a payload. The content decides whether it is compressed, not the sender's
// class: a sender may have chosen either form. Expanded data goes to the reader piece by
// piece: it never exists whole.
template <class Read>
void wholePayload(const char* data, std::size_t size, Read&& read) {
    if (!Compressor::isCompressed(data, size)) return wholeInMemory(data, size, read);
    detail::Inflater expanded(data, size, Compressor::kMaxExpandedSize);
    wholeFromSource(expanded, read);
}

// `record` filled from the root value that `whole(read)` reads (one of the above), of
// `inputBytes` bytes as given. A record's own failure is raised once the whole was read.
template <class Whole>
void fillRecord(Whole&& whole, std::uint64_t inputBytes, IJsonObject& record) {
    bool object = false;
    std::exception_ptr failure;
    whole([&](auto& in) {
        RecordReader<std::decay_t<decltype(in)>> reader(in, inputBytes);
        object = reader.peek() == detail::BinaryReader::Kind::object;
        if (!object) return reader.skip();
        reader.readOn([&] { record.readBinary(reader); });
        failure = reader.failure();
    });
    if (!object) throw std::invalid_argument("Payload holds no JSON object");
    if (failure) std::rethrow_exception(failure);
}

}  // namespace

void detail::readPayloadJson(const char* data, std::size_t size, JsonValue& value, JsonAllocator& allocator) {
    TRX_TRACE();
    wholePayload(data, size, [&](auto& in) { decode(in, size, value, allocator); });
}

void detail::readBinaryJson(ByteSource& source, std::uint64_t inputBytes, JsonValue& value,
                            JsonAllocator& allocator) {
    TRX_TRACE();
    wholeFromSource(source, [&](StreamInput& in) { decode(in, inputBytes, value, allocator); });
}

void detail::readBinaryRecord(ByteSource& source, std::uint64_t inputBytes, IJsonObject& record) {
    TRX_TRACE();
    fillRecord([&](auto&& read) { wholeFromSource(source, read); }, inputBytes, record);
}

void detail::readBinaryRecord(const char* data, std::size_t size, IJsonObject& record) {
    TRX_TRACE();
    fillRecord([&](auto&& read) { wholePayload(data, size, read); }, size, record);
}

std::istream& JsonBinaryIO::read(std::istream& is, JsonValue& value, JsonAllocator& allocator) {
    TRX_TRACE();
    // Decode from one block of memory rather than through the stream value by value.
    std::string bytes;
    std::streambuf* const sb = is.good() ? is.rdbuf() : nullptr;
    std::streamoff start = -1;
    if (sb != nullptr) {
        start = sb->pubseekoff(0, std::ios::cur, std::ios::in);
        const std::streamoff last = start < 0 ? -1 : std::streamoff(sb->pubseekoff(0, std::ios::end, std::ios::in));
        if (start >= 0 && last >= start) {
            sb->pubseekpos(start, std::ios::in);
            bytes.resize(static_cast<std::size_t>(last - start));
            bytes.resize(static_cast<std::size_t>(sb->sgetn(&bytes[0], static_cast<std::streamsize>(bytes.size()))));
        } else {
            start = -1;
            char block[1 << 16];
            for (std::streamsize got; (got = sb->sgetn(block, sizeof(block))) > 0;)
                bytes.append(block, static_cast<std::size_t>(got));
        }
    }
    const std::size_t used = read(bytes.data(), bytes.size(), value, allocator);
    if (start >= 0) sb->pubseekpos(start + static_cast<std::streamoff>(used), std::ios::in);
    return is;
}

}  // namespace trx
