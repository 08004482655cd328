// The analysis chain of the coupler, written once for every caller: the static values of a
// cross-section (thickness-corrected widths, equivalent single-strip pair impedances, N-strip
// conversion, coupler permittivities), and their Kirschning-Jansen dispersion to the
// coupler's impedances at a frequency.
#pragma once

#include <cstdint>

#include "models/coupled.hpp"
#include "models/records.hpp"

namespace cuplo::models {

// The static values of a cross-section that the dispersion starts from.
struct Statics {
  float wte = 0.0f;  // thickness-corrected widths, even and odd mode
  float wto = 0.0f;
  float zoeap = 0.0f;  // pair impedances, even and odd mode, ohms
  float zooap = 0.0f;
  float effc = 0.0f;  // static permittivities: coupler, even mode, odd mode
  float effe = 0.0f;
  float effo = 0.0f;
};

// The N-strip coupler's values as lczo gives them.
struct CouplerValues {
  float cc = 0.0f;  // voltage coupling factor
  float ko = 0.0f;  // coupling, dB
  float zo = 0.0f;
  float zoe = 0.0f;
  float zoo = 0.0f;
};

// lcwta, lcimp, the static lczo and lcpv on a cross-section; iflag as lcimp leaves it.
void static_chain(float er, float h, std::int32_t& iflag, std::int32_t n, float s, float t, float w,
                  Statics& st, CouplerValues& coupler, MsImp1& msimp1,
                  const LcImpObserver* observer);

// lceff and lcdis at f on the static values, then the N-strip conversion of the dispersive
// pair impedances. lcdis computes nothing when iflag is non-zero on entry and raises it when
// the dispersive odd mode exceeds the even mode; the result is true when iflag is 0.
bool dispersive_chain(const Statics& st, float er, float f, float h, std::int32_t& iflag,
                      Modes modes, std::int32_t n, float s, CouplerValues& coupler, LcEff1& lceff1,
                      LcDis1& lcdis1, MsImp1& msimp1, MsZo1& mszo1);

}  // namespace cuplo::models
