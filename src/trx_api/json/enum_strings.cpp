#include "enum_strings.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM_NAMES(ELengthUnitType,
    {ELengthUnitType::unknown, L"unknown"}, {ELengthUnitType::model_unit, L"model_unit"},
    {ELengthUnitType::nanometer, L"nanometer"}, {ELengthUnitType::micrometer, L"micrometer"},
    {ELengthUnitType::millimeter, L"millimeter"}, {ELengthUnitType::centimeter, L"centimeter"},
    {ELengthUnitType::decimeter, L"decimeter"}, {ELengthUnitType::meter, L"meter"},
    {ELengthUnitType::inch, L"inch"}, {ELengthUnitType::foot, L"foot"},
    {ELengthUnitType::mile, L"mile"}, {ELengthUnitType::kilometer, L"kilometer"},
    {ELengthUnitType::milliinch, L"milliinch"}, {ELengthUnitType::microinch, L"microinch"});

TRX_ENUM_NAMES(EMassUnitType,
    {EMassUnitType::unknown, L"unknown"}, {EMassUnitType::model_unit, L"model_unit"},
    {EMassUnitType::centigram, L"centigram"}, {EMassUnitType::decigram, L"decigram"},
    {EMassUnitType::gram, L"gram"}, {EMassUnitType::kilogram, L"kilogram"},
    {EMassUnitType::poind_mass, L"poind_mass"}, {EMassUnitType::tonne, L"tonne"},
    {EMassUnitType::slug, L"slug"}, {EMassUnitType::lbfsec2_in, L"lbfsec2_in"});

TRX_ENUM_NAMES(ETimeUnitType,
    {ETimeUnitType::unknown, L"unknown"}, {ETimeUnitType::model_unit, L"model_unit"},
    {ETimeUnitType::nanosecond, L"nanosecond"}, {ETimeUnitType::microsecond, L"microsecond"},
    {ETimeUnitType::millisecond, L"millisecond"}, {ETimeUnitType::second, L"second"},
    {ETimeUnitType::minute, L"minute"}, {ETimeUnitType::hour, L"hour"});

TRX_ENUM_NAMES(ETemperatureUnitType,
    {ETemperatureUnitType::unknown, L"unknown"}, {ETemperatureUnitType::model_unit, L"model_unit"},
    {ETemperatureUnitType::fahrenheit, L"fahrenheit"}, {ETemperatureUnitType::celsius, L"celsius"},
    {ETemperatureUnitType::kelvin, L"kelvin"});

TRX_ENUM_NAMES(EWorldOrientation,
    {EWorldOrientation::unknown, L"unknown"}, {EWorldOrientation::up_x, L"up_x"},
    {EWorldOrientation::up_y, L"up_y"}, {EWorldOrientation::up_z, L"up_z"});

namespace {

struct LengthUnit {
    bool metric;
    double scale;  // metres when metric, inches otherwise
};

LengthUnit lengthUnit(ELengthUnitType unit) {
    static const LengthUnit units[] = {
        {false, 1},   {false, 1},   {true, 1e-9}, {true, 1e-6},  {true, 0.001},
        {true, 0.01}, {true, 0.1},  {true, 1},    {false, 1},    {false, 12},
        {false, 63360}, {true, 1000}, {false, 0.001}, {false, 1e-6}};
    const auto i = static_cast<std::size_t>(unit);
    return i < sizeof(units) / sizeof(units[0]) ? units[i] : units[0];
}

}  // namespace

double unitsScale(ELengthUnitType from, ELengthUnitType to) {
    constexpr double kInchesPerMetre = 39.37007874015748;
    constexpr double kMetresPerInch = 0.0254;
    const LengthUnit f = lengthUnit(from), t = lengthUnit(to);
    const double ratio = f.scale / t.scale;
    if (f.metric == t.metric) return ratio;
    return f.metric ? ratio * kInchesPerMetre : ratio * kMetresPerInch;
}

template <class E>
void ExcUnitComponent<E>::readObject(const JsonValue& value) {
    TRX_TRACE();
    if (!json::isObjectOrLog(value, "ExcUnitComponent")) return;
    json::get(value, L"dimension", m_dimension);
    json::get(value, L"units", m_units);
}

template <class E>
void ExcUnitComponent<E>::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    value.SetObject();
    json::put(value, allocator, L"dimension", m_dimension);
    json::put(value, allocator, L"units", m_units);
}

template class ExcUnitComponent<ELengthUnitType>;
template class ExcUnitComponent<EMassUnitType>;
template class ExcUnitComponent<ETimeUnitType>;
template class ExcUnitComponent<ETemperatureUnitType>;

}  // namespace trx
