#include "trx_api_exchange_messages.h"

#include <stdexcept>
#include <string>

#include "detail/enum_table.h"
#include "detail/field_adapters.h"

namespace trx {

TRX_REGISTER_EXCHANGE_OBJECT(ExcMessage, L"exc_message");
TRX_REGISTER_EXCHANGE_OBJECT(ExcLog, L"exc_log");
TRX_REGISTER_EXCHANGE_OBJECT(ExcProgress, L"exc_progress");
TRX_REGISTER_EXCHANGE_OBJECT(ExcStageFinished, L"exc_stage_finished");
TRX_REGISTER_EXCHANGE_OBJECT(LegacyComponentInstanceNames, L"legacy_component_instance_names");
TRX_REGISTER_EXCHANGE_OBJECT(LegacyMaterialMap, L"legacy_component_material_map");

TRX_ENUM(ExcStageFinished::EStage, unknown, product_structure, root_visualization, visualization,
    root_mechanical, mechanical, visu_and_mech);

// ---- messages, progress, stages -----------------------------------------------------

// These small reports ignore a value of the wrong kind silently, where TRX_FIELDS would log
// it: a log record about a malformed log line would only add noise.
TRX_FIELDS_READING(ExcMessageBase, IJsonObject, json::NotAnObject::ignore) {
    f(L"message", s.m_message);
}

TRX_FIELDS_READING(ExcProgress, IJsonObject, json::NotAnObject::ignore) {
    f(L"progress", s.m_progress);
    f(L"progress_max", s.m_progressMax);
    f(L"pulse", json::uncompared(s.m_pulse));
    f(L"stage", s.m_stage);
}

// A bare string, not an object: no key list.
void ExcStageFinished::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::fromJson(value, m_stage);
}

void ExcStageFinished::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value = json::toJson(m_stage, allocator);
}

// ---- legacy per-component maps ------------------------------------------------------

// Both maps travel as arrays of {component_handle, <value key>: value} rather than as
// objects, so their items are read and written here; only the material is a key list.
// An item without an unsigned 64-bit handle, or whose value is of the wrong kind, is skipped.

namespace {

template <class Take>
void readItems(const JsonValue& value, const char* className, const wchar_t* valueKey, Take take) {
    if (!value.IsArray())
        throw std::invalid_argument(std::string(className) + "::readObject(): Input json object is not an array");
    for (const auto& item : value.GetArray()) {
        std::uint64_t handle = 0;
        const JsonValue* v = json::member(item, valueKey);
        if (v != nullptr && json::get(item, L"component_handle", handle)) take(handle, *v);
    }
}

template <class Map, class Put>
void writeItems(const Map& map, JsonValue& value, JsonAllocator& allocator, const wchar_t* valueKey, Put put) {
    value.SetArray();
    value.Reserve(static_cast<rapidjson::SizeType>(map.size()), allocator);
    for (const auto& [handle, v] : map) {
        JsonValue item(rapidjson::kObjectType);
        json::put(item, allocator, L"component_handle", handle.value());
        item.AddMember(JsonValue(rapidjson::StringRef(valueKey)), put(v), allocator);
        value.PushBack(item, allocator);
    }
}

}  // namespace

bool LegacyComponentInstanceNames::addInstanceName(const OdDbHandle& handle, const std::wstring& name) {
    m_map[handle] = name;
    return true;
}

void LegacyComponentInstanceNames::merge(const LegacyComponentInstanceNames& other) {
    m_map.insert(other.m_map.begin(), other.m_map.end());
}

void LegacyComponentInstanceNames::readObject(const JsonValue& value) {
    TRX_TRACE();
    readItems(value, "LegacyComponentInstanceNames", L"component_name", [this](std::uint64_t handle, const JsonValue& v) {
        std::wstring name;
        if (json::fromJson(v, name)) addInstanceName(handle, name);
    });
}

void LegacyComponentInstanceNames::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    writeItems(m_map, value, allocator, L"component_name",
               [&](const std::wstring& name) { return json::toJson(name, allocator); });
}

template <class Self, class F>
void LegacyMaterialMap::Material::fields(Self& s, F&& f) {
    f(L"has_material", s.hasMaterial);
    f(L"name", s.name);
    f(L"density", s.density);
    f(L"thermal_conductivity", s.thermalConductivity);
    f(L"specific_heat", s.specificHeat);
}

bool LegacyMaterialMap::Material::operator==(const Material& o) const {
    return json::sameFields(*this, o);
}

bool LegacyMaterialMap::addMaterial(const OdDbHandle& handle, const Material& material) {
    m_map[handle] = material;
    return true;
}

void LegacyMaterialMap::merge(const LegacyMaterialMap& other) {
    m_map.insert(other.m_map.begin(), other.m_map.end());
}

void LegacyMaterialMap::readObject(const JsonValue& value) {
    TRX_TRACE();
    readItems(value, "LegacyMaterialMap", L"component_material", [this](std::uint64_t handle, const JsonValue& v) {
        if (!v.IsObject()) return;
        Material m;
        Material::fields(m, json::Reader{v});
        m_map.emplace(handle, std::move(m));  // the first material of a handle stays
    });
}

void LegacyMaterialMap::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    writeItems(m_map, value, allocator, L"component_material", [&](const Material& m) {
        JsonValue object;
        json::writeFields(m, object, allocator);
        return object;
    });
}

}  // namespace trx
