#include <stdexcept>
#include <string>

#include "common/stl.h"

// A file's bytes, ASCII or binary: the reader either gives solids or says why not.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const auto file = trx::tools::parseStl(std::string(reinterpret_cast<const char*>(data), size));
        for (const auto& solid : file.solids) trx::tools::measure(solid);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
