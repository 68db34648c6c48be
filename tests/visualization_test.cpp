#include "test_support.h"

#include "trx_api/trx_api_exchange_visualization_attributes.h"
#include "trx_api/trx_api_exchange_visualization_camera.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

TEST(VisuCamera, TypeDecidesWhichDoubleTravels) {
    ExcCamera c;
    c.setName(L"front");
    c.setPerspectiveViewAngle(0.5);
    c.setOrthographicZoomFactor(2.0);
    c.setEye(ExcVector3d(0, 0, 10));
    c.setUp(ExcVector3d(0, 1, 0));
    EXPECT_EQ(toText(c), L"{\"type\":\"undefined\",\"name\":\"front\",\"eye\":[0.0,0.0,10.0],"
                         L"\"target\":[0.0,0.0,0.0],\"up\":[0.0,1.0,0.0]}");
    c.setType(ExcCamera::EType::perspective);
    EXPECT_EQ(toText(c), L"{\"type\":\"perspective\",\"name\":\"front\",\"perspective_view_angle\":0.5,"
                         L"\"eye\":[0.0,0.0,10.0],\"target\":[0.0,0.0,0.0],\"up\":[0.0,1.0,0.0]}");
    EXPECT_EQ(roundTrip(c), c);
    c.setType(ExcCamera::EType::orthographic);
    const ExcCamera back = roundTrip(c);
    EXPECT_EQ(back, c);
    EXPECT_EQ(back.orthographicZoomFactor(), 2.0);
    EXPECT_EQ(back.perspectiveViewAngle(), 0.0);

    // Both doubles are read whatever the type; an unknown type name reads as the first by name.
    ExcCamera r;
    parseInto(r, L"{\"type\":\"fisheye\",\"perspective_view_angle\":1.5,\"orthographic_zoom_factor\":3.0}");
    EXPECT_EQ(r.type(), ExcCamera::EType::orthographic);
    EXPECT_EQ(r.perspectiveViewAngle(), 1.5);
    EXPECT_EQ(r.orthographicZoomFactor(), 3.0);

    LogCapture log;
    parseInto(r, L"[]");
    EXPECT_TRUE(log.contains("ExcCamera object should have a JSON object type."));
}

TEST(VisuClippingPlane, NullFormFlagsAndCoefficients) {
    ExcClippingPlane p;
    EXPECT_EQ(toText(p), L"null");
    p.setVectorU(ExcVector3d(1, 0, 0));
    p.setCoefficient(ExcClippingPlane::d, 4.0);
    EXPECT_EQ(toText(p), L"null");  // values without flags do not travel
    p.setHasCoefficients(true);
    EXPECT_EQ(toText(p), L"{\"plane_coefficients\":[0.0,0.0,0.0,4.0]}");
    p.setHasPlane(true);
    EXPECT_EQ(roundTrip(p), p);
    EXPECT_THROW(p.setCoefficient(static_cast<ExcClippingPlane::ECoefficient>(4), 1.0), std::invalid_argument);

    ExcClippingPlane u;
    parseInto(u, L"{\"u\": [1.0, 0.0, 0.0]}");
    EXPECT_TRUE(u.hasPlane());
    EXPECT_FALSE(u.hasCoefficients());
    EXPECT_EQ(u.vectorU(), ExcVector3d(1, 0, 0));
    EXPECT_EQ(u.origin(), ExcVector3d());

    ExcClippingPlane c;
    parseInto(c, L"{\"plane_coefficients\": [1.0, 2.0, 3, 4.0]}");  // stops at the integer
    EXPECT_TRUE(c.hasCoefficients());
    EXPECT_FALSE(c.hasPlane());
    EXPECT_EQ(c.coefficients(), (std::array<double, 4>{1.0, 2.0, 0.0, 0.0}));

    // null is the empty plane, not a fault; other kinds are.
    LogCapture log;
    parseInto(c, L"null");
    EXPECT_EQ(log.records(), 0);
    EXPECT_TRUE(c.hasCoefficients());
    parseInto(c, L"7");
    EXPECT_TRUE(log.contains("ExcClippingPlane object should have a JSON object type."));
}

