#include "../trx_api_exchange_mechanical.h"

#include "pmi_fields.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcRootMechanicalData, L"exc_root_mechanical_data");
TRX_REGISTER_EXCHANGE_OBJECT(ExcBlockMechanicalData, L"exc_block_mechanical_data");

// ---- model root ---------------------------------------------------------------------

template <class Self, class F>
void ExcRootMechanicalData::fields(Self& s, F&& f) {
    f(L"pmi_data", s.m_pmiData);
    f(L"log_file", s.m_logFile, !s.m_logFile.empty());
}

void ExcRootMechanicalData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcRootMechanicalData")) fields(*this, json::Reader{value});
}

void ExcRootMechanicalData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcRootMechanicalData::operator==(const ExcRootMechanicalData& o) const {
    return detail::deepEqual(m_pmiData, o.m_pmiData) && m_logFile == o.m_logFile;
}

// ---- block --------------------------------------------------------------------------

// Present sub-record keys replace the sub-record with a fresh one.
template <class Self, class F>
void ExcBlockMechanicalData::fields(Self& s, F&& f) {
    f(L"block_id", s.m_blockId);
    f(L"log_file", s.m_logFile, !s.m_logFile.empty());
    f(L"pmi_data", s.m_pmiData);
    f(L"misc_data", s.m_miscData);
    f(L"mapping_data", s.m_mappingData);
    f(L"mfg_data", s.m_manufacturingData);
    f(L"entity_data", s.m_entityData);
}

void ExcBlockMechanicalData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (json::isObjectOrLog(value, "ExcBlockMechanicalData")) fields(*this, json::Reader{value});
}

void ExcBlockMechanicalData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    fields(*this, json::Writer{value, allocator});
}

bool ExcBlockMechanicalData::operator==(const ExcBlockMechanicalData& o) const {
    return m_blockId == o.m_blockId && m_logFile == o.m_logFile &&
           detail::deepEqual(m_pmiData, o.m_pmiData) &&
           detail::deepEqual(m_miscData, o.m_miscData) &&
           detail::deepEqual(m_mappingData, o.m_mappingData) &&
           detail::deepEqual(m_manufacturingData, o.m_manufacturingData) &&
           detail::deepEqual(m_entityData, o.m_entityData);
}

}  // namespace trx
