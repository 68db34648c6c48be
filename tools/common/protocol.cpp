#include "protocol.h"

#include <sstream>

#include "framing.h"
#include "mp/serializable.h"

namespace trx::tools {

DocumentKind kindOf(const JsonValue& root) {
    if (!root.IsObject()) return DocumentKind::unknown;
    if (root.HasMember(L"exchange_object_name")) return DocumentKind::envelope;
    if (root.HasMember(L"command")) return DocumentKind::command;
    if (root.HasMember(L"code")) return DocumentKind::result;
    if (root.HasMember(L"parasolid_mode") || root.HasMember(L"modeler_version") ||
        root.HasMember(L"import_formats") || root.HasMember(L"export_formats"))
        return DocumentKind::bridgeInfo;
    return DocumentKind::unknown;
}

const char* kindName(DocumentKind kind) {
    switch (kind) {
        case DocumentKind::envelope: return "envelope";
        case DocumentKind::command: return "command";
        case DocumentKind::result: return "result";
        case DocumentKind::bridgeInfo: return "bridge info";
        case DocumentKind::unknown: break;
    }
    return "unknown";
}

std::wstring segmentOf(const JsonValue& envelope) {
    if (!envelope.IsObject()) return {};
    const auto data = envelope.FindMember(L"exchange_object_data");
    if (data == envelope.MemberEnd()) return {};
    const auto binary = envelope.FindMember(L"binary");
    if (binary != envelope.MemberEnd() && binary->value.IsBool() && binary->value.GetBool())
        return data->value.IsString() ? std::wstring(data->value.GetString()) : std::wstring();
    if (data->value.IsObject()) {
        const auto name = data->value.FindMember(L"shared_acis_buffer_name");
        if (name != data->value.MemberEnd() && name->value.IsString())
            return name->value.GetString();
    }
    return {};
}

bool parseDocument(const std::wstring& text, JsonDocument& doc) {
    std::wistringstream in(text);
    JsonTextIO::read(in, doc);
    return !doc.HasParseError();
}

std::wstring textOf(const mp::ISerializable& document) {
    std::wostringstream out;
    document.writeObject(out);
    return out.str();
}

bool sendDocument(int fd, const mp::ISerializable& document) {
    return writeFrame(fd, textOf(document));
}

}  // namespace trx::tools
