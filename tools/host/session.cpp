#include "session.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <unistd.h>

#include "common/framing.h"
#include "common/process.h"
#include "common/protocol.h"
#include "common/units.h"
#include "mp/shared_buffer.h"
#include "trx_api/trx_api_bridge_info.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_exchange_geometry.h"
#include "trx_api/trx_api_exchange_object.h"
#include "trx_api/trx_api_result.h"

namespace trx::host {
namespace {

struct Failure {
    int code;
    std::string status;
    std::wstring message;
};

// A bridge asked to stop may take this long to remove what it has not announced; then its
// group is killed and what is left in the pipe may take this long more to come out. Past
// either, or past the frame budget, the pipe is left: whatever still writes to it is no
// bridge of ours.
constexpr int kStopGraceMs = 2000;
constexpr int kDrainMs = 1000;
constexpr int kDrainFrames = 1000;

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point until) {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count()));
}

// What a bridge answered to "info", as far as the choice goes.
struct Offer {
    bool matches = false;
    std::wstring formats;  // its filters, for the message when no bridge matches
};

std::wstring seconds(int ms) {
    std::wostringstream s;
    s << ms / 1000.0 << L" s";
    return s.str();
}

using tools::clip;

class Session {
public:
    Session(const HostOptions& options, Report& report, Listener& listener)
        : m_o(options), m_r(report), m_l(listener) {}
    ~Session() { removeUnloaded(); }

    int run();
    int replay(int fd);

private:
    int choose();
    void retire(bool letItEnd);
    int talk();
    Offer askInfo();
    void import();
    Command importCommand() const;
    void receive(const JsonDocument& doc);
    void use(const std::shared_ptr<IExchangeObject>& object, const std::wstring& segment);
    void loadPending();
    void finishBridge();
    std::wstring next(const wchar_t* waitingFor);
    [[noreturn]] void bridgeGone(const wchar_t* waitingFor);
    void send(const Command& command, const wchar_t* what);
    void noteSegment(const std::wstring& segment);
    void release(const std::wstring& segment);
    bool drainOne(int waitMs, int& frames);
    void stopBridge();
    void removeUnloaded();

    const HostOptions& m_o;
    Report& m_r;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    Listener& m_l;
    std::unique_ptr<tools::ChildProcess> m_child;  // the bridge talked to now
    std::unique_ptr<tools::FrameReader> m_reader;
    bool m_replay = false;
    EBridgeInterface m_interface = EBridgeInterface::Connect;
    std::map<std::wstring, bool> m_segments;  // named by the bridge, not yet settled -> loaded
    std::vector<std::pair<std::shared_ptr<IExchangeObject>, std::wstring>> m_pending;
};

int Session::run() {
    m_started = std::chrono::steady_clock::now();
    m_r.file = toWide(m_o.file);
    m_r.delayed = m_o.delayed;
    int code = kOk;
    try {
        code = choose();
        if (code == kOk) code = talk();
    } catch (const std::exception& e) {
        m_r.status = "error";
        m_r.message = toWide(e.what());
        code = kBridgeFailed;
    }
    stopBridge();
    m_pending.clear();
    removeUnloaded();
    m_r.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
    return code;
}

int Session::replay(int fd) {
    m_replay = true;
    m_r.file = toWide(m_o.file);
    m_r.delayed = m_o.delayed;
    m_reader = std::make_unique<tools::FrameReader>(fd);
    const int code = talk();
    m_pending.clear();
    removeUnloaded();
    return code;
}

