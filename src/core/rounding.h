// Rounding of fractional values to whole numbers, as the toolkit's conversions do it.
#pragma once

#include <cstdint>

namespace pw {

// Rounds to the nearest whole number; a value exactly halfway goes to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Infinities and NaN come back unchanged.
double RoundHalfEven(double value);

// RoundHalfEven, then clamped to the 32-bit range; NaN gives 0. Conversions of geometry must
// never fail, so a value beyond the range saturates instead of overflowing.
int32_t RoundToInt32(double value);

}  // namespace pw
