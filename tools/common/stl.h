#pragma once

// STL files (ASCII and binary) as lists of triangle solids.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trx::tools {

using Point = std::array<double, 3>;

struct Triangle {
    Point normal;
    std::array<Point, 3> vertices;
};

struct Solid {
    std::string name;
    std::vector<Triangle> triangles;
};

struct StlFile {
    bool binary = false;
    std::vector<Solid> solids;
};

// What a mesh measures: the numbers a summary and the mechanical data report.
struct MeshStats {
    std::size_t triangles = 0;
    double area = 0;
    double volume = 0;  // enclosed volume of a closed, consistently oriented mesh
    Point min{0, 0, 0};
    Point max{0, 0, 0};
    void add(const Triangle& t);
    void add(const MeshStats& other);

private:
    bool m_empty = true;
    void grow(const Point& p);
};

MeshStats measure(const Solid& solid);

// Parses the bytes of an STL file. Throws std::runtime_error whose text says what is wrong
// and where (line for ASCII, byte offset for binary).
StlFile parseStl(const std::string& bytes);
// The largest file readStl takes: its triangles need about twice its size again.
constexpr std::size_t kMaxStlBytes = std::size_t(1) << 30;
// Reads and parses a regular file of at most maxBytes; the error text starts with the path
// (and names the limit when that is the trouble).
StlFile readStl(const std::string& path, std::size_t maxBytes = kMaxStlBytes);

}  // namespace trx::tools