// Asks each bridge in turn for "info"; the first that reads the file stays for the import
// (m_child, m_reader), the others are stopped and what they named is removed. A bridge
// that fails on "info" is passed over with a note; when every bridge failed, the last
// failure is the answer.
int Session::choose() {
    std::vector<std::wstring> offers;
    std::optional<Failure> lastFailure;
    for (const std::string& program : m_o.bridges) {
        if (m_o.stop && *m_o.stop > 0) {
            m_r.status = "interrupted";
            m_r.message = L"Interrupted while the host looked for a bridge that reads the file.";
            return kInterrupted;
        }
        std::optional<Failure> failure;
        try {
            m_child = std::make_unique<tools::ChildProcess>();
            m_child->start(program, m_o.bridgeArgs);
            m_reader = std::make_unique<tools::FrameReader>(m_child->output());
            m_reader->setStopFlag(m_o.stop);
            const Offer offer = askInfo();
            if (offer.matches) {
                m_r.bridgeProgram = toWide(program);
                return kOk;
            }
            offers.push_back(toWide(std::filesystem::path(program).filename().string()) +
                             L" reads " + offer.formats);
        } catch (const Failure& f) {
            if (f.code == kInterrupted) {
                m_r.status = f.status;
                m_r.message = f.message;
                return f.code;
            }
            failure = f;
        } catch (const std::exception& e) {  // it could not be started
            failure = Failure{kBridgeFailed, "error", clip(toWide(e.what()))};
        }
        if (failure && m_o.bridges.size() > 1)
            m_r.note(L"bridge " + clip(toWide(program)) + L" passed over: " + failure->message);
        if (failure) lastFailure = failure;
        retire(!failure);
    }
    if (offers.empty() && lastFailure) {
        m_r.status = lastFailure->status;
        m_r.message = lastFailure->message;
        return lastFailure->code;
    }
    std::wstring offered;
    for (const auto& o : offers) offered += (offered.empty() ? L"" : L"; ") + o;
    m_r.status = "error";
    m_r.message = L"No bridge imports " + clip(toWide(m_o.file)) + L": " +
                  (offered.empty() ? std::wstring(L"no bridge was given") : offered) + L".";
    return kImportFailed;
}

// A bridge not chosen. One that answered is let end by itself (its input closes); one that
// does not, or that failed already, is stopped as any other. What it named is removed.
void Session::retire(bool letItEnd) {
    if (letItEnd && m_child && m_reader && m_child->running()) {
        m_child->closeInput();
        if (m_o.stop) m_reader->setStopFlag(m_o.stop, *m_o.stop);
        const auto until = Clock::now() + std::chrono::milliseconds(kStopGraceMs);
        int frames = 0;
        bool open = true;
        while (open && frames < kDrainFrames && msLeft(until) > 0 && !m_child->wait(0))
            open = drainOne(std::min(msLeft(until), 100), frames);
        if (!open) m_child->wait(msLeft(until));  // its output ended: it is on its way out
    }
    stopBridge();
    m_reader.reset();
    m_child.reset();
    removeUnloaded();
}

// The conversation with the chosen bridge (or the recorded one); whatever happens, the
// caller stops the bridge and cleans up.
int Session::talk() {
    try {
        if (m_replay) {
            const Offer offer = askInfo();
            if (!offer.matches)
                throw Failure{kImportFailed, "error",
                              L"The bridge imports no file like " + clip(toWide(m_o.file)) +
                                  L" (it reads " + offer.formats + L")."};
        }
        import();
        if (m_o.delayed) loadPending();
        if (!m_replay) finishBridge();
        if (m_r.status == "ok" && !m_r.errors().empty()) {
            m_r.status = "error";
            return kImportFailed;
        }
        return m_r.status == "ok" ? kOk : kImportFailed;
    } catch (const Failure& f) {
        m_r.status = f.status;
        m_r.message = f.message;
        return f.code;
    } catch (const std::exception& e) {
        // Ours, not the bridge's; still nothing may be left behind.
        m_r.status = "error";
        m_r.message = L"The host failed: " + clip(toWide(e.what()));
        return kImportFailed;
    }
}

void Session::send(const Command& command, const wchar_t* what) {
    if (m_replay) return;
    if (!tools::sendDocument(m_child->input(), command)) bridgeGone(what);
}

[[noreturn]] void Session::bridgeGone(const wchar_t* waitingFor) {
    // The pipe ended: the bridge is dead or about to be.
    std::wstring how;
    if (m_replay) {
        how = L"The bridge's output ended";
    } else if (!m_child->wait(m_o.timeoutMs)) {
        m_child->kill();
        how = L"The bridge closed its output but did not end within " + seconds(m_o.timeoutMs) +
              L"; it timed out and was killed. That happened";
    } else {
        how = L"The bridge ended (" + toWide(m_child->describe()) + L")";
    }
    throw Failure{kBridgeFailed, "bridge_died",
                  how + L" while the host waited for " + waitingFor + L", " + m_r.whereText() +
                      L". Arrived: " + m_r.arrivedText() + L"."};
}

