#include <sstream>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wistringstream is(fuzz::wideText(data, size));
    trx::JsonDocument doc;
    trx::JsonTextIO::read(is, doc);
    if (!doc.HasParseError()) {
        std::wostringstream os;
        trx::JsonTextIO::write(os, doc, true);
    }
    return 0;
}
