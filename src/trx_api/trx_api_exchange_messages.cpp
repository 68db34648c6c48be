#include "trx_api_exchange_messages.h"

#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/fields.h"

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

// These small reports ignore a value of the wrong kind silently: a log record about a
// malformed log line would only add noise.

void ExcMessageBase::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::get(value, L"message", m_message);
}

void ExcMessageBase::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"message", m_message);
}

void ExcProgress::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (value.IsObject()) fields(*this, json::Reader{value});
}

void ExcProgress::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeFields(*this, value, allocator);
}

void ExcStageFinished::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::fromJson(value, m_stage);
}

void ExcStageFinished::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value = json::toJson(m_stage, allocator);
}

// ---- legacy per-component maps ------------------------------------------------------

namespace {

// The handle of an item, when the item is an object with an unsigned 64-bit handle.
bool itemHandle(const JsonValue& item, std::uint64_t& handle) {
    return item.IsObject() && json::get(item, L"component_handle", handle);
}

JsonValue handleItem(OdDbHandle handle, JsonAllocator& allocator) {
    JsonValue item(rapidjson::kObjectType);
    json::put(item, allocator, L"component_handle", handle.value());
    return item;
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
    if (!value.IsArray())
        throw std::invalid_argument("LegacyComponentInstanceNames::readObject(): Input json object is not an array");
    for (const auto& item : value.GetArray()) {
        std::uint64_t handle = 0;
        const JsonValue* name = json::member(item, L"component_name");
        if (itemHandle(item, handle) && name != nullptr && name->IsString())
            addInstanceName(handle, name->GetString());
    }
}

void LegacyComponentInstanceNames::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(static_cast<rapidjson::SizeType>(m_map.size()), allocator);
    for (const auto& [handle, name] : m_map) {
        JsonValue item = handleItem(handle, allocator);
        json::put(item, allocator, L"component_name", name);
        value.PushBack(item, allocator);
    }
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
    if (!value.IsArray())
        throw std::invalid_argument("LegacyMaterialMap::readObject(): Input json object is not an array");
    for (const auto& item : value.GetArray()) {
        std::uint64_t handle = 0;
        const JsonValue* material = json::member(item, L"component_material");
        if (!itemHandle(item, handle) || material == nullptr || !material->IsObject()) continue;
        Material m;
        Material::fields(m, json::Reader{*material});
        m_map.emplace(handle, std::move(m));  // the first material of a handle stays
    }
}

void LegacyMaterialMap::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetArray();
    value.Reserve(static_cast<rapidjson::SizeType>(m_map.size()), allocator);
    for (const auto& [handle, material] : m_map) {
        JsonValue item = handleItem(handle, allocator);
        JsonValue m(rapidjson::kObjectType);
        Material::fields(material, json::Writer{m, allocator});
        item.AddMember(L"component_material", m, allocator);
        value.PushBack(item, allocator);
    }
}

}  // namespace trx
