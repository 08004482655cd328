// Float-to-integer conversions. Every conversion in the program goes through one of these:
// they saturate at the 32-bit range and give 0 for a value that is not a number, so no input
// can reach the undefined behaviour of an out-of-range cast.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace cuplo::models {

// Truncation toward zero (Fortran INT).
inline std::int32_t int_trunc(float x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
  if (x <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

// Nearest integer, halves away from zero (Fortran NINT).
inline std::int32_t nint(float x) {
  if (std::isnan(x)) return 0;
  return int_trunc(std::round(x));
}

}  // namespace cuplo::models
