#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "log/logger.h"
#include "trx_api/json/enum_strings.h"
#include "trx_api/json/json_object.h"

using namespace trx;
using trx::test::compact;
using trx::test::parse;

namespace {


}  // namespace

TEST(EnumStrings, UnknownNamesAndValuesFallBack) {
    // Exact, case-sensitive lookup; an unknown name gives the value whose name sorts first.
    EXPECT_EQ(enumFromString<ELengthUnitType>(L"millimeter"), ELengthUnitType::millimeter);
    EXPECT_EQ(enumFromString<ELengthUnitType>(L"Millimeter"), ELengthUnitType::centimeter);
    EXPECT_EQ(enumFromString<ELengthUnitType>(L" meter"), ELengthUnitType::centimeter);
    EXPECT_EQ(enumFromString<EMassUnitType>(L"pound_mass"), EMassUnitType::centigram);
    EXPECT_EQ(enumFromString<ETimeUnitType>(L"seconds"), ETimeUnitType::hour);
    EXPECT_EQ(enumFromString<ETemperatureUnitType>(L"rankine"), ETemperatureUnitType::celsius);
    EXPECT_EQ(enumFromString<EWorldOrientation>(L""), EWorldOrientation::unknown);

    // An unknown value writes the name of the smallest value; EMassUnitType has no 2.
    EXPECT_EQ(enumToString(static_cast<EMassUnitType>(2)), L"unknown");
    EXPECT_EQ(enumToString(static_cast<ELengthUnitType>(99)), L"unknown");
    EXPECT_EQ(enumToString(EMassUnitType::poind_mass), L"poind_mass");
    EXPECT_EQ(enumFromString<EMassUnitType>(L"poind_mass"), EMassUnitType::poind_mass);

    // Every name reads back as its value; the returned reference stays put.
    for (int v = 0; v <= 13; ++v) {
        const auto unit = static_cast<ELengthUnitType>(v);
        EXPECT_EQ(enumFromString<ELengthUnitType>(enumToString(unit)), unit) << v;
    }
    const std::wstring& meter = enumToString(ELengthUnitType::meter);
    enumToString(ELengthUnitType::inch);
    enumFromString<ELengthUnitType>(L"inch");
    EXPECT_EQ(&meter, &enumToString(ELengthUnitType::meter));
    EXPECT_EQ(meter, L"meter");
}

TEST(Units, ScaleBetweenLengthUnits) {
    using U = ELengthUnitType;
    EXPECT_DOUBLE_EQ(unitsScale(U::inch, U::millimeter), 25.4);
    EXPECT_DOUBLE_EQ(unitsScale(U::millimeter, U::inch), 0.03937007874015748);
    EXPECT_DOUBLE_EQ(unitsScale(U::foot, U::inch), 12);
    EXPECT_DOUBLE_EQ(unitsScale(U::kilometer, U::meter), 1000);
    EXPECT_DOUBLE_EQ(unitsScale(U::model_unit, U::millimeter), 25.4);
    EXPECT_DOUBLE_EQ(unitsScale(U::unknown, U::inch), 1);
    EXPECT_DOUBLE_EQ(unitsScale(U::mile, U::foot), 5280);
    EXPECT_DOUBLE_EQ(unitsScale(U::micrometer, U::nanometer), 1000);
    EXPECT_DOUBLE_EQ(unitsScale(U::microinch, U::milliinch), 0.001);
    EXPECT_DOUBLE_EQ(unitsScale(U::meter, U::foot), 39.37007874015748 / 12);
    EXPECT_DOUBLE_EQ(unitsScale(U::decimeter, U::centimeter), 10);
    // Converting there and back is the identity for every pair.
    for (int a = 0; a <= 13; ++a)
        for (int b = 0; b <= 13; ++b)
            EXPECT_NEAR(unitsScale(U(a), U(b)) * unitsScale(U(b), U(a)), 1.0, 1e-12) << a << ' ' << b;
}

TEST(ExcUnitComponent, RoundTripAndLenientReading) {
    JsonDocument doc;
    ExcUnitComponent<ELengthUnitType>(-3, ELengthUnitType::meter).writeObject(doc, doc.GetAllocator());
    EXPECT_EQ(compact(doc), LR"({"dimension":-3,"units":"meter"})");
    ExcUnitComponent<ELengthUnitType> length;
    length.readObject(doc);
    EXPECT_EQ(length, ExcUnitComponent<ELengthUnitType>(-3, ELengthUnitType::meter));

    // A double is not a whole number; an unknown unit name takes the table's fallback.
    ExcUnitComponent<EMassUnitType> mass(5, EMassUnitType::kilogram);
    parse(doc, LR"({"dimension":2.0,"units":"stone"})");
    mass.readObject(doc);
    EXPECT_EQ(mass, ExcUnitComponent<EMassUnitType>(5, EMassUnitType::centigram));
    parse(doc, LR"({"dimension":"2","units":3})");
    mass.readObject(doc);
    EXPECT_EQ(mass, ExcUnitComponent<EMassUnitType>(5, EMassUnitType::centigram));

    ExcUnitComponent<ETimeUnitType> time;
    parse(doc, LR"({"units":"second"})");
    time.readObject(doc);
    EXPECT_EQ(time, ExcUnitComponent<ETimeUnitType>(0, ETimeUnitType::second));
    JsonDocument fresh;
    ExcUnitComponent<ETemperatureUnitType>().writeObject(fresh, fresh.GetAllocator());
    EXPECT_EQ(compact(fresh), LR"({"dimension":0,"units":"unknown"})");
}

TEST(ExcUnitComponent, NonObjectIsLoggedAndIgnored) {
    char dir[] = "/tmp/trx-units-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string log = std::string(dir) + "/units.log";
    vx_bridge::LoggerHolder::initLogger(vx_bridge::kError, log);

    ExcUnitComponent<ELengthUnitType> length(4, ELengthUnitType::inch);
    JsonDocument doc;
    parse(doc, L"[4, \"inch\"]");
    length.readObject(doc);
    EXPECT_EQ(length, ExcUnitComponent<ELengthUnitType>(4, ELengthUnitType::inch));

    vx_bridge::LoggerHolder::initLogger(1, std::string(dir) + "/missing/off.log");  // logging off again
    std::ifstream in(log);
    std::string line, last;
    while (std::getline(in, line)) last = line;
    EXPECT_EQ(last.rfind("[ERROR]   ", 0), 0u) << last;
    EXPECT_NE(last.find("] ExcUnitComponent object should have a JSON object type."), std::string::npos) << last;
    std::remove(log.c_str());
    rmdir(dir);
}
