// The Monte Carlo of the tolerances: the same numbers from the same seed on any machine and
// any number of threads; no spread without tolerances; small tolerances spread Zo and the
// coupling as the sensitivities say; the percentiles bracket the nominal design; the yield
// counts what lies in its windows; tolerances that cannot be drawn are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "cuplo/tolerance.hpp"

namespace cuplo {
namespace {

constexpr std::size_t kZo = static_cast<std::size_t>(Quantity::zo);
constexpr std::size_t kCoupling = static_cast<std::size_t>(Quantity::coupling_db);
constexpr std::size_t kFo = static_cast<std::size_t>(Quantity::fo_ghz);

ToleranceRequest demo(std::int64_t samples) {
  ToleranceRequest q;
  q.substrate = {9.8f, 0.025f, 0.0002f};
  q.coupler = {{4, 0.0015f, 0.002f}, 0.115f};
  q.samples = samples;
  q.seed = 7;
  return q;
}

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Pinned from an independent implementation (SplitMix64 and the normal quantile in Python's
// statistics module): the streams and the normal deviates are the algorithm, not this build.
TEST(Tolerance, DeviatesAreTheSameOnEveryMachine) {
  const struct {
    std::uint64_t seed;
    std::int64_t index;
    std::array<double, 6> normal;
  } cases[] = {
      {42,
       7,
       {-1.6274042646374127, 1.9287291905713275, 0.5351889475904095, 0.5540347784899459,
        1.5723500713844751, 0.5392181193626091}},
      {0,
       0,
       {0.3919393499913912, 0.5278898628993068, -0.2868224373089716, 0.40269503640924176,
        0.7992541338861663, -1.0527200595002988}},
      {2024,
       9999,
       {-0.9242836073615184, 0.6296386652616988, 0.26284717179673267, 0.5575896440894926,
        -0.31256394789347547, -1.0147126472982138}},
  };
  for (const auto& c : cases) {
    const std::array<double, 6> d = deviates(c.seed, c.index, Distribution::normal);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(d[k], c.normal[k], 1e-14) << c.index;
  }
}

TEST(Tolerance, DeviatesHaveTheirDistributions) {
  const struct {
    Distribution distribution;
    double sd;
    double beyond_3;  // share of deviates beyond 3 in magnitude
  } cases[] = {{Distribution::normal, 1.0, 0.0027}, {Distribution::uniform, 1.0 / std::sqrt(3.0), 0.0}};
  constexpr int kDraws = 40'000;
  for (const auto& c : cases) {
    double sum = 0.0;
    double squares = 0.0;
    int beyond = 0;
    double largest = 0.0;
    for (int i = 0; i < kDraws; ++i) {
      for (const double d : deviates(3, i, c.distribution)) {
        sum += d;
        squares += d * d;
        beyond += std::fabs(d) > 3.0 ? 1 : 0;
        largest = std::fmax(largest, std::fabs(d));
      }
    }
    const double n = 6.0 * kDraws;
    EXPECT_NEAR(sum / n, 0.0, 0.01);
    EXPECT_NEAR(std::sqrt(squares / n), c.sd, 0.01);
    EXPECT_NEAR(beyond / n, c.beyond_3, 0.0007);
    if (c.distribution == Distribution::uniform) {
      EXPECT_LT(largest, 1.0);
    }
  }
}

TEST(Tolerance, NoToleranceNoSpread) {
  for (const Model model : {Model::closed_form, Model::field}) {
    ToleranceRequest q = demo(model == Model::field ? 20 : 500);
    q.model = model;
    const Result<ToleranceResult> r = tolerance(q);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->failed, 0);
    for (const Spread& sp : r->spread) {
      EXPECT_EQ(sp.sd, 0.0);
      for (const double p : sp.percentile) EXPECT_EQ(p, static_cast<double>(sp.nominal));
    }
    // The nominal design is the library's own analysis of it.
    const Analysis a(q.substrate, q.coupler.section, model);
    EXPECT_EQ(r->spread[kFo].nominal, *a.centre_frequency(q.coupler.length));
    EXPECT_EQ(r->spread[kZo].nominal, a.impedances(r->operating_ghz)->zo);
  }
}

TEST(Tolerance, ThreadsAndRunsDoNotChangeTheSamples) {
  ToleranceRequest q = demo(333);
  q.w = {0.05f, true};
  q.s = {0.0001f, false};
  q.er = {0.2f, false};
  q.etch = {0.00005f, false};
  q.keep_samples = true;
  q.threads = 1;
  const Result<ToleranceResult> one = tolerance(q);
  ASSERT_TRUE(one.ok());
  for (const std::uint32_t threads : {2u, 5u, 0u}) {
    q.threads = threads;
    const Result<ToleranceResult> many = tolerance(q);
    ASSERT_TRUE(many.ok());
    ASSERT_EQ(many->drawn.size(), one->drawn.size());
    for (std::size_t i = 0; i < one->drawn.size(); ++i) {
      for (std::size_t k = 0; k < kQuantityCount; ++k) {
        ASSERT_TRUE(same_bits(many->drawn[i].values[k], one->drawn[i].values[k])) << i;
      }
      ASSERT_TRUE(same_bits(many->drawn[i].w, one->drawn[i].w));
    }
    for (std::size_t k = 0; k < kQuantityCount; ++k) {
      EXPECT_EQ(many->spread[k].percentile, one->spread[k].percentile);
      EXPECT_EQ(many->spread[k].mean, one->spread[k].mean);
    }
  }
  q.seed = 8;
  EXPECT_NE(tolerance(q)->spread[kZo].mean, one->spread[kZo].mean);
}

// Small tolerances: the spread is the linear propagation of the normalized sensitivities,
// var(dZ/Z) = sum of (S_i sigma_i/p_i)^2, within the sampling error.
TEST(Tolerance, SmallTolerancesSpreadAsTheSensitivitiesSay) {
  const struct {
    const char* what;
    Tolerance w, s, h, er, t;
  } cases[] = {
      {"w", {0.006f, true}, {}, {}, {}, {}},
      {"s", {}, {0.006f, true}, {}, {}, {}},
      {"h", {}, {}, {0.006f, true}, {}, {}},
      {"er", {}, {}, {}, {0.006f, true}, {}},
      {"t", {}, {}, {}, {}, {0.03f, true}},
      {"all", {0.006f, true}, {0.006f, true}, {0.006f, true}, {0.006f, true}, {0.03f, true}},
  };
  for (const auto& c : cases) {
    ToleranceRequest q = demo(20'000);
    q.w = c.w;
    q.s = c.s;
    q.h = c.h;
    q.er = c.er;
    q.t = c.t;
    const Result<ToleranceResult> r = tolerance(q);
    ASSERT_TRUE(r.ok());
    const Result<Sensitivity> sens =
        sensitivity(q.substrate, q.coupler.section, r->operating_ghz, Mode::both);
    ASSERT_TRUE(sens.ok());
    const Sensitivities& e = sens->zoe_to;
    const Sensitivities& o = sens->zoo_to;
    // Relative standard deviations (a tolerance is three of them).
    const auto d = [](float x) { return static_cast<double>(x); };
    const double sigma[5] = {d(c.er.value) / 3.0, d(c.h.value) / 3.0, d(c.s.value) / 3.0,
                             d(c.w.value) / 3.0, d(c.t.value) / 3.0};
    const double se[5] = {d(e.er), d(e.h), d(e.s), d(e.w), d(e.t)};
    const double so[5] = {d(o.er), d(o.h), d(o.s), d(o.w), d(o.t)};
    const double zoe = d(sens->zoe);
    const double zoo = d(sens->zoo);
    // Zo = sqrt(Zoe Zoo); coupling dB = 20 log10((Zoe - Zoo)/(Zoe + Zoo)).
    const double k = 20.0 / std::log(10.0) * 2.0 * zoe * zoo / (zoe * zoe - zoo * zoo);
    double var_zo = 0.0;
    double var_c = 0.0;
    for (int i = 0; i < 5; ++i) {
      var_zo += std::pow(0.5 * (se[i] + so[i]) * sigma[i], 2.0);
      var_c += std::pow(k * (se[i] - so[i]) * sigma[i], 2.0);
    }
    const Spread& zo = r->spread[kZo];
    const Spread& cp = r->spread[kCoupling];
    // The sampling error of a standard deviation of 20,000 samples is 0.5 %; the one-sided
    // differences of the sensitivities and the curvature add a few percent. The coupling
    // hardly depends on Er (its two sensitivities nearly cancel): their differences resolve
    // it to about 1e-5 dB.
    EXPECT_NEAR(zo.sd / d(zo.nominal), std::sqrt(var_zo), 0.06 * std::sqrt(var_zo)) << c.what;
    EXPECT_NEAR(cp.sd, std::sqrt(var_c), 0.06 * std::sqrt(var_c) + 2e-5) << c.what;
  }
}

TEST(Tolerance, PercentilesBracketTheNominalDesignAndTheYieldCounts) {
  for (const Distribution d : {Distribution::normal, Distribution::uniform}) {
    ToleranceRequest q = demo(4'000);
    q.distribution = d;
    q.w = {0.0002f, false};
    q.s = {0.1f, true};
    q.h = {0.02f, true};
    q.er = {0.2f, false};
    q.keep_samples = true;
    const float fo = *Analysis(q.substrate, q.coupler.section).centre_frequency(q.coupler.length);
    q.spec[kFo] = {true, fo * 0.99f, fo * 1.01f};
    q.spec[kCoupling] = {true, -100.0f, 100.0f};  // every sample
    q.spec[static_cast<std::size_t>(Quantity::balance_db)] = {true, 100.0f, 200.0f};  // none
    const Result<ToleranceResult> r = tolerance(q);
    ASSERT_TRUE(r.ok());
    for (const Spread& sp : r->spread) {
      for (std::size_t i = 1; i < sp.percentile.size(); ++i) {
        EXPECT_LE(sp.percentile[i - 1], sp.percentile[i]);
      }
      EXPECT_LT(sp.percentile.front(), static_cast<double>(sp.nominal));
      EXPECT_GT(sp.percentile.back(), static_cast<double>(sp.nominal));
    }
    std::int64_t in_fo = 0;
    for (const Sample& x : r->drawn) {
      in_fo += x.ok && x.values[kFo] >= fo * 0.99f && x.values[kFo] <= fo * 1.01f ? 1 : 0;
      if (d == Distribution::uniform) {
        EXPECT_LE(std::fabs(x.w - 0.0015f), 0.0002f * 1.0001f);
        EXPECT_LE(std::fabs(x.er - 9.8f), 0.2f * 1.0001f);
      }
    }
    EXPECT_EQ(r->passing[kFo], in_fo);
    EXPECT_EQ(r->passing[kCoupling], r->samples - r->failed);
    EXPECT_EQ(r->passing_all, 0);
    EXPECT_GT(in_fo, 0);
    EXPECT_LT(in_fo, r->samples);
  }
}

TEST(Tolerance, TolerancesThatCannotBeDrawnAreRefused) {
  const struct {
    void (*set)(ToleranceRequest&);
    const char* detail;
  } cases[] = {
      {[](ToleranceRequest& q) { q.w = {-0.0001f, false}; }, "w_tol"},
      {[](ToleranceRequest& q) { q.s = {1.0f, true}; }, "s_tol"},
      {[](ToleranceRequest& q) { q.h = {0.025f, false}; }, "h_tol"},
      {[](ToleranceRequest& q) { q.er = {8.8f, false}; }, "er_tol"},
      {[](ToleranceRequest& q) { q.t = {1.5f, true}; }, "t_tol"},
      {[](ToleranceRequest& q) { q.etch = {0.1f, true}; }, "etch_tol"},
      {[](ToleranceRequest& q) { q.etch = {0.00075f, false}; }, "etch_tol"},
      {[](ToleranceRequest& q) { q.er = {std::nanf(""), false}; }, "er_tol"},
      {[](ToleranceRequest& q) { q.samples = 0; }, "samples"},
      {[](ToleranceRequest& q) { q.samples = kMaxSamples + 1; }, "samples"},
  };
  for (const auto& c : cases) {
    ToleranceRequest q = demo(10);
    c.set(q);
    const Result<ToleranceResult> r = tolerance(q);
    ASSERT_EQ(r.failure(), Failure::invalid_input) << c.detail;
    EXPECT_EQ(std::string(r.detail()).rfind(c.detail, 0), 0u) << r.detail();
  }
  // Just inside: the tolerance below its value.
  ToleranceRequest q = demo(10);
  q.w = {0.99f, true};
  q.t = {1.0f, true};
  EXPECT_TRUE(tolerance(q).ok());
}

}  // namespace
}  // namespace cuplo
