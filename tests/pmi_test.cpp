#include "test_support.h"

#include "pmi_samples.h"

#include "trx_api/json/enum_strings.h"
#include "trx_api/detail/fields.h"
#include "trx_api/trx_api_exchange_mechanical_common.h"
#include "trx_api/trx_api_exchange_pmi.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

using trx::test::faceEntity;
using trx::test::pmiLeader;
using trx::test::samplePMISet;

std::wstring keysOf(const IJsonObject& record) {
    JsonDocument doc;
    record.writeObject(doc, doc.GetAllocator());
    std::wstring keys;
    for (const auto& m : doc.GetObject()) keys += std::wstring(m.name.GetString()) + L" ";
    return keys;
}

}  // namespace

TEST(PMINote, JsonFormTypeAndAngle) {
    ExcPMINote note;
    EXPECT_EQ(toText(note),
              L"{\"name\":\"\",\"id\":\"\",\"hidden\":false,\"type\":\"note\",\"orientation\":\"horizontal\","
              L"\"z_depth\":0.0,\"position\":[0.0,0.0],\"linked_elements\":[],\"leaders\":[],"
              L"\"texts\":[],\"is_flag_note\":false,\"is_noa\":false}");
    note.setOrientation(EPMIOrientation::dim_angle);
    note.setAngle(0.5);
    EXPECT_EQ(keysOf(note), L"name id hidden type orientation angle z_depth position linked_elements "
                            L"leaders texts is_flag_note is_noa ");

    // The kind belongs to the class that reads; the angle is read whatever the orientation.
    ExcPMINote r;
    parseInto(r, L"{\"type\":\"GDT\",\"angle\":0.25,\"orientation\":\"vertical\"}");
    EXPECT_EQ(r.type(), EPMIAnnotationType::note);
    EXPECT_EQ(r.angle(), 0.25);
    EXPECT_EQ(r.orientation(), EPMIOrientation::vertical);
    parseInto(r, L"{\"orientation\":\"sideways\"}");
    EXPECT_EQ(r.orientation(), EPMIOrientation::dim_angle);

    EXPECT_EQ(toText(ExcPMILeader()), L"{\"points\":[]}");
}

TEST(PMINote, TextsColourAndFontNames) {
    ExcPMINote::Text t;
    EXPECT_EQ(toText(t),
              L"{\"label\":\"\",\"font_name\":\"\",\"font_type\":\"simplex\",\"fixed_pitch\":false,"
              L"\"height\":0.0,\"bold\":false,\"italic\":false,\"underline\":false,\"strike_through\":false,"
              L"\"overline\":false,\"ratio\":0.0,\"slant\":0.0,\"color\":[1.0,1.0,1.0,1.0]}");

    parseInto(t, L"{\"color\":[0.5,0.25]}");
    EXPECT_EQ(t.getRGBA(), (ExcPMINote::Text::RGBA{0.5, 0.25, 1.0, 1.0}));
    parseInto(t, L"{\"color\":[1,0.5,0.5,0.5]}");  // stops at the integer literal
    EXPECT_EQ(t.getRGBA(), (ExcPMINote::Text::RGBA{0.5, 0.25, 1.0, 1.0}));
    parseInto(t, L"{\"color\":[0.1,0.2,0.3,0.4,0.5]}");
    double r, g, b, a;
    t.getRGBA(r, g, b, a);
    EXPECT_EQ(ExcPMINote::Text::RGBA({r, g, b, a}), (ExcPMINote::Text::RGBA{0.1, 0.2, 0.3, 0.4}));

    parseInto(t, L"{\"font_type\":\"ISO\"}");
    EXPECT_EQ(t.fontType(), ExcPMINote::Text::EFontType::ISO);
    parseInto(t, L"{\"font_type\":\"iso\"}");
    EXPECT_EQ(t.fontType(), ExcPMINote::Text::EFontType::IGES_1001);

    // Doubles take only literals with a fraction or exponent.
    parseInto(t, L"{\"height\":3,\"ratio\":1e0,\"slant\":-2}");
    EXPECT_EQ(t.height(), 0.0);
    EXPECT_EQ(t.ratio(), 1.0);
    EXPECT_EQ(t.slant(), 0.0);

    t.setLabel(L"\u00d8 12 H7");
    t.setFontName(L"Arial");
    t.setBold(true);
    t.setStrikeThrough(true);
    t.setHeight(3.5);
    EXPECT_EQ(roundTrip(t), t);
}

