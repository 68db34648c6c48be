#include "units.h"

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

}  // namespace

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
