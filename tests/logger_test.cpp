#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "log/logger.h"
#include "trx_api/detail/trace.h"

using namespace vx_bridge;

namespace {

// One log line taken apart: prefix, "[" local time "] ", optionally "[" thread "] ", text.
struct Line {
    std::string prefix, thread, text;
    bool timeOk = false;
};

Line split(const std::string& line, bool withThread) {
    Line l;
    const char shape[] = "[00.00.0000 00:00:00] ";  // 0 stands for a digit
    const std::size_t timeLength = sizeof(shape) - 1;
    if (line.size() < 10 + timeLength) return l;
    l.prefix = line.substr(0, 10);
    l.timeOk = true;
    for (std::size_t i = 0; i < timeLength; ++i) {
        const char c = line[10 + i];
        l.timeOk &= shape[i] == '0' ? (c >= '0' && c <= '9') : c == shape[i];
    }
    std::size_t rest = 10 + timeLength;
    if (withThread && line.compare(rest, 1, "[") == 0) {
        const std::size_t close = line.find("] ", rest);
        if (close == std::string::npos) return l;
        l.thread = line.substr(rest + 1, close - rest - 1);
        rest = close + 2;
    }
    l.text = line.substr(rest);
    return l;
}

bool isHex(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// The logger is process-wide: each test starts its own file and switches logging off again
// at the end (a file that cannot be opened leaves no logger).
class LoggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/trx-logger-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
    }
    void TearDown() override {
        LoggerHolder::initLogger(1, m_dir + "/missing/dir/off.log");
        for (const char* f : {"/a.log", "/b.log"}) std::remove((m_dir + f).c_str());
        rmdir(m_dir.c_str());
    }
    std::string path(const char* file) const { return m_dir + "/" + file; }
    static std::vector<std::string> lines(const std::string& file) {
        std::ifstream in(file);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    std::string m_dir;
};

}  // namespace

// Two INFO lines open every file, whatever the level; records carry their level, the local
// time and the thread; TRACE names the file, the line and the routine.
TEST_F(LoggerTest, HeaderAndRecordLines) {
    { std::ofstream(path("a.log")) << "earlier line\n"; }
    LoggerHolder::initLogger(3, path("a.log"));
    LoggerHolder::initLogger(6, path("a.log"));  // again: appends, does not truncate
    trx::detail::logText(kError, "ExchangeObjectWrapper JSON object has no Exchange Object data.");
    {
        // The thread number is hexadecimal; numbers in the text are decimal again.
        MTLogger record(*LoggerHolder::logger());
        record.begin(kWarning) << "count " << 42;
    }
    TRX_TRACE();
    const auto l = lines(path("a.log"));
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l[0], "earlier line");
    for (int i : {1, 2, 3, 4}) {
        const Line parts = split(l[i], false);
        EXPECT_EQ(parts.prefix, "[INFO]    ");
        EXPECT_TRUE(parts.timeOk) << l[i];
    }
    EXPECT_EQ(split(l[1], false).text, std::string(102, '='));
    EXPECT_EQ(split(l[2], false).text, "Logger initialized with level 3");
    std::ostringstream tid;
    tid << std::hex << gettid();
    const Line error = split(l[5], true), warning = split(l[6], true), trace = split(l[7], true);
    EXPECT_EQ(error.prefix + warning.prefix + trace.prefix, "[ERROR]   [WARNING] [TRACE]   ");
    for (const Line& parts : {error, warning, trace}) {
        EXPECT_TRUE(parts.timeOk);
        EXPECT_EQ(parts.thread, tid.str());
    }
    EXPECT_EQ(error.text, "ExchangeObjectWrapper JSON object has no Exchange Object data.");
    EXPECT_EQ(warning.text, "count 42");
    const std::size_t open = trace.text.find("logger_test.cpp(");
    ASSERT_NE(open, std::string::npos) << trace.text;
    const std::size_t close = trace.text.find("): ", open);
    ASSERT_NE(close, std::string::npos) << trace.text;
    EXPECT_GT(std::stoi(trace.text.substr(open + 16, close - open - 16)), 0);
    EXPECT_NE(trace.text.find("HeaderAndRecordLines", close), std::string::npos) << trace.text;
    EXPECT_STREQ(levelPrefix(0), "[UNKNOWN] ");
    EXPECT_STREQ(levelPrefix(7), "[UNKNOWN] ");
}

// A level of 0 or below changes nothing; a file that cannot be opened switches logging off.
TEST_F(LoggerTest, BadCallsChangeNothingOrSwitchOff) {
    LoggerHolder::initLogger(6, path("a.log"));
    ILogger* const before = LoggerHolder::logger();
    LoggerHolder::initLogger(0, path("b.log"));
    LoggerHolder::initLogger(-1, path("b.log"));
    EXPECT_EQ(LoggerHolder::logger(), before);
    EXPECT_TRUE(LoggerHolder::levelEnabled(6));
    EXPECT_FALSE(std::ifstream(path("b.log")).is_open());
    LoggerHolder::initLogger(6, path("missing/x.log"));
    EXPECT_EQ(LoggerHolder::logger(), nullptr);
    EXPECT_FALSE(LoggerHolder::levelEnabled(1));
    trx::detail::logText(kFatal, "lost");
    EXPECT_EQ(lines(path("a.log")).size(), 2u);
}

TEST_F(LoggerTest, RecordsFromThreadsNeverInterleave) {
    LoggerHolder::initLogger(5, path("a.log"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                trx::detail::logWith(kDebug, [&](std::ostream& os) { os << "thread " << t << " record " << i; });
        });
    for (auto& t : threads) t.join();
    const auto l = lines(path("a.log"));
    ASSERT_EQ(l.size(), 802u);
    for (std::size_t i = 2; i < l.size(); ++i) {
        const Line parts = split(l[i], true);
        ASSERT_EQ(parts.prefix, "[DEBUG]   ") << l[i];
        ASSERT_TRUE(parts.timeOk && isHex(parts.thread)) << l[i];
        ASSERT_EQ(parts.text.rfind("thread ", 0), 0u) << l[i];
        ASSERT_NE(parts.text.find(" record "), std::string::npos) << l[i];
    }
}

// Switching files while other threads log: every record lands whole in one of the files, and
// no record writes through a logger that was freed (the sanitizer build sees that).
TEST_F(LoggerTest, SwitchingFilesWhileThreadsLog) {
    LoggerHolder::initLogger(5, path("a.log"));
    std::atomic<bool> done{false};
    std::atomic<int> written{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] {
            while (!done) {
                trx::detail::logText(kDebug, "switching record");
                ++written;
            }
        });
    const int switches = 300;
    for (int i = 0; i < switches; ++i) LoggerHolder::initLogger(5, path(i % 2 ? "a.log" : "b.log"));
    done = true;
    for (auto& t : threads) t.join();
    LoggerHolder::initLogger(1, m_dir + "/missing/dir/off.log");  // the last file is complete

    int records = 0, headers = 0;
    for (const char* file : {"a.log", "b.log"})
        for (const auto& line : lines(path(file))) {
            const Line parts = split(line, !line.empty() && line[1] == 'D');
            if (parts.text == "switching record" && parts.prefix == "[DEBUG]   ") ++records;
            else if (parts.prefix == "[INFO]    ") ++headers;
            else ADD_FAILURE() << "torn line: " << line;
        }
    EXPECT_EQ(headers, 2 * (switches + 1));
    EXPECT_EQ(records, written.load());
}
