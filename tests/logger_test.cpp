#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "log/logger.h"
#include "trx_api/detail/trace.h"

using namespace vx_bridge;

namespace {

const char kTime[] = R"(\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\] )";

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
    static bool matches(const std::string& line, const std::string& pattern) {
        return std::regex_match(line, std::regex(pattern));
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
    EXPECT_TRUE(matches(l[0], std::string(R"(\[INFO\]    )") + kTime + std::string(102, '='))) << l[0];
    EXPECT_TRUE(matches(l[1], std::string(R"(\[INFO\]    )") + kTime + "Logger initialized with level 3")) << l[1];
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
    const std::string thread = "\\[" + tid.str() + "\\] ";
    EXPECT_TRUE(matches(l[2], std::string(R"(\[ERROR\]   )") + kTime + thread +
                                  R"(ExchangeObjectWrapper JSON object has no Exchange Object data\.)")) << l[2];
    EXPECT_TRUE(matches(l[3], std::string(R"(\[WARNING\] )") + kTime + thread + "count 42")) << l[3];
    // TRACE names the file, the line and the routine.
    EXPECT_TRUE(matches(l[4], std::string(R"(\[TRACE\]   )") + kTime + thread +
                                  R"(.*logger_test\.cpp\(\d+\): virtual void .*RecordLineFormatAndPrefixes.*)")) << l[4];

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
    const std::regex record(std::string(R"(\[DEBUG\]   )") + kTime + R"(\[[0-9a-f]+\] thread [0-3] record \d+)");
    for (std::size_t i = 2; i < l.size(); ++i) ASSERT_TRUE(std::regex_match(l[i], record)) << l[i];
}
