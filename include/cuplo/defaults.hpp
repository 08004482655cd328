// The console program's defaults file, read and written: 28 text records in a fixed order, a
// title, 26 numbers (each within the first 13 columns; the rest of a record is a comment) and
// the default storage file name. Lengths in inches, frequencies in GHz, impedances in ohms.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

namespace cuplo {

// The values of a defaults file, named after their entries.
struct Defaults {
  std::string title;   // the first record, as read
  float dltan = 0.0f;  // loss tangent
  float er = 0.0f;     // relative permittivity
  float f = 0.0f;      // spot frequency and design centre frequency
  float fmax = 0.0f;   // frequency sweep: stop, start, step
  float fmin = 0.0f;
  float fstep = 0.0f;
  float h = 0.0f;      // substrate height
  float co = 0.0f;     // midband coupling, dB, its magnitude (the sign is ignored)
  float l = 0.0f;      // coupler length
  std::int32_t n = 0;  // number of strips, 4 or 6
  float res = 0.0f;    // conductor resistivity, micro-ohm-cm
  float sr = 0.0f;     // surface roughness, micro-inches
  float rl = 0.0f;     // load and source terminations
  float rs = 0.0f;
  float s = 0.0f;  // strip spacing, and its sweep: stop, start, step
  float smax = 0.0f;
  float smin = 0.0f;
  float sstep = 0.0f;
  float t = 0.0f;  // strip thickness
  float w = 0.0f;  // strip width, and its sweep: stop, start, step
  float wmax = 0.0f;
  float wmin = 0.0f;
  float wstep = 0.0f;
  float zo = 0.0f;   // coupler impedance
  float zoe = 0.0f;  // even- and odd-mode impedances
  float zoo = 0.0f;
  std::string fn;  // storage file name, 20 characters, blank padded
};

// Why a defaults file cannot be used: the first entry that is missing (the file ends before
// it) or faulty (not a number, or outside its range), named as the console names it ("Er.",
// "FN.").
struct DefaultsFault {
  enum class Kind : std::uint8_t { none, missing, faulty };
  Kind kind = Kind::none;
  const char* entry = "";
};

struct DefaultsFile {
  Defaults values;      // complete only without a fault
  DefaultsFault fault;  // Kind::none when the file is sound
  bool ok() const noexcept { return fault.kind == DefaultsFault::Kind::none; }
};

// Reads a defaults file: each number with the console's reader (F13.0 on the first 13
// columns), each checked as the console checks it (Fmin within Fmax, Smin within Smax, Wmin
// within Wmax, Zoo below Zoe, N of 4 or 6, the file name not blank and not one of the
// program's own files).
[[nodiscard]] DefaultsFile read_defaults(std::istream& file);

// The defaults file of the values, as the console reads it: CR LF records, each number in the
// shortest form that reads back to the same float, followed by its entry's name.
[[nodiscard]] std::string write_defaults(const Defaults& values);

// The names the program must never write to, its own files (Cuplo.DEF, Cuplo.EXE and the
// defaults file CuploDEMO.DEF), as a 20-character blank-padded name.
[[nodiscard]] bool is_program_file(std::string_view name20) noexcept;

}  // namespace cuplo
