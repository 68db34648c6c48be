#include "trx_api_exchange_structure.h"

#include <algorithm>

#include "detail/fields.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcProductStructure, L"exc_product_structure");

using detail::logText;

namespace {

// Lists of shared records compare by the records' values.
template <class T>
bool sameRecords(const std::vector<std::shared_ptr<T>>& a, const std::vector<std::shared_ptr<T>>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x && y ? *x == *y : x == y;
    });
}

void removeFirstReferenceTo(ExcBlockReferences& list, std::uint64_t blockId) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const auto& r) { return r && r->blockId() == blockId; });
    if (it != list.end()) list.erase(it);
}

}  // namespace

// ---- block reference ----------------------------------------------------------------

void ExcBlockReference::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcBlockReference");
}

void ExcBlockReference::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcBlockReference::operator==(const ExcBlockReference& o) const {
    return m_guid == o.m_guid && m_persistentId == o.m_persistentId &&
           m_persistentName == o.m_persistentName && m_blockId == o.m_blockId && m_name == o.m_name &&
           m_transformation == o.m_transformation && m_color == o.m_color && m_hidden == o.m_hidden &&
           m_suppressed == o.m_suppressed && m_configurationName == o.m_configurationName &&
           m_miscData == o.m_miscData;
}

// ---- block --------------------------------------------------------------------------

void ExcBlock::addBlockReference(const std::shared_ptr<ExcBlockReference>& reference) {
    if (!reference) {
        logText(vx_bridge::kWarning, "ExcBlock: attempt to add null Block Reference object.");
        return;
    }
    m_blockReferences.push_back(reference);
}

void ExcBlock::removeBlockReference(std::uint64_t blockId) {
    removeFirstReferenceTo(m_blockReferences, blockId);
}

void ExcBlock::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readFields(*this, value, "ExcBlock");
}

void ExcBlock::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

bool ExcBlock::operator==(const ExcBlock& o) const {
    return m_id == o.m_id && m_name == o.m_name && m_storageName == o.m_storageName &&
           m_worldOrientation == o.m_worldOrientation && m_miscData == o.m_miscData &&
           m_part == o.m_part && sameRecords(m_blockReferences, o.m_blockReferences);
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
    if (!reference) {
        logText(vx_bridge::kWarning, "ExcProductStructure: attempt to add null Root Block Reference object.");
        return;
    }
    m_rootBlockReferences.push_back(reference);
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

void ExcProductStructure::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcProductStructure")) return;
    json::get(value, L"product_name", m_productName);
    json::get(value, L"product_configuration_name", m_productConfigurationName);
    json::get(value, L"misc_data", m_miscData);
    json::get(value, L"units", m_units);
    json::get(value, L"world_orientation", m_worldOrientation);
    if (const JsonValue* blocks = json::member(value, L"blocks"); blocks && blocks->IsArray()) {
        m_blocks.reserve(m_blocks.size() + blocks->Size());
        for (const auto& item : blocks->GetArray()) {
            auto block = std::make_shared<ExcBlock>();
            block->readObject(item);
            indexBlock(block);  // a fresh block cannot be listed yet: no search
        }
    }
    json::get(value, L"root_block_references", m_rootBlockReferences);
}

void ExcProductStructure::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"product_name", m_productName);
    json::put(value, allocator, L"product_configuration_name", m_productConfigurationName);
    if (!m_miscData.isEmpty()) json::put(value, allocator, L"misc_data", m_miscData);
    json::put(value, allocator, L"units", m_units);
    json::put(value, allocator, L"world_orientation", m_worldOrientation);
    if (!m_blocks.empty()) json::put(value, allocator, L"blocks", m_blocks);
    if (!m_rootBlockReferences.empty())
        json::put(value, allocator, L"root_block_references", m_rootBlockReferences);
}

bool ExcProductStructure::operator==(const ExcProductStructure& o) const {
    return m_productName == o.m_productName &&
           m_productConfigurationName == o.m_productConfigurationName && m_miscData == o.m_miscData &&
           m_units == o.m_units && m_worldOrientation == o.m_worldOrientation &&
           sameRecords(m_blocks, o.m_blocks) && sameRecords(m_rootBlockReferences, o.m_rootBlockReferences);
}

}  // namespace trx
