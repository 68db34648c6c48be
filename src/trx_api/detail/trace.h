#pragma once

// Internal: diagnostic records of the library.

#include <sstream>
#include <string>

#include "../../log/logger.h"

namespace trx::detail {

// Writes one record when its level is enabled. The text is built only then.
template <class F>
void logWith(int level, F&& writeText) {
    if (!vx_bridge::LoggerHolder::levelEnabled(level)) return;
    // Held for the whole record: a logger replaced meanwhile outlives this record.
    const std::shared_ptr<vx_bridge::ILogger> logger = vx_bridge::LoggerHolder::current();
    if (!logger) return;
    vx_bridge::MTLogger record(*logger);
    writeText(record.begin(level));
}

inline void logText(int level, const std::string& text) {
    logWith(level, [&](std::ostream& os) { os << text; });
}

inline void trace(const char* file, int line, const char* function) {
    logWith(vx_bridge::kTrace, [&](std::ostream& os) { os << file << '(' << line << "): " << function; });
}

}  // namespace trx::detail

// Names the routine entered; one integer comparison when TRACE is off.
#define TRX_TRACE()                                                         \
    do {                                                                    \
        if (::vx_bridge::LoggerHolder::levelEnabled(::vx_bridge::kTrace))   \
            ::trx::detail::trace(__FILE__, __LINE__, __PRETTY_FUNCTION__);  \
    } while (0)
