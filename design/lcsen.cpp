// Normalized sensitivities S = (dZ/Z)/(dp/p) of the dispersive even- and odd-mode coupler
// impedances to er, h, s, t and w, as one-sided differences with each value enlarged by
// 0.1 %. Each evaluation runs the whole analysis chain: thickness-corrected widths,
// equivalent single-strip pair impedances (Hammerstad-Jensen), coupler permittivities and
// the Kirschning-Jansen dispersion of permittivities and impedances.
#include <cstdint>

#include "design/design.hpp"
#include "models/chain.hpp"

namespace cuplo::design {
namespace {

// The model routines shared by every evaluation.
struct Chain {
  models::Modes modes;
  std::int32_t n;
  models::LcEff1& lceff1;
  models::LcDis1& lcdis1;
  models::MsImp1& msimp1;
  models::MsZo1& mszo1;
  const models::LcImpObserver* observer;
};

// Dispersive N-strip impedances zoef and zoof at the given values.
void evaluate(const Chain& k, float er, float f, float h, std::int32_t& iflag, float s, float t,
              float w, float& zoef, float& zoof) {
  models::Statics st;
  models::CouplerValues coupler;
  models::static_chain(er, h, iflag, k.n, s, t, w, st, coupler, k.msimp1, k.observer);
  models::dispersive_chain(st, er, f, h, iflag, k.modes, k.n, s, coupler, k.lceff1, k.lcdis1,
                           k.msimp1, k.mszo1);
  zoef = coupler.zoe;
  zoof = coupler.zoo;
}

// A zero design value or a zero base impedance makes a denominator 0; the quotient is then
// the IEEE value (infinite or not a number), which the report prints as such.
float sensitivity(float z, float tempz, float p, float temp) {
  return ((z - tempz) * temp) / ((p - temp) * tempz);
}

}  // namespace

void lcsen(float er, float f, float h, std::int32_t& iflag, models::Modes modes, std::int32_t n,
           float s, float t, float w, float& zoef, float& zoof, LcSen1& lcsen1, LcSen2& lcsen2,
           models::LcEff1& lceff1, models::LcDis1& lcdis1, models::MsImp1& msimp1,
           models::MsZo1& mszo1, const models::LcImpObserver* observer) {
  const Chain k{modes, n, lceff1, lcdis1, msimp1, mszo1, observer};
  evaluate(k, er, f, h, iflag, s, t, w, zoef, zoof);
  const float tempe = zoef;
  const float tempo = zoof;

  const float erp = er * 1.001f;
  evaluate(k, erp, f, h, iflag, s, t, w, zoef, zoof);
  lcsen1.szoeer = sensitivity(zoef, tempe, erp, er);
  lcsen2.szooer = sensitivity(zoof, tempo, erp, er);

  const float hp = h * 1.001f;
  evaluate(k, er, f, hp, iflag, s, t, w, zoef, zoof);
  lcsen1.szoeh = sensitivity(zoef, tempe, hp, h);
  lcsen2.szooh = sensitivity(zoof, tempo, hp, h);

  const float sp = s * 1.001f;
  evaluate(k, er, f, h, iflag, sp, t, w, zoef, zoof);
  lcsen1.szoes = sensitivity(zoef, tempe, sp, s);
  lcsen2.szoos = sensitivity(zoof, tempo, sp, s);

  // A zero thickness has no relative change: its sensitivities are 0 and not evaluated.
  lcsen1.szoet = 0.0f;
  lcsen2.szoot = 0.0f;
  if (t != 0.0f) {
    const float tp = t * 1.001f;
    evaluate(k, er, f, h, iflag, s, tp, w, zoef, zoof);
    lcsen1.szoet = sensitivity(zoef, tempe, tp, t);
    lcsen2.szoot = sensitivity(zoof, tempo, tp, t);
  }

  const float wp = w * 1.001f;
  evaluate(k, er, f, h, iflag, s, t, wp, zoef, zoof);
  lcsen1.szoew = sensitivity(zoef, tempe, wp, w);
  lcsen2.szoow = sensitivity(zoof, tempo, wp, w);

  zoef = tempe;
  zoof = tempo;
}

}  // namespace cuplo::design
