// What exchange records do beyond their key lists and the shared rules: older forms they still
// read, what they refuse, indexes, and where they read otherwise on purpose. The wire form is
// pinned by wire_test.cpp, the shared reading rules by fields_test.cpp.
#include "test_support.h"

#include <cmath>

#include "trx_api/trx_api.h"

using namespace trx;
using trx::test::errorOf;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::toText;

// Vectors take components up to the first that is no double. A colour channel out of range
// stops the channels, alpha keeps its low 16 bits, null is no colour. Property groups also
// come as a bare list of properties (one unnamed group); a group of a name held is dropped.
TEST(CommonRecords, OlderAndLooserForms) {
    ExcVector3d v(7, 8, 9);
    parseInto(v, L"[1.0, 2, 3.0]");
    EXPECT_EQ(v, ExcVector3d(1, 8, 9));
    ExcColor c(0, 5, 6);
    parseInto(c, L"{\"rgb\": [1, -2, 3], \"alpha\": 65537}");
    EXPECT_EQ(c, ExcColor(1, 5, 6, 1));
    parseInto(c, L"null");
    EXPECT_FALSE(c.hasRGB() || c.hasAlpha());

    ExcMiscData flat;
    parseInto(flat, L"[{\"name\":\"a\",\"type\":\"string\",\"value\":\"x\"},{\"name\":\"b\"}]");
    ASSERT_EQ(flat.groups().size(), 1u);
    EXPECT_EQ((*flat.groups().begin())->properties().size(), 2u);
    LogCapture log;
    parseInto(flat, L"[{\"name\":\"G\"},{\"name\":\"G\",\"is_bim\":true}]");
    EXPECT_TRUE(log.contains("[WARNING] ") && log.contains("properties group 'G'"));
    EXPECT_FALSE((*flat.groups().rbegin())->isBim());

    // An entity's unset path travels as null and reads back as none.
    ExcEntity fsp;
    fsp.setType(ExcEntity::EType::fsp);
    parseInto(fsp, toText(fsp));
    EXPECT_EQ(fsp.fsp(), nullptr);
}

// The index keeps the last block of an id read; a block added again moves to the end. A
// root that is the reader's dummy, alone or by the product's name, makes a part.
TEST(StructureRecords, BlockIndexRemovalAndPartRule) {
    ExcProductStructure ps;
    parseInto(ps, L"{\"blocks\":[{\"id\":5,\"name\":\"a\"},{\"id\":5,\"name\":\"b\"}]}");
    EXPECT_EQ(ps.getBlockById(5)->name(), L"b");
    auto a = std::make_shared<ExcBlock>();
    auto b = std::make_shared<ExcBlock>(*a);
    ExcProductStructure s;
    s.addBlock(a);
    s.addBlock(b);
    s.addBlock(a);
    EXPECT_EQ(s.blocks(), (ExcBlocks{b, a}));

    auto top = std::make_shared<ExcBlockReference>();
    top->setBlockId(18446744073709551615ull);
    s.addRootBlockReference(top);
    s.addRootBlockReference(top);
    s.removeRootBlockReference(-1);  // sign-extended to the largest id; the first one only
    EXPECT_EQ(s.rootBlockReferences().size(), 1u);
    EXPECT_FALSE(s.isPart());
    top->setName(L"SPAXIopPSProductDummyInstance");
    EXPECT_TRUE(s.isPart());
    s.addRootBlockReference(top);
    EXPECT_FALSE(s.isPart());  // two roots are an assembly
    s.setProductName(L"SPAXIopPSProductDummyReference");
    EXPECT_TRUE(s.isPart());
}

// A clone is a fresh object, not a copy. The legacy maps are lists, anything else an error;
// a later name of a handle replaces one read, merging keeps the names held, and of two
// materials of a handle the first read stays, though adding replaces.
TEST(MessageRecords, ClonesAndLegacyMaps) {
    ExcLog m(L"text");
    m.setSource(L"src");
    const auto c = std::dynamic_pointer_cast<ExcLog>(m.clone());
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->get().empty() && c->source().empty());

    LegacyComponentInstanceNames names;
    names.addInstanceName(1, L"held");
    parseInto(names, L"[{\"component_handle\":9,\"component_name\":\"A\"},"
                     L"{\"component_handle\":9,\"component_name\":\"B\"},"
                     L"{\"component_handle\":-1,\"component_name\":\"neg\"},"
                     L"{\"component_handle\":2.0,\"component_name\":\"dbl\"},{\"component_handle\":5},7]");
    LegacyComponentInstanceNames other;
    other.addInstanceName(9, L"other");
    other.addInstanceName(10, L"ten");
    names.merge(other);
    EXPECT_EQ(names.map(), (LegacyComponentInstanceNames::Map{{1, L"held"}, {9, L"B"}, {10, L"ten"}}));
    EXPECT_EQ(errorOf([&] { parseInto(names, L"{}"); }),
              "LegacyComponentInstanceNames::readObject(): Input json object is not an array");

    LegacyMaterialMap materials;
    parseInto(materials, L"[{\"component_handle\":2,\"component_material\":{\"density\":7.0}},"
                         L"{\"component_handle\":2,\"component_material\":{\"density\":9.0}},"
                         L"{\"component_handle\":3,\"component_material\":[]}]");
    ASSERT_EQ(materials.map().size(), 1u);
    EXPECT_EQ(materials.map().at(2).density, 7.0);
    LegacyMaterialMap::Material steel;
    steel.density = 7.85;
    materials.addMaterial(2, steel);
    EXPECT_EQ(materials.map().at(2), steel);
    EXPECT_EQ(errorOf([&] { parseInto(materials, L"5"); }),
              "LegacyMaterialMap::readObject(): Input json object is not an array");
}

