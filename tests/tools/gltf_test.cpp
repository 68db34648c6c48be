// The host's glTF output read back with tinygltf: what each file holds must be what the
// host's summary says arrived, in metres, and the Khronos validator must find no error in it.

#ifdef TRX_HOST_GLTF

#include "host/gltf.h"

#include <tiny_gltf.h>

#include <cmath>
#include <cstring>
#include <map>

#include "tool_support.h"

namespace trx::test {
namespace {

using Matrix = std::array<double, 16>;  // column-major, as glTF has it

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) m[c * 4 + r] += a[k * 4 + r] * b[c * 4 + k];
    return m;
}

Matrix matrixOf(const tinygltf::Node& node) {
    Matrix m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (node.matrix.size() == 16) std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
    EXPECT_TRUE(node.translation.empty() && node.rotation.empty() && node.scale.empty());
    return m;
}

// What a glTF file holds, counted as the summary counts it.
struct GltfFacts {
    std::size_t triangles = 0;  // each index list once
    std::size_t leaves = 0;     // nodes of block references that hold no further node
    std::size_t cameras = 0;
    host::Box box;  // world positions, metres
    tinygltf::Model model;
};

std::vector<float> floatsOf(const tinygltf::Model& m, int accessorIndex) {
    const auto& a = m.accessors.at(accessorIndex);
    const auto& view = m.bufferViews.at(a.bufferView);
    const auto& data = m.buffers.at(view.buffer).data;
    std::vector<float> values(a.count * 3);
    const std::size_t start = view.byteOffset + a.byteOffset;
    EXPECT_LE(start + values.size() * sizeof(float), data.size());
    if (start + values.size() * sizeof(float) <= data.size())
        std::memcpy(values.data(), data.data() + start, values.size() * sizeof(float));
    return values;
}

void walk(GltfFacts& f, int index, const Matrix& parent) {
    const tinygltf::Node& node = f.model.nodes.at(index);
    const Matrix world = multiply(parent, matrixOf(node));
    if (node.camera >= 0) ++f.cameras;
    if (node.extras.Has("block_id") && node.children.empty()) ++f.leaves;
    if (node.mesh >= 0)
        for (const auto& p : f.model.meshes.at(node.mesh).primitives) {
            const auto v = floatsOf(f.model, p.attributes.at("POSITION"));
            for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
                host::Vec3 q{};
                for (int r = 0; r < 3; ++r)
                    q[r] = world[r] * v[i] + world[4 + r] * v[i + 1] + world[8 + r] * v[i + 2] +
                           world[12 + r];
                f.box.add(q);
            }
        }
    for (int child : node.children) walk(f, child, world);
}

GltfFacts readGltf(const std::string& path) {
    GltfFacts f;
    tinygltf::TinyGLTF loader;
    std::string error, warning;
    const bool binary = path.size() > 4 && path.substr(path.size() - 4) == ".glb";
    const bool ok = binary ? loader.LoadBinaryFromFile(&f.model, &error, &warning, path)
                           : loader.LoadASCIIFromFile(&f.model, &error, &warning, path);
    EXPECT_TRUE(ok) << path << ": " << error;
    if (!ok) return f;
    std::set<int> indexLists;
    for (const auto& mesh : f.model.meshes)
        for (const auto& p : mesh.primitives) {
            EXPECT_EQ(p.mode, TINYGLTF_MODE_TRIANGLES);
            if (indexLists.insert(p.indices).second)
                f.triangles += f.model.accessors.at(p.indices).count / 3;
        }
    const Matrix identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int root : f.model.scenes.at(0).nodes) walk(f, root, identity);
    return f;
}

double metresPer(const std::string& unitSymbol) {
    static const std::map<std::string, double> units{
        {"mm", 0.001}, {"cm", 0.01}, {"m", 1.0}, {"in", 0.0254}, {"ft", 0.3048}};
    const auto it = units.find(unitSymbol);
    return it == units.end() ? 0 : it->second;
}

host::Box boxOf(const JsonValue& box, double scale) {
    host::Box b;
    if (!box.IsObject()) return b;
    host::Vec3 lo{}, hi{};
    for (int i = 0; i < 3; ++i) {
        lo[i] = box[L"min"][i].GetDouble() * scale;
        hi[i] = box[L"max"][i].GetDouble() * scale;
    }
    b.add(lo);
    b.add(hi);
    return b;
}

