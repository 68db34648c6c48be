#include "gltf.h"

#include <tiny_gltf.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <stdexcept>

#include "trx_api/json/json_object.h"

namespace trx::host {
namespace {

constexpr int kArrayBuffer = 34962;
constexpr int kElementArrayBuffer = 34963;
constexpr int kTriangles = 4;

// glTF colours are linear; the model's are sRGB.
double linearOf(float srgb) {
    return srgb <= 0.04045f ? srgb / 12.92 : std::pow((srgb + 0.055) / 1.055, 2.4);
}


class GltfBuilder {
public:
    explicit GltfBuilder(const Scene& scene) : m_scene(scene), m_scale(scene.metresPerUnit) {
        m_model.asset.version = "2.0";
        m_model.asset.generator = "trx-host";
        m_model.buffers.emplace_back();
    }

    tinygltf::Model build() {
        for (const Material& m : m_scene.materials) addMaterial(m);
        for (const auto& [id, mesh] : m_scene.meshes) addGeometry(mesh);
        tinygltf::Scene scene;
        scene.name = toNarrow(m_scene.productName);
        m_firstInstanceNode = static_cast<int>(m_model.nodes.size());
        for (std::size_t i = 0; i < m_scene.instances.size(); ++i) addInstance(i, scene);
        for (const View& view : m_scene.views) addCamera(view, scene);
        m_model.scenes.push_back(std::move(scene));
        m_model.defaultScene = 0;
        if (m_model.buffers[0].data.empty()) m_model.buffers.clear();
        return std::move(m_model);
    }

private:
    // The bytes of a list as a view of the one buffer.
    template <class T>
    int addView(const std::vector<T>& data, int target) {
        auto& bytes = m_model.buffers[0].data;
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes.size();
        view.byteLength = data.size() * sizeof(T);
        view.target = target;
        bytes.resize(bytes.size() + view.byteLength);
        std::memcpy(bytes.data() + view.byteOffset, data.data(), view.byteLength);
        m_model.bufferViews.push_back(view);
        return static_cast<int>(m_model.bufferViews.size() - 1);
    }

    int addAccessor(int view, int componentType, int type, std::size_t count) {
        tinygltf::Accessor a;
        a.bufferView = view;
        a.componentType = componentType;
        a.type = type;
        a.count = count;
        m_model.accessors.push_back(std::move(a));
        return static_cast<int>(m_model.accessors.size() - 1);
    }

    void addMaterial(const Material& m) {
        tinygltf::Material out;
        char name[32];
        std::snprintf(name, sizeof name, "#%02x%02x%02x", int(std::lround(m.color.r * 255)),
                      int(std::lround(m.color.g * 255)), int(std::lround(m.color.b * 255)));
        out.name = !m.name.empty() ? toNarrow(m.name) : m.fromModel ? name : "default";
        out.pbrMetallicRoughness.baseColorFactor = {linearOf(m.color.r), linearOf(m.color.g),
                                                    linearOf(m.color.b), m.color.a};
        out.pbrMetallicRoughness.metallicFactor = 0;
        out.pbrMetallicRoughness.roughnessFactor = 0.6;
        if (m.color.a < 1) out.alphaMode = "BLEND";
        // Tessellations of solids do not always face out the same way.
        out.doubleSided = true;
        m_model.materials.push_back(std::move(out));
    }

    // Positions (in metres, with their bounds), normals and each primitive's indices.
    void addGeometry(const Mesh& mesh) {
        std::vector<float> positions(mesh.positions.size());
        std::vector<double> low(3, 0), high(3, 0);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            const float p = static_cast<float>(mesh.positions[i] * m_scale);
            positions[i] = p;
            const std::size_t c = i % 3;
            low[c] = i < 3 ? p : std::min<double>(low[c], p);
            high[c] = i < 3 ? p : std::max<double>(high[c], p);
        }
        Geometry g;
        g.positions = addAccessor(addView(positions, kArrayBuffer), TINYGLTF_COMPONENT_TYPE_FLOAT,
                                  TINYGLTF_TYPE_VEC3, mesh.vertexCount());
        m_model.accessors.back().minValues = low;
        m_model.accessors.back().maxValues = high;
        g.normals = addAccessor(addView(mesh.normals, kArrayBuffer), TINYGLTF_COMPONENT_TYPE_FLOAT,
                                TINYGLTF_TYPE_VEC3, mesh.normals.size() / 3);
        for (const Primitive& p : mesh.primitives)
            g.indices.push_back(addAccessor(addView(p.indices, kElementArrayBuffer),
                                            TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT,
                                            TINYGLTF_TYPE_SCALAR, p.indices.size()));
        m_geometry.emplace(mesh.blockId, std::move(g));
    }

    // The mesh of a block, with its own materials or with one colour for all: the second
    // shares the first's data.
    int meshOf(const Mesh& mesh, std::optional<std::uint32_t> color) {
        const auto key = std::make_pair(mesh.blockId, color ? std::int64_t(*color) : -1);
        const auto it = m_meshes.find(key);
        if (it != m_meshes.end()) return it->second;
        const Geometry& g = m_geometry.at(mesh.blockId);
        tinygltf::Mesh out;
        out.name = toNarrow(mesh.name);
        for (std::size_t i = 0; i < mesh.primitives.size(); ++i) {
            tinygltf::Primitive p;
            p.attributes["POSITION"] = g.positions;
            p.attributes["NORMAL"] = g.normals;
            p.indices = g.indices[i];
            p.material = static_cast<int>(color ? *color : mesh.primitives[i].material);
            p.mode = kTriangles;
            out.primitives.push_back(std::move(p));
        }
        m_model.meshes.push_back(std::move(out));
        const int index = static_cast<int>(m_model.meshes.size() - 1);
        m_meshes.emplace(key, index);
        return index;
    }

