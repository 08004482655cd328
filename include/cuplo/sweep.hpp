// Sweeps: the points first + k*step for k = 0 to the last index, each computed afresh from
// its integer index (never by repeated addition) and stored as a 32-bit float. The last
// index is the integer part of (last - first)/step + 0.0001: a stop value that the steps
// reach within rounding is included.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace cuplo {

// The index of the last point; saturates at the 32-bit range, 0 for a quotient that is not a
// number. Negative (no point) when last lies below first.
inline std::int32_t sweep_last_index(float first, float last, float step) {
  const float x = (last - first) / step + 0.0001f;
  if (std::isnan(x)) return 0;
  if (x >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
  if (x <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

// Point k of a sweep.
inline float sweep_value(float first, std::int64_t k, float step) {
  return first + static_cast<float>(k) * step;
}

}  // namespace cuplo
