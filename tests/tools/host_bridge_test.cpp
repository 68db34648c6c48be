// The host against the bridge, as two real processes: the shipped samples through both
// interfaces, loaded at once and delayed, checked against the shapes' closed forms; and
// the ways a run can go wrong, none of which may leave a segment behind.

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <map>
#include <sys/wait.h>
#include <thread>

#include "common/process.h"
#include "tool_support.h"

using namespace trx;
using namespace trx::test;

namespace {

using Point = std::array<double, 3>;

struct Shape {
    std::string name;
    std::size_t triangles;
    double area;
    double volume;
    Point min;
    Point max;
};

// Area of a regular n-gon of circumradius r, and the length of its side.
double ngonArea(int n, double r) { return n / 2.0 * r * r * std::sin(2 * M_PI / n); }
double ngonSide(int n, double r) { return 2 * r * std::sin(M_PI / n); }

// What samples/make_samples.py builds, in closed form.
std::vector<Shape> assemblyShapes() {
    const double hexagon = ngonArea(6, 5);
    const double halfHeight = 5 * std::sqrt(3.0) / 2;  // of the hexagon, corner on the x axis
    return {
        {"cube", 12, 600, 1000, {0, 0, 0}, {10, 10, 10}},
        {"plate", 12, 2 * (40 * 20 + 40 * 2 + 20 * 2), 40 * 20 * 2, {20, 0, 0}, {60, 20, 2}},
        {"hex prism",
         20,
         2 * hexagon + 6 * 5 * 12,
         12 * hexagon,
         {75, 10 - halfHeight, 0},
         {85, 10 + halfHeight, 12}},
    };
}

std::vector<Shape> ringShapes() {
    const int n = 64;
    const double annulus = ngonArea(n, 25) - ngonArea(n, 15);
    return {{"ring, 64 segments, binary sample",
             8 * n,
             2 * annulus + n * 6 * (ngonSide(n, 25) + ngonSide(n, 15)),
             6 * annulus,
             {-25, -25, 0},
             {25, 25, 6}}};
}

std::string sample(const std::string& name) { return std::string(TRX_SAMPLES_DIR) + "/" + name; }

// One run of the host with the summary it wrote and the segments the bridge made.
struct HostRun {
    tools::RunResult process;
    JsonDocument summary;
    std::vector<std::string> toldSegments;    // named to the host
    std::vector<std::string> bridgeSegments;  // created by the bridge
    double seconds = 0;

    const JsonValue& operator[](const wchar_t* key) const {
        static const JsonValue none;
        const auto m = summary.FindMember(key);
        return m == summary.MemberEnd() ? none : m->value;
    }
    std::string status() const { return str((*this)[L"status"]); }
    std::string message() const { return str((*this)[L"message"]); }
};

HostRun runHost(const Scratch& scratch, std::vector<std::string> args,
                std::vector<std::string> env = {}, int timeoutMs = 60000) {
    const std::string json = scratch.path("summary.json").string();
    const std::string segmentLog = scratch.path("segments.log").string();
    fs::remove(json);
    fs::remove(segmentLog);
    args.insert(args.begin(), {"--bridge", TRX_BRIDGE_EXE, "--json", json});
    env.push_back("TRX_BRIDGE_SEGMENT_LOG=" + segmentLog);
    HostRun run;
    const auto started = std::chrono::steady_clock::now();
    run.process = tools::runProgram(TRX_HOST_EXE, args, env, timeoutMs);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    run.summary = parseJson(readFile(json));
    if (!run.summary.IsObject()) {
        ADD_FAILURE() << "no JSON summary; the host wrote:\n" << run.process.out;
        run.summary.SetObject();
        return run;
    }
    const JsonValue& told = run[L"segments"];
    if (told.IsArray())
        for (const auto& s : told.GetArray()) run.toldSegments.push_back(str(s));
    run.bridgeSegments = lines(readFile(segmentLog));
    return run;
}

// Every segment the bridge made was named to the host, and none is left.
void expectNoSegmentLeft(const HostRun& run) {
    EXPECT_EQ(std::multiset<std::string>(run.bridgeSegments.begin(), run.bridgeSegments.end()),
              std::multiset<std::string>(run.toldSegments.begin(), run.toldSegments.end()));
    EXPECT_EQ(leftSegments(run.bridgeSegments), std::vector<std::string>{});
    EXPECT_EQ(leftSegments(run.toldSegments), std::vector<std::string>{});
}

double num(const JsonValue& v) { return v.IsNumber() ? v.GetDouble() : NAN; }

void expectMeasures(const JsonValue& m, const Shape& shape, double tolerance,
                    const std::string& what) {
    SCOPED_TRACE(what + " of " + shape.name);
    ASSERT_TRUE(m.IsObject());
    EXPECT_EQ(m[L"triangles"].GetUint64(), shape.triangles);
    EXPECT_NEAR(num(m[L"area"]), shape.area, tolerance * shape.area);
    EXPECT_NEAR(num(m[L"volume"]), shape.volume, tolerance * shape.volume);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(num(m[L"bounding_box"][L"min"][c]), shape.min[c], tolerance * 100);
        EXPECT_NEAR(num(m[L"bounding_box"][L"max"][c]), shape.max[c], tolerance * 100);
    }
}

