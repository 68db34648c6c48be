#include <stdexcept>
#include <string>

#include "trx_api/trx_api_compression.h"

namespace {

// Small chunks on two threads, so that every input of some size is written in chunks.
const bool g_chunked = [] {
    trx::Compressor::Parallelism p;
    p.threads = 2;
    p.chunkSize = 97;
    p.minParallelSize = 0;
    trx::Compressor::setParallelism(p);
    return true;
}();

}  // namespace

// The input as compressed data (any reader's damage is an error, never a crash), then as a
// payload: compressed in chunks, it must expand to itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    try {
        std::string out;
        // The default limit: what a receiver really uses.
        trx::Compressor::decompress(out, bytes, size);
    } catch (const std::runtime_error&) {
    }
    std::string packed, back;
    trx::Compressor::compress(packed, bytes, size, size % 13);
    trx::Compressor::decompress(back, packed.data(), packed.size());
    if (back != std::string(bytes, size)) __builtin_trap();
    return 0;
}