std::wstring Session::next(const wchar_t* waitingFor) {
    std::wstring text;
    switch (m_reader->read(text, m_replay ? -1 : m_o.timeoutMs)) {
        case tools::FrameReader::Status::frame: return text;
        case tools::FrameReader::Status::end: bridgeGone(waitingFor);
        case tools::FrameReader::Status::timeout:
            throw Failure{kBridgeFailed, "timeout",
                          L"The bridge sent nothing for " + seconds(m_o.timeoutMs) +
                              L" while the host waited for " + waitingFor + L", " +
                              m_r.whereText() + L"; it timed out and was killed. Arrived: " +
                              m_r.arrivedText() + L"."};
        case tools::FrameReader::Status::interrupted:
            throw Failure{kInterrupted, "interrupted",
                          std::wstring(L"Interrupted while the host waited for ") + waitingFor +
                              L", " + m_r.whereText() + L". Arrived: " + m_r.arrivedText() + L"."};
        case tools::FrameReader::Status::tooLarge:
        case tools::FrameReader::Status::error: break;
    }
    throw Failure{
        kBridgeFailed, "protocol_error",
        std::wstring(L"The bridge's output cannot be read as frames while the host waited for ") +
            waitingFor + L"."};
}

// Reads the bridge's capabilities and, when they take the file, the report's bridge lines.
Offer Session::askInfo() {
    Command info;
    info.setType(Command::Info);
    info.setInternalInterface(EBridgeInterface::Connect);
    send(info, L"its capabilities");
    const std::wstring text = next(L"its capabilities");
    {
        JsonDocument doc;
        if (!tools::parseDocument(text, doc) ||
            tools::kindOf(doc) != tools::DocumentKind::bridgeInfo)
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge did not answer \"info\" with its capabilities."};
    }
    BridgeInfo bridge;
    try {
        std::wistringstream in(text);
        bridge.readObject(in);
    } catch (const std::exception& e) {
        throw Failure{kBridgeFailed, "protocol_error",
                      L"The bridge's capabilities cannot be read: " + clip(toWide(e.what()))};
    }
    const std::wstring name = std::filesystem::path(m_o.file).filename().wstring();
    Offer offer;
    std::vector<std::wstring> filters;  // each once: two formats may share a filter
    for (const auto& format : bridge.importFormats()) {
        if (!format) continue;
        offer.matches = offer.matches || format->is(name);
        for (const auto& f : format->filterExtensions())
            if (std::find(filters.begin(), filters.end(), f) == filters.end()) filters.push_back(f);
    }
    for (const auto& f : filters) offer.formats += (offer.formats.empty() ? L"" : L", ") + f;
    offer.formats = offer.formats.empty() ? L"nothing" : clip(offer.formats);
    if (!offer.matches) return offer;
    m_r.bridgeName = clip(bridge.name());
    m_r.bridgeVersion = clip(bridge.version());
    m_interface = m_o.legacy ? EBridgeInterface::Legacy : bridge.requestedInterface();
    m_r.interfaceName = m_interface == EBridgeInterface::Legacy    ? L"legacy"
                        : m_interface == EBridgeInterface::Connect ? L"connect"
                                                                   : L"uconnect";
    return offer;
}

Command Session::importCommand() const {
    Command command;
    command.setType(Command::Import);
    command.setInternalInterface(m_interface);
    std::shared_ptr<ImportOptions> options;
    std::shared_ptr<LegacyImportOptions> legacy;
    if (m_interface == EBridgeInterface::Legacy) {
        legacy = Command::newLegacyImportOptions();
        // The legacy set travels through a drawing file; this host has none to offer.
        legacy->setTemporaryDwg((std::filesystem::temp_directory_path() /
                                 ("trx-host-" + std::to_string(::getpid()) + ".dwg"))
                                    .wstring());
        options = legacy;
    } else {
        options = Command::newImportOptions();
    }
    options->setFile(std::filesystem::absolute(m_o.file).wstring());
    options->setTranslateMiscData(m_o.mechanical);
    if (m_o.units != ELengthUnitType::unknown) {
        const int code = tools::drawingCodeOf(m_o.units);
        if (legacy && code != 0) {
            legacy->setInsUnitsDefSource(code);
        } else {
            auto modeler = std::make_shared<OptionsModeler>();
            modeler->setModelerUnits(m_o.units);
            options->setFormatOptions(modeler);
        }
    }
    if (!m_o.visualization) {
        auto graphical = std::make_shared<OptionsGraphical>();
        graphical->setVisuBRepTessellationMode(EVisuBRepTessellationModeType::never);
        options->setFormatOptions(graphical);
    }
    if (!m_o.mechanical) {
        auto mechanical = std::make_shared<OptionsMechanical>();
        mechanical->setMiscDataProcessingMode(EMiscDataProcessingModeType::none);
        options->setFormatOptions(mechanical);
    }
    if (legacy)
        command.setLegacyImportOptions(legacy);
    else
        command.setImportOptions(options);
    return command;
}

