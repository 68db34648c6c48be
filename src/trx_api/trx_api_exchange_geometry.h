#pragma once

// The solid geometry of one block: modeller entities saved into a named shared segment by
// the bridge and restored from it by the host. Only the block id and the segment's name
// travel in the JSON.

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "../acis/savres.h"
#include "trx_api_exchange_object.h"

class ENTITY_LIST;

namespace mp {
template <class T>
class SharedBuffer;
}

namespace trx {

// Staging area between the modeller's binary save format and one shared segment: the
// modeller saves into and restores from an in-memory buffer; flush() publishes the buffer
// into the segment and load() takes it back.
class TRX_API ExcSharedAcisBuffer : public BinaryFile {
public:
    // The most saved data one buffer holds (expanded): a body of about 6.6 million triangles
    // in the modeller's format, beyond any single block a host can take in. Staging more is
    // refused, and so is a segment that holds or expands to more, before it costs the reader
    // that memory.
    static constexpr std::uint64_t kMaxDataSize = std::uint64_t(512) << 20;

    // Opens nothing yet. With removeOnDestroy the destructor removes the segment by name,
    // provided this buffer created it or opened and checked it.
    ExcSharedAcisBuffer(const std::wstring& name, bool removeOnDestroy);
    ~ExcSharedAcisBuffer() override;
    ExcSharedAcisBuffer(const ExcSharedAcisBuffer&) = delete;
    ExcSharedAcisBuffer& operator=(const ExcSharedAcisBuffer&) = delete;

    // The segment becomes the buffer's bytes, gzip-compressed when asked; an empty buffer
    // leaves an empty segment. The segment is created only once the bytes are ready (a
    // compression that is interrupted leaves none), and the name must be free. Until
    // nameSent(), destroying this buffer removes what flush created. Throws
    // mp::SharedMemoryException, and std::runtime_error when compression fails.
    void flush(bool compress);
    // The buffer becomes the segment's bytes, expanded when they begin with a zlib or gzip
    // header, positioned at the start. A missing segment is an mp::SharedMemoryException
    // ("... does not exist"), as is one that is not ours. Data that looks compressed but does
    // not expand, that exceeds kMaxDataSize, or whose first bytes are not the modeller's
    // header throws std::runtime_error naming the segment and the cause; its first bytes are
    // checked before the rest is read or expanded.
    void load();
    // Moves to offset 0.
    void cleanUp();
    // The segment's name has gone out to a reader: from now on removeOnDestroy alone decides
    // whether destroying this buffer removes the segment.
    void nameSent() { m_nameSent = true; }

    FilePosition set_mark() override;
    FilePosition goto_mark(FilePosition position) override;

    const std::wstring& name() const { return m_name; }
    bool removeOnDestroy() const { return m_removeOnDestroy; }
    void setRemoveOnDestroy(bool remove) { m_removeOnDestroy = remove; }
    // A copy of the staged bytes.
    std::string data() const { return m_data; }

protected:
    std::size_t read(void* buf, std::size_t length, logical swap) override;
    void write(const void* data, std::size_t length, logical swap) override;

private:
    friend class ExcBlockGeometry;
    void init(const std::wstring& name, bool removeOnDestroy);

    std::string m_data;
    FilePosition m_position = 0;
    bool m_removeOnDestroy = false;
    // The segment was created by flush or opened and checked by load: ours to remove.
    bool m_ours = false;
    bool m_nameSent = false;
    std::wstring m_name;
};

// The geometry of one block. The bridge calls setBlockId, optionally own(true),
// setGeometry (or setBinaryData), and sends the object while it is alive. The host reads
// it from the envelope, calls load() and then getGeometry().
//
// Segment and modeller failures are logged and answered with false; only failures of the
// loaded data itself (std::runtime_error: it does not expand, exceeds the size limit or is not
// modeller data, each with the segment's name and the cause) propagate from load().
class TRX_API ExcBlockGeometry : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcBlockGeometry)
    ExcBlockGeometry() = default;

    std::uint64_t blockId() const { return m_blockId; }
    void setBlockId(std::uint64_t id) { m_blockId = id; }

    // With own set, the sender keeps the segment: it is removed when the last copy of this
    // object lets go of its buffer, so the receiver must have loaded it by then. Without,
    // the segment outlives the sender and the receiver removes it.
    void own(bool own);
    bool owner() const { return m_own; }

    // Saves the entities, in list order, into a fresh segment. False (with an error record)
    // when the modeller or the segment fails.
    bool setGeometry(const ENTITY_LIST& entities, bool compress);
    // Publishes ready-made saved data into a fresh segment without the modeller.
    bool setBinaryData(const char* data, std::uint64_t size, bool compress);
    // Restores the entities and appends them to the list; on failure (error record) nothing
    // is appended. Each call restores afresh from the start of the data.
    bool getGeometry(ENTITY_LIST& entities) const;

    // Loaded, with a buffer to restore from.
    bool isLoaded() const override;
    // Copies the segment named by source into a buffer that removes the segment when this
    // object (and its copies) are gone. Does nothing when a buffer is held already.
    void load() override;

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    const std::shared_ptr<ExcSharedAcisBuffer>& buffer() const { return m_buffer; }

private:
    void newBuffer();

    bool m_own = false;
    std::uint64_t m_blockId = 0;
    std::shared_ptr<ExcSharedAcisBuffer> m_buffer;
};

}  // namespace trx
