#include <stdexcept>

#include "fuzz_common.h"
#include "trx_api/trx_api_binary_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::JsonAllocator allocator;
    trx::JsonValue value;
    try {
        trx::JsonBinaryIO::read(reinterpret_cast<const char*>(data), size, value, allocator);
        // What was read must write back.
        std::string out;
        trx::JsonBinaryIO::write(out, value);
    } catch (const std::invalid_argument&) {
    } catch (const std::length_error&) {
    }
    // The same bytes as the payload of the bulkiest class, the one with packed text.
    fuzz::sameStraight(std::string(reinterpret_cast<const char*>(data), size), L"exc_block_visualization");
    return 0;
}
