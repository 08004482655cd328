// The public library: failures come back as values naming what was wrong, never as a hang;
// the accuracy limits left travel with every result; the one-call forms and the sweep object
// agree; the searches land on what they were asked for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/touchstone.hpp"

namespace cuplo {
namespace {

const Substrate kAlumina{9.8f, 0.025f, 0.0002f};
const CrossSection kDemo{4, 0.0015f, 0.002f};

TEST(Library, InvalidInputNamesTheValue) {
  const float nan = std::nanf("");
  const struct {
    Substrate sub;
    CrossSection xs;
    const char* field;
  } cases[] = {{kAlumina, {5, 0.0015f, 0.002f}, "n"},
               {{0.5f, 0.025f, 0.0f}, kDemo, "er"},
               {{9.8f, 0.0f, 0.0f}, kDemo, "h"},
               {{9.8f, 0.025f, -1.0f}, kDemo, "t"},
               {kAlumina, {4, nan, 0.002f}, "w"},
               {kAlumina, {4, 0.0015f, 0.0f}, "s"},
               {{9.8f, 0.025f, 0.0f, -0.1f}, kDemo, "loss"}};
  for (const auto& c : cases) {
    const Result<Impedances> r = impedance(c.sub, c.xs, 10.0f);
    ASSERT_EQ(r.failure(), Failure::invalid_input) << c.field;
    EXPECT_EQ(std::string(r.detail()).rfind(c.field, 0), 0u) << r.detail();
  }
  for (const Target& t :
       {Target::zoe_and_zoo(20.0f, 120.0f), Target::zo_and_coupling(0.0f, 3.0f),
        Target::zo_and_coupling(50.0f, 0.0f), Target::zoe_and_zoo(50.0f, 50.0f)}) {
    EXPECT_EQ(synthesize(kAlumina, 4, t).failure(), Failure::invalid_input);
  }
  for (const Terminations& ends : {Terminations{0.0f, 50.0f}, Terminations{50.0f, -1.0f}}) {
    EXPECT_EQ(four_port(kAlumina, {kDemo, 0.11f}, 10.0f, ends).failure(), Failure::invalid_input);
  }
}

TEST(Library, LimitsTravelWithTheValues) {
  const Result<Impedances> wide = impedance(kAlumina, {4, 0.1f, 0.002f}, 10.0f);  // W/H = 4
  ASSERT_TRUE(wide.ok());
  EXPECT_TRUE(wide.limits().contains(Limit::width_ratio));
  EXPECT_FALSE(wide.limits().contains(Limit::frequency_thickness));
  EXPECT_TRUE(impedance(kAlumina, kDemo, 10.0f).limits().empty());
  // 11 dB is within the models' coupling range but outside the synthesis' own.
  const Result<Synthesis> loose = synthesize(kAlumina, 4, Target::zo_and_coupling(50.0f, 11.0f));
  EXPECT_TRUE(loose.limits().contains(Limit::synthesis_coupling));
  EXPECT_FALSE(loose.limits().contains(Limit::coupling));
}

TEST(Library, SearchesLandOnTheirTargetsOrFail) {
  for (const float f : {0.0f, 10.0f}) {
    // 150 ohms is beyond any four-strip coupler on alumina: a failure, not a hang.
    const Target high = Target::zo_and_coupling(150.0f, 3.0f);
    const Result<Synthesis> none =
        f == 0.0f ? synthesize(kAlumina, 4, high) : synthesize(kAlumina, 4, high, f);
    EXPECT_EQ(none.failure(), Failure::search_bound) << f;
  }
  const Analysis demo(kAlumina, kDemo);
  const float l = demo.quarter_wave_length(10.0f).value();
  EXPECT_NEAR(demo.centre_frequency(l).value(), 10.0f, 0.002f);
  // Wheeler's synthesis (1977) gives W/H = 0.975 for 50 ohms on Er 9.8 without thickness,
  // 0.02438 in here; the widening of a 0.2-mil strip (Hammerstad and Jensen 1980) takes
  // 0.00042 in off: 0.02396 in.
  const float w50 = microstrip_width(kAlumina, 50.0f).value();
  EXPECT_NEAR(w50, 0.02396f, 0.0002f);
  EXPECT_EQ(microstrip_width(kAlumina, 5000.0f).failure(), Failure::no_solution);
}

// Wheeler's start against the Hammerstad-Jensen analysis: the synthesized dimensions analysed
// again land near the targets over the grid (measured worst: 0.112 ohm and 0.054 dB static,
// 0.114 ohm and 0.053 dB at 10 GHz).
TEST(Library, SynthesisRoundTrip) {
  for (const std::int32_t n : {4, 6}) {
    for (float zo = 30.0f; zo <= 80.0f; zo += 10.0f) {
      for (float db = 2.0f; db <= 6.0f; db += 1.0f) {
        const Target aim = Target::zo_and_coupling(zo, db);
        for (const Result<Synthesis>& s :
             {synthesize(kAlumina, n, aim), synthesize(kAlumina, n, aim, 10.0f)}) {
          ASSERT_TRUE(s.ok()) << zo << " " << db << " " << n;
          EXPECT_NEAR(s->check.zo, zo, 0.15f) << db << " " << n;
          EXPECT_NEAR(s->check.coupling_db, -db, 0.07f) << zo << " " << n;
        }
      }
    }
  }
}

// The sweep object, the one-call forms and the response over frequency are the same numbers;
// a lossless coupler's S-matrix is unitary (every port's power goes somewhere, and the ports
// are decoupled as the symmetry of the coupler requires).
TEST(Library, SweepObjectAndLosslessFourPort) {
  const Analysis demo(kAlumina, kDemo);
  const std::array<float, 4> frequencies{0.0f, 6.0f, 10.0f, 14.0f};
  const Result<std::vector<FourPort>> swept = response(kAlumina, {kDemo, 0.11f}, frequencies);
  ASSERT_TRUE(swept.ok());
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    const float f = frequencies[k];
    EXPECT_EQ(demo.impedances(f)->zo, impedance(kAlumina, kDemo, f)->zo);
    EXPECT_EQ(demo.dispersion(f)->zoe, impedance(kAlumina, kDemo, f)->zoe);
    const FourPort p = four_port(kAlumina, {kDemo, 0.11f}, f).value();
    EXPECT_EQ(p.wave, swept->at(k).wave) << f;
    const SMatrix s = s_matrix(p);
    for (std::size_t i = 0; i < 4; ++i) {
      for (std::size_t j = 0; j < 4; ++j) {
        std::complex<float> product = 0.0f;
        for (std::size_t m = 0; m < 4; ++m) product += std::conj(s[m][i]) * s[m][j];
        EXPECT_NEAR(std::abs(product - (i == j ? 1.0f : 0.0f)), 0.0f, 2e-5f) << f << i << j;
        EXPECT_EQ(s[i][j], s[j][i]);
      }
    }
  }
  // The limits the response left are worded at the frequency that left them: the highest.
  const std::array<float, 2> wide{10.0f, 100.0f};  // f x h 6.35 and 63.5 GHz-mm
  const std::vector<std::string> warned = response(kAlumina, {kDemo, 0.11f}, wide).warnings();
  ASSERT_EQ(warned.size(), 1u);
  EXPECT_NE(warned[0].find("63.5"), std::string::npos) << warned[0];
  // The first frequency that cannot be analysed is the response's failure.
  const std::array<float, 2> bad{10.0f, -1.0f};
  EXPECT_EQ(response(kAlumina, {kDemo, 0.11f}, bad).failure(), Failure::invalid_input);
}

}  // namespace
}  // namespace cuplo

