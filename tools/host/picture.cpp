// The picture renderer: see picture.h.
//
// Triangles are placed once per instance into the camera's frame, projected and filled by a
// half-space rasterizer in fixed point (exact coverage, top-left fill rule) against a float
// depth buffer. Everything in the scene comes from another process: a vertex that is not
// finite or an index out of range drops its triangle, and no input divides by ~0.

#include "picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>

#include "trx_api/json/json_object.h"

namespace trx::host {
namespace {

constexpr double kMargin = 0.04;            // of each side, around a fitted model
constexpr double kDefaultFieldOfView = 30;  // degrees, for a perspective view that gives none
constexpr float kAmbient = 0.25f;
constexpr float kOutlineShade = 0.3f;  // what an outline keeps of the colour under it
constexpr float kCrease = 0.77f;       // cosine: faces meeting at over 40 degrees get a line
constexpr float kDepthJump = 2;        // pixels: a surface farther than this beside is behind
constexpr float kMinOpacity = 0.15f;   // see-through, never invisible
// Pixels a picture may scan, per pixel it has: bounds the time a scene of many large
// overlapping triangles can take (a model's own overdraw is a few times).
constexpr std::uint64_t kScanBudget = 256;
// Screen positions are snapped to 1/256 pixel; within the guard band the edge functions of
// a triangle stay far inside 64 bits.
constexpr int kSubPixelBits = 8;
constexpr std::int64_t kSubPixel = std::int64_t{1} << kSubPixelBits;
constexpr float kGuardBand = 8192;  // pixels beyond each side drawn without clipping
constexpr float kFar = 1e30f;       // screen positions are clamped to this
constexpr double kPi = 3.14159265358979323846;

// ---- vectors ----


// From the front-right-top corner (Z up) towards the centre. Constant, not computed: render
// may run before this file's statics are set up.
constexpr double kThird = 0.57735026918962576;  // 1 / sqrt(3)
constexpr Vec3 kIsometricForward{-kThird, kThird, -kThird};

// ---- the camera ----

// Camera space: x right, y up, z forward (away from the viewer), from origin.
struct Camera {
    bool perspective = false;
    Vec3 origin{0, 0, 0};  // the eye (perspective), a point on the axis (orthographic)
    Vec3 right{1, 0, 0};
    Vec3 up{0, 1, 0};
    Vec3 forward{0, 0, 1};
    double scale = 1;  // pixels per unit (orthographic), focal length in pixels (perspective)
    double centreX = 0, centreY = 0;  // where the axis meets the picture
    double near = 1;                  // perspective: nothing nearer is drawn

    Vec3 toCamera(const Vec3& p) const {
        const Vec3 d = minus(p, origin);
        return {dot(d, right), dot(d, up), dot(d, forward)};
    }
};

void orient(Camera& camera, const Vec3& forward, const Vec3& upHint) {
    const ViewAxes axes = viewAxes(forward, upHint);
    camera.forward = axes.forward;
    camera.up = axes.up;
    camera.right = axes.right;
}

std::array<Vec3, 8> corners(const Box& box) {
    std::array<Vec3, 8> out;
    for (int i = 0; i < 8; ++i)
        out[i] = {(i & 1 ? box.max : box.min)[0], (i & 2 ? box.max : box.min)[1],
                  (i & 4 ? box.max : box.min)[2]};
    return out;
}


// The scene's bounds, or where they are missing those of its placed meshes.
Box boundsToFit(const Scene& scene) {
    if (finite(scene.bounds)) return scene.bounds;
    Box box;
    for (const Instance& instance : scene.instances) {
        const Mesh* mesh = scene.meshOf(instance);
        if (!mesh || !finite(mesh->bounds)) continue;
        for (const Vec3& corner : corners(mesh->bounds)) box.add(instance.world.apply(corner));
    }
    if (box.empty) box.add(Vec3{0, 0, 0});
    return box;
}

// A rectangle across the view, in camera units.
struct Extent {
    double minX = std::numeric_limits<double>::infinity(), maxX = -minX;
    double minY = minX, maxY = -minX;

