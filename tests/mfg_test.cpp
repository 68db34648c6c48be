#include "test_support.h"

#include "mechanical_samples.h"
#include "trx_api/trx_api_exchange_mfg.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

std::shared_ptr<ExcMfgPattern> patternFrom(const std::wstring& text) {
    JsonDocument doc;
    std::wistringstream is(text);
    JsonTextIO::read(is, doc);
    return ExcMfgPattern::readPattern(doc);
}

}  // namespace

TEST(MfgHoles, KeyOrderSharedAngleKeyAndRoundTrips) {
    const std::wstring base =
        L"\"name\":\"\",\"primary_diameter\":0.0,\"primary_diameter_max_tol\":0.0,"
        L"\"primary_diameter_min_tol\":0.0,\"primary_depth\":0.0,\"tip_angle_degrees\":0.0,"
        L"\"bottom_limit_extent_type\":\"unknown\",\"center\":[0.0,0.0,0.0],\"direction\":[0.0,0.0,0.0]";
    EXPECT_EQ(toText(ExcMfgSimpleHole()), L"{" + base + L"}");

    ExcMfgCounterSinkHole sink;
    sink.setTaperAngle(90.0);
    EXPECT_EQ(toText(sink),
              L"{" + base + L",\"diameter\":0.0,\"max_tol\":0.0,\"min_tol\":0.0,\"angle\":90.0}");
    ExcMfgTaperHole taper;
    taper.setAngle(2.5);
    EXPECT_EQ(toText(taper), L"{" + base + L",\"angle\":2.5}");

    ExcMfgCounterDrillHole drill;
    trx::test::fillHole(drill, L"d");
    drill.setDiameter(8);
    drill.setMaximumTolerance(0.1);
    drill.setMinimumTolerance(-0.1);
    drill.setDepth(2);
    drill.setSinkDiameter(9);
    drill.setTaperAngle(82);
    const std::wstring text = toText(drill);
    EXPECT_NE(text.find(L"\"direction\":[0.0,0.0,-1.0],\"hole_thread\":{\"diameter\":6.0,"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"\"standart\":\"ISO 261\",\"min_tol\":-0.05,\"max_tol\":0.1}"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"\"depth\":2.0,\"sink_diameter\":9.0,\"angle\":82.0}"), std::wstring::npos);
    const auto back = roundTrip(drill);
    EXPECT_EQ(back, drill);
    ASSERT_TRUE(back.holeThread());
    EXPECT_NE(back.holeThread(), drill.holeThread());  // a fresh thread, equal by value

    auto thread = trx::test::sampleThread(6.0);
    EXPECT_EQ(roundTrip(*thread), *thread);
    EXPECT_NE(
        toText(*thread).find(L"\"designation_system_type\":\"american\",\"support_diameter\":4.5,"),
        std::wstring::npos);
}

TEST(MfgHoles, LenientReadingFallbacksAndErrors) {
    ExcMfgHoleThread t;
    t.setMinimalTolerance(0.5);
    parseInto(t, L"{\"orientation\":\"sideways\",\"designation_system_type\":\"klingon\","
                 L"\"bottom_type\":\"dimension\",\"min_tol\":0,\"max_tol\":1e-1,\"depth\":\"3.0\"}");
    EXPECT_EQ(t.orientation(), ExcMfgThreading::EOrientation::left_handed);
    EXPECT_EQ(t.designationSystemType(), ExcMfgThreading::EDesignationSystemType::american);
    EXPECT_EQ(t.minimalTolerance(), 0.5);  // integer literal: not a double
    EXPECT_EQ(t.maximalTolerance(), 0.1);
    EXPECT_EQ(t.depth(), 0.0);

    ExcMfgThread th;
    parseInto(th, L"{\"bottom_type\":\"deep\"}");
    EXPECT_EQ(th.bottomType(), ExcMfgThread::EBottomType::dimension);

    ExcMfgTaperHole h;
    h.setAngle(4.0);
    parseInto(h, L"{\"bottom_limit_extent_type\":\"bottomless\",\"angle\":7,\"primary_depth\":3.25,"
                 L"\"hole_thread\":{\"pitch\":0.75}}");
    EXPECT_EQ(h.bottomLimitExtentType(), ExcMfgHole::EBottomLimitExtentType::blind);
    EXPECT_EQ(h.angle(), 4.0);
    EXPECT_EQ(h.primaryDepth(), 3.25);
    ASSERT_TRUE(h.holeThread());
    EXPECT_EQ(h.holeThread()->pitch(), 0.75);

    LogCapture log;
    ExcMfgCounterBoreHole bore;
    bore.setDepth(1.5);
    parseInto(bore, L"[1.0]");
    EXPECT_EQ(bore.depth(), 1.5);
    ExcMfgSimpleHole simple;
    parseInto(simple, L"true");
    parseInto(t, L"\"x\"");
    EXPECT_TRUE(log.contains("[ERROR]   "));
    EXPECT_TRUE(log.contains("ExcMfgCounterBoreHole object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMfgHole object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMfgHoleThread object should have a JSON object type."));
    EXPECT_EQ(log.records(), 3);  // one record per refused value, not one per class level
}

