#include "../trx_api_exchange_geometry.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
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

namespace {

// Enough of the start of the data for the modeller to judge its header.
constexpr std::size_t kHeadBytes = 4096;
// Compressed data a little larger than its content (incompressible data gains a few bytes
// per 64 KB block) still belongs under the limit.
constexpr std::uint64_t kMaxSegmentSize =
    ExcSharedAcisBuffer::kMaxDataSize + ExcSharedAcisBuffer::kMaxDataSize / 64 + 4096;
// Foreign text in an error message is cut to this many bytes.
constexpr std::size_t kMaxForeignText = 300;

std::string capped(std::string text) {
    if (text.size() > kMaxForeignText) text.replace(kMaxForeignText, std::string::npos, "...");
    return text;
}

// Only names the segment layer accepted get here: plain ASCII.
std::string segmentText(const std::wstring& name) {
    return "Segment " + std::string(name.begin(), name.end());
}

// The first bytes of saved data, read by the modeller's own header reader.
class HeadProbe : public BinaryFile {
public:
    HeadProbe(const char* data, std::size_t size) : m_data(data), m_size(size) {}
    FilePosition set_mark() override { return static_cast<FilePosition>(m_at); }
    FilePosition goto_mark(FilePosition) override { return static_cast<FilePosition>(m_at); }

protected:
    std::size_t read(void* buf, std::size_t length, logical) override {
        const std::size_t n = std::min(length, m_size - m_at);
        std::memcpy(buf, m_data + m_at, n);
        m_at += n;
        return n;
    }
    void write(const void*, std::size_t, logical) override { sys_error(NO_FILE_INTERFACE); }

private:
    const char* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// Refuses data whose start is not the modeller's header, with the modeller's own words:
// a peer's gigabyte of zeros is turned away after its first bytes. `more` tells that the data
// goes on past these bytes, so a header cut short here may still be whole.
void checkHead(const std::wstring& name, const char* data, std::size_t size, bool more) {
    if (size == 0 && !more) return;  // empty data restores nothing, as an empty segment does
    HeadProbe probe(data, size);
    FileInfo info;
    long top = 0, records = 0;
    try {
        probe.read_header(info, top, records);
    } catch (const acis_exception& e) {
        if (e.error_number() == DATA_ENDS_EARLY && more) return;
        throw std::runtime_error(segmentText(name) + " holds no modeller data: " + capped(e.what()));
    }
}

[[noreturn]] void tooLarge(const std::wstring& name, const char* what) {
    throw std::runtime_error(segmentText(name) + " " + what + " more than " +
                             std::to_string(ExcSharedAcisBuffer::kMaxDataSize >> 20) +
                             " MB, the most modeller data one block may hold");
}

// The expanded size a gzip trailer states, when deflate's ~1032:1 ratio allows it; else a
// first guess. The data is not trusted: this only sizes the first allocation.
std::uint64_t expandedGuess(const char* data, std::uint64_t size) {
    if (size >= 18 && static_cast<unsigned char>(data[0]) == 0x1F &&
        static_cast<unsigned char>(data[1]) == 0x8B) {
        const auto* t = reinterpret_cast<const unsigned char*>(data + size - 4);
        const std::uint64_t stated = std::uint64_t(t[0]) | std::uint64_t(t[1]) << 8 |
                                     std::uint64_t(t[2]) << 16 | std::uint64_t(t[3]) << 24;
        if (stated <= size * 1032) return stated;
    }
    return size * 4;
}

}  // namespace

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
    // A segment whose name never went out would stay until reboot: nobody else knows it.
    if (m_ours && (m_removeOnDestroy || !m_nameSent)) {
        try {
            mp::SharedBuffer<char>::remove(m_name);
        } catch (const mp::SharedMemoryException&) {
        }
    }
}

void ExcSharedAcisBuffer::flush(bool compress) {
    TRX_TRACE();
    // Compressed before the segment exists: compression takes seconds on a large save, and
    // an interrupted one must not leave an empty segment behind.
    detail::Bytes packed;
    const char* bytes = m_data.data();
    std::size_t size = m_data.size();
    if (compress && size != 0) {
        packed = detail::gzip(bytes, size, -1);
        bytes = packed.data();
        size = packed.size();
    }
    // Removed again unless it is filled completely. A second flush fills what the first made.
    mp::SharedBuffer<char> segment(m_name, m_ours ? mp::OpenMode::open : mp::OpenMode::create, true);
    segment.write(bytes, size);
    segment.setRemoveOnDestroy(false);
    m_ours = true;
}

