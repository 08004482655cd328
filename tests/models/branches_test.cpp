// Branch edges of the models: thresholds met exactly, the single-mode work of the
// sensitivity analysis, skipped dispersion, and the N-strip conversions in both directions.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>

#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace {

using namespace cuplo::models;

constexpr float kEr = 9.8f, kH = 0.025f, kS = 0.002f, kT = 0.0002f;
constexpr float kWte = 0.0023981f, kWto = 0.0026532f;  // w = 0.002 on the reference substrate
constexpr float kNarrowLimit = 1.0f / (2.0f * kPi);

struct Edge {
  const char* what;
  std::function<float(float)> model;
  float x;  // the threshold, met exactly
};

// The two sides of every threshold meet: a model evaluated exactly on a threshold agrees with
// its values one float step either side, so neither branch form carries a wrong term. (At
// w/h = 1/(2 pi) the narrow and wide widening agree to the last bit, so which one the
// threshold picks cannot show; that they meet can.)
TEST(ModelBranchEdges, BothFormsMeetAtEachThreshold) {
  std::ostringstream console;
  MsImp1 msimp1;
  MsZo1 mszo1;
  LcEff1 lceff1;
  const auto weff = [&](float w) {
    msimp(kEr, kH, 1000.0f * kH, kT, w, msimp1);
    return msimp1.weff;
  };
  const auto wte = [](float w) {
    float e = 0.0f, o = 0.0f;
    lcwta(kEr, kH, kS, kT, w, e, o);
    return e;
  };
  const auto zooap = [&](float er) {
    std::int32_t iflag = 0;
    float e = 0.0f, o = 0.0f;
    lcimp(er, kH, 1, iflag, 0, 4, kS, kWte, kWto, e, o, msimp1, console);
    return o;
  };
  const auto effef = [&](float w) {
    lceff(5.75f, 6.3f, 5.3f, kEr, 10.0f, kH, 1, 2, kS, w, kWto, lceff1);
    return lceff1.effef;
  };
  const auto effof = [&](float w) {
    lceff(5.75f, 6.3f, 5.3f, kEr, 10.0f, kH, 1, 2, kS, kWte, w, lceff1);
    return lceff1.effof;
  };
  const auto zof = [&](float w) {
    msimp(kEr, kH, 1000.0f * kH, 0.0f, w, msimp1);
    mszo(msimp1.ef, kEr, 10.0f, kH, w, msimp1.zo, mszo1);
    return mszo1.zof;
  };
  const Edge edges[] = {
      {"msimp weff at u = 1/(2 pi)", weff, 0x1.04c26cp-8f},
      {"lcwta wte at w/h = 1/(2 pi)", wte, 0x1.04c26cp-8f},
      {"lcimp zooap at er = 6", zooap, 6.0f},
      {"lceff effef at ue = 15", effef, 15.0f * kH},
      {"lceff effof at uo = 15", effof, 15.0f * kH},
      {"mszo zof at u = 7", zof, 7.0f * kH},
      {"mszo zof at u = 27", zof, 27.0f * kH},
  };
  ASSERT_EQ(0x1.04c26cp-8f / kH, kNarrowLimit);
  for (const Edge& e : edges) {
    const float at = e.model(e.x);
    const float below = e.model(std::nextafter(e.x, 0.0f));
    const float above = e.model(std::nextafter(e.x, 1e9f));
    EXPECT_NEAR(below, at, 2e-6f * at) << e.what;
    EXPECT_NEAR(above, at, 2e-6f * at) << e.what;
  }
}

TEST(ModelBranchEdges, SixStripModeFactors) {
  std::ostringstream console;
  MsImp1 msimp1;
  std::int32_t iflag = 0;
  float e4 = 0.0f, o4 = 0.0f, e6 = 0.0f, o6 = 0.0f;
  lcimp(kEr, kH, 1, iflag, 0, 4, kS, kWte, kWto, e4, o4, msimp1, console);
  lcimp(kEr, kH, 1, iflag, 0, 6, kS, kWte, kWto, e6, o6, msimp1, console);
  EXPECT_NEAR(e6 / (e4 / 2.0f), 0.04118f * kEr + 2.044f, 1e-6f);
  EXPECT_NEAR(o6 / (o4 / 2.0f), 0.01287f * kEr + 2.11f, 1e-6f);
}

