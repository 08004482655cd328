// Dispersion of the even- and odd-mode impedances of coupled microstrip after Kirschning and
// Jansen (M. Kirschning, R. H. Jansen, "Accurate wide-range design equations for the
// frequency-dependent characteristic of parallel coupled microstrip lines", 1984). The even
// mode scales the static pair impedance by the dispersion of a single strip of width wte
// (Jansen-Kirschning single-strip model, msimp and mszo) with the exponent built from the
// Q0 and Ce terms; the odd mode is formed around the dispersive impedance of a single strip
// of width wto with the terms Q22 to Q29.
#include <cmath>

#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace cuplo::models {

void lcdis(float effo, float effof, float er, float f, float h, float h2, std::int32_t& iflag,
           Modes modes, float s, float wte, float wto, float zoeap, float zooap, LcDis1& lcdis1,
           MsImp1& msimp1, MsZo1& mszo1) {
  lcdis1.zoeapf = zoeap;
  lcdis1.zooapf = zooap;
  if (!(f > 0.0f) || iflag != 0) return;

  const float fn = f * h * kMmPerInch;  // normalised frequency, GHz mm
  const float g = s / h;

  const bool odd_only = modes == Modes::odd_only;
  if (!odd_only) {
    // Even mode: single strip of width wte, static and at f.
    msimp(er, h, h2, 0.0f, wte, msimp1);
    mszo(msimp1.ef, er, f, h, wte, msimp1.zo, mszo1);
    const float ef0 = msimp1.ef;
    const float eff = mszo1.eff;
    const float ue = wte / h;

    const float q11 = 0.893f * (1.0f - 0.3f / (1.0f + 0.7f * (er - 1.0f)));
    float q12 = 0.0f;
    if (g <= 24.0f) {
      const float x = std::pow(fn / 20.0f, 4.91f);
      q12 = 2.121f * (x / (1.0f + q11 * x)) * std::pow(g, 0.902f) * std::exp(-2.87f * g);
    }
    const float q13 = 1.0f + 0.038f * std::pow(er / 8.0f, 5.1f);
    const float x14 = std::pow(er / 15.0f, 4.0f);
    const float q14 = 1.0f + 1.203f * x14 / (1.0f + x14);
    const float q15 = 1.887f * std::exp(-1.5f * std::pow(g, 0.84f)) * std::pow(g, q14) /
                      (1.0f + 0.41f * std::pow(fn / 15.0f, 3.0f) * std::pow(ue, 2.0f / q13) /
                                  (std::pow(ue, 1.626f / q13) + 0.125f));
    const float q16 = q15 * (1.0f + 9.0f / (1.0f + 0.403f * ((er - 1.0f) * (er - 1.0f))));
    float k17 = 0.0f;
    if (fn > 50.0f) {
      k17 = 1.0f;
    } else {
      k17 = 1.0f - std::exp(-4.25f * std::pow(fn / 20.0f, 1.87f));
    }
    const float q17 = 0.394f * k17 * (1.0f - std::exp(-1.47f * std::pow(ue / 7.0f, 0.672f)));
    const float q18 = 0.61f * (1.0f - std::exp(-2.13f * std::pow(ue / 8.0f, 1.593f))) /
                      (1.0f + 6.544f * std::pow(g, 4.17f));
    const float q19 = 0.21f * std::pow(g, 4.0f) /
                      ((1.0f + std::pow(fn / 24.0f, 3.0f)) * (1.0f + 0.1f * (ue * ue)) *
                       (1.0f + 0.18f * std::pow(g, 4.9f)));
    const float q20 = (0.09f + 1.0f / (1.0f + 0.1f * std::pow(er - 1.0f, 2.7f))) * q19;
    const float q21 =
        std::fabs(1.0f - 42.54f * std::pow(g, 0.133f) * std::exp(-0.812f * g) * std::pow(ue, 2.5f) /
                             (1.0f + 0.033f * std::pow(ue, 2.5f)));
    const float re = std::pow(fn / 28.843f, 12.0f);
    const float qe = 0.016f + std::pow(0.0514f * er * q21, 4.524f);
    const float pe = 4.766f * std::exp(-3.228f * std::pow(ue, 0.641f));

    // de is dropped where its exponential underflows, and where the decade sum shows that
    // the product would leave the single-precision range.
    float de = 0.0f;
    const float xd = -22.2f * std::pow(ue, 1.92f);
    if (xd < -75.0f) {
      de = 0.0f;
    } else {
      float d1 = std::exp(xd) / (1.0f + 1.2992f * re);
      const float e6 = std::pow(er - 1.0f, 6.0f);
      d1 = d1 * 5.086f * qe * e6 / (1.0f + 10.0f * e6);
      const float k = 1.0f / (0.3838f + 0.386f * qe);
      if (std::fabs(std::log10(d1) + std::log10(re) + std::log10(k)) > 30.0f) {
        de = 0.0f;
      } else {
        de = d1 * re * k;
      }
    }

    float y = -0.004625f * pe * std::pow(er, 1.674f) * std::pow(fn / 18.365f, 2.745f);
    if (y < -24.0f) y = -24.0f;
    const float ce = 1.0f + 1.275f * (1.0f - std::exp(y)) - q12 + q16 - q17 + q18 + q20;

    const float r1 = 0.03891f * std::pow(er, 1.4f);
    float r7 = 0.0f;
    if (r1 > 25.0f) {
      r7 = 1.206f;
    } else {
      const float r2 = 0.267f * std::pow(ue, 7.0f);
      float e2 = 0.0f;
      if (r2 > 25.0f) {
        e2 = 1.0f;
      } else {
        e2 = 1.0f - std::exp(-r2);
      }
      r7 = 1.206f - 0.3144f * std::exp(-r1) * e2;
    }
    const float r10 = 0.00044f * std::pow(er, 2.136f) + 0.0184f;
    const float x11 = std::pow(fn / 19.47f, 6.0f);
    const float r11 = x11 / (1.0f + 0.0962f * x11);
    const float r12 = 1.0f / (1.0f + 0.00245f * (ue * ue));
    const float r15 = 0.707f * r10 * std::pow(fn / 12.3f, 1.097f);
    const float r16 =
        1.0f + 0.0503f * (er * er) * r11 * (1.0f - std::exp(-std::pow(ue / 15.0f, 6.0f)));
    const float q0 =
        r7 * (1.0f - 1.1241f * (r12 / r16) * std::exp(-0.026f * std::pow(fn, 1.15656f) - r15));

    lcdis1.zoeapf = zoeap * std::pow((0.9408f * std::pow(eff, ce) - 0.9603f) /
                                         ((0.9408f - de) * std::pow(ef0, ce) - 0.9603f),
                                     q0);
    if (modes == Modes::even_only) return;
  }

  // Odd mode: single strip of width wto. With both modes and wto equal to wte, the
  // single-strip values of the even mode still stand in mszo1.
  if (odd_only || wto != wte) {
    msimp(er, h, h2, 0.0f, wto, msimp1);
    mszo(msimp1.ef, er, f, h, wto, msimp1.zo, mszo1);
  }
  const float zof = mszo1.zof;
  const float uo = wto / h;

  const float q29 = 15.16f / (1.0f + 0.196f * ((er - 1.0f) * (er - 1.0f)));
  const float q28 =
      0.149f * std::pow(er - 1.0f, 3.0f) / (94.5f + 0.038f * std::pow(er - 1.0f, 3.0f));
  const float q27 = 0.4f * std::pow(g, 0.84f) *
                    (1.0f + 2.5f * std::pow(er - 1.0f, 1.5f) / (5.0f + std::pow(er - 1.0f, 1.5f)));
  const float x26 = std::pow((er - 1.0f) / 13.0f, 12.0f);
  const float q26 = 30.0f - 22.2f * x26 / (1.0f + 3.0f * x26) - q29;
  const float q25 =
      (0.3f * (fn * fn) / ((fn * fn) + 10.0f)) *
      (1.0f + 2.333f * ((er - 1.0f) * (er - 1.0f)) / ((er - 1.0f) * (er - 1.0f) + 5.0f));
  const float q24 = 2.506f * q28 * std::pow(uo, 0.894f) *
                    std::pow((1.0f + 1.3f * uo) * fn / 99.25f, 4.29f) /
                    (std::pow(uo, 0.894f) + 3.575f);
  const float q23 =
      1.0f + 0.005f * fn * q27 /
                 ((1.0f + 0.812f * std::pow(fn / 15.0f, 1.9f)) * (1.0f + 0.025f * (uo * uo)));
  const float q22 =
      0.925f * std::pow(fn / q26, 1.536f) / (1.0f + 0.3f * std::pow(fn / 30.0f, 1.536f));

  lcdis1.zooapf = zof + (zooap * std::pow(effof / effo, q22) - zof * q23) /
                            (1.0f + q24 + q25 * std::pow(0.46f * g, 2.2f));

  // The odd mode must stay below the even mode (dispersive, or static in the odd-only case).
  if (lcdis1.zooapf > lcdis1.zoeapf) iflag = 2;
}

}  // namespace cuplo::models