void expectSameBox(const host::Box& actual, const host::Box& expected, const std::string& what) {
    ASSERT_FALSE(expected.empty) << what;
    ASSERT_FALSE(actual.empty) << what;
    // Positions travel as 32-bit floats.
    const double tolerance = 1e-6 * std::max(expected.diagonal(), 1e-3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual.min[i], expected.min[i], tolerance) << what << " min " << i;
        EXPECT_NEAR(actual.max[i], expected.max[i], tolerance) << what << " max " << i;
    }
}

std::size_t summaryTriangles(const JsonValue& summary) {
    std::size_t n = 0;
    for (const auto& b : summary[L"blocks"].GetArray())
        if (b[L"visualization"].IsObject()) n += b[L"visualization"][L"triangles"].GetUint64();
    return n;
}

// The files the tests write glTF of: the shipped samples and the shared files that are here.
std::vector<fs::path> modelFiles() {
    std::vector<fs::path> files{fs::path(TRX_SAMPLES_DIR) / "assembly.stl",
                                fs::path(TRX_SAMPLES_DIR) / "ring.stl"};
#ifdef TRX_STEP_BRIDGE_EXE
    files.push_back(fs::path(TRX_SAMPLES_DIR) / "fixture.step");
    const fs::path step = testdataDir() / "step";
    if (fs::exists(step))
        for (const auto& e : fs::directory_iterator(step))
            if (e.path().extension() == ".stp" || e.path().extension() == ".step")
                files.push_back(e.path());
#endif
    for (const char* name : {"stl_binary_rear_case.stl", "stl_ascii_HalfDonut.stl"})
        if (fs::exists(testdataDir() / "stl" / name)) files.push_back(testdataDir() / "stl" / name);
    return files;
}

// The host, picking its bridge by the file's name, writing the summary and a glTF file.
JsonDocument importWithGltf(const Scratch& scratch, const fs::path& file, const std::string& gltf,
                            std::vector<std::string> extra = {}) {
    const std::string json = scratch.path(gltf + ".json").string();
    std::vector<std::string> args{file.string(), "--json", json, "--gltf",
                                  scratch.path(gltf).string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const auto run = tools::runProgram(TRX_HOST_EXE, args, {}, 120000);
    EXPECT_EQ(run.exitCode(), 0) << file << ":\n" << run.out;
    return parseJson(readFile(json));
}

// Runs the Khronos validator over the files; empty when it is not installed.
std::optional<tools::RunResult> validate(const std::vector<std::string>& files) {
    const fs::path dir = TRX_GLTF_VALIDATOR_DIR;
    if (!fs::exists(dir / "node_modules" / "gltf-validator")) return std::nullopt;
    std::vector<std::string> args{(fs::path(TRX_GLTF_VALIDATOR_SCRIPT)).string()};
    args.insert(args.end(), files.begin(), files.end());
    return tools::runProgram(
        "/usr/bin/env",
        [&] {
            std::vector<std::string> a{"node"};
            a.insert(a.end(), args.begin(), args.end());
            return a;
        }(),
        {"GLTF_VALIDATOR_DIR=" + dir.string()}, 120000);
}

TEST(Gltf, EveryModelReadsBackAsTheSummarySaysAndValidates) {
    Scratch scratch;
    std::vector<std::string> written;
    const auto files = modelFiles();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const fs::path& file = files[i];
        SCOPED_TRACE(file.filename().string());
        // Both forms: binary, and JSON with the buffer embedded.
        const std::string name = file.filename().string() + (i % 2 ? ".gltf" : ".glb");
        const JsonDocument summary = importWithGltf(scratch, file, name);
        ASSERT_TRUE(summary.IsObject());
        ASSERT_TRUE(summary[L"scene"].IsObject());
        const GltfFacts facts = readGltf(scratch.path(name).string());
        written.push_back(scratch.path(name).string());

        EXPECT_GT(facts.triangles, 0u);
        EXPECT_EQ(facts.triangles, summaryTriangles(summary));
        EXPECT_EQ(facts.leaves, summary[L"instances"].GetUint64());
        EXPECT_EQ(facts.cameras, summary[L"scene"][L"views"].GetUint64());
        const double scale = metresPer(str(summary[L"units"]));
        ASSERT_GT(scale, 0) << str(summary[L"units"]);
        expectSameBox(facts.box, boxOf(summary[L"scene"][L"bounding_box"], scale), "scene box");
        // An STL model places its solids where they are: the restored bodies' box.
        if (file.extension() == ".stl")
            expectSameBox(facts.box, boxOf(summary[L"totals"][L"bounding_box"], scale),
                          "bodies' box");
    }
    const auto validation = validate(written);
    if (!validation) GTEST_SKIP() << "the glTF validator is not installed (scripts/test.sh does)";
    EXPECT_EQ(validation->exitCode(), 0) << validation->out;
    EXPECT_EQ(std::count(validation->out.begin(), validation->out.end(), '\n'),
              static_cast<long>(written.size()))
        << validation->out;
}