void Session::import() {
    send(importCommand(), L"the import to start");
    m_r.start();
    for (;;) {
        std::wstring text = next(L"the import");
        // One document at a time: a frame of tens of megabytes is parsed once.
        auto doc = std::make_unique<JsonDocument>();
        if (!tools::parseDocument(text, *doc))
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge sent a document that is not JSON, " + m_r.whereText() +
                              L": " + clip(text, 80)};
        const auto kind = tools::kindOf(*doc);
        if (kind == tools::DocumentKind::envelope) {
            std::wstring().swap(text);
            receive(*doc);
            continue;
        }
        if (kind != tools::DocumentKind::result)
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge sent a " + toWide(tools::kindName(kind)) +
                              L" document during the import, " + m_r.whereText() + L"."};
        doc.reset();
        Result result;
        try {
            std::wistringstream in(text);
            result.readObject(in);
        } catch (const std::exception& e) {
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge's result cannot be read: " + clip(toWide(e.what()))};
        }
        m_r.mark(L"result", m_l);
        m_r.secondsToResult =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
        m_r.message = clip(result.message(), 4 * tools::kMaxForeignText);
        if (result.code() != Result::Ok && result.code() != Result::Warning) m_r.status = "error";
        return;
    }
}

// As the library's envelope reader does, but on the document already parsed.
void Session::receive(const JsonDocument& doc) {
    // The segment is known before anything can fail, so it is never forgotten.
    const std::wstring segment = tools::segmentOf(doc);
    noteSegment(segment);
    const auto name = doc.FindMember(L"exchange_object_name");
    const std::wstring objectName =
        name->value.IsString() ? clip(tools::fullString(name->value)) : L"(unnamed)";
    m_r.arrived(objectName);

    std::shared_ptr<IExchangeObject> object;
    if (name->value.IsString())
        object = ExchangeObjectRegistry::instance().get(tools::fullString(name->value));
    if (!object) {
        m_r.error(L"Unknown object " + objectName + L".");
        release(segment);
        return;
    }
    const auto data = doc.FindMember(L"exchange_object_data");
    const auto binary = doc.FindMember(L"binary");
    const bool isBinary =
        binary != doc.MemberEnd() && binary->value.IsBool() && binary->value.GetBool();
    std::wstring problem;
    if (data == doc.MemberEnd()) {
        problem = L"it came without its data";
    } else if (isBinary && !object->binary()) {
        problem = L"it came as binary, which it never is";
    } else if (isBinary && !data->value.IsString()) {
        problem = L"its data does not name a segment";
    } else if (isBinary && !mp::SharedBuffer<char>::validName(segment)) {
        problem = L"it names no segment the library could have made";
    } else if (isBinary) {
        object->setSource(segment);
    } else {
        try {
            object->readObject(data->value);
        } catch (const std::exception& e) {
            problem = L"it cannot be read: " + clip(toWide(e.what()));
        }
        if (problem.empty() && !segment.empty() && !mp::SharedBuffer<char>::validName(segment))
            problem = L"it names no segment the library could have made";
    }
    if (!problem.empty()) {
        m_r.error(L"A " + objectName + L" did not arrive whole: " + problem + L".");
        release(segment);
        return;
    }
    const bool fromSegment =
        std::dynamic_pointer_cast<ExcBlockGeometry>(object) || object->binary();
    if (fromSegment && !m_o.useSegments) return;
    if (m_o.delayed && fromSegment)
        m_pending.emplace_back(object, segment);
    else
        use(object, segment);
}

