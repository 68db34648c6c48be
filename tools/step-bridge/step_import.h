#pragma once

// Translation of a STEP (or IGES) file into the objects of one import: the assembly tree,
// then part by part, as each is meshed, its bodies, its faces to draw and its mechanical
// data, then the roots.

#include "bridge_core/settings.h"
#include "trx_api/trx_api_result.h"

namespace trx::bridge {
class Sender;
}

namespace trx::step {

// Reads the file and sends everything; the answer is the last document. A file that cannot
// be read, or that OCCT fails on, gives an error result naming it. Throws HostGone, and
// Stopped when a signal asks the bridge to stop.
Result runImport(const bridge::ImportSettings& settings, bridge::Sender& sender);

// Closes the document of the import just answered.
void closeAnsweredDocument();

}  // namespace trx::step
