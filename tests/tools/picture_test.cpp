#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

#include "host/picture.h"
#include "tool_support.h"

using namespace trx::host;

namespace {

using Pixel = std::array<std::uint8_t, 3>;
constexpr Pixel kWhite = kBackground;

// What a face square to the view shows of its colour: the light's share along the view.
const double kFaceOn =
    0.25 + 0.75 * kLightDirection[2] /
               std::hypot(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
Pixel faceOn(double r, double g, double b) {
    const auto channel = [](double c) {
        return static_cast<std::uint8_t>(std::lround(c * 255 * kFaceOn));
    };
    return {channel(r), channel(g), channel(b)};
}
const Pixel kRed = faceOn(1, 0, 0);
const Pixel kGreen = faceOn(0, 1, 0);
enum : std::uint32_t { kRedMaterial, kGreenMaterial, kBlueMaterial };

// Adds a face of four corners (counter-clockwise seen from where normal points).
void addQuad(Mesh& mesh, const std::array<Vec3, 4>& corners, const Vec3& normal) {
    const auto first = static_cast<std::uint32_t>(mesh.vertexCount());
    for (const Vec3& c : corners) {
        for (int i = 0; i < 3; ++i) mesh.positions.push_back(static_cast<float>(c[i]));
        for (int i = 0; i < 3; ++i) mesh.normals.push_back(static_cast<float>(normal[i]));
        mesh.bounds.add(c);
    }
    for (std::uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
        mesh.primitives[0].indices.push_back(first + i);
}

Mesh squareMesh(std::uint64_t id, double x0, double y0, double x1, double y1, double z,
                std::uint32_t material) {
    Mesh mesh;
    mesh.blockId = id;
    mesh.primitives.push_back({material, {}});
    addQuad(mesh, {{{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}}}, {0, 0, 1});
    return mesh;
}

Mesh boxMesh(std::uint64_t id, const Vec3& lo, const Vec3& hi, std::uint32_t material) {
    Mesh mesh;
    mesh.blockId = id;
    mesh.primitives.push_back({material, {}});
    const auto at = [&](int x, int y, int z) {
        return Vec3{x ? hi[0] : lo[0], y ? hi[1] : lo[1], z ? hi[2] : lo[2]};
    };
    addQuad(mesh, {{at(0, 0, 1), at(1, 0, 1), at(1, 1, 1), at(0, 1, 1)}}, {0, 0, 1});
    addQuad(mesh, {{at(0, 0, 0), at(0, 1, 0), at(1, 1, 0), at(1, 0, 0)}}, {0, 0, -1});
    addQuad(mesh, {{at(0, 0, 0), at(1, 0, 0), at(1, 0, 1), at(0, 0, 1)}}, {0, -1, 0});
    addQuad(mesh, {{at(0, 1, 0), at(0, 1, 1), at(1, 1, 1), at(1, 1, 0)}}, {0, 1, 0});
    addQuad(mesh, {{at(0, 0, 0), at(0, 0, 1), at(0, 1, 1), at(0, 1, 0)}}, {-1, 0, 0});
    addQuad(mesh, {{at(1, 0, 0), at(1, 1, 0), at(1, 1, 1), at(1, 0, 1)}}, {1, 0, 0});
    return mesh;
}

Scene colouredScene() {
    Scene scene;
    for (const Rgba& c : {Rgba{1, 0, 0, 1}, Rgba{0, 1, 0, 1}, Rgba{0, 0, 1, 1}})
        scene.materials.push_back({c, true, {}});
    return scene;
}

Affine translation(double x, double y, double z) {
    Affine a;
    a.translation = {x, y, z};
    return a;
}

// Places the mesh (kept once per block) and grows the bounds.
void place(Scene& scene, const Mesh& mesh, const Affine& world = {},
           std::optional<std::uint32_t> material = std::nullopt) {
    scene.meshes.emplace(mesh.blockId, mesh);
    Instance instance;
    instance.blockId = mesh.blockId;
    instance.world = world;
    instance.material = material;
    scene.instances.push_back(instance);
    for (int i = 0; i < 8; ++i) {
        const Box& b = mesh.bounds;
        scene.bounds.add(world.apply(
            {(i & 1 ? b.max : b.min)[0], (i & 2 ? b.max : b.min)[1], (i & 4 ? b.max : b.min)[2]}));
    }
}

// Looking down from +Z with +Y up; `width` model units across the picture.
View topView(const std::wstring& name, double width, bool orthographic = true) {
    View view;
    view.name = name;
    view.orthographic = orthographic;
    view.eye = {0, 0, 10};
    view.target = {0, 0, 0};
    view.up = {0, 1, 0};
    view.width = width;
    return view;
}

PictureOptions size(int width, int height) {
    PictureOptions options;
    options.width = width;
    options.height = height;
    return options;
}

// The smallest rectangle holding every pixel that is not background: x0, y0, x1, y1.
std::array<int, 4> drawnRectangle(const Picture& p) {
    std::array<int, 4> r{p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.at(x, y) != kWhite)
                r = {std::min(r[0], x), std::min(r[1], y), std::max(r[2], x), std::max(r[3], y)};
    return r;
}

bool onlyBackground(const Picture& p) { return drawnRectangle(p)[2] < 0; }

}  // namespace

// A unit cube at x 1..2, y 0..1, seen from above at 20 pixels a unit, the model's origin in
// the middle of a 200x100 picture: its top covers columns 120..139 and rows 30..49.
TEST(Picture, CubeFromAboveLandsOnItsPixels) {
    Scene scene = colouredScene();
    place(scene, boxMesh(1, {1, 0, 0}, {2, 1, 1}, kRedMaterial));
    scene.views.push_back(topView(L"top", 10));
    const Picture p = render(scene, size(200, 100));
    EXPECT_EQ(p.view, L"top");
    EXPECT_EQ(p.triangles, 12u);
    EXPECT_TRUE(p.complete);
    for (auto [x, y] : {std::pair{120, 30}, {139, 30}, {120, 49}, {139, 49}, {130, 40}})
        EXPECT_EQ(p.at(x, y), kRed) << x << "," << y;
    for (auto [x, y] : {std::pair{119, 40}, {140, 40}, {130, 29}, {130, 50}, {60, 40}, {130, 60}})
        EXPECT_EQ(p.at(x, y), kWhite) << x << "," << y;

    // Outlines darken the cube's rim, not its inside nor the background.
    PictureOptions outlined = size(200, 100);
    outlined.edges = true;
    const Picture q = render(scene, outlined);
    for (auto [x, y] : {std::pair{120, 40}, {139, 40}, {130, 30}, {130, 49}}) {
        EXPECT_LT(q.at(x, y)[0], 128) << x << "," << y;
        EXPECT_GT(q.at(x, y)[0], 0) << x << "," << y;
    }
    EXPECT_EQ(q.at(130, 40), kRed);
    EXPECT_EQ(q.at(119, 40), kWhite);
}

// A saved view whose window would cut the model off keeps its direction and frames the whole
// model; one that shows it whole keeps its framing (the test above).
TEST(Picture, SavedViewThatMissesTheModelFramesItWhole) {
    Scene scene = colouredScene();
    place(scene, boxMesh(1, {100, 50, 0}, {104, 52, 1}, kRedMaterial));
    scene.views.push_back(topView(L"top", 10));
    const Picture p = render(scene, size(200, 100));
    const auto r = drawnRectangle(p);
    ASSERT_GE(r[2], 0) << "nothing drawn";
    EXPECT_GT(r[0], 0);
    EXPECT_GT(r[1], 0);
    EXPECT_LT(r[2], 199);
    EXPECT_LT(r[3], 99);
    // Seen from above: twice as wide as high, and the lit top's colour.
    EXPECT_NEAR(double(r[2] - r[0] + 1) / (r[3] - r[1] + 1), 2.0, 0.1);
    EXPECT_EQ(p.at((r[0] + r[2]) / 2, (r[1] + r[3]) / 2), kRed);
}

// Seen from a corner, a box's three faces differ: lit from above and the left.
TEST(Picture, IsometricFacesAreShadedApart) {
    Scene scene = colouredScene();
    place(scene, boxMesh(1, {0, 0, 0}, {1, 1, 1}, kRedMaterial));
    const Picture p = render(scene, size(100, 100));
    const int top = p.at(50, 25)[0], left = p.at(30, 60)[0], right = p.at(70, 60)[0];
    EXPECT_GT(top, left + 20);
    EXPECT_GT(left, right + 20);
    EXPECT_GT(right, 64);  // never darker than the ambient share
}

TEST(Picture, NearerSurfaceWinsInEitherOrder) {
    for (bool orthographic : {true, false}) {
        for (bool nearFirst : {true, false}) {
            Scene scene = colouredScene();
            const Mesh nearRed = squareMesh(1, -1, -1, 1, 1, 1, kRedMaterial);
            const Mesh farBlue = squareMesh(2, -0.5, -0.5, 3, 0.5, 0, kBlueMaterial);
            place(scene, nearFirst ? nearRed : farBlue);
            place(scene, nearFirst ? farBlue : nearRed);
            scene.views.push_back(topView(L"v", 10, orthographic));
            PictureOptions options = size(100, 100);
            const Picture p = render(scene, options);
            SCOPED_TRACE(orthographic ? "orthographic" : "perspective");
            SCOPED_TRACE(nearFirst ? "near first" : "far first");
            EXPECT_EQ(p.at(50, 50), kRed);
            EXPECT_EQ(p.at(75, 50), faceOn(0, 0, 1));  // right of the red
            if (!orthographic) continue;
            // The line between them goes on the nearer: red columns 40..59.
            options.edges = true;
            const Picture q = render(scene, options);
            EXPECT_LT(q.at(59, 50)[0], kRed[0] / 2);
            EXPECT_EQ(q.at(60, 50), p.at(60, 50));
        }
    }
}

// One block placed twice: once coloured by its reference, once moved along +X.
TEST(Picture, InstancesMoveAndRecolourTheirBlock) {
    Scene scene = colouredScene();
    const Mesh square = squareMesh(1, 0, 0, 1, 1, 0, kRedMaterial);
    place(scene, square, {}, kGreenMaterial);
    place(scene, square, translation(-3, -2, 0));
    place(scene, square, translation(2, -3, 0), 99u);  // no such colour
    scene.views.push_back(topView(L"top", 10));
    const Picture p = render(scene, size(100, 100));  // 10 pixels a unit, origin at 50, 50
    EXPECT_EQ(p.triangles, 6u);
    EXPECT_EQ(p.at(55, 45), kGreen);
    EXPECT_EQ(p.at(25, 65), kRed);
    EXPECT_EQ(p.at(5, 45), kWhite);
    EXPECT_EQ(p.at(75, 75), faceOn(kDefaultColor.r, kDefaultColor.g, kDefaultColor.b));
}

// Two see-through triangles make a square whose sides and diagonal run through pixel
// centres: every pixel is covered once, so all blend alike, and the right and bottom sides
// belong to the neighbours.
TEST(Picture, SharedEdgesCoverEachPixelOnce) {
    Scene scene = colouredScene();
    scene.materials[kRedMaterial].color.a = 0.5f;
    place(scene, squareMesh(1, -9.5, -0.5, 0.5, 9.5, 0, kRedMaterial));
    scene.views.push_back(topView(L"top", 20));
    const Picture p = render(scene, size(20, 20));  // a unit a pixel, origin at 10, 10
    const auto blend = [](double c) {
        return static_cast<std::uint8_t>(std::lround(127.5 + 127.5 * c * kFaceOn));
    };
    const Pixel half{blend(1), blend(0), blend(0)};
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(p.at(x, y), x < 10 && y < 10 ? half : kWhite) << x << "," << y;
}

TEST(Picture, ViewsAreChosenByName) {
    Scene scene = colouredScene();
    place(scene, boxMesh(1, {0, 0, 0}, {1, 1, 1}, kRedMaterial));
    scene.views.push_back(topView(L"first", 10));
    scene.views.push_back(topView(L"second", 10));
    EXPECT_EQ(render(scene, size(8, 8)).view, L"first");
    PictureOptions options = size(8, 8);
    options.view = L"second";
    EXPECT_EQ(render(scene, options).view, L"second");
    options.view = L"Second";
    try {
        render(scene, options);
        ADD_FAILURE() << "no view called Second";
    } catch (const std::invalid_argument& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("'Second'"), std::string::npos) << text;
        EXPECT_NE(text.find("'first'"), std::string::npos) << text;
        EXPECT_NE(text.find("'second'"), std::string::npos) << text;
    }
    options.view.clear();
    options.isometric = true;
    EXPECT_EQ(render(scene, options).view, L"isometric");
    EXPECT_THROW(render(scene, size(0, 8)), std::invalid_argument);
    EXPECT_THROW(render(scene, size(8, 16385)), std::invalid_argument);
}

// From front-right-top: +X lies right, +Z up, and the model fills the picture but for a
// margin.
TEST(Picture, IsometricViewFitsAndFacesFrontRightTop) {
    Scene scene = colouredScene();
    place(scene, boxMesh(1, {-4, -4, -1}, {4, 4, 0}, 5));                  // a slab, default colour
    place(scene, boxMesh(2, {3, -0.5, 0}, {4, 0.5, 1}, kRedMaterial));     // on its +X end
    place(scene, boxMesh(3, {-4, -0.5, 0}, {-3, 0.5, 1}, kBlueMaterial));  // on its -X end
    place(scene, boxMesh(4, {-0.5, -0.5, 0}, {0.5, 0.5, 4}, kGreenMaterial));  // a post
    const Picture p = render(scene, size(300, 200));
    EXPECT_EQ(p.view, L"isometric");
    const auto r = drawnRectangle(p);
    EXPECT_GT(r[0], 0);
    EXPECT_GT(r[1], 0);
    EXPECT_LT(r[2], 299);
    EXPECT_LT(r[3], 199);
    EXPECT_TRUE(r[2] - r[0] > 0.85 * 300 || r[3] - r[1] > 0.85 * 200)
        << r[0] << "," << r[1] << " " << r[2] << "," << r[3];

    // Mean column and row of the pixels mostly of one channel.
    const auto centre = [&](int channel) {
        double sx = 0, sy = 0, n = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const Pixel c = p.at(x, y);
                if (c[channel] > 60 && c[(channel + 1) % 3] < 20 && c[(channel + 2) % 3] < 20)
                    sx += x, sy += y, ++n;
            }
        EXPECT_GT(n, 0) << channel;
        return std::pair{sx / n, sy / n};
    };
    const auto [redX, redY] = centre(0);
    const auto [greenX, greenY] = centre(1);
    const auto [blueX, blueY] = centre(2);
    EXPECT_GT(redX, blueX + 50);
    EXPECT_LT(greenY, (redY + blueY) / 2 - 10);
}

