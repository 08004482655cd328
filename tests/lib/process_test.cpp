// The process's rules: a synthesis that meets them is the synthesis, to the bit; one that
// breaks a minimum becomes the design of the target's Zo at that minimum, the coupling as near
// the target as it allows; the etch's compensation draws every copper edge outward.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "cuplo/layout.hpp"
#include "cuplo/process.hpp"

namespace cuplo {
namespace {

// 20 mil laminate, 35 um copper: a 3 dB, 50 ohm coupler wants gaps of about 53 um.
const Substrate kLaminate{3.66f, 0.020f, 35.0f / 25400.0f};
constexpr float kUm = 1.0f / 25400.0f;

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool same(const Synthesis& a, const Synthesis& b) {
  return a.section.n == b.section.n && same_bits(a.section.w, b.section.w) &&
         same_bits(a.section.s, b.section.s) && same_bits(a.zo, b.zo) &&
         same_bits(a.zoe, b.zoe) && same_bits(a.zoo, b.zoo) &&
         same_bits(a.coupling_db, b.coupling_db) && same_bits(a.eeff_even, b.eeff_even) &&
         same_bits(a.eeff_odd, b.eeff_odd) && same_bits(a.check.zo, b.check.zo) &&
         same_bits(a.check.coupling_db, b.check.coupling_db);
}

Result<FittedSynthesis> fit(const Target& t, float f, const Process& p, Model m) {
  return f > 0.0f ? synthesize(kLaminate, 4, t, f, p, m) : synthesize(kLaminate, 4, t, p, m);
}
Result<Synthesis> free_synthesis(const Target& t, float f, Model m) {
  return f > 0.0f ? synthesize(kLaminate, 4, t, f, m) : synthesize(kLaminate, 4, t, m);
}

TEST(Process, RulesThatHoldLeaveTheSynthesisToTheBit) {
  const struct {
    Target target;
    float f;
    Model model;
  } cases[] = {{Target::zo_and_coupling(50.0f, 3.0f), 0.0f, Model::closed_form},
               {Target::zo_and_coupling(50.0f, 3.0f), 5.8f, Model::closed_form},
               {Target::zoe_and_zoo(120.0f, 21.0f), 0.0f, Model::closed_form},
               {Target::zo_and_coupling(50.0f, 3.0f), 0.0f, Model::field}};
  for (const auto& c : cases) {
    const Result<Synthesis> free = free_synthesis(c.target, c.f, c.model);
    ASSERT_TRUE(free.ok());
    // Minimums at the design's own W and S: met, just.
    const Process rules{free->section.w, free->section.s, 10.0f * kUm};
    const Result<FittedSynthesis> held = fit(c.target, c.f, rules, c.model);
    ASSERT_TRUE(held.ok());
    EXPECT_TRUE(same(held->synthesis, *free)) << c.f;
    EXPECT_EQ(held->fit.binding, Binding::none);
    EXPECT_EQ(held.limits(), free.limits());
    EXPECT_TRUE(describe(held->fit, LengthUnit::um).empty());
  }
}

TEST(Process, AMinimumThatBindsHoldsZoAndLoosensTheCoupling) {
  const struct {
    Process rules;
    Binding binds;
    float f;
    Model model;
    const char* says;
  } cases[] = {
      {{0.0f, 100.0f * kUm, 0.0f}, Binding::spacing, 0.0f, Model::closed_form, "gap binds"},
      {{0.0f, 100.0f * kUm, 0.0f}, Binding::spacing, 5.8f, Model::closed_form, "gap binds"},
      {{0.0f, 80.0f * kUm, 0.0f}, Binding::spacing, 0.0f, Model::field, "gap binds"},
      {{140.0f * kUm, 0.0f, 0.0f}, Binding::width, 0.0f, Model::closed_form, "line width binds"},
      {{140.0f * kUm, 60.0f * kUm, 0.0f}, Binding::width, 0.0f, Model::closed_form, "line"},
  };
  const Target target = Target::zo_and_coupling(50.0f, 3.0f);
  for (const auto& c : cases) {
    const Result<FittedSynthesis> r = fit(target, c.f, c.rules, c.model);
    ASSERT_TRUE(r.ok()) << c.says;
    const Synthesis& y = r->synthesis;
    const Fit& why = r->fit;
    EXPECT_EQ(why.binding, c.binds);
    // The rules are met, the binding one exactly.
    EXPECT_GE(y.section.w, c.rules.min_w);
    EXPECT_GE(y.section.s, c.rules.min_s);
    EXPECT_EQ(c.binds == Binding::spacing ? y.section.s : y.section.w,
              c.binds == Binding::spacing ? c.rules.min_s : c.rules.min_w);
    // Zo held; the coupling looser than asked, as analysed.
    EXPECT_NEAR(y.check.zo, 50.0f, 0.01f);
    EXPECT_LT(y.check.coupling_db, -3.0f - 0.05f);
    EXPECT_EQ(why.reached_coupling_db, y.check.coupling_db);
    EXPECT_EQ(why.coupling_db, -3.0f);
    EXPECT_EQ(y.coupling_db, y.check.coupling_db);
    // The asked design is the free synthesis.
    const Result<Synthesis> free = free_synthesis(target, c.f, c.model);
    EXPECT_EQ(why.asked.w, free->section.w);
    EXPECT_EQ(why.asked.s, free->section.s);
    const std::string line = describe(why, LengthUnit::um);
    EXPECT_NE(line.find(c.says), std::string::npos) << line;
    EXPECT_NE(line.find("-3 dB"), std::string::npos) << line;
  }
}

TEST(Process, RulesNoDesignMeetsOrThatAreNotLengthsFail) {
  const Target target = Target::zo_and_coupling(50.0f, 3.0f);
  const struct {
    Process rules;
    Failure failure;
  } cases[] = {{{0.05f, 0.0f, 0.0f}, Failure::search_bound},  // 1.3 mm lines hold no 50 ohm
               {{-1.0f * kUm, 0.0f, 0.0f}, Failure::invalid_input},
               {{0.0f, std::nanf(""), 0.0f}, Failure::invalid_input},
               {{0.0f, 0.0f, -1.0f * kUm}, Failure::invalid_input}};
  for (const auto& c : cases) {
    const Result<FittedSynthesis> r = fit(target, 0.0f, c.rules, Model::closed_form);
    EXPECT_EQ(r.failure(), c.failure);
  }
}

TEST(Process, BreachesAndTheEtchsCompensationOfAGivenCrossSection) {
  const CrossSection xs{4, 100.0f * kUm, 50.0f * kUm};
  const struct {
    Process rules;
    std::size_t breaches;
    bool compensable;
  } cases[] = {{{100.0f * kUm, 50.0f * kUm, 24.0f * kUm}, 0, true},
               {{101.0f * kUm, 0.0f, 0.0f}, 1, true},
               {{101.0f * kUm, 51.0f * kUm, 0.0f}, 2, true},
               {{0.0f, 0.0f, 25.0f * kUm}, 0, false},
               {{0.0f, 0.0f, 30.0f * kUm}, 0, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(breaches(c.rules, xs, LengthUnit::um).size(), c.breaches);
    EXPECT_EQ(uncompensable(c.rules, xs, LengthUnit::um).empty(), c.compensable);
  }
}

// The drawing for an etch: the narrowest gap 2e smaller and the outline e larger (each copper
// edge e outward is KLayout's reading of the mask), until the compensation closes the gap.
TEST(Process, TheMaskIsDrawnWiderByTheEtch) {
  layout::Request q;
  q.section = {4, 0.0015f, 0.002f};
  q.length = 0.115f;
  const Substrate alumina{9.8f, 0.025f, 0.0002f};
  const Result<layout::Design> plain = layout::plan(alumina, q);
  ASSERT_TRUE(plain.ok());
  const struct {
    float etch_um;
    std::int32_t grown_nm;  // 0: refused
  } cases[] = {{0.0f, 0}, {7.0f, 7000}, {25.3f, 25300}, {25.4f, -1}, {30.0f, -1}};
  const layout::Built base = layout::draw(*plain, 1, "c");
  ASSERT_TRUE(base.ok());
  for (const auto& c : cases) {
    q.process.etch = c.etch_um * kUm;
    const Result<layout::Design> d = layout::plan(alumina, q);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->etch, q.process.etch);
    const layout::Built b = layout::draw(*d, 1, "c");
    if (c.grown_nm < 0) {
      EXPECT_EQ(b.problem.what, layout::Problem::What::etch) << c.etch_um;
      continue;
    }
    ASSERT_TRUE(b.ok()) << b.problem.message;
    const std::int32_t e = c.grown_nm;
    EXPECT_EQ(b.drawing.gap, base.drawing.gap - 2 * e);
    EXPECT_EQ(b.drawing.bounds.hi.x, base.drawing.bounds.hi.x + e);
    EXPECT_EQ(b.drawing.description == base.drawing.description, e == 0);
  }
}

// A synthesized layout is held to the rules as the synthesis is.
TEST(Process, ALayoutFromTargetsIsTheNearestDesignTheProcessMakes) {
  layout::Request q;
  q.kind = layout::Request::Kind::targets;
  q.section.n = 4;
  q.frequency = 5.8f;
  q.target = Target::zo_and_coupling(50.0f, 3.0f);
  q.process = {0.0f, 100.0f * kUm, 5.0f * kUm};
  const Result<layout::Design> d = layout::plan(kLaminate, q);
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(d->fit.binding, Binding::spacing);
  EXPECT_EQ(d->section.s, 100.0f * kUm);
  EXPECT_NEAR(d->zo, 50.0f, 0.5f);
  EXPECT_EQ(d->etch, 5.0f * kUm);
}

}  // namespace
}  // namespace cuplo
