#include "test_support.h"

#include "trx_api/trx_api_exchange_common.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

TEST(VectorsAndMatrices, JsonFormsAndLenientReading) {
    EXPECT_EQ(toText(ExcVector2d(1, 2.5)), L"[1.0,2.5]");
    EXPECT_EQ(toText(ExcMatrix3d()), L"[[1.0,0.0,0.0],[0.0,1.0,0.0],[0.0,0.0,1.0]]");
    ExcTransformation t;
    t.translation().set(1, 2, 3);
    t.affine()[1].set(0, 0, -1);
    EXPECT_EQ(toText(t), L"{\"affine\":[[1.0,0.0,0.0],[0.0,0.0,-1.0],[0.0,0.0,1.0]],\"translation\":[1.0,2.0,3.0]}");
    EXPECT_EQ(roundTrip(t), t);

    ExcVector3d v(7, 8, 9);
    parseInto(v, L"[1.0, 2, 3.0]");  // the integer stops the reading
    EXPECT_EQ(v, ExcVector3d(1, 8, 9));
    parseInto(v, L"[4.0]");
    EXPECT_EQ(v, ExcVector3d(4, 8, 9));
    {
        LogCapture log;
        parseInto(v, L"{\"x\":1.0}");
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("Exchange vector/point (2D/3D) object should have a JSON array type."));
    }
    EXPECT_EQ(v, ExcVector3d(4, 8, 9));

    ExcMatrix3d m;
    parseInto(m, L"[[1.0,2.0,3.0],5,[7.0,8.0,9.0]]");
    EXPECT_EQ(m[0], ExcVector3d(1, 2, 3));
    EXPECT_EQ(m[2], ExcVector3d(0, 0, 1));

    EXPECT_THROW(ExcMatrix3d().row(3), std::invalid_argument);
    try {
        ExcVector2d()[2];
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "out of range");
    }
}

TEST(Colour, NullFormFlagsAndChannels) {
    EXPECT_EQ(toText(ExcColor()), L"null");
    EXPECT_EQ(toText(ExcColor(10, 20, 30)), L"{\"rgb\":[10,20,30]}");
    EXPECT_EQ(toText(ExcColor(10, 20, 30, 40)), L"{\"rgb\":[10,20,30],\"alpha\":40}");
    EXPECT_EQ(roundTrip(ExcColor(10, 20, 30, 40)), ExcColor(10, 20, 30, 40));
    EXPECT_EQ(roundTrip(ExcColor()), ExcColor());

    ExcColor c(1, 1, 1, 1);
    parseInto(c, L"null");
    EXPECT_FALSE(c.hasRGB());
    EXPECT_FALSE(c.hasAlpha());

    ExcColor a;
    parseInto(a, L"{\"alpha\": 128}");
    EXPECT_FALSE(a.hasRGB());
    EXPECT_TRUE(a.hasAlpha());
    EXPECT_EQ(a[ExcColor::alpha], 128);

    ExcColor n(0, 5, 6);
    parseInto(n, L"{\"rgb\": [1, -2, 3], \"alpha\": 65537}");
    EXPECT_TRUE(n.hasRGB());
    EXPECT_EQ(n[ExcColor::red], 1);
    EXPECT_EQ(n[ExcColor::green], 5);
    EXPECT_EQ(n[ExcColor::blue], 6);
    EXPECT_EQ(n[ExcColor::alpha], 1);  // kept to 16 bits
}

