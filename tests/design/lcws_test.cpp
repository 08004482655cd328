#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "design/design.hpp"
#include "design/detail.hpp"

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

// Worked case on alumina, and the odd-mode thickness correction on the same targets.
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

  const Search c = run(9.8f, 4, 0.0002f, 160.0f, 60.0f);
  EXPECT_EQ(c.iflag, 0);
  EXPECT_FLOAT_EQ(c.wto - c.wte, 0.025f * 0.0002f / (9.8f * c.s));
}

// Mode factors of the equivalent single strips and the odd-mode gap factor r.
TEST(Lcws, SetUpFactors) {
  const float pi = 3.1415927f;
  struct Row {
    float er;
    std::int32_t n;
    float fe, fo, r;
  };
  const Row rows[] = {
      {10.0f, 6, 2.4558f, 2.2387f, 1.0f / pi},  {9.8f, 4, 2.0f, 2.0f, 1.0f / pi},
      {10.0f, 2, 2.0f, 2.0f, 1.0f / pi},        {6.0f, 4, 2.0f, 2.0f, 1.0f / pi},
      {2.0f, 6, 2.12636f, 2.13574f, 2.0f / pi}, {5.0f, 4, 2.0f, 2.0f, 8.0f / (7.0f * pi)}};
  for (const Row& w : rows) {
    const Search r = run(w.er, w.n, 0.0f, 160.0f, 60.0f);
    EXPECT_FLOAT_EQ(r.trace.fe, w.fe) << w.er << " " << w.n;
    EXPECT_FLOAT_EQ(r.trace.fo, w.fo) << w.er << " " << w.n;
    EXPECT_FLOAT_EQ(r.trace.r, w.r) << w.er;
  }
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
// g = 1; an even-mode strip width that is not a number); zero divisors end in bounded time.
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
    EXPECT_TRUE(r.trace.evaluations < 1000 || r.iflag == 1) << w[0] << " " << w[1];
  }
}

}  // namespace
}  // namespace cuplo::design
