#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>

#include "design/design.hpp"
#include "design/detail.hpp"
#include "models/coupled.hpp"

namespace cuplo::design {
namespace {

constexpr float kEr = 9.8f, kH = 0.025f, kS = 0.002f, kC = 11.802855f;

// Static permittivities of the reference cross-section (N = 4, w = s = 0.002, t = 0.0002).
struct Section {
  float wte = 0.0f, wto = 0.0f, effc = 0.0f, effe = 0.0f, effo = 0.0f;
  Section() {
    models::MsImp1 msimp1;
    std::ostringstream console;
    models::lcwta(kEr, kH, kS, 0.0002f, 0.002f, wte, wto);
    models::lcpv(effc, effe, effo, kEr, kH, 4, kS, 0.0002f, 0.002f, wte, wto, 0, msimp1, console);
  }
  float effcf(float f) const {
    models::LcEff1 lceff1;
    models::lceff(effc, effe, effo, kEr, f, kH, 2, 2, kS, wte, wto, lceff1);
    return lceff1.effcf;
  }
  float quarter_wave(float f) const { return kC / ((f * 4.0f) * std::sqrt(effcf(f))); }
  detail::MsfsynTrace run(float l, float& f, models::LcEff1& lceff1) const {
    detail::MsfsynTrace trace;
    detail::msfsyn_traced(effc, effe, effo, kEr, f, kH, l, kS, wte, wto, lceff1, trace);
    return trace;
  }
};

TEST(Msfsyn, SearchPath) {
  const Section x;
  models::LcEff1 lceff1;
  float f = 0.0f;
  EXPECT_EQ(x.run(x.quarter_wave(10.0f) * 1.00005f, f, lceff1).trials, 1);
  EXPECT_EQ(f, 10.0f);
  // Longer than a quarter wave at 10 GHz: back to 0 and on with half the step.
  EXPECT_EQ(x.run(x.quarter_wave(10.0f) * 1.5f, f, lceff1).second_f, 5.0f);
  EXPECT_EQ(x.run(x.quarter_wave(10.0f) * 0.5f, f, lceff1).second_f, 20.0f);
}

// The returned f makes the length a quarter wave to 0.01 %, with lceff1 dispersed to that f.
TEST(Msfsyn, QuarterWaveAtResult) {
  const Section x;
  for (const float l : {0.05f, 0.1f, 0.1234f, 0.3f, 0.7f, 2.0f}) {
    models::LcEff1 lceff1;
    float f = 0.0f;
    x.run(l, f, lceff1);
    EXPECT_EQ(lceff1.effcf, x.effcf(f)) << l;
    EXPECT_LT(std::fabs(kC / (4.0f * f * std::sqrt(lceff1.effcf)) - l), 0.0001f * l) << l;
  }
}

// A length that is not positive never matches: the search stops at its trial bound.
TEST(Msfsyn, NonPositiveLengthIsBounded) {
  const Section x;
  for (const float l : {0.0f, -0.5f, NAN}) {
    models::LcEff1 lceff1;
    float f = 0.0f;
    EXPECT_EQ(x.run(l, f, lceff1).trials, 1000) << l;
  }
}

}  // namespace
}  // namespace cuplo::design
