// Fuzz target: cuplo-calc's reader of values with units and START:STOP:STEP sweeps, on
// arbitrary text. The first byte picks the dimension, the bound and whether a sweep is
// allowed. Checked: a refusal is one line that names the option; an accepted value is finite
// and within its bound, and so is every point of an accepted sweep (a thousand points
// spread over it, and its last), which has 1 to 10,000,000 points. The bounds are the
// reader's own (within): the target checks that every path of the reader enforces them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calc/quantity.hpp"
#include "check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace cuplo::calc;
  if (size == 0) return 0;
  const auto dimension = static_cast<Dimension>(data[0] % 5);
  const auto bound = static_cast<Bound>((data[0] / 5) % 5);
  const bool sweeps = (data[0] / 25) % 2 == 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    const Sweep s = parse_sweep("--x", text, dimension, bound, sweeps);
    check(sweeps || !s.swept, "a sweep where none is allowed");
    check(s.points() >= 1 && s.points() <= kMaxSweepPoints, "a sweep's count out of range");
    check(!s.swept || (std::isfinite(s.step) && s.step != 0.0f), "a sweep's step is 0");
    // About a thousand points spread over the sweep, and its last.
    const std::int64_t stride = s.points() / 1000 + 1;
    for (std::int64_t k = 0; k < s.points(); k += stride) {
      check(within(bound, s.at(k)), "an accepted point is outside its bound");
    }
    check(within(bound, s.at(s.points() - 1)), "the last point is outside its bound");
  } catch (const UsageError& e) {
    const std::string_view message = e.what();
    check(message.starts_with("--x: ") && message.find('\n') == std::string_view::npos,
          "a refusal that is not one line naming the option");
  }
  return 0;
}
