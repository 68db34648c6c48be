#include "trx_api_bridge_info.h"

#include <cwctype>
#include <regex>
#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/fields.h"
#include "detail/option_sets.h"
#include "detail/trace.h"

namespace trx {

TRX_ENUM(EParasolidMode, direct, kernel);

// ---- ThirdpartyCore ----

void ThirdpartyCore::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject())
        throw std::invalid_argument("ThirdpartyCore::readFrom > !jsonObject.IsObject()");
    json::get(value, L"name", m_name);
    json::get(value, L"version", m_version);
}

void ThirdpartyCore::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"name", m_name);
    json::put(value, allocator, L"version", m_version);
}

// ---- Format ----

namespace {

std::wstring lowerCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

// Whether the whole name matches a pattern in which '*' stands for any run of characters.
// Iterative: on a mismatch it returns to the last '*' and lets it take one more character,
// so the cost stays within length(name) * length(pattern) and nothing recurses.
bool wildcardMatch(const std::wstring& pattern, const std::wstring& name) {
    std::size_t p = 0, n = 0;
    std::size_t star = std::wstring::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++p;
            ++n;
        } else if (star != std::wstring::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

// Matching uses the non-recursive executor where the standard library offers one: the default
// one recurses once per character and overflows the stack on long names.
bool regexMatch(const std::wstring& expression, const std::wstring& name) {
    auto flags = std::regex_constants::ECMAScript;
#if defined(__GLIBCXX__)
    flags |= std::regex_constants::__polynomial;
#endif
    try {
        return std::regex_match(name, std::wregex(expression, flags));
    } catch (const std::exception&) {
        detail::logWith(vx_bridge::kError, [&](std::ostream& os) {
            os << "Format: unusable regular expression " << toNarrow(expression);
        });
        return false;
    }
}

}  // namespace

std::vector<std::wstring> Format::getFilters() const {
    std::vector<std::wstring> filters;
    filters.reserve(m_filters.size());
    for (const auto& filter : m_filters) filters.push_back(m_description + L"|" + filter);
    return filters;
}

bool Format::is(const std::wstring& fileName) const {
    const std::wstring name = lowerCase(fileName);
    for (const auto& expression : m_regex)
        if (regexMatch(expression, name)) return true;
    for (const auto& filter : m_filters) {
        const std::wstring patterns = lowerCase(filter);
        std::size_t begin = 0;
        while (true) {
            const std::size_t end = patterns.find(L';', begin);
            if (wildcardMatch(patterns.substr(begin, end - begin), name)) return true;
            if (end == std::wstring::npos) break;
            begin = end + 1;
        }
    }
    return false;
}

void Format::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!value.IsObject()) throw std::invalid_argument("Format::readFrom > !jsonObject.IsObject()");
    json::get(value, L"description", m_description);
    json::get(value, L"extensions", m_extensions);
    json::get(value, L"filters", m_filters);
}

void Format::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"description", m_description);
    json::put(value, allocator, L"extensions", m_extensions);
    json::put(value, allocator, L"filters", m_filters);
}

// ---- BridgeInfo ----

void BridgeInfo::addThirdpartyCore(const std::shared_ptr<ThirdpartyCore>& core) {
    if (core) m_cores.push_back(core);
}

ThirdpartyCore& BridgeInfo::newThirdpartyCore() {
    m_cores.push_back(std::make_shared<ThirdpartyCore>());
    return *m_cores.back();
}

void BridgeInfo::addImportFormat(const std::shared_ptr<Format>& format) {
    if (format) m_importFormats.push_back(format);
}

void BridgeInfo::addImportFormats(const std::vector<std::shared_ptr<Format>>& formats) {
    for (const auto& format : formats) addImportFormat(format);
}

Format& BridgeInfo::newImportFormat() {
    m_importFormats.push_back(std::make_shared<Format>());
    return *m_importFormats.back();
}

void BridgeInfo::addExportFormat(const std::shared_ptr<Format>& format) {
    if (format) m_exportFormats.push_back(format);
}

void BridgeInfo::addExportFormats(const std::vector<std::shared_ptr<Format>>& formats) {
    for (const auto& format : formats) addExportFormat(format);
}

Format& BridgeInfo::newExportFormat() {
    m_exportFormats.push_back(std::make_shared<Format>());
    return *m_exportFormats.back();
}

void BridgeInfo::writeObject(std::wostream& os) const {
    TRX_TRACE();
    JsonDocument doc;
    auto& a = doc.GetAllocator();
    doc.SetObject();
    json::put(doc, a, L"name", m_name);
    json::put(doc, a, L"version", m_version);
    json::put(doc, a, L"bridge_interface", m_requestedInterface);
    if (!m_cores.empty()) json::put(doc, a, L"thirdparty_cores", m_cores);
    json::put(doc, a, L"parasolid_mode", m_parasolidMode);
    if (!m_importFormats.empty()) json::put(doc, a, L"import_formats", m_importFormats);
    if (!m_exportFormats.empty()) json::put(doc, a, L"export_formats", m_exportFormats);
    json::put(doc, a, L"modeler_version", m_modelerMajorVersion);
    JsonTextIO::write(os, doc, true);
}

void BridgeInfo::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");
    json::get(doc, L"name", m_name);
    json::get(doc, L"version", m_version);
    std::wstring name;
    if (json::get(doc, L"bridge_interface", name))
        m_requestedInterface = detail::interfaceFromName(name);
    // Elements that are not objects throw from the element's reader.
    json::get(doc, L"thirdparty_cores", m_cores);
    json::get(doc, L"parasolid_mode", m_parasolidMode);
    json::get(doc, L"import_formats", m_importFormats);
    json::get(doc, L"export_formats", m_exportFormats);
    json::get(doc, L"modeler_version", m_modelerMajorVersion);
}

}  // namespace trx
