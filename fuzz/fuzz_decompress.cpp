#include <stdexcept>
#include <string>

#include "trx_api/trx_api_compression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    try {
        std::string out;
        // The default limit: what a receiver really uses.
        trx::Compressor::decompress(out, bytes, size);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
