// Complex product, four-quadrant arctangent, line chain matrix and two-port scattering.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "models/constants.hpp"
#include "network/network.hpp"

namespace {

using namespace cuplo::network;
using cuplo::models::kPi;
using Cd = std::complex<double>;

Cd entry(const Abcd& m, std::size_t k) {
  return {m[0][k], m[1][k]};
}

// nmult type 2 conjugates the first factor; atn2 on the axes, with signed zeros (a negative
// zero counts as zero) and on the diagonals of every quadrant.
TEST(Algebra, NmultAndAtn2) {
  const float products[][7] = {{2, 1, 2, 3, 4, 11, 2}, {1, 1, 2, 3, 4, -5, 10}};
  for (const auto& c : products) {
    float xt = 0.0f, yt = 0.0f;
    nmult(static_cast<std::int32_t>(c[0]), xt, yt, c[1], c[2], c[3], c[4]);
    EXPECT_EQ(xt, c[5]) << c[0];
    EXPECT_EQ(yt, c[6]) << c[0];
  }
  const float a = std::atan(1.0f);
  const float exact[][3] = {{0, 0, 0},
                            {-0.0f, -0.0f, 0},
                            {-1, 0, kPi},
                            {-1, -0.0f, kPi},
                            {2, -0.0f, 0},
                            {0, 2, kPi / 2.0f},
                            {-0.0f, -2, -kPi / 2.0f},
                            {1, 1, a},
                            {-1, 1, kPi - a},
                            {-1, -1, a - kPi},
                            {1, -1, -a}};
  for (const auto& c : exact) EXPECT_EQ(atn2(c[0], c[1]), c[2]) << c[0] << ", " << c[1];
  for (const auto& p : {std::pair{3.0f, 4.0f}, {-3.0f, 4.0f}, {-3.0f, -4.0f}, {-7.0f, 1e-6f}}) {
    EXPECT_NEAR(atn2(p.first, p.second), std::atan2(double{p.second}, double{p.first}), 1e-6);
  }
  EXPECT_TRUE(std::isnan(atn2(std::numeric_limits<float>::quiet_NaN(), 1.0f)));
}

// xline is the complex hyperbolic matrix: lossless (A = D = cos, B = j z sin, C = j sin/z),
// theta 0 (all real), lossy; the parts that must vanish are exactly zero.
TEST(Algebra, Xline) {
  const float cases[][3] = {{50, 0.7f, 0}, {25, 0, 0.3f}, {120.9f, 2.5f, 0.4f}};
  for (const auto& c : cases) {
    Abcd m{};
    xline(c[0], c[1], c[2], m);
    const Cd g(c[2], c[1]);
    const Cd want[4] = {std::cosh(g), double{c[0]} * std::sinh(g), std::sinh(g) / double{c[0]},
                        std::cosh(g)};
    for (std::size_t k = 0; k < 4; ++k) {
      EXPECT_NEAR(std::abs(entry(m, k) - want[k]), 0.0, 2e-6 * (std::abs(want[k]) + 1e-3)) << k;
      if (c[1] == 0.0f || c[2] == 0.0f) {
        EXPECT_EQ(c[1] == 0.0f || k == 0 || k == 3 ? m[1][k] : m[0][k], 0.0f) << c[0] << " " << k;
      }
    }
  }
}

// The identity between equal and unequal terminations (zl before zs), a matched lossless line
// (a pure delay), and a lossy mismatched line against the two-port formulas.
TEST(Algebra, Taugam) {
  Abcd identity{};
  identity[0] = {1, 0, 0, 1};
  Complex tau{}, gamma{};
  taugam(tau, gamma, identity, 50.0f, 50.0f);
  EXPECT_EQ(gamma, (Complex{0, 0}));
  EXPECT_EQ(tau, (Complex{1, 0}));
  taugam(tau, gamma, identity, 75.0f, 50.0f);
  EXPECT_FLOAT_EQ(gamma[0], 0.2f);
  EXPECT_EQ(gamma[1], 0.0f);
  EXPECT_FLOAT_EQ(tau[0], 2.0f * std::sqrt(3750.0f) / 125.0f);

  Abcd line{};
  xline(50.0f, 1.1f, 0.0f, line);
  taugam(tau, gamma, line, 50.0f, 50.0f);
  EXPECT_NEAR(std::abs(Cd(gamma[0], gamma[1])), 0.0, 1e-7);
  EXPECT_FLOAT_EQ(tau[0], std::cos(1.1f));
  EXPECT_FLOAT_EQ(tau[1], -std::sin(1.1f));

  xline(35.0f, 1.1f, 0.2f, line);
  const double zl = 80.0, zs = 40.0;
  taugam(tau, gamma, line, 80.0f, 40.0f);
  const Cd a = entry(line, 0), b = entry(line, 1), c = entry(line, 2), d = entry(line, 3);
  const Cd den = a * zl + b + c * zs * zl + d * zs;
  EXPECT_NEAR(std::abs(Cd(gamma[0], gamma[1]) - (a * zl + b - c * zs * zl - d * zs) / den), 0,
              1e-6);
  EXPECT_NEAR(std::abs(Cd(tau[0], tau[1]) - 2.0 * std::sqrt(zs * zl) / den), 0, 1e-6);
}

}  // namespace
