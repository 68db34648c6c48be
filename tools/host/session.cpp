#include "session.h"

#include <filesystem>
#include <map>
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

// How long a stopped bridge's last frames may take to come out of the pipe.
constexpr int kStrandedWaitMs = 500;

std::wstring seconds(int ms) {
    std::wostringstream s;
    s << ms / 1000.0 << L" s";
    return s.str();
}

class Session {
public:
    Session(const HostOptions& options, Report& report, Listener& listener)
        : m_o(options), m_r(report), m_l(listener) {}
    ~Session() { removeUnloaded(); }

    int run();

private:
    void askInfo();
    void import();
    Command importCommand() const;
    void receive(const std::wstring& text, const JsonDocument& doc);
    void use(const std::shared_ptr<IExchangeObject>& object, const std::wstring& segment);
    void loadPending();
    void finishBridge();
    std::wstring next(const wchar_t* waitingFor);
    [[noreturn]] void bridgeGone(const wchar_t* waitingFor);
    void send(const Command& command, const wchar_t* what);
    void noteSegment(const std::wstring& segment);
    void collectStranded();
    void removeUnloaded();

    const HostOptions& m_o;
    Report& m_r;
    Listener& m_l;
    tools::ChildProcess m_child;
    std::unique_ptr<tools::FrameReader> m_reader;
    EBridgeInterface m_interface = EBridgeInterface::Connect;
    std::map<std::wstring, bool> m_segments;  // named by the bridge -> loaded here
    std::vector<std::pair<std::shared_ptr<IExchangeObject>, std::wstring>> m_pending;
};

int Session::run() {
    const auto started = std::chrono::steady_clock::now();
    m_r.file = toWide(m_o.file);
    m_r.delayed = m_o.delayed;
    int code = kOk;
    try {
        try {
            m_child.start(m_o.bridge, m_o.bridgeArgs);
        } catch (const std::exception& e) {
            throw Failure{kBridgeFailed, "error", toWide(e.what())};
        }
        m_reader = std::make_unique<tools::FrameReader>(m_child.output());
        m_reader->setStopFlag(m_o.stop);
        askInfo();
        import();
        if (m_o.delayed) loadPending();
        finishBridge();
        if (m_r.status == "ok" && !m_r.errors().empty()) {
            m_r.status = "error";
            code = kImportFailed;
        } else if (m_r.status != "ok") {
            code = kImportFailed;
        }
    } catch (const Failure& f) {
        m_child.kill();
        m_r.status = f.status;
        m_r.message = f.message;
        code = f.code;
    } catch (const std::exception& e) {
        // Ours, not the bridge's; still nothing may be left behind.
        m_child.kill();
        m_r.status = "error";
        m_r.message = L"The host failed: " + toWide(e.what());
        code = kImportFailed;
    }
    collectStranded();
    m_pending.clear();
    removeUnloaded();
    m_r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return code;
}

void Session::send(const Command& command, const wchar_t* what) {
    if (!tools::sendDocument(m_child.input(), command)) bridgeGone(what);
}

[[noreturn]] void Session::bridgeGone(const wchar_t* waitingFor) {
    // The pipe ended: the bridge is dead or about to be.
    if (!m_child.wait(m_o.timeoutMs)) m_child.kill();
    throw Failure{kBridgeFailed, "bridge_died",
                  L"The bridge ended (" + toWide(m_child.describe()) +
                      L") while the host waited for " + waitingFor + L", " + m_r.whereText() +
                      L". Arrived: " + m_r.arrivedText() + L"."};
}

std::wstring Session::next(const wchar_t* waitingFor) {
    std::wstring text;
    switch (m_reader->read(text, m_o.timeoutMs)) {
        case tools::FrameReader::Status::frame: return text;
        case tools::FrameReader::Status::end: bridgeGone(waitingFor);
        case tools::FrameReader::Status::timeout:
            m_child.kill();
            throw Failure{kBridgeFailed, "timeout",
                          L"The bridge sent nothing for " + seconds(m_o.timeoutMs) +
                              L" while the host waited for " + waitingFor + L", " +
                              m_r.whereText() + L"; it was stopped. Arrived: " + m_r.arrivedText() +
                              L"."};
        case tools::FrameReader::Status::interrupted:
            m_child.kill();
            throw Failure{kInterrupted, "interrupted",
                          std::wstring(L"Interrupted while the host waited for ") + waitingFor +
                              L", " + m_r.whereText() + L". Arrived: " + m_r.arrivedText() + L"."};
        case tools::FrameReader::Status::tooLarge:
        case tools::FrameReader::Status::error: break;
    }
    m_child.kill();
    throw Failure{
        kBridgeFailed, "protocol_error",
        std::wstring(L"The bridge's output cannot be read as frames while the host waited for ") +
            waitingFor + L"."};
}

