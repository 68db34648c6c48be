#include "test_support.h"

#include <cmath>
#include <set>
#include <typeinfo>

#include "mp/shared_buffer.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_visualization.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

std::shared_ptr<ExcVisuNode> node(ExcVisuNode::EType type, const std::wstring& name, bool leaf = false) {
    auto n = std::make_shared<ExcVisuNode>();
    n->setType(type);
    n->setGroupName(name);
    n->setLeaf(leaf);
    return n;
}

std::shared_ptr<ExcVisuFace> triangleFan(float z, const std::wstring& id) {
    auto f = std::make_shared<ExcVisuFace>();
    f->setVertices({0, 0, z, 1, 0, z, 1, 1, z, 0, 1, z});
    f->setNormals({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
    f->setPolygons({{4, {0, 1, 2}}, {4, {0, 2, 3}}, {7, {}}});
    f->setColor(ExcColor(200, 10, 10, 128));
    f->setMechanicalId(L"face-" + id);
    f->setId(id);
    return f;
}

std::shared_ptr<ExcVisuEdge> polyline(std::vector<float> points, const std::wstring& id) {
    auto e = std::make_shared<ExcVisuEdge>();
    std::vector<int> indices;
    for (std::size_t i = 0; i < points.size() / 3; ++i) indices.push_back(static_cast<int>(i));
    e->setPoints(std::move(points));
    e->setLineIndices(std::move(indices));
    e->setLineType(ExcVisuEdge::ELineType::line_strip);
    e->setMechanicalId(id);
    return e;
}

std::shared_ptr<ExcEntity> body(std::uint64_t id) {
    auto path = std::make_shared<ExcFullSubentPath>(id);
    path->refs() = {L"ref-1", L"ref-2"};
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::fsp);
    e->setFsp(path);
    return e;
}

// A block's visualization touching every record: several levels of nodes, every primitive,
// attributes with materials and textures, views, both kinds of camera and a clipping plane.
std::shared_ptr<ExcVisualizationData> sampleVisualization() {
    auto texture = std::make_shared<ExcVisuTexture>();
    texture->setName(L"oak");
    texture->setFilPath(L"C:\\textures\\oak.png");
    texture->setMappingMode(ExcVisuTexture::EMappingMode::cylindrical);
    texture->setWrapMode(1, ExcVisuTexture::EWrapMode::mirror);
    texture->setRotation(2, 0.25);
    auto material = std::make_shared<ExcVisuMaterial>();
    material->setName(L"wood");
    material->setColor(ExcVisuMaterial::EColorType::diffuse, {160, 110, 60, 0.9});
    material->setColor(ExcVisuMaterial::EColorType::specular, {255, 255, 255, 0.1});
    material->setShininess(12.5);
    material->setBump({0.5, 0.25, 0.125});
    material->addTexture(ExcVisuMaterial::ETextureType::diffuse_color, texture);
    material->addTexture(ExcVisuMaterial::ETextureType::normal, std::make_shared<ExcVisuTexture>());
    auto attributes = std::make_shared<ExcVisuAttributes>();
    attributes->addMaterial(material);
    attributes->setColor(std::make_shared<ExcColor>(10, 20, 30));
    auto font = std::make_shared<ExcVisuFont>();
    font->setName(L"Arial");
    font->setPitch(ExcVisuFont::EPitch::variable);
    attributes->setFont(font);
    auto line = std::make_shared<ExcVisuLineAttribute>();
    line->setLineStyle(ExcVisuLineAttribute::ELineStyle::dash_dot_line);
    line->setLineWeight(0.35);
    attributes->setLineAttribute(line);

    auto root = node(ExcVisuNode::EType::ROOT, L"block");
    root->setAttributes(attributes);
    auto placement = std::make_shared<ExcTransformation>();
    placement->translation().set(10, 0, -5);
    root->setTransformation(placement);

    auto geometry = node(ExcVisuNode::EType::GEOMETRY, L"geometry");
    auto meshes = node(ExcVisuNode::EType::MESHES, L"meshes");
    for (int i = 0; i < 3; ++i) {
        auto mesh = std::make_shared<ExcVisuMesh>();
        mesh->setDisplayName(L"mesh " + std::to_wstring(i));
        mesh->setId(L"m" + std::to_wstring(i));
        mesh->setGeometryType(EVisuGeometryType::part);
        mesh->addFace(triangleFan(float(i), L"f" + std::to_wstring(i) + L"a"));
        mesh->addFace(triangleFan(float(i) + 0.5f, L"f" + std::to_wstring(i) + L"b"));
        mesh->addEdge(polyline({0, 0, float(i), 1, 0, float(i)}, L"e" + std::to_wstring(i)));
        auto leaf = node(ExcVisuNode::EType::MESH, L"mesh " + std::to_wstring(i), true);
        leaf->setMesh(mesh);
        meshes->addChildNode(leaf);
    }
    geometry->addChildNode(meshes);
    auto wire = std::make_shared<ExcVisuWire>();
    wire->setGeometryType(EVisuGeometryType::construction);
    wire->addEdge(polyline({0, 0, 0, 0, 0, 9, 0, 9, 9}, L"axis"));
    auto wireNode = node(ExcVisuNode::EType::WIRE, L"axis", true);
    wireNode->setWire(wire);
    geometry->addChildNode(wireNode);
    auto pointSet = std::make_shared<ExcVisuPointSet>();
    auto markers = std::make_shared<ExcVisuPoints>();
    markers->setPoint({1.5f, 2.5f, 3.5f});
    markers->setPointIndices({0});
    markers->setMarkerStyle(EVisuMarkerStyle::FILLED_DOT);
    markers->setColor(ExcColor(0, 255, 0));
    pointSet->addPoints(markers);
    auto pointNode = node(ExcVisuNode::EType::POINTSET, L"points", true);
    pointNode->setPointSet(pointSet);
    geometry->addChildNode(pointNode);
    root->addChildNode(geometry);

    auto pmi = std::make_shared<ExcVisuPMI>();
    pmi->setDisplayName(L"Note 1");
    pmi->setId(L"pmi-1");
    pmi->addEdge(polyline({0, 0, 0, 5, 5, 0}, L"leader"));
    for (const wchar_t* t : {L"FINISH ALL OVER", L"\x00b1 0.1"}) {
        auto text = std::make_shared<ExcVisuText>();
        text->setText(t);
        text->setAnchorPoint(ExcVector3d(5, 5, 0));
        text->setDirection(ExcVector3d(1, 0, 0));
        text->setNormal(ExcVector3d(0, 0, 1));
        text->setFont(*font);
        pmi->addText(text);
    }
    pmi->addLinkedElement(body(41));
    pmi->addLinkedElement(body(42));
    auto notes = node(ExcVisuNode::EType::NOTES, L"notes");
    auto note = node(ExcVisuNode::EType::NOTE, L"note 1", true);
    note->setPMI(pmi);
    notes->addChildNode(note);
    auto pmiGroup = node(ExcVisuNode::EType::PMI, L"pmi");
    pmiGroup->addChildNode(notes);
    root->addChildNode(pmiGroup);

    auto data = std::make_shared<ExcVisualizationData>();
    data->setUnits(ELengthUnitType::millimeter);
    data->addSceneRootNode(root);
    data->addSceneRootNode(node(ExcVisuNode::EType::DRAWINGSHEETS, L"sheets"));

    for (int i = 0; i < 2; ++i) {
        auto view = std::make_shared<ExcVisuView>();
        view->setDisplayName(L"view " + std::to_wstring(i));
        view->setOrigin(ExcVector3d(0, 0, i));
        view->setDirectionU(ExcVector3d(1, 0, 0));
        view->setDirectionV(ExcVector3d(0, 1, 0));
        view->addAnnotationId(L"pmi-1");
        data->addView(view);
    }

    ExcCamera perspective;
    perspective.setType(ExcCamera::EType::perspective);
    perspective.setName(L"iso");
    perspective.setPerspectiveViewAngle(0.785);
    perspective.setEye(ExcVector3d(100, 100, 100));
    perspective.setUp(ExcVector3d(0, 0, 1));
    ExcClippingPlane plane;
    plane.setHasPlane(true);
    plane.setOrigin(ExcVector3d(0, 0, 2));
    plane.setVectorU(ExcVector3d(1, 0, 0));
    plane.setVectorV(ExcVector3d(0, 1, 0));
    plane.setHasCoefficients(true);
    plane.setCoefficient(ExcClippingPlane::c, 1.0).setCoefficient(ExcClippingPlane::d, -2.0);
    auto section = std::make_shared<ExcVisuCapture>();
    section->setDisplayName(L"section");
    section->setActive(true);
    section->setHiddenText(L"hidden");
    section->setCamera(perspective);
    section->setClippingPlane(plane);
    section->addAnnotationId(L"pmi-1");
    section->addFtaConstructedGeometryIds(L"axis");
    section->addLinkedElement(body(41));
    data->addCapture(section);

    ExcCamera orthographic;
    orthographic.setType(ExcCamera::EType::orthographic);
    orthographic.setName(L"top");
    orthographic.setOrthographicZoomFactor(2.5);
    orthographic.setEye(ExcVector3d(0, 0, 50));
    orthographic.setUp(ExcVector3d(0, 1, 0));
    auto top = std::make_shared<ExcVisuCapture>();
    top->setDisplayName(L"top");
    top->setHidden(true);
    top->setCamera(orthographic);
    data->addCapture(top);
    return data;
}

std::vector<std::wstring> childNames(const ExcVisuNode& n) {
    std::vector<std::wstring> names;
    for (const auto& c : n.childNodes()) names.push_back(c->groupName());
    return names;
}

}  // namespace

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

}