TEST(PMIAnnotation, NullRefusalsAndWrongKinds) {
    ExcPMINote note;
    {
        LogCapture log;
        note.addLinkedElements({faceEntity(1), nullptr, faceEntity(2)});
        note.addLeaders({nullptr});
        note.addText(nullptr);
        EXPECT_EQ(log.records(), 3);
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcPMIAnnotation: attempt to add null linked element\n"));
        EXPECT_TRUE(log.contains("ExcPMIAnnotation: attempt to add null PMI leader."));
        EXPECT_TRUE(log.contains("ExcPMINote: attempt to add null text."));
    }
    EXPECT_EQ(note.linkedElements().size(), 2u);
    EXPECT_TRUE(note.leaders().empty());
    EXPECT_TRUE(note.texts().empty());

    // A value of the wrong kind is reported once, under the record's own name.
    ExcPMIGDT gdt;
    gdt.setNote(L"kept");
    {
        LogCapture log;
        parseInto(gdt, L"[]");
        EXPECT_EQ(log.records(), 1);
        EXPECT_TRUE(log.contains("ExcPMIGDT object should have a JSON object type."));
    }
    EXPECT_EQ(gdt.note(), L"kept");
}

TEST(PMIGDT, FixedArraysAndCompositeSegment) {
    ExcPMIGDT g;
    g.setRateUnit(1.5, 2.5);
    {
        LogCapture log;
        parseInto(g, L"{\"rate_unit\":[0.1], \"zone_modifiers\":[\"common_zone\"]}");
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcPMIGDT: invalid size of rate_unit array\n"));
        EXPECT_TRUE(log.contains("ExcPMIGDT: invalid size of zone_modifiers array\n"));
    }
    double a, b;
    g.rateUnits(a, b);
    EXPECT_EQ(a, 1.5);
    EXPECT_EQ(b, 2.5);
    parseInto(g, L"{\"rate_unit\":[0.1, 25], \"zone_modifiers\":[\"free_state_free\", 3]}");
    g.rateUnits(a, b);
    EXPECT_EQ(a, 0.1);
    EXPECT_EQ(b, 0.0);  // an item that is not a double counts as 0.0
    ExcPMIGDT::EToleranceModifier m1, m2;
    g.zoneModifiers(m1, m2);
    EXPECT_EQ(m1, ExcPMIGDT::EToleranceModifier::free_state_free);
    EXPECT_EQ(m2, ExcPMIGDT::EToleranceModifier::no_modifier);  // a non-string leaves it

    // The composite flag follows "composite_data": absent keeps it, null clears, {} sets.
    EXPECT_FALSE(g.isComposite());
    parseInto(g, L"{\"composite_data\":{}}");
    EXPECT_TRUE(g.isComposite());
    EXPECT_EQ(g.compositeToleranceValue(), 0.0);
    parseInto(g, L"{}");
    EXPECT_TRUE(g.isComposite());
    parseInto(g, L"{\"composite_data\":null}");
    EXPECT_FALSE(g.isComposite());
    {
        LogCapture log;
        parseInto(g, L"{\"composite_data\":{\"zone_modifiers\":[\"common_zone\"],\"rate_unit\":[1.0,2.0,3.0],"
                     L"\"tolerance_value\":0.02}}");
        EXPECT_TRUE(log.contains("ExcPMIGDT: invalid size of composite rate_unit array."));
    }
    EXPECT_EQ(g.compositeZoneModifier(), ExcPMIGDT::EToleranceModifier::no_modifier);
    EXPECT_EQ(g.compositeToleranceValue(), 0.02);

    // Unknown names: the fallbacks of the tables.
    parseInto(g, L"{\"tolerance_type\":\"location_position_of_a_surface\",\"tolerance_value_type\":\"x\"}");
    EXPECT_EQ(g.toleranceType(), ExcPMIGDT::EToleranceType::Location_position_of_a_surface);
    EXPECT_EQ(g.toleranceValueType(), ExcPMIGDT::EToleranceValueType::diameter);
    EXPECT_EQ(enumFromString<ExcPMIGDT::EToleranceModifier>(L"?"), ExcPMIGDT::EToleranceModifier::common_zone);
    EXPECT_EQ(enumToString(ExcPMIGDT::EToleranceModifier::tangent_plant_tangent), L"tangent_plant_tangent");

    // Integer literals do not reach double fields.
    parseInto(g, L"{\"tolerance_value\":1,\"shift_value\":2,\"all_around\":3.0}");
    EXPECT_EQ(g.toleranceValue(), 0.0);
    EXPECT_EQ(g.shiftValue(), 0.0);
    EXPECT_EQ(g.allAround(), 3.0);
}

