// The import and export option sets.

#include <stdexcept>

#include "../detail/fields.h"
#include "../detail/option_sets.h"
#include "../detail/trace.h"

namespace trx {

EOperationType ImportOptions::operationType() const { return EOperationType::Import; }
EOperationType ExportOptions::operationType() const { return EOperationType::Export; }

namespace detail {

std::wstring requiredString(const JsonValue& object, const wchar_t* key, const char* message) {
    std::wstring value;
    if (!json::get(object, key, value)) throw std::invalid_argument(message);
    return value;
}

void debugValue(const char* text, const std::wstring& value) {
    logWith(vx_bridge::kDebug, [&](std::ostream& os) { os << text << toNarrow(value); });
}

}  // namespace detail

// ---- per-format groups ----

std::shared_ptr<IFormatOptions> FormatOptionsMap::get(EFormatType type) const {
    const auto it = m_groups.find(type);
    return it != m_groups.end() ? it->second : nullptr;
}

void FormatOptionsMap::set(std::shared_ptr<IFormatOptions> group) {
    if (!group) return;
    const EFormatType type = group->formatType();
    m_groups[type] = std::move(group);
}

void FormatOptionsMap::write(JsonValue& object, JsonAllocator& allocator,
                             const std::wstring& file) const {
    if (m_groups.empty()) return;
    JsonValue array(rapidjson::kArrayType);
    for (const auto& entry : m_groups) {
        if (!entry.second) {
            detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
                os << "Invalid specific format options object, file" << toNarrow(file);
            });
            continue;
        }
        array.PushBack(json::toJson(*entry.second, allocator), allocator);
    }
    object.AddMember(L"format_options", array, allocator);
}

void FormatOptionsMap::read(const JsonValue& object, const std::wstring& file) {
    const JsonValue* list = json::member(object, L"format_options");
    if (list == nullptr || !list->IsArray()) return;
    for (const auto& element : list->GetArray()) {
        if (auto group = IFormatOptions::readOptions(element)) {
            set(std::move(group));
        } else {
            detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
                os << "Specific format options cannot be read, file: ." << toNarrow(file);
            });
        }
    }
}

// ---- import ----

void ImportOptionsImpl::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"file", m_file);
    detail::debugValue("ImportOptions.file = ", m_file);
    json::put(value, allocator, L"force_mp_mode", m_forceMPMode);
    json::put(value, allocator, L"translate_world_orientation", m_translateWorldOrientation);
    json::put(value, allocator, L"translate_misc_data", m_translateMiscData);
    m_formatOptions.write(value, allocator, m_file);
    json::put(value, allocator, L"modeler_version", m_modelerVersion);
}

void ImportOptionsImpl::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) throw std::invalid_argument("!object.IsObject()");
    m_file = detail::requiredString(value, L"file", "Json document has no valid file path.");
    detail::debugValue("ImportOptions.file = ", m_file);
    json::get(value, L"force_mp_mode", m_forceMPMode);
    json::get(value, L"translate_world_orientation", m_translateWorldOrientation);
    json::get(value, L"translate_misc_data", m_translateMiscData);
    m_formatOptions.read(value, m_file);
    json::get(value, L"modeler_version", m_modelerVersion);
}

// ---- export ----

void ExportOptionsImpl::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"file", m_file);
    detail::debugValue("ExportOptions.file = ", m_file);
    if (!m_formatVersion.empty()) json::put(value, allocator, L"format_version", m_formatVersion);
    detail::debugValue("ExportOptions.formatVersion = ", m_formatVersion);
    if (m_geometryFlags != 0) json::put(value, allocator, L"geometry_flags", m_geometryFlags);
    detail::logWith(vx_bridge::kDebug, [&](std::ostream& os) {
        os << "ExportOptions.geometryFlags = " << m_geometryFlags;
    });
    m_formatOptions.write(value, allocator, m_file);
}

void ExportOptionsImpl::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) throw std::invalid_argument("!object.IsObject()");
    m_file = detail::requiredString(value, L"file", "Json document has no valid file path.");
    detail::debugValue("ExportOptions.file = ", m_file);
    if (json::get(value, L"format_version", m_formatVersion))
        detail::debugValue("ExportOptions.formatVersion = ", m_formatVersion);
    if (json::get(value, L"geometry_flags", m_geometryFlags)) {
        detail::logWith(vx_bridge::kDebug, [&](std::ostream& os) {
            os << "ExportOptions.geometryFlags = " << m_geometryFlags;
        });
    }
    m_formatOptions.read(value, m_file);
}

}  // namespace trx
