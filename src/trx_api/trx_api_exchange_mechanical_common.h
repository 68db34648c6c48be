#pragma once

// Per-entity records of a block's mechanical data: naming and display information of single
// topological entities, and the mapping from imported entities back to the source model.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "json/json_object.h"
#include "trx_api_exchange_common.h"

namespace trx {

enum class ELineType : int {
    unknown = 0, solid = 1, dash = 2, dot = 3, dash_dot = 4, dash_dot_dot = 5, dash_dot_dot_dot = 6,
    dash_dash_dot = 7, dash_dash_dot_dot = 8, dash_dash_dot_dot_dot = 9, short_dash = 10,
    long_dash = 11, medium_dash_long_dash = 12, medium_dash_short_dash_short_dash = 13,
    long_dash_short_dash = 14, long_dash_short_dash_short_dash = 15, long_dash_dot_dot = 16,
    long_dash_dot = 17, medium_dash_dot_short_dash_dot = 18, sparse_dot = 19,
    visible_invisible = 20, zigzag = 21, curve_batting = 22, fence_circle = 23, fence_square = 24,
    supply_line_gas = 25, supply_line_hot_water = 26, tracks = 27
};

// What the source system attaches to one topological entity.
class TRX_API ExcTopologicalEntityInformation : public IJsonObject {
public:
    const std::shared_ptr<ExcEntity>& entity() const { return m_entity; }
    void setEntity(const std::shared_ptr<ExcEntity>& v) { m_entity = v; }
    const std::vector<std::wstring>& persistentNames() const { return m_persistentNames; }
    void setPersistentNames(const std::vector<std::wstring>& v) { m_persistentNames = v; }
    void addPersistentName(const std::wstring& v) { m_persistentNames.push_back(v); }
    const std::wstring& name() const { return m_name; }
    void setName(const std::wstring& v) { m_name = v; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool v) { m_hidden = v; }
    ELineType lineType() const { return m_lineType; }
    void setLineType(ELineType v) { m_lineType = v; }
    double lineThickness() const { return m_lineThickness; }
    void setLineThickness(double v) { m_lineThickness = v; }

    TRX_JSON_RECORD(ExcTopologicalEntityInformation);

private:

    std::shared_ptr<ExcEntity> m_entity;
    std::vector<std::wstring> m_persistentNames;
    std::wstring m_name;
    bool m_hidden = false;
    ELineType m_lineType = ELineType::unknown;
    double m_lineThickness = 0.0;
};

// Information on the entities of one block; travels as a bare array.
class TRX_API ExcEntityData : public IJsonObject {
public:
    using Data = std::vector<std::shared_ptr<ExcTopologicalEntityInformation>>;

    const Data& data() const { return m_data; }
    void addData(const std::shared_ptr<ExcTopologicalEntityInformation>& info);

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;
    void writeBinary(detail::BinaryWriter& out) const override;
    void readBinary(detail::BinaryReader& in) override;

    bool operator==(const ExcEntityData& o) const;
    bool operator!=(const ExcEntityData& o) const { return !(*this == o); }

private:
    Data m_data;
};

// Pairs of (imported entity, original entity of the source model); travels as a bare array.
class TRX_API ExcMappingData : public IJsonObject {
public:
    using EntityPair = std::pair<std::shared_ptr<ExcEntity>, std::shared_ptr<ExcEntity>>;
    using Mapping = std::vector<EntityPair>;

    const Mapping& mapping() const { return m_mapping; }
    void add(const std::shared_ptr<ExcEntity>& imported, const std::shared_ptr<ExcEntity>& original);

    void readObject(const JsonValue& value) override;
    void writeObject(JsonValue& value, JsonAllocator& allocator) const override;

    bool operator==(const ExcMappingData& o) const;
    bool operator!=(const ExcMappingData& o) const { return !(*this == o); }

private:
    Mapping m_mapping;
};

}  // namespace trx
