#pragma once

// Shared by the fuzz targets: turning fuzz bytes into the inputs the readers take.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "trx_api/json/json_object.h"

namespace fuzz {

// The bytes as UTF-8 text, widened the way the library widens what it receives.
inline std::wstring wideText(const std::uint8_t* data, std::size_t size) {
    return trx::toWide(std::string(reinterpret_cast<const char*>(data), size));
}

}  // namespace fuzz

#include <exception>
#include <stdexcept>

#include "trx_api/detail/binary_reader.h"
#include "trx_api/detail/bytes.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_exchange_object.h"

namespace fuzz {

// What reading gives: the record's binary JSON, or the error.
template <class Read>
std::string outcome(trx::IJsonObject& object, Read&& read) {
    try {
        read();
    } catch (const std::exception& e) {
        return std::string("error: ") + e.what();
    }
    std::string bytes;
    trx::JsonBinaryIO::write(bytes, object);
    return bytes;
}

// Bulky objects are filled straight from their binary JSON, without its document: the
// payload `bytes`, read so into a fresh object of the registered class `name`, must give the
// same record, or the same error, as reading its document.
inline void sameStraight(const std::string& bytes, const wchar_t* name) {
    auto viaDocument = trx::ExchangeObjectRegistry::instance().get(name);
    auto viaStraight = trx::ExchangeObjectRegistry::instance().get(name);
    if (!viaDocument || !viaStraight) __builtin_trap();
    const std::string expected = outcome(*viaDocument, [&] {
        trx::JsonDocument doc;
        trx::detail::readPayloadJson(bytes.data(), bytes.size(), doc, doc.GetAllocator());
        if (!doc.IsObject()) throw std::invalid_argument("Payload holds no JSON object");
        viaDocument->readObject(doc);
    });
    const std::string got =
        outcome(*viaStraight, [&] { trx::detail::readBinaryRecord(bytes.data(), bytes.size(), *viaStraight); });
    if (got != expected) __builtin_trap();
}

}  // namespace fuzz

#include "acis/acis.h"

namespace fuzz {

// A damaged list may hold an attribute beside its owner: lose only what has no owner.
inline void loseRestored(ENTITY_LIST& list) {
    std::vector<ENTITY*> roots;
    for (ENTITY* e : list)
        if (!is_ATTRIB(e) || !static_cast<ATTRIB*>(e)->owner()) roots.push_back(e);
    for (ENTITY* e : roots) e->lose();
    list.clear();
}

}  // namespace fuzz
