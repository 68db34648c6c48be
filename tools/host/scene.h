#pragma once

// What the host keeps of an import to draw it or hand it on: the placed instances of the
// assembly, one triangle mesh per block, the colours and the saved views. Lengths are in
// the product's units; metresPerUnit converts.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trx {
class IExchangeObject;
class ExcProductStructure;
class ExcVisualizationData;
class ExcPMIData;
}  // namespace trx

namespace trx::host {

using Vec3 = std::array<double, 3>;

inline double dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vec3 minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Vec3 times(const Vec3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double length(const Vec3& a);
bool finite(const Vec3& a);
// Unit length, or zero when v has no usable direction.
Vec3 normalised(const Vec3& v);
inline bool isZero(const Vec3& v) { return v[0] == 0 && v[1] == 0 && v[2] == 0; }

// The axes of a view looking along forward (unit): up as near upHint as can be, else the
// world axis least along the view.
struct ViewAxes {
    Vec3 right, up, forward;
};
ViewAxes viewAxes(const Vec3& forward, const Vec3& upHint);

// p -> linear * p + translation; linear is row-major.
struct Affine {
    std::array<std::array<double, 3>, 3> linear{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec3 translation{0, 0, 0};

    Vec3 apply(const Vec3& p) const;
    Vec3 applyLinear(const Vec3& v) const;
    // This after inner: (this * inner)(p) = this(inner(p)).
    Affine operator*(const Affine& inner) const;
};

struct Box {
    Vec3 min{0, 0, 0};
    Vec3 max{0, 0, 0};
    bool empty = true;
    void add(const Vec3& p);
    void add(const Box& other);
    Vec3 centre() const;
    double diagonal() const;  // 0 when empty
};
// Not empty, and every coordinate finite.
inline bool finite(const Box& box) { return !box.empty && finite(box.min) && finite(box.max); }

// A colour as the file gives it: sRGB components and opacity, each 0..1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
    bool operator<(const Rgba& o) const;
    bool operator==(const Rgba& o) const;
};

// What faces without a colour of their own look like.
constexpr Rgba kDefaultColor{0.72f, 0.72f, 0.74f, 1.0f};

struct Material {
    Rgba color;
    bool fromModel = true;  // false: kDefaultColor, for faces the model gives no colour
    std::wstring name;      // of a visual material; empty for a plain colour
};

// The triangles of one block mesh that share a material.
struct Primitive {
    std::uint32_t material = 0;          // index into Scene::materials
    std::vector<std::uint32_t> indices;  // three per triangle, into the mesh's vertices
};

// One block's visualization in the block's own frame: shared by every instance of it.
struct Mesh {
    std::uint64_t blockId = 0;
    std::wstring name;                  // the block's
    std::vector<float> positions;       // x, y, z per vertex
    std::vector<float> normals;         // unit x, y, z per vertex (computed where none came)
    std::vector<Primitive> primitives;  // one per material, in order of first use
    Box bounds;                         // of its vertices

    std::size_t vertexCount() const { return positions.size() / 3; }
    std::size_t triangleCount() const;
};

// One placed block reference, in tree order (a parent before its children).
struct Instance {
    std::uint64_t blockId = 0;
    std::wstring name;  // the reference's, else the block's
    int parent = -1;    // index into Scene::instances; -1 for a reference of the root
    Affine local;       // relative to the parent
    Affine world;       // to the model's frame
    // A colour the reference (or one it sits in) gives everything below it: it replaces
    // the mesh's own materials.
    std::optional<std::uint32_t> material;
    bool leaf = true;  // places no further reference
};

// A saved view. The camera looks from eye to target with up as the picture's up.
struct View {
    std::wstring name;
    bool orthographic = false;
    Vec3 eye{0, 0, 1};
    Vec3 target{0, 0, 0};
    Vec3 up{0, 1, 0};
    double fieldOfView = 0;  // degrees, vertical, perspective only; 0: not given
    double width = 0;        // of the model the view shows, orthographic only; 0: not given
};

struct Scene {
    std::wstring productName;
    double metresPerUnit = 0.001;  // millimetres unless the product says otherwise
    std::vector<Material> materials;
    std::map<std::uint64_t, Mesh> meshes;  // by block id; only blocks with triangles
    std::vector<Instance> instances;
    std::vector<View> views;          // in the model's frame, in arrival order
    Box bounds;                       // of every placed triangle, model frame
    std::vector<std::wstring> notes;  // what could not be kept, for the summary

    // The mesh an instance shows, or none.
    const Mesh* meshOf(const Instance& instance) const;
    std::size_t triangleCount() const;  // each mesh once
    std::size_t leafCount() const;
};

// Builds a Scene from the objects of one import, in any order.
class SceneCollector {
public:
    SceneCollector();
    ~SceneCollector();
    void take(const std::shared_ptr<IExchangeObject>& object);
    // The placed scene of what arrived. Can be called once.
    Scene finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace trx::host
