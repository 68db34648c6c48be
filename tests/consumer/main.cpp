// Touches each area once through the installed headers and library.
#include <trx_api/trx_api.h>

#include <iostream>
#include <sstream>

int main() {
    trx::Result result;
    result.setMessage(L"done");
    std::wstringstream text;
    result.writeObject(text);
    trx::Result back;
    back.readObject(text);

    trx::JsonDocument doc;
    doc.SetArray();
    doc.PushBack(trx::JsonValue(0.5), doc.GetAllocator());
    std::string binary, gz;
    trx::JsonBinaryIO::write(binary, doc);
    trx::Compressor::compress(gz, binary.data(), binary.size());

    try {
        mp::SharedBuffer<char> bad(L"../escape", true);
        return 1;
    } catch (const mp::SharedMemoryException&) {
    }
    const bool ok = back == result && trx::Compressor::isCompressed(gz.data(), gz.size()) &&
                    trx::enumToString(trx::ELengthUnitType::inch) == L"inch";
    std::cout << (ok ? "consumer ok" : "consumer FAILED") << std::endl;
    return ok ? 0 : 1;
}
