#include "trx_api_exchange_structure.h"

#include <algorithm>

#include "detail/field_adapters.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcProductStructure, L"exc_product_structure");

using detail::logText;

namespace {

void removeFirstReferenceTo(ExcBlockReferences& list, std::uint64_t blockId) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const auto& r) { return r && r->blockId() == blockId; });
    if (it != list.end()) list.erase(it);
}

}  // namespace

// ---- block reference ----------------------------------------------------------------

// The key order is not the member order: it is the order the text has always had.
TRX_FIELDS(ExcBlockReference, IJsonObject) {
    f(L"guid", s.m_guid);
    f(L"persistent_id", s.m_persistentId);
    f(L"persistent_name", s.m_persistentName);
    f(L"block_id", s.m_blockId);
    f(L"name", s.m_name);
    f(L"hidden", s.m_hidden);
    f(L"suppressed", s.m_suppressed);
    f(L"configuration_name", s.m_configurationName);
    f(L"transformation", s.m_transformation);
    f(L"color", s.m_color);
    f(L"misc_data", s.m_miscData, !s.m_miscData.isEmpty());
}

// ---- block --------------------------------------------------------------------------

void ExcBlock::addBlockReference(const std::shared_ptr<ExcBlockReference>& reference) {
    json::addOrRefuse(m_blockReferences, reference, "ExcBlock: attempt to add null Block Reference object.");
}

void ExcBlock::removeBlockReference(std::uint64_t blockId) {
    removeFirstReferenceTo(m_blockReferences, blockId);
}

TRX_FIELDS(ExcBlock, IJsonObject) {
    f(L"id", s.m_id);
    f(L"name", s.m_name, !s.m_name.empty());
    f(L"storage_name", s.m_storageName, !s.m_storageName.empty());
    f(L"world_orientation", s.m_worldOrientation, s.m_worldOrientation != EWorldOrientation{});
    f(L"misc_data", s.m_miscData, !s.m_miscData.isEmpty());
    f(L"is_part", s.m_part);
    f(L"block_references", s.m_blockReferences, !s.m_blockReferences.empty());
}

// ---- product structure --------------------------------------------------------------

void ExcProductStructure::addBlock(const std::shared_ptr<ExcBlock>& block) {
    if (!block) {
        logText(vx_bridge::kWarning, "ExcProductStructure: attempt to add null Block object.");
        return;
    }
    // Only a block whose id is already known can be listed already.
    if (m_blockIndex.count(block->id()) != 0) {
        const auto it = std::find(m_blocks.begin(), m_blocks.end(), block);
        if (it != m_blocks.end()) m_blocks.erase(it);
    }
    indexBlock(block);
}

void ExcProductStructure::indexBlock(const std::shared_ptr<ExcBlock>& block) {
    m_blocks.push_back(block);
    m_blockIndex[block->id()] = block;
}

std::shared_ptr<ExcBlock> ExcProductStructure::getBlockById(std::uint64_t id) const {
    const auto it = m_blockIndex.find(id);
    return it != m_blockIndex.end() ? it->second : nullptr;
}

void ExcProductStructure::addRootBlockReference(const std::shared_ptr<ExcBlockReference>& reference) {
    json::addOrRefuse(m_rootBlockReferences, reference, "ExcProductStructure: attempt to add null Root Block Reference object.");
}

void ExcProductStructure::removeRootBlockReference(int blockId) {
    removeFirstReferenceTo(m_rootBlockReferences,
                           static_cast<std::uint64_t>(static_cast<std::int64_t>(blockId)));
}

bool ExcProductStructure::isPart() const {
    if (m_productName == L"SPAXIopPSProductDummyReference") return true;
    return m_rootBlockReferences.size() == 1 && m_rootBlockReferences.front() &&
           m_rootBlockReferences.front()->name() == L"SPAXIopPSProductDummyInstance";
}

TRX_FIELDS(ExcProductStructure, IJsonObject) {
    f(L"product_name", s.m_productName);
    f(L"product_configuration_name", s.m_productConfigurationName);
    f(L"misc_data", s.m_miscData, !s.m_miscData.isEmpty());
    f(L"units", s.m_units);
    f(L"world_orientation", s.m_worldOrientation);
    // A fresh block cannot be listed yet: indexed without a search.
    f(L"blocks", json::addedBy(s.m_blocks, [&s](auto&& block) { s.indexBlock(block); }), !s.m_blocks.empty());
    f(L"root_block_references", s.m_rootBlockReferences, !s.m_rootBlockReferences.empty());
}

}  // namespace trx
