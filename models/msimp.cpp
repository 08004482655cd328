// Quasi-static single microstrip: Hammerstad and Jensen's closed-form impedance and effective
// permittivity (E. Hammerstad, O. Jensen, "Accurate models for microstrip computer-aided
// design", 1980), with Wheeler's logarithmic strip-thickness correction of the width, the
// Hammerstad-Jensen thickness term of the effective permittivity, and a cover-plane
// correction of the air impedance.
#include <cmath>

#include "models/constants.hpp"
#include "models/microstrip.hpp"

namespace cuplo::models {

void msimp(float er, float h1, float h2, float t, float w, MsImp1& msimp1) {
  const float u = w / h1;
  msimp1.u = u;

  // Thickness correction of the width; the narrow-strip form holds up to and including
  // w/h1 = 1/(2 pi), where both forms agree.
  float weff = w;
  if (t != 0.0f) {
    const float tp = 1.25f * t / kPi;
    float dw = 0.0f;
    if (u > 1.0f / (2.0f * kPi)) {
      dw = tp * (std::log(2.0f * h1 / t) + 1.0f);
    } else {
      dw = tp * (std::log(4.0f * kPi * w / t) + 1.0f);
    }
    weff = w + dw;
  }
  msimp1.weff = weff;

  // Air impedance of the thickness-corrected strip. Below up of about 0.2011 the exponential
  // term underflows, and the width function is taken as its limit 6.
  const float up = weff / h1;
  const float x = -std::pow(30.666f / up, 0.7528f);
  float fwh = 0.0f;
  if (x < -44.0f) {
    fwh = 6.0f;
  } else {
    fwh = 6.0f + (2.0f * kPi - 6.0f) * std::exp(x);
  }
  const float zoai =
      (kEta / (2.0f * kPi)) * std::log(fwh / up + std::sqrt(1.0f + (2.0f / up) * (2.0f / up)));
  float qc = 1.0f;
  float zoa = zoai;

  // Cover plane at h2 above the ground plane; above r = 100 it has no effect. Works on the
  // uncorrected width ratio u.
  const float r = h2 / h1;
  if (r <= 100.0f) {
    const float ap = 1.192f + 0.706f * std::sqrt(1.0f + r) - 1.389f / (1.0f + r);
    const float p = 270.0f * (1.0f - std::tanh(ap));
    float aq =
        (0.177f * (u * u) + 0.012f * u - 0.027f * std::pow(u, 3.0f)) / ((1.0f + r) * (1.0f + r));
    if (aq < 0.0f) aq = 0.0f;
    const float q = 1.0109f - 0.5f * std::log((1.0f + aq) / (1.0f - aq));
    zoa = zoai - p * q;
    qc = std::tanh(0.121f * h2 / h1 + 1.043f - 1.164f * h1 / h2);
  }

  // Effective permittivity, on the uncorrected width ratio u. 0.020408163 = 1/49,
  // 0.053475935 = 1/18.7, 0.0003698 = 1/52^2.
  const float qt = (2.0f / kPi) * 0.6931472f * t / (h1 * std::sqrt(u));
  const float b = -0.564f * std::pow((er - 0.9f) / (er + 3.0f), 0.053f);
  const float a =
      1.0f +
      0.020408163f * std::log((u * u) * ((u * u) + 0.0003698f) / (std::pow(u, 4.0f) + 0.432f)) +
      0.053475935f * std::log(1.0f + std::pow(u / 18.1f, 3.0f));
  const float qi = std::pow(1.0f + 10.0f / u, a * b);
  const float qff = (qi - qt) * qc;
  const float ef = (er + 1.0f) / 2.0f + (er - 1.0f) * qff / 2.0f;
  msimp1.ef = ef;

  const float zo = zoa / std::sqrt(ef);
  msimp1.zoa = zoa;
  msimp1.zo = zo;
}

}  // namespace cuplo::models
