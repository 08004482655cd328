// The solver against itself: convergence of the extrapolation, the symmetries and signs a
// Maxwell capacitance matrix must have, the limits of wide gaps and vanishing thickness, the
// honesty of its error estimate, and the refusal of bad geometry.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "field/field.hpp"

namespace {

using cuplo::field::Geometry;
using cuplo::field::Options;
using cuplo::field::Solution;
using cuplo::field::Status;
using cuplo::field::solve;

double rel(double a, double b) { return std::fabs(a / b - 1.0); }

Solution solved(const Geometry& g, const Options& o = {}) {
  const Solution s = solve(g, o);
  EXPECT_EQ(s.status, Status::ok) << s.message;
  return s;
}

// Hard cases of the accuracy range: tight gaps, thick strips, high Er, wide strips.
const Geometry kHard[] = {
    {2, 1.0, 0.05, 0.0, 1.0, 10.0},  {4, 0.3, 0.1, 0.0, 1.0, 25.0},
    {2, 1.0, 0.05, 0.3, 1.0, 25.0},  {6, 0.6, 0.1, 0.03, 1.0, 9.8},
    {4, 10.0, 0.5, 0.1, 1.0, 2.2},   {6, 0.05, 0.05, 0.0, 1.0, 12.9},
    {3, 2.0, 10.0, 0.2, 1.0, 6.15},
};

class Hard : public ::testing::TestWithParam<Geometry> {};

TEST_P(Hard, ExtrapolationsFromTwoMeshPairsAgree) {
  // density 1: meshes m and 2m; density 2: 2m and 4m.
  const Solution a = solved(GetParam());
  const Solution b = solved(GetParam(), {2.0, true});
  EXPECT_LT(rel(a.modes.zoe, b.modes.zoe), 5e-4);
  EXPECT_LT(rel(a.modes.zoo, b.modes.zoo), 5e-4);
  EXPECT_LT(rel(a.modes.eeff_even, b.modes.eeff_even), 5e-4);
  EXPECT_LT(rel(a.modes.eeff_odd, b.modes.eeff_odd), 5e-4);
}

double largest_miss(const Solution& s, const Solution& ref) {
  return std::max({rel(s.modes.zoe, ref.modes.zoe), rel(s.modes.zoo, ref.modes.zoo),
                   rel(s.modes.eeff_even, ref.modes.eeff_even),
                   rel(s.modes.eeff_odd, ref.modes.eeff_odd)});
}

TEST_P(Hard, ErrorEstimateIsHonest) {
  // Against the converged values (density 4): the extrapolated values miss by less than the
  // reported estimate, and the unextrapolated ones by at most twice it.
  const Solution ext = solved(GetParam());
  const Solution raw = solved(GetParam(), {1.0, false});
  const Solution ref = solved(GetParam(), {4.0, true});
  EXPECT_LE(largest_miss(ext, ref), ext.mesh_error);
  EXPECT_LE(largest_miss(raw, ref), 2.0 * raw.mesh_error);
  EXPECT_EQ(raw.mesh_error, ext.mesh_error);
  EXPECT_LT(ext.mesh_error, 1e-2);
}

INSTANTIATE_TEST_SUITE_P(Field, Hard, ::testing::ValuesIn(kHard));

class Matrices : public ::testing::TestWithParam<Geometry> {};

TEST_P(Matrices, AreMaxwellMatrices) {
  const Solution s = solved(GetParam());
  ASSERT_EQ(s.status, Status::ok);
  const int n = s.n;
  for (const auto* m : {&s.c, &s.c0}) {
    for (int i = 0; i < n; ++i) {
      double row = 0.0;
      for (int j = 0; j < n; ++j) {
        const double v = s.at(*m, i, j);
        row += v;
        // Collocation is not a symmetric method: symmetric to its discretization error.
        EXPECT_NEAR(v, s.at(*m, j, i), 1e-6 * s.at(*m, i, i)) << i << "," << j;
        EXPECT_NEAR(v, s.at(*m, n - 1 - i, n - 1 - j), 1e-9 * s.at(*m, i, i)) << i << "," << j;
        if (i != j) {
          EXPECT_LT(v, 0.0) << i << "," << j;
        }
      }
      EXPECT_GT(row, 0.0) << i;
    }
  }
  // L c0 = mu0 eps0 I = I / c^2.
  const double c2 = 299792458.0 * 299792458.0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double sum = 0.0;
      for (int k = 0; k < n; ++k) sum += s.at(s.l, i, k) * s.at(s.c0, k, j);
      EXPECT_NEAR(sum * c2, i == j ? 1.0 : 0.0, 1e-9);
    }
  }
  // The mode values from the group capacitances.
  if (n >= 2) {
    const cuplo::field::Modes& md = s.modes;
    EXPECT_GT(md.zoe, md.zoo);
    EXPECT_NEAR(md.zo, std::sqrt(md.zoe * md.zoo), 1e-12 * md.zo);
    EXPECT_NEAR(md.coupling_db, 20.0 * std::log10((md.zoe - md.zoo) / (md.zoe + md.zoo)), 1e-9);
    EXPECT_GE(md.eeff_even, md.eeff_odd);
  }
}