TEST(PMIGDT, CompositeToleranceWithBothFramesRoundTrips) {
    auto frame = [](const std::wstring& label, std::initializer_list<const wchar_t*> datums) {
        auto f = std::make_shared<ExcPMIGDT::Frame>();
        f->setLabel(label);
        for (const wchar_t* d : datums) {
            ExcPMIGDT::DatumRef ref;
            ref.setLabel(d);
            ref.addModifiedDatum(ExcPMIGDT::ModifiedDatum(d, ExcPMIGDT::EToleranceModifier::material_condition_maximum));
            ref.addModifiedDatum(ExcPMIGDT::ModifiedDatum(L"D2", ExcPMIGDT::EToleranceModifier::no_modifier));
            f->addDatumRef(std::move(ref));
        }
        return f;
    };
    ExcPMIGDT g;
    g.setId(L"gdt-1");
    g.setToleranceType(ExcPMIGDT::EToleranceType::location_true_position);
    g.setToleranceValueType(ExcPMIGDT::EToleranceValueType::diameter);
    g.setToleranceValue(0.1);
    g.setRefineTolerance(0.05);
    g.setRateUnit(25.0, 50.0);
    g.setProjectionToleranceZoneLength(10.0);
    g.setNote(L"6x");
    g.setZoneModifiers(ExcPMIGDT::EToleranceModifier::material_condition_least,
                       ExcPMIGDT::EToleranceModifier::statistical_symbol);
    g.setReferenceFrame(frame(L"A|B|C", {L"A", L"B", L"C"}));
    g.setComposite(true);
    g.setCompositeToleranceValueType(ExcPMIGDT::EToleranceValueType::square);
    g.setCompositeToleranceValue(0.02);
    g.setCompositeRateUnits(1.0, 2.0);
    g.setCompositeZoneModifier(ExcPMIGDT::EToleranceModifier::tangent_plant_tangent);
    g.setCompositeReferenceFrame(frame(L"A", {L"A"}));
    g.addLinkedElement(faceEntity(42));
    g.addLeader(pmiLeader(0.0, 0.0, 1.0, 1.5));

    EXPECT_EQ(keysOf(g), L"name id hidden type orientation z_depth position linked_elements leaders "
                         L"tolerance_type tolerance_value_type tolerance_value refine_tolerance rate_unit "
                         L"proj_tol_zone_length shift_value all_around note zone_modifiers ref_frame "
                         L"composite_data ");
    const std::wstring text = toText(g);
    EXPECT_NE(text.find(L"\"composite_data\":{\"tolerance_value_type\":\"square\",\"tolerance_value\":0.02,"
                        L"\"rate_unit\":[1.0,2.0],\"zone_modifiers\":\"tangent_plant_tangent\",\"ref_frame\":"
                        L"{\"label\":\"A\",\"datum_refs\":[{\"label\":\"A\",\"modified_datums\":[{\"datum_id\":"
                        L"\"A\",\"tolerance_modifier\":\"material_condition_maximum\"},"),
              std::wstring::npos) << text;
    const ExcPMIGDT back = roundTrip(g);
    EXPECT_EQ(back, g);
    EXPECT_EQ(back.type(), EPMIAnnotationType::GDT);

    // Not composite: the segment is not written.
    g.setComposite(false);
    EXPECT_EQ(toText(g).find(L"composite_data"), std::wstring::npos);
}

