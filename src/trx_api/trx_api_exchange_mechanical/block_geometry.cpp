#include "../trx_api_exchange_geometry.h"

#include <limits>
#include <vector>

#include "../../acis/api.h"
#include "../../acis/entity.h"
#include "../../mp/shared_buffer.h"
#include "../detail/bytes.h"
#include "../detail/fields.h"
#include "../trx_api_compression.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcBlockGeometry, L"exc_block_geometry");

using detail::logText;

namespace {

// Stamped into every save, so a reader can tell who wrote the data.
constexpr const char* kProductId = "Tarnix Bridge";

std::string errorText(const outcome& result) {
    const error_info_base* info = result.get_error_info();
    return info != nullptr ? info->error_message() : std::string();
}

}  // namespace

// ---- staging buffer -----------------------------------------------------------------

ExcSharedAcisBuffer::ExcSharedAcisBuffer(const std::wstring& name, bool removeOnDestroy) {
    init(name, removeOnDestroy);
}

void ExcSharedAcisBuffer::init(const std::wstring& name, bool removeOnDestroy) {
    TRX_TRACE();
    m_name = name;
    m_removeOnDestroy = removeOnDestroy;
    m_position = 0;
}

ExcSharedAcisBuffer::~ExcSharedAcisBuffer() {
    if (m_removeOnDestroy) {
        try {
            mp::SharedBuffer<char>::remove(m_name);
        } catch (const mp::SharedMemoryException&) {
            // A name no segment can have: there is nothing to remove.
        }
    }
}

void ExcSharedAcisBuffer::flush(bool compress) {
    TRX_TRACE();
    // Not removed when released: the segment is for the reader.
    m_sharedBuffer = std::make_unique<mp::SharedBuffer<char>>(m_name, false);
    std::string bytes = m_stream.str();
    if (bytes.empty()) {
        m_sharedBuffer->clear();
        return;
    }
    if (compress) {
        std::string packed;
        Compressor::compress(packed, bytes.data(), bytes.size(), -1);
        bytes.swap(packed);
    }
    m_sharedBuffer->write(bytes.data(), bytes.size());
    m_sharedBuffer.reset();
}

void ExcSharedAcisBuffer::load() {
    TRX_TRACE();
    m_sharedBuffer = std::make_unique<mp::SharedBuffer<char>>(m_name, false);
    cleanUp();
    // Never leave earlier bytes behind for a load that fails below.
    m_stream.str(std::string());
    detail::Bytes bytes = detail::readPayload(*m_sharedBuffer);
    m_sharedBuffer.reset();
    std::string content;
    // Whatever the writer chose: the content alone tells.
    if (Compressor::isCompressed(bytes.data(), bytes.size()))
        Compressor::decompress(content, bytes.data(), bytes.size());
    else
        content.assign(bytes.data(), bytes.size());
    bytes = detail::Bytes();
    m_stream.str(content);
    m_stream.seekg(0);
    m_stream.seekp(0);
    m_position = 0;
}

void ExcSharedAcisBuffer::cleanUp() {
    m_stream.clear();
    m_position = 0;
}

FilePosition ExcSharedAcisBuffer::set_mark() {
    return m_position;
}

FilePosition ExcSharedAcisBuffer::goto_mark(FilePosition position) {
    m_stream.clear();
    m_stream.seekg(position);
    m_stream.seekp(position);
    if (!m_stream) {
        // Outside the data: stay where we were rather than lose track of the offset.
        m_stream.clear();
        m_stream.seekg(m_position);
        m_stream.seekp(m_position);
        return m_position;
    }
    m_position = position;
    return m_position;
}

std::size_t ExcSharedAcisBuffer::read(void* buf, std::size_t length, logical) {
    const auto want = static_cast<std::streamsize>(
        std::min<std::size_t>(length, std::numeric_limits<std::streamsize>::max()));
    // readsome leaves tellg useless at the end of the data: count the bytes instead.
    const std::streamsize taken = want > 0 ? m_stream.readsome(static_cast<char*>(buf), want) : 0;
    if (taken <= 0) return 0;
    m_position += taken;
    return static_cast<std::size_t>(taken);
}

void ExcSharedAcisBuffer::write(const void* data, std::size_t length, logical) {
    if (length > static_cast<std::size_t>(std::numeric_limits<std::streamsize>::max()))
        sys_error(VALUE_TOO_LARGE, std::to_string(length) + " bytes for the staging stream");
    m_stream.write(static_cast<const char*>(data), static_cast<std::streamsize>(length));
    // A stream that refused bytes would publish a torn save as a good one.
    if (!m_stream) {
        m_stream.clear();
        sys_error(OUT_OF_MEMORY, "the staging stream took no more bytes");
    }
    m_position = static_cast<FilePosition>(m_stream.tellp());
}

