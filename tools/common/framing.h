#pragma once

// One document on a byte pipe: the UTF-8 form of its wide text, ended by one NUL byte.

#include <string>

namespace trx::tools {

// Writes every byte or returns false (peer gone). (Programs ignore SIGPIPE.)
bool writeFrame(int fd, const std::wstring& text);

class FrameReader {
public:
    enum class Status { frame, end, timeout, error };
    explicit FrameReader(int fd) : m_fd(fd) {}
    // Waits at most timeoutMs (negative: forever) for a whole frame.
    Status read(std::wstring& text, int timeoutMs = -1);

private:
    int m_fd;
    std::string m_pending;
};

}  // namespace trx::tools