TEST(PMIDatum, TargetIdsAndTargetZone) {
    ExcPMIDatum d;
    parseInto(d, L"{\"label\":\"A\",\"target_ids\":[7,\"A1\"]}");
    EXPECT_EQ(d.targetIds(), std::vector<std::wstring>{L"A1"});
    EXPECT_EQ(d.type(), EPMIAnnotationType::datum);

    ExcPMIDatumTarget t;
    EXPECT_EQ(keysOf(t).substr(keysOf(t).find(L"leaders")),
              L"leaders label target_type has_diameter upper_text lower_text target_zone ");
    parseInto(t, L"{\"target_zone\":[[1.0,2.0,3.0],[4.0,5.0,6.0],[7.0,8.0,9.0]],\"target_type\":\"bogus\"}");
    EXPECT_EQ(t.zonePoint1(), ExcVector3d(1, 2, 3));
    EXPECT_EQ(t.zonePoint2(), ExcVector3d(4, 5, 6));
    EXPECT_EQ(t.targetType(), ExcPMIDatumTarget::EType::area_circular);
    parseInto(t, L"{\"target_zone\":[[0.5,0.5,0.5]]}");
    EXPECT_EQ(t.zonePoint1(), ExcVector3d(0.5, 0.5, 0.5));
    EXPECT_EQ(t.zonePoint2(), ExcVector3d(4, 5, 6));
}

TEST(PMIDimension, DefaultsFixedArraysAndFakeValues) {
    ExcPMIDimension d;
    const std::wstring text = toText(d);
    EXPECT_NE(text.find(L"\"main_type\":\"unknown\",\"sub_type\":\"no_dim\","
                        L"\"callout_feature_annotation_type\":\"hole_unknown\",\"coord\":[0.0,0.0,0.0],"
                        L"\"value\":0.0,\"unit\":\"none\",\"value_precision\":0.0,\"tolerance_precision_value\":0.0,"
                        L"\"numerical_tolerance\":[0.0,0.0],\"alphanumerical_tolerance\":[\"\",\"\"],"
                        L"\"texts\":[\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"],\"is_driving\":false,"
                        L"\"line\":[[0.0,0.0],[0.0,0.0]],\"arrows\":[\"not_used\",\"not_used\"],"
                        L"\"is_symbol_outside\":false}"),
              std::wstring::npos) << text;

    parseInto(d, L"{\"numerical_tolerance\":[-0.1,0.2],\"alphanumerical_tolerance\":[\"h7\",3]}");
    EXPECT_EQ(d.numericalToleranceLower(), -0.1);
    EXPECT_EQ(d.numericalToleranceUpper(), 0.2);
    EXPECT_EQ(d.alphanumericalToleranceLower(), L"h7");
    EXPECT_EQ(d.alphanumericalToleranceUpper(), L"");
    {
        LogCapture log;
        parseInto(d, L"{\"numerical_tolerance\":[0.1],\"alphanumerical_tolerance\":[],"
                     L"\"line\":[[1.0,1.0]],\"arrows\":[\"cross\",\"cross\",\"cross\"]}");
        EXPECT_EQ(log.records(), 4);
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcPMIDimension: invalid size of numerical_tolerance array."));
        EXPECT_TRUE(log.contains("ExcPMIDimension: invalid size of alphanumerical_tolerance array."));
        EXPECT_TRUE(log.contains("ExcPMIDimension: invalid size of line array."));
        EXPECT_TRUE(log.contains("ExcPMIDimension: invalid size of arrows array."));
    }
    EXPECT_EQ(d.numericalToleranceLower(), -0.1);
    EXPECT_EQ(d.alphanumericalToleranceLower(), L"h7");
    EXPECT_EQ(d.lineStart(), ExcVector2d());
    EXPECT_EQ(d.arrowSymbolStart(), ExcPMIDimension::EArrowSymbol::not_used);

    d.setUpper(L"keep");
    d.setBelow(L"keep too");
    parseInto(d, L"{\"texts\":[\"R\",5]}");
    EXPECT_EQ(d.prefix(), L"R");
    EXPECT_EQ(d.suffix(), L"");
    EXPECT_EQ(d.upper(), L"keep");
    parseInto(d, L"{\"texts\":[\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\",\"9\"]}");
    EXPECT_EQ(d.calloutText(), L"7");
    EXPECT_EQ(d.below(), L"8");

    parseInto(d, L"{\"fake_numerical_value\":12,\"unit\":\"furlong\",\"value\":5}");
    EXPECT_FALSE(d.hasFakeNumericalValue());
    EXPECT_EQ(d.unit(), ExcPMIDimension::EDimUnit::cm);
    EXPECT_EQ(d.value(), 0.0);
    parseInto(d, L"{\"fake_numerical_value\":12.0,\"fake_alphanumerical_value\":\"approx\"}");
    EXPECT_TRUE(d.hasFakeNumericalValue());
    EXPECT_EQ(d.fakeNumericalValue(), 12.0);
    EXPECT_TRUE(d.hasFakeAlphanumericalValue());
    d.setHasFakeNumericalValue(false);
    EXPECT_EQ(toText(d).find(L"fake_numerical_value"), std::wstring::npos);
    EXPECT_NE(toText(d).find(L"\"fake_alphanumerical_value\":\"approx\""), std::wstring::npos);
    EXPECT_EQ(d.fakeNumericalValue(), 12.0);
}

