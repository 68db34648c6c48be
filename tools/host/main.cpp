// trx-host: the reference host. Finds the bridge that reads the file, imports the file
// through it and shows what arrives: progress, messages and logs while it runs, then a
// summary.

#include <climits>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <unistd.h>

#include "common/process.h"
#include "common/protocol.h"
#include "outputs.h"
#include "report.h"
#include "session.h"

using namespace trx;

namespace {

// Counts signals: the first stops the import, a further one cuts the clean-up short.
volatile std::sig_atomic_t g_stop = 0;
void requestStop(int) { g_stop = g_stop + 1; }

const char* kUsage =
    "usage: trx-host [options] [FILE]\n"
    "\n"
    "Imports FILE (default: the shipped sample " TRX_DEFAULT_SAMPLE
    ") through the first bridge\n"
    "whose import formats take it and prints a summary.\n"
    "\n"
    "  --bridge PROGRAM   a bridge to ask, in order (repeatable; default: trx-bridge and\n"
    "                     trx-step-bridge next to trx-host, those that are there)\n"
    "  --bridge-arg ARG   pass ARG to every bridge (repeatable)\n"
    "  --legacy           use the legacy interface instead of the one the bridge asks for\n"
    "  --delayed          delayed loading: load binary objects after the result\n"
    "  --json PATH        also write the summary as JSON to PATH ('-': standard output,\n"
    "                     the text then goes to standard error)\n"
    "  --gltf PATH        also write the model as glTF 2.0: binary (.glb), or JSON with the\n"
    "                     data embedded when PATH ends in .gltf\n"
    "  --png PATH         also write a shaded picture of the model\n"
    "  --size WxH         the picture's size in pixels (default 1024x768)\n"
    "  --view NAME        the picture from this saved view (default: the model's first\n"
    "                     saved view, else isometric); --view isometric: isometric\n"
    "  --edges            outline the faces in the picture\n"
    "  --timeout SECONDS  longest silence of the bridge before it counts as hung (default 60)\n"
    "  --units UNIT       length unit to ask for (millimeter, inch, meter, ...)\n"
    "  --no-visualization ask for no visualization\n"
    "  --no-mechanical    ask for no mechanical data\n"
    "\n"
    "Exit status: 0 imported; 1 no bridge reads the file or the import failed; 2 bad usage;\n"
    "3 the bridge died, hung or broke the protocol; 130 interrupted.\n";

// Progress as a bar on a terminal, as plain lines anywhere else.
class Display : public host::Listener {
public:
    Display(std::ostream& out, bool terminal) : m_out(out), m_terminal(terminal) {}
    ~Display() override { endBar(); }

    void progress(int value, int max, const std::wstring& stage) override {
        const int percent =
            max > 0 ? static_cast<int>(std::lround(100.0 * std::min(std::max(value, 0), max) / max))
                    : 0;
        if (!m_terminal) {
            m_out << "progress " << percent << "% " << toNarrow(tools::clip(stage)) << '\n';
            return;
        }
        const int filled = percent * kWidth / 100;
        m_out << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
              << std::string(static_cast<std::size_t>(kWidth - filled), '.') << "] " << percent
              << "% " << toNarrow(stage.substr(0, 40)) << "\033[K" << std::flush;
        m_bar = true;
    }
    // The bridge's own words, kept to a few hundred characters each.
    void message(const std::wstring& text) override {
        line("message: " + toNarrow(tools::clip(text)));
    }
    void log(const std::wstring& text) override { line("log: " + toNarrow(tools::clip(text))); }
    void stage(const std::wstring& name, double seconds) override {
        line("stage finished: " + toNarrow(name) + " (" + std::to_string(seconds) + " s)");
    }
    void endBar() {
        if (m_bar) m_out << "\r\033[K" << std::flush;
        m_bar = false;
    }

private:
    static constexpr int kWidth = 30;
    void line(const std::string& text) {
        endBar();
        m_out << text << '\n';
    }
    std::ostream& m_out;
    bool m_terminal;
    bool m_bar = false;
};

// The bridges next to the host that are there; the STL bridge alone when none is, so
// that the error says which program is missing.
std::vector<std::string> defaultBridges() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {"trx-bridge"};
    const std::string self(path, static_cast<std::size_t>(n));
    const std::string dir = self.substr(0, self.rfind('/') + 1);
    std::vector<std::string> found;
    for (const char* name : {"trx-bridge", "trx-step-bridge"})
        if (::access((dir + name).c_str(), X_OK) == 0) found.push_back(dir + name);
    if (found.empty()) found.push_back(dir + "trx-bridge");
    return found;
}

