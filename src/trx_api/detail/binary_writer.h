#pragma once

// Internal: binary JSON written straight from records, for the payloads of bulky objects.
//
// A record's document holds every string as wide characters, and the packed arrays of a
// large mesh as Base64 text: an 86 MB payload took 172 MB of document before its first byte
// was written. Records write their members here instead, as the events of a document would
// come (a document's own values pass through Accept), and packed arrays go from their
// numbers to UTF-16 text in one step. The bytes are those JsonBinaryIO::write gives for the
// record's document.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "../json/json_object.h"
#include "bytes.h"
#include "scratch_pool.h"

namespace trx::detail {

class TRX_API BinaryWriter {
public:
    // A counting writer only measures: size() gives the bytes a writer would write. Measuring
    // first lets the bytes go into one buffer of the exact size, which a large payload finds
    // among the freed blocks kept for reuse; grown step by step it would touch fresh pages.
    enum class Mode { write, count };
    explicit BinaryWriter(Mode mode = Mode::write, std::size_t capacity = 0);
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    // The handler of a document's Accept. Containers nested deeper than
    // JsonBinaryIO::kMaxDepth throw std::invalid_argument, as writing the document would.
    bool Null();
    bool Bool(bool b);
    bool Int(int i);
    bool Uint(unsigned u);
    bool Int64(std::int64_t i);
    bool Uint64(std::uint64_t u);
    bool Double(double d);
    bool String(const wchar_t* s, rapidjson::SizeType length, bool copy = false);
    bool Key(const wchar_t* s, rapidjson::SizeType length, bool copy = false) {
        return String(s, length, copy);
    }
    bool StartObject();
    bool EndObject(rapidjson::SizeType = 0) { return close(); }
    bool StartArray();
    bool EndArray(rapidjson::SizeType = 0) { return close(); }

    void value(const JsonValue& v) { v.Accept(*this); }
    void key(const wchar_t* name);
    // The Base64 text of the `bytes` bytes at `data` as one string value.
    void packedText(const void* data, std::size_t bytes);

    // A pool for values that exist only as a document's value (a record that writes only
    // its document).
    class Scratch : public ScratchPool::User {
    public:
        explicit Scratch(BinaryWriter& w) : User(w.m_scratch) {}
    };
    // The value `make(allocator)` gives, made in that pool.
    template <class Make>
    void throughValue(Make&& make) {
        Scratch scratch(*this);
        value(make(scratch.allocator()));
    }

    // The bytes written; the writer is empty afterwards. Throws std::logic_error while a
    // container is open.
    Bytes take();

    std::size_t size() const { return m_used; }

    // For the value encoders: room for n more bytes, and past those written.
    char* space(std::size_t n);
    void advance(std::size_t n) { m_used += n; }

private:
    void number(const JsonValue& v);
    bool open(unsigned char tag);
    bool close();

    const bool m_counting;
    Bytes m_bytes;  // its size is the capacity; m_used bytes are written (counting: scratch)
    std::size_t m_used = 0;
    std::vector<std::size_t> m_open;  // where the byte count of each open container goes
    ScratchPool m_scratch;
};

}  // namespace trx::detail
