#include "part_mesh.h"

#include <chrono>
#include <csignal>
#include <pthread.h>
#include <stdexcept>

#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <IMeshTools_Parameters.hxx>
#include <Message_ProgressIndicator.hxx>
#include <Poly_Triangulation.hxx>
#include <Standard_Failure.hxx>
#include <StdPrs_ToolTriangulatedShape.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>

namespace trx::step {
namespace {

// OCCT asks its progress indicator whether to break off; ours answers with the flag.
class CancelIndicator : public Message_ProgressIndicator {
public:
    explicit CancelIndicator(const std::atomic<bool>& cancel) : m_cancel(cancel) {}
    Standard_Boolean UserBreak() override { return m_cancel.load(); }
    void Show(const Message_ProgressScope&, const Standard_Boolean) override {}

private:
    const std::atomic<bool>& m_cancel;
};

void takeFace(const TopoDS_Face& face, double scale, FaceMesh& out, tools::MeshStats& stats) {
    TopLoc_Location location;
    const Handle(Poly_Triangulation) mesh = BRep_Tool::Triangulation(face, location);
    if (mesh.IsNull() || mesh->NbTriangles() == 0) return;
    // Normals of the surface where it has them, else of the triangles around each node.
    if (!mesh->HasNormals()) StdPrs_ToolTriangulatedShape::ComputeNormals(face, mesh);
    const gp_Trsf& placement = location.Transformation();
    const bool reversed = face.Orientation() == TopAbs_REVERSED;

    const int nodes = mesh->NbNodes();
    out.nodes.reserve(3 * static_cast<std::size_t>(nodes));
    out.normals.reserve(3 * static_cast<std::size_t>(nodes));
    for (int i = 1; i <= nodes; ++i) {
        const gp_Pnt p = mesh->Node(i).Transformed(placement);
        out.nodes.insert(out.nodes.end(), {p.X() * scale, p.Y() * scale, p.Z() * scale});
        gp_Dir n = mesh->Normal(i).Transformed(placement);
        if (reversed) n.Reverse();
        out.normals.insert(out.normals.end(), {static_cast<float>(n.X()),
                                               static_cast<float>(n.Y()),
                                               static_cast<float>(n.Z())});
    }
    const int triangles = mesh->NbTriangles();
    out.triangles.reserve(3 * static_cast<std::size_t>(triangles));
    for (int t = 1; t <= triangles; ++t) {
        int a = 0, b = 0, c = 0;
        mesh->Triangle(t).Get(a, b, c);
        // The surface's parameter order; a reversed face turns the other way round.
        if (reversed) std::swap(b, c);
        out.triangles.insert(out.triangles.end(), {a - 1, b - 1, c - 1});
        tools::Triangle corners{};
        const int index[3] = {a - 1, b - 1, c - 1};
        for (int k = 0; k < 3; ++k)
            for (int d = 0; d < 3; ++d)
                corners.vertices[k][d] = out.nodes[3 * static_cast<std::size_t>(index[k]) + d];
        stats.add(corners);
    }
}

// SIGINT and SIGTERM belong to the sending thread, which waits for them (a stopped bridge
// cleans up there): blocked in the threads that mesh, and so in the threads OCCT's parallel
// meshing starts from them, which take the mask of the thread that starts them.
class StopSignalsBlocked {
public:
    StopSignalsBlocked() {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGINT);
        sigaddset(&stops, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stops, &m_before);
    }
    ~StopSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    StopSignalsBlocked(const StopSignalsBlocked&) = delete;
    StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
    sigset_t m_before;
};

}  // namespace

PartMesh meshPart(const PartJob& job, const MeshParameters& parameters, double mmToUnits,
                  const std::atomic<bool>& cancel) {
    PartMesh out;
    try {
        IMeshTools_Parameters p;
        p.Angle = parameters.angle;
        p.Relative = parameters.deflectionMm <= 0;
        p.Deflection = p.Relative ? parameters.relativeDeflection : parameters.deflectionMm;
        p.InParallel = parameters.inParallel;
        Handle(CancelIndicator) indicator = new CancelIndicator(cancel);
        BRepMesh_IncrementalMesh mesher(job.shape, p, indicator->Start());
        if (cancel) return out;

        const int faces = job.faces.Extent();
        out.faces.resize(static_cast<std::size_t>(faces));
        for (int i = 1; i <= faces; ++i)
            takeFace(TopoDS::Face(job.faces(i)), mmToUnits,
                     out.faces[static_cast<std::size_t>(i - 1)], out.stats);
        out.stats.volume = std::abs(out.stats.volume);

        std::vector<bool> inSolid(static_cast<std::size_t>(faces), false);
        for (TopExp_Explorer solid(job.shape, TopAbs_SOLID); solid.More(); solid.Next()) {
            TopTools_IndexedMapOfShape own;
            TopExp::MapShapes(solid.Current(), TopAbs_FACE, own);
            std::vector<int> body;
            for (int k = 1; k <= own.Extent(); ++k) {
                const int index = job.faces.FindIndex(own(k));
                if (index == 0) continue;
                body.push_back(index - 1);
                inSolid[static_cast<std::size_t>(index - 1)] = true;
            }
            if (!body.empty()) out.bodies.push_back(std::move(body));
        }
        std::vector<int> loose;
        for (int i = 0; i < faces; ++i)
            if (!inSolid[static_cast<std::size_t>(i)]) loose.push_back(i);
        if (!loose.empty()) out.bodies.push_back(std::move(loose));
    } catch (const Standard_Failure& failure) {
        throw std::runtime_error(std::string("OCCT failed meshing it: ") +
                                 failure.GetMessageString());
    }
    return out;
}

MeshPool::MeshPool(const std::vector<PartJob>& jobs, MeshParameters parameters,
                   double mmToUnits, unsigned threads)
    : m_jobs(jobs), m_parameters(parameters), m_mmToUnits(mmToUnits) {
    const StopSignalsBlocked inherited;
    for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this] { work(); });
}

MeshPool::~MeshPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_cancel = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (auto& t : m_threads) t.join();
}

void MeshPool::submit(std::size_t i) {
    if (m_threads.empty()) return;  // meshed in take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(i);
    }
    m_wake.notify_one();
}

void MeshPool::work() {
    for (;;) {
        std::size_t i = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [&] { return m_cancel || !m_queue.empty(); });
            if (m_cancel) return;
            i = m_queue.front();
            m_queue.pop_front();
        }
        PartMesh mesh;
        std::exception_ptr failure;
        try {
            mesh = meshPart(m_jobs[i], m_parameters, m_mmToUnits, m_cancel);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (failure)
                m_failures[i] = failure;
            else
                m_results[i] = std::move(mesh);
        }
        m_done.notify_all();
    }
}

PartMesh MeshPool::take(std::size_t i, const std::function<void()>& poll) {
    if (m_threads.empty()) {
        poll();
        // A stop that comes meanwhile waits, pending, until the part is meshed.
        const StopSignalsBlocked meshing;
        return meshPart(m_jobs[i], m_parameters, m_mmToUnits, m_cancel);
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (const auto f = m_failures.find(i); f != m_failures.end()) {
            const std::exception_ptr failure = f->second;
            m_failures.erase(f);
            std::rethrow_exception(failure);
        }
        if (auto r = m_results.find(i); r != m_results.end()) {
            PartMesh mesh = std::move(r->second);
            m_results.erase(r);
            return mesh;
        }
        // A stop asked for while a large part is meshed is seen within this time.
        m_done.wait_for(lock, std::chrono::milliseconds(100));
        lock.unlock();
        poll();
        lock.lock();
    }
}

}  // namespace trx::step
