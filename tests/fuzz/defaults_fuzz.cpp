// Fuzz target: the defaults-file loader on arbitrary bytes. After a load without a fault the
// documented invariants hold: Fmin <= Fmax, Smin <= Smax, Wmin <= Wmax, Zoo < Zoe, N is 4 or
// 6, the steps, H, L, Rs, Rl, S, W and Zo are positive, DLTAN, F, Fmin, RES, SR and T are not
// negative, Er and the coupling magnitude are at least 1 (so no value is NaN), and the storage
// name is 20 characters, not blank and not one of the program's own names.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "check.hpp"
#include "input/defaults.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream file{std::string(reinterpret_cast<const char*>(data), size)};
  cuplo::input::DesignState d;
  float fo = 0.0f;
  if (cuplo::input::load_defaults(file, d, fo)) return 0;
  check(d.fmindef <= d.fmaxdef && d.smindef <= d.smaxdef && d.wmindef <= d.wmaxdef,
        "a range is reversed");
  check(d.zoodefdef < d.zoedefdef, "Zoo not below Zoe");
  check(d.ndef == 4 || d.ndef == 6, "N neither 4 nor 6");
  check(d.fstepdef > 0.0f && d.sstepdef > 0.0f && d.wstepdef > 0.0f && d.hdef > 0.0f &&
            d.ldef > 0.0f && d.rsdef > 0.0f && d.rldef > 0.0f && d.sdefdef > 0.0f &&
            d.wdefdef > 0.0f && d.zodefdef > 0.0f && d.smindef > 0.0f && d.wmindef > 0.0f,
        "a value that must be positive is not");
  check(d.tlosdef >= 0.0f && d.fdefdef >= 0.0f && d.fmindef >= 0.0f && d.res1def >= 0.0f &&
            d.sr1def >= 0.0f && d.tdef >= 0.0f,
        "a value that must not be negative is");
  check(d.erdef >= 1.0f && d.kodefdef >= 1.0f, "Er or the coupling below 1");
  check(d.fn.size() == cuplo::input::kNameLength && d.fn != cuplo::input::kBlankName &&
            !cuplo::input::is_protected_name(d.fn),
        "the storage name is not a usable name");
  return 0;
}
