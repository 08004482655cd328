// Tier 1: the acceptance values of each model (worked out with the models' equations for this
// program's acceptance, at the quoted decimals; not taken from a paper), evaluated along one
// analysis chain (the quoted inputs of the later models are the rounded results of the earlier
// ones, so each model is fed the unrounded values it would receive in the program).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace {

using namespace cuplo::models;

struct Reference {
  const char* quantity;
  float computed;
  float reference;
  int decimals;  // decimals of the quoted reference value
};

void append(std::vector<Reference>& table, std::initializer_list<Reference> more) {
  for (const Reference& r : more) table.push_back(r);
}

// Half a unit of the last quoted digit, or 2e-5 relative, whichever is looser.
float tolerance(const Reference& r) {
  return std::max(0.5f * std::pow(10.0f, -static_cast<float>(r.decimals)),
                  2e-5f * std::fabs(r.reference));
}

TEST(ModelReferenceValues, AgreeWithAcceptanceValues) {
  const float er = 9.8f, h = 0.025f, s = 0.002f, t = 0.0002f, w = 0.002f, f = 10.0f;
  MsImp1 msimp1;
  MsZo1 mszo1;
  std::vector<Reference> table;

  // Acceptance values of the Hammerstad-Jensen static model and the Kirschning-Jansen
  // dispersive model of a single strip: er 9.8, h1 = w = 0.025, h2 = 25.
  msimp(er, 0.025f, 25.0f, 0.0f, 0.025f, msimp1);
  const MsImp1 bare = msimp1;
  append(table, {{"msimp ef, t=0", bare.ef, 6.5790f, 4},
                 {"msimp zo, t=0", bare.zo, 49.289f, 3},
                 {"msimp zoa, t=0", bare.zoa, 126.42f, 2}});
  mszo(bare.ef, er, 10.0f, 0.025f, 0.025f, bare.zo, mszo1);
  append(table, {{"mszo eff, 10 GHz", mszo1.eff, 6.9282f, 4},
                 {"mszo zof, 10 GHz", mszo1.zof, 49.729f, 3}});
  mszo(bare.ef, er, 30.0f, 0.025f, 0.025f, bare.zo, mszo1);
  append(table, {{"mszo eff, 30 GHz", mszo1.eff, 7.8291f, 4},
                 {"mszo zof, 30 GHz", mszo1.zof, 56.226f, 3}});
  msimp(er, 0.025f, 25.0f, 0.0007f, 0.025f, msimp1);
  append(table, {{"msimp weff, t=0.0007", msimp1.weff, 0.026467f, 6},
                 {"msimp ef, t=0.0007", msimp1.ef, 6.5247f, 4},
                 {"msimp zo, t=0.0007", msimp1.zo, 48.231f, 3},
                 {"msimp zoa, t=0.0007", msimp1.zoa, 123.20f, 2}});
  msimp(er, 0.025f, 0.05f, 0.0f, 0.025f, msimp1);
  append(table, {{"msimp ef, cover", msimp1.ef, 6.1148f, 4},
                 {"msimp zo, cover", msimp1.zo, 46.839f, 3},
                 {"msimp zoa, cover", msimp1.zoa, 115.82f, 2}});

  // Acceptance values of the coupled-strip chain: er 9.8, h 0.025, s 0.002, t 0.0002,
  // w 0.002, N 4 (and 6), 10 GHz.
  float wte = 0.0f, wto = 0.0f, wback = 0.0f;
  lcwta(er, h, s, t, w, wte, wto);
  EXPECT_TRUE(lcwts(er, h, s, t, wback, wte));
  append(table, {{"lcwta wte", wte, 0.0023981f, 7},
                 {"lcwta wto", wto, 0.0026532f, 7},
                 {"lcwts w", wback, 0.0020000f, 7}});
  std::int32_t iflag = -1;
  float zoeap6 = 0.0f, zooap6 = 0.0f;
  lcimp(er, h, iflag, 6, s, wte, wto, zoeap6, zooap6, msimp1, nullptr);
  float zoeap = 0.0f, zooap = 0.0f;
  lcimp(er, h, iflag, 4, s, wte, wto, zoeap, zooap, msimp1, nullptr);
  EXPECT_EQ(iflag, 0);
  append(table, {{"lcimp zoeap, N=4", zoeap, 166.60f, 2},
                 {"lcimp zooap, N=4", zooap, 49.796f, 3},
                 {"lcimp zoeap, N=6", zoeap6, 203.88f, 2},
                 {"lcimp zooap, N=6", zooap6, 55.675f, 3}});
  float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
  lczo(cc, ko, 4, zo, zoe, zoeap, zoo, zooap);
  append(table, {{"lczo cc", cc, 0.70671f, 5},
                 {"lczo ko", ko, -3.0152f, 4},
                 {"lczo zo", zo, 47.296f, 3},
                 {"lczo zoe", zoe, 114.09f, 2},
                 {"lczo zoo", zoo, 19.606f, 3}});
  float effc = 0.0f, effe = 0.0f, effo = 0.0f;
  lcpv(effc, effe, effo, er, h, 4, s, t, w, wte, wto, msimp1, nullptr);
  append(table, {{"lcpv effc", effc, 5.7533f, 4},
                 {"lcpv effe", effe, 6.2956f, 4},
                 {"lcpv effo", effo, 5.2971f, 4}});
  LcEff1 lceff1;
  lceff(effc, effe, effo, er, f, h, Modes::both, s, wte, wto, lceff1);
  append(table, {{"lceff effcf", lceff1.effcf, 5.8433f, 4},
                 {"lceff effef", lceff1.effef, 6.5125f, 4},
                 {"lceff effof", lceff1.effof, 5.2987f, 4}});
  LcDis1 lcdis1;
  lcdis(effo, lceff1.effof, er, f, h, 1000.0f * h, iflag, Modes::both, s, wte, wto, zoeap, zooap,
        lcdis1, msimp1, mszo1);
  EXPECT_EQ(iflag, 0);
  append(table, {{"lcdis zoeapf", lcdis1.zoeapf, 167.37f, 2},
                 {"lcdis zooapf", lcdis1.zooapf, 49.393f, 3}});

  for (const Reference& r : table) {
    EXPECT_NEAR(r.computed, r.reference, tolerance(r)) << r.quantity;
  }
}

}  // namespace
