#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "design/design.hpp"
#include "models/constants.hpp"
#include "tests/design/chain.hpp"

namespace cuplo::design {
namespace {

struct Geometry {
  float er = 9.8f, h = 0.025f, s = 0.002f, t = 0.0002f, w = 0.002f;
};

struct Sen {
  LcSen1 e;
  LcSen2 o;
  float zoef = 0.0f, zoof = 0.0f;
  std::int32_t iflag = -1;
  models::LcDis1 lcdis1;
  std::string console;
};

Sen run(const Geometry& g, float f, std::int32_t ieoro, std::int32_t iop, std::int32_t istore = 0) {
  Sen r;
  models::LcEff1 lceff1;
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  std::ostringstream console;
  lcsen(g.er, f, g.h, ieoro, r.iflag, 4, g.s, g.t, g.w, r.zoef, r.zoof, istore, iop, r.e, r.o,
        lceff1, r.lcdis1, msimp1, mszo1, console);
  r.console = console.str();
  return r;
}

// Impedances fall with er and w; Zoe rises with h; a wider gap raises Zoo and lowers Zoe.
// Zoo, held by the gap, hardly moves with h: its small sensitivity follows the N-strip mixing
// of the pair values and the thickness term h*t/(er*s) and is slightly negative here.
TEST(Lcsen, PhysicalSigns) {
  for (const std::int32_t ieoro : {1, 2}) {
    const Sen r = run(Geometry{}, 10.0f, ieoro, 3);
    EXPECT_EQ(r.iflag, 0);
    EXPECT_LT(r.e.szoeer, 0.0f);
    EXPECT_LT(r.e.szoew, 0.0f);
    EXPECT_GT(r.e.szoeh, 0.0f);
    EXPECT_LT(r.e.szoes, 0.0f);
    EXPECT_LT(r.o.szooer, 0.0f);
    EXPECT_LT(r.o.szoow, 0.0f);
    EXPECT_LT(std::fabs(r.o.szooh), 0.25f * r.e.szoeh);
    EXPECT_GT(r.o.szoos, 0.0f);
  }
}

// Each sensitivity against an independent run of the analysis chain at 1.001 of the value;
// at f = 0 that chain is the static one. The returned impedances are those of the base point.
TEST(Lcsen, OneSidedDifference) {
  for (const float f : {0.0f, 10.0f}) {
    const Geometry g;
    const Sen r = run(g, f, 1, 2);
    const testing::Coupler base = testing::analyse(g.er, f, g.h, 4, g.s, g.t, g.w);
    EXPECT_EQ(r.zoef, base.zoe);
    EXPECT_EQ(r.zoof, base.zoo);
    float Geometry::*const values[] = {&Geometry::er, &Geometry::h, &Geometry::s, &Geometry::t,
                                       &Geometry::w};
    const float se[] = {r.e.szoeer, r.e.szoeh, r.e.szoes, r.e.szoet, r.e.szoew};
    const float so[] = {r.o.szooer, r.o.szooh, r.o.szoos, r.o.szoot, r.o.szoow};
    for (int k = 0; k < 5; ++k) {
      Geometry p = g;
      p.*values[k] = g.*values[k] * 1.001f;
      const testing::Coupler a = testing::analyse(p.er, f, p.h, 4, p.s, p.t, p.w);
      const float v = g.*values[k], vp = p.*values[k];
      EXPECT_NEAR(se[k], ((a.zoe - base.zoe) * v) / ((vp - v) * base.zoe), 1e-4f) << f << k;
      EXPECT_NEAR(so[k], ((a.zoo - base.zoo) * v) / ((vp - v) * base.zoo), 1e-4f) << f << k;
      if (k == 4 && f > 0.0f) {  // the records hold the last perturbation, w enlarged
        float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
        models::lczo(cc, ko, 4, zo, zoe, r.lcdis1.zoeapf, zoo, r.lcdis1.zooapf);
        EXPECT_EQ(zoe, a.zoe);
      }
    }
  }
}

// No thickness: no thickness evaluation (counted by the verification prints of lcimp).
TEST(Lcsen, ZeroThickness) {
  Geometry thin;
  thin.t = 0.0f;
  const Sen r0 = run(thin, 10.0f, 1, 3, models::kVerificationCode);
  const Sen r1 = run(Geometry{}, 10.0f, 1, 3, models::kVerificationCode);
  EXPECT_EQ(r0.e.szoet, 0.0f);
  EXPECT_EQ(r0.o.szoot, 0.0f);
  EXPECT_NE(r1.e.szoet, 0.0f);
  const auto count = [](const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
  };
  ASSERT_GT(count(r1.console), 0);
  EXPECT_EQ(count(r0.console) * 6, count(r1.console) * 5);
}

// A zero design value has no relative change: IEEE values, no trap.
TEST(Lcsen, ZeroDesignValue) {
  Geometry g;
  g.s = 0.0f;
  EXPECT_TRUE(std::isnan(run(g, 10.0f, 1, 2).e.szoes));
  g = Geometry{};
  g.w = 0.0f;
  EXPECT_TRUE(std::isnan(run(g, 10.0f, 2, 3).o.szoow));
}

}  // namespace
}  // namespace cuplo::design