TEST(MfgPatterns, TypeDispatch) {
    LogCapture log;
    auto p = patternFrom(L"{\"type\":\"rectangular\",\"primary_inst_count\":4}");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcMfgPatternRectangular>(p));
    EXPECT_EQ(std::static_pointer_cast<ExcMfgPatternRectangular>(p)->primaryInstanceCount(), 4);
    p = patternFrom(L"{\"type\":\"user_defined\",\"instance_positions\":[[1.0,2.0,3.0]]}");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcMfgPatternUserDefined>(p));
    EXPECT_EQ(std::static_pointer_cast<ExcMfgPatternUserDefined>(p)->instancePositions().size(), 1u);
    // A name not in the table reads as the name that sorts first: circular.
    p = patternFrom(L"{\"type\":\"hexagonal\",\"axial_inst_count\":6}");
    ASSERT_TRUE(std::dynamic_pointer_cast<ExcMfgPatternCircular>(p));
    EXPECT_EQ(p->type(), ExcMfgPattern::EType::circular);
    EXPECT_EQ(std::static_pointer_cast<ExcMfgPatternCircular>(p)->axialInstanceCount(), 6);
    EXPECT_EQ(log.records(), 0);

    EXPECT_FALSE(patternFrom(L"{\"type\":\"none\"}"));
    EXPECT_EQ(log.records(), 0);
    EXPECT_FALSE(patternFrom(L"{\"type\":\"unknown\"}"));
    EXPECT_TRUE(log.contains("ExcMfgPattern: unknown type."));
    EXPECT_FALSE(patternFrom(L"{\"type\":2}"));
    EXPECT_TRUE(log.contains("ExcMfgPattern should have a type."));
    EXPECT_FALSE(patternFrom(L"[]"));
    EXPECT_TRUE(log.contains("ExcMfgPattern object should have a JSON object type."));
    EXPECT_EQ(log.records(), 3);

    // Through a feature: "none" leaves no pattern, and none is written.
    ExcMfgFeatureUnclassified f;
    f.setPattern(trx::test::sampleCircular());
    parseInto(f, L"{\"pattern\":{\"type\":\"none\"}}");
    EXPECT_FALSE(f.pattern());
    EXPECT_EQ(toText(f), L"{\"id\":\"\",\"name\":\"\"}");

    for (std::shared_ptr<ExcMfgPattern> q :
         {std::shared_ptr<ExcMfgPattern>(trx::test::sampleRectangular()),
          std::shared_ptr<ExcMfgPattern>(trx::test::sampleCircular()),
          std::shared_ptr<ExcMfgPattern>(trx::test::sampleUserDefined())}) {
        auto back = patternFrom(toText(*q));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, *q);
    }
    EXPECT_FALSE(static_cast<const ExcMfgPattern&>(*trx::test::sampleRectangular()) ==
                 static_cast<const ExcMfgPattern&>(*trx::test::sampleCircular()));
}

