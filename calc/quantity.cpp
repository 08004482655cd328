#include "calc/quantity.hpp"

namespace cuplo::calc {

float read_value(std::string_view option, std::string_view text, const ValueKind& kind,
                 LengthUnit bare_length) {
  const cuplo::Parsed<float> value = cuplo::parse_value(option, text, kind, bare_length);
  if (!value) throw UsageError(value.message());
  return *value;
}

Sweep read_sweep(std::string_view option, std::string_view text, const ValueKind& kind,
                 LengthUnit bare_length, bool sweep_allowed) {
  const cuplo::Parsed<Sweep> sweep =
      cuplo::parse_sweep(option, text, kind, bare_length, sweep_allowed);
  if (!sweep) throw UsageError(sweep.message());
  return *sweep;
}

}  // namespace cuplo::calc
