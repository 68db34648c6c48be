#pragma once

// What an import command asks of a bridge, read once from whichever option set it carries.

#include <string>
#include <vector>

#include "trx_api/json/enum_strings.h"

namespace trx {
class Command;
}

namespace trx::bridge {

struct ImportSettings {
    std::wstring file;
    bool legacy = false;
    ELengthUnitType units = ELengthUnitType::millimeter;
    bool visualization = true;  // off when the graphical group says "never" tessellate
    bool mechanical = true;     // off when the mechanical group says no misc data
    bool pmi = true;            // off when the modeller group says not to preserve PMI
    // Largest distance of the mesh from the surface, in `units`; 0 leaves it to the bridge.
    double chordalDeflection = 0;
    std::vector<std::wstring> warnings;  // options that could not be honoured, for the user
};

// Throws std::invalid_argument when the command carries no option set of its interface.
ImportSettings settingsOf(const Command& command);

}  // namespace trx::bridge
