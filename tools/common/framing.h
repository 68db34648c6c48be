#pragma once

// One document on a byte pipe: the UTF-8 form of its wide text, ended by one NUL byte.

#include <cstddef>
#include <string>

namespace trx::tools {

// Writes every byte or returns false (peer gone). (Programs ignore SIGPIPE.)
bool writeFrame(int fd, const std::wstring& text);

class FrameReader {
public:
    // tooLarge: the peer sent more than the limit without ending a frame (it is not
    // talking this protocol); the reader is then of no further use.
    enum class Status { frame, end, timeout, error, tooLarge };
    static constexpr std::size_t kDefaultMaxFrame = std::size_t(64) << 20;
    explicit FrameReader(int fd, std::size_t maxFrame = kDefaultMaxFrame)
        : m_fd(fd), m_maxFrame(maxFrame) {}
    // Waits at most timeoutMs (negative: forever) for a whole frame.
    Status read(std::wstring& text, int timeoutMs = -1);

private:
    int m_fd;
    std::size_t m_maxFrame;
    std::string m_pending;
    std::size_t m_scanned = 0;  // bytes of m_pending known to hold no NUL
};

}  // namespace trx::tools
