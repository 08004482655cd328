// Values typed on the command line: a number with an optional unit, converted to the units of
// the library (inches, GHz, ohms, dB), and sweeps START:STOP:STEP with the console's point
// rule. Anything that cannot be read is a UsageError that names the option and the text.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cuplo/sweep.hpp"

namespace cuplo::calc {

// Bad input or usage: the message already names the option, e.g. "--n: 5 is not 4 or 6".
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What a value measures, and so which units it may carry.
enum class Dimension : std::uint8_t {
  length,     // in (bare), mil, mm, um
  frequency,  // GHz (bare), MHz, kHz, Hz
  impedance,  // ohm (bare)
  decibel,    // dB (bare)
  plain,      // no unit
};

// The range a value must lie in.
enum class Bound : std::uint8_t {
  positive,      // > 0
  non_negative,  // >= 0
  at_least_one,  // >= 1 (relative permittivity)
  nonzero,       // != 0 (coupling, either sign)
  strips,        // 4 or 6
};

inline constexpr std::int64_t kMaxSweepPoints = 10'000'000;

// One value, or the points first + k*step, k = 0 .. last (cuplo::sweep_value).
struct Sweep {
  float start = 0.0f;
  float stop = 0.0f;
  float step = 0.0f;
  std::int32_t last = 0;  // index of the last point
  bool swept = false;     // typed as START:STOP:STEP

  std::int64_t points() const { return std::int64_t{last} + 1; }
  float at(std::int64_t k) const { return swept ? sweep_value(start, k, step) : start; }
  static Sweep single(float value) { return {value, value, 0.0f, 0, false}; }
};

// What a value outside the bound is, for a message: "is not positive".
const char* bound_text(Bound bound);

// True when v is finite and within the bound.
bool within(Bound bound, float v);

// The text quoted for a message: control characters shown as '?', long texts shortened.
std::string in_quotes(std::string_view text);

// A number with an optional unit, in the library's units: converted in double precision and
// rounded once to float, so that 0.0381mm, 1.5mil and 0.0015 give the same float.
float parse_value(std::string_view option, std::string_view text, Dimension dimension, Bound bound);

// A value, or START:STOP:STEP when sweeps are allowed (each part may carry its unit). The
// step must be nonzero and go from START towards STOP; every point satisfies the bound; at
// most kMaxSweepPoints points.
Sweep parse_sweep(std::string_view option, std::string_view text, Dimension dimension, Bound bound,
                  bool sweep_allowed);

}  // namespace cuplo::calc
