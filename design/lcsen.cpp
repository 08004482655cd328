// Normalized sensitivities S = (dZ/Z)/(dp/p) of the dispersive even- and odd-mode coupler
// impedances to er, h, s, t and w, as one-sided differences with each value enlarged by
// 0.1 %. Each evaluation runs the whole analysis chain: thickness-corrected widths,
// equivalent single-strip pair impedances (Hammerstad-Jensen), coupler permittivities and
// the Kirschning-Jansen dispersion of permittivities and impedances.
#include <cstdint>
#include <ostream>

#include "design/design.hpp"
#include "models/coupled.hpp"

namespace cuplo::design {
namespace {

// The model routines shared by every evaluation.
struct Chain {
  std::int32_t ieoro;
  std::int32_t istore;
  std::int32_t iop;
  std::int32_t n;
  models::LcEff1& lceff1;
  models::LcDis1& lcdis1;
  models::MsImp1& msimp1;
  models::MsZo1& mszo1;
  std::ostream& console;
};

// Dispersive N-strip impedances zoef and zoof at the given values.
void evaluate(const Chain& k, float er, float f, float h, std::int32_t& iflag, float s, float t,
              float w, float& zoef, float& zoof) {
  float wte = 0.0f;
  float wto = 0.0f;
  models::lcwta(er, h, s, t, w, wte, wto);
  float zoeap = 0.0f;
  float zooap = 0.0f;
  models::lcimp(er, h, k.ieoro, iflag, k.istore, k.n, s, wte, wto, zoeap, zooap, k.msimp1,
                k.console);
  float cc = 0.0f;
  float ko = 0.0f;
  float zo = 0.0f;
  float zoe = 0.0f;
  float zoo = 0.0f;
  models::lczo(cc, ko, k.n, zo, zoe, zoeap, zoo, zooap);
  float effc = 0.0f;
  float effe = 0.0f;
  float effo = 0.0f;
  models::lcpv(effc, effe, effo, er, h, k.n, s, t, w, wte, wto, k.istore, k.msimp1, k.console);
  models::lceff(effc, effe, effo, er, f, h, k.ieoro, k.iop, s, wte, wto, k.lceff1);
  const float h2 = h * 1000.0f;
  models::lcdis(effo, k.lceff1.effof, er, f, h, h2, k.ieoro, iflag, k.iop, s, wte, wto, zoeap,
                zooap, k.lcdis1, k.msimp1, k.mszo1);
  float zof = 0.0f;
  models::lczo(cc, ko, k.n, zof, zoef, k.lcdis1.zoeapf, zoof, k.lcdis1.zooapf);
}

// A zero design value or a zero base impedance makes a denominator 0; the quotient is then
// the IEEE value (infinite or not a number), which the report prints as such.
float sensitivity(float z, float tempz, float p, float temp) {
  return ((z - tempz) * temp) / ((p - temp) * tempz);
}

}  // namespace

void lcsen(float er, float f, float h, std::int32_t ieoro, std::int32_t& iflag, std::int32_t n,
           float s, float t, float w, float& zoef, float& zoof, std::int32_t istore,
           std::int32_t iop, LcSen1& lcsen1, LcSen2& lcsen2, models::LcEff1& lceff1,
           models::LcDis1& lcdis1, models::MsImp1& msimp1, models::MsZo1& mszo1,
           std::ostream& console) {
  const Chain k{ieoro, istore, iop, n, lceff1, lcdis1, msimp1, mszo1, console};
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
