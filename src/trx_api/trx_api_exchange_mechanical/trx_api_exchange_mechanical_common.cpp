#include "../trx_api_exchange_mechanical_common.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM(ELineType, unknown, solid, dash, dot, dash_dot, dash_dot_dot, dash_dot_dot_dot,
    dash_dash_dot, dash_dash_dot_dot, dash_dash_dot_dot_dot, short_dash, long_dash,
    medium_dash_long_dash, medium_dash_short_dash_short_dash, long_dash_short_dash,
    long_dash_short_dash_short_dash, long_dash_dot_dot, long_dash_dot,
    medium_dash_dot_short_dash_dot, sparse_dot, visible_invisible, zigzag, curve_batting,
    fence_circle, fence_square, supply_line_gas, supply_line_hot_water, tracks);

// ---- topological entity information ------------------------------------------------

TRX_FIELDS(ExcTopologicalEntityInformation, IJsonObject) {
    f(L"entity", s.m_entity);
    f(L"pnames", s.m_persistentNames, !s.m_persistentNames.empty());
    f(L"name", s.m_name);
    f(L"hidden", s.m_hidden);
    f(L"line_type", s.m_lineType);
    f(L"line_thickness", s.m_lineThickness);
}

// ---- entity data --------------------------------------------------------------------

void ExcEntityData::addData(const std::shared_ptr<ExcTopologicalEntityInformation>& info) {
    json::addOrRefuse(m_data, info,
                      "ExcEntityData: attempt to add null Topological Entity Information Data object.");
}

void ExcEntityData::readObject(const JsonValue& value) {
    TRX_TRACE();
    // Every item counts, also one of the wrong kind: it reads as a default record.
    if (json::isArrayOrLog(value, "ExcEntityData")) json::fromJson(value, m_data);
}

void ExcEntityData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value = json::toJson(m_data, allocator);
}

void ExcEntityData::writeBinary(detail::BinaryWriter& out) const { json::emit(out, m_data); }

void ExcEntityData::readBinary(detail::BinaryReader& in) { json::readArrayRecordBinary(*this, in, m_data); }

bool ExcEntityData::operator==(const ExcEntityData& o) const { return detail::same(m_data, o.m_data); }

// ---- mapping ------------------------------------------------------------------------

void ExcMappingData::add(const std::shared_ptr<ExcEntity>& imported,
                         const std::shared_ptr<ExcEntity>& original) {
    if (!imported || !original) {
        detail::logText(vx_bridge::kWarning,
                        "ExcMappingData: attempt to add null Entity object or null Original Entity object.");
        return;
    }
    m_mapping.emplace_back(imported, original);
}

void ExcMappingData::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isArrayOrLog(value, "ExcMappingData")) return;
    m_mapping.reserve(m_mapping.size() + value.Size());
    for (const auto& item : value.GetArray()) {
        if (!item.IsObject()) {
            detail::logText(vx_bridge::kWarning, "ExcMappingData JSON array should have objects as items.");
            continue;
        }
        // Taken as it stands: a pair may keep a null member.
        EntityPair pair;
        json::get(item, L"imported", pair.first);
        json::get(item, L"original", pair.second);
        m_mapping.push_back(std::move(pair));
    }
}

void ExcMappingData::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(static_cast<rapidjson::SizeType>(m_mapping.size()), allocator);
    for (const auto& [imported, original] : m_mapping) {
        JsonValue item(rapidjson::kObjectType);
        json::put(item, allocator, L"imported", imported);
        json::put(item, allocator, L"original", original);
        value.PushBack(item, allocator);
    }
}

bool ExcMappingData::operator==(const ExcMappingData& o) const {
    return detail::same(m_mapping, o.m_mapping);
}

}  // namespace trx