    void add(const Vec3& c) {
        if (!finite(c)) return;
        minX = std::min(minX, c[0]);
        maxX = std::max(maxX, c[0]);
        minY = std::min(minY, c[1]);
        maxY = std::max(maxY, c[1]);
    }
    bool empty() const { return minX > maxX; }
};

// Where the model lies across the view. The placed blocks' boxes frame a sparse assembly
// more tightly than the scene's box does; both hold the model, so it is in what they share.
Extent extentOf(const Camera& camera, const Scene& scene, const Box& bounds) {
    Extent whole, placed;
    for (const Vec3& corner : corners(bounds)) whole.add(camera.toCamera(corner));
    for (const Instance& instance : scene.instances) {
        const Mesh* mesh = scene.meshOf(instance);
        if (!mesh || !finite(mesh->bounds)) continue;
        for (const Vec3& corner : corners(mesh->bounds))
            placed.add(camera.toCamera(instance.world.apply(corner)));
    }
    if (placed.empty()) return whole;
    Extent both;
    both.minX = std::max(whole.minX, placed.minX);
    both.maxX = std::min(whole.maxX, placed.maxX);
    both.minY = std::max(whole.minY, placed.minY);
    both.maxY = std::min(whole.maxY, placed.maxY);
    return both.minX <= both.maxX && both.minY <= both.maxY ? both : whole;
}

// The whole model in the picture with a margin, as seen along the camera's axes.
void fitOrthographic(Camera& camera, const Scene& scene, const Box& bounds, int width, int height) {
    camera.perspective = false;
    camera.origin = bounds.centre();  // depths stay small numbers near the model
    const Extent extent = extentOf(camera, scene, bounds);
    const double usableWidth = width * (1 - 2 * kMargin);
    const double usableHeight = height * (1 - 2 * kMargin);
    // A flat or point-like model: its other span (or a unit) decides.
    const double tiny = 1e-9 * bounds.diagonal();
    const double spanX = extent.maxX - extent.minX, spanY = extent.maxY - extent.minY;
    double scale = std::numeric_limits<double>::infinity();
    if (spanX > tiny) scale = usableWidth / spanX;
    if (spanY > tiny) scale = std::min(scale, usableHeight / spanY);
    if (!std::isfinite(scale) || !(scale > 0)) scale = std::min(usableWidth, usableHeight);
    camera.scale = scale;
    camera.centreX = width / 2.0 - scale * (extent.minX + extent.maxX) / 2;
    camera.centreY = height / 2.0 + scale * (extent.minY + extent.maxY) / 2;
}

// Whether the extent (camera units) lies inside the picture.
bool showsWhole(const Camera& camera, const Extent& extent, int width, int height) {
    if (extent.empty()) return true;
    const double left = camera.centreX + camera.scale * extent.minX;
    const double right = camera.centreX + camera.scale * extent.maxX;
    const double top = camera.centreY - camera.scale * extent.maxY;
    const double bottom = camera.centreY - camera.scale * extent.minY;
    return left >= 0 && right <= width && top >= 0 && bottom <= height;
}

Camera isometricCamera(const Scene& scene, const Box& bounds, int width, int height) {
    Camera camera;
    orient(camera, kIsometricForward, {0, 0, 1});
    fitOrthographic(camera, scene, bounds, width, height);
    return camera;
}

Camera savedViewCamera(const View& view, const Scene& scene, const Box& bounds, int width,
                       int height) {
    Camera camera;
    const Vec3 aim = finite(view.eye) && finite(view.target)
                         ? normalised(minus(view.target, view.eye))
                         : Vec3{0, 0, 0};
    const bool aimed = !isZero(aim);
    // A view that looks nowhere is shown from the isometric direction, fitted.
    orient(camera, aimed ? aim : kIsometricForward, finite(view.up) ? view.up : Vec3{0, 0, 1});
    if (!aimed) {
        fitOrthographic(camera, scene, bounds, width, height);
    } else if (view.orthographic) {
        if (std::isfinite(view.width) && view.width > 0 && view.width < 1e300) {
            // On the axis through the target, level with the model: depths stay small.
            camera.origin =
                minus(view.target, times(aim, dot(minus(view.target, bounds.centre()), aim)));
            camera.scale = width / view.width;
            camera.centreX = width / 2.0;
            camera.centreY = height / 2.0;
            // Files place a view's window in more than one way: where the saved framing
            // would cut the model off, the model is framed as a whole.
            if (!showsWhole(camera, extentOf(camera, scene, bounds), width, height))
                fitOrthographic(camera, scene, bounds, width, height);
        } else {
            fitOrthographic(camera, scene, bounds, width, height);
        }
    } else {
        double fov = view.fieldOfView;
        if (!std::isfinite(fov) || fov <= 0 || fov >= 180) fov = kDefaultFieldOfView;
        fov = std::max(fov, 1e-3);
        camera.perspective = true;
        camera.origin = view.eye;
        camera.scale = height / 2.0 / std::tan(fov * kPi / 360);
        camera.centreX = width / 2.0;
        camera.centreY = height / 2.0;
        const double size = bounds.diagonal();
        camera.near = size > 0 ? size * 1e-4 : 1e-6;
    }
    return camera;
}

std::string namesOf(const std::vector<View>& views) {
    if (views.empty()) return "the scene has no saved views";
    std::string text = "saved views:";
    for (const View& view : views) text += " '" + toNarrow(view.name) + "'";
    return text;
}

// The saved view the options ask for, or none for the isometric view.
const View* chooseView(const Scene& scene, const PictureOptions& options) {
    if (!options.view.empty()) {
        for (const View& view : scene.views)
            if (view.name == options.view) return &view;
        throw std::invalid_argument("no saved view '" + toNarrow(options.view) + "'; " +
                                    namesOf(scene.views));
    }
    if (options.isometric || scene.views.empty()) return nullptr;
    return &scene.views.front();
}

// ---- drawing ----

// A vertex on the screen: pixel position (y down), depth (less is nearer), light.
struct ScreenVertex {
    float x = 0, y = 0, depth = 0, shade = 1;
};

// A vertex of the instance being drawn, in camera space and on the screen.
struct PlacedVertex {
    float x = 0, y = 0, z = 0;  // camera space
    ScreenVertex screen;
    bool valid = false;   // finite
    bool inFront = true;  // perspective: not nearer than the near plane
};

// How one primitive of one instance fills its pixels.
struct Surface {
    float red = 0, green = 0, blue = 0;  // 0..255
    float opacity = 1;
    std::uint32_t id = 0;
};

// Towards the light in camera space (z away from the viewer): unit length.
Vec3 towardsLight() {
    return normalised({kLightDirection[0], kLightDirection[1], -kLightDirection[2]});
}

// The light on a surface of the normal k (camera space, any length), from either side.
float shadeOf(const Vec3& k, const Vec3& light) {
    const double cosine = dot(k, light) / length(k);
    if (!std::isfinite(cosine)) return 1;
    return kAmbient + (1 - kAmbient) * static_cast<float>(std::min(1.0, std::abs(cosine)));
}

// A triangle's normal turned towards the viewer, in 8 bits a component, for telling faces
// apart along outlines. 0: none.
std::uint32_t facingOf(const Vec3& normal, const Vec3& towardsViewer) {
    Vec3 n = normalised(normal);
    if (isZero(n)) return 0;
    if (dot(n, towardsViewer) < 0) n = times(n, -1);
    const auto byte = [](double v) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(std::lround(v * 127)));
    };
    return 1u << 24 | byte(n[0]) << 16 | byte(n[1]) << 8 | byte(n[2]);
}

