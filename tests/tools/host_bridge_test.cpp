// The host against the bridge, as two real processes: the shipped samples through both
// interfaces, loaded at once and delayed, checked against the shapes' closed forms; and
// the ways a run can go wrong, none of which may leave a segment behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <map>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

#include "common/process.h"
#include "common/protocol.h"
#include "tool_support.h"
#include "trx_api/trx_api.h"

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
    EXPECT_EQ(str(run[L"units"]), "mm");
    EXPECT_EQ(str(run[L"length_unit"]), "millimeter");
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
        EXPECT_EQ(str(run[L"units"]), "in");
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
                    {std::string("TRX_BRIDGE_HANG_AFTER=") + after}, 60000);
        EXPECT_FALSE(run.process.timedOut);
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
        // Opening a FIFO would wait for a writer for ever.
        {scratch.path("fifo.stl").string(), {"fifo.stl", "not a regular file"}},
    };
    fs::create_directory(scratch.path("folder.stl"));
    ASSERT_EQ(::mkfifo(scratch.path("fifo.stl").c_str(), 0600), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const HostRun run = runHost(scratch, {c.file, "--timeout", "10"});
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

// ---- bridges that do not play fair ----

namespace {

// An executable shell script as the bridge.
std::string script(const Scratch& scratch, const std::string& name, const std::string& body) {
    const std::string path = scratch.write(name, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

// Frames the scripted bridge sends: its capabilities first, then the given documents.
std::string framesFile(const Scratch& scratch, const std::vector<std::wstring>& documents) {
    BridgeInfo info;
    info.setName(L"scripted");
    info.setRequestedInterface(EBridgeInterface::Connect);
    info.newImportFormat().setDescription(L"STL").addExtension(L"stl").addFilterExtensions(
        L"*.stl");
    std::string bytes = toNarrow(tools::textOf(info)) + '\0';
    for (const auto& d : documents) bytes += toNarrow(d) + '\0';
    return scratch.write("frames", bytes);
}

std::wstring resultText() {
    Result result;
    result.setMessage(L"done");
    result.setFinished(true);
    return tools::textOf(result);
}

// Gone, or a zombie nobody reaped yet: either way it writes no more.
bool processGone(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
        const auto close = stat.rfind(')');
        if (stat.empty() || (close != std::string::npos && stat[close + 2] == 'Z')) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

pid_t pidIn(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto l = lines(readFile(file));
        if (!l.empty()) return static_cast<pid_t>(std::stol(l[0]));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

}  // namespace

// The bridge leaves behind a process that holds its output and keeps writing frames. The
// host still ends: on SIGTERM, after its own timeout, and when the writer escaped the
// bridge's process group; and what it can reach, it kills.
TEST(HostFailures, WriterInheritingThePipeCannotKeepTheHostAlive) {
    Scratch scratch;
    const std::string pidFile = scratch.path("writer.pid").string();
    const std::string frames = framesFile(scratch, {});
    // Says its pid, waits the given seconds, then sends a frame every 50 ms.
    const std::string writer = script(
        scratch, "writer.sh",
        "echo $$ >'" + pidFile + "'\nsleep \"$1\"\n"
        "while :; do printf '{\"exchange_object_name\": \"noise\"}\\000'; sleep 0.05; done\n");
    struct Case {
        std::string name;
        std::string body;
        std::vector<std::string> args;
        bool signal;
        int exitCode;
        bool escapes;
    };
    const std::vector<Case> cases{
        // Talks for ever: only a signal ends the import.
        {"sigterm", "cat '" + frames + "'\n'" + writer + "' 0 &\nwait\n", {}, true, 130, false},
        // Silent past the timeout, then the writer starts.
        {"timeout", "'" + writer + "' 0.75 &\nwait\n", {"--timeout", "0.5"}, false, 3, false},
        // Out of the bridge's group: the host cannot kill it and must not wait for it.
        {"escaped", "setsid '" + writer + "' 0 &\nsleep 1000\n", {}, false, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(pidFile);
        const std::string bridge = script(scratch, c.name + ".sh", c.body);
        std::vector<std::string> args{"--bridge", bridge, "--json",
                                      scratch.path("summary.json").string(), sample("assembly.stl")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        tools::ChildProcess host;
        host.start(TRX_HOST_EXE, args, {}, true);
        const pid_t writer = pidIn(pidFile);
        ASSERT_GT(writer, 0);
        if (c.signal) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(host.pid(), SIGTERM);
        }
        const bool ended = host.wait(60000);
        EXPECT_TRUE(ended) << "the host still runs";
        if (ended) {
            EXPECT_TRUE(WIFEXITED(host.status()) && WEXITSTATUS(host.status()) == c.exitCode)
                << host.describe();
        }
        if (!c.escapes) {
            EXPECT_TRUE(processGone(writer)) << "the writer still runs";
        }
        ::kill(writer, SIGKILL);
        host.kill();
        if (c.name == "timeout") {
            const JsonDocument summary = parseJson(readFile(scratch.path("summary.json")));
            ASSERT_TRUE(summary.IsObject());
            EXPECT_EQ(str(summary[L"status"]), "timeout");
            EXPECT_NE(str(summary[L"message"]).find("timed out and was killed"), std::string::npos);
        }
    }
}

// A binary envelope that names a segment by a name cut short at a NUL, or by no name: the
// object did not load, which is an error; and the segment the cut name would reach stays.
TEST(HostFailures, EnvelopesNamingNoSegmentOfOursAreErrors) {
    Scratch scratch;
    const std::wstring victim = L"trx-tools-victim-" + std::to_wstring(::getpid());
    mp::SharedBuffer<char> kept(victim, true);  // removed at the end, whatever happens
    kept.write("kept", 4);
    const std::string bridge =
        script(scratch, "scripted.sh", "cat \"$(dirname \"$0\")/frames\"\ncat >/dev/null\n");
    for (const std::wstring& name : {victim + L"\\u0000x", std::wstring()}) {
        SCOPED_TRACE(toNarrow(name));
        framesFile(scratch, {L"{\"exchange_object_name\": \"exc_block_visualization\", "
                             L"\"binary\": true, \"exchange_object_data\": \"" + name + L"\"}",
                             resultText()});
        const HostRun run = runHost(scratch, {sample("assembly.stl"), "--bridge", bridge});
        EXPECT_EQ(run.process.exitCode(), 1) << run.process.out;
        EXPECT_EQ(run.status(), "error");
        ASSERT_EQ(run[L"errors"].Size(), 1u) << run.process.out;
        EXPECT_NE(str(run[L"errors"][0]).find("exc_block_visualization"), std::string::npos);
        EXPECT_EQ(leftSegments({toNarrow(victim)}), std::vector<std::string>{toNarrow(victim)});
    }
}

// A flood of objects under new, long names: the report keeps a bounded part of each list,
// counts the rest, and its messages quote only the start of a name.
TEST(HostFailures, FloodOfNamesIsCountedNotKept) {
    Scratch scratch;
    std::vector<std::wstring> documents;
    for (int i = 0; i < 300; ++i)
        documents.push_back(L"{\"exchange_object_name\": \"" + std::to_wstring(i) +
                            std::wstring(1000, L'n') + L"\", \"exchange_object_data\": {}}");
    documents.push_back(resultText());
    framesFile(scratch, documents);
    const std::string bridge =
        script(scratch, "scripted.sh", "cat \"$(dirname \"$0\")/frames\"\ncat >/dev/null\n");
    const HostRun run = runHost(scratch, {sample("assembly.stl"), "--bridge", bridge});
    EXPECT_EQ(run.process.exitCode(), 1);
    EXPECT_EQ(objectCounts(run).size(), 100u);
    EXPECT_EQ(run[L"errors"].Size(), 100u);
    ASSERT_TRUE(run[L"not_kept"].IsObject());
    EXPECT_EQ(run[L"not_kept"][L"objects"].GetUint64(), 200u);
    EXPECT_EQ(run[L"not_kept"][L"errors"].GetUint64(), 200u);
    for (const auto& e : run[L"errors"].GetArray()) EXPECT_LT(e.GetStringLength(), 400u);
    EXPECT_NE(run.process.out.find("and 200 more errors"), std::string::npos);
    EXPECT_LT(run.process.out.size(), 200000u);
}

// Coordinates whose products overflow: the summary says so instead of leaving a blank.
TEST(HostImport, MeasuresThatOverflowAreSaid) {
    Scratch scratch;
    const std::string file = scratch.write(
        "huge.stl",
        "solid huge\n facet normal 0 0 1\n  outer loop\n   vertex 0 0 0\n   vertex 1e200 0 0\n"
        "   vertex 0 1e200 0\n  endloop\n endfacet\nendsolid huge\n");
    const HostRun run = runHost(scratch, {file});
    ASSERT_TRUE(run[L"notes"].IsArray()) << run.process.out;
    std::string notes;
    for (const auto& n : run[L"notes"].GetArray()) notes += str(n) + "\n";
    EXPECT_NE(notes.find("restored geometry measures not a finite number: area"),
              std::string::npos)
        << notes;
    EXPECT_NE(notes.find("bridge measured not a finite number: area"), std::string::npos)
        << notes;
    EXPECT_NE(run.process.out.find("Note: block 1"), std::string::npos);
    expectNoSegmentLeft(run);
}

namespace {

// The children of a process, from /proc.
std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> out;
    DIR* dir = ::opendir("/proc");
    if (!dir) return out;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = readFile("/proc/" + name + "/stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        char state;
        long ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent) out.push_back(static_cast<pid_t>(std::stol(name)));
    }
    ::closedir(dir);
    return out;
}

}  // namespace

// Interrupted with a segment made and not yet announced (the block's geometry), the bridge
// removes it: when only the bridge gets the signal, and when host and bridge both do, as
// with Ctrl-C reaching a whole process group.
TEST(HostFailures, InterruptedBridgeRemovesWhatItHasNotAnnounced) {
    Scratch scratch;
    for (const bool both : {false, true}) {
        SCOPED_TRACE(both ? "host and bridge" : "bridge alone");
        const std::string json = scratch.path("summary.json").string();
        const std::string segmentLog = scratch.path("segments.log").string();
        fs::remove(segmentLog);
        tools::ChildProcess host;
        // Objects 1-6: log, progress, message, structure, stage, progress; the seventh is the
        // first block's geometry, whose segment exists before it is sent.
        host.start(TRX_HOST_EXE,
                   {"--bridge", TRX_BRIDGE_EXE, "--json", json, sample("assembly.stl")},
                   {"TRX_BRIDGE_HANG_UNSENT=6", "TRX_BRIDGE_SEGMENT_LOG=" + segmentLog}, true);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (lines(readFile(segmentLog)).size() < 2 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::vector<pid_t> bridge = childrenOf(host.pid());
        ASSERT_EQ(bridge.size(), 1u);
        ASSERT_EQ(lines(readFile(segmentLog)).size(), 2u);
        if (both) ::kill(host.pid(), SIGINT);
        ::kill(bridge[0], both ? SIGINT : SIGTERM);
        ASSERT_TRUE(host.wait(20000));
        const int expected = both ? 130 : 3;
        EXPECT_TRUE(WIFEXITED(host.status()) && WEXITSTATUS(host.status()) == expected)
            << host.describe();
        const JsonDocument summary = parseJson(readFile(json));
        ASSERT_TRUE(summary.IsObject());
        if (!both) {
            EXPECT_NE(str(summary[L"message"]).find("killed by signal 15"), std::string::npos)
                << str(summary[L"message"]);
        }
        EXPECT_EQ(leftSegments(lines(readFile(segmentLog))), std::vector<std::string>{});
    }
}

// ---- the bridge is chosen by the file ----

// The STL bridge and a scripted one that reads *.step files, in either order, beside
// bridges that die or fall silent on "info". The first bridge whose formats take the file
// imports it, started once; the others end by themselves when their input closes, or are
// passed over when they fail; with none, the import fails and says what was offered.
TEST(HostChoice, FirstBridgeThatReadsTheFileImportsIt) {
    Scratch scratch;
    BridgeInfo info;
    info.setName(L"scripted step");
    info.setRequestedInterface(EBridgeInterface::Connect);
    info.newImportFormat().setDescription(L"STEP").addFilterExtensions(L"*.step;*.stp");
    scratch.write("step-frames", toNarrow(tools::textOf(info)) + '\0' +
                                     toNarrow(tools::textOf(ExchangeObjectWrapper(
                                         std::make_shared<ExcMessage>(L"from the step bridge")))) +
                                     '\0' + toNarrow(resultText()) + '\0');
    const std::string log = scratch.path("step.log").string();
    // It says when it starts and when it ends by itself (not when it is killed).
    const std::map<std::string, std::string> bridges{
        {"stl", TRX_BRIDGE_EXE},
        {"step", script(scratch, "step.sh",
                        "echo started >>'" + log + "'\ncat \"$(dirname \"$0\")/step-frames\"\n"
                        "cat >/dev/null\necho ended >>'" + log + "'\n")},
        {"dying", script(scratch, "dying.sh", "kill -SEGV $$\n")},
        {"silent", script(scratch, "silent.sh", "exec sleep 1000\n")},
    };
    const std::string stl = sample("assembly.stl");
    const std::string step = scratch.write("Part.STP", "ISO-10303-21;\n");
    const std::string text = scratch.write("notes.txt", "");
    struct Case {
        std::vector<std::string> bridges;
        std::string file;
        int exitCode;
        std::string chosen;          // key of the bridge that imported, or none
        std::string stepLog;         // what the scripted bridge said of itself
        std::vector<std::string> in;  // in the message and the notes
    };
    const std::vector<Case> cases{
        {{"stl", "step"}, stl, 0, "stl", "", {}},
        {{"stl", "step"}, step, 0, "step", "started\nended\n", {}},
        {{"step", "stl"}, stl, 0, "stl", "started\nended\n", {}},
        {{"stl", "step"}, text, 1, "", "started\nended\n",
         {"No bridge imports", "notes.txt", "trx-bridge reads *.stl",
          "step.sh reads *.step;*.stp"}},
        {{"dying", "stl"}, stl, 0, "stl", "", {"dying.sh passed over", "signal 11"}},
        {{"silent", "stl"}, stl, 0, "stl", "", {"silent.sh passed over", "sent nothing for 1 s"}},
        {{"dying", "step"}, stl, 1, "", "started\nended\n",
         {"step.sh reads *.step;*.stp", "dying.sh passed over"}},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const auto& b : c.bridges) name += b + " ";
        SCOPED_TRACE(name + fs::path(c.file).filename().string());
        fs::remove(log);
        std::vector<std::string> args{c.file, "--timeout", "1"};
        for (const auto& b : c.bridges) args.insert(args.end(), {"--bridge", bridges.at(b)});
        const HostRun run = runHost(scratch, args, {}, 60000);
        EXPECT_FALSE(run.process.timedOut);
        EXPECT_EQ(run.process.exitCode(), c.exitCode) << run.process.out;
        EXPECT_EQ(str(run[L"bridge"][L"program"]), c.chosen.empty() ? "" : bridges.at(c.chosen));
        EXPECT_EQ(readFile(log), c.stepLog);
        std::string said = run.message();
        if (run[L"notes"].IsArray())
            for (const auto& n : run[L"notes"].GetArray()) said += "\n" + str(n);
        for (const auto& piece : c.in) EXPECT_NE(said.find(piece), std::string::npos) << said;
        if (c.chosen == "step") {
            ASSERT_TRUE(run[L"messages"].IsArray());
            ASSERT_EQ(run[L"messages"].Size(), 1u);
            EXPECT_EQ(str(run[L"messages"][0][L"text"]), "from the step bridge");
        }
        expectNoSegmentLeft(run);
    }
}

// Without --bridge the host asks the bridges next to it: STL files go to the STL bridge,
// and, where it is built, STEP files to the STEP bridge.
TEST(HostChoice, DefaultBridgesAreTheOnesNextToTheHost) {
    Scratch scratch;
    std::vector<std::pair<std::string, std::string>> cases{{sample("ring.stl"), TRX_BRIDGE_EXE}};
#ifdef TRX_STEP_BRIDGE_EXE
    cases.emplace_back(scratch.write("part.step", "ISO-10303-21;\nEND-ISO-10303-21;\n"),
                       TRX_STEP_BRIDGE_EXE);
#endif
    for (const auto& [file, bridge] : cases) {
        SCOPED_TRACE(file);
        const std::string json = scratch.path("summary.json").string();
        const auto run = tools::runProgram(TRX_HOST_EXE, {"--json", json, file}, {}, 60000);
        const JsonDocument summary = parseJson(readFile(json));
        ASSERT_TRUE(summary.IsObject()) << run.out;
        EXPECT_EQ(str(summary[L"bridge"][L"program"]), fs::canonical(bridge).string()) << run.out;
    }
}