TEST(PMIRoughness, FieldsAndClassifications) {
    ExcPMIRoughness r;
    parseInto(r, L"{\"fields\":[\"Ra 0.8\",1,\"\"],\"obtention_type\":\"?\",\"applicability_type\":\"?\"}");
    EXPECT_EQ(r.fields(), (std::vector<std::wstring>{L"Ra 0.8", L""}));
    EXPECT_EQ(r.obtentionType(), ExcPMIRoughness::EObtentionType::matching_forbidden);
    EXPECT_EQ(r.applicabilityType(), ExcPMIRoughness::EApplicabilityType::all_part_surfaces);
    EXPECT_EQ(keysOf(r).substr(keysOf(r).find(L"leaders")), L"leaders obtention_type applicability_type fields ");
    EXPECT_EQ(roundTrip(r), r);
}

TEST(PMIAnnotationView, IndexKeepsTheFirstIdAcrossLists) {
    ExcPMIAnnotationView view;
    auto note1 = std::make_shared<ExcPMINote>();
    note1->setId(L"n");
    auto note2 = std::make_shared<ExcPMINote>();
    note2->setId(L"n");
    auto datum = std::make_shared<ExcPMIDatum>();
    datum->setId(L"shared");
    auto dim = std::make_shared<ExcPMIDimension>();
    dim->setId(L"shared");
    auto unnamed = std::make_shared<ExcPMIRoughness>();
    {
        LogCapture log;
        view.addNote(note1);
        view.addNote(note2);
        view.addDatum(datum);
        view.addDimension(dim);
        view.addRoughness(unnamed);
        EXPECT_EQ(log.records(), 2);
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("Duplicated PMI annotation id: n\n"));
        EXPECT_TRUE(log.contains("Duplicated PMI annotation id: shared\n"));
    }
    EXPECT_EQ(view.notes().size(), 2u);  // both stay listed
    EXPECT_EQ(view.dimensions().size(), 1u);
    EXPECT_EQ(view.getAnnotationById(L"n"), note1);
    EXPECT_EQ(view.getAnnotationById(L"shared"), datum);
    EXPECT_EQ(view.getAnnotationById(L"shared")->type(), EPMIAnnotationType::datum);
    EXPECT_EQ(view.getAnnotationById(L""), unnamed);
    EXPECT_EQ(view.getAnnotationById(L"absent"), nullptr);

    {
        LogCapture log;
        view.addNote(nullptr);
        view.addDatum(nullptr);
        view.addDatumTarget(nullptr);
        view.addGdt(nullptr);
        view.addDimension(nullptr);
        view.addRoughness(nullptr);
        EXPECT_EQ(log.records(), 6);
        for (const char* text : {"ExcPMIAnnotationView: attempt to add null PMI Note object.",
                                 "ExcPMIAnnotationView: attempt to add null PMI Datum object.",
                                 "ExcPMIAnnotationView: attempt to add null PMI Datum Target object.",
                                 "ExcPMIAnnotationView: attempt ot add null PMI GDT object.",
                                 "ExcPMIAnnotationView: attempt to add null PMI Dimension object.",
                                 "ExcPMIAnnotationView: attempt to add null PMI Roughness object."})
            EXPECT_TRUE(log.contains(text)) << text;
    }
    EXPECT_EQ(view.notes().size(), 2u);

    EXPECT_EQ(keysOf(ExcPMIAnnotationView()),
              L"name id hidden origin u v notes datum datum_targets GDTs dimensions roughness ");

    // Reading indexes the same way, silently.
    ExcPMIAnnotationView r;
    {
        LogCapture log;
        parseInto(r, L"{\"notes\":[{\"id\":\"a\",\"name\":\"first\"},{\"id\":\"a\",\"name\":\"second\"}],"
                     L"\"GDTs\":[{\"id\":\"a\"},{\"id\":\"g\"}],\"datum\":{\"id\":\"x\"}}");
        EXPECT_EQ(log.records(), 0);
    }
    EXPECT_EQ(r.notes().size(), 2u);
    EXPECT_EQ(r.gdts().size(), 2u);
    EXPECT_TRUE(r.datums().empty());
    EXPECT_EQ(r.getAnnotationById(L"a")->name(), L"first");
    EXPECT_EQ(r.getAnnotationById(L"g")->type(), EPMIAnnotationType::GDT);
}

