// trx-bridge: the reference bridge. Reads commands on standard input and answers on
// standard output, one document per frame (UTF-8 text and a NUL byte).

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "common/framing.h"
#include "sender.h"
#include "stl_import.h"
#include "trx_api/trx_api_bridge_info.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_result.h"
#include "log/logger.h"

using namespace trx;

namespace {

const char* kUsage =
    "usage: trx-bridge [--log FILE] [--crash-after N] [--hang-after N] [--segment-log FILE]\n"
    "\n"
    "Answers the commands \"info\", \"ping\" and \"import\" (STL, ASCII and binary) on\n"
    "standard input and output, one document per frame: UTF-8 text ended by a NUL byte.\n"
    "\n"
    "  --log FILE          write the library's log (level DEBUG) to FILE\n"
    "Test switches (also from TRX_BRIDGE_CRASH_AFTER, TRX_BRIDGE_HANG_AFTER and\n"
    "TRX_BRIDGE_SEGMENT_LOG):\n"
    "  --crash-after N     crash once N exchange objects of an import are sent\n"
    "  --hang-after N      stop answering once N exchange objects of an import are sent\n"
    "  --segment-log FILE  append the name of every shared segment created to FILE\n";

bool parseCount(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < 0) return false;
    out = v;
    return true;
}

BridgeInfo info() {
    BridgeInfo info;
    info.setName(L"trx reference bridge");
    info.setVersion(TRX_TOOLS_VERSION);
    info.setRequestedInterface(EBridgeInterface::Connect);
    info.newThirdpartyCore().setName(L"trx STL reader").setVersion(TRX_TOOLS_VERSION);
    // One reader serves both; a host lists them as the two kinds of STL it may meet.
    for (const wchar_t* kind : {L"STL files, ASCII", L"STL files, binary"})
        info.newImportFormat().setDescription(kind).addExtension(L"stl").addFilterExtensions(
            L"*.stl");
    return info;
}

Result answer(Result::ECode code, const std::wstring& message) {
    Result result;
    result.setCode(code);
    result.setMessage(message);
    result.setFinished(true);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);  // a closed pipe is an error from write(), not a death

    bridge::TestSwitches switches;
    if (const char* v = std::getenv("TRX_BRIDGE_CRASH_AFTER")) parseCount(v, switches.crashAfter);
    if (const char* v = std::getenv("TRX_BRIDGE_HANG_AFTER")) parseCount(v, switches.hangAfter);
    if (const char* v = std::getenv("TRX_BRIDGE_SEGMENT_LOG")) switches.segmentLog = v;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--log" && hasValue) {
            vx_bridge::LoggerHolder::initLogger(vx_bridge::kDebug, argv[++i]);
        } else if (arg == "--crash-after" && hasValue &&
                   parseCount(argv[i + 1], switches.crashAfter)) {
            ++i;
        } else if (arg == "--hang-after" && hasValue &&
                   parseCount(argv[i + 1], switches.hangAfter)) {
            ++i;
        } else if (arg == "--segment-log" && hasValue) {
            switches.segmentLog = argv[++i];
        } else {
            std::cerr << "trx-bridge: bad argument '" << arg << "'\n" << kUsage;
            return 2;
        }
    }

    tools::FrameReader in(STDIN_FILENO);
    bridge::Sender out(STDOUT_FILENO, switches);
    try {
        for (;;) {
            std::wstring text;
            const auto status = in.read(text);  // the host decides how long to wait
            if (status == tools::FrameReader::Status::end) return 0;
            if (status != tools::FrameReader::Status::frame) {
                std::cerr << "trx-bridge: cannot read a command from standard input\n";
                return 1;
            }
            Command command;
            try {
                std::wistringstream stream(text);
                command.readObject(stream);
            } catch (const std::exception& e) {
                out.answer(answer(Result::Error, L"Cannot read the command: " + toWide(e.what())));
                continue;
            }
            switch (command.type()) {
                case Command::Info: out.answer(info()); break;
                case Command::Ping: out.answer(answer(Result::Ok, L"")); break;
                case Command::Import: {
                    bridge::ImportSettings settings;
                    try {
                        settings = bridge::settingsOf(command);
                    } catch (const std::exception& e) {
                        out.answer(answer(Result::Error, toWide(e.what())));
                        break;
                    }
                    Result result;
                    try {
                        result = bridge::runImport(settings, out);
                    } catch (const bridge::HostGone&) {
                        throw;
                    } catch (const std::exception& e) {
                        result = answer(Result::Error, L"Import failed: " + toWide(e.what()));
                    }
                    out.answer(result);
                    break;
                }
                case Command::Export:
                    out.answer(answer(Result::Error, L"This bridge does not export."));
                    break;
                default: out.answer(answer(Result::Error, L"Unknown command.")); break;
            }
        }
    } catch (const bridge::HostGone&) {
        return 1;
    }
}
