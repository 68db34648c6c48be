#include "trx_api_result.h"

#include <istream>
#include <ostream>
#include <stdexcept>

#include "detail/enum_table.h"
#include "detail/field_adapters.h"
#include "detail/trace.h"
#include "json/json_object.h"

namespace trx {

// Unknown names read as Unknown, unlike the general enumeration mechanism, whose unknown
// name would read as the first name in order ("error"). An unknown code writes "unknown".
TRX_ENUM_TABLE(Result::ECode, (Unknown, "unknown"), (Ok, "ok"), (Warning, "warning"), (Error, "error"),
               (Interrupted, "interrupted"));

namespace {

Result::ECode codeFromName(const std::wstring& name) {
    return enumFromStringOr(name, Result::Unknown);
}

}  // namespace

template <class Self, class F>
void Result::fields(Self& s, F&& f) {
    f(L"code", json::enumReadBy(s.m_code, codeFromName));
    f(L"message", s.m_message, !s.m_message.empty());
    f(L"is_finished", s.m_finished);
}

bool Result::operator==(const Result& o) const {
    return json::sameFields(*this, o, [](auto& s, auto&& f) { fields(s, f); });
}

void Result::writeObject(std::wostream& os) const {
    TRX_TRACE();
    JsonDocument doc;
    doc.SetObject();
    fields(*this, json::Writer{doc, doc.GetAllocator()});
    JsonTextIO::write(os, doc, true);
}

void Result::readObject(std::wistream& is) {
    TRX_TRACE();
    JsonDocument doc;
    JsonTextIO::read(is, doc);
    if (doc.HasParseError() || !doc.IsObject()) throw std::invalid_argument("Invalid json document");
    const JsonValue* code = json::member(doc, L"code");
    if (code == nullptr || !code->IsString()) throw std::invalid_argument("Json document has no result code.");
    fields(*this, json::Reader{doc});
}

}  // namespace trx
