#include "logger.h"

#include <ctime>
#include <iomanip>

#include <unistd.h>

namespace vx_bridge {

std::atomic<int> LoggerHolder::s_level{0};
std::atomic<ILogger*> LoggerHolder::s_raw{nullptr};

namespace {
// Read and swapped only atomically. Never destroyed: a record written from a static
// destructor at exit still finds its logger.
std::shared_ptr<ILogger>& currentLogger() {
    static auto* const logger = new std::shared_ptr<ILogger>();
    return *logger;
}
}  // namespace

std::shared_ptr<ILogger> LoggerHolder::current() { return std::atomic_load(&currentLogger()); }

const char* levelPrefix(int level) {
    static const char* const prefixes[] = {"[FATAL]   ", "[ERROR]   ", "[WARNING] ",
                                           "[INFO]    ", "[DEBUG]   ", "[TRACE]   "};
    return level >= kFatal && level <= kTrace ? prefixes[level - 1] : "[UNKNOWN] ";
}

Logger::Logger(const std::string& path) : m_stream(path, std::ios::out | std::ios::app) {}

bool Logger::isOpen() const { return m_stream.is_open(); }

std::ostream& Logger::begin(int level) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    m_stream << levelPrefix(level) << '[' << std::put_time(&local, "%d.%m.%Y %T") << "] ";
    return m_stream;
}

void Logger::lock() { m_mutex.lock(); }
void Logger::unlock() { m_mutex.unlock(); }
void Logger::flush() { m_stream.flush(); }
void Logger::endLine() {
    m_stream << '\n';
    m_stream.flush();
}

MTLogger::MTLogger(ILogger& logger) : m_logger(logger) { m_logger.lock(); }

MTLogger::~MTLogger() {
    m_logger.endLine();
    m_logger.flush();
    m_logger.unlock();
}

std::ostream& MTLogger::begin(int level) {
    std::ostream& os = m_logger.begin(level);
    os << '[' << std::hex << static_cast<unsigned long>(gettid()) << "] " << std::dec;
    return os;
}

void LoggerHolder::initLogger(int level, const std::string& path) {
    if (level <= 0) return;
    // One switch at a time, so that the pointer and the owner always name the same logger.
    static std::mutex switching;
    const std::lock_guard<std::mutex> lock(switching);
    s_level.store(level, std::memory_order_relaxed);
    auto fresh = std::make_shared<Logger>(path);
    if (!fresh->isOpen()) fresh.reset();  // logging goes off; the level stays
    if (fresh) {
        fresh->begin(kInfo) << std::string(102, '=');
        fresh->endLine();
        fresh->begin(kInfo) << "Logger initialized with level " << level;
        fresh->endLine();
    }
    // Records being written hold the previous logger: it closes its file after the last.
    s_raw.store(fresh.get(), std::memory_order_release);
    std::atomic_store(&currentLogger(), std::shared_ptr<ILogger>(std::move(fresh)));
}

}  // namespace vx_bridge