// The cosine of the angle between two facings that are not 0.
float cosineBetween(std::uint32_t a, std::uint32_t b) {
    const auto component = [](std::uint32_t f, int shift) {
        return static_cast<float>(static_cast<std::int8_t>((f >> shift) & 0xFF));
    };
    float sum = 0;
    for (int shift : {16, 8, 0}) sum += component(a, shift) * component(b, shift);
    return sum / (127.0f * 127.0f);
}

std::int64_t snap(float v) { return std::llround(static_cast<double>(v) * kSubPixel); }

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

// The first and last pixel whose centre (x + 1/2) lies in [from, to] (snapped units).
int firstPixel(std::int64_t from) {
    return static_cast<int>(floorDiv(from - kSubPixel / 2 + kSubPixel - 1, kSubPixel));
}
int lastPixel(std::int64_t to) { return static_cast<int>(floorDiv(to - kSubPixel / 2, kSubPixel)); }

// One edge a -> b of a triangle wound so that its inside is where every edge is >= 0.
struct EdgeFunction {
    std::int64_t value = 0;  // at the current pixel centre, less one off the top and left edges
    std::int64_t exact = 0;  // at the first pixel centre, for interpolation
    std::int64_t stepX = 0, stepY = 0;  // per pixel

    EdgeFunction(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by,
                 std::int64_t px, std::int64_t py) {
        const std::int64_t dx = bx - ax, dy = by - ay;
        exact = dx * (py - ay) - dy * (px - ax);
        // A pixel centre exactly on an edge belongs to the triangle to its right or below.
        const bool topOrLeft = dy < 0 || (dy == 0 && dx > 0);
        value = exact - (topOrLeft ? 0 : 1);
        stepX = -dy * kSubPixel;
        stepY = dx * kSubPixel;
    }
};

