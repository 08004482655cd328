// Thickness-corrected widths of a coupled microstrip pair, after Jansen's finite-thickness
// correction as used with Kirschning and Jansen's coupled-line equations: Wheeler's
// logarithmic widening dw of a single strip, reduced in the even mode by the factor
// (1 - 0.5 exp(-0.69 dw/dt)) and increased in the odd mode by the gap-wall term
// dt = h t / (er s).
#include <cmath>
#include <cstdint>

#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace cuplo::models {

namespace {

// Width ratio at which the narrow-strip widening meets the wide-strip one.
constexpr float kNarrowLimit = 1.0f / (2.0f * kPi);

// Bounds of the narrow-strip search of lcwts: trial widths, and halvings of one step that
// would otherwise leave the positive widths (float steps halve to zero in under 300).
constexpr std::int32_t kMaxSearchSteps = 1000;
constexpr std::int32_t kMaxStepHalvings = 300;

}  // namespace

void lcwta(float er, float h, float s, float t, float w, float& wte, float& wto) {
  wte = w;
  wto = w;
  if (t == 0.0f) return;

  const float dt = h * t / (er * s);
  float dw = 0.0f;
  if (w / h >= kNarrowLimit) {
    dw = 1.25f * t * (std::log(2.0f * h / t) + 1.0f) / kPi;
  } else {
    dw = 1.25f * t * (std::log(4.0f * kPi * w / t) + 1.0f) / kPi;
  }
  float x = 0.69f * dw / dt;
  if (x > 23.0f) x = 23.0f;
  wte = w + dw * (1.0f - 0.5f * std::exp(-x));
  wto = wte + dt;
}

bool lcwts(float er, float h, float s, float t, float& w, float wte) {
  w = wte;
  if (t == 0.0f) return true;

  const float dt = h * t / (er * s);
  const float c = kNarrowLimit;

  // Wide strip: the widening does not depend on the width, so the inverse is closed-form
  // (without the clamp of the exponent that lcwta applies).
  if (wte / h >= c) {
    const float dw = 1.25f * t * (std::log(2.0f * h / t) + 1.0f) / kPi;
    w = wte - dw * (1.0f - 0.5f * std::exp(-0.69f * dw / dt));
    if (w / h >= c) return true;
    w = wte;
  }

  // Narrow strip: walk down from wte in steps of 5 % of it until the relative residual
  // changes sign, then bracket the root by halving the step. The walk is bounded, and a step
  // that would reach zero or below is halved first, so the logarithm always sees a positive
  // width; a search that does not settle reports failure with its last trial width.
  const float a1 = 1.25f * t / kPi;
  const float a2 = 4.0f * kPi / t;
  float step = 0.05f * w;
  float prev = 0.0f;
  for (std::int32_t k = 0; k < kMaxSearchSteps; ++k) {
    const float dw = a1 * (std::log(a2 * w) + 1.0f);
    const float res = (w + dw * (1.0f - 0.5f * std::exp(-0.69f * dw / dt)) - wte) / wte;
    if (std::fabs(res) < 0.00001f) return true;
    if (prev == 0.0f || res / prev > 0.0f) {
      prev = res;
    } else {
      // The sign changed: go back to the previous point and take half the step from there.
      w = w + step;
      step = step / 2.0f;
    }
    for (std::int32_t halving = 0; halving < kMaxStepHalvings && !(w - step > 0.0f); ++halving) {
      step = step / 2.0f;
    }
    w = w - step;
  }
  return false;
}

}  // namespace cuplo::models
