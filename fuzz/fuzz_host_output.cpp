#include <sstream>
#include <sys/mman.h>
#include <unistd.h>

#include "host/report.h"
#include "host/session.h"

namespace {

class Quiet : public trx::host::Listener {
public:
    void progress(int, int, const std::wstring&) override {}
    void message(const std::wstring&) override {}
    void log(const std::wstring&) override {}
    void stage(const std::wstring&, double) override {}
};

}  // namespace

// A whole bridge output (frames ended by NUL bytes), as the host reads it after asking for
// "info" and an import. Segments named in it are foreign: never opened, never removed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("bridge-output", MFD_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::lseek(fd, 0, SEEK_SET);
    for (const bool delayed : {false, true}) {
        trx::host::HostOptions options;
        options.file = "part.stl";
        options.delayed = delayed;
        options.useSegments = false;
        trx::host::Report report;
        Quiet quiet;
        ::lseek(fd, 0, SEEK_SET);
        trx::host::readBridgeOutput(fd, options, report, quiet);
        std::ostringstream out;
        report.writeText(out);
        report.writeJson(out);
    }
    ::close(fd);
    return 0;
}
