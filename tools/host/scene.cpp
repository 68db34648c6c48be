#include "scene.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include "common/protocol.h"
#include "common/units.h"
#include "model.h"
#include "trx_api/trx_api_exchange_mechanical.h"
#include "trx_api/trx_api_exchange_pmi.h"
#include "trx_api/trx_api_exchange_structure.h"
#include "trx_api/trx_api_exchange_visualization.h"

namespace trx::host {

// ---- geometry ----

double length(const Vec3& a) { return std::sqrt(dot(a, a)); }

bool finite(const Vec3& a) {
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

Vec3 normalised(const Vec3& v) {
    const double n = length(v);
    if (!(n > 0) || !std::isfinite(n)) return {0, 0, 0};
    return times(v, 1 / n);
}

ViewAxes viewAxes(const Vec3& forward, const Vec3& upHint) {
    Vec3 up = normalised(upHint);
    up = normalised(minus(up, times(forward, dot(up, forward))));
    if (isZero(up) || std::abs(dot(normalised(upHint), forward)) > 0.999999) {
        const Vec3 axes[] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
        const Vec3* best = &axes[0];
        for (const Vec3& axis : axes)
            if (std::abs(dot(axis, forward)) < std::abs(dot(*best, forward)) - 1e-9) best = &axis;
        up = normalised(minus(*best, times(forward, dot(*best, forward))));
    }
    return {cross(forward, up), up, forward};
}

Vec3 Affine::apply(const Vec3& p) const {
    Vec3 q = applyLinear(p);
    for (int r = 0; r < 3; ++r) q[r] += translation[r];
    return q;
}

Vec3 Affine::applyLinear(const Vec3& v) const {
    Vec3 q{};
    for (int r = 0; r < 3; ++r)
        q[r] = linear[r][0] * v[0] + linear[r][1] * v[1] + linear[r][2] * v[2];
    return q;
}

Affine Affine::operator*(const Affine& inner) const {
    Affine out;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.linear[r][c] = linear[r][0] * inner.linear[0][c] +
                               linear[r][1] * inner.linear[1][c] +
                               linear[r][2] * inner.linear[2][c];
    out.translation = apply(inner.translation);
    return out;
}

void Box::add(const Vec3& p) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return;
    for (int i = 0; i < 3; ++i) {
        min[i] = empty ? p[i] : std::min(min[i], p[i]);
        max[i] = empty ? p[i] : std::max(max[i], p[i]);
    }
    empty = false;
}

void Box::add(const Box& other) {
    if (other.empty) return;
    add(other.min);
    add(other.max);
}

Vec3 Box::centre() const {
    return {(min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2};
}

double Box::diagonal() const {
    if (empty) return 0;
    return std::hypot(max[0] - min[0], max[1] - min[1], max[2] - min[2]);
}

bool Rgba::operator<(const Rgba& o) const {
    return std::tie(r, g, b, a) < std::tie(o.r, o.g, o.b, o.a);
}
bool Rgba::operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }

// ---- the scene ----

std::size_t Mesh::triangleCount() const {
    std::size_t n = 0;
    for (const auto& p : primitives) n += p.indices.size() / 3;
    return n;
}

const Mesh* Scene::meshOf(const Instance& instance) const {
    const auto it = meshes.find(instance.blockId);
    return it == meshes.end() ? nullptr : &it->second;
}

std::size_t Scene::triangleCount() const {
    std::size_t n = 0;
    for (const auto& [id, mesh] : meshes) n += mesh.triangleCount();
    return n;
}

std::size_t Scene::leafCount() const {
    return static_cast<std::size_t>(std::count_if(instances.begin(), instances.end(),
                                                  [](const Instance& i) { return i.leaf; }));
}

// ---- collecting ----

namespace {

// An expanded tree is as large as the product of its levels' counts: a hostile one is cut.
constexpr std::size_t kMaxInstances = 1000000;

Affine affineOf(const ExcTransformation& t) {
    Affine a;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) a.linear[r][c] = t.affine()[r][c];
        a.translation[r] = t.translation()[r];
    }
    return a;
}

Rgba rgbaOf(const ExcColor& color) {
    auto channel = [&](ExcColor::EChannel c) {
        return static_cast<float>(std::min<unsigned>(color[c], 255)) / 255.0f;
    };
    return {channel(ExcColor::red), channel(ExcColor::green), channel(ExcColor::blue),
            color.hasAlpha() ? channel(ExcColor::alpha) : 1.0f};
}

Vec3 vec(const ExcVector3d& v) { return {v.x(), v.y(), v.z()}; }

// The unit vector along v; up when v has no length (or no finite one).
Vec3 unit(const Vec3& v) {
    const Vec3 u = normalised(v);
    return isZero(u) ? Vec3{0, 0, 1} : u;
}

