// The flat option sets of the legacy interface.

#include <stdexcept>

#include "../detail/enum_table.h"
#include "../detail/fields.h"
#include "../detail/option_sets.h"
#include "../detail/trace.h"

namespace trx {
namespace {

// The legacy modes are plain integers counted from 0; these types give each its name table.
enum class LegacyPmiMode : std::int32_t { none, graphical, semantic };
enum class LegacyImportStructureMode : std::int32_t { none, as_blocks, as_mechanical_components };
enum class LegacyColorsMode : std::int32_t { rgb, matching_index, nearest_index };
enum class LegacyImportHiddenMode : std::int32_t { import_hide, import_show, do_not_import };
enum class LegacyExportStructureMode : std::int32_t { none, as_mechanical_components };
enum class LegacyExportHiddenMode : std::int32_t { export_hide, do_not_export };
enum class DrawingUnits : std::int32_t {
    undefined, inches, feet, miles, millimeters, centimeters, meters, kilometers, microinches,
    mils, yards, angstroms, nanometers, microns, decimeters, dekameters, hectometers, gigameters,
    astronomical, light_years, parsecs, us_survey_feet, us_survey_inch, us_survey_yard,
    us_survey_mil
};

}  // namespace

TRX_ENUM_TABLE(LegacyPmiMode, none, graphical, semantic)

TRX_ENUM_TABLE(LegacyImportStructureMode, none, as_blocks, as_mechanical_components)

TRX_ENUM_TABLE(LegacyColorsMode, rgb, matching_index, nearest_index)

TRX_ENUM_TABLE(LegacyImportHiddenMode, import_hide, import_show, do_not_import)

TRX_ENUM_TABLE(LegacyExportStructureMode, none, as_mechanical_components)

TRX_ENUM_TABLE(LegacyExportHiddenMode, export_hide, do_not_export)

// The unit codes of drawing files.
TRX_ENUM_TABLE(DrawingUnits, undefined, inches, feet, miles, millimeters, centimeters, meters,
    kilometers, microinches, mils, yards, angstroms, nanometers, microns, decimeters, dekameters,
    hectometers, gigameters, astronomical, light_years, parsecs, us_survey_feet, us_survey_inch,
    us_survey_yard, us_survey_mil)

namespace {

template <class E>
void putMode(JsonValue& object, JsonAllocator& allocator, const wchar_t* key, int mode) {
    json::put(object, allocator, key, static_cast<E>(mode));
}

// Reads a named mode into its integer field; true when the member was taken.
template <class E>
bool getMode(const JsonValue& object, const wchar_t* key, int& mode) {
    E value{};
    if (!json::get(object, key, value)) return false;
    mode = static_cast<int>(value);
    return true;
}

void putFlag(JsonValue& object, JsonAllocator& allocator, const wchar_t* key, bool flag) {
    if (flag) json::put(object, allocator, key, true);
}

// A member read optionally, reported with its value in a DEBUG record.
template <class T>
void getLogged(const JsonValue& object, const wchar_t* key, T& field, const char* text) {
    if (!json::get(object, key, field)) return;
    detail::logWith(vx_bridge::kDebug, [&](std::ostream& os) {
        if constexpr (std::is_enum_v<T>) os << text << toNarrow(enumToString(field));
        else os << text << std::boolalpha << field;
    });
}
template <class E>
void getModeLogged(const JsonValue& object, const wchar_t* key, int& mode, const char* text) {
    if (!getMode<E>(object, key, mode)) return;
    detail::logWith(vx_bridge::kDebug, [&](std::ostream& os) { os << text << mode; });
}

// Drawing handles travel as unsigned 64-bit numbers, so every stored value, even one with the
// top bit set, reads back unchanged.
JsonValue handlesToJson(const std::vector<std::int64_t>& handles, JsonAllocator& allocator) {
    JsonValue array(rapidjson::kArrayType);
    array.Reserve(static_cast<rapidjson::SizeType>(handles.size()), allocator);
    for (const std::int64_t h : handles) array.PushBack(static_cast<std::uint64_t>(h), allocator);
    return array;
}

bool handleFromJson(const JsonValue& v, std::int64_t& handle) {
    if (!v.IsUint64()) return false;
    handle = static_cast<std::int64_t>(v.GetUint64());
    return true;
}

void readHandles(const JsonValue& object, const wchar_t* key, std::vector<std::int64_t>& handles) {
    const JsonValue* list = json::member(object, key);
    if (list == nullptr || !list->IsArray()) return;
    for (const auto& element : list->GetArray()) {
        std::int64_t handle = 0;
        if (handleFromJson(element, handle)) handles.push_back(handle);
    }
}

}  // namespace

// ---- import ----

bool LegacyImportOptionsImpl::hasAlternateSearchPath(const std::wstring& key) const {
    return m_alternateSearchPaths.count(key) != 0;
}

const std::wstring& LegacyImportOptionsImpl::alternateSearchPath(const std::wstring& key) const {
    static const std::wstring kNone;
    const auto it = m_alternateSearchPaths.find(key);
    return it != m_alternateSearchPaths.end() ? it->second : kNone;
}

void LegacyImportOptionsImpl::setAlternateSearchPath(const std::wstring& key,
                                                     const std::wstring& path) {
    if (!path.empty()) m_alternateSearchPaths[key] = path;
}

void LegacyImportOptionsImpl::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"file", m_file);
    json::put(value, allocator, L"temporary_dwg", m_temporaryDwg);
    m_formatOptions.write(value, allocator, m_file);
    putFlag(value, allocator, L"use_interop_mp", m_useIopMP);
    putMode<LegacyPmiMode>(value, allocator, L"pmi_mode", m_pmiMode);
    putMode<LegacyImportStructureMode>(value, allocator, L"product_structure_mode",
                                       m_productStructureMode);
    putMode<LegacyColorsMode>(value, allocator, L"colors_mode", m_colorsMode);
    putMode<LegacyImportHiddenMode>(value, allocator, L"hidden_parts_mode", m_hiddenPartsMode);
    putMode<DrawingUnits>(value, allocator, L"ins_units_def_source", m_insUnitsDefSource);
    putFlag(value, allocator, L"ins_units_scaling", m_insUnitsScaling);
    // Both keys carry the one flag.
    putFlag(value, allocator, L"import_acis_natively", m_importAcisNatively);
    putFlag(value, allocator, L"import_acis_with_veltrix", m_importAcisNatively);
    putFlag(value, allocator, L"step_rotate_yz", m_stepRotateYZ);
    putFlag(value, allocator, L"solidworks_rotate_yz", m_solidWorksRotateYZ);
    json::put(value, allocator, L"edge_attribute_mode", m_catiaV5EdgeAttributeMode);
    if (!m_alternateSearchPaths.empty()) {
        JsonValue paths(rapidjson::kObjectType);
        for (const auto& entry : m_alternateSearchPaths)
            paths.AddMember(json::toJson(entry.first, allocator),
                            json::toJson(entry.second, allocator), allocator);
        value.AddMember(L"alternate_search_paths", paths, allocator);
    }
    putFlag(value, allocator, L"debug_log", m_printDebugLog);
}

