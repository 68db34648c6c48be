#pragma once

// What every bridge's import sends the same way: progress, messages, stage ends, block
// geometry as modeller bodies, the mesh measures group and the root objects.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/stl.h"
#include "settings.h"
#include "trx_api/trx_api_exchange_messages.h"
#include "trx_api/trx_api_result.h"

class BODY;

namespace trx {
class ExcBlockGeometry;
class ExcMechanicalMiscData;
class ExcMiscPropertiesGroup;
class ExcPMIData;
class ExcProductStructure;
class ExcVisualizationData;
}  // namespace trx

namespace trx::bridge {

class Sender;

// A double as text that reads back to the same value.
std::wstring number(double v);

void progress(Sender& sender, int done, int total, const std::wstring& stage);
void stageFinished(Sender& sender, ExcStageFinished::EStage stage);
void message(Sender& sender, const std::wstring& text);
void log(Sender& sender, const std::wstring& text);
// A finished error answer.
Result error(const std::string& text);

// The tree, the legacy interface's component names (keyed by block id) and the stage end.
void sendStructure(Sender& sender, const ImportSettings& settings,
                   const std::shared_ptr<ExcProductStructure>& structure);

// Tags the bodies with the block id (so that the host finds the block of a body again after
// restoring them), saves them into a fresh segment and lets them go. The object owns its
// segment until it is announced: should sending fail, the segment goes with it. The segment
// is noted with the sender before it is announced; gzip-compressed when asked. Throws
// std::runtime_error when the modeller or the segment fails.
std::shared_ptr<ExcBlockGeometry> blockGeometry(std::uint64_t blockId,
                                                const std::vector<BODY*>& bodies,
                                                const std::wstring& blockName, Sender& sender,
                                                bool compress = true);
// Sends it and hands its segment to the host.
void sendGeometry(Sender& sender, const std::shared_ptr<ExcBlockGeometry>& geometry);

// The measures of a block's mesh as the property group the host reads.
std::shared_ptr<ExcMiscPropertiesGroup> measuresGroup(const tools::MeshStats& stats);

// The assembly: one group per reference, placed by its transformation, down the tree; the
// meshes themselves travel with the blocks.
std::shared_ptr<ExcVisualizationData> assemblyVisualization(const ExcProductStructure& structure);

// After the last block: the stage that ended with it, then the root objects of what was
// sent (visualization, mechanical data), each followed by its stage end.
void finishImport(Sender& sender, bool visualization, bool mechanical,
                  const ExcProductStructure& structure,
                  const std::shared_ptr<ExcPMIData>& rootPMI = nullptr);

}  // namespace trx::bridge
