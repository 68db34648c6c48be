#include "protocol.h"

#include <sstream>

#include "framing.h"
#include "mp/serializable.h"
#include "mp/shared_buffer.h"

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
        return data->value.IsString() ? fullString(data->value) : std::wstring();
    if (data->value.IsObject()) {
        const auto name = data->value.FindMember(L"shared_acis_buffer_name");
        if (name != data->value.MemberEnd() && name->value.IsString())
            return fullString(name->value);
    }
    return {};
}

std::wstring fullString(const JsonValue& v) {
    return v.IsString() ? std::wstring(v.GetString(), v.GetStringLength()) : std::wstring();
}

namespace {
// Reads a string in place: a frame of tens of megabytes is not copied to be parsed.
class ViewBuffer : public std::wstreambuf {
public:
    explicit ViewBuffer(const std::wstring& text) {
        auto* begin = const_cast<wchar_t*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};
}  // namespace

bool parseDocument(const std::wstring& text, JsonDocument& doc) {
    ViewBuffer buffer(text);
    std::wistream in(&buffer);
    JsonTextIO::read(in, doc);
    return !doc.HasParseError();
}

std::wstring clip(const std::wstring& text, std::size_t max) {
    if (text.size() <= max) return text;
    return text.substr(0, max) + L"... (" + std::to_wstring(text.size()) + L" characters)";
}

std::string clip(const std::string& text, std::size_t max) {
    if (text.size() <= max) return text;
    // Not inside a UTF-8 sequence.
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return text.substr(0, cut) + "... (" + std::to_string(text.size()) + " bytes)";
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
