#include <string>
#include <vector>

#include "fuzz_common.h"
#include "trx_api/trx_api_compression.h"

template <class T>
static void roundTrip(const std::wstring& text) {
    std::vector<T> values;
    trx::Base64::decode(text, values);
    std::wstring again;
    trx::Base64::encode(values, again);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Raw code units as well as decoded UTF-8: text arriving in JSON may hold either.
    std::wstring raw(data, data + size);
    roundTrip<char>(raw);
    roundTrip<double>(raw);
    const std::wstring text = fuzz::wideText(data, size);
    roundTrip<unsigned char>(text);
    roundTrip<std::int32_t>(text);
    roundTrip<float>(text);
    return 0;
}
