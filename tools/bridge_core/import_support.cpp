#include "import_support.h"

#include <cstdio>
#include <functional>
#include <stdexcept>

#include "acis/acis.h"
#include "common/protocol.h"
#include "sender.h"
#include "trx_api/trx_api_acis_attrib_id.h"
#include "trx_api/trx_api_exchange_geometry.h"
#include "trx_api/trx_api_exchange_mechanical.h"
#include "trx_api/trx_api_exchange_misc_mechanical.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::bridge {
namespace {
// References may nest without end in a broken tree; the drawing stops here.
constexpr int kMaxTreeDepth = 64;
}  // namespace

std::wstring number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);  // exact round trip
    return toWide(text);
}

void progress(Sender& sender, int done, int total, const std::wstring& stage) {
    auto p = std::make_shared<ExcProgress>();
    p->setProgress(done);
    p->setProgressMax(total);
    p->setStage(stage);
    sender.send(p);
}

void stageFinished(Sender& sender, ExcStageFinished::EStage stage) {
    sender.send(std::make_shared<ExcStageFinished>(stage));
}

void message(Sender& sender, const std::wstring& text) {
    sender.send(std::make_shared<ExcMessage>(text));
}

void log(Sender& sender, const std::wstring& text) { sender.send(std::make_shared<ExcLog>(text)); }

Result error(const std::string& text) {
    Result result;
    result.setCode(Result::Error);
    result.setMessage(toWide(text));
    result.setFinished(true);
    return result;
}

void sendStructure(Sender& sender, const ImportSettings& settings,
                   const std::shared_ptr<ExcProductStructure>& structure) {
    sender.send(structure);
    if (settings.legacy) {
        // The legacy host keys its components by handle; ours are the block ids.
        auto names = std::make_shared<LegacyComponentInstanceNames>();
        for (const auto& block : structure->blocks())
            names->addInstanceName(block->id(), block->name());
        sender.send(names);
    }
    stageFinished(sender, ExcStageFinished::EStage::product_structure);
}

std::shared_ptr<ExcBlockGeometry> blockGeometry(std::uint64_t blockId,
                                                const std::vector<BODY*>& bodies,
                                                const std::wstring& blockName, Sender& sender,
                                                bool compress) {
    ENTITY_LIST entities;
    for (BODY* body : bodies) {
        ACIS_NEW ATTRIB_BRIDGE_ID(body, static_cast<long>(blockId));
        entities.add(body);
    }
    auto geometry = std::make_shared<ExcBlockGeometry>();
    geometry->setBlockId(blockId);
    geometry->own(true);
    const bool saved = geometry->setGeometry(entities, compress);
    for (BODY* body : bodies) body->lose();
    if (!saved) throw std::runtime_error("cannot save the bodies of block " + toNarrow(blockName));
    sender.noteSegment(geometry->buffer()->name());
    return geometry;
}

void sendGeometry(Sender& sender, const std::shared_ptr<ExcBlockGeometry>& geometry) {
    sender.send(geometry);
    geometry->own(false);  // announced: the host removes it once loaded
}

std::shared_ptr<ExcMiscPropertiesGroup> measuresGroup(const tools::MeshStats& stats) {
    namespace p = tools::mesh_props;
    using Type = ExcMiscProperty::EType;
    auto group = std::make_shared<ExcMiscPropertiesGroup>();
    group->setName(p::kGroup);
    group->addProperty({p::kTriangles, Type::integer, std::to_wstring(stats.triangles)});
    group->addProperty({p::kArea, Type::double_, number(stats.area)});
    group->addProperty({p::kVolume, Type::double_, number(stats.volume)});
    for (int c = 0; c < 3; ++c) {
        group->addProperty({p::kBoxMin[c], Type::double_, number(stats.min[c])});
        group->addProperty({p::kBoxMax[c], Type::double_, number(stats.max[c])});
    }
    return group;
}

std::shared_ptr<ExcVisualizationData> assemblyVisualization(const ExcProductStructure& structure) {
    std::function<void(ExcVisuNode&, const ExcBlockReferences&, int)> add;
    add = [&](ExcVisuNode& parent, const ExcBlockReferences& references, int depth) {
        for (const auto& reference : references) {
            if (!reference) continue;
            auto group = std::make_shared<ExcVisuNode>();
            group->setType(ExcVisuNode::EType::GROUP);
            group->setGroupName(reference->name());
            group->setTransformation(
                std::make_shared<ExcTransformation>(reference->transformation()));
            const auto block = structure.getBlockById(reference->blockId());
            if (block && depth < kMaxTreeDepth)
                add(*group, block->blockReferences(), depth + 1);
            parent.addChildNode(group);
        }
    };
    auto root = std::make_shared<ExcVisuNode>();
    root->setType(ExcVisuNode::EType::ROOT);
    root->setGroupName(structure.productName());
    add(*root, structure.rootBlockReferences(), 0);
    auto data = std::make_shared<ExcVisualizationData>();
    data->setUnits(structure.units());
    data->addSceneRootNode(root);
    return data;
}

void finishImport(Sender& sender, bool visualization, bool mechanical,
                  const ExcProductStructure& structure,
                  const std::shared_ptr<ExcPMIData>& rootPMI) {
    using Stage = ExcStageFinished::EStage;
    if (visualization && mechanical)
        stageFinished(sender, Stage::visu_and_mech);
    else if (visualization)
        stageFinished(sender, Stage::visualization);
    else if (mechanical)
        stageFinished(sender, Stage::mechanical);

    if (visualization) {
        auto visu = std::make_shared<ExcRootAssemblyVisualization>();
        visu->setVisualizationData(assemblyVisualization(structure));
        sender.send(visu);
        stageFinished(sender, Stage::root_visualization);
    }
    if (mechanical) {
        auto root = std::make_shared<ExcRootMechanicalData>();
        if (rootPMI) root->setPMIData(rootPMI);
        sender.send(root);
        stageFinished(sender, Stage::root_mechanical);
    }
}

}  // namespace trx::bridge