// A quantity interpolated across a triangle: its value at the first pixel and per pixel.
struct Gradient {
    double start = 0, perX = 0, perY = 0;
};

class Renderer {
public:
    Renderer(const Camera& camera, Picture& picture, bool outlined)
        : m_camera(camera),
          m_picture(picture),
          m_width(picture.width),
          m_height(picture.height),
          m_outlined(outlined),
          m_depth(static_cast<std::size_t>(m_width) * m_height,
                  std::numeric_limits<float>::infinity()),
          m_ids(m_depth.size(), 0),
          m_facings(outlined ? m_depth.size() : 0, 0) {}

    // Draws the instance's opaque primitives (first pass) or its see-through ones (second
    // pass, after every opaque one). Returns whether it has see-through ones.
    bool draw(const Scene& scene, const Instance& instance, const Mesh& mesh, bool seeThrough);
    void outline();
    std::size_t triangles() const { return m_triangles; }
    bool complete() const { return m_complete; }

private:
    Surface surfaceOf(const Scene& scene, const Instance& instance, const Primitive& primitive);
    void place(const Mesh& mesh, const Affine& world);
    ScreenVertex project(double x, double y, double z, float shade) const;
    void drawPrimitive(const Primitive& primitive, const Surface& surface, bool flat);
    void drawPolygon(ScreenVertex* polygon, int count, const Surface& surface,
                     std::uint32_t facing);
    template <bool kBlend>
    void fill(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
              const Surface& surface, std::uint32_t facing);
    bool isOutline(int x, int y, const std::vector<float>& depth) const;

    const Camera& m_camera;
    Picture& m_picture;
    const int m_width, m_height;
    const bool m_outlined;
    const Vec3 m_light = towardsLight();
    std::vector<float> m_depth;
    std::vector<std::uint32_t> m_ids;      // what covers each pixel; 0: nothing
    std::vector<std::uint32_t> m_facings;  // of the triangle there, with outlines only
    std::vector<PlacedVertex> m_placed;
    std::uint32_t m_nextId = 1;
    std::size_t m_triangles = 0;
    std::uint64_t m_budget = kScanBudget * m_depth.size();
    bool m_complete = true;
};

Surface Renderer::surfaceOf(const Scene& scene, const Instance& instance,
                            const Primitive& primitive) {
    const std::uint32_t index = instance.material.value_or(primitive.material);
    Rgba colour = index < scene.materials.size() ? scene.materials[index].color : kDefaultColor;
    if (!std::isfinite(colour.r) || !std::isfinite(colour.g) || !std::isfinite(colour.b))
        colour = kDefaultColor;
    const auto channel = [](float v) { return std::clamp(v, 0.0f, 1.0f) * 255; };
    Surface surface;
    surface.red = channel(colour.r);
    surface.green = channel(colour.g);
    surface.blue = channel(colour.b);
    surface.opacity = std::isfinite(colour.a) ? std::clamp(colour.a, kMinOpacity, 1.0f) : 1.0f;
    surface.id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;
    return surface;
}

bool Renderer::draw(const Scene& scene, const Instance& instance, const Mesh& mesh,
                    bool seeThrough) {
    bool hasSeeThrough = false;
    bool placed = false;
    const bool flat = mesh.normals.size() != mesh.positions.size();
    for (const Primitive& primitive : mesh.primitives) {
        const Surface surface = surfaceOf(scene, instance, primitive);
        const bool opaque = surface.opacity >= 1;
        hasSeeThrough = hasSeeThrough || !opaque;
        if (opaque == seeThrough || primitive.indices.size() < 3) continue;
        if (!placed) place(mesh, instance.world);
        placed = true;
        drawPrimitive(primitive, surface, flat);
    }
    return hasSeeThrough;
}

