#include "enum_strings.h"

#include "../detail/enum_table.h"
#include "../detail/fields.h"

namespace trx {

TRX_ENUM(ELengthUnitType, unknown, model_unit, nanometer, micrometer, millimeter, centimeter,
    decimeter, meter, inch, foot, mile, kilometer, milliinch, microinch);

TRX_ENUM(EMassUnitType, unknown, model_unit, centigram, decigram, gram, kilogram, poind_mass,
    tonne, slug, lbfsec2_in);

TRX_ENUM(ETimeUnitType, unknown, model_unit, nanosecond, microsecond, millisecond, second, minute,
    hour);

TRX_ENUM(ETemperatureUnitType, unknown, model_unit, fahrenheit, celsius, kelvin);

TRX_ENUM(EWorldOrientation, unknown, up_x, up_y, up_z);

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

// A class template: TRX_FIELDS takes only plain classes, so its functions are spelt out.
template <class E>
template <class Self, class F>
void ExcUnitComponent<E>::fields(Self& s, F&& f) {
    f(L"dimension", s.m_dimension);
    f(L"units", s.m_units);
}

template <class E>
void ExcUnitComponent<E>::readObject(const JsonValue& value) {
    TRX_TRACE();
    json::readRecord<IJsonObject>(*this, value, "ExcUnitComponent", TRX_FIELDS_LIST_);
}

template <class E>
void ExcUnitComponent<E>::writeObject(JsonValue& value, JsonAllocator& allocator) const {
    TRX_TRACE();
    json::writeRecord<IJsonObject>(*this, value, allocator, TRX_FIELDS_LIST_);
}

template <class E>
void ExcUnitComponent<E>::writeBinary(detail::BinaryWriter& out) const {
    json::writeRecordBinary<IJsonObject>(*this, out, TRX_FIELDS_LIST_);
}

template <class E>
void ExcUnitComponent<E>::writeBinaryMembers(detail::BinaryWriter& out) const {
    json::writeMembersBinary<IJsonObject>(*this, out, TRX_FIELDS_LIST_);
}

template <class E>
void ExcUnitComponent<E>::readBinary(detail::BinaryReader& in) {
    json::readRecordBinary<IJsonObject>(*this, in, TRX_FIELDS_LIST_);
}

template <class E>
bool ExcUnitComponent<E>::readBinaryMember(detail::BinaryReader& in, json::TakenKeys& taken) {
    return json::readMemberBinary<IJsonObject>(*this, in, taken, TRX_FIELDS_LIST_);
}

template <class E>
bool ExcUnitComponent<E>::readsMembersStraight() {
    return true;
}

template <class E>
bool ExcUnitComponent<E>::operator==(const ExcUnitComponent& o) const {
    return json::sameFields(*this, o, TRX_FIELDS_LIST_);
}

template class ExcUnitComponent<ELengthUnitType>;
template class ExcUnitComponent<EMassUnitType>;
template class ExcUnitComponent<ETimeUnitType>;
template class ExcUnitComponent<ETemperatureUnitType>;

}  // namespace trx
