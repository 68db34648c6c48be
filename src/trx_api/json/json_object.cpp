#include "../detail/binary_reader.h"
#include "../detail/binary_writer.h"
#include "json_object.h"

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <rapidjson/prettywriter.h>
#include <rapidjson/writer.h>

#include "../detail/blocks.h"

namespace trx {

void* JsonBlockAllocator::Malloc(std::size_t size) {
    return size == 0 ? nullptr : detail::allocateBlock(size);
}

void* JsonBlockAllocator::Realloc(void* block, std::size_t oldSize, std::size_t newSize) {
    if (newSize == 0) {
        Free(block);
        return nullptr;
    }
    return detail::resizeBlock(block, oldSize, newSize);
}

void JsonBlockAllocator::Free(void* block) { detail::freeBlock(block); }

void JsonBlockAllocator::releaseRetained() { detail::releaseRetainedBlocks(); }

void IJsonObject::writeBinary(detail::BinaryWriter& out) const {
    out.throughValue([this](JsonAllocator& a) {
        JsonValue value;
        writeObject(value, a);
        return value;
    });
}

void IJsonObject::readBinary(detail::BinaryReader& in) {
    in.throughValue([this](const JsonValue& value) { readObject(value); });
}

namespace {

// Buffered output onto a wide stream: the writer puts one character at a time, the
// stream receives blocks.
class WideOutStream {
public:
    using Ch = wchar_t;
    explicit WideOutStream(std::wostream& os) : os_(os) {}
    ~WideOutStream() { drain(); }
    void Put(Ch c) {
        if (used_ == sizeof(buf_) / sizeof(buf_[0])) drain();
        buf_[used_++] = c;
    }
    void Flush() {
        drain();
        os_.flush();
    }

private:
    void drain() {
        if (used_ != 0) os_.write(buf_, static_cast<std::streamsize>(used_));
        used_ = 0;
    }
    std::wostream& os_;
    wchar_t buf_[4096];
    std::size_t used_ = 0;
};

// Input from a wide stream for the parser. The text ends at the end of the stream or at
// the first U+0000. It also ends, early, where containers nest deeper than the limit,
// so the parser reports an error instead of building a value its recursive users
// (writer, copy, comparison) could not handle.
class WideInStream {
public:
    using Ch = wchar_t;
    explicit WideInStream(std::wistream& is) : buf_(is.rdbuf()) {}

    Ch Peek() const { return current(); }
    Ch Take() {
        const Ch c = current();
        if (c == 0) return 0;
        buf_->sbumpc();
        ++count_;
        track(c);
        return c;
    }
    std::size_t Tell() const { return count_; }
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    Ch current() const {
        if (tooDeep_ || buf_ == nullptr) return 0;
        const auto c = buf_->sgetc();
        return c == std::wstreambuf::traits_type::eof() ? 0 : static_cast<Ch>(c);
    }
    void track(Ch c) {
        if (inString_) {
            if (escaped_) escaped_ = false;
            else if (c == L'\\') escaped_ = true;
            else if (c == L'"') inString_ = false;
            return;
        }
        if (c == L'"') inString_ = true;
        else if (c == L'[' || c == L'{') tooDeep_ = ++depth_ > JsonTextIO::kMaxDepth;
        else if ((c == L']' || c == L'}') && depth_ > 0) --depth_;
    }
    std::wstreambuf* buf_;
    std::size_t count_ = 0;
    unsigned depth_ = 0;
    bool inString_ = false;
    bool escaped_ = false;
    bool tooDeep_ = false;
};

template <class Writer>
void writeWith(Writer& writer, const JsonDocument& doc) {
    if (!doc.Accept(writer)) throw std::runtime_error("Cannot write object into json document");
}

}  // namespace

std::wostream& JsonTextIO::write(std::wostream& os, const JsonDocument& doc, bool pretty) {
    WideOutStream out(os);
    if (pretty) {
        rapidjson::PrettyWriter<WideOutStream, JsonEncoding, JsonEncoding> writer(out);
        writer.SetIndent(' ', 2);
        writer.SetFormatOptions(rapidjson::kFormatSingleLineArray);
        writeWith(writer, doc);
    } else {
        rapidjson::Writer<WideOutStream, JsonEncoding, JsonEncoding> writer(out);
        writeWith(writer, doc);
    }
    return os;
}

namespace {

// The reader's depth limit bounds the recursion.
bool allFinite(const JsonValue& v) {
    if (v.IsDouble()) return std::isfinite(v.GetDouble());
    if (v.IsArray()) {
        for (const auto& item : v.GetArray())
            if (!allFinite(item)) return false;
    } else if (v.IsObject()) {
        for (const auto& m : v.GetObject())
            if (!allFinite(m.value)) return false;
    }
    return true;
}

}  // namespace

std::wistream& JsonTextIO::read(std::wistream& is, JsonDocument& doc) {
    constexpr unsigned kFlags = rapidjson::kParseIterativeFlag;
    WideInStream in(is);
    doc.ParseStream<kFlags, JsonEncoding>(in);
    // The parser refuses "1e309" but takes "330e307" as infinity, which no JSON text can
    // hold: such a document could not even be written back. It fails the way "1e309" does.
    if (!doc.HasParseError() && !allFinite(doc)) doc.Parse<kFlags>(L"1e309");
    return is;
}

void JsonTextIO::writeToFile(const JsonDocument& doc, const std::wstring& path) {
    std::wostringstream text;
    write(text, doc, true);
    std::ofstream file(toNarrow(path), std::ios::out | std::ios::trunc);
    if (!file) return;
    const std::string narrow = toNarrow(text.str());
    file.write(narrow.data(), static_cast<std::streamsize>(narrow.size()));
}

void JsonTextIO::writeToFile(const IJsonObject& object, const std::wstring& path) {
    JsonDocument doc;
    object.writeObject(doc, doc.GetAllocator());
    writeToFile(doc, path);
}

std::string toNarrow(const wchar_t* text) {
    std::string out;
    if (text == nullptr) return out;
    for (; *text != 0; ++text) {
        auto cp = static_cast<std::uint32_t>(*text);
        if (sizeof(wchar_t) == 2 && cp >= 0xD800 && cp <= 0xDBFF && text[1] >= 0xDC00 &&
            text[1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(text[1]) - 0xDC00);
            ++text;
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out += '?';  // not representable in UTF-8
        } else if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

namespace {
void appendCodePoint(std::wstring& out, std::uint32_t cp) {
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<wchar_t>(cp);
    }
}
}  // namespace

std::wstring toWide(const char* text) {
    std::wstring out;
    if (text == nullptr) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0) {
        const unsigned char lead = *p;
        int extra = 0;
        std::uint32_t cp = 0, min = 0;
        if (lead < 0x80) { cp = lead; }
        else if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; min = 0x80; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; min = 0x800; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; min = 0x10000; }
        else { out += L'\uFFFD'; ++p; continue; }
        int taken = 1;
        for (; taken <= extra && (p[taken] & 0xC0) == 0x80; ++taken) cp = (cp << 6) | (p[taken] & 0x3F);
        const bool whole = taken == extra + 1;
        if (!whole || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += L'\uFFFD';  // invalid or overlong sequence: one replacement, resync after it
            p += whole ? taken : (taken > 1 ? taken : 1);
            continue;
        }
        appendCodePoint(out, cp);
        p += taken;
    }
    return out;
}

}  // namespace trx