// The camera reads both doubles whatever its type writes. The clipping plane travels only
// with a flag set; null, what it writes without one, reads without complaint and changes nothing.
TEST(VisualizationRecords, CameraAndClippingPlane) {
    ExcCamera camera;
    parseInto(camera, L"{\"type\":\"perspective\",\"perspective_view_angle\":1.5,\"orthographic_zoom_factor\":3.0}");
    EXPECT_EQ(camera.orthographicZoomFactor(), 3.0);
    ExcClippingPlane p;
    p.setCoefficient(ExcClippingPlane::d, 4.0);
    EXPECT_EQ(toText(p), L"null");
    p.setHasCoefficients(true);
    LogCapture log;
    parseInto(p, L"null");
    EXPECT_EQ(log.records(), 0);
    EXPECT_TRUE(p.hasCoefficients());
}

// Faces and edges send arrays packed (Base64 of little-endian words) and still read plain
// arrays, which append where packed ones replace. Polygons unpack to the last whole one.
TEST(VisualizationRecords, PackedAndPlainArrays) {
    ExcVisuFace f;
    f.setNormals({9.0f});
    parseInto(f, L"{\"vertices\": [1.0, 2, 3.5], \"normals\": [0.5, null, 1e300]}");
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.0f, 0.0f, 3.5f}));
    ASSERT_EQ(f.normals().size(), 4u);
    EXPECT_TRUE(std::isinf(f.normals()[3]));
    parseInto(f, L"{\"vertices\": \"AADAPwAAAMAAAAA/\"}");
    EXPECT_EQ(f.vertices(), (std::vector<float>{1.5f, -2.0f, 0.5f}));
    parseInto(f, L"{\"polygons\": [{\"type\": 4, \"indices\": [0, 1, 2]}, 7, {\"indices\": [5, \"x\"]}]}");
    parseInto(f, L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAA=\"}");
    EXPECT_EQ(f.polygons(), (ExcVisuFace::Polygons{{4, {0, 1, 2}}, {0, {5, 0}}, {4, {0, 1, 2}}}));
    ExcVisuEdge e;
    parseInto(e, L"{\"line_indices\": [1, 2.5, \"x\", 3, 4294967295]}");
    EXPECT_EQ(e.lineIndices(), (std::vector<int>{1, 0, 0, 3, 0}));

    const auto unpack = [](std::vector<std::uint32_t> words) {
        ExcVisuFace::Polygons polygons;
        ExcVisuFace::unpackPolygons(words, polygons);
        return polygons;
    };
    EXPECT_EQ(unpack({4, 3, 0, 1, 2, 5, 10, 1}), (ExcVisuFace::Polygons{{4, {0, 1, 2}}}));
    EXPECT_EQ(unpack({6, 0xFFFFFFFFu}), ExcVisuFace::Polygons{});
    EXPECT_EQ(unpack({9, 0, 4, 1, 7}), (ExcVisuFace::Polygons{{9, {}}, {4, {7}}}));
}