TEST(Picture, HostileScenesDrawWhatIsSound) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Scene scene = colouredScene();
    Mesh mesh = squareMesh(1, -1, -1, 1, 1, 0, kRedMaterial);
    Mesh broken = squareMesh(2, 2, 2, 3, 3, 0, kBlueMaterial);
    broken.positions[4] = nan;                          // drops its first triangle
    broken.primitives[0].indices.back() = 0xFFFFFFFFu;  // and its second
    broken.primitives[0].indices.push_back(0);          // a triangle cut short
    broken.primitives.push_back({kBlueMaterial, {0, 2, 3, 3, 2}});
    broken.normals.resize(3);  // normals missing: lit flat
    place(scene, mesh);
    place(scene, broken);
    Affine nowhere;
    nowhere.translation[0] = std::numeric_limits<double>::infinity();
    place(scene, mesh, nowhere);
    scene.bounds = Box{};  // left to the renderer
    scene.views.push_back(topView(L"top", 10));
    View lost = topView(L"lost", 0);
    lost.eye = lost.target;
    lost.up = {nan, 0, 0};
    scene.views.push_back(lost);
    View upright = topView(L"up the view", 0, false);
    upright.up = {0, 0, 1};
    upright.fieldOfView = 400;
    scene.views.push_back(upright);

    PictureOptions options = size(100, 100);
    options.edges = true;
    const Picture p = render(scene, options);
    EXPECT_EQ(p.triangles, 3u);  // the square's two and the broken block's last
    EXPECT_EQ(p.at(50, 50), kRed);
    for (const wchar_t* view : {L"lost", L"up the view"}) {
        options.view = view;
        EXPECT_FALSE(onlyBackground(render(scene, options))) << view;
    }

    // Points only, and nothing at all.
    Scene point = colouredScene();
    place(point, squareMesh(3, 1, 1, 1, 1, 1, kRedMaterial));
    EXPECT_TRUE(onlyBackground(render(point, size(32, 32))));
    EXPECT_TRUE(onlyBackground(render(Scene{}, size(32, 32))));
    EXPECT_EQ(render(Scene{}, size(32, 32)).triangles, 0u);

    // Layer upon layer over the whole picture: drawing stops short, and says so.
    Scene layers = colouredScene();
    for (int i = 0; i < 200; ++i)
        place(layers, squareMesh(10 + i, -1, -1, 1, 1, i * 0.01, kRedMaterial));
    layers.views.push_back(topView(L"top", 1));
    const Picture cut = render(layers, size(8, 8));
    EXPECT_FALSE(cut.complete);
    EXPECT_FALSE(onlyBackground(cut));
}

