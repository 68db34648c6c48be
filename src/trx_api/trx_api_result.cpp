#include "trx_api_result.h"

#include <istream>
#include <ostream>
#include <stdexcept>

#include "detail/fields.h"
#include "detail/trace.h"
#include "json/json_object.h"

namespace trx {
namespace {

struct CodeName {
    Result::ECode code;
    const wchar_t* name;
};

// Both directions fall back to Unknown, unlike the general enumeration mechanism, whose
// unknown name would read as the first name in order ("error").
const CodeName kCodeNames[] = {{Result::Unknown, L"unknown"}, {Result::Ok, L"ok"},
                               {Result::Warning, L"warning"}, {Result::Error, L"error"},
                               {Result::Interrupted, L"interrupted"}};

const wchar_t* codeName(Result::ECode code) {
    for (const auto& e : kCodeNames)
        if (e.code == code) return e.name;
    return L"unknown";
}

Result::ECode codeFromName(const std::wstring& name) {
    for (const auto& e : kCodeNames)
        if (name == e.name) return e.code;
    return Result::Unknown;
}

}  // namespace

void Result::writeObject(std::wostream& os) const {
    TRX_TRACE();
    JsonDocument doc;
    auto& a = doc.GetAllocator();
    doc.SetObject();
    json::put(doc, a, L"code", std::wstring(codeName(m_code)));
    if (!m_message.empty()) json::put(doc, a, L"message", m_message);
    json::put(doc, a, L"is_finished", m_finished);
    JsonTextIO::write(os, doc, true);
}

void Result::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");
    std::wstring code;
    if (!json::get(doc, L"code", code)) throw std::invalid_argument("Json document has no result code.");
    m_code = codeFromName(code);
    json::get(doc, L"message", m_message);
    json::get(doc, L"is_finished", m_finished);
}

}  // namespace trx
