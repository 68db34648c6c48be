// The sending side of the cross-process envelope test: writes the sample product structure
// in `count` binary envelopes (default 2), one per line, to standard output, and exits.
// The segments stay behind for the reading process.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>

#include "exchange_samples.h"

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2;
    try {
        for (int i = 0; i < count; ++i) {
            std::wostringstream os;
            trx::ExchangeObjectWrapper(trx::test::sampleStructure()).writeObject(os);
            const std::string line = trx::toNarrow(os.str()) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
