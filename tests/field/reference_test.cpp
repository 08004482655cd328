// The solver against published and exact references. Each reference formula is written out
// here from its paper, in double precision.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "field/field.hpp"
#include "field/internal.hpp"

namespace {

using cuplo::field::Geometry;
using cuplo::field::Solution;
using cuplo::field::Status;
using cuplo::field::solve;

constexpr double kPi = std::numbers::pi;
constexpr double kEta0 = 376.730313668;  // ohms (CODATA 2018)
constexpr double kEps0 = 8.8541878128e-12;

double percent(double value, double reference) { return 100.0 * (value / reference - 1.0); }

Solution solved(const Geometry& g) {
  const Solution s = solve(g);
  EXPECT_EQ(s.status, Status::ok) << s.message;
  return s;
}

// Complete elliptic integral of the first kind by the arithmetic-geometric mean:
// K(k) = pi / (2 agm(1, k')), given k and k' = sqrt(1 - k^2).
double elliptic_k(double kp) {
  double a = 1.0;
  double b = kp;
  for (int i = 0; i < 64 && std::fabs(a - b) > 1e-16 * a; ++i) {
    const double m = 0.5 * (a + b);
    b = std::sqrt(a * b);
    a = m;
  }
  return kPi / (2.0 * a);
}

// --- Edge-coupled stripline of no thickness: Cohn (1955), exact by conformal mapping ---------
// Ground planes b apart, strips W wide and S apart midway between them: per strip
// C/eps = 4 K(k)/K(k') with k_e = tanh(pi W / 2b) tanh(pi (W + S) / 2b) (even mode) and
// k_o = tanh(pi W / 2b) coth(pi (W + S) / 2b) (odd mode).
struct StriplineCase {
  double w_b, s_b;
};

class Cohn : public ::testing::TestWithParam<StriplineCase> {};

TEST_P(Cohn, ModeCapacitancesAreExact) {
  const auto [w_b, s_b] = GetParam();
  // The kernel's units: ground planes at y = 0 and 2, b = 2.
  const double w = 2.0 * w_b;
  const double s = 2.0 * s_b;
  const cuplo::field::detail::StriplineKernel kernel;
  const auto x = cuplo::field::detail::extrapolate(cuplo::field::detail::mesh(2, w, s, 0.0, 1.0),
                                                   kernel);
  ASSERT_TRUE(x.ok);
  const auto& c = x.extrapolated[0];
  const double ce = (c[0] + c[1]) / kEps0;
  const double co = (c[0] - c[1]) / kEps0;
  const double a = std::tanh(kPi * w_b / 2.0);
  const double b = std::tanh(kPi * (w_b + s_b) / 2.0);
  auto cohn = [](double k) { return 4.0 * elliptic_k(std::sqrt(1.0 - k * k)) / elliptic_k(k); };
  EXPECT_NEAR(percent(ce, cohn(a * b)), 0.0, 0.01);
  EXPECT_NEAR(percent(co, cohn(a / b)), 0.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Stripline, Cohn,
                         ::testing::Values(StriplineCase{0.05, 0.05}, StriplineCase{0.1, 0.02},
                                           StriplineCase{0.3, 0.1}, StriplineCase{0.5, 0.5},
                                           StriplineCase{1.0, 0.05}, StriplineCase{2.0, 1.0},
                                           StriplineCase{0.2, 3.0}));

// --- Single microstrip: Hammerstad and Jensen (1980) ----------------------------------------
// Z01(u), the impedance in air (their eq. 1, stated within 0.01 % for u <= 1 and 0.03 % for
// u <= 1000), and eeff(u, Er) (their eqs. 2 to 4, stated within 0.2 % for Er <= 128,
// 0.01 <= u <= 100).
double z01(double u) {
  const double f = 6.0 + (2.0 * kPi - 6.0) * std::exp(-std::pow(30.666 / u, 0.7528));
  return kEta0 / (2.0 * kPi) * std::log(f / u + std::sqrt(1.0 + 4.0 / (u * u)));
}

double eeff_hj(double u, double er) {
  const double u4 = u * u * u * u;
  const double a = 1.0 + std::log((u4 + (u / 52.0) * (u / 52.0)) / (u4 + 0.432)) / 49.0 +
                   std::log(1.0 + std::pow(u / 18.1, 3.0)) / 18.7;
  const double b = 0.564 * std::pow((er - 0.9) / (er + 3.0), 0.053);
  return (er + 1.0) / 2.0 + (er - 1.0) / 2.0 * std::pow(1.0 + 10.0 / u, -a * b);
}

struct StripCase {
  double u, er;
};

class HammerstadJensen : public ::testing::TestWithParam<StripCase> {};

TEST_P(HammerstadJensen, SingleStrip) {
  const auto [u, er] = GetParam();
  const Solution s = solved({1, u, 0.0, 0.0, 1.0, er});
  if (er == 1.0) {
    EXPECT_NEAR(percent(s.z0, z01(u)), 0.0, 0.03);
    EXPECT_EQ(s.eeff, 1.0);
  } else {
    EXPECT_NEAR(percent(s.eeff, eeff_hj(u, er)), 0.0, 0.25);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Microstrip, HammerstadJensen,
    ::testing::Values(StripCase{0.05, 1.0}, StripCase{0.2, 1.0}, StripCase{1.0, 1.0},
                      StripCase{3.0, 1.0}, StripCase{10.0, 1.0}, StripCase{0.05, 2.2},
                      StripCase{0.3, 3.5}, StripCase{1.0, 6.15}, StripCase{3.0, 9.8},
                      StripCase{10.0, 12.9}, StripCase{0.1, 25.0}, StripCase{1.0, 25.0},
                      StripCase{10.0, 25.0}));

// --- Coupled microstrip: Kirschning and Jansen (1984), static even- and odd-mode values -----
// M. Kirschning, R. H. Jansen, "Accurate wide-range design equations for the frequency-
// dependent characteristic of parallel coupled microstrip lines", IEEE MTT-32 (1984):
// eqs. (3) to (5) for the permittivities, (6) to (8) for the impedances, built on the single
// strip of Hammerstad and Jensen; stated within 0.6 % on the impedances for
// 0.1 <= u <= 10, 0.1 <= g <= 10, Er <= 18.
struct Pair {
  double zoe, zoo;
};

Pair kirschning_jansen(double u, double g, double er) {
  const double ee0 = eeff_hj(u, er);
  const double z0 = z01(u) / std::sqrt(ee0);
  const double v = u * (20.0 + g * g) / (10.0 + g * g) + g * std::exp(-g);
  const double v4 = v * v * v * v;
  const double ae = 1.0 + std::log((v4 + (v / 52.0) * (v / 52.0)) / (v4 + 0.432)) / 49.0 +
                    std::log(1.0 + std::pow(v / 18.1, 3.0)) / 18.7;
  const double be = 0.564 * std::pow((er - 0.9) / (er + 3.0), 0.053);
  const double ee = (er + 1.0) / 2.0 + (er - 1.0) / 2.0 * std::pow(1.0 + 10.0 / v, -ae * be);
  const double ao = 0.7287 * (ee0 - (er + 1.0) / 2.0) * (1.0 - std::exp(-0.179 * u));
  const double bo = 0.747 * er / (0.15 + er);
  const double co = bo - (bo - 0.207) * std::exp(-0.414 * u);
  const double dox = 0.593 + 0.694 * std::exp(-0.562 * u);
  const double eo = ((er + 1.0) / 2.0 + ao - ee0) * std::exp(-co * std::pow(g, dox)) + ee0;
  const double q1 = 0.8695 * std::pow(u, 0.194);
  const double q2 = 1.0 + 0.7519 * g + 0.189 * std::pow(g, 2.31);
  const double q3 = 0.1975 + std::pow(16.6 + std::pow(8.4 / g, 6.0), -0.387) +
                    std::log(std::pow(g, 10.0) / (1.0 + std::pow(g / 3.4, 10.0))) / 241.0;
  const double q4 = 2.0 * q1 / q2 /
                    (std::exp(-g) * std::pow(u, q3) + (2.0 - std::exp(-g)) * std::pow(u, -q3));
  const double q5 = 1.794 + 1.14 * std::log(1.0 + 0.638 / (g + 0.517 * std::pow(g, 2.43)));
  const double q6 = 0.2305 + std::log(std::pow(g, 10.0) / (1.0 + std::pow(g / 5.8, 10.0))) / 281.3 +
                    std::log(1.0 + 0.598 * std::pow(g, 1.154)) / 5.1;
  const double q7 = (10.0 + 190.0 * g * g) / (1.0 + 82.3 * g * g * g);
  const double q8 = std::exp(-6.5 - 0.95 * std::log(g) - std::pow(g / 0.15, 5.0));
  const double q9 = std::log(q7) * (q8 + 1.0 / 16.5);
  const double q10 = q4 - q5 / q2 * std::exp(q6 * std::log(u) * std::pow(u, -q9));
  const double s = std::sqrt(ee0);
  return {z0 * std::sqrt(ee0 / ee) / (1.0 - z0 * s * q4 / kEta0),
          z0 * std::sqrt(ee0 / eo) / (1.0 - z0 * s * q10 / kEta0)};
}

struct PairCase {
  double u, g, er;
};

class KirschningJansen : public ::testing::TestWithParam<PairCase> {};

TEST_P(KirschningJansen, CoupledPair) {
  const auto [u, g, er] = GetParam();
  const Solution s = solved({2, u, g, 0.0, 1.0, er});
  const Pair ref = kirschning_jansen(u, g, er);
  EXPECT_NEAR(percent(s.modes.zoe, ref.zoe), 0.0, 0.8);
  EXPECT_NEAR(percent(s.modes.zoo, ref.zoo), 0.0, 0.8);
}

INSTANTIATE_TEST_SUITE_P(
    Microstrip, KirschningJansen,
    ::testing::Values(PairCase{0.1, 0.1, 2.2}, PairCase{0.3, 0.2, 9.8}, PairCase{1.0, 0.1, 9.8},
                      PairCase{1.0, 1.0, 4.4}, PairCase{3.0, 0.5, 12.9},
                      PairCase{0.5, 3.0, 6.15}, PairCase{10.0, 0.3, 2.2},
                      PairCase{2.0, 10.0, 18.0}));

// --- Air: both effective permittivities are exactly 1 ---------------------------------------
TEST(Air, EffectivePermittivitiesAreOne) {
  for (const int n : {2, 3, 6}) {
    const Solution s = solved({n, 0.4, 0.15, 0.05, 1.0, 1.0});
    EXPECT_EQ(s.modes.eeff_even, 1.0);
    EXPECT_EQ(s.modes.eeff_odd, 1.0);
  }
}

}  // namespace
