#pragma once

// The bridge's side of the pipe: answers and exchange objects, one frame each, with the
// switches that let the host's tests make the bridge crash or hang part-way.

#include <csignal>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace mp {
class ISerializable;
}
namespace trx {
class IExchangeObject;
}

namespace trx::bridge {

struct TestSwitches {
    long crashAfter = -1;    // crash (SIGSEGV) once this many exchange objects are sent
    long hangAfter = -1;     // stop answering once this many exchange objects are sent
    long hangUnsent = -1;    // stop answering with this many sent and the next one made,
                             // its segment created but not yet announced
    std::string segmentLog;  // when set, every segment created is appended here, one a line
};

// The host closed its end: nothing more can be said.
struct HostGone : std::runtime_error {
    HostGone() : std::runtime_error("the host closed the pipe") {}
};

// SIGINT or SIGTERM came: the import unwinds, and what it made and did not announce goes
// with it. Not a std::exception, so that no "import failed" handler takes it for an error.
struct Stopped {};

class Sender {
public:
    Sender(int fd, TestSwitches switches) : m_fd(fd), m_switches(std::move(switches)) {}

    // A count that a signal handler raises; sending stops at the next safe point once it is
    // above zero.
    void setStopFlag(const volatile std::sig_atomic_t* flag) { m_stop = flag; }
    bool stopRequested() const { return m_stop && *m_stop > 0; }
    // Throws Stopped when a stop was asked for.
    void stopPoint() const;

    // A command's answer. Throws HostGone.
    void answer(const mp::ISerializable& document);
    // One exchange object in its envelope. Binary objects go through a fresh segment, which
    // is removed again when the frame cannot be written. Throws HostGone.
    void send(const std::shared_ptr<IExchangeObject>& object);
    // Where an import starts: the switches also act before the first object. Throws Stopped.
    void checkpoint();
    // Notes a segment made outside send() (block geometry) before it is announced.
    void noteSegment(const std::wstring& name);

    std::uint64_t sent() const { return m_sent; }

private:
    int m_fd;
    TestSwitches m_switches;
    std::uint64_t m_sent = 0;
    const volatile std::sig_atomic_t* m_stop = nullptr;
    [[noreturn]] void hang() const;
};

}  // namespace trx::bridge