// The triangles of one polygon as index triples into its face, in the polygon's winding.
template <class F>
void triangulate(const ExcVisuFace::Polygon& polygon, F&& emit) {
    const auto& i = polygon.indices;
    const std::size_t n = i.size();
    if (polygon.type == tools::kTriangleListPolygon) {
        for (std::size_t k = 0; k + 2 < n; k += 3) emit(i[k], i[k + 1], i[k + 2]);
    } else if (polygon.type == tools::kTriangleStripPolygon) {
        for (std::size_t k = 0; k + 2 < n; ++k)
            k % 2 == 0 ? emit(i[k], i[k + 1], i[k + 2]) : emit(i[k + 1], i[k], i[k + 2]);
    } else {
        // Fans, and polygons of other types as the convex polygons they mostly are.
        for (std::size_t k = 1; k + 1 < n; ++k) emit(i[0], i[k], i[k + 1]);
    }
}

// A saved view by its name (else its camera's) and camera.
View viewOf(const std::wstring& name, const ExcCamera& camera) {
    View v;
    v.name = name.empty() ? camera.name() : name;
    v.orthographic = camera.type() == ExcCamera::EType::orthographic;
    v.eye = vec(camera.eye());
    v.target = vec(camera.target());
    v.up = vec(camera.up());
    if (camera.type() == ExcCamera::EType::perspective)
        v.fieldOfView = camera.perspectiveViewAngle();
    if (v.orthographic) v.width = camera.orthographicZoomFactor();
    return v;
}

}  // namespace

struct SceneCollector::State {
    std::shared_ptr<ExcProductStructure> structure;
    Scene scene;
    std::map<std::pair<Rgba, std::wstring>, std::uint32_t> materialIndex;
    std::optional<std::uint32_t> defaultMaterial;
    // Saved views as they came, in the frame of their block (none: the model's).
    std::vector<std::pair<View, std::optional<std::uint64_t>>> views;
    std::size_t badTriangles = 0;
    bool tooDeep = false;

    std::uint32_t material(const Rgba& color, bool fromModel, const std::wstring& name = {}) {
        if (!fromModel) {
            if (!defaultMaterial) {
                defaultMaterial = static_cast<std::uint32_t>(scene.materials.size());
                scene.materials.push_back({kDefaultColor, false, {}});
            }
            return *defaultMaterial;
        }
        const auto key = std::make_pair(color, name);
        const auto it = materialIndex.find(key);
        if (it != materialIndex.end()) return it->second;
        const auto index = static_cast<std::uint32_t>(scene.materials.size());
        scene.materials.push_back({color, true, name});
        materialIndex.emplace(key, index);
        return index;
    }
    // A visual material's diffuse colour, made see-through by its transparency.
    std::optional<std::uint32_t> material(const ExcVisuMaterial& visual) {
        const auto& colors = visual.colors();
        const auto diffuse = colors.find(ExcVisuMaterial::EColorType::diffuse);
        if (diffuse == colors.end()) return std::nullopt;
        const auto channel = [](std::uint16_t c) { return std::min<float>(c, 255) / 255.0f; };
        Rgba rgba{channel(diffuse->second.red), channel(diffuse->second.green),
                  channel(diffuse->second.blue), 1.0f};
        const auto clear = colors.find(ExcVisuMaterial::EColorType::transparency);
        if (clear != colors.end() && std::isfinite(clear->second.coefficient))
            rgba.a = static_cast<float>(1 - std::clamp(clear->second.coefficient, 0.0, 1.0));
        return material(rgba, true, visual.name());
    }
    std::optional<std::uint32_t> material(const ExcColor& color) {
        if (!color.hasRGB()) return std::nullopt;
        return material(rgbaOf(color), true);
    }

    void addCaptures(const ExcVisualizationData& data, std::optional<std::uint64_t> block) {
        for (const auto& c : data.captures())
            if (c) views.emplace_back(viewOf(c->displayName(), c->camera()), block);
    }
    void addCaptures(const ExcPMIData& data, std::optional<std::uint64_t> block) {
        for (const auto& set : data.annotationSets())
            if (set)
                for (const auto& c : set->captures())
                    if (c && c->camera())
                        views.emplace_back(viewOf(c->name(), *c->camera()), block);
    }

    void addVisualization(std::uint64_t blockId, const ExcVisualizationData& data) {
        Mesh& mesh = scene.meshes[blockId];
        mesh.blockId = blockId;
        for (const auto& root : data.sceneRootNodes())
            if (root) addNode(mesh, *root, Affine{}, std::nullopt, 0);
        // Faces whose every triangle was refused leave a primitive with nothing to draw.
        auto& p = mesh.primitives;
        p.erase(std::remove_if(p.begin(), p.end(),
                               [](const Primitive& x) { return x.indices.empty(); }),
                p.end());
        if (p.empty()) scene.meshes.erase(blockId);
        addCaptures(data, blockId);
    }

