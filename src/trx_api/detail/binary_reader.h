#pragma once

// Internal: records filled straight from binary JSON, for the payloads of bulky objects.
//
// The document of a payload held every string as wide characters: the Base64 text of a large
// mesh took twice the payload before the first number reached its record. Records read their
// members from here instead, one at a time, and packed arrays go from UTF-16 text to their
// numbers in one step. What is read, checked and charged against the document budget is what
// JsonBinaryIO::read would read, check and charge, so a damaged or hostile payload fails with
// the same error at the same byte.

#include <cstddef>
#include <exception>
#include <new>
#include <string>

#include "../json/json_object.h"
#include "bytes.h"
#include "scratch_pool.h"

namespace trx::detail {

// Where packed text puts its bytes.
class PackedSink {
public:
    // Room for `bytes` bytes in all, those written so far kept; gives where they start.
    virtual unsigned char* room(std::size_t bytes) = 0;

protected:
    ~PackedSink() = default;
};

class TRX_API BinaryReader {
public:
    enum class Kind { null, boolean, number, string, object, array, unknown };

    BinaryReader() = default;
    virtual ~BinaryReader() = default;
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    // The kind of the next value, which stays to be read.
    virtual Kind peek() = 0;
    // The next value whole, its strings in `allocator`.
    virtual void value(JsonValue& value, JsonAllocator& allocator) = 0;
    // The next value, read and checked as value() would, and dropped.
    virtual void skip() = 0;
    // Into the object or array that comes next, then member by member: more() reads the next
    // member's name (key() gives it) or says the container is done, and leave() goes on
    // after it.
    virtual void enter() = 0;
    virtual bool more() = 0;
    virtual const std::wstring& key() const = 0;
    virtual void leave() = 0;
    // The next value, a string, as Base64 text: its bytes go to `sink`, and the number
    // written is given. `whole` says whether the text was all taken (anything but "="
    // padding after where decoding stopped, or a lone last character, is damage).
    virtual std::size_t packedText(PackedSink& sink, bool& whole) = 0;

    // A record that fails on what it read (damaged packed data, say) does not stop the
    // reading: a document's reader would have read the whole payload before any record saw
    // it, so a damaged byte further on must still be what is reported. The first such failure
    // is kept, and rethrown once the payload was read whole; a failure of the reading itself
    // goes on at once. Memory running out goes on at once too.
    template <class F>
    void readOn(F&& read) {
        try {
            read();
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception&) {
            if (m_broken) throw;
            if (!m_failure) m_failure = std::current_exception();
        }
    }
    std::exception_ptr failure() const { return m_failure; }

    // The next value whole, as a value of its own in a scratch pool, handed to
    // `take(const JsonValue&)`: for whatever reads only a document's value. Gives what `take`
    // gives.
    template <class Take>
    decltype(auto) throughValue(Take&& take) {
        ScratchPool::User scratch(m_scratch);
        JsonValue v;
        value(v, scratch.allocator());
        return take(static_cast<const JsonValue&>(v));
    }

protected:
    // Set by the reading when it fails: nothing after can be read.
    bool m_broken = false;

private:
    std::exception_ptr m_failure;
    ScratchPool m_scratch;
};

// A record read from the `size` bytes at `data` (compressed or not), into `record`. The same
// checks and errors as reading the payload's document and then the record from it; a record's
// own failure is thrown after the payload was read whole. A payload that is not an object
// fills nothing and throws std::invalid_argument "Payload holds no JSON object".
TRX_API void readBinaryRecord(const char* data, std::size_t size, IJsonObject& record);
// The same from `source` (readBinaryJson's checks and errors).
TRX_API void readBinaryRecord(ByteSource& source, std::uint64_t inputBytes, IJsonObject& record);
inline void readBinaryRecord(const Bytes& payload, IJsonObject& record) {
    readBinaryRecord(payload.data(), payload.size(), record);
}

}  // namespace trx::detail
