// The analysis chain of the impedance report, for re-analysing synthesized dimensions.
#pragma once

#include <cstdint>
#include <sstream>

#include "models/coupled.hpp"

namespace cuplo::design::testing {

struct Coupler {
  float zo = 0.0f;
  float ko = 0.0f;  // coupling, dB
  float zoe = 0.0f;
  float zoo = 0.0f;
  std::int32_t iflag = 0;
};

// Static N-strip values when f = 0 (lcwta, lcimp, lczo); otherwise the dispersive values
// through lcpv, lceff, lcdis and lczo at f.
inline Coupler analyse(float er, float f, float h, std::int32_t n, float s, float t, float w,
                       std::int32_t ieoro = 1, std::int32_t iop = 2) {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
  std::ostringstream console;
  Coupler c;
  float wte = 0.0f, wto = 0.0f, zoeap = 0.0f, zooap = 0.0f, cc = 0.0f;
  models::lcwta(er, h, s, t, w, wte, wto);
  models::lcimp(er, h, ieoro, c.iflag, 0, n, s, wte, wto, zoeap, zooap, msimp1, console);
  models::lczo(cc, c.ko, n, c.zo, c.zoe, zoeap, c.zoo, zooap);
  if (f == 0.0f) return c;
  float effc = 0.0f, effe = 0.0f, effo = 0.0f;
  models::lcpv(effc, effe, effo, er, h, n, s, t, w, wte, wto, 0, msimp1, console);
  models::lceff(effc, effe, effo, er, f, h, ieoro, iop, s, wte, wto, lceff1);
  models::lcdis(effo, lceff1.effof, er, f, h, h * 1000.0f, ieoro, c.iflag, iop, s, wte, wto, zoeap,
                zooap, lcdis1, msimp1, mszo1);
  models::lczo(cc, c.ko, n, c.zo, c.zoe, lcdis1.zoeapf, c.zoo, lcdis1.zooapf);
  return c;
}

}  // namespace cuplo::design::testing