void ExcSharedAcisBuffer::load() {
    TRX_TRACE();
    cleanUp();
    // Never leave earlier bytes behind for a load that fails below.
    m_data = std::string();
    mp::SharedBuffer<char> segment(m_name, mp::OpenMode::open, false);
    m_ours = true;  // opened and checked: removeOnDestroy decides about it from now on
    m_nameSent = true;
    const std::size_t size = segment.size();
    if (size > kMaxSegmentSize)
        tooLarge(m_name, ("holds " + std::to_string(size) + " bytes,").c_str());
    char head[kHeadBytes];
    const std::size_t headSize = segment.read(head, std::min(size, kHeadBytes));
    try {
        // Whatever the writer chose: the content alone tells.
        if (!Compressor::isCompressed(head, headSize)) {
            checkHead(m_name, head, headSize, size > headSize);
            if (size > kMaxDataSize) tooLarge(m_name, "holds");
            m_data.resize(size);
            m_data.resize(segment.read(&m_data[0], size));
            return;
        }
        detail::Bytes packed(size);
        packed.resize(segment.read(packed.data(), size));
        // Expanded straight into the buffer the modeller restores from: no second copy.
        detail::Inflater inflater(packed.data(), packed.size(), kMaxDataSize + 1);
        const std::uint64_t room = kMaxDataSize + 1;  // one byte more tells "reaches" from "passes"
        const std::uint64_t guess = expandedGuess(packed.data(), packed.size());
        m_data.resize(std::max<std::uint64_t>(std::min(room, guess), kHeadBytes));
        std::size_t produced = inflater.read(&m_data[0], kHeadBytes);
        checkHead(m_name, m_data.data(), produced, !inflater.finished());
        while (!inflater.finished()) {
            if (produced == room) tooLarge(m_name, "expands to");
            if (produced == m_data.size())
                m_data.resize(std::min<std::uint64_t>(room, m_data.size() * 2));
            produced += inflater.read(&m_data[produced], m_data.size() - produced);
        }
        if (produced > kMaxDataSize) tooLarge(m_name, "expands to");
        m_data.resize(produced);
        // A trailer that overstated the size left room that is worth giving back.
        if (m_data.capacity() - produced > produced / 4 + kHeadBytes) m_data.shrink_to_fit();
    } catch (...) {
        m_data = std::string();
        throw;
    }
}

void ExcSharedAcisBuffer::cleanUp() {
    m_position = 0;
}

FilePosition ExcSharedAcisBuffer::set_mark() {
    return m_position;
}

FilePosition ExcSharedAcisBuffer::goto_mark(FilePosition position) {
    // Outside the data: stay where we were rather than lose track of the offset.
    if (position >= 0 && static_cast<std::uint64_t>(position) <= m_data.size()) m_position = position;
    return m_position;
}

std::size_t ExcSharedAcisBuffer::read(void* buf, std::size_t length, logical) {
    const auto at = static_cast<std::size_t>(m_position);
    if (at >= m_data.size()) return 0;
    const std::size_t n = std::min(length, m_data.size() - at);
    std::memcpy(buf, m_data.data() + at, n);
    m_position += static_cast<FilePosition>(n);
    return n;
}

void ExcSharedAcisBuffer::write(const void* data, std::size_t length, logical) {
    const auto at = static_cast<std::size_t>(m_position);
    if (length > kMaxDataSize - std::min<std::uint64_t>(at, kMaxDataSize))
        sys_error(VALUE_TOO_LARGE, "more than " + std::to_string(kMaxDataSize >> 20) +
                                       " MB of saved data in one block");
    if (at == m_data.size()) {
        m_data.append(static_cast<const char*>(data), length);
    } else {
        if (at + length > m_data.size()) m_data.resize(at + length);
        std::memcpy(&m_data[at], data, length);
    }
    m_position += static_cast<FilePosition>(length);
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
    // Taken at its full length: a name with a NUL inside must fail as a whole, not name
    // whatever precedes the NUL.
    const JsonValue* name = json::member(value, L"shared_acis_buffer_name");
    if (name != nullptr && name->IsString()) {
        setSource(json::fullString(*name));
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
        m_buffer->nameSent();
    } else {
        logText(vx_bridge::kError,
                "ExcBlockGeometry: ACIS buffer was not initialized in shared memory.");
        value.AddMember(JsonValue(rapidjson::StringRef(L"shared_acis_buffer_name")), JsonValue(),
                        allocator);
    }
}

}  // namespace trx