TEST(MfgPatterns, InstancePairsAreCheckedItemByItem) {
    const auto rect = trx::test::sampleRectangular();
    EXPECT_NE(toText(*rect).find(L"\"simplified\":true,\"visible_instances\":[[0,1],[2,1]],"
                                 L"\"deactivated_instances\":[[1,0]]}"),
              std::wstring::npos);
    EXPECT_EQ(toText(*rect).rfind(L"{\"type\":\"rectangular\",\"anchor_point\":[1.0,1.0,0.0],", 0), 0u);

    LogCapture log;
    ExcMfgPatternRectangular r;
    parseInto(r, L"{\"visible_instances\":[[1,2],[3],[4,5.5],[6,7,8]],"
                 L"\"deactivated_instances\":[5,[9,\"x\"]]}");
    using P = ExcMfgPattern::InstanceIndex;
    EXPECT_EQ(r.visibleInstances(), (std::vector<P>{{1, 2}, {4, -1}, {6, 7}}));
    EXPECT_EQ(r.deactivatedInstances(), (std::vector<P>{{9, -1}}));
    EXPECT_TRUE(log.contains("[WARNING] "));
    EXPECT_TRUE(
        log.contains("ExcMfgPatternRectangular: invalid size of visible_instances array item (pair)."));
    EXPECT_TRUE(log.contains(
        "ExcMfgPatternRectangular: invalid size of deactivated instances array item (pair)."));
    EXPECT_EQ(log.records(), 2);

    ExcMfgPatternCircular c;
    parseInto(c, L"{\"visible_instances\":[[]],\"deactivated_instances\":[[1]],\"radial_dist\":3,"
                 L"\"axial_dist_degrees\":45.0,\"visible_instances\":7}");
    EXPECT_TRUE(c.visibleInstances().empty());
    EXPECT_EQ(c.radialDistance(), 0.0);
    EXPECT_EQ(c.axialDistanceDegrees(), 45.0);
    EXPECT_TRUE(
        log.contains("ExcMfgPatternCircular: invalid size of visible_instances array item (pair)."));
    EXPECT_TRUE(
        log.contains("ExcMfgPatternCircular: invalid size of deactivated_instances array item (pair)."));
}

TEST(MfgFeatures, HoleFeaturesCarryIdNameLinksAndPattern) {
    ExcMfgFeatureCounterBoreHole f;
    EXPECT_EQ(toText(f), L"{\"id\":\"\",\"name\":\"\",\"limiting\":[],\"defining\":[]}");

    auto hole = std::make_shared<ExcMfgCounterBoreHole>();
    hole->setDepth(4.0);
    f.setHoleData(hole);
    trx::test::fillFeature(f, L"h7", trx::test::sampleRectangular());
    f.addLimitingGeometry(trx::test::faceEntity(1));
    const std::wstring text = toText(f);
    EXPECT_EQ(text.rfind(L"{\"id\":\"h7\",\"linked_elements\":[{\"type\":\"mfg\",\"id\":\"h7-link\"}],"
                         L"\"name\":\"feature h7\",\"pattern\":{\"type\":\"rectangular\",",
                         0),
              0u);
    EXPECT_NE(text.find(L"],\"defining\":[],\"hole_data\":{\"name\":\"\","), std::wstring::npos);

    const auto back = roundTrip(f);
    EXPECT_EQ(back, f);
    EXPECT_EQ(back.id(), L"h7");
    EXPECT_EQ(back.name(), L"feature h7");
    ASSERT_EQ(back.linkedElements().size(), 1u);
    ASSERT_TRUE(back.pattern());
    EXPECT_EQ(back.pattern()->type(), ExcMfgPattern::EType::rectangular);

    // A peer's hole without the feature keys still reads.
    ExcMfgFeatureSimpleHole old;
    parseInto(old, L"{\"limiting\":[{\"type\":\"mfg\",\"id\":\"a\"}],\"defining\":[],"
                   L"\"hole_data\":{\"primary_diameter\":3.0}}");
    EXPECT_EQ(old.id(), L"");
    EXPECT_EQ(old.limitingGeometry().size(), 1u);
    ASSERT_TRUE(old.holeData());
    EXPECT_EQ(old.holeData()->primaryDiameter(), 3.0);
}