int usage(const std::string& problem) {
    std::cerr << "trx-host: " << problem << "\n" << kUsage;
    return host::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);  // a dead bridge shows as a failed write, not our death
    // Interrupted, the host still stops the bridge and removes the segments it was told of.
    tools::onStopSignals(requestStop);

    host::HostOptions options;
    options.stop = &g_stop;
    options.file = TRX_DEFAULT_SAMPLE;

    std::string json;
    host::OutputOptions outputs;
    bool fileGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--bridge" && hasValue) {
            options.bridges.push_back(argv[++i]);
        } else if (arg == "--bridge-arg" && hasValue) {
            options.bridgeArgs.push_back(argv[++i]);
        } else if (arg == "--legacy") {
            options.legacy = true;
        } else if (arg == "--delayed") {
            options.delayed = true;
        } else if (arg == "--json" && hasValue) {
            json = argv[++i];
        } else if (arg == "--gltf" && hasValue) {
            outputs.gltf = argv[++i];
        } else if (arg == "--png" && hasValue) {
            outputs.png = argv[++i];
        } else if (arg == "--size" && hasValue) {
            if (!host::parseSize(argv[++i], outputs.picture.width, outputs.picture.height))
                return usage("bad picture size '" + std::string(argv[i]) + "' (WxH, each 1.." +
                             std::to_string(host::kMaxPictureSide) + ")");
        } else if (arg == "--view" && hasValue) {
            const std::string view = argv[++i];
            outputs.picture.isometric = view == "isometric";
            outputs.picture.view = outputs.picture.isometric ? L"" : toWide(view);
        } else if (arg == "--edges") {
            outputs.picture.edges = true;
        } else if (arg == "--timeout" && hasValue) {
            char* end = nullptr;
            const double s = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != 0 || !(s > 0) || s > 86400)
                return usage("bad timeout '" + std::string(argv[i]) + "'");
            options.timeoutMs = static_cast<int>(std::lround(s * 1000));
        } else if (arg == "--units" && hasValue) {
            const std::wstring name = toWide(argv[++i]);
            options.units = enumFromString<ELengthUnitType>(name);
            if (enumToString(options.units) != name || options.units == ELengthUnitType::unknown)
                return usage("unknown length unit '" + std::string(argv[i]) + "'");
        } else if (arg == "--no-visualization") {
            options.visualization = false;
        } else if (arg == "--no-mechanical") {
            options.mechanical = false;
        } else if (!arg.empty() && arg[0] != '-' && !fileGiven) {
            options.file = arg;
            fileGiven = true;
        } else {
            return usage("bad argument '" + arg + "'");
        }
    }

    if (options.bridges.empty()) options.bridges = defaultBridges();

    std::ostream& text = json == "-" ? std::cerr : std::cout;
    host::Report report;
    host::SceneCollector collector;
    if (outputs.any()) report.scene = &collector;
    int code;
    {
        Display display(text, ::isatty(json == "-" ? STDERR_FILENO : STDOUT_FILENO) == 1);
        code = host::runSession(options, report, display);
    }
    // What arrived is written out whatever became of the import.
    if (outputs.any()) {
        const host::Scene scene = collector.finish();
        report.setSceneFigures(scene);
        if (!host::writeOutputs(scene, outputs, report) && code == host::kOk)
            code = host::kImportFailed;
    }
    text << '\n';
    report.writeText(text);
    if (json == "-") {
        report.writeJson(std::cout);
    } else if (!json.empty()) {
        std::ofstream out(json, std::ios::trunc);
        report.writeJson(out);
        if (!out) {
            std::cerr << "trx-host: cannot write " << json << '\n';
            if (code == host::kOk) code = host::kImportFailed;
        }
    }
    return code;
}