std::map<std::string, std::size_t> objectCounts(const HostRun& run) {
    std::map<std::string, std::size_t> counts;
    if (!run[L"objects"].IsObject()) return counts;
    for (const auto& m : run[L"objects"].GetObject())
        counts[toNarrow(m.name.GetString())] = m.value.GetUint64();
    return counts;
}

std::vector<std::string> stages(const HostRun& run) {
    std::vector<std::string> out;
    if (!run[L"stages"].IsArray()) return out;
    for (const auto& s : run[L"stages"].GetArray()) out.push_back(str(s[L"stage"]));
    return out;
}

std::string asciiFile(int facets, const char* broken) {
    std::string text = "solid broken\n";
    for (int i = 0; i < facets; ++i)
        text +=
            " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1 0 0\n   vertex 0 1 0\n"
            "  endloop\n endfacet\n";
    return text + broken;
}

}  // namespace

// ---- the samples, every way ----

struct SampleCase {
    std::string file;
    bool legacy;
    bool delayed;
};

// Test names and logs show the case, not its bytes.
void PrintTo(const SampleCase& c, std::ostream* out) {
    *out << c.file << (c.legacy ? " legacy" : " connect") << (c.delayed ? " delayed" : " at once");
}

class HostImport : public ::testing::TestWithParam<SampleCase> {};

