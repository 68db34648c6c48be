// Links the library and names nothing but the registry: every class given on the command
// line must be found, so prototypes register while the library loads, not on first use
// of their class.

#include <cstdio>
#include <string>

#include "trx_api/trx_api_exchange_object.h"

int main(int argc, char** argv) {
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        const std::wstring name = trx::toWide(argv[i]);
        const auto object = trx::ExchangeObjectRegistry::instance().get(name);
        if (!object || object->objectName() != name) {
            std::printf("not registered: %s\n", argv[i]);
            ++missing;
        }
    }
    return missing == 0 && argc > 1 ? 0 : 1;
}
