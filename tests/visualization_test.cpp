#include "test_support.h"

#include <cmath>

#include "trx_api/trx_api_exchange_visualization.h"

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

TEST(VisuFace, PackedArraysAndPolygonWords) {
    ExcVisuFace f;
    f.setVertices({0, 0, 0, 1, 0, 0, 0, 1, 0});
    f.setPolygons({{4, {0, 1, 2}}});
    f.setId(L"f1");
    EXPECT_EQ(ExcVisuFace::packPolygons(f.polygons()), (std::vector<std::uint32_t>{4, 3, 0, 1, 2}));
    // 36 bytes of little-endian floats; 20 bytes of words.
    EXPECT_EQ(toText(f), L"{\"vertices\":\"AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA\","
                         L"\"polygons\":\"BAAAAAMAAAAAAAAAAQAAAAIAAAA=\",\"color\":null,"
                         L"\"mechanical_id\":\"\",\"id\":\"f1\"}");
    EXPECT_EQ(roundTrip(f), f);

    // Polygons append in both forms; a polygon item that is no object is skipped.
    ExcVisuFace p;
    {
        LogCapture log;
        parseInto(p, L"{\"polygons\": [{\"type\": 4, \"indices\": [0, 1, 2]}, 7, {\"indices\": [5, \"x\"]}]}");
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcVisuFace: polygons array item should be an object."));
        EXPECT_EQ(log.records(), 1);
    }
    parseInto(p, L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAA=\"}");
    ASSERT_EQ(p.polygons().size(), 3u);
    EXPECT_EQ(p.polygons()[0], (ExcVisuFace::Polygon{4, {0, 1, 2}}));
    EXPECT_EQ(p.polygons()[1], (ExcVisuFace::Polygon{0, {5, 0}}));
    EXPECT_EQ(p.polygons()[2], (ExcVisuFace::Polygon{4, {0, 1, 2}}));
}

TEST(VisuFace, PartialPolygonRecordsStopAtTheLastWholeOne) {
    const auto unpack = [](std::vector<std::uint32_t> words) {
        ExcVisuFace::Polygons polygons;
        ExcVisuFace::unpackPolygons(words, polygons);
        return polygons;
    };
    // A count that runs past the end, a lone type word, a count far beyond the data.
    EXPECT_EQ(unpack({4, 3, 0, 1, 2, 5, 10, 1}), (ExcVisuFace::Polygons{{4, {0, 1, 2}}}));
    EXPECT_EQ(unpack({4, 3, 0, 1, 2, 5}), (ExcVisuFace::Polygons{{4, {0, 1, 2}}}));
    EXPECT_EQ(unpack({6, 0xFFFFFFFFu}), ExcVisuFace::Polygons{});
    EXPECT_EQ(unpack({4, 3, 0, 1}), ExcVisuFace::Polygons{});
    EXPECT_EQ(unpack({}), ExcVisuFace::Polygons{});
    EXPECT_EQ(unpack({9, 0, 4, 1, 7}), (ExcVisuFace::Polygons{{9, {}}, {4, {7}}}));

    ExcVisuFace f;
    parseInto(f, L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAAFAAAACgAAAAEAAAA=\"}");
    EXPECT_EQ(f.polygons(), (ExcVisuFace::Polygons{{4, {0, 1, 2}}}));
    parseInto(f, L"{\"polygons\": \"BgAAAP////8=\"}");
    EXPECT_EQ(f.polygons().size(), 1u);
}

TEST(VisuFace, PlainArraysAppendBase64Replaces) {
    ExcVisuFace f;
    f.setNormals({9.0f});
    parseInto(f, L"{\"vertices\": [1.0, 2, 3.5], \"normals\": [0.5, null, 1e300]}");
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.0f, 0.0f, 3.5f}));
    ASSERT_EQ(f.normals().size(), 4u);
    EXPECT_EQ(f.normals()[1], 0.5f);
    EXPECT_EQ(f.normals()[2], 0.0f);
    EXPECT_TRUE(std::isinf(f.normals()[3]));
    // A trailing part shorter than one word is dropped.
    parseInto(f, L"{\"vertices\": \"AADAPwAAAMABAg==\"}");
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.5f, -2.0f}));

    ExcVisuEdge e;
    e.setPoints({1, 2, 3});
    {
        LogCapture log;
        parseInto(e, L"{\"points\": {\"x\": 1}, \"line_indices\": true}");
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("ExcVisuEdge: unknown type of points data (not array, not base64 string)"));
        EXPECT_TRUE(log.contains("ExcVisuEdge: unknown type of line indices data (not array, not base64 string)"));
        parseInto(f, L"{\"vertices\": 1, \"normals\": {}, \"polygons\": null}");
        EXPECT_TRUE(log.contains("ExcVisuFace: unknown type of vertices data (not array, not base64 string)"));
        EXPECT_TRUE(log.contains("ExcVisuFace: unknown type of normals data (not array, not base64 string)"));
        EXPECT_TRUE(log.contains("ExcVisuFace: unknown type of polygons data (not array, not base64 string)"));
        EXPECT_EQ(log.records(), 5);
    }
    EXPECT_EQ(e.points(), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.5f, -2.0f}));
    parseInto(e, L"{\"line_indices\": [1, 2.5, \"x\", 3, 4294967295]}");
    EXPECT_EQ(e.lineIndices(), (std::vector<int>{1, 0, 0, 3, 0}));
    parseInto(e, L"{\"line_indices\": \"BwAAAP////8JAAAA\"}");
    EXPECT_EQ(e.lineIndices(), (std::vector<int>{7, -1, 9}));
    e.setLineType(ExcVisuEdge::ELineType::line_loop_filled);
    e.setColor(ExcColor(1, 2, 3));
    EXPECT_EQ(toText(e), L"{\"points\":\"AACAPwAAAEAAAEBA\",\"line_indices\":\"BwAAAP////8JAAAA\","
                         L"\"line_type\":\"line_loop_filled\",\"color\":{\"rgb\":[1,2,3]},\"mechanical_id\":\"\"}");
    EXPECT_EQ(roundTrip(e), e);
}