void Session::use(const std::shared_ptr<IExchangeObject>& object, const std::wstring& segment) {
    const std::wstring where = segment.empty() ? L"" : L" from segment \"" + clip(segment) + L"\"";
    try {
        object->load();  // nothing for text objects and objects loaded on arrival
    } catch (const std::exception& e) {
        m_r.error(L"A " + object->objectName() + L" cannot be loaded" + where + L": " +
                  clip(toWide(e.what())));
        release(segment);
        return;
    }
    const bool fromSegment =
        std::dynamic_pointer_cast<ExcBlockGeometry>(object) || object->binary();
    // An object that should have come from a segment and did not is damage, not a default.
    if (fromSegment && !object->isLoaded()) {
        m_r.error(L"A " + object->objectName() + L" did not load" +
                  (segment.empty() ? std::wstring(L": it names no segment") : where) + L".");
        release(segment);
        return;
    }
    if (!segment.empty()) {
        const auto it = m_segments.find(segment);
        if (it != m_segments.end()) it->second = true;
        release(segment);
    }
    m_r.take(object, m_l);
}

void Session::loadPending() {
    const auto pending = std::move(m_pending);
    m_pending.clear();
    for (const auto& [object, segment] : pending) use(object, segment);
    m_r.mark(L"loading", m_l);
}

void Session::finishBridge() {
    m_child->closeInput();  // the bridge ends when its input does
    if (!m_child->wait(m_o.timeoutMs)) {
        m_child->kill();
        m_r.error(L"The bridge did not end within " + seconds(m_o.timeoutMs) +
                  L" after the import; it timed out and was killed.");
    } else if (m_child->describe() != "exited with status 0") {
        m_r.error(L"The bridge " + toWide(m_child->describe()) + L" after the import.");
    }
}

void Session::noteSegment(const std::wstring& segment) {
    // A name the library would refuse names no segment of ours; it is never acted on.
    if (!mp::SharedBuffer<char>::validName(segment)) return;
    if (m_segments.emplace(segment, false).second) m_r.noteSegment(segment);
}

// Settled: loaded (the loader removed it, or owns it now) or refused, and then removed here.
// What stays in the map is only what delayed loading still waits for.
void Session::release(const std::wstring& segment) {
    const auto it = m_segments.find(segment);
    if (it == m_segments.end()) return;
    if (!it->second && m_o.useSegments) {
        try {
            mp::SharedBuffer<char>::remove(segment);
        } catch (const std::exception&) {
            // Not ours to remove, or already gone.
        }
    }
    m_segments.erase(it);
}

// One frame from a bridge being stopped: its segment is noted so that it is removed. False
// once nothing more is to be had (the pipe ended, broke, or a new signal came).
bool Session::drainOne(int waitMs, int& frames) {
    std::wstring text;
    switch (m_reader->read(text, waitMs)) {
        case tools::FrameReader::Status::frame: {
            ++frames;
            JsonDocument doc;
            if (tools::parseDocument(text, doc)) noteSegment(tools::segmentOf(doc));
            return true;
        }
        case tools::FrameReader::Status::timeout: return true;
        default: return false;
    }
}

// The bridge is asked to end (it removes what it has not announced), then its whole group
// is killed. Segments it named in frames the host never read still sit in the pipe: those
// frames are read, within a deadline and a frame budget, so that the segments are removed
// too. A further SIGINT or SIGTERM cuts the waiting short.
void Session::stopBridge() {
    if (!m_reader || !m_child) return;
    const auto left = msLeft;
    if (m_o.stop) m_reader->setStopFlag(m_o.stop, *m_o.stop);
    int frames = 0;
    bool open = true;
    if (m_child->running()) {
        m_child->terminate();
        const auto grace = Clock::now() + std::chrono::milliseconds(kStopGraceMs);
        while (open && frames < kDrainFrames && left(grace) > 0 && !m_child->wait(0))
            open = drainOne(std::min(left(grace), 100), frames);
    }
    m_child->kill();
    const auto until = Clock::now() + std::chrono::milliseconds(kDrainMs);
    while (open && frames < kDrainFrames && left(until) > 0)
        open = drainOne(left(until), frames);
}

// Whatever was named and not loaded would stay in shared memory until the next boot.
void Session::removeUnloaded() {
    while (!m_segments.empty()) release(m_segments.begin()->first);
}

}  // namespace

int runSession(const HostOptions& options, Report& report, Listener& listener) {
    Session session(options, report, listener);
    return session.run();
}

int readBridgeOutput(int fd, const HostOptions& options, Report& report, Listener& listener) {
    Session session(options, report, listener);
    return session.replay(fd);
}

}  // namespace trx::host
