#include "stl.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <strings.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <stdexcept>

namespace trx::tools {
namespace {

constexpr std::size_t kHeader = 80;
constexpr std::size_t kRecord = 50;

[[noreturn]] void fail(const std::string& text) { throw std::runtime_error(text); }

float readFloat(const unsigned char* p) {
    std::uint32_t bits = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                         std::uint32_t(p[3]) << 24;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void checkFinite(const Triangle& t, const std::string& where) {
    for (const auto& v : t.vertices)
        for (double c : v)
            if (!std::isfinite(c)) fail(where + ": vertex coordinate is not a finite number");
}

StlFile parseBinary(const std::string& bytes, std::uint32_t count) {
    StlFile file;
    file.binary = true;
    Solid solid;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    solid.name = std::string(bytes.data(), strnlen(bytes.data(), kHeader));
    if (solid.name.rfind("solid", 0) == 0) solid.name.erase(0, 5);
    while (!solid.name.empty() && (solid.name.front() == ' ')) solid.name.erase(0, 1);
    solid.triangles.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const unsigned char* rec = data + kHeader + 4 + std::size_t(i) * kRecord;
        Triangle& t = solid.triangles[i];
        for (int c = 0; c < 3; ++c) t.normal[c] = readFloat(rec + 4 * c);
        for (int v = 0; v < 3; ++v)
            for (int c = 0; c < 3; ++c) t.vertices[v][c] = readFloat(rec + 12 + 12 * v + 4 * c);
        checkFinite(t, "binary STL, triangle " + std::to_string(i) + " at byte " +
                           std::to_string(kHeader + 4 + std::size_t(i) * kRecord));
    }
    file.solids.push_back(std::move(solid));
    return file;
}

// Keywords are matched without regard to case; writers differ.
bool keyword(const std::string& token, const char* word) { return strcasecmp(token.c_str(), word) == 0; }

// Tokens of an ASCII STL with the line each starts on.
class Tokens {
public:
    explicit Tokens(const std::string& text) : m_text(text) {}
    bool next(std::string& token) {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) {
            if (m_text[m_pos] == '\n') ++m_line;
            ++m_pos;
        }
        if (m_pos >= m_text.size()) return false;
        m_tokenLine = m_line;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
        token.assign(m_text, start, m_pos - start);
        return true;
    }
    std::string restOfLine() {
        const std::size_t end = m_text.find('\n', m_pos);
        std::string rest = m_text.substr(m_pos, end == std::string::npos ? std::string::npos : end - m_pos);
        m_pos = end == std::string::npos ? m_text.size() : end;
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) rest.pop_back();
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front()))) rest.erase(0, 1);
        return rest;
    }
    // The line of the last token read: where the fault is, or where the text stopped.
    std::string where() const { return "ASCII STL, line " + std::to_string(m_tokenLine); }
    void expect(const char* word) {
        std::string t;
        if (!next(t)) fail(where() + ": unexpected end of file, expected '" + word + "'");
        if (!keyword(t, word)) fail(where() + ": expected '" + std::string(word) + "', found '" + t + "'");
    }
    double number() {
        std::string t;
        if (!next(t)) fail(where() + ": unexpected end of file, expected a number");
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str() || *end != 0) fail(where() + ": expected a number, found '" + t + "'");
        if (!std::isfinite(v)) fail(where() + ": number '" + t + "' is not finite");
        return v;
    }
    Point point() { return {number(), number(), number()}; }

private:
    const std::string& m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    std::size_t m_tokenLine = 1;
};

StlFile parseAscii(const std::string& text) {
    StlFile file;
    Tokens in(text);
    std::string token;
    while (in.next(token)) {
        if (!keyword(token, "solid")) fail(in.where() + ": expected 'solid', found '" + token + "'");
        Solid solid;
        solid.name = in.restOfLine();
        bool closed = false;
        while (in.next(token)) {
            if (keyword(token, "endsolid")) {
                in.restOfLine();
                closed = true;
                break;
            }
            if (!keyword(token, "facet")) fail(in.where() + ": expected 'facet' or 'endsolid', found '" + token + "'");
            Triangle t;
            in.expect("normal");
            t.normal = in.point();
            in.expect("outer");
            in.expect("loop");
            for (auto& v : t.vertices) {
                in.expect("vertex");
                v = in.point();
            }
            in.expect("endloop");
            in.expect("endfacet");
            solid.triangles.push_back(t);
        }
        if (!closed) fail(in.where() + ": unexpected end of file, solid '" + solid.name + "' has no 'endsolid'");
        file.solids.push_back(std::move(solid));
    }
    if (file.solids.empty()) fail("ASCII STL: the file holds no solid");
    return file;
}

}  // namespace

