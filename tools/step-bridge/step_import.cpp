#include "step_import.h"

#include <algorithm>
#include <utility>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <XCAFDoc_DocumentTool.hxx>

#include "acis/acis.h"
#include "bridge_core/import_support.h"
#include "bridge_core/sender.h"
#include "common/protocol.h"
#include "common/units.h"
#include "mechanics.h"
#include "part_mesh.h"
#include "product_tree.h"
#include "trx_api/trx_api_exchange_geometry.h"
#include "trx_api/trx_api_exchange_mechanical.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::step {
namespace {

using bridge::Sender;

// OCCT may say a great deal about a large file; the host hears this much of it.
constexpr std::size_t kMaxOcctLines = 50;

// TRX_STEP_MESH_THREADS: threads that mesh parts while the bridge sends (0: mesh in turn,
// on the sending thread). TRX_STEP_MESH_PARALLEL=0: no OCCT threads within a part.
unsigned meshThreads() {
    if (const char* v = std::getenv("TRX_STEP_MESH_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(v, &end, 10);
        if (end != v && *end == 0 && n >= 0 && n <= 64) return static_cast<unsigned>(n);
    }
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

// OCCT's threads (one pool for the process) mesh the faces of a large part at once: a file
// of one large part gains what parts on threads of ours cannot give it, and files of many
// parts measured the same either way.
bool meshInParallel() {
    const char* v = std::getenv("TRX_STEP_MESH_PARALLEL");
    return !(v && std::string(v) == "0");
}

void closeQuietly(StepDocument& document) {
    try {
        closeStep(document);
    } catch (const Standard_Failure&) {
        // Nobody is left to tell.
    }
}

// The document of an import that succeeded, closed once its Result is out: closing a
// large document takes a while (80 ms for a NIST model) that the host need not wait for.
StepDocument g_answered;

// Closes the document however the import ends, or leaves it to closeAnsweredDocument.
struct OpenDocument {
    StepDocument document;
    void closeAfterAnswer() { std::swap(document, g_answered); }
    ~OpenDocument() { closeQuietly(document); }
};

// One body per solid, one more for the faces outside every solid.
std::vector<BODY*> bodiesOf(const BlockSource& block, const PartMesh& mesh) {
    std::vector<BODY*> bodies;
    for (std::size_t b = 0; b < mesh.bodies.size(); ++b) {
        std::string name = toNarrow(block.name);
        if (mesh.bodies.size() > 1) name += " #" + std::to_string(b + 1);
        BODY* body = ACIS_NEW BODY(name);
        bodies.push_back(body);
        for (const int f : mesh.bodies[b]) {
            const FaceMesh& face = mesh.faces[static_cast<std::size_t>(f)];
            const auto at = [&](int node) {
                const double* p = &face.nodes[3 * static_cast<std::size_t>(node)];
                return SPAposition(p[0], p[1], p[2]);
            };
            for (std::size_t t = 0; t + 2 < face.triangles.size(); t += 3)
                body->add_triangle(at(face.triangles[t]), at(face.triangles[t + 1]),
                                   at(face.triangles[t + 2]));
        }
    }
    return bodies;
}

// The part's faces, each with its id (which PMI and layers refer to) and its colour, in one
// mesh; presentation-only PMI beside it.
std::shared_ptr<ExcVisualizationData> partVisualization(
    const BlockSource& block, PartMesh& mesh, const std::vector<std::optional<ExcColor>>& colours,
    const std::optional<ExcColor>& partColour,
    const std::vector<std::shared_ptr<ExcVisuPMI>>& graphics, ELengthUnitType units) {
    const std::wstring body = L"body-" + std::to_wstring(block.id);
    auto visuMesh = std::make_shared<ExcVisuMesh>();
    visuMesh->setDisplayName(block.name);
    visuMesh->setId(L"mesh-" + std::to_wstring(block.id));
    visuMesh->setMechanicalId(body);
    visuMesh->setGeometryType(EVisuGeometryType::part);
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        FaceMesh& f = mesh.faces[i];
        if (f.triangles.empty()) continue;
        auto face = std::make_shared<ExcVisuFace>();
        face->setVertices(std::vector<float>(f.nodes.begin(), f.nodes.end()));
        face->setNormals(std::move(f.normals));
        ExcVisuFace::Polygon triangles;
        triangles.type = tools::kTriangleListPolygon;
        triangles.indices = std::move(f.triangles);
        face->setPolygons(ExcVisuFace::Polygons{std::move(triangles)});
        const std::wstring id = faceId(block.id, static_cast<int>(i + 1));
        face->setId(id);
        face->setMechanicalId(id);
        if (colours[i]) face->setColor(*colours[i]);
        visuMesh->addFace(face);
        // The bodies were made; the face's memory goes now, not with the part.
        std::vector<double>().swap(f.nodes);
    }

    auto leaf = std::make_shared<ExcVisuNode>();
    leaf->setLeaf(true);
    leaf->setType(ExcVisuNode::EType::MESH);
    leaf->setMesh(visuMesh);
    auto root = std::make_shared<ExcVisuNode>();
    root->setType(ExcVisuNode::EType::MESHES);
    root->setGroupName(block.name);
    if (partColour) {
        auto attributes = std::make_shared<ExcVisuAttributes>();
        attributes->setColor(std::make_shared<ExcColor>(*partColour));
        root->setAttributes(attributes);
    }
    root->addChildNode(leaf);

    auto data = std::make_shared<ExcVisualizationData>();
    data->setUnits(units);
    data->addSceneRootNode(root);
    if (!graphics.empty()) {
        auto pmi = std::make_shared<ExcVisuNode>();
        pmi->setType(ExcVisuNode::EType::PMI);
        pmi->setGroupName(block.name + L": PMI");
        for (const auto& g : graphics) {
            auto node = std::make_shared<ExcVisuNode>();
            node->setLeaf(true);
            node->setType(ExcVisuNode::EType::PMI);
            node->setPMI(g);
            pmi->addChildNode(node);
        }
        data->addSceneRootNode(pmi);
    }
    return data;
}

std::wstring count(std::size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

}  // namespace

Result runImport(const bridge::ImportSettings& settings, Sender& sender) {
    using bridge::error;
    using bridge::log;
    using bridge::message;
    using bridge::progress;

    sender.checkpoint();
    const std::string path = toNarrow(settings.file);
    log(sender, L"Reading " + settings.file);
    for (const auto& w : settings.warnings) message(sender, w);
    progress(sender, 0, 100, L"reading");

    // OCCT speaks while it reads; what it says is sent once the read is over.
    std::vector<std::wstring> occtLines;
    std::size_t occtMore = 0;
    const auto sendOcctLines = [&] {
        for (const auto& line : occtLines) log(sender, line);
        if (occtMore > 0)
            log(sender, L"OCCT: " + std::to_wstring(occtMore) + L" more lines not shown");
        occtLines.clear();
        occtMore = 0;
    };
    OpenDocument open;
    try {
        open.document = readStep(path, settings.units, [&](const std::wstring& line) {
            if (occtLines.size() < kMaxOcctLines)
                occtLines.push_back(line);
            else
                ++occtMore;
        });
    } catch (const ReadError& e) {
        sendOcctLines();
        if (e.tessellatedItems > 0)
            message(sender, L"Warning: the file holds " + std::to_wstring(e.tessellatedItems) +
                                L" tessellated shape items and nothing else OCCT 7.6 can "
                                L"translate: it has no B-rep faces to import.");
        log(sender, L"Error: " + toWide(e.what()));
        return error(e.what());
    }
    sendOcctLines();
    const StepDocument& document = open.document;

    std::size_t triangles = 0;
    std::vector<std::wstring> faceless;
    try {
        const ProductTree tree =
            productTree(document, std::filesystem::path(settings.file).stem().wstring());
        const Handle(XCAFDoc_ColorTool) colours =
            XCAFDoc_DocumentTool::ColorTool(document.doc->Main());

        std::vector<PartJob> jobs;
        std::vector<std::size_t> jobOf(tree.blocks.size(), SIZE_MAX);
        std::vector<std::size_t> blockOfJob;
        jobs.reserve(tree.blocks.size());  // a part's face map is copied when the list grows
        std::size_t faces = 0;
        for (std::size_t b = 0; b < tree.blocks.size(); ++b) {
            const BlockSource& block = tree.blocks[b];
            if (!block.part) continue;
            PartJob job;
            job.shape = block.shape;
            if (!block.shape.IsNull()) TopExp::MapShapes(block.shape, TopAbs_FACE, job.faces);
            if (job.faces.IsEmpty()) {
                faceless.push_back(block.name);
                continue;
            }
            faces += static_cast<std::size_t>(job.faces.Extent());
            jobOf[b] = jobs.size();
            blockOfJob.push_back(b);
            jobs.push_back(std::move(job));
        }
        std::size_t references = tree.structure->rootBlockReferences().size();
        for (const auto& block : tree.structure->blocks())
            references += block->blockReferences().size();
        const std::size_t parts =
            static_cast<std::size_t>(std::count_if(tree.blocks.begin(), tree.blocks.end(),
                                                   [](const BlockSource& b) { return b.part; }));
        const std::wstring format = document.session.IsNull() ? L"IGES: " : L"STEP: ";
        message(sender, format + count(tree.blocks.size(), L"block", L"blocks") + L" (" +
                            count(parts, L"part", L"parts") + L"), " +
                            count(references, L"placement", L"placements") + L", " +
                            count(faces, L"B-rep face", L"B-rep faces") + L".");
        if (!faceless.empty()) {
            // OCCT 7.6 reads no tessellated shapes: such a part arrives empty, and says so.
            std::wstring names;
            for (std::size_t i = 0; i < faceless.size() && i < 10; ++i)
                names += (i ? L", " : L"") + faceless[i];
            if (faceless.size() > 10) names += L", ...";
            const std::size_t tessellated =
                document.session.IsNull() ? 0 : tessellatedShapeItems(document.session->Model());
            message(sender,
                    L"Warning: " + count(faceless.size(), L"part has", L"parts have") +
                        L" no B-rep faces and no geometry (" + names + L")" +
                        (tessellated > 0
                             ? L"; the file holds " + std::to_wstring(tessellated) +
                                   L" tessellated shape items, which this reader (OCCT " +
                                   L"7.6) does not translate."
                             : L"."));
        }
        bridge::sendStructure(sender, settings, tree.structure);

        const bool sendMechanical = settings.mechanical || settings.pmi;
        std::optional<MechanicsReader> mechanics;
        if (sendMechanical) mechanics.emplace(document);

        MeshParameters parameters;
        parameters.inParallel = meshInParallel();
        if (settings.chordalDeflection > 0)
            parameters.deflectionMm =
                settings.chordalDeflection * tools::millimetresPer(settings.units);
        const unsigned threads = meshThreads();
        // Parts are meshed this far ahead of the one being sent: the threads stay busy, and
        // memory holds a few parts, not the model.
        const std::size_t ahead = std::max(threads, 1u);
        MeshPool pool(jobs, parameters, document.mmToUnits, threads);
        std::size_t submitted = 0;
        const auto submitUpTo = [&](std::size_t last) {
            for (; submitted < jobs.size() && submitted <= last; ++submitted) {
                const BlockSource& block = tree.blocks[blockOfJob[submitted]];
                log(sender, L"Meshing " + block.name + L" (block " +
                                std::to_wstring(block.id) + L", part " +
                                std::to_wstring(submitted + 1) + L" of " +
                                std::to_wstring(jobs.size()) + L")");
                pool.submit(submitted);
            }
        };

        const int total = static_cast<int>(tree.blocks.size());
        for (std::size_t b = 0; b < tree.blocks.size(); ++b) {
            const BlockSource& block = tree.blocks[b];
            progress(sender, static_cast<int>(b), total, L"block " + block.name);
            PartMechanics extra;
            if (mechanics) extra = mechanics->of(block.label, block.id);
            std::optional<PartMesh> mesh;
            if (jobOf[b] != SIZE_MAX) {
                submitUpTo(jobOf[b] + ahead);
                mesh = pool.take(jobOf[b], [&] { sender.stopPoint(); });
                triangles += mesh->stats.triangles;
                // Uncompressed: gzip would make the segment about a fifth as large, but costs
                // a tenth of a one-part import (measured), and the host reads the segment at
                // once and removes it.
                bridge::sendGeometry(
                    sender, bridge::blockGeometry(block.id, bodiesOf(block, *mesh), block.name,
                                                  sender, false));
                if (settings.visualization) {
                    auto visu = std::make_shared<ExcBlockVisualization>();
                    visu->setBlockId(block.id);
                    const PartJob& job = jobs[jobOf[b]];
                    visu->setVisualizationData(partVisualization(
                        block, *mesh, faceColours(colours, block.label, job.faces),
                        colourOf(colours, block.label),
                        settings.pmi ? extra.graphics
                                     : std::vector<std::shared_ptr<ExcVisuPMI>>{},
                        settings.units));
                    sender.send(visu);
                }
            }
            if (!sendMechanical) continue;
            auto mech = std::make_shared<ExcBlockMechanicalData>();
            mech->setBlockId(block.id);
            bool worthSending = false;
            if (settings.pmi && extra.pmi) {
                mech->setPMIData(extra.pmi);
                worthSending = true;
            }
            if (settings.mechanical) {
                auto misc = extra.misc ? extra.misc : std::make_shared<ExcMechanicalMiscData>();
                if (mesh) misc->miscData().addGroup(bridge::measuresGroup(mesh->stats));
                if (extra.misc || mesh) {
                    mech->setMiscData(misc);
                    worthSending = true;
                }
            }
            if (worthSending) sender.send(mech);
        }
        progress(sender, total, total, L"blocks");
        if (mechanics)
            for (const auto& w : mechanics->warnings()) message(sender, L"Warning: " + w);
        bridge::finishImport(sender, settings.visualization, sendMechanical, *tree.structure,
                             mechanics && settings.pmi ? mechanics->root() : nullptr);

        Result result;
        result.setFinished(true);
        std::wstring text = L"Imported " + count(tree.blocks.size(), L"block", L"blocks") +
                            L" (" + count(parts, L"part", L"parts") + L"), " +
                            count(triangles, L"triangle", L"triangles") + L".";
        if (!faceless.empty()) {
            result.setCode(Result::Warning);
            text += L" " + count(faceless.size(), L"part has", L"parts have") +
                    L" no B-rep faces.";
        }
        result.setMessage(text);
        open.closeAfterAnswer();
        return result;
    } catch (const bridge::HostGone&) {
        throw;
    } catch (const Standard_Failure& failure) {
        log(sender, L"Error: OCCT failed");
        return error(path + ": OCCT failed translating it: " + failure.GetMessageString());
    } catch (const std::bad_alloc&) {
        log(sender, L"Error: not enough memory");
        return error(path + ": not enough memory (" + std::to_string(triangles) +
                     " triangles sent so far)");
    } catch (const std::exception& e) {
        log(sender, L"Error: " + toWide(e.what()));
        return error(path + ": " + e.what());
    }
}

void closeAnsweredDocument() { closeQuietly(g_answered); }

}  // namespace trx::step
