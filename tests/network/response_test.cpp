// Complex product and four-quadrant arctangent, and the four-port response of the coupler:
// zero-frequency limits, the ideal quadrature coupler, the floors and caps of the report figures,
// and a double-precision even/odd-mode reference.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

#include "models/constants.hpp"
#include "network/detail.hpp"
#include "network/network.hpp"

namespace {

using namespace cuplo::network;
using cuplo::models::kLightInchNs;
using cuplo::models::kPi;
using Cd = std::complex<double>;

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

// Arguments: f, ate, ato, effe, effo, l, rl, rs, zoe, zoo.
LcFa1 run(const std::array<float, 10>& a) {
  LcFa1 r;
  r.f = a[0];
  lcfa(a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], r);
  return r;
}

// At f = 0 nothing reaches the coupled and isolated ports (minus infinity dB; the reports show
// floors there) and every phase is 0; a port-1 wave of amplitude 1 is an infinite VSWR, and
// next to nothing goes through.
TEST(Lcfa, ZeroFrequency) {
  const LcFa1 r = run({0, 0, 0, 6, 5, 0.3f, 50, 50, 120, 20});
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(r.mag, (std::array<float, 4>{-inf, -inf, -inf, 0}));
  EXPECT_EQ(r.ang, (std::array<float, 4>{0, 0, 0, 0}));
  EXPECT_EQ(r.phi, 0.0f);
  EXPECT_EQ(r.err, -90.0f);
  EXPECT_EQ(r.vswr, 1.0f);
  EXPECT_EQ(r.atot, 0.0f);
  EXPECT_EQ(r.f, 0.0f);
  // rl so large that port 1 reflects exactly everything: VSWR capped, loss floored.
  const LcFa1 open = run({0, 0, 0, 6, 6, 0.2f, 1e30f, 50, 100, 25});
  EXPECT_EQ(open.vswr, inf);
  EXPECT_LT(open.loss, -200.0f);
}

// A lossless matched 3 dB coupler a quarter wave long: half the power at ports 2 and 4, in
// quadrature, nothing at ports 1 and 3, no loss.
TEST(Lcfa, IdealThreeDbQuarterWaveCoupler) {
  const float k = std::pow(10.0f, -3.0f / 20.0f);
  const float zoe = 50.0f * std::sqrt((1.0f + k) / (1.0f - k));
  const float f = kLightInchNs / (4.0f * 0.12f * std::sqrt(6.5f));
  const LcFa1 r = run({f, 0, 0, 6.5f, 6.5f, 0.12f, 50, 50, zoe, 2500.0f / zoe});
  EXPECT_NEAR(r.mag[1], -3.0f, 0.05f);
  EXPECT_NEAR(r.mag[3], -3.0f, 0.05f);
  EXPECT_LT(std::max(r.mag[0], r.mag[2]), -60.0f);
  EXPECT_NEAR(r.ang[3], -90.0f, 0.01f);
  EXPECT_NEAR(r.phi, 90.0f, 0.01f);
  EXPECT_NEAR(r.err, 0.0f, 0.01f);
  EXPECT_NEAR(r.vswr, 1.0f, 1e-3f);
  EXPECT_NEAR(r.atot, 0.0f, 2e-5f);
}

TEST(Lcfa, QuadraturePhaseReduction) {
  const float cases[][3] = {{90, -90, 0},     {170, -100, 90}, {-100, 170, 90},    {10, 10, 0},
                            {179, -179, 178}, {0, 180, 0},     {-30.5f, 20, 50.5f}};
  for (const auto& c : cases) {
    EXPECT_EQ(detail::quadrature_phase(c[0], c[1]), c[2]) << c[0] << " " << c[1];
  }
}

// Each mode a lossy line between the terminations, in double precision, the port waves its
// even and odd sums.
TEST(Lcfa, AgreesWithADoublePrecisionEvenOddAnalysis) {
  const std::array<float, 10> cases[] = {
      {9.45f, 0.21f, 0.35f, 7.8f, 5.98f, 0.12f, 50, 50, 47.55f, 11.89f},
      {3, 0.05f, 0.1f, 6.6f, 5.1f, 0.3f, 75, 40, 130, 22},
      {14, 0, 0.6f, 8.1f, 6.2f, 0.08f, 30, 60, 90, 35},
      {3, 2, 2, 4, 4, 0.5f, 50, 50, 50, 50}};  // uncoupled matched line: -1 dB through
  for (const auto& c : cases) {
    const LcFa1 r = run(c);
    const double f = c[0], l = c[5], rl = c[6], rs = c[7];
    auto mode = [&](double at, double eff, double z, Cd& gamma, Cd& tau) {
      const Cd g(at * l / 8.686, std::sqrt(eff) * 2.0 * std::numbers::pi * l * f / 11.802855);
      const Cd a = std::cosh(g), b = z * std::sinh(g), cc = std::sinh(g) / z;
      const Cd den = a * rl + b + cc * rs * rl + a * rs;
      gamma = (a * rl + b - cc * rs * rl - a * rs) / den;
      tau = 2.0 * std::sqrt(rs * rl) / den;
    };
    Cd ge, te, go, to;
    mode(c[1], c[3], c[8], ge, te);
    mode(c[2], c[4], c[9], go, to);
    const Cd wave[4] = {(ge + go) * 0.5, (ge - go) * 0.5, (te - to) * 0.5, (te + to) * 0.5};
    double power = 0.0;
    for (std::size_t p = 0; p < 4; ++p) {
      power += std::norm(wave[p]);
      if (std::abs(wave[p]) < 1e-4) {  // nothing there but rounding, or an exact floor
        EXPECT_LT(r.mag[p], -80.0f) << c[0] << " " << p;
        continue;
      }
      EXPECT_NEAR(r.mag[p], 20.0 * std::log10(std::abs(wave[p])), 1e-3) << c[0] << " " << p;
      EXPECT_NEAR(r.ang[p], std::arg(wave[p]) * 180.0 / std::numbers::pi, 1e-3) << c[0] << " " << p;
    }
    const double g1 = std::abs(wave[0]);
    EXPECT_NEAR(r.vswr, (1.0 + g1) / (1.0 - g1), 1e-4) << c[0];
    EXPECT_NEAR(r.atot, 10.0 * std::log10(power), 1e-4) << c[0];
    EXPECT_NEAR(r.loss, 10.0 * std::log10(std::norm(wave[1]) + std::norm(wave[3])), 1e-4);
  }
}

}  // namespace
