#include "test_support.h"

#include <cmath>

#include "../bench/model.h"
#include "mp/shared_buffer.h"

using namespace trx;

namespace {

std::size_t triangles(const ExcBlockVisualization& block) {
    std::size_t n = 0;
    for (const auto& face : bench::facesOf(block)) n += face->polygons().size();
    return n;
}

}  // namespace

// The benchmark measures what it claims only while its model is the mesh it describes and
// survives the envelope unchanged.
TEST(BenchModel, GeneratedBlockIsTheStatedMeshAndRoundTripsThroughTheEnvelope) {
    // Two meshes, the last face partial and with an odd triangle count.
    const std::size_t n = bench::kFacesPerMesh * bench::kFaceTriangles + 101;
    const auto block = bench::makeBlockVisualization(n);
    ASSERT_TRUE(block->visualizationData());
    EXPECT_EQ(block->visualizationData()->sceneRootNodes()[0]->childNodes().size(), 2u);
    const auto faces = bench::facesOf(*block);
    ASSERT_EQ(faces.size(), bench::kFacesPerMesh + 1);
    EXPECT_EQ(triangles(*block), n);
    EXPECT_EQ(faces.back()->polygons().size(), 101u);
    for (const auto& face : faces) {
        ASSERT_EQ(face->vertices().size(), face->normals().size());
        ASSERT_EQ(face->vertices().size() % 3, 0u);
        const auto count = static_cast<int>(face->vertices().size() / 3);
        for (const auto& p : face->polygons()) {
            ASSERT_EQ(p.type, bench::kTriangleType);
            ASSERT_EQ(p.indices.size(), 3u);
            for (const int i : p.indices) ASSERT_TRUE(i >= 0 && i < count);
        }
        for (std::size_t i = 0; i < face->normals().size(); i += 3) {
            const auto& v = face->normals();
            ASSERT_NEAR(std::sqrt(v[i] * v[i] + v[i + 1] * v[i + 1] + v[i + 2] * v[i + 2]), 1.0, 1e-6);
        }
    }
    // Deterministic: the same call gives the same block.
    EXPECT_EQ(*bench::makeBlockVisualization(n), *block);
    EXPECT_NE(*bench::makeBlockVisualization(n - 1), *block);

    ExchangeObjectWrapper sent;
    sent.set(block);
    std::wostringstream os;
    sent.writeObject(os);
    std::wistringstream is(os.str());
    ExchangeObjectWrapper received;
    received.readObject(is);
    const auto back = std::dynamic_pointer_cast<ExcBlockVisualization>(received.get());
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isLoaded());
    EXPECT_EQ(*back, *block);
    EXPECT_EQ(triangles(*back), n);
    // Loading removed the segment: opening its name again finds it empty.
    EXPECT_EQ(mp::SharedBuffer<char>(back->source(), true).size(), 0u);
}
