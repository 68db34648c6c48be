#include "logger.h"

#include <ctime>
#include <iomanip>

#include <unistd.h>

namespace vx_bridge {

int LoggerHolder::s_level = 0;
ILogger* LoggerHolder::s_logger = nullptr;

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
    s_level = level;
    auto* fresh = new Logger(path);
    delete s_logger;
    s_logger = nullptr;
    if (!fresh->isOpen()) {
        delete fresh;
        return;
    }
    s_logger = fresh;
    fresh->begin(kInfo) << std::string(102, '=');
    fresh->endLine();
    fresh->begin(kInfo) << "Logger initialized with level " << level;
    fresh->endLine();
}

}  // namespace vx_bridge
