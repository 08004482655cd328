// Width and spacing synthesis of a coupled microstrip pair. Each mode of the pair is first
// replaced by a single strip of the mode impedance divided by the mode factor, whose
// width-to-height ratio follows from Wheeler's synthesis formula; the two ratios give a
// closed-form first estimate of g = cosh(pi*s/(2*h)), which a stepping search with step
// halving and one final secant step refines until the odd-mode equation of the equivalent
// single-strip mapping is met.
#include <cmath>
#include <cstdint>

#include "design/design.hpp"
#include "design/detail.hpp"
#include "models/constants.hpp"

namespace cuplo::design {
namespace {

using models::kPi;

// A search that has not settled after this many evaluations of the mismatch will not
// settle: it is reported as a failed synthesis (iflag = 1) rather than left to run on.
constexpr std::int32_t kMaxEvaluations = 1000;

// Inverse hyperbolic cosine in the form ln(sqrt(x*x - 1) + x).
float acosh_ln(float x) {
  return std::log(std::sqrt(x * x - 1.0f) + x);
}

// Odd-mode mismatch at g: writes the spacing and the effective widths of this point. A zero
// divisor (g = 1, er = 0, h = 0) gives IEEE values, which the bounded search then rejects.
float mismatch(float er, float f, float g, float h, float r, float t, float who, float& s,
               float& wte, float& wto) {
  const float he = ((g + 1.0f) * f + g - 1.0f) / 2.0f;
  s = (h + h) * acosh_ln(g) / kPi;
  if (s == 0.0f) return 1e-10f;
  wte = h * (acosh_ln(he) - acosh_ln(g)) / kPi;
  wto = wte + (h * t) * (1.0f / (er * s));
  const float ho = std::cosh((wto + s / 2.0f) * kPi / h);
  const float tp2 = acosh_ln((ho + ho - g - 1.0f) / (g - 1.0f));
  const float tp3 = acosh_ln((wto + wto) / s + 1.0f);
  const float zero = (tp2 + tp2) / kPi + r * tp3 - who;
  return zero;
}

}  // namespace

namespace detail {

void lcws_traced(float er, float h, std::int32_t& iflag, std::int32_t n, float& s, float t,
                 float& wte, float& wto, float zoeap, float zooap, LcwsTrace& trace) {
  iflag = 0;
  std::int32_t i = 0;  // secant steps taken
  float fe = 2.0f;
  float fo = 2.0f;
  if (n == 6) {
    fe = er * 0.04118f + 2.044f;
    fo = er * 0.01287f + 2.11f;
  }
  const float tp = std::sqrt(er + 1.0f);
  const float pe = std::exp(zoeap * tp / (fe * 42.4f)) - 1.0f;
  const float po = std::exp(zooap * tp / (fo * 42.4f)) - 1.0f;
  const float whe =
      std::sqrt((4.0f / er + 7.0f) * pe / 11.0f + (1.0f / er + 1.0f) / 0.81f) * (8.0f / pe);
  const float who =
      std::sqrt((4.0f / er + 7.0f) * po / 11.0f + (1.0f / er + 1.0f) / 0.81f) * (8.0f / po);
  float g = (std::cosh(kPi * whe / 2.0f) + std::cosh(kPi * who / 2.0f) - 2.0f) /
            (std::cosh(kPi * who / 2.0f) - std::cosh(kPi * whe / 2.0f));
  const float f = std::cosh(kPi * whe / 2.0f);
  float r = 1.0f / kPi;
  if (er < 6.0f) r = 8.0f / ((er + 2.0f) * kPi);
  float zero1 = 0.0f;  // 0 stands for "no previous mismatch yet"
  float dg = g * 0.05f;
  trace = LcwsTrace{fe, fo, whe, who, g, r, 0.0f, 0.0f, 0};

  // A first estimate at the lower bound of g is not evaluated; the search starts one step up.
  float zero = 1e-10f;
  if (g > 1.000001f) {
    zero = mismatch(er, f, g, h, r, t, who, s, wte, wto);
    trace.g_first = g;
    trace.g_last = g;
    trace.evaluations = 1;
    // A mismatch of exactly 0 is the solution. The search must stop here: a previous
    // mismatch of 0 would read as "no previous value" and the walk would never advance.
    if (zero == 0.0f) return;
  }
  for (;;) {
    if (zero1 != 0.0f) {
      if (i == 1) return;  // the point after the secant step is the result, unchecked
      if (std::fabs(zero) < 0.005f) {
        i = i + 1;
        dg = -(zero * dg / (zero - zero1));
      } else {
        const float ratio = zero / zero1;
        if (!(ratio >= 0.0f)) {
          // The mismatch changed sign: back to the previous point with half the step.
          g = g - dg;
          zero = zero1;
          dg = dg / 2.0f;
        }
      }
    }
    zero1 = zero;
    g = g + dg;
    if (g <= 1.000001f) {
      iflag = 1;
      return;
    }
    if (trace.evaluations == kMaxEvaluations) {
      iflag = 1;
      return;
    }
    zero = mismatch(er, f, g, h, r, t, who, s, wte, wto);
    if (trace.evaluations == 0) trace.g_first = g;
    trace.g_last = g;
    trace.evaluations = trace.evaluations + 1;
    if (zero == 0.0f) return;
  }
}

}  // namespace detail

void lcws(float er, float h, std::int32_t& iflag, std::int32_t n, float& s, float t, float& wte,
          float& wto, float zoeap, float zooap) {
  detail::LcwsTrace trace;
  detail::lcws_traced(er, h, iflag, n, s, t, wte, wto, zoeap, zooap, trace);
}

}  // namespace cuplo::design