void LegacyImportOptionsImpl::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) throw std::invalid_argument("!object.IsObject()");
    m_file = detail::requiredString(value, L"file", "Json document has no valid file path.");
    detail::debugValue("LegacyImportOptions.file = ", m_file);
    m_temporaryDwg = detail::requiredString(value, L"temporary_dwg",
                                            "Json document has no valid temporary dwg path.");
    detail::debugValue("LegacyImportOptions.temporaryDwg = ", m_temporaryDwg);
    m_formatOptions.read(value, m_file);

    getLogged(value, L"use_interop_mp", m_useIopMP, "LegacyImportOptions.useIopMP = ");
    getModeLogged<LegacyPmiMode>(value, L"pmi_mode", m_pmiMode, "LegacyImportOptions.pmiMode = ");
    getModeLogged<LegacyImportStructureMode>(value, L"product_structure_mode",
                                             m_productStructureMode,
                                             "LegacyImportOptions.productStructureMode = ");
    getModeLogged<LegacyColorsMode>(value, L"colors_mode", m_colorsMode,
                                    "LegacyImportOptions.colorsMode = ");
    getModeLogged<LegacyImportHiddenMode>(value, L"hidden_parts_mode", m_hiddenPartsMode,
                                          "LegacyImportOptions.hiddenPartsMode = ");
    getModeLogged<DrawingUnits>(value, L"ins_units_def_source", m_insUnitsDefSource,
                                "LegacyImportOptions.insUnitsDefSource = ");
    getLogged(value, L"ins_units_scaling", m_insUnitsScaling,
              "LegacyImportOptions.insUnitsScaling = ");
    // Both keys carry the one flag; the generic key is read last and wins.
    getLogged(value, L"import_acis_with_veltrix", m_importAcisNatively,
              "LegacyImportOptions.importAcisNatively = ");
    getLogged(value, L"import_acis_natively", m_importAcisNatively,
              "LegacyImportOptions.importAcisNatively = ");
    getLogged(value, L"step_rotate_yz", m_stepRotateYZ, "LegacyImportOptions.StepRotateYZ = ");
    getLogged(value, L"solidworks_rotate_yz", m_solidWorksRotateYZ,
              "LegacyImportOptions.SolidWorksRotateYZ = ");
    getLogged(value, L"edge_attribute_mode", m_catiaV5EdgeAttributeMode,
              "LegacyImportOptions.CatiaV5EdgeAttributeMode = ");
    const JsonValue* paths = json::member(value, L"alternate_search_paths");
    if (paths != nullptr && paths->IsObject()) {
        for (const auto& entry : paths->GetObject()) {
            if (!entry.value.IsString()) continue;
            const std::wstring key = entry.name.GetString();
            const std::wstring path = entry.value.GetString();
            setAlternateSearchPath(key, path);
            detail::logWith(vx_bridge::kDebug, [&](std::ostream& os) {
                os << "LegacyImportOptions.AlternateSearchPaths for " << toNarrow(key) << " = "
                   << toNarrow(path);
            });
        }
    }
    getLogged(value, L"debug_log", m_printDebugLog, "LegacyImportOptions.PrintDebugLog = ");
}