TEST_P(HostImport, SummaryMatchesTheShapes) {
    const SampleCase& c = GetParam();
    Scratch scratch;
    std::vector<std::string> args{sample(c.file)};
    if (c.legacy) args.push_back("--legacy");
    if (c.delayed) args.push_back("--delayed");
    const HostRun run = runHost(scratch, args);
    ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
    EXPECT_EQ(run.status(), "ok") << run.process.out;
    EXPECT_EQ(str(run[L"interface"]), c.legacy ? "legacy" : "connect");
    EXPECT_EQ(run[L"delayed_loading"].GetBool(), c.delayed);
    EXPECT_EQ(str(run[L"units"]), "millimeter");
    EXPECT_EQ(run[L"errors"].Size(), 0u);

    const bool ascii = c.file == "assembly.stl";
    const std::vector<Shape> shapes = ascii ? assemblyShapes() : ringShapes();
    const double tolerance = ascii ? 1e-9 : 1e-5;  // binary STL holds floats
    const JsonValue& blocks = run[L"blocks"];
    ASSERT_EQ(blocks.Size(), shapes.size());
    const JsonValue& tree = run[L"tree"];
    ASSERT_EQ(tree.Size(), shapes.size());
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const JsonValue& b = blocks[static_cast<rapidjson::SizeType>(i)];
        EXPECT_EQ(str(b[L"name"]), shapes[i].name);
        EXPECT_EQ(str(tree[static_cast<rapidjson::SizeType>(i)][L"name"]), shapes[i].name);
        EXPECT_EQ(b[L"bodies"].GetUint64(), 1u);
        ASSERT_EQ(b[L"bridge_ids"].Size(), 1u);
        EXPECT_EQ(b[L"bridge_ids"][0].GetUint64(), b[L"id"].GetUint64());
        expectMeasures(b[L"geometry"], shapes[i], tolerance, "restored geometry");
        expectMeasures(b[L"mechanical"], shapes[i], tolerance, "mechanical data");
        EXPECT_EQ(b[L"visualization"][L"triangles"].GetUint64(), shapes[i].triangles);
        EXPECT_EQ(b[L"visualization"][L"vertices"].GetUint64(), 3 * shapes[i].triangles);
    }
    std::size_t triangles = 0;
    for (const auto& s : shapes) triangles += s.triangles;
    EXPECT_EQ(run[L"totals"][L"triangles"].GetUint64(), triangles);
    EXPECT_EQ(run[L"totals"][L"bodies"].GetUint64(), shapes.size());

    auto counts = objectCounts(run);
    EXPECT_EQ(counts["exc_product_structure"], 1u);
    EXPECT_EQ(counts["exc_block_geometry"], shapes.size());
    EXPECT_EQ(counts["exc_block_visualization"], shapes.size());
    EXPECT_EQ(counts["exc_block_mechanical_data"], shapes.size());
    EXPECT_EQ(counts["exc_root_assembly_visualization"], 1u);
    EXPECT_EQ(counts["exc_root_mechanical_data"], 1u);
    EXPECT_EQ(counts["legacy_component_instance_names"], c.legacy ? 1u : 0u);
    EXPECT_EQ(run[L"legacy_component_names"].GetUint64(), c.legacy ? shapes.size() : 0u);
    EXPECT_EQ(run[L"assembly_nodes"].GetUint64(), shapes.size() + 1);
    std::vector<std::string> expectedStages{"product_structure", "visu_and_mech",
                                            "root_visualization", "root_mechanical", "result"};
    if (c.delayed) expectedStages.push_back("loading");
    EXPECT_EQ(stages(run), expectedStages);
    // Structure, per block geometry, visualization, mechanical data, and the two roots.
    EXPECT_EQ(run.toldSegments.size(), 1 + 3 * shapes.size() + 2);
    expectNoSegmentLeft(run);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, HostImport,
    ::testing::Values(SampleCase{"assembly.stl", false, false},
                      SampleCase{"assembly.stl", false, true},
                      SampleCase{"assembly.stl", true, false},
                      SampleCase{"assembly.stl", true, true}, SampleCase{"ring.stl", false, false},
                      SampleCase{"ring.stl", false, true}, SampleCase{"ring.stl", true, false},
                      SampleCase{"ring.stl", true, true}),
    [](const auto& info) {
        std::string name = info.param.file.substr(0, info.param.file.find('.'));
        return name + (info.param.legacy ? "Legacy" : "Connect") +
               (info.param.delayed ? "Delayed" : "AtOnce");
    });

TEST(HostImport, OptionsDecideUnitsAndWhatIsSent) {
    Scratch scratch;
    for (const bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy" : "connect");
        std::vector<std::string> args{sample("assembly.stl"), "--units", "inch",
                                      "--no-visualization"};
        if (legacy) args.push_back("--legacy");
        const HostRun run = runHost(scratch, args);
        ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
        EXPECT_EQ(str(run[L"units"]), "inch");
        auto counts = objectCounts(run);
        EXPECT_EQ(counts["exc_block_visualization"], 0u);
        EXPECT_EQ(counts["exc_root_assembly_visualization"], 0u);
        EXPECT_EQ(counts["exc_block_mechanical_data"], 3u);
        EXPECT_EQ(stages(run), (std::vector<std::string>{"product_structure", "mechanical",
                                                         "root_mechanical", "result"}));
        expectNoSegmentLeft(run);
    }
    const HostRun run = runHost(scratch, {sample("ring.stl"), "--no-mechanical"});
    ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
    EXPECT_TRUE(run[L"blocks"][0][L"mechanical"].IsNull());
    EXPECT_EQ(objectCounts(run)["exc_root_mechanical_data"], 0u);
    EXPECT_EQ(stages(run), (std::vector<std::string>{"product_structure", "visualization",
                                                     "root_visualization", "result"}));
    expectMeasures(run[L"blocks"][0][L"geometry"], ringShapes()[0], 1e-5, "restored geometry");
}

