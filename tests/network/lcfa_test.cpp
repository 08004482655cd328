// Four-port response of the coupler: limits at zero frequency, the ideal quadrature coupler,
// the floors and caps of the report figures, and a double-precision even/odd reference.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "models/constants.hpp"
#include "network/detail.hpp"
#include "network/network.hpp"

namespace {

using cuplo::network::lcfa;
using cuplo::network::LcFa1;
using Cd = std::complex<double>;
constexpr double kPiD = std::numbers::pi;

LcFa1 run(float f, float ate, float ato, float effe, float effo, float l, float rl, float rs,
          float zoe, float zoo) {
  LcFa1 r;
  r.f = f;
  lcfa(ate, ato, effe, effo, l, rl, rs, zoe, zoo, r);
  return r;
}

TEST(Lcfa, ZeroFrequencyMatchedGivesFloorsAndAFullThroughWave) {
  const LcFa1 r = run(0.0f, 0.0f, 0.0f, 6.0f, 5.0f, 0.3f, 50.0f, 50.0f, 120.0f, 20.0f);
  EXPECT_EQ(r.f, 0.0f);
  EXPECT_EQ(r.mag, (std::array<float, 4>{-999.9f, -999.999f, -999.9f, 0.0f}));
  EXPECT_EQ(r.ang, (std::array<float, 4>{0.0f, 0.0f, 0.0f, 0.0f}));
  EXPECT_EQ(r.phi, 0.0f);
  EXPECT_EQ(r.err, -90.0f);
  EXPECT_EQ(r.vswr, 1.0f);
  EXPECT_EQ(r.atot, 0.0f);
  EXPECT_EQ(r.loss, 0.0f);
}

TEST(Lcfa, ZeroFrequencyMismatchPutsTheWaveOnPortsOneAndFour) {
  struct Case {
    float rs, rl, ang1;
  };
  for (const Case& c :
       {Case{50.0f, 75.0f, 0.0f}, Case{75.0f, 50.0f, 180.0f}, Case{10.0f, 500.0f, 0.0f}}) {
    const LcFa1 r = run(0.0f, 0.0f, 0.0f, 6.0f, 6.0f, 0.2f, c.rl, c.rs, 90.0f, 30.0f);
    const double g = (double{c.rl} - double{c.rs}) / (double{c.rl} + double{c.rs});
    const double t = 2.0 * std::sqrt(double{c.rs} * double{c.rl}) / (double{c.rl} + double{c.rs});
    EXPECT_NEAR(r.mag[0], 20.0 * std::log10(std::fabs(g)), 1e-4) << c.rs << " " << c.rl;
    EXPECT_NEAR(r.mag[3], 20.0 * std::log10(t), 1e-4);
    EXPECT_EQ(r.mag[1], -999.999f);
    EXPECT_EQ(r.mag[2], -999.9f);
    EXPECT_NEAR(r.ang[0], c.ang1, 1e-4);
    const double vswr = (1.0 + std::fabs(g)) / (1.0 - std::fabs(g));
    EXPECT_NEAR(r.vswr, vswr, 1e-5 * vswr);
    EXPECT_NEAR(r.atot, 0.0f, 2e-5f);  // a mismatch reflects power but dissipates none
  }
}

TEST(Lcfa, IdealThreeDbQuarterWaveCoupler) {
  const float k = std::pow(10.0f, -3.0f / 20.0f);
  const float zoe = 50.0f * std::sqrt((1.0f + k) / (1.0f - k));
  const float zoo = 2500.0f / zoe;
  const float eff = 6.5f;
  const float l = 0.12f;
  const float f = cuplo::models::kLightInchNs / (4.0f * l * std::sqrt(eff));
  const LcFa1 r = run(f, 0.0f, 0.0f, eff, eff, l, 50.0f, 50.0f, zoe, zoo);
  EXPECT_NEAR(r.mag[1], -3.0f, 0.05f);
  EXPECT_NEAR(r.mag[3], -3.0f, 0.05f);
  EXPECT_LT(r.mag[0], -60.0f);
  EXPECT_LT(r.mag[2], -60.0f);
  EXPECT_NEAR(r.ang[1], 0.0f, 0.01f);    // coupled wave in phase with the input
  EXPECT_NEAR(r.ang[3], -90.0f, 0.01f);  // through wave a quarter turn behind
  EXPECT_NEAR(r.phi, 90.0f, 0.01f);
  EXPECT_NEAR(r.err, 0.0f, 0.01f);
  EXPECT_NEAR(r.vswr, 1.0f, 1e-3f);
  EXPECT_NEAR(r.atot, 0.0f, 2e-5f);
  EXPECT_NEAR(r.loss, 0.0f, 2e-5f);
}

TEST(Lcfa, LosslessMatchedCouplerConservesPower) {
  for (float f : {1.0f, 4.0f, 9.5f, 17.0f}) {
    const LcFa1 r = run(f, 0.0f, 0.0f, 7.8f, 6.0f, 0.12f, 50.0f, 50.0f, 125.0f, 20.0f);
    EXPECT_NEAR(r.atot, 0.0f, 2e-5f) << f;
    EXPECT_LT(r.loss, 0.0f) << f;  // unequal mode velocities send power to ports 1 and 3
  }
}

TEST(Lcfa, QuadraturePhaseReduction) {
  struct Case {
    float ang2, ang4, phi;
  };
  const Case cases[] = {{90.0f, -90.0f, 0.0f}, {170.0f, -100.0f, 90.0f}, {-100.0f, 170.0f, 90.0f},
                        {10.0f, 10.0f, 0.0f},  {45.0f, -45.0f, 90.0f},   {179.0f, -179.0f, 178.0f},
                        {0.0f, 180.0f, 0.0f},  {-30.5f, 20.0f, 50.5f}};
  for (const Case& c : cases) {
    EXPECT_EQ(cuplo::network::detail::quadrature_phase(c.ang2, c.ang4), c.phi)
        << c.ang2 << " " << c.ang4;
  }
}

TEST(Lcfa, TotalReflectionCapsVswrAndFloorsTheLoss) {
  // rl so much larger than rs that the port-1 amplitude rounds to exactly 1.
  const LcFa1 r = run(0.0f, 0.0f, 0.0f, 6.0f, 6.0f, 0.2f, 1e30f, 50.0f, 100.0f, 25.0f);
  EXPECT_EQ(r.mag[0], 0.0f);
  EXPECT_EQ(r.vswr, 99.999f);
  EXPECT_EQ(r.loss, -99.9999f);
  EXPECT_EQ(r.atot, 0.0f);
}

TEST(Lcfa, AttenuationOfAnUncoupledMatchedLine) {
  // zoe = zoo = rs = rl: no coupling, no reflection; the through wave carries the line's
  // attenuation over its length and its phase delay.
  const float l = 0.5f;
  const float f = 3.0f;
  const LcFa1 r = run(f, 2.0f, 2.0f, 4.0f, 4.0f, l, 50.0f, 50.0f, 50.0f, 50.0f);
  // 1 dB less the rounding of 8.686 dB per neper.
  const double db = -20.0 * std::log10(std::exp(1.0)) / 8.686;
  EXPECT_NEAR(r.mag[3], db, 2e-6);
  EXPECT_NEAR(r.atot, db, 2e-6);
  EXPECT_NEAR(r.loss, db, 2e-6);
  EXPECT_EQ(r.mag[1], -999.999f);
  const double theta = 2.0 * double{l} * 2.0 * kPiD * double{f} / 11.802855;  // sqrt(4) = 2
  EXPECT_NEAR(r.ang[3], std::remainder(-theta * 180.0 / kPiD, 360.0), 1e-3);
}

// The four-port in double precision from the even/odd-mode decomposition.
struct Reference {
  std::array<Cd, 4> wave;
};

Reference reference(double f, double ate, double ato, double effe, double effo, double l, double rl,
                    double rs, double zoe, double zoo) {
  auto mode = [&](double z, double eff, double at, Cd& gamma, Cd& tau) {
    const Cd g(at * l / 8.686, std::sqrt(eff) * 2.0 * kPiD * l * f / 11.802855);
    const Cd a = std::cosh(g);
    const Cd b = z * std::sinh(g);
    const Cd c = std::sinh(g) / z;
    const Cd den = a * rl + b + c * rs * rl + a * rs;
    gamma = (a * rl + b - c * rs * rl - a * rs) / den;
    tau = 2.0 * std::sqrt(rs * rl) / den;
  };
  Cd ge, te, go, to;
  mode(zoe, effe, ate, ge, te);
  mode(zoo, effo, ato, go, to);
  return {{(ge + go) * 0.5, (ge - go) * 0.5, (te - to) * 0.5, (te + to) * 0.5}};
}

TEST(Lcfa, AgreesWithADoublePrecisionEvenOddAnalysis) {
  struct Case {
    float f, ate, ato, effe, effo, l, rl, rs, zoe, zoo;
  };
  const Case cases[] = {
      {9.45f, 0.21f, 0.35f, 7.8f, 5.98f, 0.12f, 50.0f, 50.0f, 47.55f, 11.89f},
      {3.0f, 0.05f, 0.1f, 6.6f, 5.1f, 0.3f, 75.0f, 40.0f, 130.0f, 22.0f},
      {14.0f, 0.0f, 0.6f, 8.1f, 6.2f, 0.08f, 30.0f, 60.0f, 90.0f, 35.0f},
  };
  for (const Case& c : cases) {
    const LcFa1 r = run(c.f, c.ate, c.ato, c.effe, c.effo, c.l, c.rl, c.rs, c.zoe, c.zoo);
    const Reference ref =
        reference(c.f, c.ate, c.ato, c.effe, c.effo, c.l, c.rl, c.rs, c.zoe, c.zoo);
    double power = 0.0;
    for (std::size_t p = 0; p < 4; ++p) {
      const double amp = std::abs(ref.wave[p]);
      power += amp * amp;
      EXPECT_NEAR(r.mag[p], 20.0 * std::log10(amp), 1e-3) << c.f << " port " << p + 1;
      EXPECT_NEAR(r.ang[p], std::arg(ref.wave[p]) * 180.0 / kPiD, 1e-3) << c.f << " port " << p + 1;
    }
    const double g1 = std::abs(ref.wave[0]);
    EXPECT_NEAR(r.vswr, (1.0 + g1) / (1.0 - g1), 1e-4) << c.f;
    EXPECT_NEAR(r.atot, 10.0 * std::log10(power), 1e-4) << c.f;
    const double phi = std::fmod(std::fabs(r.ang[1] - r.ang[3]), 180.0);
    EXPECT_NEAR(r.phi, phi, 1e-4) << c.f;
    EXPECT_EQ(r.err, r.phi - 90.0f);
  }
}

}  // namespace
