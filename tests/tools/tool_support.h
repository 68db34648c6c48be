#pragma once

// Running the reference programs from tests: a scratch directory per test, the host's JSON
// summary, and the segments a run leaves behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/process.h"
#include "mp/shared_buffer.h"
#include "trx_api/json/json_object.h"

namespace trx::test {

namespace fs = std::filesystem;

// A directory of its own for the running test, removed afterwards.
class Scratch {
public:
    Scratch() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name();
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '-';
        m_dir =
            fs::temp_directory_path() / ("trx-tools-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    ~Scratch() {
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }
    fs::path path(const std::string& name) const { return m_dir / name; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
        return path(name).string();
    }

private:
    fs::path m_dir;
};

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.push_back(line);
    return out;
}

// Segments (of those named) that still exist in shared memory.
inline std::vector<std::string> leftSegments(const std::vector<std::string>& names) {
    std::vector<std::string> left;
    for (const auto& name : names)
        if (fs::exists("/dev/shm" + mp::SharedBuffer<char>::nativeName(toWide(name))))
            left.push_back(name);
    return left;
}

inline JsonDocument parseJson(const std::string& text) {
    JsonDocument doc;
    std::wistringstream in(toWide(text));
    JsonTextIO::read(in, doc);
    return doc;
}

// The shared test files, when they are there; TRX_TESTDATA_DIR in the environment names
// another place (a worktree sits deeper than the checkout the default assumes).
inline fs::path testdataDir() {
    if (const char* dir = std::getenv("TRX_TESTDATA_DIR")) return dir;
    return TRX_TESTDATA_DIR;
}

inline std::string str(const JsonValue& v) {
    return v.IsString() ? toNarrow(v.GetString()) : std::string();
}

// One run of the host with the summary it wrote and the segments the bridge made.
struct HostRun {
    tools::RunResult process;
    JsonDocument summary;
    std::vector<std::string> toldSegments;    // named to the host
    std::vector<std::string> bridgeSegments;  // created by the bridge

    const JsonValue& operator[](const wchar_t* key) const {
        static const JsonValue none;
        const auto m = summary.FindMember(key);
        return m == summary.MemberEnd() ? none : m->value;
    }
    std::string status() const { return str((*this)[L"status"]); }
    std::string message() const { return str((*this)[L"message"]); }
};

// The STL bridge unless the arguments name a bridge of their own.
inline HostRun runHost(const Scratch& scratch, std::vector<std::string> args,
                       std::vector<std::string> env = {}, int timeoutMs = 60000) {
    const std::string json = scratch.path("summary.json").string();
    const std::string segmentLog = scratch.path("segments.log").string();
    fs::remove(json);
    fs::remove(segmentLog);
    if (std::find(args.begin(), args.end(), "--bridge") == args.end())
        args.insert(args.begin(), {"--bridge", TRX_BRIDGE_EXE});
    args.insert(args.begin(), {"--json", json});
    env.push_back("TRX_BRIDGE_SEGMENT_LOG=" + segmentLog);
    HostRun run;
    run.process = tools::runProgram(TRX_HOST_EXE, args, env, timeoutMs);
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
inline void expectNoSegmentLeft(const HostRun& run) {
    EXPECT_EQ(std::multiset<std::string>(run.bridgeSegments.begin(), run.bridgeSegments.end()),
              std::multiset<std::string>(run.toldSegments.begin(), run.toldSegments.end()));
    EXPECT_EQ(leftSegments(run.bridgeSegments), std::vector<std::string>{});
    EXPECT_EQ(leftSegments(run.toldSegments), std::vector<std::string>{});
}

}  // namespace trx::test