ScreenVertex Renderer::project(double x, double y, double z, float shade) const {
    const auto clamp = [](double v) {
        return static_cast<float>(std::clamp<double>(v, -kFar, kFar));
    };
    ScreenVertex v;
    v.shade = shade;
    if (m_camera.perspective) {
        const double inverse = 1.0 / z;
        v.x = clamp(m_camera.centreX + m_camera.scale * x * inverse);
        v.y = clamp(m_camera.centreY - m_camera.scale * y * inverse);
        v.depth = static_cast<float>(-m_camera.near * inverse);  // -1 at the near plane
    } else {
        v.x = clamp(m_camera.centreX + m_camera.scale * x);
        v.y = clamp(m_camera.centreY - m_camera.scale * y);
        v.depth = clamp(m_camera.scale * z);  // in pixels
    }
    return v;
}

// Every vertex of the mesh once into camera space and onto the screen.
void Renderer::place(const Mesh& mesh, const Affine& world) {
    // Camera from block: the camera's rows times the world transform.
    const Vec3 rows[3] = {m_camera.right, m_camera.up, m_camera.forward};
    const Vec3 offset = m_camera.toCamera(world.translation);
    double m[3][4];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            m[r][c] = rows[r][0] * world.linear[0][c] + rows[r][1] * world.linear[1][c] +
                      rows[r][2] * world.linear[2][c];
        m[r][3] = offset[r];
    }
    // Normals go by the cofactors of the linear part (inverse transpose up to scale), so a
    // stretched or mirrored placement still lights right.
    const auto& l = world.linear;
    double cof[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
            cof[r][c] = l[r1][c1] * l[r2][c2] - l[r1][c2] * l[r2][c1];
        }
    double n[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            n[r][c] = rows[r][0] * cof[0][c] + rows[r][1] * cof[1][c] + rows[r][2] * cof[2][c];

    const std::size_t count = mesh.vertexCount();
    const bool withNormals = mesh.normals.size() == mesh.positions.size();
    m_placed.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float* p = &mesh.positions[3 * i];
        double c[3];
        for (int r = 0; r < 3; ++r)
            c[r] = m[r][0] * p[0] + m[r][1] * p[1] + m[r][2] * p[2] + m[r][3];
        PlacedVertex& v = m_placed[i];
        v.x = static_cast<float>(c[0]);
        v.y = static_cast<float>(c[1]);
        v.z = static_cast<float>(c[2]);
        v.valid = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
        if (!v.valid) continue;
        float shade = 1;
        if (withNormals) {
            const float* q = &mesh.normals[3 * i];
            Vec3 k;
            for (int r = 0; r < 3; ++r) k[r] = n[r][0] * q[0] + n[r][1] * q[1] + n[r][2] * q[2];
            shade = shadeOf(k, m_light);
        }
        v.inFront = !m_camera.perspective || c[2] >= m_camera.near;
        if (v.inFront) v.screen = project(c[0], c[1], c[2], shade);
        v.screen.shade = shade;
    }
}

