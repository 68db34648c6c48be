#pragma once

// The mechanical data of a translation as exchange objects: one for the model as a whole
// and one per block. Both travel in binary, compressed form.

#include <cstdint>
#include <memory>
#include <string>

#include "trx_api_exchange_mechanical_common.h"
#include "trx_api_exchange_mfg.h"
#include "trx_api_exchange_misc_mechanical.h"
#include "trx_api_exchange_object.h"
#include "trx_api_exchange_pmi.h"

namespace trx {

// The model's root: its PMI and the path of a log file.
class TRX_API ExcRootMechanicalData : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcRootMechanicalData)
    bool binary() const override { return true; }
    bool compress() const override { return true; }

    const std::shared_ptr<ExcPMIData>& pmiData() const { return m_pmiData; }
    void setPMIData(const std::shared_ptr<ExcPMIData>& v) { m_pmiData = v; }

    const std::wstring& logFile() const { return m_logFile; }
    void setLogFile(const std::wstring& v) { m_logFile = v; }

    TRX_JSON_RECORD(ExcRootMechanicalData);

public:

    // Compares the content, not where it was loaded from.

private:
    std::shared_ptr<ExcPMIData> m_pmiData;
    std::wstring m_logFile;
};

// The mechanical data of one block of the product structure, named by its id.
class TRX_API ExcBlockMechanicalData : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcBlockMechanicalData)
    bool binary() const override { return true; }
    bool compress() const override { return true; }

    std::uint64_t blockId() const { return m_blockId; }
    void setBlockId(std::uint64_t v) { m_blockId = v; }
    const std::wstring& logFile() const { return m_logFile; }
    void setLogFile(const std::wstring& v) { m_logFile = v; }
    const std::shared_ptr<ExcPMIData>& pmiData() const { return m_pmiData; }
    void setPMIData(const std::shared_ptr<ExcPMIData>& v) { m_pmiData = v; }
    const std::shared_ptr<ExcMechanicalMiscData>& miscData() const { return m_miscData; }
    void setMiscData(const std::shared_ptr<ExcMechanicalMiscData>& v) { m_miscData = v; }
    const std::shared_ptr<ExcMappingData>& mappingData() const { return m_mappingData; }
    void setMappingData(const std::shared_ptr<ExcMappingData>& v) { m_mappingData = v; }
    const std::shared_ptr<ExcMfgData>& manufacturingData() const { return m_manufacturingData; }
    void setManufacturingData(const std::shared_ptr<ExcMfgData>& v) { m_manufacturingData = v; }
    const std::shared_ptr<ExcEntityData>& entityData() const { return m_entityData; }
    void setEntityData(const std::shared_ptr<ExcEntityData>& v) { m_entityData = v; }

    TRX_JSON_RECORD(ExcBlockMechanicalData);

public:

    // Compares the content, not where it was loaded from.

private:
    std::uint64_t m_blockId = 0;
    std::wstring m_logFile;
    std::shared_ptr<ExcPMIData> m_pmiData;
    std::shared_ptr<ExcMechanicalMiscData> m_miscData;
    std::shared_ptr<ExcMappingData> m_mappingData;
    std::shared_ptr<ExcMfgData> m_manufacturingData;
    std::shared_ptr<ExcEntityData> m_entityData;
};

}  // namespace trx
