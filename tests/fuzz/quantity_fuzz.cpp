// Fuzz target: cuplo-calc's reader of values with units and START:STOP:STEP sweeps (the
// library's reader, as the tool wraps it), on arbitrary text. The first byte picks the
// dimension, the bound and whether a sweep is allowed; the second the plausibility bound and
// the unit of bare lengths. Checked: a refusal is one line that names the option; an accepted
// value is finite and within its bound, and so is every point of an accepted sweep (a
// thousand points spread over it, and its last), which has 1 to 10,000,000 points; a text
// with no unit at all is accepted only within its plausibility bound. The bounds are the
// reader's own (within, kPlausibleTable): the target checks that every path enforces them.
// The same text as a tolerance and as each quantity's yield limits: refused in one line naming
// the option, or a tolerance of 0 or more and a window that is no NaN and not upside down.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "calc/quantity.hpp"
#include "check.hpp"
#include "cuplo/tolerance.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cuplo::calc;
  if (size < 2) return 0;
  ValueKind kind;
  kind.dimension = static_cast<Dimension>(data[0] % 5);
  kind.bound = static_cast<Bound>((data[0] / 5) % 5);
  const bool sweeps = (data[0] / 25) % 2 == 1;
  const std::size_t plausible = data[1] % (cuplo::kPlausibleCount + 1);
  if (plausible < cuplo::kPlausibleCount) kind.plausible = static_cast<cuplo::Plausible>(plausible);
  const auto bare = cuplo::kLengthUnits[(data[1] / 8) % cuplo::kLengthUnits.size()];
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);
  // No letter but an exponent's: every number in the text is bare.
  bool unitless = true;
  for (const char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (letter && c != 'e' && c != 'E') unitless = false;
  }
  try {
    const Sweep s = read_sweep("--x", text, kind, bare, sweeps);
    check(sweeps || !s.swept, "a sweep where none is allowed");
    check(s.points() >= 1 && s.points() <= kMaxSweepPoints, "a sweep's count out of range");
    check(!s.swept || (std::isfinite(s.step) && s.step != 0.0f), "a sweep's step is 0");
    // About a thousand points spread over the sweep, and its last.
    const std::int64_t stride = s.points() / 1000 + 1;
    for (std::int64_t k = 0; k < s.points(); k += stride) {
      check(within(kind.bound, s.at(k)), "an accepted point is outside its bound");
    }
    check(within(kind.bound, s.at(s.points() - 1)), "the last point is outside its bound");
    if (unitless && kind.plausible) {
      const float high = cuplo::spec(*kind.plausible).high;
      check(s.start <= high && s.stop <= high, "a bare value above its plausibility bound");
    }
  } catch (const UsageError& e) {
    const std::string_view message = e.what();
    check(message.starts_with("--x: ") && message.find('\n') == std::string_view::npos,
          "a refusal that is not one line naming the option");
  }
  const auto refusal = [](const std::string& message) {
    check(message.starts_with("--x: ") && message.find('\n') == std::string::npos,
          "a refusal that is not one line naming the option");
  };
  const cuplo::Parsed<cuplo::Tolerance> t =
      cuplo::parse_tolerance("--x", text, kind.dimension, bare);
  if (t) {
    check(t->value >= 0.0f && !std::isnan(t->value), "a tolerance below 0");
  } else {
    refusal(t.message());
  }
  for (const auto q : {cuplo::Quantity::coupling_db, cuplo::Quantity::balance_db,
                       cuplo::Quantity::phase_deg, cuplo::Quantity::fo_ghz}) {
    const cuplo::Parsed<cuplo::Window> w = cuplo::parse_limits("--x", text, q);
    if (w) {
      check(w->given && w->low <= w->high, "limits that are NaN or upside down");
    } else {
      refusal(w.message());
    }
  }
  return 0;
}
