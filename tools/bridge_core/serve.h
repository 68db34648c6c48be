#pragma once

// The bridge's command loop: one answer per command frame, exchange objects in between.

#include <functional>
#include <string>

#include "settings.h"
#include "trx_api/trx_api_bridge_info.h"
#include "trx_api/trx_api_result.h"

namespace trx::tools {
class FrameReader;
}

namespace trx::bridge {

class Sender;

using ImportFunction = std::function<Result(const ImportSettings&, Sender&)>;

// What sets one bridge apart from another: what it says of itself and how it imports.
struct BridgeProgram {
    std::string name;     // the program's name, for its messages: "trx-bridge"
    std::string formats;  // for its usage text: "STL, ASCII and binary"
    std::function<BridgeInfo()> info;  // the answer to "info"
    ImportFunction import;
    // Work left for after an import's answer is out (what the host need not wait for).
    std::function<void()> afterAnswer;
    // The protocol gets a descriptor of its own and standard output goes to standard error,
    // so that a library printing to standard output cannot break a frame.
    bool guardStdout = false;
};

// Answers the commands on `in` until it ends; the exit status. Throws HostGone when the
// host stops listening, Stopped when a signal came.
int serve(tools::FrameReader& in, Sender& out, const BridgeProgram& program);

// The whole program: arguments (the log and the test switches), signals, the command loop
// on standard input and output, and an exit as the signal would have ended it.
int bridgeMain(int argc, char** argv, const BridgeProgram& program);

}  // namespace trx::bridge
