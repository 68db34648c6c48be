#pragma once

#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "../trx_api/trx_api_export.h"

namespace vx_bridge {

enum LogLevel : int { kFatal = 1, kError = 2, kWarning = 3, kInfo = 4, kDebug = 5, kTrace = 6 };

class TRX_API ILogger {
public:
    virtual ~ILogger() = default;
    virtual bool isOpen() const = 0;
    // Starts a record of the given level; the text follows on the returned stream.
    virtual std::ostream& begin(int level) = 0;
    virtual void lock() = 0;
    virtual void unlock() = 0;
    virtual void flush() = 0;
    virtual void endLine() = 0;
};

// Appends records to one text file.
class TRX_API Logger : public ILogger {
public:
    explicit Logger(const std::string& path);
    bool isOpen() const override;
    std::ostream& begin(int level) override;
    void lock() override;
    void unlock() override;
    void flush() override;
    void endLine() override;

private:
    std::ofstream m_stream;
    std::mutex m_mutex;
};

// Holds the logger's mutex for one record and adds the thread number to it.
class TRX_API MTLogger {
public:
    explicit MTLogger(ILogger& logger);
    ~MTLogger();
    MTLogger(const MTLogger&) = delete;
    MTLogger& operator=(const MTLogger&) = delete;
    std::ostream& begin(int level);

private:
    ILogger& m_logger;
};

// The process-wide level and logger; off until initLogger.
//
// initLogger may run while other threads log: the logger it replaces lives on until the last
// record that holds it (through current()) is written, so no record writes through a freed
// logger. The raw pointer of logger() carries no such guarantee past the next initLogger.
class TRX_API LoggerHolder {
public:
    static void initLogger(int level, const std::string& path);
    // The level test comes first: a disabled record costs one comparison.
    static bool levelEnabled(int level) {
        return level <= s_level.load(std::memory_order_relaxed) &&
               s_raw.load(std::memory_order_acquire) != nullptr;
    }
    static ILogger* logger() { return s_raw.load(std::memory_order_acquire); }
    // The current logger (null when logging is off), kept alive while the caller holds it.
    static std::shared_ptr<ILogger> current();

private:
    static std::atomic<int> s_level;
    static std::atomic<ILogger*> s_raw;  // the current logger's pointer, for the tests above
};

// The ten-character prefix of a record of this level.
TRX_API const char* levelPrefix(int level);

}  // namespace vx_bridge