INSTANTIATE_TEST_SUITE_P(Field, Matrices,
                         ::testing::Values(Geometry{2, 0.5, 0.2, 0.0, 1.0, 9.8},
                                           Geometry{3, 1.0, 0.3, 0.1, 1.0, 4.4},
                                           Geometry{6, 0.3, 0.1, 0.02, 1.0, 12.9},
                                           Geometry{7, 0.2, 0.5, 0.0, 1.0, 2.2},
                                           Geometry{12, 0.1, 0.1, 0.01, 1.0, 9.8}));

TEST(Limits, AtWideGapsTheGroupsAreSingleStripsInParallel) {
  for (const double er : {2.2, 9.8}) {
    const Solution one = solved({1, 0.8, 0.0, 0.05, 1.0, er});
    for (const int n : {2, 4, 6}) {
      const Solution s = solved({n, 0.8, 60.0, 0.05, 1.0, er});
      const double strips = n / 2.0;
      EXPECT_LT(rel(s.modes.zoe * strips, one.z0), 2e-3) << n;
      EXPECT_LT(rel(s.modes.zoo * strips, one.z0), 2e-3) << n;
      EXPECT_LT(rel(s.modes.eeff_even, one.eeff), 2e-3) << n;
      EXPECT_LT(rel(s.modes.eeff_odd, one.eeff), 2e-3) << n;
    }
  }
}

TEST(Limits, VanishingThicknessIsContinuous) {
  for (const Geometry g : {Geometry{1, 0.5, 0.0, 0.0, 1.0, 9.8}, Geometry{4, 0.3, 0.1, 0.0, 1.0, 4.4}}) {
    const Solution flat = solved(g);
    for (const double t : {1e-3, 1e-5, 1e-7, 1e-9, 1e-15, 1e-300}) {
      Geometry thin = g;
      thin.t = t;
      const Solution s = solved(thin);
      // The thickness adds about (t/pi) ln(...) of width, relative changes of order t; the
      // two meshes (faces and sides against one face) differ by their errors, < 0.05 %.
      const double bound = 5e-4 + 20.0 * t;
      if (g.n == 1) {
        EXPECT_LT(rel(s.z0, flat.z0), bound) << t;
        EXPECT_LT(rel(s.eeff, flat.eeff), bound) << t;
      } else {
        EXPECT_LT(rel(s.modes.zoe, flat.modes.zoe), bound) << t;
        EXPECT_LT(rel(s.modes.zoo, flat.modes.zoo), bound) << t;
        EXPECT_LT(rel(s.modes.eeff_odd, flat.modes.eeff_odd), bound) << t;
      }
    }
  }
}

