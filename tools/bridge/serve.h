#pragma once

// The bridge's command loop: one answer per command frame, exchange objects in between.

#include <functional>

#include "stl_import.h"

namespace trx {
class BridgeInfo;
}
namespace trx::tools {
class FrameReader;
}

namespace trx::bridge {

class Sender;

using ImportFunction = std::function<Result(const ImportSettings&, Sender&)>;

// What this bridge says of itself in answer to "info".
BridgeInfo info();

// Answers the commands on `in` until it ends; the exit status. An import runs through
// `import`. Throws HostGone when the host stops listening, Stopped when a signal came.
int serve(tools::FrameReader& in, Sender& out, const ImportFunction& import = runImport);

}  // namespace trx::bridge