namespace cuplo {
namespace {

// The field model plugs into the same calls: a synthesis on it analysed again meets its
// targets within the solver's 0.1 % (static and at 10 GHz, N = 2 to 8), its lossless
// four-port passes all the power on, and only it takes N other than 4 or 6.
TEST(FieldModel, SynthesisMeetsItsTargetsAndTheFourPortIsLossless) {
  const Substrate laminate{3.66f, 0.02f, 0.0014f};
  const struct {
    std::int32_t n;
    float zo, db, f;
  } cases[] = {{2, 50.0f, 10.0f, 0.0f},
               {4, 50.0f, 3.0f, 0.0f},
               {6, 40.0f, 3.0f, 10.0f},
               {8, 40.0f, 3.0f, 5.8f}};
  for (const auto& c : cases) {
    const Target aim = Target::zo_and_coupling(c.zo, c.db);
    const Result<Synthesis> s = c.f == 0.0f ? synthesize(laminate, c.n, aim, Model::field)
                                            : synthesize(laminate, c.n, aim, c.f, Model::field);
    ASSERT_TRUE(s.ok()) << c.n << " " << (s.detail() ? s.detail() : "");
    EXPECT_NEAR(s->check.zo, c.zo, 0.001f * c.zo) << c.n;
    EXPECT_NEAR(s->check.coupling_db, -c.db, 0.001f * c.db) << c.n;
    const Analysis a(laminate, s->section, Model::field);
    const FourPort p = a.four_port(a.quarter_wave_length(5.0f).value(), 5.0f, {}).value();
    float power = 0.0f;
    for (const std::complex<float>& w : p.wave) power += std::norm(w);
    EXPECT_NEAR(power, 1.0f, 2e-5f) << c.n;
  }
  const CrossSection eight{8, 0.004f, 0.002f};
  EXPECT_TRUE(impedance(laminate, eight, 0.0f, Model::field).ok());
  const Result<Impedances> refused = impedance(laminate, eight, 0.0f);
  ASSERT_EQ(refused.failure(), Failure::invalid_input);
  EXPECT_NE(std::string(refused.detail()).find("field model"), std::string::npos);
}

}  // namespace
}  // namespace cuplo

namespace cuplo {
namespace {

// Full precision in the machine-readable files: the shortest text that reads back to the same
// float, and words for the values that are not numbers.
TEST(ShortestFloat, ReadsBackToTheSameFloat) {
  const std::pair<float, const char*> cases[] = {
      {0.0015f, "0.0015"},    {-3.0317874f, "-3.0317874"}, {1.1754944e-38f, "1.1754944e-38"},
      {std::nanf(""), "nan"}, {INFINITY, "inf"},           {-INFINITY, "-inf"}};
  for (const auto& [value, text] : cases) {
    char out[16];
    EXPECT_EQ(std::string(out, shortest_float(out, value)), text);
  }
}

}  // namespace
}  // namespace cuplo
