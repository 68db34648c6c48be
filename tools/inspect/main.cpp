// trx-inspect: shows one protocol document (envelope, command, result, bridge info) or one
// raw binary JSON value as pretty JSON, with what kind it is.

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <rapidjson/error/en.h>
#include <sstream>
#include <string>

#include "acis/acis.h"
#include "common/protocol.h"
#include "trx_api/trx_api.h"

using namespace trx;

namespace {

const char* kUsage =
    "usage: trx-inspect [--load] [--binary] [FILE]\n"
    "\n"
    "Reads one document from FILE (or standard input, also for '-'): an envelope, a\n"
    "command, a result or a bridge info, as text (a trailing NUL of a frame is allowed), or a\n"
    "raw binary JSON value, gzip-compressed or not (recognised by its first bytes, or forced\n"
    "with --binary). Prints its kind on the first line, then the document as pretty JSON,\n"
    "read and written again by the library.\n"
    "\n"
    "  --load    for an envelope that names a shared segment: load the object from it (this\n"
    "            removes the segment) and print the object's JSON\n"
    "\n"
    "Exit status: 0 shown; 1 the input is not such a document; 2 bad usage.\n";

struct BadInput : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string pretty(const JsonDocument& doc) {
    std::wostringstream out;
    JsonTextIO::write(out, doc, true);
    return toNarrow(out.str());
}

std::string prettyObject(const IJsonObject& object) {
    JsonDocument doc;
    object.writeObject(doc, doc.GetAllocator());
    return pretty(doc);
}

// Reads the document with its own class and writes it again.
template <class T>
std::string roundTrip(const std::wstring& text) {
    T document;
    std::wistringstream in(text);
    try {
        document.readObject(in);
    } catch (const std::exception& e) {
        throw BadInput(e.what());
    }
    std::wostringstream out;
    document.writeObject(out);
    return toNarrow(out.str());
}

// A restored block geometry: what its segment held.
std::string describeGeometry(const ExcBlockGeometry& geometry) {
    ENTITY_LIST entities;
    if (!geometry.getGeometry(entities)) throw BadInput("the block geometry cannot be restored");
    std::ostringstream out;
    out << "restored " << entities.count() << " entit" << (entities.count() == 1 ? "y" : "ies")
        << '\n';
    for (ENTITY* e : entities) {
        out << "  " << e->type_name();
        if (is_BODY(e)) {
            const auto* body = static_cast<const BODY*>(e);
            out << " \"" << body->name() << "\", " << body->triangle_count() << " triangles";
        }
        for (ATTRIB* a = e->attrib(); a; a = a->next())
            if (is_ATTRIB_BRIDGE_ID(a))
                out << ", bridge id " << static_cast<ATTRIB_BRIDGE_ID*>(a)->id();
        out << '\n';
    }
    for (ENTITY* e : entities) e->lose();
    return out.str();
}

std::string envelope(const std::wstring& text, const JsonDocument& doc, bool load,
                     std::string& kind) {
    const std::wstring segment = tools::segmentOf(doc);
    ExchangeObjectWrapper wrapper;
    wrapper.setDelayedLoading(true);  // the segment is read only when asked for
    std::wistringstream in(text);
    try {
        wrapper.readObject(in);
    } catch (const std::exception& e) {
        throw BadInput(e.what());
    }
    const auto object = wrapper.get();
    const auto name = doc.FindMember(L"exchange_object_name");
    if (!object)
        throw BadInput(
            "the envelope names no known exchange object (" +
            (name->value.IsString() ? toNarrow(name->value.GetString()) : std::string("no name")) +
            ")");
    kind = "envelope, " + toNarrow(object->objectName());
    if (segment.empty()) {
        kind += ", text form";
        JsonDocument out;
        out.CopyFrom(doc, out.GetAllocator());
        JsonValue data;
        object->writeObject(data, out.GetAllocator());
        out[L"exchange_object_data"] = data;
        return pretty(out);
    }
    kind += ", segment " + toNarrow(segment);
    if (!load) {
        kind += " (not loaded; --load reads and removes it)";
        return pretty(doc);
    }
    try {
        object->load();
    } catch (const std::exception& e) {
        throw BadInput("the segment cannot be loaded: " + std::string(e.what()));
    }
    if (!object->isLoaded()) throw BadInput("the segment cannot be loaded");
    kind += ", loaded";
    std::string out = prettyObject(*object);
    if (auto geometry = wrapper.getAs<ExcBlockGeometry>())
        out += "\n" + describeGeometry(*geometry);
    return out;
}

std::string binaryJson(std::string bytes, std::string& kind) {
    kind = "binary JSON";
    if (Compressor::isCompressed(bytes.data(), bytes.size())) {
        std::string expanded;
        try {
            Compressor::decompress(expanded, bytes.data(), bytes.size());
        } catch (const std::exception& e) {
            throw BadInput(std::string("cannot expand the compressed data: ") + e.what());
        }
        bytes.swap(expanded);
        kind += ", gzip-compressed";
    }
    JsonDocument doc;
    std::size_t used = 0;
    try {
        used = JsonBinaryIO::read(bytes.data(), bytes.size(), doc, doc.GetAllocator());
    } catch (const std::exception& e) {
        throw BadInput(std::string("not binary JSON: ") + e.what());
    }
    if (used != bytes.size())
        throw BadInput("binary JSON value ends at byte " + std::to_string(used) + " of " +
                       std::to_string(bytes.size()));
    return pretty(doc);
}

bool looksLikeText(const std::string& bytes) {
    const std::size_t bom = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    for (unsigned char c : bytes.substr(bom)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        return std::strchr("{[\"-0123456789tfn", c) != nullptr && c != 0;
    }
    return true;  // empty or blank: let the text reader say so
}

std::string inspect(std::string bytes, bool load, bool binary, std::string& kind) {
    if (binary || Compressor::isCompressed(bytes.data(), bytes.size()) || !looksLikeText(bytes))
        return binaryJson(std::move(bytes), kind);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);    // an editor's byte order mark
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();  // one frame
    if (bytes.find('\0') != std::string::npos)
        throw BadInput("the text holds a NUL byte: more than one document?");
    const std::wstring text = toWide(bytes);
    JsonDocument doc;
    if (!tools::parseDocument(text, doc))
        throw BadInput(std::string("not a JSON document: ") +
                       rapidjson::GetParseError_En(doc.GetParseError()) + " (at character " +
                       std::to_string(doc.GetErrorOffset()) + ")");
    const auto documentKind = tools::kindOf(doc);
    kind = tools::kindName(documentKind);
    switch (documentKind) {
        case tools::DocumentKind::envelope: return envelope(text, doc, load, kind);
        case tools::DocumentKind::command: return roundTrip<Command>(text);
        case tools::DocumentKind::result: return roundTrip<Result>(text);
        case tools::DocumentKind::bridgeInfo: return roundTrip<BridgeInfo>(text);
        case tools::DocumentKind::unknown: break;
    }
    throw BadInput("a JSON document, but no envelope, command, result or bridge info");
}

}  // namespace

int main(int argc, char** argv) {
    bool load = false;
    bool binary = false;
    std::string path = "-";
    bool pathGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--load") {
            load = true;
        } else if (arg == "--binary") {
            binary = true;
        } else if ((arg == "-" || arg[0] != '-') && !pathGiven) {
            path = arg;
            pathGiven = true;
        } else {
            std::cerr << "trx-inspect: bad argument '" << arg << "'\n" << kUsage;
            return 2;
        }
    }

    std::string bytes;
    if (path == "-") {
        bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << "trx-inspect: " << path << ": " << std::strerror(errno) << '\n';
            return 1;
        }
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) {
            std::cerr << "trx-inspect: " << path << ": cannot read the file\n";
            return 1;
        }
    }
    const std::string name = path == "-" ? "standard input" : path;
    try {
        std::string kind;
        const std::string out = inspect(std::move(bytes), load, binary, kind);
        std::cout << "kind: " << kind << '\n'
                  << out << (out.empty() || out.back() != '\n' ? "\n" : "");
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "trx-inspect: " << name << ": " << e.what() << '\n';
        return 1;
    }
}
