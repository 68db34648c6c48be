#pragma once

// The triangles of one part: OCCT's mesher on its B-rep, face by face, and a small pool that
// meshes the next parts while the current one is sent.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>

#include "common/stl.h"

namespace trx::step {

struct MeshParameters {
    // Largest distance of the mesh from the surface, in millimetres (the document's unit);
    // 0 meshes with relativeDeflection of each edge's size instead.
    double deflectionMm = 0;
    double relativeDeflection = 0.001;
    double angle = 0.5;  // radians
    bool inParallel = false;  // OCCT's own threads over the faces of a part
};

struct FaceMesh {
    std::vector<double> nodes;    // x, y, z per node, in the requested unit
    std::vector<float> normals;   // x, y, z per node, outward
    std::vector<int> triangles;   // three node indices each, counter-clockwise seen from outside
};

struct PartMesh {
    std::vector<FaceMesh> faces;  // face index (from 1, as the face map counts) - 1
    // Face indices (from 0) of each solid, then of the faces outside every solid, if any.
    std::vector<std::vector<int>> bodies;
    tools::MeshStats stats;  // of every face once, in the requested unit
};

struct PartJob {
    TopoDS_Shape shape;
    TopTools_IndexedMapOfShape faces;  // TopExp::MapShapes(shape, TopAbs_FACE)
};

// Meshes the shape and takes its triangles; coordinates are multiplied by mmToUnits. Runs on
// any thread, provided no two parts meshed at once share a face. Stops early (and answers
// what it has) once `cancel` is set. Throws std::runtime_error, OCCT's failures included.
PartMesh meshPart(const PartJob& job, const MeshParameters& parameters, double mmToUnits,
                  const std::atomic<bool>& cancel);

// Meshes parts on `threads` threads in the order they are handed in (none: on the caller's
// thread, in take()). The jobs must outlive the pool; destroying it cancels what runs and
// waits for it.
class MeshPool {
public:
    MeshPool(const std::vector<PartJob>& jobs, MeshParameters parameters, double mmToUnits,
             unsigned threads);
    ~MeshPool();
    MeshPool(const MeshPool&) = delete;
    MeshPool& operator=(const MeshPool&) = delete;

    // Queues part i for meshing.
    void submit(std::size_t i);
    // Waits for part i (submitted before) and hands it over; rethrows its failure. `poll` is
    // called now and then while waiting and may throw to give up.
    PartMesh take(std::size_t i, const std::function<void()>& poll);

private:
    void work();

    const std::vector<PartJob>& m_jobs;
    MeshParameters m_parameters;
    double m_mmToUnits;
    std::atomic<bool> m_cancel{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;  // a job was queued, or the pool ends
    std::condition_variable m_done;  // a job finished
    std::deque<std::size_t> m_queue;
    std::map<std::size_t, PartMesh> m_results;
    std::map<std::size_t, std::exception_ptr> m_failures;
    std::vector<std::thread> m_threads;
};

}  // namespace trx::step
