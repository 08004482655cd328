// Dispersion of the even- and odd-mode effective permittivities of coupled microstrip after
// Kirschning and Jansen (M. Kirschning, R. H. Jansen, "Accurate wide-range design equations
// for the frequency-dependent characteristic of parallel coupled microstrip lines", 1984;
// terms P1 to P15), evaluated on the thickness-corrected widths of one adjacent pair. The
// coupler value is the harmonic-type mean of the two mode values.
#include <cmath>

#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace cuplo::models {

void lceff(float effc, float effe, float effo, float er, float f, float h, Modes modes, float s,
           float wte, float wto, LcEff1& lceff1) {
  lceff1.effcf = effc;
  lceff1.effef = effe;
  lceff1.effof = effo;
  if (!(f > 0.0f)) return;

  const float fn = f * h * kMmPerInch;  // normalised frequency, GHz mm
  const float g = s / h;

  // Terms shared by both modes.
  const float p2 = 0.33622f * (1.0f - std::exp(-0.03442f * er));
  float p3 = 0.0f;
  if (fn > 73.0f) {
    p3 = 1.0f;
  } else {
    p3 = 1.0f - std::exp(-std::pow(fn / 38.7f, 4.97f));
  }
  const float p4 = 1.0f + 2.751f * (1.0f - std::exp(-std::pow(er / 15.916f, 8.0f)));

  if (modes != Modes::odd_only) {
    // Even mode.
    const float ue = wte / h;
    float p1e = 0.27488f;
    if (ue <= 8.0f) p1e = p1e - 0.065683f * std::exp(-8.7513f * ue);
    p1e = p1e + (0.6315f + 0.525f / std::pow(1.0f + 0.0157f * fn, 20.0f)) * ue;
    float p3e = 0.0f;
    if (ue < 15.0f) p3e = 0.0363f * p3 * std::exp(-4.6f * ue);
    const float p5 = 0.746f + 0.334f * std::exp(-3.3f * std::pow(er / 15.0f, 3.0f));
    const float p6 = p5 * std::exp(-std::pow(fn / 18.0f, 0.368f));
    float p7 = 0.0f;
    if (g > 10.6f) {
      p7 = 1.0f;
    } else {
      p7 = 1.0f + 4.069f * p6 *
                      std::exp(-1.347f * std::pow(g, 0.595f) - 0.17f * std::pow(g, 2.5f)) *
                      std::pow(g, 0.479f);
    }
    const float fe = p1e * p2 * std::pow((p3e * p4 + 0.1844f * p7) * fn, 1.5763f);
    lceff1.effef = er - (er - effe) / (1.0f + fe);
    if (modes == Modes::even_only) return;
  }

  // Odd mode.
  const float uo = wto / h;
  float p1o = 0.27488f;
  if (uo <= 8.0f) p1o = p1o - 0.065683f * std::exp(-8.7513f * uo);
  p1o = p1o + (0.6315f + 0.525f / std::pow(1.0f + 0.0157f * fn, 20.0f)) * uo;
  float p3o = 0.0f;
  if (uo < 15.0f) p3o = 0.0363f * p3 * std::exp(-4.6f * uo);
  const float p8 = 0.7168f * (1.0f + 1.076f / (1.0f + 0.0576f * (er - 1.0f)));
  float k9 = 0.0f;
  if (fn > 181.0f) {
    k9 = 1.0f;
  } else {
    k9 = 1.0f - std::exp(-std::pow(fn / 20.0f, 1.424f));
  }
  const float p9 = p8 - 0.7913f * k9 * std::atan(2.481f * std::pow(er / 8.0f, 0.946f));
  const float p10 = 0.242f * std::pow(er - 1.0f, 0.55f);
  float p11 = 0.0f;
  if (fn > 68.0f) {
    p11 = -0.6366f;
  } else {
    p11 = 0.6366f * (std::exp(-0.3401f * fn) - 1.0f);
  }
  p11 = p11 * std::atan(1.263f * std::pow(uo / 3.0f, 1.629f));
  const float p12 = p9 + (1.0f - p9) / (1.0f + 1.183f * std::pow(uo, 1.376f));
  const float p13 = 1.695f * p10 / (0.414f + 1.605f * p10);
  float p14 = 0.0f;
  if (fn > 70.0f) {
    p14 = 1.0f;
  } else {
    p14 = 0.8928f + 0.1072f * (1.0f - std::exp(-0.42f * std::pow(fn / 20.0f, 3.215f)));
  }
  const float p15 =
      std::fabs(1.0f - 0.8928f * (1.0f + p11) * p12 * std::exp(-p13 * std::pow(g, 1.092f)) / p14);
  const float fo = p1o * p2 * std::pow((p3o * p4 + 0.1844f) * fn * p15, 1.5763f);
  lceff1.effof = er - (er - effo) / (1.0f + fo);
  if (modes != Modes::both) return;

  // Coupler value from the two dispersive mode values.
  lceff1.effcf = 2.0f * lceff1.effef * lceff1.effof / (lceff1.effef + lceff1.effof);
}

}  // namespace cuplo::models