    void addNode(Mesh& mesh, const ExcVisuNode& node, const Affine& parent,
                 std::optional<std::uint32_t> inherited, int depth) {
        if (depth > kMaxTreeDepth) {
            tooDeep = true;
            return;
        }
        const auto& attributes = node.attributes();
        if (attributes && attributes->isHidden()) return;
        const Affine frame =
            node.transformation() ? parent * affineOf(*node.transformation()) : parent;
        // The node's visual material, else its colour, else what it sits in.
        std::optional<std::uint32_t> own;
        if (attributes)
            for (const auto& visual : attributes->materials())
                if (visual && !own) own = material(*visual);
        if (attributes && attributes->color() && !own) own = material(*attributes->color());
        if (own) inherited = own;
        if (node.mesh())
            for (const auto& face : node.mesh()->faces())
                if (face) addFace(mesh, *face, frame, inherited);
        for (const auto& child : node.childNodes())
            if (child) addNode(mesh, *child, frame, inherited, depth + 1);
    }

    Primitive& primitive(Mesh& mesh, std::uint32_t material) {
        for (auto& p : mesh.primitives)
            if (p.material == material) return p;
        mesh.primitives.push_back({material, {}});
        return mesh.primitives.back();
    }

    void addFace(Mesh& mesh, const ExcVisuFace& face, const Affine& frame,
                 std::optional<std::uint32_t> inherited) {
        const std::size_t count = face.vertices().size() / 3;
        const std::size_t base = mesh.vertexCount();
        if (count == 0 || base + count > std::numeric_limits<std::uint32_t>::max()) return;
        std::optional<std::uint32_t> own = material(face.color());
        Primitive& target = primitive(mesh, own         ? *own
                                            : inherited ? *inherited
                                                        : material(kDefaultColor, false));

        const auto& v = face.vertices();
        for (std::size_t k = 0; k < count; ++k) {
            const Vec3 p = frame.apply({v[3 * k], v[3 * k + 1], v[3 * k + 2]});
            for (double c : p) mesh.positions.push_back(static_cast<float>(c));
            mesh.bounds.add(p);
        }
        const std::size_t firstIndex = target.indices.size();
        for (const auto& polygon : face.polygons())
            triangulate(polygon, [&](int a, int b, int c) {
                const auto inFace = [&](int i) { return i >= 0 && std::size_t(i) < count; };
                if (!inFace(a) || !inFace(b) || !inFace(c)) {
                    ++badTriangles;
                    return;
                }
                for (int i : {a, b, c})
                    target.indices.push_back(static_cast<std::uint32_t>(base + i));
            });
        addNormals(mesh, face, frame, base, count, target, firstIndex);
    }

    // The face's own normals where it has one per vertex, else the mean of the normals of
    // the face's triangles around each vertex.
    static void addNormals(Mesh& mesh, const ExcVisuFace& face, const Affine& frame,
                           std::size_t base, std::size_t count, const Primitive& primitive,
                           std::size_t firstIndex) {
        const auto& n = face.normals();
        if (n.size() == 3 * count) {
            for (std::size_t k = 0; k < count; ++k) {
                const Vec3 u = unit(frame.applyLinear({n[3 * k], n[3 * k + 1], n[3 * k + 2]}));
                for (double c : u) mesh.normals.push_back(static_cast<float>(c));
            }
            return;
        }
        std::vector<Vec3> sum(count, Vec3{0, 0, 0});
        const auto point = [&](std::uint32_t i) {
            const float* p = &mesh.positions[3 * std::size_t(i)];
            return Vec3{p[0], p[1], p[2]};
        };
        for (std::size_t k = firstIndex; k + 2 < primitive.indices.size(); k += 3) {
            const std::uint32_t* t = &primitive.indices[k];
            const Vec3 a = point(t[0]), b = point(t[1]), c = point(t[2]);
            const Vec3 area = cross({b[0] - a[0], b[1] - a[1], b[2] - a[2]},
                                    {c[0] - a[0], c[1] - a[1], c[2] - a[2]});
            for (int j = 0; j < 3; ++j)
                for (int d = 0; d < 3; ++d) sum[t[j] - base][d] += area[d];
        }
        for (const Vec3& s : sum)
            for (double c : unit(s)) mesh.normals.push_back(static_cast<float>(c));
    }

    // ---- placing ----

