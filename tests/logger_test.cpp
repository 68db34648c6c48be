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

TEST_F(LoggerTest, InitWritesHeaderWhateverTheLevel) {
    LoggerHolder::initLogger(3, path("a.log"));
    ASSERT_NE(LoggerHolder::logger(), nullptr);
    EXPECT_TRUE(LoggerHolder::levelEnabled(1));
    EXPECT_TRUE(LoggerHolder::levelEnabled(3));
    EXPECT_FALSE(LoggerHolder::levelEnabled(4));

    // Two INFO lines although INFO is above the level, without a thread part.
    const auto l = lines(path("a.log"));
    ASSERT_EQ(l.size(), 2u);
    for (const auto& line : l) {
        const Line parts = split(line, false);
        EXPECT_EQ(parts.prefix, "[INFO]    ");
        EXPECT_TRUE(parts.timeOk) << line;
    }
    EXPECT_EQ(split(l[0], false).text, std::string(102, '='));
    EXPECT_EQ(split(l[1], false).text, "Logger initialized with level 3");
}

TEST_F(LoggerTest, RecordLineFormatAndPrefixes) {
    LoggerHolder::initLogger(6, path("a.log"));
    trx::detail::logText(kError, "ExchangeObjectWrapper JSON object has no Exchange Object data.");
    {
        // The thread number is hexadecimal; numbers in the text are decimal again.
        MTLogger record(*LoggerHolder::logger());
        record.begin(kWarning) << "count " << 42;
    }
    TRX_TRACE();
    const auto l = lines(path("a.log"));
    ASSERT_EQ(l.size(), 5u);
    std::ostringstream tid;
    tid << std::hex << gettid();
    const Line error = split(l[2], true), warning = split(l[3], true), trace = split(l[4], true);
    EXPECT_EQ(error.prefix, "[ERROR]   ");
    EXPECT_EQ(warning.prefix, "[WARNING] ");
    EXPECT_EQ(trace.prefix, "[TRACE]   ");
    for (const Line& parts : {error, warning, trace}) {
        EXPECT_TRUE(parts.timeOk);
        EXPECT_EQ(parts.thread, tid.str());
    }
    EXPECT_EQ(error.text, "ExchangeObjectWrapper JSON object has no Exchange Object data.");
    EXPECT_EQ(warning.text, "count 42");
    // TRACE names the file, the line and the routine: "path(line): signature".
    const std::size_t open = trace.text.find("logger_test.cpp(");
    ASSERT_NE(open, std::string::npos) << trace.text;
    const std::size_t close = trace.text.find("): ", open);
    ASSERT_NE(close, std::string::npos) << trace.text;
    EXPECT_GT(std::stoi(trace.text.substr(open + 16, close - open - 16)), 0);
    EXPECT_NE(trace.text.find("RecordLineFormatAndPrefixes", close), std::string::npos) << trace.text;

    const char* expected[] = {"[UNKNOWN] ", "[FATAL]   ", "[ERROR]   ", "[WARNING] ",
                              "[INFO]    ", "[DEBUG]   ", "[TRACE]   ", "[UNKNOWN] "};
    for (int level = 0; level <= 7; ++level) EXPECT_STREQ(levelPrefix(level), expected[level]);
}

TEST_F(LoggerTest, FilesAreAppendedAndBadCallsChangeNothing) {
    { std::ofstream(path("a.log")) << "earlier line\n"; }
    LoggerHolder::initLogger(6, path("a.log"));
    LoggerHolder::initLogger(2, path("a.log"));  // again: appends, does not truncate
    auto l = lines(path("a.log"));
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[0], "earlier line");
    EXPECT_NE(l[4].find("Logger initialized with level 2"), std::string::npos);

    // A level of 0 or below is ignored: the level and the file stay.
    LoggerHolder::initLogger(6, path("a.log"));
    ILogger* const before = LoggerHolder::logger();
    LoggerHolder::initLogger(0, path("b.log"));
    LoggerHolder::initLogger(-1, path("b.log"));
    EXPECT_EQ(LoggerHolder::logger(), before);
    EXPECT_TRUE(LoggerHolder::levelEnabled(6));
    EXPECT_FALSE(std::ifstream(path("b.log")).is_open());

    // A file that cannot be opened switches logging off.
    LoggerHolder::initLogger(6, path("missing/x.log"));
    EXPECT_EQ(LoggerHolder::logger(), nullptr);
    EXPECT_FALSE(LoggerHolder::levelEnabled(1));
    trx::detail::logText(kFatal, "lost");
    l = lines(path("a.log"));
    EXPECT_EQ(l.size(), 7u);
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
