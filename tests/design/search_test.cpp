// The bounded searches of the synthesis: the width and spacing search of Akhtarzad,
// Rowbotham and Johns (lcws), and the centre frequency at which a coupler is a quarter wave
// long (msfsyn).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>

#include "design/design.hpp"
#include "design/detail.hpp"
#include "models/coupled.hpp"

namespace cuplo::design {
namespace {

struct Search {
  std::int32_t iflag = -1;
  float s = -1.0f, wte = -1.0f, wto = -1.0f;
  detail::LcwsTrace trace;
};

Search run(float er, std::int32_t n, float t, float zoeap, float zooap, float h = 0.025f) {
  Search r;
  detail::lcws_traced(er, h, r.iflag, n, r.s, t, r.wte, r.wto, zoeap, zooap, r.trace);
  return r;
}

// The worked case on alumina, worked out by hand for the acceptance of this search (not from
// a paper): g estimated, then walked to its root.
TEST(Lcws, WorkedCase) {
  const Search r = run(9.8f, 4, 0.0f, 160.0f, 60.0f);
  EXPECT_EQ(r.iflag, 0);
  EXPECT_NEAR(r.trace.g_estimate, 1.011f, 0.0005f);
  EXPECT_NEAR(r.trace.g_last, 1.025f, 0.0005f);
  EXPECT_NEAR(r.s, 0.0035f, 0.00005f);
  EXPECT_NEAR(r.wte, 0.0023f, 0.0001f);
  EXPECT_EQ(r.wte, r.wto);
  EXPECT_GE(r.trace.evaluations, 8);
  EXPECT_LE(r.trace.evaluations, 16);
}

// A first estimate at or below 1.000001 is not evaluated: the walk starts 5 % higher, or
// fails at once when that is still not above the bound.
TEST(Lcws, FirstEstimateAtLowerBound) {
  const Search r = run(9.8f, 4, 0.0f, 420.0f, 60.0f);
  ASSERT_LE(r.trace.g_estimate, 1.000001f);
  EXPECT_EQ(r.trace.g_first, r.trace.g_estimate + r.trace.g_estimate * 0.05f);

  const Search swapped = run(9.8f, 4, 0.0f, 60.0f, 160.0f);  // zooap above zoeap: g < 0
  EXPECT_EQ(swapped.iflag, 1);
  EXPECT_EQ(swapped.trace.evaluations, 0);
  EXPECT_EQ(swapped.s, -1.0f);  // outputs untouched
}

// Searches that never settle stop at the evaluation bound with iflag 1 (a stall just above
// g = 1; an even-mode strip width that is not a number); zero divisors end as failures too,
// never as a result.
TEST(Lcws, BoundedSearch) {
  EXPECT_EQ(run(9.8f, 4, 0.0f, 400.0f, 60.0f).trace.evaluations, 1000);
  EXPECT_EQ(run(9.8f, 4, 0.0f, 400.0f, 60.0f).iflag, 1);
  EXPECT_EQ(run(9.8f, 4, 0.0f, 5000.0f, 60.0f).iflag, 1);
  const float rows[][4] = {{0.0f, 0.025f, 160.0f, 60.0f},
                           {9.8f, 0.0f, 160.0f, 60.0f},
                           {9.8f, 0.025f, 0.0f, 60.0f},
                           {9.8f, 0.025f, 160.0f, 0.0f}};
  for (const auto& w : rows) {
    const Search r = run(w[0], 4, 0.0002f, w[2], w[3], w[1]);
    EXPECT_EQ(r.iflag, 1) << w[0] << " " << w[1];
  }
}

constexpr float kEr = 9.8f, kH = 0.025f, kS = 0.002f, kC = 11.802855f;

// Static permittivities of the reference cross-section (N = 4, w = s = 0.002, t = 0.0002).
struct Section {
  float wte = 0.0f, wto = 0.0f, effc = 0.0f, effe = 0.0f, effo = 0.0f;
  Section() {
    models::MsImp1 msimp1;
    models::lcwta(kEr, kH, kS, 0.0002f, 0.002f, wte, wto);
    models::lcpv(effc, effe, effo, kEr, kH, 4, kS, 0.0002f, 0.002f, wte, wto, msimp1, nullptr);
  }
  float effcf(float f) const {
    models::LcEff1 lceff1;
    models::lceff(effc, effe, effo, kEr, f, kH, models::Modes::both, kS, wte, wto, lceff1);
    return lceff1.effcf;
  }
  detail::MsfsynTrace run(float l, float& f, models::LcEff1& lceff1) const {
    detail::MsfsynTrace trace;
    detail::msfsyn_traced(effc, effe, effo, kEr, f, kH, l, kS, wte, wto, lceff1, trace);
    return trace;
  }
};

// The returned f makes the length a quarter wave to 0.01 %, with lceff1 dispersed to that f.
// A length that is not positive never matches: the search stops at its trial bound.
TEST(Msfsyn, QuarterWaveAtResultWithinTheTrialBound) {
  const Section x;
  for (const float l : {0.05f, 0.1f, 0.1234f, 0.3f, 0.7f, 2.0f}) {
    models::LcEff1 lceff1;
    float f = 0.0f;
    x.run(l, f, lceff1);
    EXPECT_EQ(lceff1.effcf, x.effcf(f)) << l;
    EXPECT_LT(std::fabs(kC / (4.0f * f * std::sqrt(lceff1.effcf)) - l), 0.0001f * l) << l;
  }
  for (const float l : {0.0f, -0.5f, NAN}) {
    models::LcEff1 lceff1;
    float f = 0.0f;
    EXPECT_EQ(x.run(l, f, lceff1).trials, 1000) << l;
  }
}

}  // namespace
}  // namespace cuplo::design
