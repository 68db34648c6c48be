#pragma once

// Translation of an STL file into the objects of one import: each solid becomes a block
// with a reference under the root, a modeller body, a mesh and its measures.

#include <string>
#include <vector>

#include "trx_api/json/enum_strings.h"
#include "trx_api/trx_api_result.h"

namespace trx {
class Command;
}

namespace trx::bridge {

class Sender;

// What the command's option set asks of an import.
struct ImportSettings {
    std::wstring file;
    bool legacy = false;
    ELengthUnitType units = ELengthUnitType::millimeter;
    bool visualization = true;           // off when the graphical group says "never" tessellate
    bool mechanical = true;              // off when the mechanical group says no misc data
    std::vector<std::wstring> warnings;  // options that could not be honoured, for the user
};

// Throws std::invalid_argument when the command carries no option set of its interface.
ImportSettings settingsOf(const Command& command);

// Reads the file and sends everything; the answer is the last document. A file that cannot
// be read or parsed gives an error result saying what is wrong and where. Throws HostGone.
Result runImport(const ImportSettings& settings, Sender& sender);

}  // namespace trx::bridge
