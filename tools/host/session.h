#pragma once

// One run of the host: find the bridge that reads the file, import the file through it
// and collect what arrives, and leave no shared segment behind, whatever the bridges do.

#include <csignal>
#include <string>
#include <vector>

#include "report.h"
#include "trx_api/json/enum_strings.h"

namespace trx::host {

struct HostOptions {
    std::string file;
    // Asked for "info" in this order; the first whose import formats take the file
    // imports it.
    std::vector<std::string> bridges;
    std::vector<std::string> bridgeArgs;  // to every bridge
    bool legacy = false;
    bool delayed = false;   // binary objects are loaded after the result, not on arrival
    int timeoutMs = 60000;  // longest silence of the bridge
    ELengthUnitType units = ELengthUnitType::unknown;  // unknown: the bridge's default
    bool visualization = true;
    bool mechanical = true;
    // Raised by a signal handler (a count of signals) to end the run early: the bridge is
    // stopped, segments removed. A further signal cuts the clean-up short.
    const volatile std::sig_atomic_t* stop = nullptr;
    // Off: binary objects and block geometry are counted but never opened, and no segment
    // is removed (reading a recorded output, where the names are not ours).
    bool useSegments = true;
};

// Exit codes of the host.
enum ExitCode {
    kOk = 0,
    kImportFailed = 1,  // no bridge reads the file, the bridge answered with an error, or
                        // what arrived was damaged
    kUsage = 2,
    kBridgeFailed = 3,   // the bridge died, fell silent or broke the protocol
    kInterrupted = 130,  // stopped by SIGINT or SIGTERM
};

// Runs the import; fills the report and answers the exit code.
int runSession(const HostOptions& options, Report& report, Listener& listener);

// Takes a bridge's whole output from fd (its answer to "info", then the frames of one
// import) as runSession would, with no bridge to talk to.
int readBridgeOutput(int fd, const HostOptions& options, Report& report, Listener& listener);

}  // namespace trx::host
