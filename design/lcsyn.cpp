// Dispersive width and spacing synthesis: static synthesis (Wheeler start, equivalent
// single-strip search) inside a correction loop that shifts the static targets by the
// Kirschning-Jansen dispersion of the coupler impedances until the dispersive N-strip
// impedances at f equal the wanted ones to 0.01 %.
#include <cmath>
#include <cstdint>

#include "design/design.hpp"
#include "models/chain.hpp"
#include "models/coupled.hpp"

namespace cuplo::design {
namespace {

// The correction settles in a handful of passes; a target the models cannot reach makes it
// wander. After this many passes the synthesis is reported as failed (iflag = 1) with the
// dimensions of the last pass.
constexpr std::int32_t kMaxPasses = 100;

}  // namespace

void lcsyn(float& cc, float er, float f, float h, std::int32_t& iflag, std::int32_t n, float& s,
           float t, float& w, float& wte, float& zo, float& zoe, float& zoo, models::LcEff1& lceff1,
           models::LcDis1& lcdis1, models::MsImp1& msimp1, models::MsZo1& mszo1,
           const models::LcImpObserver* observer) {
  const float te = zoe * 0.0001f;
  const float to = zoo * 0.0001f;
  const float zod = zo;
  const float ccd = cc;
  const float zoed = zoe;
  const float zood = zoo;
  // A failed lcws leaves the widths as they were; the odd-mode width then starts from the
  // even-mode one, so that the failed pass works on defined values.
  float wto = wte;
  for (std::int32_t pass = 1;; ++pass) {
    float zoeap = 0.0f;
    float zooap = 0.0f;
    models::lczoezoo(cc, n, zo, zoeap, zooap);
    lcws(er, h, iflag, n, s, t, wte, wto, zoeap, zooap);
    // A strip width that the narrow-strip search could not find fails the synthesis. Raised
    // before lcdis, which then keeps the static pair values, and never reset later in the pass.
    if (!models::lcwts(er, h, s, t, w, wte)) iflag = 1;
    models::Statics st{wte, wto, zoeap, zooap, 0.0f, 0.0f, 0.0f};
    models::lcpv(st.effc, st.effe, st.effo, er, h, n, s, t, w, wte, wto, msimp1, observer);
    models::CouplerValues disp;
    models::dispersive_chain(st, er, f, h, iflag, models::Modes::both, n, s, disp, lceff1, lcdis1,
                             msimp1, mszo1);
    cc = disp.cc;
    const float zoef = disp.zoe;
    const float zoof = disp.zoo;
    const float ee = std::fabs(zoef - zoed);
    const float eo = std::fabs(zoof - zood);
    if (ee < te && eo < to) {
      zo = zod;
      cc = ccd;
      zoe = zoed;
      zoo = zood;
      return;
    }
    if (pass == kMaxPasses) {
      iflag = 1;
      return;
    }
    // A target driven to 0 gives IEEE values here; the pass bound then ends the loop.
    zoe = zoe - (zoef - zoed);
    zoo = zoo - (zoof - zood);
    zo = std::sqrt(zoe * zoo);
    cc = (1.0f - zoo / zoe) / (1.0f + zoo / zoe);
  }
}

}  // namespace cuplo::design
