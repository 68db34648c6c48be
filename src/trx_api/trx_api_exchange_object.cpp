#include "trx_api_exchange_object.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_io.hpp>

#include "../mp/shared_buffer.h"
#include "detail/binary_reader.h"
#include "detail/bytes.h"
#include "detail/fields.h"
#include "detail/trace.h"
#include "trx_api_binary_json.h"
#include "trx_api_compression.h"

namespace trx {

// ---- registry -----------------------------------------------------------------------

ExchangeObjectRegistry& ExchangeObjectRegistry::instance() {
    // Constructed before the first prototype that registers, hence destroyed after the last.
    static ExchangeObjectRegistry registry;
    return registry;
}

void ExchangeObjectRegistry::add(IExchangeObject* object) {
    if (object == nullptr) return;
    m_prototypes[object->objectName()] = object;
}

void ExchangeObjectRegistry::remove(IExchangeObject* object) {
    if (object == nullptr) return;
    m_prototypes.erase(object->objectName());
}

std::shared_ptr<IExchangeObject> ExchangeObjectRegistry::get(const std::wstring& name) const {
    const auto it = m_prototypes.find(name);
    return it != m_prototypes.end() ? it->second->clone() : nullptr;
}

std::vector<std::wstring> ExchangeObjectRegistry::names() const {
    std::vector<std::wstring> names;
    names.reserve(m_prototypes.size());
    for (const auto& entry : m_prototypes) names.push_back(entry.first);
    return names;
}

// ---- exchange object ----------------------------------------------------------------

std::wstring IExchangeObject::generateUUID() {
    // Draws from the system's cryptographic source; entropy_error propagates.
    boost::uuids::random_generator generator;
    return boost::uuids::to_wstring(generator());
}

detail::Bytes detail::readPayload(mp::SharedBuffer<char>& segment) {
    const std::size_t size = segment.size();
    if (size > kMaxPayloadSegment)
        throw std::length_error("Shared memory segment of " + std::to_string(size) +
                                " bytes is larger than any payload (at most " +
                                std::to_string(kMaxPayloadSegment) + ")");
    const auto checkHead = [](const char* head, std::size_t n) {
        if (n != 0 && !Compressor::isCompressed(head, n) && head[0] != 3)
            throw std::invalid_argument("Payload is neither compressed nor a binary JSON object");
    };
    // A large segment shows its first bytes before memory is taken for all of it; a small one
    // is read in one call.
    constexpr std::size_t kReadAtOnce = std::size_t(64) << 10;
    if (size > kReadAtOnce) {
        char head[3];
        checkHead(head, segment.read(head, sizeof(head)));
    }
    Bytes bytes(size);
    bytes.resize(segment.read(bytes.data(), size));
    if (size <= kReadAtOnce) checkHead(bytes.data(), std::min<std::size_t>(bytes.size(), 3));
    return bytes;
}

namespace {

// The payload's document first, then the record from it.
void loadThroughDocument(IExchangeObject& object, detail::Bytes bytes) {
    JsonAllocator pool(detail::kPayloadChunk);
    JsonDocument doc(&pool);
    detail::readPayloadJson(bytes.data(), bytes.size(), doc, doc.GetAllocator());
    bytes = detail::Bytes();  // the payload is gone before the record grows
    // Every bulky object is a JSON object; anything else would leave a default object that
    // looks loaded.
    if (!doc.IsObject()) throw std::invalid_argument("Payload holds no JSON object");
    object.readObject(doc);
}

}  // namespace

void IExchangeObject::load() {
    TRX_TRACE();
    if (m_loaded || m_source.empty() || !binary()) return;
    // Removing on destruction makes this a read-once payload, whatever happens below.
    mp::SharedBuffer<char> buffer(m_source, mp::OpenMode::open, true);
    // Filled straight from the bytes, without the payload's document, into a copy that
    // replaces this object only once the whole payload was read without fault.
    const std::shared_ptr<IExchangeObject> loading = copyForLoading();
    if (loading && typeid(*loading) == typeid(*this)) {
        detail::readBinaryRecord(detail::readPayload(buffer), *loading);
        takeLoaded(std::move(*loading));
    } else {
        loadThroughDocument(*this, detail::readPayload(buffer));
    }
    m_loaded = true;
}

// ---- envelope -----------------------------------------------------------------------

namespace {

const wchar_t* const kName = L"exchange_object_name";
const wchar_t* const kBinary = L"binary";
const wchar_t* const kData = L"exchange_object_data";

}  // namespace

void ExchangeObjectWrapper::writeObject(std::wostream& os) const {
    TRX_TRACE();
    if (!m_pObject) throw std::invalid_argument("ExchangeObjectWrapper::writeObject > m_pObject == nullptr");
    const IExchangeObject& object = *m_pObject;
    JsonDocument doc;
    auto& a = doc.GetAllocator();
    doc.SetObject();
    json::put(doc, a, kName, object.objectName());
    if (!object.binary()) {
        JsonValue data;
        object.writeObject(data, a);
        doc.AddMember(JsonValue(rapidjson::StringRef(kData)), data, a);
        JsonTextIO::write(os, doc, false);
        return;
    }

    json::put(doc, a, kBinary, true);
    detail::Bytes bytes = detail::writeBinaryJson(object);
    if (object.compress()) {
        detail::Bytes packed = detail::gzip(bytes.data(), bytes.size(), -1);
        bytes = std::move(packed);  // the plain form is freed before the segment is filled
    }
    // The segment outlives this call only once its name is on the stream; otherwise no
    // reader will ever remove it.
    mp::SharedBuffer<char> buffer(IExchangeObject::generateUUID(), mp::OpenMode::create, true);
    buffer.write(bytes.data(), bytes.size());
    json::put(doc, a, kData, buffer.name());
    JsonTextIO::write(os, doc, false);
    if (os) buffer.setRemoveOnDestroy(false);
}

void ExchangeObjectWrapper::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");

    const JsonValue* name = json::member(doc, kName);
    if (name == nullptr || !name->IsString()) {
        m_pObject.reset();
        return;
    }
    m_pObject = ExchangeObjectRegistry::instance().get(json::fullString(*name));
    if (!m_pObject) return;

    const JsonValue* data = json::member(doc, kData);
    if (data == nullptr) {
        detail::logText(vx_bridge::kError, "ExchangeObjectWrapper JSON object has no Exchange Object data.");
        return;
    }
    const JsonValue* binary = json::member(doc, kBinary);
    if (binary != nullptr && binary->IsTrue()) {
        // An empty name is no segment at all: nothing could be loaded from it.
        if (!data->IsString() || data->GetStringLength() == 0) {
            detail::logText(vx_bridge::kError,
                            "ExchangeObjectWrapper JSON object should have UUID in Exchange Object Data "
                            "field (if binary).");
            return;
        }
        m_pObject->setSource(json::fullString(*data));
        if (!m_delayedLoading) m_pObject->load();
        return;
    }
    m_pObject->readObject(*data);
}

}  // namespace trx
