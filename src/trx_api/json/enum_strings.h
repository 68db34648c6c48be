#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "json_object.h"

namespace trx {

// Enumerations travel as their names. An unknown value writes the name of the smallest
// value in the table; an unknown name reads as the value whose name sorts first.
template <class E> TRX_API const std::wstring& enumToString(E value);
template <class E> TRX_API E enumFromString(const std::wstring& name);
template <class E> TRX_API E enumFromString(const wchar_t* name, std::size_t length);

enum class ELengthUnitType : int {
    unknown = 0, model_unit = 1, nanometer = 2, micrometer = 3, millimeter = 4, centimeter = 5,
    decimeter = 6, meter = 7, inch = 8, foot = 9, mile = 10, kilometer = 11, milliinch = 12,
    microinch = 13
};
enum class EMassUnitType : int {
    unknown = 0, model_unit = 1, centigram = 3, decigram = 4, gram = 5, kilogram = 6,
    poind_mass = 7, tonne = 8, slug = 9, lbfsec2_in = 10
};
enum class ETimeUnitType : int {
    unknown = 0, model_unit = 1, nanosecond = 2, microsecond = 3, millisecond = 4, second = 5,
    minute = 6, hour = 7
};
enum class ETemperatureUnitType : int {
    unknown = 0, model_unit = 1, fahrenheit = 2, celsius = 3, kelvin = 4
};
enum class EWorldOrientation : int { unknown = 0, up_x = 1, up_y = 2, up_z = 3 };

// The factor that turns a length in `from` into a length in `to`.
TRX_API double unitsScale(ELengthUnitType from, ELengthUnitType to);

// A unit with a whole-number dimension (material properties hold one per unit kind).
template <class E>
class TRX_API ExcUnitComponent : public IJsonObject {
public:
    ExcUnitComponent() = default;
    ExcUnitComponent(std::int32_t dimension, E units) : m_dimension(dimension), m_units(units) {}

    std::int32_t dimension() const { return m_dimension; }
    void setDimension(std::int32_t dimension) { m_dimension = dimension; }
    E units() const { return m_units; }
    void setUnits(E units) { m_units = units; }

    TRX_JSON_RECORD(ExcUnitComponent);

private:
    std::int32_t m_dimension = 0;
    E m_units = E{};
};

}  // namespace trx