void Renderer::drawPrimitive(const Primitive& primitive, const Surface& surface, bool flat) {
    const std::size_t count = m_placed.size();
    const std::uint32_t* index = primitive.indices.data();
    const std::size_t triangles = primitive.indices.size() / 3;
    for (std::size_t t = 0; t < triangles; ++t, index += 3) {
        if (index[0] >= count || index[1] >= count || index[2] >= count) continue;
        const PlacedVertex* v[3] = {&m_placed[index[0]], &m_placed[index[1]], &m_placed[index[2]]};
        if (!v[0]->valid || !v[1]->valid || !v[2]->valid) continue;
        std::uint32_t facing = 0;
        float flatShade = 1;
        if (flat || m_outlined) {
            const Vec3 a{v[0]->x, v[0]->y, v[0]->z};
            const Vec3 normal = cross(minus(Vec3{v[1]->x, v[1]->y, v[1]->z}, a),
                                      minus(Vec3{v[2]->x, v[2]->y, v[2]->z}, a));
            facing = facingOf(normal, m_camera.perspective ? times(a, -1) : Vec3{0, 0, -1});
            if (flat) flatShade = shadeOf(normal, m_light);
        }
        ScreenVertex polygon[16];
        int corners = 0;
        if (v[0]->inFront && v[1]->inFront && v[2]->inFront) {
            for (const PlacedVertex* p : v) polygon[corners++] = p->screen;
        } else {
            // Cut off what lies nearer than the near plane, in camera space.
            for (int i = 0; i < 3; ++i) {
                const PlacedVertex& a = *v[i];
                const PlacedVertex& b = *v[(i + 1) % 3];
                if (a.inFront) polygon[corners++] = a.screen;
                if (a.inFront == b.inFront) continue;
                const double span = double(b.z) - a.z;
                const double s = span != 0 ? std::clamp((m_camera.near - a.z) / span, 0.0, 1.0) : 0;
                polygon[corners++] = project(
                    a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), m_camera.near,
                    static_cast<float>(a.screen.shade + s * (b.screen.shade - a.screen.shade)));
            }
            if (corners < 3) continue;
        }
        if (flat)
            for (int i = 0; i < corners; ++i) polygon[i].shade = flatShade;
        drawPolygon(polygon, corners, surface, facing);
    }
}

// Clips a convex polygon to one side of a line: keep where sign * (coordinate - limit) <= 0.
int clip(const ScreenVertex* in, int count, ScreenVertex* out, bool alongX, float limit,
         float sign) {
    const auto outside = [&](const ScreenVertex& v) {
        return sign * ((alongX ? v.x : v.y) - limit);
    };
    int n = 0;
    for (int i = 0; i < count; ++i) {
        const ScreenVertex& a = in[i];
        const ScreenVertex& b = in[(i + 1) % count];
        const float da = outside(a), db = outside(b);
        if (da <= 0) out[n++] = a;
        if ((da <= 0) == (db <= 0)) continue;
        const float s = da / (da - db);
        out[n++] = {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), a.depth + s * (b.depth - a.depth),
                    a.shade + s * (b.shade - a.shade)};
    }
    return n;
}

void Renderer::drawPolygon(ScreenVertex* polygon, int count, const Surface& surface,
                           std::uint32_t facing) {
    float minX = polygon[0].x, maxX = minX, minY = polygon[0].y, maxY = minY;
    for (int i = 1; i < count; ++i) {
        minX = std::min(minX, polygon[i].x);
        maxX = std::max(maxX, polygon[i].x);
        minY = std::min(minY, polygon[i].y);
        maxY = std::max(maxY, polygon[i].y);
    }
    if (!(maxX >= 0 && maxY >= 0 && minX <= m_width && minY <= m_height))
        return;  // off the picture, or not a number
    ++m_triangles;
    ScreenVertex clipped[16];
    if (minX < -kGuardBand || minY < -kGuardBand || maxX > m_width + kGuardBand ||
        maxY > m_height + kGuardBand) {
        // Far outside: cut to the guard band so the fixed-point edge functions cannot overflow.
        ScreenVertex scratch[16];
        count = clip(polygon, count, scratch, true, -kGuardBand, -1);
        count = clip(scratch, count, clipped, true, m_width + kGuardBand, 1);
        count = clip(clipped, count, scratch, false, -kGuardBand, -1);
        count = clip(scratch, count, clipped, false, m_height + kGuardBand, 1);
        polygon = clipped;
    }
    for (int i = 1; i + 1 < count; ++i) {
        if (surface.opacity < 1)
            fill<true>(polygon[0], polygon[i], polygon[i + 1], surface, facing);
        else
            fill<false>(polygon[0], polygon[i], polygon[i + 1], surface, facing);
    }
}