void Session::askInfo() {
    Command info;
    info.setType(Command::Info);
    info.setInternalInterface(EBridgeInterface::Connect);
    send(info, L"its capabilities");
    const std::wstring text = next(L"its capabilities");
    JsonDocument doc;
    if (!tools::parseDocument(text, doc) || tools::kindOf(doc) != tools::DocumentKind::bridgeInfo)
        throw Failure{kBridgeFailed, "protocol_error",
                      L"The bridge did not answer \"info\" with its capabilities."};
    BridgeInfo bridge;
    try {
        std::wistringstream in(text);
        bridge.readObject(in);
    } catch (const std::exception& e) {
        throw Failure{kBridgeFailed, "protocol_error",
                      L"The bridge's capabilities cannot be read: " + toWide(e.what())};
    }
    m_r.bridgeName = bridge.name();
    m_r.bridgeVersion = bridge.version();
    m_interface = m_o.legacy ? EBridgeInterface::Legacy : bridge.requestedInterface();
    m_r.interfaceName = m_interface == EBridgeInterface::Legacy    ? L"legacy"
                        : m_interface == EBridgeInterface::Connect ? L"connect"
                                                                   : L"uconnect";
    const std::wstring name = std::filesystem::path(m_o.file).filename().wstring();
    std::wstring filters;
    for (const auto& format : bridge.importFormats()) {
        if (!format) continue;
        if (format->is(name)) return;
        for (const auto& f : format->getFilters()) filters += (filters.empty() ? L"" : L", ") + f;
    }
    throw Failure{kUsage, "error",
                  L"The bridge imports no file like " + name + L" (it reads " +
                      (filters.empty() ? L"nothing" : filters) + L")."};
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
        const std::wstring text = next(L"the import");
        JsonDocument doc;
        if (!tools::parseDocument(text, doc))
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge sent a document that is not JSON, " + m_r.whereText() +
                              L": " + text.substr(0, 80)};
        const auto kind = tools::kindOf(doc);
        if (kind == tools::DocumentKind::envelope) {
            receive(text, doc);
            continue;
        }
        if (kind != tools::DocumentKind::result)
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge sent a " + toWide(tools::kindName(kind)) +
                              L" document during the import, " + m_r.whereText() + L"."};
        Result result;
        try {
            std::wistringstream in(text);
            result.readObject(in);
        } catch (const std::exception& e) {
            throw Failure{kBridgeFailed, "protocol_error",
                          L"The bridge's result cannot be read: " + toWide(e.what())};
        }
        m_r.mark(L"result", m_l);
        m_r.message = result.message();
        if (result.code() != Result::Ok && result.code() != Result::Warning) m_r.status = "error";
        return;
    }
}

void Session::receive(const std::wstring& text, const JsonDocument& doc) {
    // The segment is known before anything can fail, so it is never forgotten.
    const std::wstring segment = tools::segmentOf(doc);
    noteSegment(segment);
    const auto name = doc.FindMember(L"exchange_object_name");
    const std::wstring objectName = name->value.IsString() ? name->value.GetString() : L"(unnamed)";
    m_r.arrived(objectName);

    ExchangeObjectWrapper envelope;
    envelope.setDelayedLoading(m_o.delayed);
    try {
        std::wistringstream in(text);
        envelope.readObject(in);
    } catch (const std::exception& e) {
        m_r.error(L"A " + objectName + L" cannot be read: " + toWide(e.what()));
        return;
    }
    const auto object = envelope.get();
    if (!object) {
        m_r.error(L"Unknown object " + objectName + L".");
        return;
    }
    const bool unloaded = std::dynamic_pointer_cast<ExcBlockGeometry>(object) || object->binary();
    if (m_o.delayed && unloaded)
        m_pending.emplace_back(object, segment);
    else
        use(object, segment);
}

void Session::use(const std::shared_ptr<IExchangeObject>& object, const std::wstring& segment) {
    try {
        object->load();  // nothing for text objects and objects loaded on arrival
    } catch (const std::exception& e) {
        m_r.error(L"A " + object->objectName() + L" cannot be loaded: " + toWide(e.what()));
        return;
    }
    if (!segment.empty() && object->isLoaded()) m_segments[segment] = true;
    m_r.take(object, m_l);
}

void Session::loadPending() {
    const auto pending = std::move(m_pending);
    m_pending.clear();
    for (const auto& [object, segment] : pending) use(object, segment);
    m_r.mark(L"loading", m_l);
}

void Session::finishBridge() {
    m_child.closeInput();  // the bridge ends when its input does
    if (!m_child.wait(m_o.timeoutMs)) {
        m_child.kill();
        m_r.error(L"The bridge did not end after the import; it was stopped.");
    } else if (m_child.describe() != "exited with status 0") {
        m_r.error(L"The bridge " + toWide(m_child.describe()) + L" after the import.");
    }
}

void Session::noteSegment(const std::wstring& segment) {
    if (!segment.empty() && m_segments.emplace(segment, false).second)
        m_r.segments.push_back(segment);
}

// A bridge that was stopped may have named segments the host never read: their names
// still sit in the pipe. Drain it to its end so that those segments are removed too.
void Session::collectStranded() {
    if (!m_reader || m_child.running()) return;
    m_reader->setStopFlag(nullptr);
    std::wstring text;
    while (m_reader->read(text, kStrandedWaitMs) == tools::FrameReader::Status::frame) {
        JsonDocument doc;
        if (tools::parseDocument(text, doc)) noteSegment(tools::segmentOf(doc));
    }
}

// Whatever was named and not loaded would stay in shared memory until the next boot.
void Session::removeUnloaded() {
    for (auto& [name, loaded] : m_segments) {
        if (loaded) continue;
        try {
            mp::SharedBuffer<char>::remove(name);
        } catch (const std::exception&) {
            // A name that breaks the naming rule names no segment of ours.
        }
        loaded = true;
    }
}

}  // namespace

int runSession(const HostOptions& options, Report& report, Listener& listener) {
    Session session(options, report, listener);
    return session.run();
}

}  // namespace trx::host
