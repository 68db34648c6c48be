// Writes the seed corpora: documents, segments and saved data the library itself produces.
// Usage: fuzz_seeds <corpus dir>   (one sub-directory per target, which must exist)

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "acis/acis.h"
#include "trx_api/trx_api.h"
#include "trx_api/trx_api_acis_attrib_id.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"

using namespace trx;

namespace {

const wchar_t* const kNames[] = {
#include "object_names.inc"
};

std::string g_root;

void put(const std::string& target, const std::string& bytes) {
    static int counter = 0;
    std::ofstream f(g_root + "/" + target + "/seed_" + std::to_string(counter++),
                    std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string text(const mp::ISerializable& object) {
    std::wostringstream os;
    object.writeObject(os);
    return toNarrow(os.str());
}

std::string text(const IJsonObject& object) {
    JsonDocument doc;
    object.writeObject(doc, doc.GetAllocator());
    std::wostringstream os;
    JsonTextIO::write(os, doc, false);
    return toNarrow(os.str());
}

// One JSON text for the readers of plain documents, in text, binary and packed form.
void document(const std::string& json) {
    put("json_text", json);
    JsonDocument doc;
    doc.Parse(toWide(json).c_str());
    std::string binary;
    JsonBinaryIO::write(binary, doc);
    put("binary_json", binary);
    std::string packed;
    Compressor::compress(packed, binary.data(), binary.size());
    put("decompress", packed);
}

std::string saved(const ENTITY_LIST& list) {
    ExcSharedAcisBuffer file(L"unused", false);
    api_save_entity_list_file(&file, list);
    return file.data();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    g_root = argv[1];

    // Stream readers: the first byte picks the reader.
    Command import;
    import.setType(Command::Import);
    import.setImportOptions(Command::newImportOptions());
    Command exportCommand;
    exportCommand.setType(Command::Export);
    exportCommand.setExportOptions(Command::newExportOptions());
    for (const Command* c : {&import, &exportCommand}) put("stream_readers", '\0' + text(*c));
    Result result;
    result.setMessage(L"done");
    put("stream_readers", '\1' + text(result));
    BridgeInfo info;
    info.setName(L"bridge");
    info.newImportFormat().addExtension(L"stp");
    put("stream_readers", '\2' + text(info));
    document(text(import));

    // Every registered object: in its envelope and bare.
    const std::size_t count = std::size(kNames);
    for (std::size_t i = 0; i < count; ++i) {
        auto object = ExchangeObjectRegistry::instance().get(kNames[i]);
        const std::string bare = text(*object);
        put("exchange_objects", std::string(1, char(i)) + bare);
        if (!object->binary()) put("stream_readers", '\3' + text(ExchangeObjectWrapper(object)));
        document(bare);
    }
    // Every option group, made from its classification.
    for (const wchar_t* op : {L"options", L"import", L"export"}) {
        for (const wchar_t* format :
             {L"general", L"graphical", L"mechanical", L"modeler", L"ACIS", L"parasolid",
              L"CatiaV5", L"CatiaV5Drawing", L"CatiaV4", L"IGES", L"STEP", L"STL", L"Creo", L"NX",
              L"SolidWorks", L"SolidWorksDrawing", L"SolidEdge", L"JT", L"Inventor", L"PDF_3D",
              L"XML_3D", L"XCGM"}) {
            JsonDocument doc;
            doc.Parse((std::wstring(L"{\"operation_type\":\"") + op + L"\",\"format_type\":\"" +
                       format + L"\"}").c_str());
            if (auto group = IFormatOptions::readOptions(doc))
                put("exchange_objects", std::string(1, char(count)) + text(*group));
        }
    }

    std::wstring encoded;
    Base64::encode(std::vector<double>{0.0, -1.5, 1e300, 3.25}, encoded);
    put("base64", toNarrow(encoded));
    Base64::encode(std::vector<char>{'a', 'b', 'c', 'd', 'e'}, encoded);
    put("base64", toNarrow(encoded));

    // Saved modeller data, plain and packed as a segment may hold it.
    BODY* body = ACIS_NEW BODY("shaft");
    body->add_triangle({0, 0, 0}, {3, 0, 0}, {0, 0, -4});
    ACIS_NEW ATTRIB_BRIDGE_ID(body, 42);
    BODY* other = ACIS_NEW BODY("housing");
    ENTITY_LIST list;
    list.add(body);
    list.add(other);
    const std::string bytes = saved(list);
    put("acis_restore", bytes);
    put("acis_buffer_load", bytes);
    std::string packed;
    Compressor::compress(packed, bytes.data(), bytes.size());
    put("acis_buffer_load", packed);
    put("decompress", packed);
    ENTITY_LIST one;
    one.add(other);
    put("acis_restore", saved(one));
    body->lose();
    other->lose();
    return 0;
}
