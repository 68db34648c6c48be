// What the host draws from a bridge's objects: a product structure and a block's
// visualization as their JSON forms ({"structure": ..., "visualization": ...}), collected
// into a scene, placed and drawn. Nothing in them may crash the host, hang it or make it
// read outside what it holds.

#include <memory>
#include <stdexcept>

#include "fuzz_common.h"
#include "host/picture.h"
#include "host/scene.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace {

template <class T>
std::shared_ptr<T> readMember(const trx::JsonValue& doc, const wchar_t* key) {
    const auto m = doc.FindMember(key);
    if (m == doc.MemberEnd()) return nullptr;
    auto object = std::make_shared<T>();
    object->readObject(m->value);
    return object;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    trx::JsonDocument doc;
    const std::wstring text = fuzz::wideText(data, size);
    doc.Parse<rapidjson::kParseStopWhenDoneFlag>(text.c_str());
    if (doc.HasParseError() || !doc.IsObject()) return 0;
    trx::host::SceneCollector collector;
    try {
        if (auto s = readMember<trx::ExcProductStructure>(doc, L"structure")) collector.take(s);
        if (auto v = readMember<trx::ExcBlockVisualization>(doc, L"visualization")) {
            collector.take(v);
            // The same block again, as a bridge may send it twice.
            collector.take(v);
        }
    } catch (const std::invalid_argument&) {
        return 0;
    } catch (const std::runtime_error&) {
        return 0;
    }
    const trx::host::Scene scene = collector.finish();
    trx::host::PictureOptions options;
    options.width = 48;
    options.height = 32;
    options.edges = true;
    trx::host::render(scene, options);  // from the first saved view, if any
    options.isometric = true;
    options.edges = false;
    trx::host::render(scene, options);
    return 0;
}
