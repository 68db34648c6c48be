#pragma once

// Shared test helpers: log capture, JSON round trips and the golden wire texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "log/logger.h"
#include "mp/shared_buffer.h"
#include "trx_api/json/json_object.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_object.h"

namespace trx::test {

// Points the process-wide logger at a fresh file for the life of the object.
class LogCapture {
public:
    explicit LogCapture(int level = vx_bridge::kDebug)
        : m_path(::testing::TempDir() + "trx_log_" + std::to_string(getpid()) + "_" +
                 std::to_string(s_counter++) + ".log") {
        std::remove(m_path.c_str());
        vx_bridge::LoggerHolder::initLogger(level, m_path);
    }
    ~LogCapture() { std::remove(m_path.c_str()); }

    std::string text() const {
        std::ifstream in(m_path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool contains(const std::string& needle) const { return text().find(needle) != std::string::npos; }
    // The warnings and errors, without their time and thread, in sorted order.
    std::vector<std::string> problems() const {
        std::vector<std::string> lines;
        std::istringstream in(text());
        for (std::string line; std::getline(in, line);)
            if (line.rfind("[WARNING]", 0) == 0 || line.rfind("[ERROR]", 0) == 0)
                lines.push_back(std::regex_replace(line, std::regex(R"(\[\d\d\.\d\d\.\d{4} [\d:]+\] (\[[0-9a-f]+\] )?)"), ""));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // Records after the logger's own two opening lines.
    int records() const {
        int lines = 0;
        for (char c : text()) lines += c == '\n';
        return lines - 2;
    }

private:
    static inline int s_counter = 0;
    std::string m_path;
};

// A value as compact JSON text.
inline std::wstring compact(const JsonValue& value) {
    JsonDocument doc;
    doc.CopyFrom(value, doc.GetAllocator());
    std::wostringstream os;
    JsonTextIO::write(os, doc, false);
    return os.str();
}

inline void parse(JsonDocument& doc, const std::wstring& text) {
    std::wistringstream is(text);
    JsonTextIO::read(is, doc);
    ASSERT_FALSE(doc.HasParseError()) << "bad test JSON";
}

// What the call throws, or "no error".
template <class F>
std::string errorOf(F&& call) {
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

inline std::wstring toText(const IJsonObject& record) {
    JsonDocument doc;
    record.writeObject(doc, doc.GetAllocator());
    return compact(doc);
}

inline void parseInto(IJsonObject& record, const std::wstring& text) {
    JsonDocument doc;
    parse(doc, text);
    record.readObject(doc);
}

#ifdef TRX_WIRE_DIR
// A golden wire text (tests/wire/<name>.json): every key of a record with a value.
inline std::wstring goldenText(const std::string& name) {
    std::ifstream in(std::string(TRX_WIRE_DIR) + "/" + name + ".json", std::ios::binary);
    EXPECT_TRUE(in) << name;
    return toWide(std::string(std::istreambuf_iterator<char>(in), {}));
}

template <class T>
std::shared_ptr<T> golden(const std::string& name) {
    auto record = std::make_shared<T>();
    parseInto(*record, goldenText(name));
    return record;
}
#endif

// ---- payloads of bulky objects ---------------------------------------------------------

inline std::string binaryOf(const JsonValue& v) {
    std::string bytes;
    JsonBinaryIO::write(bytes, v);
    return bytes;
}

// The binary JSON of a record's document.
inline std::string binaryOf(const IJsonObject& record) {
    JsonDocument doc;
    record.writeObject(doc, doc.GetAllocator());
    return binaryOf(doc);
}

inline std::string gzipped(const std::string& bytes) {
    std::string packed;
    Compressor::compress(packed, bytes.data(), bytes.size());
    return packed;
}

// The payload `bytes` in a fresh segment that `object` is to load.
inline void offerPayload(IExchangeObject& object, const std::string& bytes) {
    static int counter = 0;
    object.setSource(L"trx-test-load-" + std::to_wstring(getpid()) + L"-" + std::to_wstring(counter++));
    mp::SharedBuffer<char>(object.source(), false).write(bytes.data(), bytes.size());
}

}  // namespace trx::test
