#include "test_support.h"

#include <limits>

#include "trx_api/trx_api_exchange_messages.h"

using namespace trx;
using trx::test::LogCapture;
using trx::test::parseInto;
using trx::test::roundTrip;
using trx::test::toText;

TEST(Messages, RegistryGivesFreshDefaultObjects) {
    auto& registry = ExchangeObjectRegistry::instance();
    auto a = std::dynamic_pointer_cast<ExcMessage>(registry.get(L"exc_message"));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->get(), L"");
    EXPECT_NE(registry.get(L"exc_message"), registry.get(L"exc_message"));
    EXPECT_EQ(registry.get(L"no_such_object"), nullptr);

    // clone() makes a default object, it does not copy.
    ExcLog m(L"text");
    m.setSource(L"src");
    auto c = std::dynamic_pointer_cast<ExcLog>(m.clone());
    ASSERT_TRUE(c);
    EXPECT_EQ(c->get(), L"");
    EXPECT_EQ(c->source(), L"");
}

TEST(Messages, JsonFormsAndLenientReading) {
    EXPECT_EQ(toText(ExcLog(L"a")), L"{\"message\":\"a\"}");
    ExcMessage m(L"keep");
    {
        LogCapture log;
        parseInto(m, L"{\"message\":5}");
        parseInto(m, L"[\"x\"]");
        EXPECT_EQ(log.records(), 0);  // silently ignored
    }
    EXPECT_EQ(m.get(), L"keep");

    ExcProgress p;
    EXPECT_EQ(toText(p), L"{\"progress\":0,\"progress_max\":100,\"pulse\":false,\"stage\":\"\"}");
    parseInto(p, L"{\"progress\":5}");
    EXPECT_EQ(p.progress(), 5);
    EXPECT_EQ(p.progressMax(), 100);
    EXPECT_FALSE(p.pulse());
    EXPECT_EQ(p.stage(), L"");
    parseInto(p, L"{\"progress\":6.0,\"progress_max\":4294967295,\"pulse\":1,\"stage\":7}");
    EXPECT_EQ(p.progress(), 5);      // a double is not an integer
    EXPECT_EQ(p.progressMax(), 100); // does not fit 32 bits signed
    EXPECT_FALSE(p.pulse());

    ExcProgress q = p;
    q.setPulse(true);
    EXPECT_EQ(q, p);  // pulse does not take part in equality
}

TEST(Messages, StageTravelsAsBareString) {
    using S = ExcStageFinished::EStage;
    EXPECT_EQ(toText(ExcStageFinished(S::visualization)), L"\"visualization\"");
    EXPECT_EQ(toText(ExcStageFinished(static_cast<S>(42))), L"\"unknown\"");
    ExcStageFinished s(S::product_structure);
    parseInto(s, L"{\"stage\":\"visualization\"}");
    EXPECT_EQ(s.stage(), S::product_structure);  // not a string: unchanged
    parseInto(s, L"\"visu_and_mech\"");
    EXPECT_EQ(s.stage(), S::visu_and_mech);
    parseInto(s, L"\"no such stage\"");
    EXPECT_EQ(s.stage(), S::mechanical);  // the name that sorts first
}

TEST(LegacyMaps, InstanceNames) {
    LegacyComponentInstanceNames names;
    EXPECT_EQ(toText(names), L"[]");
    EXPECT_TRUE(roundTrip(names).map().empty());

    const std::uint64_t big = std::numeric_limits<std::uint64_t>::max() - 1;
    EXPECT_TRUE(names.addInstanceName(big, L"big"));
    EXPECT_TRUE(names.addInstanceName(3, L"first"));
    EXPECT_TRUE(names.addInstanceName(3, L"\u00e9\U0001F600"));  // replaces
    EXPECT_EQ(toText(names), L"[{\"component_handle\":3,\"component_name\":\"\u00e9\U0001F600\"},"
                             L"{\"component_handle\":18446744073709551614,\"component_name\":\"big\"}]");

    LegacyComponentInstanceNames read;
    read.addInstanceName(1, L"held");
    parseInto(read, L"[{\"component_handle\":9,\"component_name\":\"A\"},"
                    L"{\"component_handle\":9,\"component_name\":\"B\"},"
                    L"{\"component_handle\":-1,\"component_name\":\"neg\"},"
                    L"{\"component_handle\":2.0,\"component_name\":\"dbl\"},"
                    L"{\"component_handle\":4,\"component_name\":4},"
                    L"{\"component_handle\":5}, 7, null]");
    EXPECT_EQ(read.map(), (LegacyComponentInstanceNames::Map{{1, L"held"}, {9, L"B"}}));

    LegacyComponentInstanceNames other;
    other.addInstanceName(9, L"other");
    other.addInstanceName(10, L"ten");
    read.merge(other);
    EXPECT_EQ(read.map(), (LegacyComponentInstanceNames::Map{{1, L"held"}, {9, L"B"}, {10, L"ten"}}));

    try {
        parseInto(read, L"{\"component_handle\":1}");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "LegacyComponentInstanceNames::readObject(): Input json object is not an array");
    }
    EXPECT_EQ(read.map().size(), 3u);
}

TEST(LegacyMaps, Materials) {
    LegacyMaterialMap::Material steel;
    steel.hasMaterial = true;
    steel.name = L"St\u00e4hl";
    steel.density = 7.85;
    steel.thermalConductivity = 50.0;
    steel.specificHeat = 0.49;
    LegacyMaterialMap map;
    EXPECT_EQ(toText(map), L"[]");
    map.addMaterial(1ull << 63, steel);
    EXPECT_EQ(toText(map), L"[{\"component_handle\":9223372036854775808,\"component_material\":"
                           L"{\"has_material\":true,\"name\":\"St\u00e4hl\",\"density\":7.85,"
                           L"\"thermal_conductivity\":50.0,\"specific_heat\":0.49}}]");

    LegacyMaterialMap read;
    parseInto(read, L"[{\"component_handle\":1,\"component_material\":{\"density\":7}},"
                    L"{\"component_handle\":2,\"component_material\":{\"density\":7.0,\"name\":\"x\"}},"
                    L"{\"component_handle\":2,\"component_material\":{\"density\":9.0}},"
                    L"{\"component_handle\":3,\"component_material\":[]},"
                    L"{\"component_handle\":-4,\"component_material\":{}}]");
    ASSERT_EQ(read.map().size(), 2u);
    EXPECT_EQ(read.map().at(1).density, 0.0);  // an integer literal is not a double
    EXPECT_EQ(read.map().at(2).density, 7.0);  // the first material of a handle stays
    EXPECT_EQ(read.map().at(2).name, L"x");
    read.addMaterial(2, steel);  // but adding replaces
    EXPECT_EQ(read.map().at(2), steel);

    try {
        parseInto(read, L"5");
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "LegacyMaterialMap::readObject(): Input json object is not an array");
    }
}
