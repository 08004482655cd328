// N-strip interdigitated coupler: Ou's relations between the even- and odd-mode impedances of
// one adjacent pair of strips and the coupler's impedances and coupling (W. P. Ou, "Design
// equations for an interdigitated directional coupler", 1975), in both directions; the plain
// two-line conversions; and the coupler's static effective permittivities by superposition of
// the per-unit-length capacitances of the pair and of one strip as wide as the whole coupler.
#include <cmath>
#include <cstdint>

#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace cuplo::models {

void lczo(float& cc, float& ko, std::int32_t n, float& zo, float& zoe, float zoeap, float& zoo,
          float zooap) {
  // N - 1 is formed as an integer; the 64-bit difference keeps every n defined.
  const float k = static_cast<float>(static_cast<std::int64_t>(n) - 1);
  zo = std::sqrt(zoeap * zooap * ((zoeap + zooap) * (zoeap + zooap)) /
                 ((zoeap + k * zooap) * (zooap + k * zoeap)));
  cc = k * (zoeap * zoeap - zooap * zooap) /
       (k * (zoeap * zoeap + zooap * zooap) + 2.0f * zoeap * zooap);
  ko = 20.0f * std::log10(cc);
  zoe = zo * std::sqrt((1.0f + cc) / (1.0f - cc));
  zoo = zo * zo / zoe;
}

void lczoezoo(float cc, std::int32_t n, float zo, float& zoeap, float& zooap) {
  // N is converted to a real first.
  const float k = static_cast<float>(n) - 1.0f;
  const float q = std::sqrt(cc * cc + k * k * (1.0f - cc * cc));
  const float d = k * (1.0f - cc);
  zooap = zo * std::sqrt((1.0f - cc) / (1.0f + cc)) * k * (1.0f + q) / (cc + q + d);
  zoeap = zooap * (cc + q) / d;
}

void sl1zo(float& cc, float& ko, std::int32_t m, float& zo, float& zoe, float& zoo) {
  if (m == 2) {
    zo = std::sqrt(zoe * zoo);
    cc = (1.0f - zoo / zoe) / (1.0f + zoo / zoe);
    // No coupling has no decibel value; -999.999 dB stands for it.
    if (cc <= 0.0f) {
      ko = -999.999f;
    } else {
      ko = 20.0f * std::log10(cc);
    }
  } else {
    cc = std::pow(10.0f, ko / 20.0f);
    zoe = zo * std::sqrt((1.0f + cc) / (1.0f - cc));
    zoo = zo * zo / zoe;
  }
}

void lcpv(float& effc, float& effe, float& effo, float er, float h, std::int32_t n, float s,
          float t, float w, float wte, float wto, MsImp1& msimp1, const LcImpObserver* observer) {
  const float a = static_cast<float>(n);
  constexpr float kPicoPerUnit = 999999995904.0f;  // 1e12 as stored in single precision
  const float c = kLightMs;

  // Pair impedances with the substrate and in air; their accuracy flags are not needed here.
  std::int32_t iflag = 0;
  float zoeap = 0.0f;
  float zooap = 0.0f;
  lcimp(er, h, iflag, n, s, wte, wto, zoeap, zooap, msimp1, observer);
  float zoeapa = 0.0f;
  float zooapa = 0.0f;
  lcimp(1.0f, h, iflag, n, s, wte, wto, zoeapa, zooapa, msimp1, observer);

  // One strip as wide as the whole coupler, with the real thickness, gives the even mode.
  const float woe = a * w + (a - 1.0f) * s;
  msimp(er, h, 1000.0f * h, t, woe, msimp1);
  effe = msimp1.ef;

  // Capacitances per unit length, pF/m. The pair's four are formed unscaled, then scaled.
  const float c1p = kPicoPerUnit / (c * msimp1.zoa);
  const float c1 = effe * c1p;
  float coop = 1.0f / (c * zooapa);
  float coo = 1.0f / ((c * zooap) * (c * zooap) * coop);
  float coep = 1.0f / (c * zoeapa);
  float coe = 1.0f / ((c * zoeap) * (c * zoeap) * coep);
  coop = coop * kPicoPerUnit;
  coo = coo * kPicoPerUnit;
  coep = coep * kPicoPerUnit;
  coe = coe * kPicoPerUnit;
  const float conp = (a - 1.0f) * (coop - coep) / 2.0f + c1p;
  const float con = (a - 1.0f) * (coo - coe) / 2.0f + c1;

  effo = con / conp;
  effc = 2.0f * effe * effo / (effe + effo);
}

}  // namespace cuplo::models
