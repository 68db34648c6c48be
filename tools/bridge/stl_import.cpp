#include "stl_import.h"

#include <filesystem>
#include <stdexcept>

#include "acis/acis.h"
#include "common/protocol.h"
#include "common/stl.h"
#include "common/units.h"
#include "bridge_core/import_support.h"
#include "bridge_core/sender.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_exchange_geometry.h"
#include "trx_api/trx_api_exchange_mechanical.h"
#include "trx_api/trx_api_exchange_messages.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::bridge {
namespace {

using tools::MeshStats;
using tools::Solid;

// Solids without a name still need one for the tree.
std::wstring nameOf(const Solid& solid, std::size_t index) {
    if (!solid.name.empty()) return toWide(solid.name);
    return L"solid " + std::to_wstring(index + 1);
}

std::shared_ptr<ExcProductStructure> productStructure(const ImportSettings& settings,
                                                      const tools::StlFile& file) {
    auto structure = std::make_shared<ExcProductStructure>();
    structure->setProductName(std::filesystem::path(settings.file).stem().wstring());
    structure->setUnits(settings.units);
    for (std::size_t i = 0; i < file.solids.size(); ++i) {
        auto block = std::make_shared<ExcBlock>();
        block->setId(i + 1);
        block->setName(nameOf(file.solids[i], i));
        block->setPart(true);
        structure->addBlock(block);

        auto reference = std::make_shared<ExcBlockReference>();
        reference->setGuid(IExchangeObject::generateUUID());
        reference->setBlockId(block->id());
        reference->setName(block->name());
        structure->addRootBlockReference(reference);
    }
    return structure;
}

// One body holding the block's triangles.
std::shared_ptr<ExcBlockGeometry> geometryOf(const Solid& solid, std::uint64_t id,
                                             const std::wstring& name, Sender& sender) {
    BODY* body = ACIS_NEW BODY(toNarrow(name));
    for (const auto& t : solid.triangles) {
        const auto& v = t.vertices;
        body->add_triangle(SPAposition(v[0][0], v[0][1], v[0][2]),
                           SPAposition(v[1][0], v[1][1], v[1][2]),
                           SPAposition(v[2][0], v[2][1], v[2][2]));
    }
    return blockGeometry(id, {body}, name, sender);
}

// The solid as one face: a vertex and a normal per corner (STL facets share nothing), and
// one polygon listing every triangle, so the whole mesh is three arrays.
std::shared_ptr<ExcVisualizationData> blockVisualization(const Solid& solid, std::uint64_t id,
                                                         const std::wstring& name,
                                                         ELengthUnitType units) {
    const std::size_t n = solid.triangles.size();
    std::vector<float> vertices;
    std::vector<float> normals;
    vertices.reserve(9 * n);
    normals.reserve(9 * n);
    for (const auto& t : solid.triangles) {
        for (const auto& v : t.vertices) {
            for (int c = 0; c < 3; ++c) vertices.push_back(static_cast<float>(v[c]));
            for (int c = 0; c < 3; ++c) normals.push_back(static_cast<float>(t.normal[c]));
        }
    }
    ExcVisuFace::Polygon triangles;
    triangles.type = tools::kTriangleListPolygon;
    triangles.indices.resize(3 * n);
    for (std::size_t i = 0; i < triangles.indices.size(); ++i)
        triangles.indices[i] = static_cast<int>(i);

    const std::wstring body = L"body-" + std::to_wstring(id);
    auto face = std::make_shared<ExcVisuFace>();
    face->setVertices(std::move(vertices));
    face->setNormals(std::move(normals));
    face->setPolygons(ExcVisuFace::Polygons{std::move(triangles)});
    face->setId(L"face-" + std::to_wstring(id));
    face->setMechanicalId(body);

    auto mesh = std::make_shared<ExcVisuMesh>();
    mesh->setDisplayName(name);
    mesh->setId(L"mesh-" + std::to_wstring(id));
    mesh->setMechanicalId(body);
    mesh->setGeometryType(EVisuGeometryType::part);
    mesh->addFace(face);

    auto leaf = std::make_shared<ExcVisuNode>();
    leaf->setLeaf(true);
    leaf->setType(ExcVisuNode::EType::MESH);
    leaf->setMesh(mesh);
    auto root = std::make_shared<ExcVisuNode>();
    root->setType(ExcVisuNode::EType::MESHES);
    root->setGroupName(name);
    root->addChildNode(leaf);

    auto data = std::make_shared<ExcVisualizationData>();
    data->setUnits(units);
    data->addSceneRootNode(root);
    return data;
}

std::shared_ptr<ExcMechanicalMiscData> measures(const MeshStats& stats) {
    auto misc = std::make_shared<ExcMechanicalMiscData>();
    misc->miscData().addGroup(measuresGroup(stats));
    return misc;
}

}  // namespace