// ---- export ----

void LegacyExportOptionsImpl::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"file", m_file);
    json::put(value, allocator, L"temporary_dwg", m_temporaryDwg);
    if (!m_formatVersion.empty()) json::put(value, allocator, L"format_version", m_formatVersion);
    if (m_geometryFlags != 0) json::put(value, allocator, L"geometry_flags", m_geometryFlags);
    putFlag(value, allocator, L"ins_units_scaling", m_insUnitsScaling);
    putMode<DrawingUnits>(value, allocator, L"ins_units_def_target", m_insUnitsDefTarget);
    putMode<LegacyExportStructureMode>(value, allocator, L"product_structure_mode",
                                       m_productStructureMode);
    putMode<LegacyExportHiddenMode>(value, allocator, L"hidden_parts_mode", m_hiddenPartsMode);
    if (!m_selectionSet.empty())
        value.AddMember(L"selection_set", handlesToJson(m_selectionSet, allocator), allocator);
    if (!m_componentNames.empty()) {
        JsonValue names(rapidjson::kArrayType);
        for (const auto& entry : m_componentNames) {
            JsonValue component(rapidjson::kObjectType);
            component.AddMember(L"component_handle", static_cast<std::uint64_t>(entry.first),
                                allocator);
            json::put(component, allocator, L"component_name", entry.second);
            names.PushBack(component, allocator);
        }
        value.AddMember(L"component_names", names, allocator);
    }
    if (!m_hiddenComponents.empty()) {
        value.AddMember(L"hidden_components", handlesToJson(m_hiddenComponents, allocator),
                        allocator);
    }
    // Each version is written only when it differs from its default.
    const struct {
        const wchar_t* key;
        int version;
        int unset;
    } versions[] = {
        {L"step_format_version", stepFormatVersion(), 2},
        {L"acis_format_version", acisFormatVersion(), 0},
        {L"catiav4_format_version", catiaV4FormatVersion(), 0},
        {L"catiav5_format_version", catiaV5FormatVersion(), 0},
        {L"parasolid_format_version", parasolidFormatVersion(), 0},
        {L"xcgm_format_version", xcgmFormatVersion(), 0},
    };
    for (const auto& v : versions)
        if (v.version != v.unset) json::put(value, allocator, v.key, v.version);
    putFlag(value, allocator, L"debug_log", m_printDebugLog);
}

void LegacyExportOptionsImpl::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) throw std::invalid_argument("!object.IsObject()");
    m_file = detail::requiredString(value, L"file", "Json document has no valid file path.");
    detail::debugValue("LegacyExportOptions.file = ", m_file);
    m_temporaryDwg = detail::requiredString(value, L"temporary_dwg",
                                            "Json document has no valid temporary dwg path.");
    detail::debugValue("LegacyExportOptions.temporaryDwg = ", m_temporaryDwg);
    json::get(value, L"format_version", m_formatVersion);
    json::get(value, L"geometry_flags", m_geometryFlags);
    json::get(value, L"ins_units_scaling", m_insUnitsScaling);
    getMode<DrawingUnits>(value, L"ins_units_def_target", m_insUnitsDefTarget);
    getMode<LegacyExportStructureMode>(value, L"product_structure_mode", m_productStructureMode);
    getMode<LegacyExportHiddenMode>(value, L"hidden_parts_mode", m_hiddenPartsMode);
    readHandles(value, L"selection_set", m_selectionSet);
    const JsonValue* names = json::member(value, L"component_names");
    if (names != nullptr && names->IsArray()) {
        for (const auto& element : names->GetArray()) {
            const JsonValue* handle = json::member(element, L"component_handle");
            std::int64_t h = 0;
            std::wstring name;
            if (handle != nullptr && handleFromJson(*handle, h) &&
                json::get(element, L"component_name", name))
                m_componentNames[h] = name;
        }
    }
    readHandles(value, L"hidden_components", m_hiddenComponents);
    json::get(value, L"step_format_version", m_stepFormatVersion);
    json::get(value, L"acis_format_version", m_acisFormatVersion);
    json::get(value, L"catiav4_format_version", m_catiaV4FormatVersion);
    json::get(value, L"catiav5_format_version", m_catiaV5FormatVersion);
    json::get(value, L"parasolid_format_version", m_parasolidFormatVersion);
    json::get(value, L"xcgm_format_version", m_xcgmFormatVersion);
    json::get(value, L"debug_log", m_printDebugLog);
}

}  // namespace trx
