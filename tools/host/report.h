#pragma once

// What the host learns from one import: the objects that arrived, turned into numbers,
// and the two forms of the summary (text for people, JSON for programs).

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/stl.h"
#include "model.h"
#include "scene.h"
#include "trx_api/json/enum_strings.h"

namespace trx {
class IExchangeObject;
class ExcProductStructure;
}  // namespace trx

namespace trx::host {

// Measures of a mesh: triangles, area, volume, bounding box.
struct Measures {
    bool present = false;
    tools::MeshStats stats;
};

struct BlockReport {
    std::uint64_t id = 0;
    std::wstring name;
    bool part = false;
    std::size_t bodies = 0;
    std::vector<long> bridgeIds;    // of the bodies' ATTRIB_BRIDGE_ID, in body order
    Measures geometry;              // measured here from the restored bodies
    std::size_t visuTriangles = 0;  // in the block's visualization
    std::size_t visuVertices = 0;
    bool hasVisualization = false;
    Measures mechanical;  // as the bridge reported them
    BoundedSet<> colors;  // set in its visualization
    Bounded<Layer, kMaxPmiKept> layers;
    PmiSummary pmi;
};

// A message of the bridge with the severity its text gives.
struct BridgeMessage {
    std::wstring severity;
    std::wstring text;
};

// What the scene of the outputs holds.
struct SceneFigures {
    std::size_t placements = 0;  // placed references
    std::size_t instances = 0;   // leaf placements
    std::size_t meshes = 0;
    std::size_t triangles = 0;  // each mesh once
    std::size_t materials = 0;
    std::size_t views = 0;
    Box bounds;  // of every placed triangle, in the product's units
};

// A file the host wrote from what arrived: a glTF model, a picture.
struct OutputFile {
    std::string kind;  // "gltf", "png"
    std::string path;
    std::uintmax_t bytes = 0;
    double seconds = 0;  // to make and write it
    std::string detail;  // "1024x768, view isometric"
    std::string error;   // empty when written
};

struct StageTime {
    std::wstring stage;
    double seconds = 0;
};

// Told to whoever shows the import while it runs.
class Listener {
public:
    virtual ~Listener() = default;
    virtual void progress(int value, int max, const std::wstring& stage) = 0;
    virtual void message(const std::wstring& text) = 0;
    virtual void log(const std::wstring& text) = 0;
    virtual void stage(const std::wstring& name, double seconds) = 0;
};

class Report {
public:
    using Clock = std::chrono::steady_clock;

    // The time from which stage times count.
    void start();
    // Takes one object that arrived (loaded, when it is binary) and notes what it says.
    // Block geometry is restored, measured and let go.
    void take(const std::shared_ptr<IExchangeObject>& object, Listener& listener);
    // One object of this name arrived (also for names the host does not know).
    void arrived(const std::wstring& objectName);
    // A time that is not an ExcStageFinished of the bridge ("result", "loading").
    void mark(const std::wstring& stage, Listener& listener);
    void error(const std::wstring& text);
    // Something worth saying that does not make the import fail.
    void note(const std::wstring& text);
    // A segment the bridge named.
    void noteSegment(const std::wstring& name);

    // Where the import stood: the last progress stage and the last finished stage.
    std::wstring whereText() const;
    // "1 exc_product_structure, 3 exc_block_geometry, ..." or "nothing".
    std::wstring arrivedText() const;

    // Filled by the session.
    std::wstring file;
    std::wstring bridgeProgram;  // the one chosen
    std::wstring bridgeName;
    std::wstring bridgeVersion;
    std::wstring interfaceName;
    bool delayed = false;
    std::string status = "ok";  // ok, error, bridge_died, timeout, protocol_error
    std::wstring message;
    double seconds = 0;
    double secondsToResult = 0;  // from the start of the first bridge to the Result
    std::size_t legacyNames = 0;

    const std::vector<std::wstring>& errors() const { return m_errors.kept; }
    const std::vector<std::wstring>& segments() const { return m_segments.kept; }
    const std::map<std::uint64_t, BlockReport>& blocks() const { return m_blocks; }

    // Set: every object that arrives goes to it as well.
    SceneCollector* scene = nullptr;
    void setSceneFigures(const Scene& scene);
    void addOutput(OutputFile file);

    void writeText(std::ostream& os) const;
    void writeJson(std::ostream& os) const;

private:
    BlockReport& block(std::uint64_t id);
    void takeStructure(const ExcProductStructure& structure);
    void writeTree(std::ostream& os) const;
    void writeModel(std::ostream& os) const;
    void writeOutputs(std::ostream& os) const;

    // The text tree of a hostile structure could be exponentially long.
    static constexpr std::size_t kMaxTreeLines = 2000;

    void checkFinite(const Measures& m, const BlockReport& b, const wchar_t* what);

    std::optional<SceneFigures> m_scene;
    std::vector<OutputFile> m_outputs;
    std::shared_ptr<ExcProductStructure> m_structure;
    TreeShape m_shape;
    std::map<std::uint64_t, BlockReport> m_blocks;
    std::map<std::wstring, std::size_t> m_arrived;
    std::size_t m_otherArrived = 0;  // objects under names beyond the kept ones
    Bounded<StageTime> m_stages;
    Bounded<std::wstring> m_errors;
    Bounded<std::wstring> m_notes;
    Bounded<std::wstring> m_segments;
    Bounded<BridgeMessage> m_messages;
    Bounded<SavedView> m_views;
    PmiSummary m_rootPmi;
    std::wstring m_lastProgress;
    std::wstring m_lastStage;
    std::size_t m_assemblyNodes = 0;
    bool m_rootMechanical = false;
    Clock::time_point m_mark{};
};

}  // namespace trx::host