    // Column-major, the translation in metres; none for the identity.
    std::vector<double> matrixOf(const Affine& a) const {
        const Affine identity;
        if (a.linear == identity.linear && a.translation == identity.translation) return {};
        std::vector<double> m(16, 0.0);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) m[c * 4 + r] = a.linear[r][c];
        for (int r = 0; r < 3; ++r) m[12 + r] = a.translation[r] * m_scale;
        m[15] = 1;
        return m;
    }

    void addInstance(std::size_t index, tinygltf::Scene& scene) {
        const Instance& instance = m_scene.instances[index];
        tinygltf::Node node;
        node.name = toNarrow(instance.name);
        node.matrix = matrixOf(instance.local);
        if (const Mesh* mesh = m_scene.meshOf(instance))
            node.mesh = meshOf(*mesh, instance.material);
        tinygltf::Value::Object extras;
        // Which block the node places; as text where it does not fit a JSON int.
        extras["block_id"] = instance.blockId <= std::uint64_t(INT32_MAX)
                                 ? tinygltf::Value(static_cast<int>(instance.blockId))
                                 : tinygltf::Value(std::to_string(instance.blockId));
        node.extras = tinygltf::Value(extras);
        const int self = static_cast<int>(m_model.nodes.size());
        m_model.nodes.push_back(std::move(node));
        if (instance.parent < 0)
            scene.nodes.push_back(self);
        else
            m_model.nodes[m_firstInstanceNode + instance.parent].children.push_back(self);
    }

    // A camera node looks down its -Z with +Y up.
    void addCamera(const View& view, tinygltf::Scene& scene) {
        const Box& box = m_scene.bounds;
        const double size = box.empty ? 1 : std::max(box.diagonal(), 1e-9);
        // A view that looks nowhere (or from nowhere) looks down on the model.
        const Vec3 look = finite(view.eye) && finite(view.target)
                              ? normalised(minus(view.target, view.eye))
                              : Vec3{0, 0, 0};
        const bool aimed = !isZero(look);
        const Vec3 eye = aimed ? view.eye : minus(box.centre(), Vec3{0, 0, -size});
        const double distance = aimed ? length(minus(view.target, view.eye)) : size;
        const ViewAxes axes =
            viewAxes(aimed ? look : Vec3{0, 0, -1}, finite(view.up) ? view.up : Vec3{0, 1, 0});
        Affine pose;
        for (int r = 0; r < 3; ++r) {
            pose.linear[r][0] = axes.right[r];
            pose.linear[r][1] = axes.up[r];
            pose.linear[r][2] = -axes.forward[r];
        }
        pose.translation = eye;

        tinygltf::Camera camera;
        camera.name = toNarrow(view.name);
        // Far enough to see the whole model from the eye, near enough not to cut it.
        const double zfar = (distance + size) * 2 * m_scale;
        if (view.orthographic) {
            camera.type = "orthographic";
            const double width = view.width > 0 && std::isfinite(view.width) ? view.width : size;
            camera.orthographic.xmag = width / 2 * m_scale;
            camera.orthographic.ymag = camera.orthographic.xmag * 3 / 4;
            camera.orthographic.znear = 0;
            camera.orthographic.zfar = zfar;
        } else {
            camera.type = "perspective";
            const double degrees =
                view.fieldOfView > 0 && view.fieldOfView < 180 ? view.fieldOfView : 30;
            camera.perspective.yfov = degrees * M_PI / 180;
            camera.perspective.znear = zfar * 1e-4;
            camera.perspective.zfar = zfar;
        }
        m_model.cameras.push_back(std::move(camera));
        tinygltf::Node node;
        node.name = toNarrow(view.name);
        node.camera = static_cast<int>(m_model.cameras.size() - 1);
        node.matrix = matrixOf(pose);
        m_model.nodes.push_back(std::move(node));
        scene.nodes.push_back(static_cast<int>(m_model.nodes.size() - 1));
    }

    struct Geometry {
        int positions = -1;
        int normals = -1;
        std::vector<int> indices;  // per primitive
    };

    const Scene& m_scene;
    const double m_scale;
    tinygltf::Model m_model;
    std::map<std::uint64_t, Geometry> m_geometry;
    std::map<std::pair<std::uint64_t, std::int64_t>, int> m_meshes;
    int m_firstInstanceNode = 0;
};

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

void writeGltf(const Scene& scene, const std::string& path) {
    const tinygltf::Model model = GltfBuilder(scene).build();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    tinygltf::TinyGLTF writer;
    const bool binary = !endsWith(path, ".gltf");
    if (!writer.WriteGltfSceneToStream(&model, out, !binary, binary) || !out.flush())
        throw std::runtime_error("cannot write " + path);
}

}  // namespace trx::host
