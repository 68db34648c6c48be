#include "test_support.h"

#include "trx_api/json/enum_strings.h"
#include "trx_api/trx_api_exchange_mechanical_common.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

namespace {

std::shared_ptr<ExcEntity> mfgEntity(const std::wstring& id) {
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::mfg);
    e->setId(id);
    return e;
}

std::shared_ptr<ExcEntity> originalEntity(const std::wstring& id) {
    auto e = std::make_shared<ExcEntity>();
    e->setType(ExcEntity::EType::original);
    e->setId(id);
    e->setDescription(L"face of " + id);
    return e;
}

}  // namespace

TEST(TopologicalEntityInformation, KeysDefaultsAndLenientReading) {
    ExcTopologicalEntityInformation info;
    EXPECT_EQ(toText(info), L"{\"name\":\"\",\"hidden\":false,\"line_type\":\"unknown\",\"line_thickness\":0.0}");

    info.setEntity(mfgEntity(L"m1"));
    info.addPersistentName(L"pn:1");
    info.addPersistentName(L"pn:\u00e9");
    info.setName(L"Edge 7");
    info.setHidden(true);
    info.setLineType(ELineType::medium_dash_short_dash_short_dash);
    info.setLineThickness(0.35);
    EXPECT_EQ(toText(info),
              L"{\"entity\":{\"type\":\"mfg\",\"id\":\"m1\"},\"pnames\":[\"pn:1\",\"pn:\u00e9\"],"
              L"\"name\":\"Edge 7\",\"hidden\":true,\"line_type\":\"medium_dash_short_dash_short_dash\","
              L"\"line_thickness\":0.35}");
    const auto copy = roundTrip(info);
    EXPECT_EQ(copy, info);
    EXPECT_NE(copy.entity(), info.entity());  // a fresh entity, equal by value

    ExcTopologicalEntityInformation r;
    parseInto(r, L"{\"pnames\":[\"a\", 3, \"b\"], \"line_thickness\": 2, \"line_type\": \"no such\", "
                 L"\"hidden\": 1, \"name\": 5}");
    EXPECT_EQ(r.persistentNames(), (std::vector<std::wstring>{L"a", L"b"}));
    EXPECT_EQ(r.lineThickness(), 0.0);  // an integer literal is not a double
    EXPECT_EQ(r.lineType(), ELineType::curve_batting);
    EXPECT_FALSE(r.isHidden());
    EXPECT_EQ(r.name(), L"");
    parseInto(r, L"{\"line_thickness\": 2.0, \"line_type\": \"tracks\"}");
    EXPECT_EQ(r.lineThickness(), 2.0);
    EXPECT_EQ(r.lineType(), ELineType::tracks);

    EXPECT_EQ(enumToString(static_cast<ELineType>(99)), L"unknown");
}

TEST(EntityData, BareArrayItemsAndRefusals) {
    ExcEntityData data;
    EXPECT_EQ(toText(data), L"[]");
    {
        LogCapture log;
        data.addData(nullptr);
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcEntityData: attempt to add null Topological Entity Information Data object."));
    }
    EXPECT_TRUE(data.data().empty());

    auto a = std::make_shared<ExcTopologicalEntityInformation>();
    a->setName(L"a");
    a->setEntity(mfgEntity(L"1"));
    auto b = std::make_shared<ExcTopologicalEntityInformation>();
    b->setLineType(ELineType::dash_dot);
    data.addData(a);
    data.addData(b);
    EXPECT_EQ(roundTrip(data), data);

    ExcEntityData r;
    {
        LogCapture log;
        parseInto(r, L"[{\"name\":\"x\"}, \"junk\"]");
        EXPECT_TRUE(log.contains("ExcTopologicalEntityInformation object should have a JSON object type."));
    }
    ASSERT_EQ(r.data().size(), 2u);  // the wrong item still counts, as a default record
    EXPECT_EQ(r.data()[0]->name(), L"x");
    EXPECT_EQ(*r.data()[1], ExcTopologicalEntityInformation());
    {
        LogCapture log;
        parseInto(r, L"{\"data\": []}");
        EXPECT_TRUE(log.contains("[ERROR]   "));
        EXPECT_TRUE(log.contains("ExcEntityData object should have a JSON array type."));
    }
    EXPECT_EQ(r.data().size(), 2u);
}

TEST(MappingData, PairsRefusalsAndWrongItems) {
    ExcMappingData m;
    {
        LogCapture log;
        m.add(mfgEntity(L"1"), nullptr);
        m.add(nullptr, originalEntity(L"o"));
        EXPECT_EQ(log.records(), 2);
        EXPECT_TRUE(log.contains(
            "ExcMappingData: attempt to add null Entity object or null Original Entity object."));
    }
    EXPECT_TRUE(m.mapping().empty());

    m.add(mfgEntity(L"1"), originalEntity(L"F12"));
    m.add(mfgEntity(L"2"), originalEntity(L"F13"));
    EXPECT_EQ(toText(m),
              L"[{\"imported\":{\"type\":\"mfg\",\"id\":\"1\"},"
              L"\"original\":{\"type\":\"original\",\"description\":\"face of F12\",\"id\":\"F12\"}},"
              L"{\"imported\":{\"type\":\"mfg\",\"id\":\"2\"},"
              L"\"original\":{\"type\":\"original\",\"description\":\"face of F13\",\"id\":\"F13\"}}]");
    EXPECT_EQ(roundTrip(m), m);

    ExcMappingData r;
    {
        LogCapture log;
        parseInto(r, L"[\"skip me\", {}, {\"original\": {\"type\":\"mfg\",\"id\":\"7\"}}]");
        EXPECT_TRUE(log.contains("[WARNING] "));
        EXPECT_TRUE(log.contains("ExcMappingData JSON array should have objects as items."));
    }
    ASSERT_EQ(r.mapping().size(), 2u);
    EXPECT_FALSE(r.mapping()[0].first);
    EXPECT_FALSE(r.mapping()[0].second);
    EXPECT_FALSE(r.mapping()[1].first);
    EXPECT_EQ(*r.mapping()[1].second, *mfgEntity(L"7"));
    // A read pair with a null member writes only what it has, and reads back the same.
    EXPECT_EQ(toText(r), L"[{},{\"original\":{\"type\":\"mfg\",\"id\":\"7\"}}]");
    EXPECT_EQ(roundTrip(r), r);
    {
        LogCapture log;
        parseInto(r, L"{}");
        EXPECT_TRUE(log.contains("ExcMappingData object should have a JSON array type."));
    }
    EXPECT_EQ(r.mapping().size(), 2u);
}
