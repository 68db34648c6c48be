#include "scene.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace trx::host {

// ---- geometry ----

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
bool Rgba::operator==(const Rgba& o) const {
    return r == o.r && g == o.g && b == o.b && a == o.a;
}

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
    return static_cast<std::size_t>(
        std::count_if(instances.begin(), instances.end(), [](const Instance& i) { return i.leaf; }));
}

}  // namespace trx::host
