// The sending side of the cross-process envelope test: writes the golden product structure
// in `count` binary envelopes (default 2), one per line, to standard output, and exits.
// The segments stay behind for the reading process.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>

#include "trx_api/trx_api_exchange_structure.h"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2;
    try {
        std::ifstream in(TRX_WIRE_DIR "/exc_product_structure.json", std::ios::binary);
        std::wistringstream text(trx::toWide(std::string(std::istreambuf_iterator<char>(in), {})));
        trx::JsonDocument doc;
        trx::JsonTextIO::read(text, doc);
        auto structure = std::make_shared<trx::ExcProductStructure>();
        structure->readObject(doc);
        for (int i = 0; i < count; ++i) {
            std::wostringstream os;
            trx::ExchangeObjectWrapper(structure).writeObject(os);
            const std::string line = trx::toNarrow(os.str()) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