// iop = 3 (sensitivity analysis) works on the mode that ieoro names; the other mode and the
// coupler value keep their static inputs.
TEST(ModelBranchEdges, SingleModeWork) {
  struct Case {
    std::int32_t ieoro;
    bool even_changes;
    bool odd_changes;
  };
  const float effc = 5.7533f, effe = 6.2956f, effo = 5.2971f;
  const float zoeap = 166.60f, zooap = 49.796f;
  for (const Case c : {Case{1, true, false}, Case{2, false, true}, Case{3, true, false}}) {
    LcEff1 lceff1;
    lceff(effc, effe, effo, kEr, 10.0f, kH, c.ieoro, 3, kS, kWte, kWto, lceff1);
    EXPECT_EQ(lceff1.effcf, effc) << c.ieoro;
    EXPECT_EQ(lceff1.effef != effe, c.even_changes) << c.ieoro;
    EXPECT_EQ(lceff1.effof != effo, c.odd_changes) << c.ieoro;

    LcDis1 lcdis1;
    MsImp1 msimp1;
    MsZo1 mszo1;
    std::int32_t iflag = 0;
    lcdis(effo, 5.2987f, kEr, 10.0f, kH, 1000.0f * kH, c.ieoro, iflag, 3, kS, kWte, kWto, zoeap,
          zooap, lcdis1, msimp1, mszo1);
    EXPECT_EQ(iflag, 0);
    EXPECT_EQ(lcdis1.zoeapf != zoeap, c.even_changes) << c.ieoro;
    EXPECT_EQ(lcdis1.zooapf != zooap, c.odd_changes) << c.ieoro;
    // The single strip was evaluated on the width of the mode worked on.
    EXPECT_EQ(msimp1.u, (c.odd_changes ? kWto : kWte) / kH) << c.ieoro;
  }
}

// Odd mode only: the odd dispersive value (49.393 ohms here) is checked against the static
// even-mode value.
TEST(ModelBranchEdges, OddOnlyFlagComparesWithStaticEvenValue) {
  for (const auto& [zoeap, flag] : {std::pair{49.40f, 0}, std::pair{49.39f, 2}}) {
    LcDis1 lcdis1;
    MsImp1 msimp1;
    MsZo1 mszo1;
    std::int32_t iflag = 0;
    lcdis(5.2971f, 5.2987f, kEr, 10.0f, kH, 1000.0f * kH, 2, iflag, 3, kS, kWte, kWto, zoeap,
          49.796f, lcdis1, msimp1, mszo1);
    EXPECT_EQ(iflag, flag) << zoeap;
    EXPECT_EQ(lcdis1.zoeapf, zoeap);
  }
}

// A non-zero flag on entry (odd mode not below even mode statically) or f = 0 skips the
// dispersion: static results, flag kept, single-strip records untouched.
TEST(ModelBranchEdges, DispersionSkipped) {
  struct Case {
    float f;
    std::int32_t iflag;
  };
  for (const Case c : {Case{10.0f, 2}, Case{10.0f, 1}, Case{0.0f, 0}, Case{-1.0f, 0}}) {
    LcDis1 lcdis1{1.0f, 2.0f};
    MsImp1 msimp1{3.0f, 3.0f, 3.0f, 3.0f, 3.0f};
    MsZo1 mszo1{4.0f, 4.0f};
    std::int32_t iflag = c.iflag;
    lcdis(5.2971f, 5.2987f, kEr, c.f, kH, 1000.0f * kH, 1, iflag, 2, kS, kWte, kWto, 166.6f,
          49.796f, lcdis1, msimp1, mszo1);
    EXPECT_EQ(iflag, c.iflag);
    EXPECT_EQ(lcdis1.zoeapf, 166.6f);
    EXPECT_EQ(lcdis1.zooapf, 49.796f);
    EXPECT_EQ(msimp1.zo, 3.0f);
    EXPECT_EQ(mszo1.zof, 4.0f);
  }
  LcEff1 lceff1;
  lceff(5.7533f, 6.2956f, 5.2971f, kEr, 0.0f, kH, 1, 2, kS, kWte, kWto, lceff1);
  EXPECT_EQ(lceff1.effcf, 5.7533f);
  EXPECT_EQ(lceff1.effef, 6.2956f);
  EXPECT_EQ(lceff1.effof, 5.2971f);
  MsZo1 mszo1;
  for (const auto& [er, f] : {std::pair{kEr, 0.0f}, std::pair{1.0f, 10.0f}}) {
    mszo(6.5f, er, f, kH, 0.025f, 49.0f, mszo1);
    EXPECT_EQ(mszo1.eff, 6.5f);
    EXPECT_EQ(mszo1.zof, 49.0f);
  }
}

