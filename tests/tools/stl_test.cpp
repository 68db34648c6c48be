#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

#include "common/stl.h"
#include "tool_support.h"

using namespace trx::tools;

namespace {
const char* kTwoSolids =
    "solid cube one\n"
    " facet normal 0 0 -1\n  outer loop\n   vertex 0 0 0\n   vertex 1 1 0\n   vertex 1 0 0\n  endloop\n endfacet\n"
    "endsolid cube one\n"
    "solid second\n"
    " facet normal 0 0 1\n  outer loop\n   vertex 0 0 1e0\n   vertex 2 0 1\n   vertex 0 2 1\n  endloop\n endfacet\n"
    "endsolid\n";

std::string binaryStl(const std::vector<Triangle>& tris, const char* header) {
    std::string bytes(80, '\0');
    std::memcpy(bytes.data(), header, std::strlen(header));
    const std::uint32_t n = static_cast<std::uint32_t>(tris.size());
    bytes.append(reinterpret_cast<const char*>(&n), 4);
    for (const auto& t : tris) {
        float f[12];
        for (int c = 0; c < 3; ++c) f[c] = float(t.normal[c]);
        for (int v = 0; v < 3; ++v)
            for (int c = 0; c < 3; ++c) f[3 + 3 * v + c] = float(t.vertices[v][c]);
        bytes.append(reinterpret_cast<const char*>(f), sizeof f);
        bytes.append(2, '\0');
    }
    return bytes;
}

std::string errorOf(const std::string& bytes) {
    try {
        parseStl(bytes);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "";
}
}  // namespace

TEST(Stl, AsciiWithSeveralSolidsAndBinaryWithSolidHeader) {
    const StlFile ascii = parseStl(kTwoSolids);
    ASSERT_EQ(ascii.solids.size(), 2u);
    EXPECT_FALSE(ascii.binary);
    EXPECT_EQ(ascii.solids[0].name, "cube one");
    EXPECT_EQ(ascii.solids[1].triangles[0].vertices[1][0], 2.0);

    // A binary file whose header starts with "solid" is still binary.
    const std::string bin = binaryStl(ascii.solids[1].triangles, "solid but binary");
    const StlFile b = parseStl(bin);
    EXPECT_TRUE(b.binary);
    ASSERT_EQ(b.solids.size(), 1u);
    EXPECT_EQ(b.solids[0].triangles[0].vertices[2][1], 2.0);
}

TEST(Stl, MalformedInputSaysWhatAndWhere) {
    EXPECT_EQ(errorOf(""), "binary STL: the file has 0 bytes, fewer than the 84 of its header");
    EXPECT_EQ(errorOf("solid x\n facet normal 0 0 1\n outer loop\n vertex 1 2\n"),
              "ASCII STL, line 4: unexpected end of file, expected a number");
    EXPECT_EQ(errorOf("solid x\n facet normal 0 0 1\n  outer loop\n   vertex 1 2 zz\n"),
              "ASCII STL, line 4: expected a number, found 'zz'");
    EXPECT_EQ(errorOf("solid x\n facet normal 0 0 1\n"), "ASCII STL, line 2: unexpected end of file, expected 'outer'");
    EXPECT_EQ(errorOf("solid x\n"), "ASCII STL, line 1: unexpected end of file, solid 'x' has no 'endsolid'");
    std::string truncated = binaryStl({Triangle{}, Triangle{}}, "bin");
    truncated.resize(truncated.size() - 7);
    EXPECT_EQ(errorOf(truncated),
              "binary STL: the header at byte 80 announces 2 triangles (184 bytes) but the file has 177 bytes");
    Triangle nan{};
    nan.vertices[1][2] = NAN;
    EXPECT_EQ(errorOf(binaryStl({Triangle{}, nan}, "x")),
              "binary STL, triangle 1 at byte 134: vertex coordinate is not a finite number");
    EXPECT_NE(errorOf(std::string("solid x\0 binary junk", 20)), "");
    try {
        readStl("/nonexistent/file.stl");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/file.stl: cannot open the file: No such file or directory");
    }
}

TEST(Stl, SharedSamplesParse) {
    const std::string dir = (trx::test::testdataDir() / "stl").string() + "/";
    if (!std::ifstream(dir + "stl_ascii_Cube.stl")) GTEST_SKIP() << "no shared test data";
    for (const char* name : {"stl_ascii_Cube.stl", "stl_ascii_HalfDonut.stl", "stl_ascii_Moon_Chinese.stl",
                             "stl_binary_CubeInvalidUnicode.stl", "stl_binary_HalfDonut.stl",
                             "stl_binary_rear_case.stl", "stl_tests_bwb.stl", "stl_tests_triamid.stl"}) {
        SCOPED_TRACE(name);
        const StlFile f = readStl(dir + name);
        ASSERT_FALSE(f.solids.empty());
        EXPECT_GT(f.solids[0].triangles.size(), 0u);
    }
    const MeshStats cube = measure(readStl(dir + "stl_ascii_Cube.stl").solids[0]);
    EXPECT_EQ(cube.triangles, 12u);
    EXPECT_NEAR(cube.volume, 8.0, 1e-9);
}

namespace {
std::string readError(const std::string& path, std::size_t maxBytes = kMaxStlBytes) {
    try {
        readStl(path, maxBytes);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}
}  // namespace

// Only regular files of a bounded size are read; the message names the file and the limit.
TEST(Stl, SpecialAndOversizedFilesAreRefusedByName) {
    trx::test::Scratch scratch;
    EXPECT_EQ(readError("/dev/zero"), "/dev/zero: it is a character device, not a regular file");
    // Sparse: costs no disk, and must cost no memory either.
    const std::string sparse = scratch.path("sparse.stl").string();
    {
        std::ofstream(sparse).close();
        std::filesystem::resize_file(sparse, std::uintmax_t(100) << 30);
    }
    EXPECT_EQ(readError(sparse), sparse + ": the file has 107374182400 bytes; the reader takes "
                                          "files up to 1073741824 bytes");
    const std::string small = scratch.write("small.stl", binaryStl({Triangle{}, Triangle{}}, "x"));
    EXPECT_EQ(readError(small, 100),
              small + ": the file has 184 bytes; the reader takes files up to 100 bytes");
    EXPECT_EQ(readError(small, 184), "");
    // The name is the whole string: a NUL does not make it another, shorter one.
    EXPECT_EQ(readError(small + std::string(1, '\0') + ".txt"),
              small + "\\0...: the file name holds a NUL character");
}
