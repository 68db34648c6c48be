#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "bridge_core/sender.h"
#include "bridge_core/serve.h"
#include "common/framing.h"

// Command frames as a host sends them. Imports stop at their settings: reading files and
// making segments is not what is tested here.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int in = ::memfd_create("commands", MFD_CLOEXEC);
    const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (in < 0 || out < 0) {
        if (in >= 0) ::close(in);
        if (out >= 0) ::close(out);
        return 0;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(in, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::lseek(in, 0, SEEK_SET);
    trx::tools::FrameReader reader(in, 1 << 20);
    trx::bridge::Sender sender(out, {});
    try {
        trx::bridge::BridgeProgram program;
        program.name = "fuzz";
        program.info = [] { return trx::BridgeInfo(); };
        program.import = [](const trx::bridge::ImportSettings& settings, trx::bridge::Sender&) {
            trx::Result result;
            result.setMessage(settings.file);
            for (const auto& w : settings.warnings) result.setMessage(w);
            return result;
        };
        trx::bridge::serve(reader, sender, program);
    } catch (const trx::bridge::HostGone&) {
    }
    ::close(in);
    ::close(out);
    return 0;
}
