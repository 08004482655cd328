// Tier 2: properties the models must have whatever the numbers: limits that hold exactly,
// monotonic behaviour, and the side effects on the shared result records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>

#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace {

using namespace cuplo::models;

constexpr float kEr = 9.8f, kH = 0.025f, kS = 0.002f, kT = 0.0002f;
constexpr float kWidths[] = {0.0005f, 0.002f, 0.004f, 0.01f, 0.025f, 0.05f, 0.1f};

TEST(ModelProperties, AirGivesUnitPermittivity) {
  MsImp1 msimp1;
  for (const float w : kWidths) {
    for (const float t : {0.0f, kT}) {
      msimp(1.0f, kH, 1000.0f * kH, t, w, msimp1);
      EXPECT_EQ(msimp1.ef, 1.0f) << w;
      EXPECT_EQ(msimp1.zo, msimp1.zoa) << w;
    }
  }
  LcEff1 lceff1;
  lceff(1.0f, 1.0f, 1.0f, 1.0f, 20.0f, kH, 1, 2, kS, 0.0024f, 0.0027f, lceff1);
  EXPECT_EQ(lceff1.effcf, 1.0f);
  EXPECT_EQ(lceff1.effef, 1.0f);
  EXPECT_EQ(lceff1.effof, 1.0f);
  // In air the odd-mode terms q24 and the even-mode term de vanish; the result stays finite.
  LcDis1 lcdis1;
  MsZo1 mszo1;
  std::int32_t iflag = 0;
  lcdis(1.0f, 1.0f, 1.0f, 20.0f, kH, 1000.0f * kH, 1, iflag, 2, kS, 0.0024f, 0.0027f, 400.0f,
        120.0f, lcdis1, msimp1, mszo1);
  EXPECT_EQ(iflag, 0);
  EXPECT_TRUE(std::isfinite(lcdis1.zoeapf) && std::isfinite(lcdis1.zooapf));
}

TEST(ModelProperties, ZeroThicknessLeavesWidths) {
  MsImp1 msimp1;
  for (const float w : kWidths) {
    msimp(kEr, kH, 1000.0f * kH, 0.0f, w, msimp1);
    EXPECT_EQ(msimp1.weff, w);
    EXPECT_EQ(msimp1.u, w / kH);
    float wte = 0.0f, wto = 0.0f, wback = 0.0f;
    lcwta(kEr, kH, kS, 0.0f, w, wte, wto);
    EXPECT_EQ(wte, w);
    EXPECT_EQ(wto, w);
    EXPECT_TRUE(lcwts(kEr, kH, kS, 0.0f, wback, w));
    EXPECT_EQ(wback, w);
  }
}

TEST(ModelProperties, DistantCoverChangesNothing) {
  MsImp1 near_limit, far;
  msimp(kEr, kH, 1000.0f * kH, kT, 0.01f, near_limit);
  msimp(kEr, kH, 1e6f * kH, kT, 0.01f, far);
  EXPECT_EQ(near_limit.zoa, far.zoa);
  EXPECT_EQ(near_limit.ef, far.ef);
}

// Wider strips: lower impedances, for the single strip, both pair modes and the coupler.
TEST(ModelProperties, ImpedancesFallAsWidthGrows) {
  std::ostringstream console;
  MsImp1 msimp1;
  float last_zo = 1e9f, last_zoeap = 1e9f, last_zooap = 1e9f, last_coupler = 1e9f;
  for (const float w : kWidths) {
    msimp(kEr, kH, 1000.0f * kH, kT, w, msimp1);
    EXPECT_LT(msimp1.zo, last_zo) << w;
    last_zo = msimp1.zo;
    float wte = 0.0f, wto = 0.0f;
    lcwta(kEr, kH, kS, kT, w, wte, wto);
    EXPECT_GT(wte, w);
    EXPECT_GT(wto, wte);
    std::int32_t iflag = -1;
    float zoeap = 0.0f, zooap = 0.0f;
    lcimp(kEr, kH, 1, iflag, 0, 4, kS, wte, wto, zoeap, zooap, msimp1, console);
    EXPECT_EQ(iflag, 0);
    EXPECT_LT(zoeap, last_zoeap) << w;
    EXPECT_LT(zooap, last_zooap) << w;
    // msimp1 is left holding the odd-mode equivalent strip.
    EXPECT_EQ(2.0f * msimp1.zo, zooap);
    last_zoeap = zoeap;
    last_zooap = zooap;
    float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
    lczo(cc, ko, 4, zo, zoe, zoeap, zoo, zooap);
    EXPECT_LT(zo, last_coupler) << w;
    last_coupler = zo;
  }
}