// ---- the bridge dies, falls silent, or cannot read the file ----

TEST(HostFailures, BridgeCrashPartWayIsReportedAndCleanedUp) {
    Scratch scratch;
    for (const bool delayed : {false, true}) {
        SCOPED_TRACE(delayed ? "delayed" : "at once");
        // Objects 1-3: log, progress, message; 4 structure, 5 stage, 6 progress, 7 geometry,
        // 8 progress, 9 visualization of the first block: it crashes with three segments
        // announced.
        std::vector<std::string> args{sample("assembly.stl")};
        if (delayed) args.push_back("--delayed");
        const HostRun run = runHost(scratch, args, {"TRX_BRIDGE_CRASH_AFTER=9"});
        EXPECT_EQ(run.process.exitCode(), 3) << run.process.out;
        EXPECT_EQ(run.status(), "bridge_died");
        EXPECT_NE(run.message().find("killed by signal 11"), std::string::npos) << run.message();
        EXPECT_NE(run.message().find("after \"product_structure\" finished"), std::string::npos)
            << run.message();
        EXPECT_NE(run.message().find("block cube"), std::string::npos) << run.message();
        EXPECT_NE(run.message().find("1 exc_block_visualization"), std::string::npos)
            << run.message();
        EXPECT_EQ(run.toldSegments.size(), 3u);
        expectNoSegmentLeft(run);
    }
}

TEST(HostFailures, SilentBridgeTimesOutAndIsStopped) {
    Scratch scratch;
    for (const char* after : {"0", "11"}) {
        SCOPED_TRACE(std::string("hang after ") + after);
        // Long enough for a busy machine to start the bridge, short enough for a quick test.
        const HostRun run =
            runHost(scratch, {sample("assembly.stl"), "--timeout", "2", "--delayed"},
                    {std::string("TRX_BRIDGE_HANG_AFTER=") + after}, 20000);
        EXPECT_FALSE(run.process.timedOut);
        EXPECT_LT(run.seconds, 15);
        EXPECT_EQ(run.process.exitCode(), 3) << run.process.out;
        EXPECT_EQ(run.status(), "timeout");
        EXPECT_NE(run.message().find("sent nothing for 2 s"), std::string::npos) << run.message();
        EXPECT_EQ(run.toldSegments.size(), std::string(after) == "0" ? 0u : 4u);
        expectNoSegmentLeft(run);
    }
}

TEST(HostFailures, InterruptedHostStopsTheBridgeAndCleansUp) {
    Scratch scratch;
    const std::string json = scratch.path("summary.json").string();
    const std::string segmentLog = scratch.path("segments.log").string();
    tools::ChildProcess host;
    host.start(TRX_HOST_EXE,
               {"--bridge", TRX_BRIDGE_EXE, "--json", json, "--delayed", sample("assembly.stl")},
               {"TRX_BRIDGE_HANG_AFTER=11", "TRX_BRIDGE_SEGMENT_LOG=" + segmentLog}, true);
    // The bridge hangs once it has announced its fourth segment. The host may not have read
    // that announcement yet when it is stopped: it must still find and remove the segment.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (lines(readFile(segmentLog)).size() < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_EQ(lines(readFile(segmentLog)).size(), 4u);
    ::kill(host.pid(), SIGTERM);
    ASSERT_TRUE(host.wait(20000));
    EXPECT_TRUE(WIFEXITED(host.status()) && WEXITSTATUS(host.status()) == 130) << host.describe();
    const JsonDocument summary = parseJson(readFile(json));
    ASSERT_TRUE(summary.IsObject());
    EXPECT_EQ(str(summary[L"status"]), "interrupted");
    EXPECT_EQ(summary[L"segments"].Size(), 4u);
    EXPECT_EQ(lines(readFile(segmentLog)).size(), 4u);
    EXPECT_EQ(leftSegments(lines(readFile(segmentLog))), std::vector<std::string>{});
}

