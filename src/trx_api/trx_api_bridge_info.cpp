#include "trx_api_bridge_info.h"

#include <cwctype>
#include <regex>
#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/field_adapters.h"
#include "detail/option_sets.h"
#include "detail/trace.h"

namespace trx {

TRX_ENUM(EParasolidMode, direct, kernel);

// ---- ThirdpartyCore ----

// Cores and formats throw on a value that is not an object, where other records log it: a
// bridge that describes itself wrongly is unusable.
TRX_FIELDS_READING(ThirdpartyCore, IJsonObject, json::NotAnObject::raise) {
    f(L"name", s.m_name);
    f(L"version", s.m_version);
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

TRX_FIELDS_READING(Format, IJsonObject, json::NotAnObject::raise) {
    f(L"description", s.m_description);
    f(L"extensions", s.m_extensions);
    f(L"filters", s.m_filters);
    f(L"regex", json::localOnly(s.m_regex));
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

template <class Self, class F>
void BridgeInfo::fields(Self& s, F&& f) {
    f(L"name", s.m_name);
    f(L"version", s.m_version);
    f(L"bridge_interface", json::enumReadBy(s.m_requestedInterface, detail::interfaceFromName));
    // Elements that are not objects throw from the element's reader.
    f(L"thirdparty_cores", s.m_cores, !s.m_cores.empty());
    f(L"parasolid_mode", s.m_parasolidMode);
    f(L"import_formats", s.m_importFormats, !s.m_importFormats.empty());
    f(L"export_formats", s.m_exportFormats, !s.m_exportFormats.empty());
    f(L"modeler_version", s.m_modelerMajorVersion);
}

bool BridgeInfo::operator==(const BridgeInfo& o) const {
    return json::sameFields(*this, o, [](auto& s, auto&& f) { fields(s, f); });
}

void BridgeInfo::writeObject(std::wostream& os) const {
    TRX_TRACE();
    JsonDocument doc;
    doc.SetObject();
    fields(*this, json::Writer{doc, doc.GetAllocator()});
    JsonTextIO::write(os, doc, true);
}

void BridgeInfo::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");
    fields(*this, json::Reader{doc});
}

}  // namespace trx
