// The design state: the selections, design values and loaded defaults that parameter entry
// hands to the driver. One instance for the whole run, owned by the session; every member
// is zero (blank for text) at start. Member names are those of the program's records.
#pragma once

#include <cstdint>
#include <string>

#include "cuplo/defaults.hpp"

namespace cuplo::input {

inline constexpr std::size_t kNameLength = 20;

// The answer to the storage question that switches on the verification mode: nothing is
// stored, the synthesis re-analyses its result, and lcimp's intermediate values are shown.
inline constexpr std::int32_t kVerificationCode = -417;
inline const std::string kBlankName(kNameLength, ' ');

struct DateTime {
  std::int32_t imon = 0;  // month 1 to 12
  std::int32_t iday = 0;
  std::int32_t iyr = 0;  // four digits
  std::int32_t ihr = 0;  // 0 to 23
  std::int32_t imin = 0;
  std::int32_t isec = 0;
};

struct DesignState {
  // blk1: output storage name (20 characters, blank padded)
  std::string dum = kBlankName;
  std::string fn = kBlankName;

  // blk2: main parameters and selections
  float ccdef = 0.0f;  // voltage coupling coefficient used by synthesis
  float er = 0.0f;
  float fdef = 0.0f;  // spot frequency, GHz
  float fmin = 0.0f;
  float fstep = 0.0f;
  float h = 0.0f;      // substrate height, inches
  std::int32_t i = 0;  // index of the last sweep point; diagnostics line counter
  std::int32_t ieoro = 0;
  std::int32_t ifunc = 0;
  std::int32_t iops = 0;

  // blk3: further selections and values
  std::int32_t iop1 = 0;
  std::int32_t iop2a = 0;
  std::int32_t iop2b = 0;
  std::int32_t iop3 = 0;
  std::int32_t isel = 0;
  float kodef = 0.0f;  // coupling, dB
  float l = 0.0f;      // coupler length, inches
  std::int32_t n = 0;  // number of strips

  // blk4: conductor, termination and spacing values
  float res = 0.0f;   // resistivity, ohm-inches
  float res1 = 0.0f;  // resistivity as typed, micro-ohm-cm
  float rl = 0.0f;
  float rs = 0.0f;
  float sdef = 0.0f;
  float smin = 0.0f;
  float sr = 0.0f;   // roughness, inches
  float sr1 = 0.0f;  // roughness as typed, micro-inches
  float sstep = 0.0f;
  float t = 0.0f;

  // blk5: loss tangent, width and impedance values
  float tlos = 0.0f;
  float wdef = 0.0f;
  float wmin = 0.0f;
  float wstep = 0.0f;
  float zodef = 0.0f;
  float zoedef = 0.0f;
  float zoodef = 0.0f;

  // blk6: storage switch: 1 on, kVerificationCode verification mode, else off
  std::int32_t istore = 0;

  // blk7, blk8, blk9: defaults loaded from the defaults file, never changed afterwards
  Defaults defaults;

  // blk10: option of the selected function
  std::int32_t iop = 0;

  DateTime datetime;
};

}  // namespace cuplo::input