// Packed arrays that do not decode whole were damaged on the way (a foreign character in
// the middle once turned 36 vertices into 6): the record refuses them, naming the field,
// rather than pass a part for the whole.
TEST(VisuFace, DamagedPackedArraysAreErrorsNamingTheField) {
    std::vector<float> coordinates;
    for (int i = 0; i < 36; ++i) coordinates.push_back(static_cast<float>(i));
    std::wstring packed;
    Base64::encode(coordinates, packed);
    ExcVisuFace whole;
    parseInto(whole, L"{\"vertices\": \"" + packed + L"\", \"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAA=\"}");
    EXPECT_EQ(whole.vertices(), coordinates);
    EXPECT_EQ(whole.polygons().size(), 1u);

    const auto failure = [](IJsonObject& record, const std::wstring& text) -> std::string {
        try {
            parseInto(record, text);
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        return "no error";
    };
    std::wstring foreign = packed;
    foreign[packed.size() / 2 + 1] = L'!';
    ExcVisuFace f;
    EXPECT_EQ(failure(f, L"{\"vertices\": \"" + foreign + L"\"}"),
              "ExcVisuFace: packed vertices data is damaged: its Base64 text does not decode whole");
    EXPECT_EQ(failure(f, L"{\"normals\": \"" + packed + L"A\"}"),  // a lone last character
              "ExcVisuFace: packed normals data is damaged: its Base64 text does not decode whole");
    EXPECT_EQ(failure(f, L"{\"normals\": \"" + packed + L"===\"}"),
              "ExcVisuFace: packed normals data is damaged: its Base64 text does not decode whole");
    EXPECT_EQ(failure(f, L"{\"vertices\": \"" + packed.substr(0, 16) + L"AAAAAA==\"}"),  // 3 + 1 floats
              "ExcVisuFace: packed vertices data is damaged: 4 values do not make whole groups of 3");
    // A count beyond the words, and a stray byte after whole records.
    EXPECT_EQ(failure(f, L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAAFAAAACgAAAA==\"}"),
              "ExcVisuFace: packed polygons data is damaged: the last polygon is cut short");
    EXPECT_EQ(failure(f, L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAAB\"}"),
              "ExcVisuFace: packed polygons data is damaged: its Base64 text does not decode whole");
    ExcVisuEdge e;
    EXPECT_EQ(failure(e, L"{\"line_indices\": \"BwAAAP////8JAAAAAQ==\"}"),
              "ExcVisuEdge: packed line_indices data is damaged: its Base64 text does not decode whole");
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
    parseInto(f, L"{\"vertices\": \"AADAPwAAAMAAAAA/\"}");
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.5f, -2.0f, 0.5f}));

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
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.5f, -2.0f, 0.5f}));
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

