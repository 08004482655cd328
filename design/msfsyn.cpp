// Centre frequency of a coupler of given length: the frequency at which the length is a
// quarter wavelength on the coupler, with the coupler permittivity dispersed to that very
// frequency (Kirschning-Jansen). Stepping search upward from 10 GHz in steps of 10 GHz,
// stepping back and halving the step at every sign change of the length mismatch.
#include <cmath>
#include <cstdint>

#include "design/design.hpp"
#include "design/detail.hpp"
#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace cuplo::design {
namespace {

// The search settles in a few dozen trials for any realisable length. A length that is not
// positive (or not a number) never matches, so the trials stop here and the last trial
// frequency is returned; the caller's centre-frequency check judges it as for any other.
constexpr std::int32_t kMaxTrials = 1000;

}  // namespace

namespace detail {

bool msfsyn_traced(float effc, float effe, float effo, float er, float& f, float h, float l,
                   float s, float wte, float wto, models::LcEff1& lceff1, MsfsynTrace& trace) {
  const float c = models::kLightInchNs;
  trace = MsfsynTrace{};
  float zero = 1.0e20f;  // mismatch assumed before the first trial
  f = 0.0f;
  float deltaf = 10.0f;
  for (;;) {
    f = f + deltaf;
    const float zero1 = zero;
    models::lceff(effc, effe, effo, er, f, h, models::Modes::both, s, wte, wto, lceff1);
    trace.trials = trace.trials + 1;
    if (trace.trials == 2) trace.second_f = f;
    const float ltest = c / ((f * 4.0f) * std::sqrt(lceff1.effcf));
    zero = (ltest - l) * (1.0f / l);
    if (std::fabs(zero) < 0.0001f) return true;
    if (trace.trials == kMaxTrials) return false;
    if (!(zero1 / zero > 0.0f)) {
      // The quarter wavelength passed through l: back to the previous trial, half the step.
      f = f - deltaf;
      deltaf = deltaf / 2.0f;
      zero = zero1;
    }
  }
}

}  // namespace detail

bool msfsyn(float effc, float effe, float effo, float er, float& f, float h, float l, float s,
            float wte, float wto, models::LcEff1& lceff1) {
  detail::MsfsynTrace trace;
  return detail::msfsyn_traced(effc, effe, effo, er, f, h, l, s, wte, wto, lceff1, trace);
}

float quarter_wave_length(float fo, float effcf) {
  const float c = models::kLightInchNs;
  return c / (4.0f * fo * std::sqrt(effcf));
}

}  // namespace cuplo::design
