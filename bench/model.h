#pragma once

// A generated tessellated block for the benchmarks (and the test that keeps it honest): the
// same triangles, bit for bit, on every run and machine, with no libm call in between.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::bench {

// Faces carry at most this many triangles, as a CAD face tessellation would; a block of
// many triangles therefore has many faces.
constexpr std::size_t kFaceTriangles = 8192;
// Quads per grid row of a face.
constexpr std::size_t kFaceColumns = 64;
// Meshes (leaf nodes) group this many faces.
constexpr std::size_t kFacesPerMesh = 16;
// The polygon type of a triangle; the library gives it no meaning.
constexpr std::uint32_t kTriangleType = 4;

// One face of `triangles` triangles: a grid of quads over a saddle z = c (x^2 - y^2), with
// the exact unit normals of that surface and one polygon per triangle.
inline std::shared_ptr<ExcVisuFace> makeFace(std::size_t index, std::size_t triangles) {
    const std::size_t cols = kFaceColumns;
    const std::size_t rows = (triangles + 2 * cols - 1) / (2 * cols);
    const float step = 0.5f;
    const float curve = 0.001f * static_cast<float>(1 + index % 7);
    const float offsetX = static_cast<float>(index % 16) * 40.0f;
    const float offsetY = static_cast<float>(index / 16) * 40.0f;

    std::vector<float> vertices, normals;
    vertices.reserve(3 * (rows + 1) * (cols + 1));
    normals.reserve(vertices.capacity());
    for (std::size_t r = 0; r <= rows; ++r) {
        for (std::size_t c = 0; c <= cols; ++c) {
            const float x = static_cast<float>(c) * step - 16.0f;
            const float y = static_cast<float>(r) * step - 16.0f;
            vertices.push_back(offsetX + x);
            vertices.push_back(offsetY + y);
            vertices.push_back(curve * (x * x - y * y));
            const float nx = -2.0f * curve * x, ny = 2.0f * curve * y;
            const float length = std::sqrt(nx * nx + ny * ny + 1.0f);  // correctly rounded
            normals.push_back(nx / length);
            normals.push_back(ny / length);
            normals.push_back(1.0f / length);
        }
    }

    ExcVisuFace::Polygons polygons;
    polygons.reserve(triangles);
    const auto at = [&](std::size_t r, std::size_t c) { return static_cast<int>(r * (cols + 1) + c); };
    for (std::size_t r = 0; r < rows && polygons.size() < triangles; ++r) {
        for (std::size_t c = 0; c < cols && polygons.size() < triangles; ++c) {
            polygons.push_back({kTriangleType, {at(r, c), at(r, c + 1), at(r + 1, c + 1)}});
            if (polygons.size() < triangles)
                polygons.push_back({kTriangleType, {at(r, c), at(r + 1, c + 1), at(r + 1, c)}});
        }
    }

    auto face = std::make_shared<ExcVisuFace>();
    face->setVertices(std::move(vertices));
    face->setNormals(std::move(normals));
    face->setPolygons(std::move(polygons));
    face->setColor(ExcColor(static_cast<unsigned short>(64 + 16 * (index % 8)), 128, 192));
    face->setId(L"face-" + std::to_wstring(index));
    face->setMechanicalId(L"#" + std::to_wstring(1000 + index));
    return face;
}

// A block visualization of `triangles` triangles: a root node over one mesh node per
// kFacesPerMesh faces.
inline std::shared_ptr<ExcBlockVisualization> makeBlockVisualization(std::size_t triangles,
                                                                     std::uint64_t blockId = 42) {
    auto root = std::make_shared<ExcVisuNode>();
    root->setType(ExcVisuNode::EType::ROOT);
    root->setGroupName(L"block " + std::to_wstring(blockId));
    std::shared_ptr<ExcVisuMesh> mesh;
    std::size_t faces = 0;
    for (std::size_t done = 0; done < triangles; ++faces) {
        const std::size_t n = std::min(kFaceTriangles, triangles - done);
        if (faces % kFacesPerMesh == 0) {
            mesh = std::make_shared<ExcVisuMesh>();
            mesh->setGeometryType(EVisuGeometryType::part);
            mesh->setId(L"mesh-" + std::to_wstring(faces / kFacesPerMesh));
            auto leaf = std::make_shared<ExcVisuNode>();
            leaf->setType(ExcVisuNode::EType::MESH);
            leaf->setLeaf(true);
            leaf->setGroupName(mesh->id());
            leaf->setMesh(mesh);
            root->addChildNode(leaf);
        }
        mesh->addFace(makeFace(faces, n));
        done += n;
    }
    auto data = std::make_shared<ExcVisualizationData>();
    data->addSceneRootNode(root);
    data->setUnits(ELengthUnitType::millimeter);
    auto block = std::make_shared<ExcBlockVisualization>();
    block->setBlockId(blockId);
    block->setVisualizationData(data);
    return block;
}

// Every face of the block, in order.
inline std::vector<std::shared_ptr<ExcVisuFace>> facesOf(const ExcBlockVisualization& block) {
    std::vector<std::shared_ptr<ExcVisuFace>> faces;
    if (!block.visualizationData()) return faces;
    for (const auto& root : block.visualizationData()->sceneRootNodes())
        for (const auto& leaf : root->childNodes())
            if (leaf->mesh()) faces.insert(faces.end(), leaf->mesh()->faces().begin(), leaf->mesh()->faces().end());
    return faces;
}

}  // namespace trx::bench
