#pragma once

// Internal: the payload buffers of the binary path.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "../../mp/shared_buffer.h"
#include "../json/json_object.h"
#include "blocks.h"

namespace trx::detail {

// Bytes that are not cleared when allocated. The payloads of the binary path run to hundreds
// of megabytes and are written over completely; clearing them first touches every page
// twice, and pages never written (the slack of a compression bound) are never touched.
// Large ones live in blocks backed by huge pages (blocks.h).
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::size_t size) : m_data(allocate(size)), m_size(size), m_capacity(size) {}

    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    char& operator[](std::size_t i) { return m_data[i]; }
    std::size_t size() const { return m_size; }
    // Keeps the first min(size, new size) bytes; bytes beyond them are not initialised.
    // Growing past the capacity gives a block of exactly `size` bytes.
    void resize(std::size_t size) {
        if (size > m_capacity) {
            char* grown = static_cast<char*>(resizeBlock(m_data.get(), m_size, size));
            m_data.release();  // resizeBlock took it over
            m_data.reset(grown);
            m_capacity = size;
        }
        m_size = size;
    }

private:
    struct Free {
        void operator()(char* p) const { freeBlock(p); }
    };
    using Block = std::unique_ptr<char[], Free>;
    static char* allocate(std::size_t size) { return static_cast<char*>(allocateBlock(size)); }

    Block m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Bytes pulled one piece at a time.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `room` bytes into `out`, fewer only at the end.
    virtual std::size_t read(char* out, std::size_t room) = 0;
    // Reads to the end, checking that the source is whole.
    virtual void finish() = 0;
};

// The expanded bytes of a gzip or zlib stream, as Compressor::decompress gives them, piece by
// piece: the same checks and the same errors, met when the piece that shows them is read.
class TRX_API Inflater : public ByteSource {
public:
    // With useChunkTable, a member whose chunk table agrees with it is expanded on several
    // threads (gzip_chunks.h); without, zlib reads every stream.
    Inflater(const char* data, std::uint64_t size, std::uint64_t maxSize,
             bool useChunkTable = true);
    ~Inflater() override;
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    std::size_t read(char* out, std::size_t room) override;
    void finish() override;
    // The end of the stream was read.
    bool finished() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Chunk size of the pool under a payload's JSON value: the long strings of a large object
// share chunks of a few megabytes (blocks of their own, kept for reuse) instead of each
// taking a chunk of its size. Each chunk carries the pool's header and the block's; leaving
// room for both keeps a chunk within two huge pages instead of spilling into a third.
constexpr std::size_t kPayloadChunk = (std::size_t(4) << 20) - 64;
static_assert(kBlockHeader + 3 * sizeof(std::size_t) <= 64, "a pool chunk's headers fit");

// What decoding one binary JSON document may cost (its values' slots and their text), for
// `inputBytes` of input as the reader was given them (compressed or not). Real payloads
// expand about 6.5 times under gzip and their documents take about 3.3 times the binary
// form, some 21 bytes per compressed byte: 64 leaves room for worse, and the floor for
// small ones. The cap keeps any input well within the memory of the machines we run on.
constexpr std::uint64_t kMaxDocumentCost = std::uint64_t(4) << 30;
constexpr std::uint64_t kDocumentCostFloor = std::uint64_t(256) << 20;
constexpr std::uint64_t kDocumentCostPerInputByte = 64;
std::uint64_t documentCostLimit(std::uint64_t inputBytes);

// Every byte of binary JSON costs its document at least two (a UTF-16 unit becomes a wide
// character, any other value takes two 16-byte slots for at most 9 bytes), so a payload
// beyond half the document limit can only fail; deflate hardly ever makes data larger, so
// the same holds for a compressed one.
constexpr std::uint64_t kMaxPayloadSegment = kMaxDocumentCost / 2;

// The whole content of a payload segment. A segment larger than kMaxPayloadSegment, or whose
// first bytes are neither gzip (zlib) data nor a binary JSON object, is refused before
// anything is allocated: a peer's sparse segment of gigabytes must not exhaust the reader.
// An empty segment is read as such; the decoder says that no value is there.
Bytes readPayload(mp::SharedBuffer<char>& segment);

// JsonBinaryIO::write's bytes for the value of a record, written straight from it
// (binary_writer.h).
Bytes writeBinaryJson(const IJsonObject& record);

// One binary JSON value from `source` (JsonBinaryIO::read's checks and errors), which must
// end with it, then the source to its end. A source that fails reports its own error, even
// where the bytes it gave before failing already made the value fail. `inputBytes` is what
// the source was made from (documentCostLimit).
TRX_API void readBinaryJson(ByteSource& source, std::uint64_t inputBytes, JsonValue& value, JsonAllocator& allocator);
// The binary JSON value of the payload of `size` bytes at `data`, compressed (expanded on the
// way, as above) or not (it must take all the bytes).
TRX_API void readPayloadJson(const char* data, std::size_t size, JsonValue& value, JsonAllocator& allocator);

// The gzip member Compressor::compress gives (level -1 is 6).
Bytes gzip(const char* data, std::uint64_t size, int level);

}  // namespace trx::detail