// 50 ohm, 3 dB couplers: pair values for N = 2, 4, 6, and back to the coupler values.
TEST(ModelBranchEdges, PairAndCouplerValuesRoundTrip) {
  struct Case {
    std::int32_t n;
    float zoeap;
    float zooap;
  };
  const float cc3db = std::pow(10.0f, -3.0f / 20.0f);
  for (const Case c :
       {Case{2, 120.91f, 20.68f}, Case{4, 176.41f, 52.54f}, Case{6, 243.32f, 82.45f}}) {
    float zoeap = 0.0f, zooap = 0.0f;
    lczoezoo(cc3db, c.n, 50.0f, zoeap, zooap);
    EXPECT_NEAR(zoeap, c.zoeap, 0.005f) << c.n;
    EXPECT_NEAR(zooap, c.zooap, 0.005f) << c.n;
    float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
    lczo(cc, ko, c.n, zo, zoe, zoeap, zoo, zooap);
    EXPECT_NEAR(zo, 50.0f, 5e-5f) << c.n;
    EXPECT_NEAR(cc, cc3db, 1e-6f) << c.n;
    EXPECT_NEAR(ko, -3.0f, 1e-5f) << c.n;
  }
}

// lcwts inverts lcwta on both sides of w/h = 1/(2 pi) (the wanted width itself included):
// by the search tolerance on narrow strips, to rounding on wide ones.
TEST(ModelBranchEdges, EffectiveWidthRoundTrip) {
  for (const float w : {0.0002f, 0.0005f, 0.001f, 0.002f, 0.0035f, 0x1.04c26cp-8f, 0.0041f, 0.005f,
                        0.01f, 0.05f, 0.2f}) {
    float wte = 0.0f, wto = 0.0f;
    lcwta(kEr, kH, kS, kT, w, wte, wto);
    float wback = 0.0f;
    ASSERT_TRUE(lcwts(kEr, kH, kS, kT, wback, wte)) << w;
    float wte2 = 0.0f;
    lcwta(kEr, kH, kS, kT, wback, wte2, wto);
    const bool narrow = w / kH < kNarrowLimit;
    EXPECT_NEAR(wte2, wte, (narrow ? 1e-5f : 1e-6f) * wte) << w;
    EXPECT_NEAR(wback, w, 2e-4f * w) << w;
  }
  float w = 0.0f;
  ASSERT_TRUE(lcwts(kEr, kH, kS, kT, w, kNarrowLimit * kH));
}

// A wanted even width below what any positive width of this thickness gives has no root: the
// search ends at its bound with a positive width instead of walking on forever.
TEST(ModelBranchEdges, EffectiveWidthSearchIsBounded) {
  for (const float wte : {1e-7f, 0.0f, -0.001f, std::numeric_limits<float>::quiet_NaN()}) {
    const auto start = std::chrono::steady_clock::now();
    float w = 1.0f;
    EXPECT_FALSE(lcwts(kEr, kH, kS, kT, w, wte)) << wte;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << wte;
    if (wte > 0.0f) {
      EXPECT_GT(w, 0.0f);
    }
  }
}

}  // namespace