TEST(VisuAttributes, FontLineStyleAndAttributeForms) {
    EXPECT_EQ(toText(ExcVisuFont()), L"{\"name\":\"\",\"text_height\":10.0,\"font_pitch\":\"unknown\","
                                     L"\"spacing_factor\":1.0,\"width_scaling_factor\":1.0}");
    ExcVisuLineAttribute line;
    parseInto(line, L"{\"line_weight\": 0.5, \"line_style\": \"dash_dot_dot_dot_line\"}");
    EXPECT_EQ(line.lineStyle(), ExcVisuLineAttribute::ELineStyle::dash_dot_dot_dot_line);
    EXPECT_EQ(line.lineWeight(), 0.5);
    parseInto(line, L"{\"line_style\": \"wavy\"}");
    EXPECT_EQ(line.lineStyle(), ExcVisuLineAttribute::ELineStyle::center_line);
    // 7 has no name: it travels as the name of the smallest value.
    line.setLineStyle(static_cast<ExcVisuLineAttribute::ELineStyle>(7));
    EXPECT_EQ(toText(line), L"{\"line_weight\":0.5,\"line_style\":\"undefined\"}");

    ExcVisuAttributes a;
    EXPECT_EQ(toText(a), L"{\"hidden\":false}");
    {
        LogCapture log;
        a.addMaterial(nullptr);
        a.addMaterials({nullptr, std::make_shared<ExcVisuMaterial>()});
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcVisuAttributes: attempt to add null Material object."));
        EXPECT_EQ(log.records(), 2);
    }
    EXPECT_EQ(a.materials().size(), 1u);
    a.setColor(std::make_shared<ExcColor>());  // set, but no colour: travels as null
    line.setLineStyle(ExcVisuLineAttribute::ELineStyle::phantom_line);
    a.setLineAttribute(std::make_shared<ExcVisuLineAttribute>(line));
    EXPECT_EQ(roundTrip(a), a);
    EXPECT_NE(roundTrip(a), ExcVisuAttributes());
}

TEST(VisuTexture, DirectionsAndTheirChecks) {
    ExcVisuTexture t;
    t.setWrapMode(0, ExcVisuTexture::EWrapMode::repeat);
    t.setWrapMode(1, ExcVisuTexture::EWrapMode::clamp);
    parseInto(t, L"{\"wrap_mode\": {\"u\": \"mirror\"}, \"uv_scale\": {\"v\": 2.0, \"u\": 3}}");
    EXPECT_EQ(t.wrapMode(0), ExcVisuTexture::EWrapMode::mirror);
    EXPECT_EQ(t.wrapMode(1), ExcVisuTexture::EWrapMode::clamp);
    EXPECT_EQ(t.scale(0), 1.0);
    EXPECT_EQ(t.scale(1), 2.0);
    t.setRotation(2, 1.0);
    EXPECT_EQ(t.rotation(2), 1.0);
    t.setFilPath(L"wood.png");
    EXPECT_EQ(toText(t), L"{\"method\":\"undefined\",\"wrap_mode\":{\"u\":\"mirror\",\"v\":\"clamp\"},"
                         L"\"mapping_mode\":\"undefined\",\"filter\":\"undefined\",\"alpha\":1.0,"
                         L"\"file\":\"wood.png\",\"name_uv\":\"\",\"name\":\"\","
                         L"\"uv_translation\":{\"u\":0.0,\"v\":0.0},\"uv_scale\":{\"u\":1.0,\"v\":2.0},"
                         L"\"uv_rotation\":{\"u\":0.0,\"v\":0.0,\"w\":1.0},\"swap_uv\":false,"
                         L"\"use_material\":false}");
    EXPECT_EQ(roundTrip(t), t);

    const auto expectRefusal = [](auto&& call, const char* text) {
        try {
            call();
            ADD_FAILURE() << "no exception for " << text;
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), text);
        }
    };
    const char wrap[] = "Texture wrap mode has only 0 (U) and 1 (V) directions.";
    const char translation[] = "Texture translation has only 0 (U) and 1 (V) directions.";
    const char scale[] = "Texture scale has only 0 (U) and 1 (V) directions.";
    const char rotation[] = "Texture rotation has only 0 (U), 1 (V) and 2 (W) directions.";
    expectRefusal([&] { t.wrapMode(2); }, wrap);
    expectRefusal([&] { t.setWrapMode(-1, ExcVisuTexture::EWrapMode::edge); }, wrap);
    expectRefusal([&] { t.translation(2); }, translation);
    expectRefusal([&] { t.setTranslation(-1, 1.0); }, translation);
    expectRefusal([&] { t.scale(-2); }, scale);
    expectRefusal([&] { t.setScale(2, 1.0); }, scale);
    expectRefusal([&] { t.rotation(-1); }, rotation);
    expectRefusal([&] { t.setRotation(3, 1.0); }, rotation);
    EXPECT_EQ(t.wrapMode(1), ExcVisuTexture::EWrapMode::clamp);
}