TEST(VisuScene, NodeViewCaptureForms) {
    EXPECT_EQ(toText(ExcVisuNode()), L"{\"is_leaf\":false,\"type\":\"UNDEFINED\",\"group_name\":\"\"}");
    ExcVisuNode n;
    parseInto(n, L"{\"type\": \"ROOTS\"}");
    EXPECT_EQ(n.type(), ExcVisuNode::EType::ACTIVEDRAWINGSHEET);
    EXPECT_EQ(static_cast<int>(n.type()), 59);
    parseInto(n, L"{\"type\": \"DRAWINGSHEET\", \"is_leaf\": \"true\"}");
    EXPECT_EQ(static_cast<int>(n.type()), 58);
    EXPECT_FALSE(n.isLeaf());

    // An empty capture: null clipping plane, and none of the three lists.
    ExcVisuCapture c;
    EXPECT_EQ(toText(c), L"{\"display_name\":\"\",\"id\":\"\",\"mechanical_id\":\"\",\"hidden\":false,"
                         L"\"active\":false,\"hidden_text\":\"\",\"clipping_plane\":null,"
                         L"\"camera\":{\"type\":\"undefined\",\"name\":\"\",\"eye\":[0.0,0.0,0.0],"
                         L"\"target\":[0.0,0.0,0.0],\"up\":[0.0,0.0,0.0]}}");
    {
        LogCapture log;
        EXPECT_EQ(roundTrip(c), c);
        EXPECT_EQ(log.records(), 0);  // the null plane reads back silently
    }
    parseInto(c, L"{\"annotation_ids\": [\"a\", 3, \"b\"], \"fta_constructed_geometry_ids\": [\"g\"],"
                 L" \"bodies\": [{\"type\": \"fsp\", \"fsp\": {\"subent_id\": 4}}]}");
    EXPECT_EQ(c.annotationIds(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(c.ftaConstructedGeometryIds(), (std::vector<std::wstring>{L"g"}));
    ASSERT_EQ(c.linkedElements().size(), 1u);
    EXPECT_EQ(c.linkedElements()[0]->fsp()->subentId(), 4u);

    ExcVisuView v;
    v.addAnnotationId(L"n1");
    v.setDirectionU(ExcVector3d(1, 0, 0));
    EXPECT_EQ(toText(v), L"{\"display_name\":\"\",\"id\":\"\",\"mechanical_id\":\"\",\"hidden\":false,"
                         L"\"origin\":[0.0,0.0,0.0],\"direction_u\":[1.0,0.0,0.0],\"direction_v\":[0.0,0.0,0.0],"
                         L"\"annotation_ids\":[\"n1\"]}");
    EXPECT_EQ(roundTrip(v), v);

    LogCapture log;
    n.addChildNodes({nullptr});
    ExcVisualizationData d;
    d.addSceneRootNode(nullptr);
    d.addViews({nullptr});
    d.addCapture(nullptr);
    c.addLinkedElement(nullptr);
    for (const char* text : {"ExcVisuNode: attempt to add null child Visu Node object.",
                             "ExcVisualizationData: attempt to add null Scene Root Visu Node object.",
                             "ExcVisualizationData: attempt to add null Visu View object.",
                             "ExcVisualizationData: attempt to add null Visu Capture object.",
                             "ExcVisuCapture: attempt to add null Linked Element object."})
        EXPECT_TRUE(log.contains(text)) << text;
    EXPECT_EQ(toText(d), L"{\"units\":\"unknown\"}");

    // Every record refuses a value that is no object, naming itself.
    const std::pair<std::shared_ptr<IJsonObject>, const char*> records[] = {
        {std::make_shared<ExcVisuNode>(), "ExcVisuNode"}, {std::make_shared<ExcVisuView>(), "ExcVisuView"},
        {std::make_shared<ExcVisuCapture>(), "ExcVisuCapture"},
        {std::make_shared<ExcVisualizationData>(), "ExcVisualizationData"},
        {std::make_shared<ExcVisuFace>(), "ExcVisuFace"}, {std::make_shared<ExcVisuEdge>(), "ExcVisuEdge"},
        {std::make_shared<ExcVisuMesh>(), "ExcVisuMesh"}, {std::make_shared<ExcVisuWire>(), "ExcVisuWire"},
        {std::make_shared<ExcVisuText>(), "ExcVisuText"}, {std::make_shared<ExcVisuPMI>(), "ExcVisuPMI"},
        {std::make_shared<ExcVisuPoints>(), "ExcVisuPoints"}, {std::make_shared<ExcVisuPointSet>(), "ExcVisuPointSet"},
        {std::make_shared<ExcVisuFont>(), "ExcVisuFont"}, {std::make_shared<ExcVisuTexture>(), "ExcVisuTexture"},
        {std::make_shared<ExcVisuMaterial>(), "ExcVisuMaterial"},
        {std::make_shared<ExcVisuLineAttribute>(), "ExcVisuLineAttribute"},
        {std::make_shared<ExcVisuAttributes>(), "ExcVisuAttributes"}};
    for (const auto& [record, name] : records) {
        parseInto(*record, L"[1.0]");
        EXPECT_TRUE(log.contains(std::string(name) + " object should have a JSON object type.")) << name;
    }
}

TEST(VisuScene, DeepTreeRoundTripKeepsEverythingInOrder) {
    const auto data = sampleVisualization();
    LogCapture log(vx_bridge::kWarning);
    const ExcVisualizationData back = roundTrip(*data);
    EXPECT_EQ(log.records(), 0) << log.text();
    EXPECT_EQ(back, *data);
    ASSERT_EQ(back.sceneRootNodes().size(), 2u);
    const ExcVisuNode& root = *back.sceneRootNodes()[0];
    EXPECT_EQ(childNames(root), (std::vector<std::wstring>{L"geometry", L"pmi"}));
    EXPECT_EQ(childNames(*root.childNodes()[0]), (std::vector<std::wstring>{L"meshes", L"axis", L"points"}));
    EXPECT_EQ(childNames(*root.childNodes()[0]->childNodes()[0]),
              (std::vector<std::wstring>{L"mesh 0", L"mesh 1", L"mesh 2"}));
    const auto& mesh2 = root.childNodes()[0]->childNodes()[0]->childNodes()[2]->mesh();
    ASSERT_TRUE(mesh2);
    EXPECT_EQ(mesh2->faces()[1]->id(), L"f2b");
    EXPECT_EQ(mesh2->faces()[1]->polygons().size(), 3u);  // the empty polygon survives too
    EXPECT_EQ(back.captures()[0]->camera().perspectiveViewAngle(), 0.785);
    EXPECT_EQ(back.captures()[1]->camera().orthographicZoomFactor(), 2.5);
    EXPECT_EQ(back.captures()[0]->clippingPlane().coefficient(ExcClippingPlane::d), -2.0);

    // Equality sees child order, deep inside the tree.
    auto meshes = *root.childNodes()[0]->childNodes()[0];
    auto reordered = meshes.childNodes();
    std::swap(reordered[0], reordered[1]);
    ExcVisuNode changed = meshes;
    changed.setChildNodes(reordered);
    EXPECT_NE(changed, meshes);
}

TEST(VisuExchange, RegisteredBinaryAndCompressed) {
    ExcBlockVisualization empty;
    empty.setBlockId(18446744073709551615ull);
    EXPECT_EQ(toText(empty), L"{\"block_id\":18446744073709551615}");
    EXPECT_EQ(toText(ExcRootAssemblyVisualization()), L"{}");
    EXPECT_EQ(roundTrip(empty), empty);

    const auto block = ExchangeObjectRegistry::instance().get(L"exc_block_visualization");
    const auto root = ExchangeObjectRegistry::instance().get(L"exc_root_assembly_visualization");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcBlockVisualization>(block));
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcRootAssemblyVisualization>(root));
    EXPECT_EQ(block->objectName(), ExcBlockVisualization::objName());
    EXPECT_EQ(root->objectName(), L"exc_root_assembly_visualization");
    EXPECT_TRUE(block->binary() && block->compress() && root->binary() && root->compress());

    // The binary form: binary JSON, gzip, and back.
    ExcRootAssemblyVisualization sent;
    sent.setVisualizationData(sampleVisualization());
    JsonDocument doc;
    sent.writeObject(doc, doc.GetAllocator());
    std::string bytes;
    JsonBinaryIO::write(bytes, doc);
    std::vector<char> packed, expanded;
    Compressor::compress(packed, bytes.data(), bytes.size());
    Compressor::decompress(expanded, packed.data(), packed.size());
    JsonDocument received;
    JsonBinaryIO::read(expanded.data(), expanded.size(), received, received.GetAllocator());
    root->readObject(received);
    EXPECT_EQ(dynamic_cast<const ExcRootAssemblyVisualization&>(*root), sent);

    LogCapture log;
    parseInto(*block, L"\"x\"");
    EXPECT_TRUE(log.contains("ExcBlockVisualization object should have a JSON object type."));
    parseInto(*root, L"7");
    EXPECT_TRUE(log.contains("ExcRootAssemblyVisualization object should have a JSON object type."));
}

