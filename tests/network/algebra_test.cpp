// Complex product, four-quadrant arctangent, line chain matrix and two-port scattering.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "models/constants.hpp"
#include "network/network.hpp"

namespace {

using cuplo::models::kPi;
using cuplo::network::Abcd;
using cuplo::network::atn2;
using cuplo::network::Complex;
using cuplo::network::nmult;
using cuplo::network::taugam;
using cuplo::network::xline;
using Cd = std::complex<double>;

TEST(Nmult, ProductAndConjugateProduct) {
  struct Case {
    std::int32_t ltype;
    float x1, y1, x2, y2, xt, yt;
  };
  const Case cases[] = {
      {2, 1.0f, 2.0f, 3.0f, 4.0f, 11.0f, 2.0f},   // (1+2j)(3-4j)
      {1, 1.0f, 2.0f, 3.0f, 4.0f, -5.0f, 10.0f},  // (1+2j)(3+4j)
      {0, 1.0f, 2.0f, 3.0f, 4.0f, -5.0f, 10.0f},  // any ltype but 2 is the plain product
      {2, 0.5f, -1.5f, -2.0f, 0.25f, -1.375f, 2.875f},
  };
  for (const Case& c : cases) {
    float xt = 0.0f;
    float yt = 0.0f;
    nmult(c.ltype, xt, yt, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(xt, c.xt) << c.ltype;
    EXPECT_EQ(yt, c.yt) << c.ltype;
  }
}

TEST(Atn2, AxesAndSignedZeros) {
  const float a = std::atan(1.0f);
  struct Case {
    float x, y, expected;
  };
  const Case cases[] = {
      {0.0f, 0.0f, 0.0f},        {-0.0f, 0.0f, 0.0f},        {0.0f, -0.0f, 0.0f},
      {-0.0f, -0.0f, 0.0f},      {-1.0f, 0.0f, 3.1415927f},  {-1.0f, -0.0f, 3.1415927f},
      {2.0f, 0.0f, 0.0f},        {2.0f, -0.0f, 0.0f},        {0.0f, 2.0f, kPi / 2.0f},
      {-0.0f, 2.0f, kPi / 2.0f}, {0.0f, -2.0f, -kPi / 2.0f}, {1.0f, 1.0f, a},
      {-1.0f, 1.0f, kPi - a},    {-1.0f, -1.0f, a - kPi},    {1.0f, -1.0f, -a},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(atn2(c.x, c.y), c.expected) << c.x << ", " << c.y;
  }
}

TEST(Atn2, AgreesWithTheLibraryInEveryQuadrant) {
  const float pts[][2] = {{3.0f, 4.0f},     {-3.0f, 4.0f},  {-3.0f, -4.0f},   {3.0f, -4.0f},
                          {1e-6f, 5.0f},    {-1e-6f, 5.0f}, {-7.0f, 1e-6f},   {-7.0f, -1e-6f},
                          {0.25f, -1e-30f}, {1e30f, 1e30f}, {-2e-30f, 1e-30f}};
  for (const auto& p : pts) {
    EXPECT_NEAR(atn2(p[0], p[1]), std::atan2(double{p[1]}, double{p[0]}), 1e-6)
        << p[0] << ", " << p[1];
  }
  EXPECT_TRUE(std::isnan(atn2(std::numeric_limits<float>::quiet_NaN(), 1.0f)));
  EXPECT_TRUE(std::isnan(atn2(0.0f, std::numeric_limits<float>::quiet_NaN())));
}

// Column k of the chain matrix as a complex number.
Cd entry(const Abcd& m, int k) {
  return {m[0][static_cast<std::size_t>(k)], m[1][static_cast<std::size_t>(k)]};
}

TEST(Xline, LosslessAndPurelyAttenuatingSections) {
  Abcd m{};
  xline(50.0f, 0.7f, 0.0f, m);
  const float c = std::cos(0.7f);
  const float s = std::sin(0.7f);
  for (int k : {0, 3}) {
    EXPECT_EQ(entry(m, k), Cd(c, 0.0));
  }
  EXPECT_EQ(m[0][1], 0.0f);
  EXPECT_FLOAT_EQ(m[1][1], 50.0f * s);
  EXPECT_EQ(m[0][2], 0.0f);
  EXPECT_FLOAT_EQ(m[1][2], s / 50.0f);

  xline(25.0f, 0.0f, 0.3f, m);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(m[1][static_cast<std::size_t>(k)], 0.0f) << k;
  EXPECT_NEAR(m[0][0], std::cosh(0.3), 1e-6);
  EXPECT_EQ(m[0][3], m[0][0]);
  EXPECT_NEAR(m[0][1], 25.0 * std::sinh(0.3), 2e-5);
  EXPECT_NEAR(m[0][2], std::sinh(0.3) / 25.0, 1e-8);
}

TEST(Xline, LossyLineIsTheComplexHyperbolicMatrix) {
  struct Case {
    float z, theta, sigma;
  };
  const Case cases[] = {{50.0f, 1.2f, 0.05f}, {120.9f, 2.5f, 0.4f}, {20.7f, -0.8f, 1.1f}};
  for (const Case& c : cases) {
    Abcd m{};
    xline(c.z, c.theta, c.sigma, m);
    const Cd g(c.sigma, c.theta);
    const Cd want[4] = {std::cosh(g), double{c.z} * std::sinh(g), std::sinh(g) / double{c.z},
                        std::cosh(g)};
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(std::abs(entry(m, k) - want[k]), 0.0, 2e-6 * (std::abs(want[k]) + 1e-3))
          << c.z << " entry " << k;
    }
  }
}

TEST(Taugam, IdentityAndMatchedLine) {
  struct Case {
    float zl, zs;
  };
  Abcd identity{};
  identity[0] = {1.0f, 0.0f, 0.0f, 1.0f};
  for (const Case& c : {Case{50.0f, 50.0f}, Case{75.0f, 50.0f}, Case{25.0f, 100.0f}}) {
    Complex tau{};
    Complex gamma{};
    taugam(tau, gamma, identity, c.zl, c.zs);
    EXPECT_FLOAT_EQ(gamma[0], (c.zl - c.zs) / (c.zl + c.zs)) << c.zl << " " << c.zs;
    EXPECT_EQ(gamma[1], 0.0f);
    EXPECT_FLOAT_EQ(tau[0], 2.0f * std::sqrt(c.zs * c.zl) / (c.zl + c.zs));
    EXPECT_EQ(tau[1], 0.0f);
  }
  Complex tau{};
  Complex gamma{};
  taugam(tau, gamma, identity, 50.0f, 50.0f);
  EXPECT_EQ(gamma, (Complex{0.0f, 0.0f}));
  EXPECT_EQ(tau, (Complex{1.0f, 0.0f}));

  for (float theta : {0.3f, 1.5707964f, 2.9f}) {
    Abcd m{};
    xline(50.0f, theta, 0.0f, m);
    taugam(tau, gamma, m, 50.0f, 50.0f);
    EXPECT_NEAR(gamma[0], 0.0f, 1e-7f);
    EXPECT_NEAR(gamma[1], 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(tau[0], std::cos(theta));
    EXPECT_FLOAT_EQ(tau[1], -std::sin(theta));
  }
}

TEST(Taugam, MismatchedLossyLineFollowsTheTwoPortFormulas) {
  Abcd m{};
  xline(35.0f, 1.1f, 0.2f, m);
  const float zl = 80.0f;
  const float zs = 40.0f;
  Complex tau{};
  Complex gamma{};
  taugam(tau, gamma, m, zl, zs);
  const Cd a = entry(m, 0);
  const Cd b = entry(m, 1);
  const Cd c = entry(m, 2);
  const Cd d = entry(m, 3);
  const double l = zl;
  const double s = zs;
  const Cd den = a * l + b + c * s * l + d * s;
  const Cd g = (a * l + b - c * s * l - d * s) / den;
  const Cd t = 2.0 * std::sqrt(s * l) / den;
  EXPECT_NEAR(gamma[0], g.real(), 1e-6);
  EXPECT_NEAR(gamma[1], g.imag(), 1e-6);
  EXPECT_NEAR(tau[0], t.real(), 1e-6);
  EXPECT_NEAR(tau[1], t.imag(), 1e-6);
}

}  // namespace
