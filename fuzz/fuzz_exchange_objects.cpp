#include <iterator>
#include <stdexcept>
#include <string>

#include "fuzz_common.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_exchange_object.h"

namespace {

// Every registered name (gathered from the registrations when the build is configured).
const wchar_t* const kNames[] = {
#include "object_names.inc"
};
constexpr std::size_t kNameCount = std::size(kNames);

// Read, write back, and read the written form again: what a reader accepts, a writer must
// be able to send on. The binary JSON a record writes straight (the bulk path) must be its
// document's to the byte.
template <class Read>
void twice(trx::IJsonObject& object, const trx::JsonValue& value, Read&& read) {
    read(object, value);
    trx::JsonDocument out;
    object.writeObject(out, out.GetAllocator());
    std::string throughDocument, straight;
    trx::JsonBinaryIO::write(throughDocument, out);
    trx::JsonBinaryIO::write(straight, object);
    if (straight != throughDocument) __builtin_trap();
    read(object, out);
}

}  // namespace

// The first byte picks a registered exchange object, or (past the last) the option groups,
// which pick their class from the classification inside the value. The rest is a JSON value.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    trx::JsonDocument doc;
    const std::wstring text = fuzz::wideText(data + 1, size - 1);
    doc.Parse<rapidjson::kParseStopWhenDoneFlag>(text.c_str());
    if (doc.HasParseError()) return 0;
    const std::size_t pick = data[0] % (kNameCount + 1);
    try {
        if (pick < kNameCount) {
            auto object = trx::ExchangeObjectRegistry::instance().get(kNames[pick]);
            if (!object) __builtin_trap();  // a registration the list does not match
            std::string bytes;
            trx::JsonBinaryIO::write(bytes, doc);
            fuzz::sameStraight(bytes, kNames[pick]);
            twice(*object, doc, [](trx::IJsonObject& o, const trx::JsonValue& v) {
                o.readObject(v);
            });
        } else if (auto group = trx::IFormatOptions::readOptions(doc)) {
            trx::JsonDocument out;
            group->writeObject(out, out.GetAllocator());
            auto again = trx::IFormatOptions::readOptions(out);
            if (!again || again->formatType() != group->formatType()) __builtin_trap();
        }
    } catch (const std::invalid_argument&) {
    } catch (const std::runtime_error&) {
    }
    return 0;
}