TEST(PMICaptureAndSet, OptionalKeysAndRefusals) {
    ExcPMICapture c;
    EXPECT_EQ(toText(c),
              L"{\"name\":\"\",\"id\":\"\",\"hidden\":false,\"capture_hidden\":false,\"current\":false,"
              L"\"hidden_text\":\"\",\"manage_hide_show\":false,\"annotation_ids\":[],"
              L"\"constructed_geometry\":[],\"bodies\":[]}");
    ExcPMIAnnotationSet set;
    EXPECT_EQ(toText(set),
              L"{\"block_id\":0,\"name\":\"\",\"hidden\":false,\"standart\":\"\",\"annotation_views\":[],"
              L"\"captures\":[],\"constructed_geometry\":[]}");
    ExcPMIData data;
    {
        LogCapture log;
        c.addBody(nullptr);
        c.addConstructedGeometry(nullptr);
        set.addView(nullptr);
        set.addCapture(nullptr);
        set.addConstructedGeometry(nullptr);
        data.addAnnotationSet(nullptr);
        EXPECT_EQ(log.records(), 6);
        for (const char* text : {"ExcPMICapture: attempt to add null Body object.",
                                 "ExcPMICapture: attempt to add null Constructed Geometry Entity object.",
                                 "ExcPMIAnnotationSet: attempt to add null View object.",
                                 "ExcPMIAnnotationSet: attempt to add null Capture object.",
                                 "ExcPMIAnnotationSet: attempt to add null Constructed Geometry Entity object.",
                                 "ExcPMIData: attempt to add null PMI Annotation Set object."})
            EXPECT_TRUE(log.contains(text)) << text;
    }
    EXPECT_EQ(c, ExcPMICapture());
    EXPECT_EQ(set, ExcPMIAnnotationSet());
    EXPECT_EQ(toText(data), L"[]");
    {
        LogCapture log;
        parseInto(data, L"{\"annotation_sets\":[]}");
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("ExcPMIData object should have a JSON array type."));
    }

    // Lenient reading: a negative or fractional block id is ignored, ids keep only strings.
    parseInto(set, L"{\"block_id\":-4,\"standart\":\"ISO\"}");
    EXPECT_EQ(set.blockId(), 0u);
    parseInto(set, L"{\"block_id\":4.0}");
    EXPECT_EQ(set.blockId(), 0u);
    EXPECT_EQ(set.standart(), L"ISO");
    parseInto(c, L"{\"annotation_ids\":[\"a\",1,\"b\"],\"manage_hide_show\":true,\"camera\":{\"type\":\"perspective\"}}");
    EXPECT_EQ(c.annotationIds(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_TRUE(c.manageHideShow());
    ASSERT_TRUE(c.camera());
    EXPECT_EQ(c.camera()->type(), ExcCamera::EType::perspective);
}

namespace {

// What a block record carries beside the rest: PMI, mapping and entity information.
struct BlockPart : IJsonObject {
    std::shared_ptr<ExcPMIData> pmi;
    std::shared_ptr<ExcMappingData> mapping;
    std::shared_ptr<ExcEntityData> entities;
    void readObject(const JsonValue& v) override {
        json::get(v, L"pmi_data", pmi);
        json::get(v, L"mapping_data", mapping);
        json::get(v, L"entity_data", entities);
    }
    void writeObject(JsonValue& v, JsonAllocator& a) const override {
        v.SetObject();
        json::put(v, a, L"pmi_data", pmi);
        json::put(v, a, L"mapping_data", mapping);
        json::put(v, a, L"entity_data", entities);
    }
};

}  // namespace

TEST(PMIData, EveryKindOfContentRoundTrips) {
    BlockPart block;
    block.pmi = std::make_shared<ExcPMIData>();
    block.pmi->addAnnotationSet(samplePMISet());
    block.pmi->addAnnotationSet(std::make_shared<ExcPMIAnnotationSet>());
    block.mapping = std::make_shared<ExcMappingData>();
    block.mapping->add(faceEntity(1), faceEntity(101));
    block.entities = std::make_shared<ExcEntityData>();
    auto info = std::make_shared<ExcTopologicalEntityInformation>();
    info->setEntity(faceEntity(1));
    info->addPersistentName(L"F1");
    info->setLineType(ELineType::long_dash_dot);
    info->setLineThickness(0.5);
    block.entities->addData(info);

    const BlockPart back = roundTrip(block);
    ASSERT_TRUE(back.pmi && back.mapping && back.entities);
    EXPECT_EQ(*back.pmi, *block.pmi);
    EXPECT_EQ(*back.mapping, *block.mapping);
    EXPECT_EQ(*back.entities, *block.entities);
    EXPECT_EQ(toText(back), toText(block));

    // The read views are indexed.
    const auto& view = *back.pmi->annotationSets()[0]->views()[0];
    for (const wchar_t* id : {L"note-1", L"datum-A", L"target-A1", L"gdt-1", L"dim-1", L"rough-1"})
        EXPECT_EQ(view.getAnnotationById(id)->id(), id);
    EXPECT_EQ(view.getAnnotationById(L"dim-1")->type(), EPMIAnnotationType::dimension);

    // Equality reaches the deepest records.
    auto changed = samplePMISet();
    auto frame = changed->views()[0]->gdts()[0]->compositeReferenceFrame();
    ExcPMIGDT::DatumRef extra;
    frame->addDatumRef(std::move(extra));
    EXPECT_NE(*changed, *back.pmi->annotationSets()[0]);
    auto text = samplePMISet();
    text->views()[0]->notes()[0]->texts()[1]->setSlant(0.5);
    EXPECT_NE(*text, *back.pmi->annotationSets()[0]);
    EXPECT_EQ(*samplePMISet(), *back.pmi->annotationSets()[0]);
}