namespace {

// Every value from first to last that has a name reads back from it, and an unknown name
// reads as `fallback`.
template <class E>
void expectNameTable(int first, int last, E fallback, std::size_t named) {
    std::set<std::wstring> names;
    for (int i = first; i <= last; ++i) {
        const auto value = static_cast<E>(i);
        const std::wstring& name = enumToString(value);
        if (enumFromString<E>(name) != value) continue;  // a gap: it writes another value's name
        names.insert(name);
    }
    EXPECT_EQ(names.size(), named) << typeid(E).name();
    EXPECT_EQ(enumFromString<E>(L"no such name"), fallback) << typeid(E).name();
}

}  // namespace

TEST(VisuEnumerations, EveryTableNamesEachValueOnceAndFallsBack) {
    expectNameTable(0, 2, ExcVisuFont::EPitch::fixed, 3);
    expectNameTable(0, 4, ExcVisuTexture::EMethod::add, 5);
    expectNameTable(0, 5, ExcVisuTexture::EWrapMode::border, 6);
    expectNameTable(0, 6, ExcVisuTexture::EMappingMode::cylindrical, 7);
    expectNameTable(0, 6, ExcVisuTexture::EFilter::linear, 7);
    expectNameTable(0, 6, ExcVisuMaterial::EColorType::ambient, 7);
    expectNameTable(0, 9, ExcVisuMaterial::ETextureType::ambient_coefficient, 10);
    expectNameTable(0, 9, ExcVisuLineAttribute::ELineStyle::center_line, 9);
    expectNameTable(0, 3, ExcVisuEdge::ELineType::line_loop, 4);
    expectNameTable(0, 3, EVisuGeometryType::construction, 4);
    expectNameTable(0, 2013, EVisuMarkerStyle::BACK_SLASH, 50);
    expectNameTable(0, 60, ExcVisuNode::EType::ACTIVEDRAWINGSHEET, 61);
    expectNameTable(0, 2, ExcCamera::EType::orthographic, 3);

    EXPECT_EQ(enumToString(EVisuMarkerStyle::FULLCIRCLEBLACKBORDER), L"FULLCIRCLEBLACKBORDER");
    EXPECT_EQ(enumToString(EVisuMarkerStyle::DOUBLE_UNFILLED_ARROW), L"DOUBLE_UNFILLED_ARROW");
    EXPECT_EQ(enumToString(static_cast<EVisuMarkerStyle>(37)), L"NOTUSED");
    EXPECT_EQ(enumToString(ExcVisuNode::EType::GEOMTOL_UNKNOWN), L"GEOMTOL_UNKNOWN");
    EXPECT_EQ(static_cast<int>(ExcVisuNode::EType::DRAWINGSHEETS), 60);
    EXPECT_EQ(enumToString(ExcVisuMaterial::ETextureType::emissive_coefficient), L"emissive_coefficient");
}