// Packed arrays that do not decode whole were damaged on the way (a foreign character in
// the middle once turned 36 vertices into 6): the record refuses them, naming the field,
// rather than pass a part for the whole.
TEST(VisualizationRecords, DamagedPackedArraysAreErrorsNamingTheField) {
    std::vector<float> coordinates;
    for (int i = 0; i < 36; ++i) coordinates.push_back(static_cast<float>(i));
    std::wstring packed;
    Base64::encode(coordinates, packed);
    ExcVisuFace whole;
    parseInto(whole, L"{\"vertices\": \"" + packed + L"\"}");
    EXPECT_EQ(whole.vertices(), coordinates);

    std::wstring foreign = packed;
    foreign[packed.size() / 2 + 1] = L'!';
    ExcVisuFace f;
    ExcVisuEdge e;
    const std::string notWhole = " data is damaged: its Base64 text does not decode whole";
    const std::pair<IJsonObject*, std::pair<std::wstring, std::string>> cases[] = {
        {&f, {L"{\"vertices\": \"" + foreign + L"\"}", "ExcVisuFace: packed vertices" + notWhole}},
        {&f, {L"{\"normals\": \"" + packed + L"A\"}", "ExcVisuFace: packed normals" + notWhole}},
        {&f, {L"{\"normals\": \"" + packed + L"===\"}", "ExcVisuFace: packed normals" + notWhole}},
        {&f, {L"{\"vertices\": \"" + packed.substr(0, 16) + L"AAAAAA==\"}",
              "ExcVisuFace: packed vertices data is damaged: 4 values do not make whole groups of 3"}},
        {&f, {L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAAFAAAACgAAAA==\"}",
              "ExcVisuFace: packed polygons data is damaged: the last polygon is cut short"}},
        {&f, {L"{\"polygons\": \"BAAAAAMAAAAAAAAAAQAAAAIAAAAB\"}", "ExcVisuFace: packed polygons" + notWhole}},
        {&e, {L"{\"line_indices\": \"BwAAAP////8JAAAAAQ==\"}", "ExcVisuEdge: packed line_indices" + notWhole}},
    };
    for (const auto& [record, c] : cases) EXPECT_EQ(errorOf([&] { parseInto(*record, c.first); }), c.second);
}

// Material colours need four channels, whole and within 16 bits; an unknown colour name is
// the ambient entry. A mesh clone owns copies of its faces.
TEST(VisualizationRecords, MaterialColoursAndMeshClones) {
    ExcVisuMaterial m;
    parseInto(m, L"{\"colors\": {\"diffuse\": [255.0, 128.0, 0.0, 0.8], \"specular\": [1.0, 2.0],"
                 L" \"glossy\": [1.5, 70000.0, -3.0, 0.25]}}");
    EXPECT_EQ(m.colors().size(), 2u);
    EXPECT_EQ(m.color(ExcVisuMaterial::EColorType::ambient), (ExcVisuMaterial::Color{1, 65535, 0, 0.25}));

    ExcVisuMesh mesh;
    auto face = std::make_shared<ExcVisuFace>();
    mesh.addFace(face);
    const auto copy = mesh.clone();
    EXPECT_NE(copy->faces()[0], face);
    face->setId(L"changed");
    EXPECT_NE(*copy, mesh);
}

// Mapping pairs read with a side missing keep it missing and write only what they have; items
// of entity data of another kind still count, as default records.
TEST(MechanicalRecords, MappingAndEntityLists) {
    ExcMappingData m;
    parseInto(m, L"[\"skip me\", {}, {\"original\": {\"type\":\"mfg\",\"id\":\"7\"}}]");
    EXPECT_EQ(toText(m), L"[{},{\"original\":{\"type\":\"mfg\",\"id\":\"7\"}}]");
    ExcEntityData data;
    parseInto(data, L"[{\"name\":\"x\"}, \"junk\"]");
    ASSERT_EQ(data.data().size(), 2u);
    EXPECT_EQ(*data.data()[1], ExcTopologicalEntityInformation());
}

// A view indexes its annotations by id across its lists: the first of an id stays found, the
// later ones are listed too, and warned about when added, not when read.
TEST(MechanicalRecords, AnnotationViewIndexKeepsTheFirstId) {
    ExcPMIAnnotationView view;
    auto note = std::make_shared<ExcPMINote>();
    note->setId(L"n");
    auto datum = std::make_shared<ExcPMIDatum>();
    datum->setId(L"n");
    {
        LogCapture log;
        view.addNote(note);
        view.addDatum(datum);
        EXPECT_TRUE(log.contains("Duplicated PMI annotation id: n\n"));
    }
    EXPECT_EQ(view.getAnnotationById(L"n"), note);
    EXPECT_EQ(view.datums().size(), 1u);
    LogCapture log;
    parseInto(view, L"{\"notes\":[{\"id\":\"a\",\"name\":\"first\"},{\"id\":\"a\",\"name\":\"second\"}]}");
    EXPECT_EQ(log.records(), 0);
    EXPECT_EQ(view.getAnnotationById(L"a")->name(), L"first");
}

