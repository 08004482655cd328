// Values typed on the command line, read by the library's reader (cuplo/units.hpp): a number
// with an optional unit, converted to the library's units (inches, GHz, ohms, dB), and sweeps
// START:STOP:STEP with the console's point rule. Here a refusal becomes a UsageError, whose
// message the library has worded: it names the option and the text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "cuplo/units.hpp"

namespace cuplo::calc {

// Bad input or usage: the message already names the option, e.g. "--n: 5 is not 4 or 6".
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using cuplo::Bound;
using cuplo::Dimension;
using cuplo::kMaxSweepPoints;
using cuplo::LengthUnit;
using cuplo::Sweep;
using cuplo::ValueKind;
using cuplo::within;

// The text quoted for a message: control characters shown as '?', long texts shortened.
inline std::string in_quotes(std::string_view text) {
  return cuplo::quoted(text);
}

// cuplo::parse_value; UsageError when the text is refused.
float read_value(std::string_view option, std::string_view text, const ValueKind& kind,
                 LengthUnit bare_length = LengthUnit::in);

// cuplo::parse_sweep; UsageError when the text is refused.
Sweep read_sweep(std::string_view option, std::string_view text, const ValueKind& kind,
                 LengthUnit bare_length, bool sweep_allowed);

}  // namespace cuplo::calc