StlFile parseStl(const std::string& bytes) {
    // A binary file is recognised by its size, whatever its header says ("solid ..." is common).
    if (bytes.size() >= kHeader + 4) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + kHeader;
        const std::uint32_t count = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                    std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
        if (bytes.size() == kHeader + 4 + std::size_t(count) * kRecord) return parseBinary(bytes, count);
    }
    std::size_t start = 0;
    while (start < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[start]))) ++start;
    if (strncasecmp(bytes.c_str() + start, "solid", 5) == 0 && bytes.find('\0') == std::string::npos) return parseAscii(bytes);
    if (bytes.size() < kHeader + 4)
        fail("binary STL: the file has " + std::to_string(bytes.size()) + " bytes, fewer than the 84 of its header");
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + kHeader;
    const std::uint32_t count = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                                std::uint32_t(p[3]) << 24;
    // Some writers leave a few bytes (a line feed) after the last record; less than a record is tolerated.
    const std::size_t expected = kHeader + 4 + std::size_t(count) * kRecord;
    if (bytes.size() > expected && bytes.size() - expected < kRecord) return parseBinary(bytes, count);
    fail("binary STL: the header at byte 80 announces " + std::to_string(count) + " triangles (" +
         std::to_string(kHeader + 4 + std::size_t(count) * kRecord) + " bytes) but the file has " +
         std::to_string(bytes.size()) + " bytes");
}

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a directory, not a file";
    if (S_ISFIFO(mode)) return "it is a pipe (FIFO), not a regular file";
    if (S_ISCHR(mode)) return "it is a character device, not a regular file";
    if (S_ISBLK(mode)) return "it is a block device, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

std::string limitText(std::size_t maxBytes) {
    return "the reader takes files up to " + std::to_string(maxBytes) + " bytes";
}

}  // namespace

StlFile readStl(const std::string& path, std::size_t maxBytes) {
    if (path.find('\0') != std::string::npos)
        fail(path.substr(0, path.find('\0')) + "\\0...: the file name holds a NUL character");
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever. Only a regular file is
    // read at all: a device or pipe may never end.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) fail(path + ": cannot open the file: " + std::strerror(errno));
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::string("cannot read the file: ") + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = kindOf(st.st_mode);
    else if (static_cast<std::uintmax_t>(st.st_size) > maxBytes)
        problem = "the file has " + std::to_string(st.st_size) + " bytes; " + limitText(maxBytes);
    else if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        problem = std::string("cannot read the file: ") + std::strerror(errno);
    if (!problem.empty()) {
        ::close(fd);
        fail(path + ": " + problem);
    }
    // One read into one buffer: files may hold millions of triangles.
    std::string bytes;
    try {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buf[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) problem = std::string("cannot read the file: ") + std::strerror(errno);
            if (n <= 0) break;
            if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
                problem = "the file grew beyond " + std::to_string(maxBytes) +
                          " bytes while it was read; " + limitText(maxBytes);
                break;
            }
            bytes.append(buf, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        problem = "not enough memory to read its " + std::to_string(st.st_size) + " bytes (" +
                  limitText(maxBytes) + ")";
    }
    ::close(fd);
    if (!problem.empty()) fail(path + ": " + problem);
    try {
        return parseStl(bytes);
    } catch (const std::runtime_error& e) {
        fail(path + ": " + e.what());
    } catch (const std::bad_alloc&) {
        fail(path + ": not enough memory for the triangles of its " + std::to_string(bytes.size()) +
             " bytes (" + limitText(maxBytes) + ")");
    }
}

void MeshStats::grow(const Point& p) {
    for (int c = 0; c < 3; ++c) {
        if (m_empty || p[c] < min[c]) min[c] = p[c];
        if (m_empty || p[c] > max[c]) max[c] = p[c];
    }
    m_empty = false;
}

void MeshStats::add(const Triangle& t) {
    const Point& a = t.vertices[0];
    const Point& b = t.vertices[1];
    const Point& c = t.vertices[2];
    const Point u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Point v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const Point n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    area += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    // Signed volume of the tetrahedron with the origin; the sum over a closed mesh is its volume.
    volume += (a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
               a[2] * (b[0] * c[1] - b[1] * c[0])) / 6.0;
    for (const auto& p : t.vertices) grow(p);
    ++triangles;
}

void MeshStats::add(const MeshStats& other) {
    if (other.m_empty) return;
    grow(other.min);
    grow(other.max);
    triangles += other.triangles;
    area += other.area;
    volume += other.volume;
}

MeshStats measure(const Solid& solid) {
    MeshStats stats;
    for (const auto& t : solid.triangles) stats.add(t);
    stats.volume = std::abs(stats.volume);
    return stats;
}

}  // namespace trx::tools
