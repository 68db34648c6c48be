#pragma once

// Translation of an STL file into the objects of one import: each solid becomes a block
// with a reference under the root, a modeller body, a mesh and its measures.

#include <string>
#include <vector>

#include "bridge_core/settings.h"
#include "trx_api/trx_api_result.h"

namespace trx::bridge {

class Sender;

// Reads the file and sends everything; the answer is the last document. A file that cannot
// be read or parsed gives an error result saying what is wrong and where. Throws HostGone.
Result runImport(const ImportSettings& settings, Sender& sender);

}  // namespace trx::bridge