TEST(HostFailures, MissingAndMalformedFilesAreErrorsSayingWhatAndWhere) {
    Scratch scratch;
    struct Case {
        std::string file;
        std::vector<std::string> expected;
    };
    std::string header(80, ' ');
    header += std::string("\x0a\0\0\0", 4);  // ten triangles announced, none there
    const std::vector<Case> cases{
        {scratch.path("absent.stl").string(),
         {"absent.stl", "cannot open the file", "No such file"}},
        {scratch.write(
             "typo.stl",
             asciiFile(2, " facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertx 1 0 0\n")),
         {"typo.stl", "line 19", "expected 'vertex', found 'vertx'"}},
        {scratch.write("open.stl", asciiFile(1, "")), {"open.stl", "has no 'endsolid'"}},
        {scratch.write("short.stl", header), {"short.stl", "announces 10 triangles"}},
        {scratch.write("empty.stl", ""), {"empty.stl", "0 bytes"}},
        {scratch.path("folder.stl").string(), {"folder.stl", "it is a directory"}},
    };
    fs::create_directory(scratch.path("folder.stl"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const HostRun run = runHost(scratch, {c.file});
        EXPECT_EQ(run.process.exitCode(), 1) << run.process.out;
        EXPECT_EQ(run.status(), "error");
        for (const auto& e : c.expected)
            EXPECT_NE(run.message().find(e), std::string::npos) << run.message();
        EXPECT_EQ(objectCounts(run)["exc_product_structure"], 0u);
        expectNoSegmentLeft(run);
    }
}

TEST(HostFailures, WrongBridgesNeverHangTheHost) {
    Scratch scratch;
    // A program that echoes the command back, one that ends at once, one that is not there.
    struct Case {
        std::string bridge;
        std::string status;
    };
    for (const Case& c : {Case{"/bin/cat", "protocol_error"}, Case{"/bin/true", "bridge_died"},
                          Case{scratch.path("no-such-bridge").string(), "error"}}) {
        SCOPED_TRACE(c.bridge);
        const HostRun run = runHost(
            scratch, {sample("assembly.stl"), "--bridge", c.bridge, "--timeout", "2"}, {}, 20000);
        EXPECT_EQ(run.process.exitCode(), 3) << run.process.out;
        EXPECT_EQ(run.status(), c.status) << run.message();
    }
}

// ---- other people's files, read where they lie ----

TEST(HostImport, SharedTestFilesImport) {
    const fs::path dir = testdataDir() / "stl";
    if (!fs::exists(dir)) GTEST_SKIP() << dir << " is not there";
    Scratch scratch;
    for (const char* name : {"stl_ascii_HalfDonut.stl", "stl_binary_rear_case.stl"}) {
        SCOPED_TRACE(name);
        const fs::path file = dir / name;
        if (!fs::exists(file)) continue;
        const HostRun run = runHost(scratch, {file.string()});
        ASSERT_EQ(run.process.exitCode(), 0) << run.process.out;
        EXPECT_GT(run[L"totals"][L"triangles"].GetUint64(), 0u);
        for (const auto& b : run[L"blocks"].GetArray()) {
            EXPECT_EQ(b[L"geometry"][L"triangles"].GetUint64(),
                      b[L"mechanical"][L"triangles"].GetUint64());
            EXPECT_EQ(b[L"visualization"][L"triangles"].GetUint64(),
                      b[L"mechanical"][L"triangles"].GetUint64());
        }
        expectNoSegmentLeft(run);
    }
}