TEST(VisuPrimitives, ListsHeadersAndMarkers) {
    ExcVisuMesh mesh;
    mesh.setDisplayName(L"m");
    EXPECT_EQ(toText(mesh), L"{\"display_name\":\"m\",\"id\":\"\",\"mechanical_id\":\"\",\"geometry_type\":\"unknown\"}");
    ExcVisuPMI pmi;
    EXPECT_EQ(toText(pmi), L"{\"display_name\":\"\",\"id\":\"\",\"mechanical_id\":\"\"}");

    {
        LogCapture log;
        mesh.addFace(nullptr);
        mesh.addEdges({nullptr});
        ExcVisuWire().addEdge(nullptr);
        ExcVisuPointSet().addPoints(std::shared_ptr<ExcVisuPoints>());
        pmi.addEdge(nullptr);
        pmi.addTexts({nullptr});
        pmi.addLinkedElement(nullptr);
        for (const char* text : {"ExcVisuMesh: attempt to add null Visu Face object.",
                                 "ExcVisuMesh: attempt to add null Visu Edge object.",
                                 "ExcVisuWire: attempt to add null Visu Edge object.",
                                 "ExcVisuPointSet: attempt to add null Visu Points object.",
                                 "ExcVisuPMI: attempt to add null Visu Edge object.",
                                 "ExcVisuPMI: attempt to add null Visu Text object.",
                                 "ExcVisuPMI: attempt to add null Linked Element object."})
            EXPECT_TRUE(log.contains(text)) << text;
        EXPECT_EQ(log.records(), 7);
    }
    EXPECT_TRUE(mesh.faces().empty() && mesh.edges().empty() && pmi.edges().empty());

    // Linked elements travel with the PMI object and come back.
    auto entity = std::make_shared<ExcEntity>();
    entity->setType(ExcEntity::EType::mfg);
    entity->setId(L"hole-7");
    pmi.addLinkedElement(entity);
    auto text = std::make_shared<ExcVisuText>();
    text->setText(L"\x00d8 12");
    text->setColor(ExcColor(0, 0, 255));
    pmi.addText(text);
    const std::wstring pmiText = toText(pmi);
    EXPECT_NE(pmiText.find(L"\"linked_elements\":[{\"type\":\"mfg\",\"id\":\"hole-7\"}]"), std::wstring::npos)
        << pmiText;
    const ExcVisuPMI back = roundTrip(pmi);
    EXPECT_EQ(back, pmi);
    ASSERT_EQ(back.linkedElements().size(), 1u);
    EXPECT_EQ(back.linkedElements()[0]->id(), L"hole-7");

    ExcVisuPoints points;
    parseInto(points, L"{\"points\": [1.0, 2, 3.5], \"point_indices\": [0, 1.0, 2], \"marker_style\": \"DOT\"}");
    EXPECT_EQ(points.points(), (std::vector<float>{1.0f, 0.0f, 3.5f}));
    EXPECT_EQ(points.pointIndices(), (std::vector<int>{0, 0, 2}));
    EXPECT_EQ(points.markerStyle(), EVisuMarkerStyle::DOT);
    EXPECT_EQ(toText(points), L"{\"points\":[1.0,0.0,3.5],\"point_indices\":[0,0,2],\"marker_style\":\"DOT\","
                              L"\"color\":null}");
    parseInto(points, L"{\"points\": \"AACAPw==\", \"marker_style\": \"SQUARE\"}");  // no packed form here
    EXPECT_EQ(points.points().size(), 3u);
    EXPECT_EQ(points.markerStyle(), EVisuMarkerStyle::BACK_SLASH);
    points.setMarkerStyle(EVisuMarkerStyle::UNFILLED_TRIANGLE);
    EXPECT_EQ(roundTrip(points), points);

    // A mesh clone owns its faces.
    auto face = std::make_shared<ExcVisuFace>();
    face->setVertices({1, 2, 3});
    mesh.addFace(face);
    const auto copy = mesh.clone();
    EXPECT_EQ(*copy, mesh);
    EXPECT_NE(copy->faces()[0], face);
    face->setId(L"changed");
    EXPECT_NE(*copy, mesh);
}
