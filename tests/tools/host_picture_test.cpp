// The host's pictures of real models: not empty, in the model's colours, from the model's
// saved view when it has one.

#ifdef TRX_HOST_PNG

#include <cmath>

#include "host/picture.h"
#include "tool_support.h"

namespace trx::test {
namespace {

struct Colour {
    double r, g, b;
};

// Pixels that show this colour under some light: each channel the same fraction of the
// colour's (within a few steps), and lit at least a fifth.
std::size_t pixelsOf(const host::Picture& p, const Colour& c) {
    std::size_t n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const auto px = p.at(x, y);
            const double brightest = std::max({c.r, c.g, c.b});
            const double k = std::max({px[0] / 255.0, px[1] / 255.0, px[2] / 255.0}) / brightest;
            if (k < 0.2 || k > 1.01) continue;
            if (std::abs(px[0] / 255.0 - k * c.r) < 0.03 &&
                std::abs(px[1] / 255.0 - k * c.g) < 0.03 &&
                std::abs(px[2] / 255.0 - k * c.b) < 0.03)
                ++n;
        }
    return n;
}

std::size_t modelPixels(const host::Picture& p) {
    std::size_t n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) n += p.at(x, y) != host::kBackground;
    return n;
}

// The host run with a picture of the given size; the summary it wrote.
JsonDocument importWithPicture(const Scratch& scratch, const fs::path& file,
                               std::vector<std::string> extra = {}) {
    const std::string json = scratch.path("summary.json").string();
    std::vector<std::string> args{file.string(), "--json", json, "--png",
                                  scratch.path("picture.png").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto run = tools::runProgram(TRX_HOST_EXE, args, {}, 120000);
    EXPECT_EQ(run.exitCode(), 0) << file << ":\n" << run.out;
    return parseJson(readFile(json));
}

std::string pictureDetail(const JsonDocument& summary) {
    for (const auto& o : summary[L"outputs"].GetArray())
        if (str(o[L"kind"]) == "png") return str(o[L"detail"]);
    return {};
}

TEST(HostPicture, StlSampleIsGreyIsometricAndFillsThePicture) {
    Scratch scratch;
    const JsonDocument summary = importWithPicture(
        scratch, fs::path(TRX_SAMPLES_DIR) / "assembly.stl", {"--size", "320x200"});
    EXPECT_EQ(pictureDetail(summary), "320x200, view isometric");
    const host::Picture p = host::readPng(scratch.path("picture.png").string());
    ASSERT_EQ(p.width, 320);
    ASSERT_EQ(p.height, 200);
    const std::size_t model = modelPixels(p);
    EXPECT_GT(model, 320u * 200 / 10);
    // STL has no colours: the model is the neutral grey, shaded.
    EXPECT_GT(pixelsOf(p, {host::kDefaultColor.r, host::kDefaultColor.g, host::kDefaultColor.b}),
              model * 9 / 10);
}

#ifdef TRX_STEP_BRIDGE_EXE
TEST(HostPicture, StepSampleShowsEveryColourOfTheFixture) {
    Scratch scratch;
    importWithPicture(scratch, fs::path(TRX_SAMPLES_DIR) / "fixture.step", {"--edges"});
    const host::Picture p = host::readPng(scratch.path("picture.png").string());
    EXPECT_EQ(p.width, 1024);
    EXPECT_EQ(p.height, 768);
    EXPECT_GT(modelPixels(p), 1024u * 768 / 10);
    // The sRGB colours the sample's generator gives: plate, column, cap, pins, bracket and
    // the right bracket's own colour.
    const Colour colours[] = {{0.6, 0.6, 0.6}, {0.2, 0.4, 0.8}, {0.8, 0.1, 0.1},
                              {0.1, 0.7, 0.2}, {0.9, 0.5, 0.1}, {1.0, 0.9, 0.0}};
    for (const Colour& c : colours)
        EXPECT_GT(pixelsOf(p, c), 100u) << c.r << " " << c.g << " " << c.b;
}

TEST(HostPicture, ModelWithSavedViewsIsDrawnFromItsFirst) {
    const fs::path file = testdataDir() / "step" / "nist_ctc_01_asme1_ap242-e1.stp";
    if (!fs::exists(file)) GTEST_SKIP() << file << " is not here";
    Scratch scratch;
    const JsonDocument summary = importWithPicture(scratch, file, {"--size", "400x300"});
    ASSERT_GE(summary[L"views"].Size(), 1u);
    const std::string first = str(summary[L"views"][0][L"name"]);
    EXPECT_EQ(pictureDetail(summary), "400x300, view " + first);
    EXPECT_GT(modelPixels(host::readPng(scratch.path("picture.png").string())), 400u * 300 / 20);

    const JsonDocument iso = importWithPicture(scratch, file, {"--view", "isometric"});
    EXPECT_EQ(pictureDetail(iso), "1024x768, view isometric");
}

TEST(HostPicture, UnknownViewIsAnErrorThatNamesTheViews) {
    const fs::path file = testdataDir() / "step" / "nist_ctc_01_asme1_ap242-e1.stp";
    if (!fs::exists(file)) GTEST_SKIP() << file << " is not here";
    Scratch scratch;
    const std::string json = scratch.path("summary.json").string();
    const auto run = tools::runProgram(
        TRX_HOST_EXE,
        {file.string(), "--json", json, "--png", scratch.path("p.png").string(), "--view", "nope"},
        {}, 120000);
    EXPECT_EQ(run.exitCode(), 1) << run.out;
    const JsonDocument summary = parseJson(readFile(json));
    const std::string error = str(summary[L"outputs"][0][L"error"]);
    EXPECT_NE(error.find("nope"), std::string::npos) << error;
    EXPECT_NE(error.find(str(summary[L"views"][0][L"name"])), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(scratch.path("p.png")));
}
#endif

}  // namespace
}  // namespace trx::test

#endif