    void place(const ExcBlockReferences& refs, int parent, const Affine& world,
               std::optional<std::uint32_t> color, std::set<std::uint64_t>& path, int depth,
               std::size_t& left) {
        for (const auto& ref : refs) {
            if (!ref || ref->isHidden() || ref->isSuppressed()) continue;
            if (scene.instances.size() >= kMaxInstances) {
                ++left;
                continue;
            }
            const auto block = structure->getBlockById(ref->blockId());
            if (!block) continue;  // the summary names references to missing blocks
            Instance instance;
            instance.blockId = ref->blockId();
            instance.name = ref->name().empty() ? block->name() : ref->name();
            instance.parent = parent;
            instance.local = affineOf(ref->transformation());
            instance.world = world * instance.local;
            instance.material = material(ref->color());
            if (!instance.material) instance.material = color;
            const bool descend = !block->isPart() && !block->blockReferences().empty();
            instance.leaf = !descend;
            const int index = static_cast<int>(scene.instances.size());
            scene.instances.push_back(instance);
            if (!descend) continue;
            if (depth >= kMaxTreeDepth || !path.insert(block->id()).second) {
                tooDeep = true;  // the summary says whether it loops or is too deep
                continue;
            }
            place(block->blockReferences(), index, instance.world, instance.material, path,
                  depth + 1, left);
            path.erase(block->id());
        }
    }

    void placeAll() {
        std::size_t left = 0;
        if (structure) {
            std::set<std::uint64_t> path;
            place(structure->rootBlockReferences(), -1, Affine{}, std::nullopt, path, 0, left);
        } else {
            // No tree arrived: each mesh once where it stands, so that nothing is lost.
            for (const auto& [id, mesh] : scene.meshes) {
                Instance instance;
                instance.blockId = id;
                instance.name = L"block " + std::to_wstring(id);
                scene.instances.push_back(instance);
            }
        }
        if (left > 0)
            scene.notes.push_back(std::to_wstring(left) + L" placements beyond the first " +
                                  std::to_wstring(kMaxInstances) + L" are not in the scene");
    }

    void placeViews() {
        for (auto& [view, block] : views) {
            if (block) {
                // A block's view looks at the block's first placement.
                const std::uint64_t id = *block;
                const auto it =
                    std::find_if(scene.instances.begin(), scene.instances.end(),
                                 [id](const Instance& i) { return i.blockId == id; });
                if (it != scene.instances.end()) {
                    view.eye = it->world.apply(view.eye);
                    view.target = it->world.apply(view.target);
                    view.up = it->world.applyLinear(view.up);
                }
            }
            scene.views.push_back(std::move(view));
        }
    }

    void measure() {
        for (const Instance& instance : scene.instances) {
            const Mesh* mesh = scene.meshOf(instance);
            if (!mesh) continue;
            const float* p = mesh->positions.data();
            for (std::size_t k = 0; k < mesh->vertexCount(); ++k, p += 3)
                scene.bounds.add(instance.world.apply({p[0], p[1], p[2]}));
        }
    }
};

SceneCollector::SceneCollector() : m_state(std::make_unique<State>()) {}
SceneCollector::~SceneCollector() = default;

void SceneCollector::take(const std::shared_ptr<IExchangeObject>& object) {
    State& s = *m_state;
    if (auto ps = std::dynamic_pointer_cast<ExcProductStructure>(object)) {
        s.structure = ps;
    } else if (auto v = std::dynamic_pointer_cast<ExcBlockVisualization>(object)) {
        if (v->visualizationData()) s.addVisualization(v->blockId(), *v->visualizationData());
    } else if (auto av = std::dynamic_pointer_cast<ExcRootAssemblyVisualization>(object)) {
        if (av->visualizationData()) s.addCaptures(*av->visualizationData(), std::nullopt);
    } else if (auto m = std::dynamic_pointer_cast<ExcBlockMechanicalData>(object)) {
        if (m->pmiData()) s.addCaptures(*m->pmiData(), m->blockId());
    } else if (auto rm = std::dynamic_pointer_cast<ExcRootMechanicalData>(object)) {
        if (rm->pmiData()) s.addCaptures(*rm->pmiData(), std::nullopt);
    }
}

Scene SceneCollector::finish() {
    State& s = *m_state;
    if (s.structure) {
        s.scene.productName = s.structure->productName();
        const double mm = tools::millimetresPer(s.structure->units());
        if (mm > 0) s.scene.metresPerUnit = mm / 1000;
        for (auto& [id, mesh] : s.scene.meshes)
            if (const auto block = s.structure->getBlockById(id)) mesh.name = block->name();
    }
    s.placeAll();
    s.placeViews();
    s.measure();
    if (s.badTriangles > 0)
        s.scene.notes.push_back(std::to_wstring(s.badTriangles) +
                                L" triangles name vertices their face does not have; they are "
                                L"left out");
    if (s.tooDeep)
        s.scene.notes.push_back(L"the tree is cut where it loops or is deeper than " +
                                std::to_wstring(kMaxTreeDepth) + L" levels");
    return std::move(s.scene);
}

}  // namespace trx::host
