#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <fcntl.h>
#include <unistd.h>

#include "common/framing.h"
#include "common/process.h"
#include "log/logger.h"
#include "sender.h"
#include "serve.h"

namespace trx::bridge {
namespace {

std::string usage(const BridgeProgram& program) {
    return "usage: " + program.name +
           " [--log FILE] [--crash-after N] [--hang-after N] [--segment-log FILE]\n"
           "\n"
           "Answers the commands \"info\", \"ping\" and \"import\" (" + program.formats +
           ") on\nstandard input and output, one document per frame: UTF-8 text ended by a "
           "NUL byte.\n"
           "\n"
           "  --log FILE          write the library's log (level DEBUG) to FILE\n"
           "Test switches (also from TRX_BRIDGE_CRASH_AFTER, TRX_BRIDGE_HANG_AFTER,\n"
           "TRX_BRIDGE_HANG_UNSENT and TRX_BRIDGE_SEGMENT_LOG):\n"
           "  --crash-after N     crash once N exchange objects of an import are sent\n"
           "  --hang-after N      stop answering once N exchange objects of an import are sent\n"
           "  --hang-unsent N     stop answering once N are sent and the next one is made, its\n"
           "                      segment created but not announced\n"
           "  --segment-log FILE  append the name of every shared segment created to FILE\n";
}

bool parseCount(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < 0) return false;
    out = v;
    return true;
}

volatile std::sig_atomic_t g_stop = 0;
volatile std::sig_atomic_t g_signal = 0;
void requestStop(int sig) {
    g_signal = sig;
    g_stop = g_stop + 1;
}

}  // namespace

int bridgeMain(int argc, char** argv, const BridgeProgram& program) {
    std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is an error from write(), not a death

    TestSwitches switches;
    if (const char* v = std::getenv("TRX_BRIDGE_CRASH_AFTER")) parseCount(v, switches.crashAfter);
    if (const char* v = std::getenv("TRX_BRIDGE_HANG_AFTER")) parseCount(v, switches.hangAfter);
    if (const char* v = std::getenv("TRX_BRIDGE_HANG_UNSENT")) parseCount(v, switches.hangUnsent);
    if (const char* v = std::getenv("TRX_BRIDGE_SEGMENT_LOG")) switches.segmentLog = v;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << usage(program);
            return 0;
        } else if (arg == "--log" && hasValue) {
            vx_bridge::LoggerHolder::initLogger(vx_bridge::kDebug, argv[++i]);
        } else if (arg == "--crash-after" && hasValue &&
                   parseCount(argv[i + 1], switches.crashAfter)) {
            ++i;
        } else if (arg == "--hang-after" && hasValue &&
                   parseCount(argv[i + 1], switches.hangAfter)) {
            ++i;
        } else if (arg == "--hang-unsent" && hasValue &&
                   parseCount(argv[i + 1], switches.hangUnsent)) {
            ++i;
        } else if (arg == "--segment-log" && hasValue) {
            switches.segmentLog = argv[++i];
        } else {
            std::cerr << program.name << ": bad argument '" << arg << "'\n" << usage(program);
            return 2;
        }
    }

    // SIGINT and SIGTERM stop the bridge at its next safe point: the import unwinds and
    // removes the segments it made and has not announced.
    tools::onStopSignals(requestStop);

    int protocolFd = STDOUT_FILENO;
    if (program.guardStdout) {
        protocolFd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (protocolFd < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
            std::cerr << program.name << ": cannot set standard output aside\n";
            return 1;
        }
    }
    tools::FrameReader in(STDIN_FILENO);
    in.setStopFlag(&g_stop);
    Sender out(protocolFd, switches);
    out.setStopFlag(&g_stop);
    int status = 1;
    try {
        status = serve(in, out, program);
    } catch (const HostGone&) {
        return 1;
    } catch (const Stopped&) {
    }
    if (g_stop == 0) return status;
    // Everything is unwound: now end as the signal would have ended us.
    const int sig = g_signal ? static_cast<int>(g_signal) : SIGTERM;
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return 128 + sig;
}

}  // namespace trx::bridge