TEST(VisuExchange, VisualizationThroughABinaryEnvelopeReadsBackEqual) {
    auto sent = std::make_shared<ExcBlockVisualization>();
    sent->setBlockId(77);
    sent->setVisualizationData(sampleVisualization());
    std::wostringstream os;
    ExchangeObjectWrapper(sent).writeObject(os);
    // Only the buffer's name travels in the text.
    const std::wstring envelope = os.str();
    EXPECT_EQ(envelope.rfind(L"{\"exchange_object_name\":\"exc_block_visualization\",\"binary\":true,"
                             L"\"exchange_object_data\":\"", 0), 0u) << envelope;
    EXPECT_LT(envelope.size(), 150u);

    ExchangeObjectWrapper in;
    std::wistringstream is(envelope);
    in.readObject(is);
    const auto got = std::dynamic_pointer_cast<ExcBlockVisualization>(in.get());
    ASSERT_TRUE(got);
    EXPECT_TRUE(got->isLoaded());
    EXPECT_EQ(*got, *sent);
    const ExcVisuNode& root = *got->visualizationData()->sceneRootNodes()[0];
    EXPECT_EQ(childNames(*root.childNodes()[0]->childNodes()[0]),
              (std::vector<std::wstring>{L"mesh 0", L"mesh 1", L"mesh 2"}));
    EXPECT_EQ(mp::SharedBuffer<char>(got->source(), true).size(), 0u);  // loading removed the buffer

    // The assembly's, loaded later on demand.
    auto assembly = std::make_shared<ExcRootAssemblyVisualization>();
    assembly->setVisualizationData(sampleVisualization());
    std::wostringstream os2;
    ExchangeObjectWrapper(assembly).writeObject(os2);
    ExchangeObjectWrapper later;
    later.setDelayedLoading(true);
    std::wistringstream is2(os2.str());
    later.readObject(is2);
    auto pending = std::dynamic_pointer_cast<ExcRootAssemblyVisualization>(later.get());
    ASSERT_TRUE(pending);
    EXPECT_FALSE(pending->isLoaded());
    EXPECT_FALSE(pending->visualizationData());
    pending->load();
    EXPECT_TRUE(pending->isLoaded());
    EXPECT_EQ(*pending, *assembly);
}
