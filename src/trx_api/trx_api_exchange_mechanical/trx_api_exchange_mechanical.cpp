#include "../trx_api_exchange_mechanical.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcRootMechanicalData, L"exc_root_mechanical_data");
TRX_REGISTER_EXCHANGE_OBJECT(ExcBlockMechanicalData, L"exc_block_mechanical_data");

// ---- model root ---------------------------------------------------------------------

TRX_FIELDS(ExcRootMechanicalData, IJsonObject) {
    f(L"pmi_data", s.m_pmiData);
    f(L"log_file", s.m_logFile, !s.m_logFile.empty());
}

// ---- block --------------------------------------------------------------------------

// Present sub-record keys replace the sub-record with a fresh one.
TRX_FIELDS(ExcBlockMechanicalData, IJsonObject) {
    f(L"block_id", s.m_blockId);
    f(L"log_file", s.m_logFile, !s.m_logFile.empty());
    f(L"pmi_data", s.m_pmiData);
    f(L"misc_data", s.m_miscData);
    f(L"mapping_data", s.m_mappingData);
    f(L"mfg_data", s.m_manufacturingData);
    f(L"entity_data", s.m_entityData);
}

}  // namespace trx
