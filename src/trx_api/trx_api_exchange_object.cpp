#include "trx_api_exchange_object.h"

#include <stdexcept>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_io.hpp>

#include "detail/trace.h"

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

// ---- exchange object ----------------------------------------------------------------

std::wstring IExchangeObject::generateUUID() {
    // Draws from the system's cryptographic source; entropy_error propagates.
    boost::uuids::random_generator generator;
    return boost::uuids::to_wstring(generator());
}

void IExchangeObject::load() {
    TRX_TRACE();
    if (m_loaded || m_source.empty() || !binary()) return;
    throw std::logic_error("IExchangeObject::load: shared buffers are not available in this build");
}

}  // namespace trx
