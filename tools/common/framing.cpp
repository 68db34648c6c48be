#include "framing.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

#include "trx_api/json/json_object.h"

namespace trx::tools {

bool writeFrame(int fd, const std::wstring& text) {
    std::string bytes = toNarrow(text);
    bytes.push_back('\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

FrameReader::Status FrameReader::read(std::wstring& text, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        // Only bytes not yet looked at are searched, so a long frame costs linear time.
        const auto nul = m_pending.find('\0', m_scanned);
        if (nul != std::string::npos) {
            text = toWide(m_pending.c_str());  // ends at the frame's NUL: no copy of the frame
            m_pending.erase(0, nul + 1);
            // A huge frame's buffer is not kept for the small ones after it.
            if (m_pending.capacity() > (std::size_t(1) << 20) &&
                m_pending.size() < m_pending.capacity() / 4)
                m_pending.shrink_to_fit();
            m_scanned = 0;
            return Status::frame;
        }
        m_scanned = m_pending.size();
        if (m_pending.size() > m_maxFrame) return Status::tooLarge;
        if (stopped()) return Status::interrupted;
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0) return Status::timeout;
            wait = static_cast<int>(left);
        }
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (stopped()) return Status::interrupted;
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Status::error;
        if (ready == 0) return Status::timeout;
        char buf[65536];
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Status::error;
        if (n == 0) return Status::end;
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace trx::tools