struct BadCase {
  Geometry g;
  Options o;
  Status status;
  const char* names;  // what the message must name
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class Bad : public ::testing::TestWithParam<BadCase> {};

TEST_P(Bad, ComesBackAsAValue) {
  const BadCase c = GetParam();
  const Solution s = solve(c.g, c.o);
  EXPECT_EQ(s.status, c.status) << s.message;
  EXPECT_NE(s.message.find(c.names), std::string::npos) << s.message;
  EXPECT_EQ(s.message.find('\n'), std::string::npos);
  EXPECT_TRUE(s.c.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Field, Bad,
    ::testing::Values(
        BadCase{{0, 1.0, 0.1, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "N = 0"},
        BadCase{{13, 1.0, 0.1, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "N = 13"},
        BadCase{{4, 0.0, 0.1, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "W = 0"},
        BadCase{{4, -1.0, 0.1, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "W = -1"},
        BadCase{{4, kNaN, 0.1, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "W = nan"},
        BadCase{{4, 1.0, 0.0, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "S = 0"},
        BadCase{{2, 1.0, kInf, 0.0, 1.0, 4.0}, {}, Status::invalid_geometry, "S = inf"},
        BadCase{{4, 1.0, 0.1, -0.01, 1.0, 4.0}, {}, Status::invalid_geometry, "T = -0.01"},
        BadCase{{4, 1.0, 0.1, kNaN, 1.0, 4.0}, {}, Status::invalid_geometry, "T = nan"},
        BadCase{{4, 1.0, 0.1, 0.0, 0.0, 4.0}, {}, Status::invalid_geometry, "H = 0"},
        BadCase{{4, 1.0, 0.1, 0.0, -kInf, 4.0}, {}, Status::invalid_geometry, "H = -inf"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, 0.5}, {}, Status::invalid_geometry, "Er = 0.5"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, kNaN}, {}, Status::invalid_geometry, "Er = nan"},
        BadCase{{4, 1e-3, 0.1, 0.0, 1.0, 4.0}, {}, Status::out_of_range, "W/H = 0.001"},
        BadCase{{4, 500.0, 0.1, 0.0, 1.0, 4.0}, {}, Status::out_of_range, "W/H = 500"},
        BadCase{{4, 1.0, 1e-3, 0.0, 1.0, 4.0}, {}, Status::out_of_range, "S/H = 0.001"},
        BadCase{{4, 1.0, 0.1, 2.0, 1.0, 4.0}, {}, Status::out_of_range, "T/H = 2"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, 2000.0}, {}, Status::out_of_range, "Er = 2000"},
        BadCase{{12, 100.0, 0.01, 0.0, 1.0, 4.0}, {}, Status::out_of_range, "unknowns"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, 4.0}, {kNaN, true}, Status::invalid_options, "density"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, 4.0}, {0.1, true}, Status::invalid_options, "density"},
        BadCase{{4, 1.0, 0.1, 0.0, 1.0, 4.0}, {100.0, true}, Status::invalid_options,
                "density"}));

// Values pinned from the build of this test's first version (commit "Field solver tests:
// pinned values"): not references, but a guard that the discretization does not change
// unnoticed (a collocation point moved, an image term reweighted). Re-pin them only with a
// deliberate change of the method, its study (field/README.md) repeated.
struct Pinned {
  Geometry g;
  double zoe, zoo, eeff_even, eeff_odd;  // z0 and eeff twice for n = 1
};

class PinnedValues : public ::testing::TestWithParam<Pinned> {};

TEST_P(PinnedValues, Unchanged) {
  const Pinned p = GetParam();
  const Solution s = solved(p.g);
  const bool one = p.g.n == 1;
  EXPECT_NEAR(one ? s.z0 : s.modes.zoe, p.zoe, 1e-9 * p.zoe);
  EXPECT_NEAR(one ? s.z0 : s.modes.zoo, p.zoo, 1e-9 * p.zoo);
  EXPECT_NEAR(one ? s.eeff : s.modes.eeff_even, p.eeff_even, 1e-9 * p.eeff_even);
  EXPECT_NEAR(one ? s.eeff : s.modes.eeff_odd, p.eeff_odd, 1e-9 * p.eeff_odd);
}

INSTANTIATE_TEST_SUITE_P(
    Field, PinnedValues,
    ::testing::Values(
        Pinned{{4, 1.0, 0.3, 0.0, 1.0, 9.8}, 36.3968473849, 14.8091465756, 7.74418201978,
               5.5332401156},
        Pinned{{6, 0.6, 0.1, 0.03, 1.0, 9.8}, 40.9601173972, 7.42688544932, 7.56650638642,
               4.78214976257},
        Pinned{{3, 0.5, 0.2, 0.1, 1.0, 4.4}, 65.2383439743, 23.7837478138, 3.172597442,
               2.39055315424},
        Pinned{{1, 2.0, 0.0, 0.05, 1.0, 25.0}, 21.0783399741, 21.0783399741, 17.0231150235,
               17.0231150235}));

class Accepted : public ::testing::TestWithParam<Geometry> {};

TEST_P(Accepted, AtTheLimitsOfTheRange) {
  const Solution s = solve(GetParam());
  ASSERT_EQ(s.status, Status::ok) << s.message;
  EXPECT_GT(s.at(s.c, 0, 0), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Field, Accepted,
                         ::testing::Values(Geometry{2, 0.01, 0.01, 0.0, 1.0, 4.0},
                                           Geometry{2, 100.0, 100.0, 0.0, 1.0, 4.0},
                                           Geometry{1, 1.0, 0.0, 1.0, 1.0, 1000.0},
                                           Geometry{12, 0.2, 0.1, 0.0, 1.0, 1.0}));

TEST(Field, SingleStripIgnoresTheGapAndScaleDoesNotMatter) {
  const Solution a = solved({1, 0.7, 0.0, 0.02, 1.0, 3.5});
  const Solution b = solved({1, 7e-4, kNaN, 2e-5, 1e-3, 3.5});
  ASSERT_EQ(a.status, Status::ok);
  ASSERT_EQ(b.status, Status::ok);
  EXPECT_NEAR(a.z0, b.z0, 1e-9 * a.z0);
  EXPECT_NEAR(a.eeff, b.eeff, 1e-12);
  EXPECT_NEAR(a.c[0], b.c[0], 1e-9 * a.c[0]);
}

}  // namespace