template <bool kBlend>
void Renderer::fill(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                    const Surface& surface, std::uint32_t facing) {
    const ScreenVertex* v[3] = {&a, &b, &c};
    std::int64_t x[3] = {snap(a.x), snap(b.x), snap(c.x)};
    std::int64_t y[3] = {snap(a.y), snap(b.y), snap(c.y)};
    std::int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    if (area == 0) return;
    if (area < 0) {  // both windings are drawn: turn it round
        std::swap(v[1], v[2]);
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        area = -area;
    }
    const int left = std::max(0, firstPixel(std::min({x[0], x[1], x[2]})));
    const int right = std::min(m_width - 1, lastPixel(std::max({x[0], x[1], x[2]})));
    const int top = std::max(0, firstPixel(std::min({y[0], y[1], y[2]})));
    const int bottom = std::min(m_height - 1, lastPixel(std::max({y[0], y[1], y[2]})));
    if (left > right || top > bottom) return;
    const auto scanned = static_cast<std::uint64_t>(right - left + 1) * (bottom - top + 1);
    if (scanned > m_budget) {
        m_complete = false;
        return;
    }
    m_budget -= scanned;

    const std::int64_t px = left * kSubPixel + kSubPixel / 2;
    const std::int64_t py = top * kSubPixel + kSubPixel / 2;
    EdgeFunction e0(x[1], y[1], x[2], y[2], px, py);  // weight of v[0]
    EdgeFunction e1(x[2], y[2], x[0], y[0], px, py);  // of v[1]
    EdgeFunction e2(x[0], y[0], x[1], y[1], px, py);  // of v[2]

    const double inverseArea = 1.0 / static_cast<double>(area);
    const auto gradient = [&](float q0, float q1, float q2) {
        const double d1 = double(q1) - q0, d2 = double(q2) - q0;
        return Gradient{q0 + (double(e1.exact) * d1 + double(e2.exact) * d2) * inverseArea,
                        (double(e1.stepX) * d1 + double(e2.stepX) * d2) * inverseArea,
                        (double(e1.stepY) * d1 + double(e2.stepY) * d2) * inverseArea};
    };
    Gradient depth = gradient(v[0]->depth, v[1]->depth, v[2]->depth);
    Gradient shade = gradient(v[0]->shade, v[1]->shade, v[2]->shade);
    const float depthPerX = static_cast<float>(depth.perX);
    const float shadePerX = static_cast<float>(shade.perX);

    for (int row = top; row <= bottom; ++row) {
        std::int64_t w0 = e0.value, w1 = e1.value, w2 = e2.value;
        const float rowDepth = static_cast<float>(depth.start);
        const float rowShade = static_cast<float>(shade.start);
        const std::size_t base = static_cast<std::size_t>(row) * m_width;
        for (int column = left; column <= right; ++column) {
            if ((w0 | w1 | w2) >= 0) {
                const std::size_t i = base + column;
                const float step = static_cast<float>(column - left);
                const float z = rowDepth + step * depthPerX;
                if (z < m_depth[i]) {
                    const float light = std::min(1.0f, rowShade + step * shadePerX);
                    std::uint8_t* rgb = &m_picture.rgb[3 * i];
                    if (kBlend) {
                        const float o = surface.opacity, keep = 1 - o;
                        rgb[0] = static_cast<std::uint8_t>(rgb[0] * keep + surface.red * light * o +
                                                           0.5f);
                        rgb[1] = static_cast<std::uint8_t>(rgb[1] * keep +
                                                           surface.green * light * o + 0.5f);
                        rgb[2] = static_cast<std::uint8_t>(rgb[2] * keep +
                                                           surface.blue * light * o + 0.5f);
                    } else {
                        m_depth[i] = z;
                        m_ids[i] = surface.id;
                        if (m_outlined) m_facings[i] = facing;
                        rgb[0] = static_cast<std::uint8_t>(surface.red * light + 0.5f);
                        rgb[1] = static_cast<std::uint8_t>(surface.green * light + 0.5f);
                        rgb[2] = static_cast<std::uint8_t>(surface.blue * light + 0.5f);
                    }
                }
            }
            w0 += e0.stepX;
            w1 += e1.stepX;
            w2 += e2.stepX;
        }
        e0.value += e0.stepY;
        e1.value += e1.stepY;
        e2.value += e2.stepY;
        depth.start += depth.perY;
        shade.start += shade.perY;
    }
}

// ---- outlines ----