// An STL file has no unit: its numbers are taken in the unit asked for.
TEST(Gltf, LengthsAreMetresInTheUnitOfTheProduct) {
    Scratch scratch;
    const fs::path file = fs::path(TRX_SAMPLES_DIR) / "assembly.stl";
    importWithGltf(scratch, file, "mm.glb");
    const JsonDocument inch = importWithGltf(scratch, file, "in.gltf", {"--units", "inch"});
    ASSERT_EQ(str(inch[L"units"]), "in");
    const GltfFacts mm = readGltf(scratch.path("mm.glb").string());
    const GltfFacts in = readGltf(scratch.path("in.gltf").string());
    // The sample's bodies span 85 along x.
    EXPECT_NEAR(mm.box.max[0] - mm.box.min[0], 0.085, 1e-7);
    EXPECT_NEAR(in.box.max[0] - in.box.min[0], 85 * 0.0254, 1e-6);
    EXPECT_EQ(mm.triangles, in.triangles);
}

#ifdef TRX_STEP_BRIDGE_EXE
// A STEP file has its own unit: asked for another, the model stays the same size.
TEST(Gltf, StepModelIsTheSameSizeInEveryUnit) {
    Scratch scratch;
    const fs::path file = fs::path(TRX_SAMPLES_DIR) / "fixture.step";
    importWithGltf(scratch, file, "mm.glb");
    const JsonDocument inch = importWithGltf(scratch, file, "in.glb", {"--units", "inch"});
    ASSERT_EQ(str(inch[L"units"]), "in");
    const GltfFacts mm = readGltf(scratch.path("mm.glb").string());
    const GltfFacts in = readGltf(scratch.path("in.glb").string());
    expectSameBox(in.box, mm.box, "inch against millimetre");
    // As the sample's generator builds it: the 120 x 80 mm plate on z = 0, the pins' tops
    // at 10 + 65 + 15 mm.
    host::Box expected;
    expected.add(host::Vec3{0, 0, 0});
    expected.add(host::Vec3{0.120, 0.080, 0.090});
    expectSameBox(mm.box, expected, "the generator's box");
}
#endif

#ifdef TRX_STEP_BRIDGE_EXE
TEST(Gltf, BlocksShareTheirMeshAndInstancesKeepNamesAndColours) {
    Scratch scratch;
    importWithGltf(scratch, fs::path(TRX_SAMPLES_DIR) / "fixture.step", "fixture.glb");
    const GltfFacts f = readGltf(scratch.path("fixture.glb").string());
    std::multimap<std::string, const tinygltf::Node*> byName;
    for (const auto& n : f.model.nodes) byName.emplace(n.name, &n);
    for (const char* name : {"base plate", "module A", "module B", "column", "cap", "pin 1",
                             "pin 2", "bracket left", "bracket right"})
        EXPECT_EQ(byName.count(name) > 0, true) << name;

    // The sub-assembly is placed twice: both columns show the one column mesh.
    ASSERT_EQ(byName.count("column"), 2u);
    const auto columns = byName.equal_range("column");
    EXPECT_EQ(columns.first->second->mesh, std::next(columns.first)->second->mesh);
    EXPECT_GE(columns.first->second->mesh, 0);

    // The right bracket has a colour of its own, #ffe500, which replaces the part's.
    const auto* right = byName.find("bracket right")->second;
    const auto* left = byName.find("bracket left")->second;
    ASSERT_GE(right->mesh, 0);
    const auto& rightMaterial =
        f.model.materials.at(f.model.meshes.at(right->mesh).primitives.at(0).material);
    const auto& leftMaterial =
        f.model.materials.at(f.model.meshes.at(left->mesh).primitives.at(0).material);
    EXPECT_EQ(rightMaterial.name, "#ffe500");
    EXPECT_NE(leftMaterial.name, "#ffe500");
    const auto& c = rightMaterial.pbrMetallicRoughness.baseColorFactor;
    // sRGB 0xff, 0xe5, 0x00 as linear values.
    EXPECT_NEAR(c[0], 1.0, 1e-6);
    EXPECT_NEAR(c[1], std::pow((0xe5 / 255.0 + 0.055) / 1.055, 2.4), 1e-6);
    EXPECT_NEAR(c[2], 0.0, 1e-6);
}
#endif