TEST(MiscData, GroupsPropertiesAndBothForms) {
    auto g = std::make_shared<ExcMiscPropertiesGroup>();
    g->setName(L"G\u00e9");
    g->setBim(true);
    g->addProperty(ExcMiscProperty(L"width", ExcMiscProperty::EType::double_, L"1.5"));
    g->addProperty(ExcMiscProperty(L"width", ExcMiscProperty::EType::string, L"second"));
    g->addProperty(ExcMiscProperty(L"\U0001F600", ExcMiscProperty::EType::date_time, L"2026"));
    ASSERT_EQ(g->properties().size(), 2u);
    EXPECT_EQ(g->properties().begin()->value(), L"1.5");
    ExcMiscData data;
    data.addGroup(g);
    EXPECT_EQ(roundTrip(data), data);
    EXPECT_EQ(toText(*g).substr(0, 50), L"{\"name\":\"G\u00e9\",\"is_bim\":true,\"properties\":[{\"name\":\"");

    ExcMiscData flat;
    parseInto(flat, L"[{\"name\":\"a\",\"type\":\"string\",\"value\":\"x\"},{\"name\":\"b\",\"type\":\"text\",\"value\":\"y\"}]");
    ASSERT_EQ(flat.groups().size(), 1u);
    const auto& group = **flat.groups().begin();
    EXPECT_EQ(group.name(), L"");
    ASSERT_EQ(group.properties().size(), 2u);
    EXPECT_EQ(std::next(group.properties().begin())->type(), ExcMiscProperty::EType::boolean);

    {
        LogCapture log;
        ExcMiscData dup;
        parseInto(dup, L"[{\"name\":\"G1\",\"properties\":[]},{\"name\":\"G1\",\"is_bim\":true}]");
        ASSERT_EQ(dup.groups().size(), 1u);
        EXPECT_FALSE((*dup.groups().begin())->isBim());
        EXPECT_TRUE(log.contains("ExcMiscData::addGroup: properties group 'G1' already exist, some properties can be lost."));
        dup.addGroup(nullptr);
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcMiscData::addGroup: attempt to add null group"));

        ExcMiscData none;
        parseInto(none, L"[5, {\"name\":\"x\"}]");
        EXPECT_TRUE(none.isEmpty());
        ExcMiscPropertiesGroup partial;
        parseInto(partial, L"{\"name\":\"g\",\"properties\":[{\"name\":\"a\",\"type\":\"integer\",\"value\":\"3\"},7]}");
        EXPECT_TRUE(log.contains("ExcMiscProperty::readObject: input JsonValue is not an object"));
        // The element 7 leaves a default property, which the set keeps under the empty name.
        EXPECT_EQ(partial.properties().count(ExcMiscProperty(L"a", {}, L"")), 1u);
    }
}

TEST(Entities, PathsAndTypedReferences) {
    EXPECT_EQ(toText(ExcFullSubentPath()), L"{\"subent_id\":0,\"subent_type\":\"b\"}");
    ExcFullSubentPath p(18446744073709551615ull);
    p.refs() = {L"r1", L"r\U0001F600"};
    p.setSubentType(ExcFullSubentPath::ESubentType::face);
    p.setVisuId(L"v");
    p.setInstancePath(true);
    EXPECT_EQ(roundTrip(p), p);

    ExcFullSubentPath q(5);
    parseInto(q, L"{\"subent_id\":-1,\"subent_type\":\"x\",\"block_references\":[\"a\",3,\"b\"]}");
    EXPECT_EQ(q.subentId(), 5u);  // a negative id is not an unsigned 64-bit number
    EXPECT_EQ(q.subentType(), ExcFullSubentPath::ESubentType::body);
    EXPECT_EQ(q.refs(), (std::vector<std::wstring>{L"a", L"b"}));
    parseInto(q, L"{\"subent_id\":1.0,\"subent_type\":\"face\"}");
    EXPECT_EQ(q.subentId(), 5u);
    EXPECT_EQ(q.subentType(), ExcFullSubentPath::ESubentType::face);

    ExcEntity mfg;
    mfg.setType(ExcEntity::EType::mfg);
    mfg.setId(L"hole-1");
    mfg.setDescription(L"unused");
    EXPECT_EQ(toText(mfg), L"{\"type\":\"mfg\",\"id\":\"hole-1\"}");
    ExcEntity orig;
    orig.setType(ExcEntity::EType::original);
    orig.setId(L"42");
    orig.setDescription(L"\u4e2d");
    EXPECT_EQ(toText(orig), L"{\"type\":\"original\",\"description\":\"\u4e2d\",\"id\":\"42\"}");
    EXPECT_EQ(roundTrip(orig), orig);

    ExcEntity fsp;
    fsp.setType(ExcEntity::EType::fsp);
    EXPECT_EQ(toText(fsp), L"{\"type\":\"fsp\",\"fsp\":null}");
    EXPECT_EQ(roundTrip(fsp).fsp(), nullptr);  // null stays null
    fsp.setFsp(std::make_shared<ExcFullSubentPath>(p));
    EXPECT_EQ(roundTrip(fsp), fsp);

    ExcEntity unknownName;
    parseInto(unknownName, L"{\"type\":\"nope\"}");
    EXPECT_EQ(unknownName.type(), ExcEntity::EType::fsp);
    LogCapture log;
    parseInto(unknownName, L"[]");
    EXPECT_TRUE(log.contains("ExcEntity object should have a JSON object type."));
}