// A floor reaching behind the eye: only what lies in front is drawn, below the horizon.
TEST(Picture, PerspectiveCutsWhatIsBehindTheEye) {
    Scene scene = colouredScene();
    place(scene, squareMesh(1, -100, -100, 100, 100, 0, kRedMaterial));
    View view;
    view.name = L"walk";
    view.eye = {0, 0, 1};
    view.target = {0, 10, 1};
    view.up = {0, 0, 1};
    view.fieldOfView = 90;
    scene.views.push_back(view);
    const Picture p = render(scene, size(64, 64));
    EXPECT_EQ(p.at(32, 10), kWhite);
    EXPECT_EQ(p.at(32, 63)[1], 0);
    EXPECT_GT(p.at(32, 63)[0], 0);
    EXPECT_GT(p.at(0, 40)[0], 0);
}

#ifdef TRX_HOST_PNG
TEST(PicturePng, RoundTripAndErrorsNameThePath) {
    Picture p;
    p.width = 37;
    p.height = 11;
    for (int i = 0; i < p.width * p.height * 3; ++i)
        p.rgb.push_back(static_cast<std::uint8_t>(i * 7));
    const trx::test::Scratch dir;
    const std::string path = dir.path("p.png").string();
    writePng(p, path);
    const Picture back = readPng(path);
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 11);
    EXPECT_EQ(back.rgb, p.rgb);

    const auto errorOf = [](auto&& action) -> std::string {
        try {
            action();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    };
    const std::string bad = dir.path("missing/p.png").string();
    EXPECT_NE(errorOf([&] { writePng(p, bad); }).find(bad), std::string::npos);
    // Cut short: libpng's own error comes back as an exception.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    EXPECT_NE(errorOf([&] { readPng(path); }).find(path), std::string::npos);
    std::ofstream(path) << "not a picture";
    EXPECT_NE(errorOf([&] { readPng(path); }).find(path), std::string::npos);
}
#endif
