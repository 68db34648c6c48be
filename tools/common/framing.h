#pragma once

// One document on a byte pipe: the UTF-8 form of its wide text, ended by one NUL byte.

#include <csignal>
#include <cstddef>
#include <string>

namespace trx::tools {

// Writes every byte or returns false (peer gone). (Programs ignore SIGPIPE.)
bool writeFrame(int fd, const std::wstring& text);

class FrameReader {
public:
    // tooLarge: the peer sent more than the limit without ending a frame (it is not
    // talking this protocol); the reader is then of no further use.
    // interrupted: a signal arrived while waiting and the stop flag is set.
    enum class Status { frame, end, timeout, error, tooLarge, interrupted };
    static constexpr std::size_t kDefaultMaxFrame = std::size_t(64) << 20;
    explicit FrameReader(int fd, std::size_t maxFrame = kDefaultMaxFrame)
        : m_fd(fd), m_maxFrame(maxFrame) {}
    // Waits at most timeoutMs (negative: forever) for a whole frame.
    Status read(std::wstring& text, int timeoutMs = -1);
    // A counter that a signal handler raises to end a wait early: a wait ends once it is
    // above `seen` (signals that came before and were dealt with already).
    void setStopFlag(const volatile std::sig_atomic_t* flag, std::sig_atomic_t seen = 0) {
        m_stop = flag;
        m_seen = seen;
    }

private:
    bool stopped() const { return m_stop && *m_stop > m_seen; }
    int m_fd;
    std::size_t m_maxFrame;
    const volatile std::sig_atomic_t* m_stop = nullptr;
    std::sig_atomic_t m_seen = 0;
    std::string m_pending;
    std::size_t m_scanned = 0;  // bytes of m_pending known to hold no NUL
};

}  // namespace trx::tools
