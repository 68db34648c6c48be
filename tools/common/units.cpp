#include "units.h"

#include <cmath>

namespace trx::tools {
namespace {

struct Pair {
    int code;
    ELengthUnitType unit;
};

// Drawing-unit codes of the legacy options that name one of our length units.
constexpr Pair kPairs[] = {
    {1, ELengthUnitType::inch},        {2, ELengthUnitType::foot},
    {3, ELengthUnitType::mile},        {4, ELengthUnitType::millimeter},
    {5, ELengthUnitType::centimeter},  {6, ELengthUnitType::meter},
    {7, ELengthUnitType::kilometer},   {8, ELengthUnitType::microinch},
    {9, ELengthUnitType::milliinch},   {12, ELengthUnitType::nanometer},
    {13, ELengthUnitType::micrometer}, {14, ELengthUnitType::decimeter},
};

struct Length {
    ELengthUnitType unit;
    double mm;
    const char* shortName;
};

constexpr Length kLengths[] = {
    {ELengthUnitType::nanometer, 1e-6, "nm"},   {ELengthUnitType::micrometer, 1e-3, "um"},
    {ELengthUnitType::millimeter, 1, "mm"},     {ELengthUnitType::centimeter, 10, "cm"},
    {ELengthUnitType::decimeter, 100, "dm"},    {ELengthUnitType::meter, 1000, "m"},
    {ELengthUnitType::inch, 25.4, "in"},        {ELengthUnitType::foot, 304.8, "ft"},
    {ELengthUnitType::mile, 1609344, "mi"},     {ELengthUnitType::kilometer, 1e6, "km"},
    {ELengthUnitType::milliinch, 0.0254, "mil"}, {ELengthUnitType::microinch, 2.54e-5, "uin"},
};

const Length* lengthOf(ELengthUnitType unit) {
    for (const Length& l : kLengths)
        if (l.unit == unit) return &l;
    return nullptr;
}

}  // namespace

double millimetresPer(ELengthUnitType unit) {
    const Length* l = lengthOf(unit);
    return l ? l->mm : 0;
}

ELengthUnitType lengthUnitOf(double mm) {
    for (const Length& l : kLengths)
        if (std::abs(mm - l.mm) <= 1e-9 * l.mm) return l.unit;
    return ELengthUnitType::unknown;
}

const char* shortName(ELengthUnitType unit) {
    const Length* l = lengthOf(unit);
    return l ? l->shortName : "";
}

ELengthUnitType unitOfDrawingCode(int code) {
    for (const Pair& p : kPairs)
        if (p.code == code) return p.unit;
    return ELengthUnitType::unknown;
}

int drawingCodeOf(ELengthUnitType unit) {
    for (const Pair& p : kPairs)
        if (p.unit == unit) return p.code;
    return 0;
}

}  // namespace trx::tools
