#pragma once

// The assembly tree of a model: a flat table of blocks (part or sub-assembly definitions)
// and a tree of block references (placed instances), rooted in the product structure.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "trx_api_exchange_common.h"
#include "trx_api_exchange_object.h"

namespace trx {

// A placed instance of a block, named by the block's id.
class TRX_API ExcBlockReference : public IJsonObject {
public:
    const std::wstring& guid() const { return m_guid; }
    void setGuid(const std::wstring& v) { m_guid = v; }
    const std::wstring& persistentId() const { return m_persistentId; }
    void setPersistentId(const std::wstring& v) { m_persistentId = v; }
    const std::wstring& persistentName() const { return m_persistentName; }
    void setPersistentName(const std::wstring& v) { m_persistentName = v; }
    std::uint64_t blockId() const { return m_blockId; }
    void setBlockId(std::uint64_t v) { m_blockId = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    const ExcTransformation& transformation() const { return m_transformation; }
    void setTransformation(const ExcTransformation& v) { m_transformation = v; }
    // Neither flag set: no colour of its own.
    const ExcColor& color() const { return m_color; }
    void setColor(const ExcColor& v) { m_color = v; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    bool isSuppressed() const { return m_suppressed; }
    void setSuppressed(bool v) { m_suppressed = v; }
    const std::wstring& configurationName() const { return m_configurationName; }
    void setConfigurationName(const std::wstring& v) { m_configurationName = v; }
    const ExcMiscData& miscData() const { return m_miscData; }
    ExcMiscData& miscData() { return m_miscData; }

    TRX_JSON_RECORD(ExcBlockReference);

private:
    std::wstring m_guid;
    std::wstring m_persistentId;
    std::wstring m_persistentName;
    std::uint64_t m_blockId = 0;
    std::wstring m_name;
    ExcTransformation m_transformation;
    ExcColor m_color;
    bool m_hidden = false;
    bool m_suppressed = false;
    std::wstring m_configurationName;
    ExcMiscData m_miscData;
};

using ExcBlockReferences = std::vector<std::shared_ptr<ExcBlockReference>>;

// A part or sub-assembly definition with the references to its children.
class TRX_API ExcBlock : public IJsonObject {
public:
    std::uint64_t id() const { return m_id; }
    void setId(std::uint64_t v) { m_id = v; }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    const std::wstring& storageName() const { return m_storageName; }
    void setStorageName(const std::wstring& v) { m_storageName = v; }
    EWorldOrientation worldOrientation() const { return m_worldOrientation; }
    void setWorldOrientation(EWorldOrientation v) { m_worldOrientation = v; }
    bool isPart() const { return m_part; }
    void setPart(bool v) { m_part = v; }
    const ExcMiscData& miscData() const { return m_miscData; }
    ExcMiscData& miscData() { return m_miscData; }

    const ExcBlockReferences& blockReferences() const { return m_blockReferences; }
    // A null reference is refused with a warning.
    void addBlockReference(const std::shared_ptr<ExcBlockReference>& reference);
    // Removes the first reference to the block with this id; the others keep their order.
    void removeBlockReference(std::uint64_t blockId);

    // References compare by value.
    TRX_JSON_RECORD(ExcBlock);

private:
    std::uint64_t m_id = 0;
    std::wstring m_name;
    std::wstring m_storageName;
    EWorldOrientation m_worldOrientation = EWorldOrientation{};
    ExcMiscData m_miscData;
    bool m_part = false;
    ExcBlockReferences m_blockReferences;
};

using ExcBlocks = std::vector<std::shared_ptr<ExcBlock>>;

// The whole tree; travels in binary form, compressed.
class TRX_API ExcProductStructure : public IExchangeObject {
    TRX_EXCHANGE_OBJECT(ExcProductStructure)
    bool binary() const override { return true; }
    bool compress() const override { return true; }

    const std::wstring& productName() const { return m_productName; }
    void setProductName(const std::wstring& v) { m_productName = v; }
    const std::wstring& productConfigurationName() const { return m_productConfigurationName; }
    void setProductConfigurationName(const std::wstring& v) { m_productConfigurationName = v; }
    ELengthUnitType units() const { return m_units; }
    void setUnits(ELengthUnitType v) { m_units = v; }
    EWorldOrientation worldOrientation() const { return m_worldOrientation; }
    void setWorldOrientation(EWorldOrientation v) { m_worldOrientation = v; }
    const ExcMiscData& miscData() const { return m_miscData; }
    ExcMiscData& miscData() { return m_miscData; }

    // In order of adding.
    const ExcBlocks& blocks() const { return m_blocks; }
    // Appends the block and makes it the one its id finds. Adding a block object that is
    // already listed under that id moves it to the end. A null block is refused with a
    // warning.
    void addBlock(const std::shared_ptr<ExcBlock>& block);
    // The block most recently added with this id, or empty.
    std::shared_ptr<ExcBlock> getBlockById(std::uint64_t id) const;

    const ExcBlockReferences& rootBlockReferences() const { return m_rootBlockReferences; }
    // A null reference is refused with a warning.
    void addRootBlockReference(const std::shared_ptr<ExcBlockReference>& reference);
    // Removes the first root reference to the block with this id (the int is sign-extended).
    void removeRootBlockReference(int blockId);

    // A single part wrapped as a product, as some sources deliver it.
    bool isPart() const;

    // Blocks and references compare by value, in list order; the index follows the blocks.
    TRX_JSON_RECORD(ExcProductStructure);

private:
    void indexBlock(const std::shared_ptr<ExcBlock>& block);

    std::wstring m_productName;
    std::wstring m_productConfigurationName;
    ExcMiscData m_miscData;
    ELengthUnitType m_units = ELengthUnitType{};
    EWorldOrientation m_worldOrientation = EWorldOrientation{};
    ExcBlocks m_blocks;
    std::map<std::uint64_t, std::shared_ptr<ExcBlock>> m_blockIndex;
    ExcBlockReferences m_rootBlockReferences;
};

}  // namespace trx