TEST(ModelProperties, OddModeNotBelowEvenModeIsFlagged) {
  std::ostringstream console;
  MsImp1 msimp1;
  std::int32_t iflag = 0;
  float zoeap = 0.0f, zooap = 0.0f;
  lcimp(kEr, kH, 1, iflag, 0, 4, kS, 0.05f, 0.0001f, zoeap, zooap, msimp1, console);
  EXPECT_GE(zooap, zoeap);
  EXPECT_EQ(iflag, 2);
  LcDis1 lcdis1;
  MsZo1 mszo1;
  iflag = 0;
  lcdis(5.3f, 5.3f, kEr, 10.0f, kH, 1000.0f * kH, 1, iflag, 2, kS, 0.0024f, 0.0027f, 20.0f, 60.0f,
        lcdis1, msimp1, mszo1);
  EXPECT_EQ(iflag, 2);
  EXPECT_GT(lcdis1.zooapf, lcdis1.zoeapf);
  // Two modes on different widths: msimp1 is left holding the odd-mode strip.
  EXPECT_EQ(msimp1.u, 0.0027f / kH);
}

TEST(ModelProperties, TwoLineAndSingleStripLimits) {
  // N = 2 is the ordinary coupled pair.
  float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
  lczo(cc, ko, 2, zo, zoe, 120.0f, zoo, 30.0f);
  EXPECT_FLOAT_EQ(zo, 60.0f);
  EXPECT_FLOAT_EQ(cc, 0.6f);
  EXPECT_FLOAT_EQ(zoe, 120.0f);
  EXPECT_FLOAT_EQ(zoo, 30.0f);
  // Two-line conversion: no coupling is -999.999 dB.
  float c2 = 1.0f, k2 = 0.0f, z2 = 0.0f, e2 = 50.0f, o2 = 50.0f;
  sl1zo(c2, k2, 2, z2, e2, o2);
  EXPECT_EQ(c2, 0.0f);
  EXPECT_EQ(k2, -999.999f);
  EXPECT_EQ(z2, 50.0f);
  // One strip: the coupler is a single strip of width w; msimp1 holds that strip.
  std::ostringstream console;
  MsImp1 msimp1;
  float effc = 0.0f, effe = 0.0f, effo = 0.0f;
  lcpv(effc, effe, effo, kEr, kH, 1, kS, kT, 0.01f, 0.0105f, 0.011f, 0, msimp1, console);
  EXPECT_EQ(msimp1.u, 0.01f / kH);
  EXPECT_EQ(effe, msimp1.ef);
  EXPECT_FLOAT_EQ(effo, effe);
  EXPECT_FLOAT_EQ(effc, effe);
  // Four strips: msimp1 holds the strip as wide as the coupler, 4 w + 3 s.
  lcpv(effc, effe, effo, kEr, kH, 4, kS, kT, 0.002f, 0.0023981f, 0.0026532f, 0, msimp1, console);
  EXPECT_EQ(msimp1.u, (4.0f * 0.002f + 3.0f * kS) / kH);
  EXPECT_LT(effo, effc);
  EXPECT_LT(effc, effe);
}

}  // namespace
