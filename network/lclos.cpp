// Attenuation of the even and odd modes of the interdigitated coupler: conductor loss by
// Wheeler's incremental-inductance rule on the air-filled coupler impedances, with the
// surface roughness correction of Hammerstad and Bekkadal (fitted to Morgan's data), plus the
// dielectric loss of a quasi-TEM mode (Pucel, Masse and Hartwig; Welch and Pratt).
#include <cmath>
#include <cstdint>

#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "network/detail.hpp"
#include "network/network.hpp"

namespace cuplo::network {

using models::kDbPerNeper;
using models::kEta;
using models::kLightInchNs;
using models::kPi;

namespace {

// Permeability of free space in nanohenries per inch (4 pi 2.54): f in GHz times uo is
// frequency in hertz times permeability in henries per inch.
constexpr float kUo = 31.918581f;

// Even- and odd-mode impedances of the N-strip coupler with air as dielectric.
struct AirImpedances {
  float zoeair;
  float zooair;
};

AirImpedances air_impedances(float h, std::int32_t n, float s, float t, float w,
                             models::MsImp1& msimp1, const models::LcImpObserver* observer) {
  float wte = 0.0f;
  float wto = 0.0f;
  models::lcwta(1.0f, h, s, t, w, wte, wto);
  // The pair model's accuracy flag is not acted on: only its impedances enter the slopes.
  std::int32_t iflag = 0;
  float zoeap = 0.0f;
  float zooap = 0.0f;
  models::lcimp(1.0f, h, iflag, n, s, wte, wto, zoeap, zooap, msimp1, observer);
  float cc = 0.0f;
  float ko = 0.0f;
  float zo = 0.0f;
  AirImpedances air{0.0f, 0.0f};
  models::lczo(cc, ko, n, zo, air.zoeair, zoeap, air.zooair, zooap);
  return air;
}

}  // namespace

namespace detail {

float surface_resistance(float f, float res, float sr) {
  float rs = std::sqrt(((f * kPi) * kUo) * res);
  const float om = (kPi + kPi) * f;
  const float sd = std::sqrt((res + res) / (om * kUo));  // skin depth, inches
  const float tp = (sr / sd) * (sr / sd) * 1.4f;
  rs = (std::atan(tp) * (2.0f / kPi) + 1.0f) * rs;
  return rs;
}

}  // namespace detail

void lclos(float& ate, float& ato, float er, float f, float h, std::int32_t n, float res, float s,
           float sr, float t, float tlos, float w, float zoe, float zoo, models::LcEff1& lceff1,
           models::MsImp1& msimp1, const models::LcImpObserver* observer) {
  float ace = 0.0f;
  float aco = 0.0f;
  float ade = 0.0f;
  float ado = 0.0f;
  // Divisions by zoe, zoo, the skin depth, the perturbation steps and er - 1 are left
  // unguarded: a zero there gives an IEEE infinity or NaN in the attenuation, which the
  // report shows, rather than a made-up finite loss.
  if (f != 0.0f) {
    if (res != 0.0f) {
      const AirImpedances base = air_impedances(h, n, s, t, w, msimp1, observer);
      const float tempe = base.zoeair;
      const float tempo = base.zooair;
      const float rs = detail::surface_resistance(f, res, sr);

      // One-sided slopes of the air impedances, each dimension enlarged by 0.1 % in turn;
      // the step is the stored perturbed value minus the original.
      const float hx = h * 1.001f;
      const AirImpedances ah = air_impedances(hx, n, s, t, w, msimp1, observer);
      const float dzdhe = (ah.zoeair - tempe) / (hx - h);
      const float dzdho = (ah.zooair - tempo) / (hx - h);
      const float wx = w * 1.001f;
      const AirImpedances aw = air_impedances(h, n, s, t, wx, msimp1, observer);
      const float dzdwe = (aw.zoeair - tempe) / (wx - w);
      const float dzdwo = (aw.zooair - tempo) / (wx - w);
      const float sx = s * 1.001f;
      const AirImpedances as = air_impedances(h, n, sx, t, w, msimp1, observer);
      const float dzdse = (as.zoeair - tempe) / (sx - s);
      const float dzdso = (as.zooair - tempo) / (sx - s);
      // A strip of no thickness has no thickness slope (and 0.1 % of nothing is no step).
      float dzdte = 0.0f;
      float dzdto = 0.0f;
      if (t != 0.0f) {
        const float tx = t * 1.001f;
        const AirImpedances at = air_impedances(h, n, s, tx, w, msimp1, observer);
        dzdte = (at.zoeair - tempe) / (tx - t);
        dzdto = (at.zooair - tempo) / (tx - t);
      }

      // The spacing slope enters the modes with opposite signs: a wider gap lowers the
      // even-mode impedance and raises the odd-mode one, and both count as added loss.
      ace = (rs * kDbPerNeper) * (((dzdhe - dzdwe) - dzdte) - dzdse) / (zoe * kEta);
      aco = (rs * kDbPerNeper) * (((dzdho - dzdwo) - dzdto) + dzdso) / (zoo * kEta);
    }

    if (tlos != 0.0f) {
      float wte = 0.0f;
      float wto = 0.0f;
      models::lcwta(er, h, s, t, w, wte, wto);
      std::int32_t iflag = 0;
      float zoeap = 0.0f;
      float zooap = 0.0f;
      models::lcimp(er, h, iflag, n, s, wte, wto, zoeap, zooap, msimp1, observer);
      // Design decision: the static N-strip impedances of these pair values never replace the
      // caller's zoe and zoo. The caller hands the same impedances on to the four-port
      // response, which must use the dispersive values computed for this frequency; letting a
      // non-zero loss tangent swap them for static ones would change the response for a
      // reason that has nothing to do with loss. Nothing else uses them, so they are not
      // formed; lcimp stays for its verification-mode prints.

      float effc = 0.0f;
      float effe = 0.0f;
      float effo = 0.0f;
      models::lcpv(effc, effe, effo, er, h, n, s, t, w, wte, wto, msimp1, observer);
      models::lceff(effc, effe, effo, er, f, h, models::Modes::both, s, wte, wto, lceff1);

      const float wl = kLightInchNs / f;
      const float tp = (er * 27.3f) * tlos / ((er - 1.0f) * wl);
      ade = (lceff1.effef - 1.0f) * tp / std::sqrt(lceff1.effef);
      ado = (lceff1.effof - 1.0f) * tp / std::sqrt(lceff1.effof);
    }
  }
  ate = ace + ade;
  ato = aco + ado;
}

}  // namespace cuplo::network
