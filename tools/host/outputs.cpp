#include "outputs.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>

#ifdef TRX_HOST_GLTF
#include "gltf.h"
#endif

namespace trx::host {
namespace {

// Times write(), then notes the file, its size and what write() says of it.
bool produce(const std::string& kind, const std::string& path, Report& report,
             const std::function<std::string()>& write) {
    OutputFile file;
    file.kind = kind;
    file.path = path;
    const auto start = std::chrono::steady_clock::now();
    try {
        file.detail = write();
        std::error_code ec;
        file.bytes = std::filesystem::file_size(path, ec);
    } catch (const std::exception& e) {
        file.error = e.what();
    }
    file.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool ok = file.error.empty();
    report.addOutput(std::move(file));
    return ok;
}

}  // namespace

bool writeOutputs(const Scene& scene, const OutputOptions& options, Report& report) {
    bool ok = true;
    if (!options.gltf.empty())
        ok &= produce("gltf", options.gltf, report, [&]() -> std::string {
#ifdef TRX_HOST_GLTF
            writeGltf(scene, options.gltf);
            return {};
#else
            throw std::runtime_error("this trx-host was built without glTF output (tinygltf)");
#endif
        });
    if (!options.png.empty())
        ok &= produce("png", options.png, report, [&]() -> std::string {
#ifdef TRX_HOST_PNG
            const Picture picture = render(scene, options.picture);
            writePng(picture, options.png);
            std::string detail = std::to_string(picture.width) + "x" +
                                 std::to_string(picture.height) + ", view " +
                                 toNarrow(picture.view);
            if (!picture.complete)
                report.note(L"the picture was cut short: the scene covers its pixels too many "
                            L"times over");
            return picture.complete ? detail : detail + ", cut short";
#else
            throw std::runtime_error("this trx-host was built without pictures (libpng)");
#endif
        });
    return ok;
}

bool parseSize(const std::string& text, int& width, int& height) {
    int w = 0, h = 0, used = 0;
    if (std::sscanf(text.c_str(), "%dx%d%n", &w, &h, &used) != 2 ||
        used != static_cast<int>(text.size()))
        return false;
    if (w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide) return false;
    width = w;
    height = h;
    return true;
}

}  // namespace trx::host
