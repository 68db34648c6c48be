// What the host keeps of the exchange objects to draw them: triangles from every polygon
// form, the right colour for each face and placement, placements through the tree, and
// nothing taken on trust from the other process.

#include "host/scene.h"

#include <gtest/gtest.h>

#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::host {
namespace {

std::shared_ptr<ExcVisuFace> face(std::vector<float> vertices,
                                  std::vector<ExcVisuFace::Polygon> polygons, ExcColor color = {}) {
    auto f = std::make_shared<ExcVisuFace>();
    f->setVertices(std::move(vertices));
    f->setPolygons(std::move(polygons));
    f->setColor(color);
    return f;
}

// A block visualization of one node holding the faces, with an optional node transform
// and node colour.
std::shared_ptr<ExcBlockVisualization> visualization(
    std::uint64_t blockId, std::vector<std::shared_ptr<ExcVisuFace>> faces,
    std::shared_ptr<ExcTransformation> transform = nullptr, ExcColor nodeColor = {}) {
    auto mesh = std::make_shared<ExcVisuMesh>();
    for (auto& f : faces) mesh->addFace(f);
    auto node = std::make_shared<ExcVisuNode>();
    node->setMesh(mesh);
    node->setTransformation(transform);
    if (nodeColor.hasRGB()) {
        auto attributes = std::make_shared<ExcVisuAttributes>();
        attributes->setColor(std::make_shared<ExcColor>(nodeColor));
        node->setAttributes(attributes);
    }
    auto data = std::make_shared<ExcVisualizationData>();
    data->addSceneRootNode(node);
    auto v = std::make_shared<ExcBlockVisualization>();
    v->setBlockId(blockId);
    v->setVisualizationData(data);
    return v;
}

std::shared_ptr<ExcBlockReference> reference(std::uint64_t blockId, double dx,
                                             ExcColor color = {}) {
    auto r = std::make_shared<ExcBlockReference>();
    r->setBlockId(blockId);
    ExcTransformation t;
    t.translation()[0] = dx;
    r->setTransformation(t);
    r->setColor(color);
    return r;
}

std::shared_ptr<ExcBlock> block(std::uint64_t id, bool part,
                                std::vector<std::shared_ptr<ExcBlockReference>> refs = {}) {
    auto b = std::make_shared<ExcBlock>();
    b->setId(id);
    b->setPart(part);
    b->setName(L"block " + std::to_wstring(id));
    for (auto& r : refs) b->addBlockReference(r);
    return b;
}

const std::vector<float> kSquare{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};  // four corners in z = 0

std::vector<std::uint32_t> indicesOf(const Mesh& mesh) {
    std::vector<std::uint32_t> all;
    for (const auto& p : mesh.primitives) all.insert(all.end(), p.indices.begin(), p.indices.end());
    return all;
}

TEST(Scene, EveryPolygonFormBecomesTrianglesInItsWinding) {
    SceneCollector c;
    // One face of each form over the same square: list, strip, fan, and a type without a
    // name, taken as a convex polygon.
    c.take(visualization(
        1, {face(kSquare, {{4, {0, 1, 2, 0, 2, 3}}}), face(kSquare, {{5, {0, 1, 3, 2}}}),
            face(kSquare, {{6, {0, 1, 2, 3}}}), face(kSquare, {{9, {0, 1, 2, 3}}})}));
    const Scene s = c.finish();
    ASSERT_EQ(s.meshes.size(), 1u);
    const Mesh& m = s.meshes.at(1);
    EXPECT_EQ(m.vertexCount(), 16u);
    EXPECT_EQ(m.triangleCount(), 8u);
    // Faces come one after the other: the second face's vertices start at 4.
    EXPECT_EQ(indicesOf(m), (std::vector<std::uint32_t>{0,  1,  2,  0,  2,  3,   //
                                                        4,  5,  7,  7,  5,  6,   // strip: every
                                                        8,  9,  10, 8,  10, 11,  // other flipped
                                                        12, 13, 14, 12, 14, 15}));
    // Every triangle faces +z, as the square is wound: the computed normals say so.
    for (std::size_t i = 0; i < m.vertexCount(); ++i) EXPECT_FLOAT_EQ(m.normals[3 * i + 2], 1.0f);
    // With no tree, each mesh is placed once where it stands.
    ASSERT_EQ(s.instances.size(), 1u);
    EXPECT_EQ(s.bounds.max, (Vec3{1, 1, 0}));
}

TEST(Scene, IndicesOutsideTheirFaceAreLeftOutAndSaid) {
    SceneCollector c;
    // The second face's own indices start at 0: index 4 would be the next face's vertex.
    c.take(visualization(1, {face(kSquare, {{4, {0, 1, 2, 0, 2, 4, -1, 0, 1}}}),
                             face(kSquare, {{4, {0, 1, 2}}}), face({}, {{4, {0, 1, 2}}})}));
    // A block none of whose triangles stands has no mesh (glTF has no empty primitive).
    c.take(visualization(2, {face(kSquare, {{4, {7, 8, 9}}})}));
    const Scene s = c.finish();
    EXPECT_EQ(s.meshes.count(2), 0u);
    const Mesh& m = s.meshes.at(1);
    EXPECT_EQ(indicesOf(m), (std::vector<std::uint32_t>{0, 1, 2, 4, 5, 6}));
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_NE(s.notes[0].find(L"3 triangles"), std::wstring::npos);
}

TEST(Scene, FaceColourBeforeNodeColourBeforeDefault) {
    SceneCollector c;
    auto shift = std::make_shared<ExcTransformation>();
    shift->translation()[2] = 5;
    c.take(visualization(
        1, {face(kSquare, {{4, {0, 1, 2}}}, ExcColor(255, 0, 0)), face(kSquare, {{4, {0, 1, 2}}})},
        shift, ExcColor(0, 0, 255)));
    c.take(visualization(2, {face(kSquare, {{4, {0, 1, 2}}})}));
    const Scene s = c.finish();
    const Mesh& m = s.meshes.at(1);
    ASSERT_EQ(m.primitives.size(), 2u);
    EXPECT_EQ(s.materials.at(m.primitives[0].material).color, (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(s.materials.at(m.primitives[1].material).color, (Rgba{0, 0, 1, 1}));
    const Material& plain = s.materials.at(s.meshes.at(2).primitives.at(0).material);
    EXPECT_FALSE(plain.fromModel);
    EXPECT_EQ(plain.color, kDefaultColor);
    // The node's transformation moves its faces.
    EXPECT_EQ(m.bounds.min[2], 5);
}

TEST(Scene, VisualMaterialGivesColourTransparencyAndName) {
    auto v = visualization(1, {face(kSquare, {{4, {0, 1, 2}}}),
                               face(kSquare, {{4, {0, 1, 2}}}, ExcColor(255, 0, 0))},
                           nullptr, ExcColor(0, 255, 0));
    auto glass = std::make_shared<ExcVisuMaterial>();
    glass->setName(L"glass");
    glass->setColor(ExcVisuMaterial::EColorType::diffuse, {0, 51, 255, 1.0});
    glass->setColor(ExcVisuMaterial::EColorType::transparency, {0, 0, 0, 0.25});
    v->visualizationData()->sceneRootNodes()[0]->attributes()->addMaterial(glass);
    SceneCollector c;
    c.take(v);
    const Scene s = c.finish();
    const Mesh& m = s.meshes.at(1);
    ASSERT_EQ(m.primitives.size(), 2u);
    // The material before the node's plain colour; the face's own colour before both.
    const Material& first = s.materials.at(m.primitives[0].material);
    EXPECT_EQ(first.name, L"glass");
    EXPECT_EQ(first.color, (Rgba{0, 0.2f, 1, 0.75f}));
    EXPECT_EQ(s.materials.at(m.primitives[1].material).color, (Rgba{1, 0, 0, 1}));
}

TEST(Scene, PlacementsFollowTheTreeAndCarryTheirColourDown) {
    auto structure = std::make_shared<ExcProductStructure>();
    structure->setUnits(ELengthUnitType::inch);
    // Root -> assembly 10 (at x = 100, yellow) -> part 1 twice (x = 1 and x = 2);
    // a hidden placement of the part; a reference to a block that is not there.
    auto hidden = reference(1, 50);
    hidden->setHidden(true);
    structure->addBlock(block(1, true));
    structure->addBlock(block(10, false, {reference(1, 1), reference(1, 2)}));
    structure->addRootBlockReference(reference(10, 100, ExcColor(255, 255, 0)));
    structure->addRootBlockReference(hidden);
    structure->addRootBlockReference(reference(99, 0));
    SceneCollector c;
    c.take(structure);
    c.take(visualization(1, {face(kSquare, {{4, {0, 1, 2}}})}));
    const Scene s = c.finish();

    EXPECT_DOUBLE_EQ(s.metresPerUnit, 0.0254);
    ASSERT_EQ(s.instances.size(), 3u);
    EXPECT_EQ(s.leafCount(), 2u);
    EXPECT_EQ(s.instances[0].blockId, 10u);
    EXPECT_FALSE(s.instances[0].leaf);
    EXPECT_EQ(s.instances[1].parent, 0);
    EXPECT_EQ(s.instances[2].world.translation[0], 102);
    ASSERT_TRUE(s.instances[2].material);
    EXPECT_EQ(s.materials.at(*s.instances[2].material).color, (Rgba{1, 1, 0, 1}));
    EXPECT_EQ(s.instances[1].name, L"block 1");
    // Both placements of the square, not the hidden one at 50.
    EXPECT_EQ(s.bounds.min[0], 101);
    EXPECT_EQ(s.bounds.max[0], 103);
}

TEST(Scene, TreeThatContainsItselfEnds) {
    auto structure = std::make_shared<ExcProductStructure>();
    auto loop = block(2, false, {reference(1, 0)});
    loop->addBlockReference(reference(2, 1));
    structure->addBlock(block(1, true));
    structure->addBlock(loop);
    structure->addRootBlockReference(reference(2, 0));
    SceneCollector c;
    c.take(structure);
    const Scene s = c.finish();
    EXPECT_LT(s.instances.size(), 200u);
    ASSERT_FALSE(s.notes.empty());
    EXPECT_NE(s.notes.back().find(L"loops"), std::wstring::npos);
}

TEST(Scene, BlockViewLooksAtTheBlockWhereItIsPlaced) {
    auto structure = std::make_shared<ExcProductStructure>();
    structure->addBlock(block(1, true));
    structure->addRootBlockReference(reference(1, 40));
    auto capture = std::make_shared<ExcVisuCapture>();
    capture->setDisplayName(L"top");
    ExcCamera camera;
    camera.setType(ExcCamera::EType::orthographic);
    camera.setOrthographicZoomFactor(30);
    camera.setEye({0, 0, 10});
    camera.setTarget({0, 0, 0});
    camera.setUp({0, 1, 0});
    capture->setCamera(camera);
    auto v = visualization(1, {face(kSquare, {{4, {0, 1, 2}}})});
    v->visualizationData()->addCapture(capture);
    SceneCollector c;
    c.take(structure);
    c.take(v);
    const Scene s = c.finish();
    ASSERT_EQ(s.views.size(), 1u);
    EXPECT_EQ(s.views[0].name, L"top");
    EXPECT_TRUE(s.views[0].orthographic);
    EXPECT_EQ(s.views[0].width, 30);
    EXPECT_EQ(s.views[0].eye, (Vec3{40, 0, 10}));
    EXPECT_EQ(s.views[0].target, (Vec3{40, 0, 0}));
    EXPECT_EQ(s.views[0].up, (Vec3{0, 1, 0}));
}

}  // namespace
}  // namespace trx::host