TEST(VisuMaterial, ColoursTexturesAndTheirShapeChecks) {
    ExcVisuMaterial m;
    {
        LogCapture log;
        parseInto(m, L"{\"colors\": {\"diffuse\": [255.0, 128.0, 0.0, 0.8], \"specular\": [1.0, 2.0],"
                     L" \"glossy\": [1.5, 70000.0, -3.0, 0.25]},"
                     L" \"bump\": [1.0, 2, 3.0],"
                     L" \"textures\": {\"normal\": [{\"name\": \"n\"}, {}], \"diffuse_color\": {}}}");
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("ExcVisuMaterial: !colorType.IsString() || !colorValue.IsArray() || "
                                 "colorValue.GetArray().Size() < 4"));
        EXPECT_TRUE(log.contains("ExcVisuMaterial: !textureType.IsString() || !textureArray.IsArray()"));
        EXPECT_EQ(log.records(), 2);
    }
    EXPECT_EQ(m.colors().size(), 2u);
    EXPECT_EQ(m.color(ExcVisuMaterial::EColorType::diffuse), (ExcVisuMaterial::Color{255, 128, 0, 0.8}));
    // An unknown colour name is the ambient entry; channels are whole and within 16 bits.
    EXPECT_EQ(m.color(ExcVisuMaterial::EColorType::ambient), (ExcVisuMaterial::Color{1, 65535, 0, 0.25}));
    EXPECT_EQ(m.bump(), (std::array<double, 3>{1.0, 0.0, 3.0}));
    ASSERT_EQ(m.textures(ExcVisuMaterial::ETextureType::normal).size(), 2u);
    EXPECT_EQ(m.textures(ExcVisuMaterial::ETextureType::normal)[0]->name(), L"n");
    EXPECT_TRUE(m.textures(ExcVisuMaterial::ETextureType::diffuse_color).empty());

    {
        LogCapture log;
        m.addTexture(ExcVisuMaterial::ETextureType::ambient_color, nullptr);
        EXPECT_TRUE(log.contains("ExcVisuMaterial: attempt to add null Texture object."));
    }
    EXPECT_TRUE(m.textureLists().count(ExcVisuMaterial::ETextureType::ambient_color) == 0);

    // Colours and texture lists are written in the order of their types.
    ExcVisuMaterial w;
    w.color(ExcVisuMaterial::EColorType::reflection).coefficient = 0.5;
    w.setColor(ExcVisuMaterial::EColorType::ambient, {1, 2, 3, 1.0});
    w.addTexture(ExcVisuMaterial::ETextureType::normal, std::make_shared<ExcVisuTexture>());
    w.setTextures(ExcVisuMaterial::ETextureType::ambient_color, {});
    const std::wstring text = toText(w);
    EXPECT_NE(text.find(L"\"colors\":{\"ambient\":[1.0,2.0,3.0,1.0],\"reflection\":[0.0,0.0,0.0,0.5]}"),
              std::wstring::npos) << text;
    EXPECT_NE(text.find(L"\"textures\":{\"ambient_color\":[],\"normal\":[{"), std::wstring::npos) << text;
    EXPECT_EQ(roundTrip(w), w);
    EXPECT_EQ(roundTrip(m), m);
}