// Where annotations read otherwise: the kind belongs to the class; a GDT is composite as
// "composite_data" says (absent keeps, null clears); a rate unit item that is no double is 0;
// partial points and texts fill from the front, extra texts are dropped.
TEST(MechanicalRecords, AnnotationsReadTheirOwnWay) {
    ExcPMINote note;
    parseInto(note, L"{\"type\":\"GDT\"}");
    EXPECT_EQ(note.type(), EPMIAnnotationType::note);
    ExcPMINote::Text t;
    parseInto(t, L"{\"color\":[0.5,0.25]}");
    EXPECT_EQ(t.getRGBA(), (ExcPMINote::Text::RGBA{0.5, 0.25, 1.0, 1.0}));

    ExcPMIGDT g;
    parseInto(g, L"{\"composite_data\":{}}");
    parseInto(g, L"{}");
    EXPECT_TRUE(g.isComposite());
    parseInto(g, L"{\"composite_data\":null,\"rate_unit\":[0.1, 25]}");
    EXPECT_FALSE(g.isComposite());
    double a, b = 7;
    g.rateUnits(a, b);
    EXPECT_EQ(b, 0.0);

    ExcPMIDatumTarget target;
    parseInto(target, L"{\"target_zone\":[[1.0,2.0,3.0],[4.0,5.0,6.0],[7.0,8.0,9.0]]}");
    parseInto(target, L"{\"target_zone\":[[0.5,0.5,0.5]]}");
    EXPECT_EQ(target.zonePoint2(), ExcVector3d(4, 5, 6));
    ExcPMIDimension d;
    d.setUpper(L"keep");
    parseInto(d, L"{\"texts\":[\"R\",5]}");
    EXPECT_EQ(d.prefix() + d.upper(), L"Rkeep");
    parseInto(d, L"{\"texts\":[\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\"]}");
    EXPECT_EQ(d.below(), L"8");
}

// A pattern's type picks its class: "none" is no pattern, a name not in the table the first by
// name. Instance pairs are checked item by item.
TEST(MechanicalRecords, MfgPatternsAndInstancePairs) {
    const auto pattern = [](const std::wstring& text) {
        JsonDocument doc;
        test::parse(doc, text);
        return ExcMfgPattern::readPattern(doc);
    };
    LogCapture log;
    EXPECT_TRUE(std::dynamic_pointer_cast<ExcMfgPatternCircular>(pattern(L"{\"type\":\"hexagonal\"}")));
    EXPECT_FALSE(pattern(L"{\"type\":\"none\"}"));
    EXPECT_EQ(log.records(), 0);
    EXPECT_FALSE(pattern(L"{\"type\":\"unknown\"}"));
    EXPECT_FALSE(pattern(L"{\"type\":2}"));
    EXPECT_EQ(log.records(), 2);
    ExcMfgFeatureUnclassified f;
    f.setPattern(std::make_shared<ExcMfgPatternCircular>());
    parseInto(f, L"{\"pattern\":{\"type\":\"none\"}}");
    EXPECT_FALSE(f.pattern());

    ExcMfgPatternRectangular r;
    parseInto(r, L"{\"visible_instances\":[[1,2],[3],[4,5.5],[6,7,8]],\"deactivated_instances\":[5,[9,\"x\"]]}");
    using P = ExcMfgPattern::InstanceIndex;
    EXPECT_EQ(r.visibleInstances(), (std::vector<P>{{1, 2}, {4, -1}, {6, 7}}));
    EXPECT_EQ(r.deactivatedInstances(), (std::vector<P>{{9, -1}}));
}

// A material holds one property per kind, and not the unknown one; it ignores a value of
// another kind without a word.
TEST(MechanicalRecords, MaterialProperties) {
    using EP = ExcMiscMaterial::EProperty;
    ExcMiscMaterial m;
    EXPECT_EQ(errorOf([&] { m.get(EP::unknown); }), "Invalid material property id.");
    EXPECT_EQ(errorOf([&] { m.set(EP::density, nullptr); }), "Invalid material property value.");
    auto density = std::make_shared<ExcMiscMaterialProperty>();
    m.set(EP::density, std::make_shared<ExcMiscMaterialProperty>());
    m.set(EP::density, density);
    EXPECT_EQ(m.get(EP::density), density);
    LogCapture log;
    parseInto(m, L"{\"unknown\":{\"value\":1.0},\"yield_strength\":{\"unit\":[1]}}");
    EXPECT_EQ(m.properties().size(), 2u);
    parseInto(m, L"[]");
    EXPECT_EQ(log.records(), 0);
}

TEST(Units, ScaleBetweenLengthUnits) {
    using U = ELengthUnitType;
    EXPECT_DOUBLE_EQ(unitsScale(U::inch, U::millimeter), 25.4);
    EXPECT_DOUBLE_EQ(unitsScale(U::model_unit, U::millimeter), 25.4);
    EXPECT_DOUBLE_EQ(unitsScale(U::unknown, U::inch), 1);
    EXPECT_DOUBLE_EQ(unitsScale(U::mile, U::foot), 5280);
    EXPECT_DOUBLE_EQ(unitsScale(U::microinch, U::milliinch), 0.001);
    for (int a = 0; a <= 13; ++a)
        for (int b = 0; b <= 13; ++b)
            EXPECT_NEAR(unitsScale(U(a), U(b)) * unitsScale(U(b), U(a)), 1.0, 1e-12) << a << ' ' << b;
}
