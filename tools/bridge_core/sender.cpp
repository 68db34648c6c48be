#include "sender.h"

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

#include "common/framing.h"
#include "common/protocol.h"
#include "mp/shared_buffer.h"
#include "trx_api/trx_api_exchange_object.h"

namespace trx::bridge {
namespace {

[[noreturn]] void crash() {
    // A real crash, without a core file; the default action also beats a sanitizer's handler.
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
    ::_exit(128 + SIGSEGV);
}

}  // namespace

// Silent until a signal asks it to stop, as a bridge stuck in a long computation would be.
void Sender::hang() const {
    for (;;) {
        stopPoint();
        ::pause();
    }
}

void Sender::stopPoint() const {
    if (stopRequested()) throw Stopped{};
}

void Sender::answer(const mp::ISerializable& document) {
    if (!tools::sendDocument(m_fd, document)) throw HostGone();
}

void Sender::noteSegment(const std::wstring& name) {
    if (m_switches.segmentLog.empty() || name.empty()) return;
    std::ofstream log(m_switches.segmentLog, std::ios::app);
    log << toNarrow(name) << '\n';
}

void Sender::send(const std::shared_ptr<IExchangeObject>& object) {
    stopPoint();
    ExchangeObjectWrapper envelope(object);
    std::wostringstream text;
    envelope.writeObject(text);
    JsonDocument doc;
    std::wstring segment;
    if (tools::parseDocument(text.str(), doc)) segment = tools::segmentOf(doc);
    if (object->binary()) noteSegment(segment);
    if (static_cast<long>(m_sent) == m_switches.hangUnsent) {
        try {
            hang();
        } catch (const Stopped&) {
            if (object->binary() && !segment.empty()) mp::SharedBuffer<char>::remove(segment);
            throw;
        }
    }
    // Until its frame is out, nobody will load it: the segment would outlive us.
    const bool stopped = stopRequested();
    if (stopped || !tools::writeFrame(m_fd, text.str())) {
        if (object->binary() && !segment.empty()) mp::SharedBuffer<char>::remove(segment);
        if (stopped) throw Stopped{};
        throw HostGone();
    }
    ++m_sent;
    checkpoint();
}

void Sender::checkpoint() {
    stopPoint();
    const auto sent = static_cast<long>(m_sent);
    if (sent == m_switches.crashAfter) crash();
    if (sent == m_switches.hangAfter) hang();
}

}  // namespace trx::bridge
