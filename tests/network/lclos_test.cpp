// Conductor and dielectric attenuation of the coupler's modes.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "models/constants.hpp"
#include "network/detail.hpp"
#include "network/network.hpp"

namespace {

using cuplo::models::LcEff1;

// A four-strip alumina coupler; 2.44 micro-ohm-cm and 10 micro-inches converted as parameter
// entry does.
struct Coupler {
  float er = 9.8f, f = 10.0f, h = 0.025f, res = 2.44f * 0.000001f / 2.54f, s = 0.002f;
  float sr = 10.0f * 0.000001f, t = 0.0002f, tlos = 0.0005f, w = 0.002f, zoe = 114.09f,
        zoo = 19.606f;
};

struct Result {
  float ate = 0.0f, ato = 0.0f;
  LcEff1 lceff1{-1.0f, -2.0f, -3.0f};  // sentinels: rewritten only by the dielectric part
  int pair_evaluations = 0;            // counted by an observer of lcimp
};

struct Counter final : cuplo::models::LcImpObserver {
  mutable int evaluations = 0;
  void equivalent_strips(const cuplo::models::LcImpTrace&) const override {}
  void pair_impedances(float, float) const override { ++evaluations; }
};

Result run(const Coupler& c, bool watched = false) {
  Result r;
  cuplo::models::MsImp1 msimp1;
  const Counter counter;
  cuplo::network::lclos(r.ate, r.ato, c.er, c.f, c.h, 4, c.res, c.s, c.sr, c.t, c.tlos, c.w, c.zoe,
                        c.zoo, r.lceff1, msimp1, watched ? &counter : nullptr);
  r.pair_evaluations = counter.evaluations;
  return r;
}

// Model calls of each part, counted by an observer: five air evaluations
// with a thickness and four without for the conductor part, three at er for the dielectric
// part; f = 0, res = 0 and tlos = 0 each skip their part and leave lceff1 alone.
TEST(Lclos, ModelCallsOfEachPart) {
  const float res = Coupler{}.res, tlos = Coupler{}.tlos;
  const float cases[][5] = {{0, res, 0.0002f, tlos, 0},  {10, res, 0.0002f, 0, 5},
                            {10, res, 0, 0, 4},          {10, 0, 0.0002f, tlos, 3},
                            {10, res, 0.0002f, tlos, 8}, {10, 0, 0.0002f, 0, 0}};
  for (const auto& c : cases) {
    Coupler k;
    k.f = c[0], k.res = c[1], k.t = c[2], k.tlos = c[3];
    const Result verify = run(k, true);
    const Result quiet = run(k);
    EXPECT_EQ(verify.pair_evaluations, c[4]) << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
    EXPECT_EQ(quiet.ate, verify.ate);
    EXPECT_EQ(quiet.lceff1.effef == -2.0f, c[0] == 0.0f || c[3] == 0.0f) << c[0] << " " << c[3];
    EXPECT_EQ(quiet.ate > 0.0f && quiet.ato > 0.0f, c[4] != 0) << c[0] << " " << c[1];
    if (c[4] == 0) {
      EXPECT_EQ(quiet.ate + quiet.ato, 0.0f);
    }
  }
}

// Guards the slopes' signs, steps and reference impedances: attenuations of a coupler 0.02"
// wide at the dispersive impedances of each frequency, pinned to the bit from an earlier
// build; to the decimals printed they are the loss columns of an independently worked
// four-port example.
TEST(Lclos, ReferenceCoupler) {
  const float cases[][5] = {{2, 47.0129929f, 11.9765568f, 0.0909566134f, 0.225161955f},
                            {10, 47.6417732f, 11.8862362f, 0.232162163f, 0.557627201f}};
  for (const auto& c : cases) {
    Coupler k;
    k.w = 0.02f, k.f = c[0], k.zoe = c[1], k.zoo = c[2];
    const Result r = run(k);
    EXPECT_EQ(r.ate, c[3]) << c[0];
    EXPECT_EQ(r.ato, c[4]) << c[0];
  }
}

TEST(Lclos, RoughnessRaisesTheSurfaceResistanceUpToTwofold) {
  using cuplo::network::detail::surface_resistance;
  const float res = 1.724e-6f / 2.54f;  // copper, ohm-inches
  const float smooth = surface_resistance(10.0f, res, 0.0f);
  EXPECT_NEAR(smooth, 0.02609f, 1e-5f);  // sqrt(pi f mu0 rho) at 10 GHz
  EXPECT_EQ(smooth, std::sqrt(((10.0f * 3.1415927f) * 31.918581f) * res));  // factor exactly 1
  EXPECT_NEAR(surface_resistance(10.0f, res, 1e-2f) / smooth, 2.0f, 1e-5f);
}

TEST(Lclos, DivisionsByZeroGiveIeeeValues) {
  Coupler k;
  k.er = 1.0f, k.res = 0.0f;  // a loss tangent without a dielectric contrast
  const Result air = run(k);
  EXPECT_FALSE(std::isfinite(air.ate) || std::isfinite(air.ato));
  k = Coupler{};
  k.tlos = 0.0f, k.zoe = 0.0f, k.zoo = 0.0f;
  const Result shorted = run(k);
  EXPECT_TRUE(std::isinf(shorted.ate) && std::isinf(shorted.ato));
}

}  // namespace