TEST(MfgFeatures, NullRefusalsAndNonObjects) {
    LogCapture log;
    ExcMfgFeatureExternalThread t;
    t.addSideFace(nullptr);
    t.addTopFace(nullptr);
    t.addBottomFace(nullptr);
    t.addLinkedElement(nullptr);
    ExcMfgFeatureTaperHole h;
    h.addLimitingGeometry(nullptr);
    h.addDefiningGeometry(nullptr);
    ExcMfgPattern::Instance i;
    i.addLimiting(nullptr);
    i.addDefining(nullptr);
    ExcMfgData d;
    d.addExternalThread(nullptr);
    d.addCounterDrillHole(nullptr);
    EXPECT_EQ(toText(t),
              L"{\"id\":\"\",\"name\":\"\",\"side_faces\":[],\"top_faces\":[],\"bottom_faces\":[]}");
    EXPECT_TRUE(h.limitingGeometry().empty() && i.limitng().empty() && d.externalThreads().empty());
    for (const char* text : {"ExcMfgFeatureThread: attempt to add null Side Face Entity object.",
                             "ExcMfgFeatureThread: attempt to add null Top Face Entity object.",
                             "ExcMfgFeatureThread: attempt to add null Bottom Face Entity object.",
                             "ExcMfgObject: attempt to add null Linked Element object.",
                             "ExcMfgFeatureHole: attempt to add null Limiting Geometry Entity object.",
                             "ExcMfgFeatureHole: attempt to add null Defining Geometry Entity object.",
                             "ExcMfgPattern::Instance: attempt to add null Limiting Entity object.",
                             "ExcMfgPattern::Instance: attempt to add null Defining Entity object.",
                             "ExcMfgData: attempt to add null External thread object.",
                             "ExcMfgData: attempt to add null Counter Drill Hole object."})
        EXPECT_TRUE(log.contains(std::string("[WARNING] ")) && log.contains(text)) << text;
    EXPECT_EQ(log.records(), 10);

    parseInto(h, L"5");
    parseInto(t, L"null");
    parseInto(d, L"[]");
    EXPECT_TRUE(log.contains("ExcMfgFeatureHoleType object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMfgFeatureThread object should have a JSON object type."));
    EXPECT_TRUE(log.contains("ExcMfgData object should have a JSON object type."));
    EXPECT_EQ(log.records(), 13);
}

TEST(MfgData, EmptyFormAndFullRoundTrip) {
    EXPECT_EQ(toText(ExcMfgData()),
              L"{\"has_data\":false,\"simple_holes\":[],\"taper_holes\":[],\"counter_bore_holes\":[],"
              L"\"counter_sink_holes\":[],\"counter_drill_holes\":[],\"internal_threads\":[],"
              L"\"external_threads\":[],\"unclassified_features\":[]}");

    const auto data = trx::test::sampleMfgData();
    const ExcMfgData back = roundTrip(*data);
    EXPECT_EQ(back, *data);
    ASSERT_EQ(back.counterDrillHoles().size(), 1u);
    EXPECT_EQ(back.counterDrillHoles()[0]->holeData()->sinkDiameter(), 11.0);
    ASSERT_EQ(back.externalThreads().size(), 1u);
    EXPECT_EQ(back.externalThreads()[0]->thread()->bottomType(),
              ExcMfgThread::EBottomType::support_up_to_plane);
    EXPECT_EQ(back.taperHoles()[0]->pattern()->type(), ExcMfgPattern::EType::circular);

    // Equality is deep: one value changed far down tells two records apart.
    auto other = trx::test::sampleMfgData();
    EXPECT_EQ(*other, *data);
    other->simpleHoles()[0]->holeData()->holeThread()->setPitch(2.0);
    EXPECT_NE(*other, *data);
    other = trx::test::sampleMfgData();
    std::static_pointer_cast<ExcMfgPatternRectangular>(other->counterSinkHoles()[0]->pattern())
        ->addDeactivatedInstance({2, 2});
    EXPECT_NE(*other, *data);

    // Items of a feature list that are not objects still give (default) features.
    LogCapture log;
    ExcMfgData lenient;
    parseInto(lenient, L"{\"has_data\":1,\"internal_threads\":[1,{}],\"taper_holes\":{}}");
    EXPECT_FALSE(lenient.hasData());
    EXPECT_EQ(lenient.internalThreads().size(), 2u);
    EXPECT_TRUE(lenient.taperHoles().empty());
    EXPECT_TRUE(log.contains("ExcMfgFeatureThread object should have a JSON object type."));
}