// A pixel is on an outline where, next to it, there is background, another surface, a
// crease or a jump in depth. Lines between two surfaces go on the nearer one, creases on
// the left or upper face, so each is one pixel wide.
bool Renderer::isOutline(int x, int y, const std::vector<float>& depth) const {
    const std::size_t i = static_cast<std::size_t>(y) * m_width + x;
    if (m_ids[i] == 0) return false;
    // Depths are in pixels (orthographic) or camera units (perspective).
    const float jump =
        kDepthJump * (m_camera.perspective ? depth[i] / static_cast<float>(m_camera.scale) : 1);
    const int dx[] = {1, 0, -1, 0};
    const int dy[] = {0, 1, 0, -1};
    for (int k = 0; k < 4; ++k) {
        const int nx = x + dx[k], ny = y + dy[k];
        if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height) continue;
        const std::size_t n = static_cast<std::size_t>(ny) * m_width + nx;
        if (m_ids[n] == 0) return true;
        const float rise = depth[n] - depth[i];
        if (m_ids[n] != m_ids[i]) {
            if (rise > jump || (std::abs(rise) <= jump && m_ids[i] < m_ids[n])) return true;
            continue;
        }
        if (k < 2 && m_facings[i] && m_facings[n] &&
            cosineBetween(m_facings[i], m_facings[n]) < kCrease)
            return true;
        // The same surface: a jump beyond where its slope on the other side leads.
        const int ox = x - dx[k], oy = y - dy[k];
        if (ox >= 0 && oy >= 0 && ox < m_width && oy < m_height) {
            const std::size_t o = static_cast<std::size_t>(oy) * m_width + ox;
            if (m_ids[o] == m_ids[i] && rise - (depth[i] - depth[o]) > jump) return true;
        } else if (rise > jump) {
            return true;
        }
    }
    return false;
}

void Renderer::outline() {
    // Distances along the view: the depth buffer holds -near/z in perspective.
    std::vector<float> depth(m_depth.size());
    const float near = static_cast<float>(m_camera.near);
    for (std::size_t i = 0; i < depth.size(); ++i)
        depth[i] = m_camera.perspective ? -near / m_depth[i] : m_depth[i];
    const std::size_t pixels = m_depth.size();
    const auto marked = std::make_unique<bool[]>(pixels);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            marked[static_cast<std::size_t>(y) * m_width + x] = isOutline(x, y, depth);
    for (std::size_t i = 0; i < pixels; ++i)
        if (marked[i])
            for (int c = 0; c < 3; ++c)
                m_picture.rgb[3 * i + c] =
                    static_cast<std::uint8_t>(m_picture.rgb[3 * i + c] * kOutlineShade + 0.5f);
}

}  // namespace

std::array<std::uint8_t, 3> Picture::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        throw std::out_of_range("pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                                ") is outside the " + std::to_string(width) + "x" +
                                std::to_string(height) + " picture");
    const std::size_t i = 3 * (static_cast<std::size_t>(y) * width + x);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Picture render(const Scene& scene, const PictureOptions& options) {
    if (options.width < 1 || options.height < 1 || options.width > kMaxPictureSide ||
        options.height > kMaxPictureSide)
        throw std::invalid_argument("picture size " + std::to_string(options.width) + "x" +
                                    std::to_string(options.height) + " is not 1.." + std::to_string(kMaxPictureSide) + " each way");
    const View* view = chooseView(scene, options);
    const Box bounds = boundsToFit(scene);
    const Camera camera = view
                              ? savedViewCamera(*view, scene, bounds, options.width, options.height)
                              : isometricCamera(scene, bounds, options.width, options.height);

    Picture picture;
    picture.width = options.width;
    picture.height = options.height;
    picture.view = view ? view->name : L"isometric";
    picture.rgb.resize(static_cast<std::size_t>(options.width) * options.height * 3);
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3)
        std::copy(kBackground.begin(), kBackground.end(), picture.rgb.begin() + i);

    Renderer renderer(camera, picture, options.edges);
    // See-through surfaces go over everything opaque, so what is behind them shows.
    std::vector<const Instance*> seeThrough;
    for (const Instance& instance : scene.instances)
        if (const Mesh* mesh = scene.meshOf(instance))
            if (renderer.draw(scene, instance, *mesh, false)) seeThrough.push_back(&instance);
    for (const Instance* instance : seeThrough)
        renderer.draw(scene, *instance, *scene.meshOf(*instance), true);
    if (options.edges) renderer.outline();
    picture.triangles = renderer.triangles();
    picture.complete = renderer.complete();
    return picture;
}

}  // namespace trx::host