// A saved view becomes a camera node at the eye, looking down its -Z at the target.
TEST(Gltf, SavedViewIsACameraAtTheEyeLookingAtTheTargetAndMaterialsKeepTheirNames) {
    host::Scene scene;
    scene.metresPerUnit = 0.001;
    scene.bounds.add(host::Vec3{0, 0, 0});
    scene.bounds.add(host::Vec3{10, 10, 10});
    host::View ortho;
    ortho.name = L"side";
    ortho.orthographic = true;
    ortho.eye = {100, 0, 0};
    ortho.target = {0, 0, 0};
    ortho.up = {0, 0, 1};
    ortho.width = 200;
    host::View perspective;
    perspective.name = L"front";
    perspective.eye = {0, -50, 0};
    perspective.target = {0, 0, 0};
    perspective.up = {0, 0, 1};
    perspective.fieldOfView = 40;
    scene.views = {ortho, perspective};
    scene.materials = {{host::Rgba{1, 0, 0, 0.5f}, true, L"glass"},
                       {host::kDefaultColor, false, {}}};

    Scratch scratch;
    const std::string path = scratch.path("views.gltf").string();
    host::writeGltf(scene, path);
    const GltfFacts f = readGltf(path);
    ASSERT_EQ(f.model.cameras.size(), 2u);
    const auto& side = f.model.cameras[0];
    EXPECT_EQ(side.type, "orthographic");
    EXPECT_EQ(side.name, "side");
    EXPECT_NEAR(side.orthographic.xmag, 0.1, 1e-12);  // half of 200 mm
    EXPECT_GT(side.orthographic.zfar, side.orthographic.znear);
    const auto& front = f.model.cameras[1];
    EXPECT_EQ(front.type, "perspective");
    EXPECT_NEAR(front.perspective.yfov, 40 * M_PI / 180, 1e-12);

    // A visual material keeps its name; see-through blends.
    ASSERT_EQ(f.model.materials.size(), 2u);
    EXPECT_EQ(f.model.materials[0].name, "glass");
    EXPECT_EQ(f.model.materials[0].alphaMode, "BLEND");
    EXPECT_EQ(f.model.materials[0].pbrMetallicRoughness.baseColorFactor[3], 0.5);
    EXPECT_EQ(f.model.materials[1].name, "default");
    EXPECT_EQ(f.model.materials[1].alphaMode, "OPAQUE");

    std::map<int, Matrix> pose;
    for (const auto& n : f.model.nodes)
        if (n.camera >= 0) pose[n.camera] = matrixOf(n);
    ASSERT_EQ(pose.size(), 2u);
    // Columns: x, y (up), z (from the target to the eye), eye in metres.
    const Matrix sideExpected{0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0.1, 0, 0, 1};
    const Matrix frontExpected{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, -0.05, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(pose[0][i], sideExpected[i], 1e-12) << "side " << i;
        EXPECT_NEAR(pose[1][i], frontExpected[i], 1e-12) << "front " << i;
    }
}

TEST(Gltf, UnwritablePathIsAnError) {
    host::Scene scene;
    try {
        host::writeGltf(scene, "/nonexistent-dir/model.glb");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/model.glb"), std::string::npos);
    }
}

}  // namespace
}  // namespace trx::test

#endif