// ---- block geometry -----------------------------------------------------------------

void ExcBlockGeometry::own(bool own) {
    m_own = own;
    if (m_buffer) m_buffer->setRemoveOnDestroy(own);
}

void ExcBlockGeometry::newBuffer() {
    m_buffer.reset(ACIS_NEW ExcSharedAcisBuffer(generateUUID(), m_own));
}

bool ExcBlockGeometry::setGeometry(const ENTITY_LIST& entities, bool compress) {
    TRX_TRACE();
    try {
        newBuffer();
        API_BEGIN
            FileInfo info;
            info.set_product_id(kProductId);
            info.set_units(1.0);
            result = api_set_file_info(FileIdent | FileUnits, info);
            check_outcome(result);
            result = api_save_entity_list_file(m_buffer.get(), entities);
            check_outcome(result);
        API_END
        if (!result.ok()) {
            logText(vx_bridge::kError,
                    "Failed to write geometry into shared ACIS buffer: " + errorText(result));
            return false;
        }
        m_buffer->flush(compress);
        return true;
    } catch (const mp::SharedMemoryException& e) {
        logText(vx_bridge::kError,
                std::string("Work with shared ACIS buffer failed with message: ") + e.what());
    } catch (const acis_exception&) {
    }
    return false;
}

bool ExcBlockGeometry::setBinaryData(const char* data, std::uint64_t size, bool compress) {
    TRX_TRACE();
    if (data == nullptr && size != 0) {
        logText(vx_bridge::kError, "Work with shared ACIS buffer failed with message: no data given");
        return false;
    }
    try {
        newBuffer();
        if (size != 0) m_buffer->write(data, static_cast<std::size_t>(size), 0);
        m_buffer->flush(compress);
        return true;
    } catch (const mp::SharedMemoryException& e) {
        logText(vx_bridge::kError,
                std::string("Work with shared ACIS buffer failed with message: ") + e.what());
    } catch (const acis_exception& e) {
        logText(vx_bridge::kError,
                std::string("Work with shared ACIS buffer failed with message: ") + e.what());
    }
    return false;
}

bool ExcBlockGeometry::getGeometry(ENTITY_LIST& entities) const {
    TRX_TRACE();
    if (!m_buffer) {
        logText(vx_bridge::kError,
                "Failed to get geometry from shared memory buffer: Invalid buffer object.");
        return false;
    }
    // From the start every time: a second call restores a second set, not an early end.
    m_buffer->cleanUp();
    m_buffer->goto_mark(0);
    API_BEGIN
        result = api_restore_entity_list_file(m_buffer.get(), entities);
        check_outcome(result);
    API_END
    if (!result.ok()) {
        logText(vx_bridge::kError,
                "Failed to get geometry from shared memory buffer: " + errorText(result));
        return false;
    }
    return true;
}

bool ExcBlockGeometry::isLoaded() const {
    return IExchangeObject::isLoaded() && m_buffer != nullptr;
}

void ExcBlockGeometry::load() {
    TRX_TRACE();
    if (m_buffer) return;
    try {
        // The receiver is the last to need the segment: it goes with this buffer.
        m_buffer.reset(ACIS_NEW ExcSharedAcisBuffer(source(), true));
        m_buffer->load();
        setLoaded(true);
    } catch (const mp::SharedMemoryException& e) {
        logText(vx_bridge::kError, std::string("Failed to load ACIS buffer: ") + e.what());
    }
}

void ExcBlockGeometry::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcBlockGeometry")) return;
    if (!json::get(value, L"block_id", m_blockId))
        logText(vx_bridge::kError, "ExcBlockGeometry: Failed to read block Id from JSON object.");
    std::wstring name;
    if (json::get(value, L"shared_acis_buffer_name", name)) {
        setSource(name);
        setLoaded(false);
    } else {
        logText(vx_bridge::kError, "ExcBlockGeometry: Failed to read shared memory buffer name.");
    }
}

void ExcBlockGeometry::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"block_id", m_blockId);
    if (m_buffer) {
        json::put(value, allocator, L"shared_acis_buffer_name", m_buffer->name());
    } else {
        logText(vx_bridge::kError,
                "ExcBlockGeometry: ACIS buffer was not initialized in shared memory.");
        value.AddMember(JsonValue(rapidjson::StringRef(L"shared_acis_buffer_name")), JsonValue(),
                        allocator);
    }
}

}  // namespace trx