Result runImport(const ImportSettings& settings, Sender& sender) {
    sender.checkpoint();
    const std::string path = toNarrow(settings.file);
    log(sender, L"Reading " + settings.file);
    for (const auto& w : settings.warnings) message(sender, w);
    progress(sender, 0, 100, L"reading");

    tools::StlFile file;
    try {
        file = tools::readStl(path);
    } catch (const std::runtime_error& e) {
        log(sender, L"Error: " + toWide(e.what()));
        return error(e.what());
    }
    std::size_t triangles = 0;
    for (const auto& s : file.solids) triangles += s.triangles.size();
    message(sender, std::wstring(file.binary ? L"Binary" : L"ASCII") + L" STL: " +
                        std::to_wstring(file.solids.size()) + L" solid(s), " +
                        std::to_wstring(triangles) + L" triangles.");

    try {
        const auto structure = productStructure(settings, file);
        sendStructure(sender, settings, structure);

        const int total = static_cast<int>(file.solids.size());
        for (int i = 0; i < total; ++i) {
            const Solid& solid = file.solids[static_cast<std::size_t>(i)];
            const auto& block = structure->blocks()[static_cast<std::size_t>(i)];
            // Large blocks take a while at each step; saying which keeps the host informed.
            const std::wstring stage = L"block " + block->name();
            progress(sender, 3 * i, 3 * total, stage + L": geometry");
            sendGeometry(sender, geometryOf(solid, block->id(), block->name(), sender));

            if (settings.visualization) {
                progress(sender, 3 * i + 1, 3 * total, stage + L": visualization");
                auto visu = std::make_shared<ExcBlockVisualization>();
                visu->setBlockId(block->id());
                visu->setVisualizationData(
                    blockVisualization(solid, block->id(), block->name(), settings.units));
                sender.send(visu);
            }
            if (settings.mechanical) {
                progress(sender, 3 * i + 2, 3 * total, stage + L": measures");
                auto mech = std::make_shared<ExcBlockMechanicalData>();
                mech->setBlockId(block->id());
                mech->setMiscData(measures(tools::measure(solid)));
                sender.send(mech);
            }
        }
        progress(sender, total, total, L"blocks");
        finishImport(sender, settings.visualization, settings.mechanical, *structure);
    } catch (const HostGone&) {
        throw;
    } catch (const std::bad_alloc&) {
        log(sender, L"Error: not enough memory");
        return error(path + ": not enough memory for its " + std::to_string(triangles) +
                     " triangles (the reader takes files up to " +
                     std::to_string(tools::kMaxStlBytes) + " bytes)");
    } catch (const std::exception& e) {
        // Segment or modeller trouble on our side: said as an error, never a crash.
        log(sender, L"Error: " + toWide(e.what()));
        return error(path + ": " + e.what());
    }

    Result result;
    result.setMessage(L"Imported " + std::to_wstring(file.solids.size()) + L" solid(s), " +
                      std::to_wstring(triangles) + L" triangles.");
    result.setFinished(true);
    return result;
}

}  // namespace trx::bridge
