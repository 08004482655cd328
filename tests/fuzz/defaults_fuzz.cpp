// Fuzz target: the defaults-file reader on arbitrary bytes. After a load without a fault the
// documented invariants hold: Fmin <= Fmax, Smin <= Smax, Wmin <= Wmax, Zoo < Zoe, N is 4 or
// 6, the steps, H, L, Rs, Rl, S, W and Zo are positive, DLTAN, F, Fmin, RES, SR and T are not
// negative, Er and the coupling magnitude are at least 1 (so no value is NaN), and the storage
// name is 20 characters, not blank and not one of the program's own names; and the file
// written from the values reads back as the same file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "check.hpp"
#include "cuplo/defaults.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream file{std::string(reinterpret_cast<const char*>(data), size)};
  const cuplo::DefaultsFile read = cuplo::read_defaults(file);
  if (!read.ok()) return 0;
  const cuplo::Defaults& d = read.values;
  check(d.fmin <= d.fmax && d.smin <= d.smax && d.wmin <= d.wmax, "a range is reversed");
  check(d.zoo < d.zoe, "Zoo not below Zoe");
  check(d.n == 4 || d.n == 6, "N neither 4 nor 6");
  check(d.fstep > 0.0f && d.sstep > 0.0f && d.wstep > 0.0f && d.h > 0.0f && d.l > 0.0f &&
            d.rs > 0.0f && d.rl > 0.0f && d.s > 0.0f && d.w > 0.0f && d.zo > 0.0f &&
            d.smin > 0.0f && d.wmin > 0.0f,
        "a value that must be positive is not");
  check(d.dltan >= 0.0f && d.f >= 0.0f && d.fmin >= 0.0f && d.res >= 0.0f && d.sr >= 0.0f &&
            d.t >= 0.0f,
        "a value that must not be negative is");
  check(d.er >= 1.0f && d.co >= 1.0f, "Er or the coupling below 1");
  check(d.fn.size() == 20 && d.fn != std::string(20, ' ') && !cuplo::is_program_file(d.fn),
        "the storage name is not a usable name");
  // What is written reads back as the same file.
  std::istringstream again{cuplo::write_defaults(d)};
  const cuplo::DefaultsFile back = cuplo::read_defaults(again);
  check(back.ok() && cuplo::write_defaults(back.values) == cuplo::write_defaults(d),
        "a written file does not read back");
  return 0;
}
