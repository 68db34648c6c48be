#pragma once

// Length units of the ordinary option sets and the drawing-unit codes of the legacy ones.

#include "trx_api/json/enum_strings.h"

namespace trx::tools {

// ELengthUnitType::unknown when the drawing code has no length unit of its own here
// (yards, angstroms, light years, ...).
ELengthUnitType unitOfDrawingCode(int code);
// 0 ("undefined") when the unit has no drawing code.
int drawingCodeOf(ELengthUnitType unit);

// How many millimetres one unit is; 0 for unknown and the model's own unit.
double millimetresPer(ELengthUnitType unit);
// The unit that is this many millimetres; unknown when none is.
ELengthUnitType lengthUnitOf(double mm);
// "mm", "in", "m", ...; empty for unknown and the model's own unit.
const char* shortName(ELengthUnitType unit);

}  // namespace trx::tools
