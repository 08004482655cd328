// The library's reader of typed values and writer of lengths (cuplo/units.hpp), through its
// public API.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "cuplo/units.hpp"

namespace {

using cuplo::Bound;
using cuplo::Dimension;
using cuplo::LengthUnit;
using cuplo::Plausible;
using cuplo::ValueKind;

constexpr ValueKind kHeight{Dimension::length, Bound::positive, Plausible::height};
constexpr ValueKind kWidth{Dimension::length, Bound::positive, Plausible::width};
constexpr ValueKind kFrequency{Dimension::frequency, Bound::non_negative, Plausible::frequency};
constexpr ValueKind kAnyLength{Dimension::length, Bound::non_negative, {}};

std::string written(float inches, LengthUnit unit) {
  char text[cuplo::kMaxLengthText];
  return {text, cuplo::write_length(text, inches, unit)};
}

TEST(Units, ValuesReadInLibraryUnits) {
  struct Case {
    const char* text;
    ValueKind kind;
    LengthUnit bare;
    double expected;  // rounded once to float
  };
  const Case cases[] = {
      {"25mil", kHeight, LengthUnit::in, 0.025},
      {"0.635 mm", kHeight, LengthUnit::in, 0.635 / 25.4},
      {"38.1UM", kWidth, LengthUnit::in, 38.1 / 25400.0},
      {"5nm", kWidth, LengthUnit::in, 5.0 / 25.4e6},
      {"0.0015in", kWidth, LengthUnit::mm, 0.0015},
      {"0.635", kHeight, LengthUnit::mm, 0.635 / 25.4},
      {"25", kHeight, LengthUnit::mil, 0.025},
      {"635", kHeight, LengthUnit::um, 635.0 / 25400.0},
      {" +10 ", kFrequency, LengthUnit::mm, 10.0},
      {"2.5e9 Hz", kFrequency, LengthUnit::in, 2.5},
      {"1kHz", kFrequency, LengthUnit::in, 1e-6},
      {"-3dB", {Dimension::decibel, Bound::nonzero, {}}, LengthUnit::in, -3.0},
  };
  for (const Case& c : cases) {
    const cuplo::Parsed<float> v = cuplo::parse_value("--x", c.text, c.kind, c.bare);
    ASSERT_TRUE(v.ok()) << c.text << ": " << v.message();
    EXPECT_EQ(*v, static_cast<float>(c.expected)) << c.text;
  }
  // The same width three ways is one float.
  EXPECT_EQ(*cuplo::parse_value("--w", "0.0381mm", kWidth), *cuplo::parse_value("--w", "1.5mil", kWidth));
  EXPECT_EQ(*cuplo::parse_value("--w", "1.5mil", kWidth), *cuplo::parse_value("--w", "0.0015", kWidth));
}

TEST(Units, RefusalsNameTheValueAndSayWhatToDo) {
  struct Case {
    const char* text;
    ValueKind kind;
    LengthUnit bare;
    const char* message;
  };
  const Case cases[] = {
      {"40", kWidth, LengthUnit::mm,
       "--x: 40 mm is wider than any strip of a microstrip coupler; for 40 mil write 40mil, "
       "for mm 40mm"},
      {"30000", kWidth, LengthUnit::um,
       "--x: 30000 um is wider than any strip of a microstrip coupler; for 30000 nm write "
       "30000nm, for um 30000um"},
      {"2e10", kWidth, LengthUnit::um,
       "--x: 2e10 um is wider than any strip of a microstrip coupler; if it is meant, write "
       "2e10um"},
      {"3e40", kWidth, LengthUnit::in, "--x: \"3e40\" is out of range"},
      {"1e-50", kWidth, LengthUnit::in, "--x: \"1e-50\" is out of range"},
      {"10GHz", kWidth, LengthUnit::in, "--x: unknown unit \"GHz\" in \"10GHz\""},
      {"0dB", {Dimension::decibel, Bound::nonzero, {}}, LengthUnit::in, "--x: 0dB is zero"},
  };
  for (const Case& c : cases) {
    const cuplo::Parsed<float> v = cuplo::parse_value("--x", c.text, c.kind, c.bare);
    EXPECT_FALSE(v.ok()) << c.text;
    EXPECT_EQ(v.message(), c.message);
  }
}

// Each row of the table: a bare value at its bound is taken, the next float above it is not,
// and written with its unit it always is.
TEST(Units, PlausibilityBoundsOfBareValues) {
  for (const cuplo::PlausibleSpec& row : cuplo::kPlausibleTable) {
    const ValueKind kind{row.what == Plausible::frequency ? Dimension::frequency : Dimension::length,
                         Bound::positive, row.what};
    const std::string unit = row.what == Plausible::frequency ? "GHz" : "in";
    const float above = std::nextafter(row.high, 2.0f * row.high);
    char at[32];
    char beyond[32];
    std::snprintf(at, sizeof at, "%.9g", static_cast<double>(row.high));
    std::snprintf(beyond, sizeof beyond, "%.9g", static_cast<double>(above));
    EXPECT_TRUE(cuplo::parse_value("--x", at, kind).ok()) << at;
    const cuplo::Parsed<float> refused = cuplo::parse_value("--x", beyond, kind);
    EXPECT_FALSE(refused.ok()) << beyond;
    EXPECT_NE(refused.message().find(row.beyond), std::string::npos) << refused.message();
    EXPECT_TRUE(cuplo::parse_value("--x", std::string(beyond) + unit, kind).ok()) << beyond;
  }
}

TEST(Units, Sweeps) {
  const cuplo::Parsed<cuplo::Sweep> s =
      cuplo::parse_sweep("--w", "1mil:4mil:0.5mil", kWidth, LengthUnit::in, true);
  ASSERT_TRUE(s.ok()) << s.message();
  EXPECT_EQ(s->start, 0.001f);
  EXPECT_EQ(s->stop, 0.004f);
  EXPECT_EQ(s->step, 0.0005f);
  EXPECT_EQ(s->points(), 7);
  // Ten million points at most.
  const ValueKind count{Dimension::plain, Bound::positive, {}};
  EXPECT_TRUE(cuplo::parse_sweep("--x", "1:10000000:1", count, LengthUnit::in, true).ok());
  EXPECT_FALSE(cuplo::parse_sweep("--x", "1:10000001:1", count, LengthUnit::in, true).ok());
  // Bare parts in the unit given, written ones in theirs.
  const cuplo::Parsed<cuplo::Sweep> mixed =
      cuplo::parse_sweep("--w", "0.0254:2mil:0.0127", kWidth, LengthUnit::mm, true);
  ASSERT_TRUE(mixed.ok()) << mixed.message();
  EXPECT_EQ(mixed->start, 0.001f);
  EXPECT_EQ(mixed->stop, 0.002f);
  EXPECT_EQ(mixed->points(), 3);

  struct Case {
    const char* text;
    const char* message;
  };
  const Case refused[] = {
      {"1:2", "--f: \"1:2\" is not START:STOP:STEP"},
      {"1:2:0", "--f: the step of \"1:2:0\" is zero"},
      {"2:1:0.5", "--f: the step of \"2:1:0.5\" does not go from START towards STOP"},
      {"1:12:1e-7", "--f: \"1:12:1e-7\" has more than 10000000 points"},
      {"-1:2:1", "--f: -1 in \"-1:2:1\" is negative"},
      {"1:400:1",
       "--f: 400 GHz in \"1:400:1\" is above any microstrip coupler's frequency; for 400 MHz "
       "write 400MHz, for GHz 400GHz"},
  };
  for (const Case& c : refused) {
    const cuplo::Parsed<cuplo::Sweep> r =
        cuplo::parse_sweep("--f", c.text, kFrequency, LengthUnit::in, true);
    EXPECT_EQ(r.message(), c.message) << c.text;
  }
  // A step as large as the design values is no slip: only START and STOP are held to it.
  EXPECT_TRUE(cuplo::parse_sweep("--f", "1:2:400", kFrequency, LengthUnit::in, true).ok());
  EXPECT_EQ(cuplo::parse_sweep("--f", "1:2:1", kFrequency, LengthUnit::in, false).message(),
            "--f: takes one value, not the sweep \"1:2:1\"");
}

TEST(Units, LengthsWrittenInAUnit) {
  struct Case {
    float inches;
    LengthUnit unit;
    const char* text;
  };
  const Case cases[] = {
      {0.0015f, LengthUnit::in, "0.0015"},  {0.0015f, LengthUnit::mm, "0.0381"},
      {0.025f, LengthUnit::mm, "0.635"},    {0.001f, LengthUnit::mil, "1"},
      {0.0002f, LengthUnit::um, "5.08"},    {0.0f, LengthUnit::mm, "0"},
      {NAN, LengthUnit::mm, "nan"},         {-INFINITY, LengthUnit::um, "-inf"},
  };
  for (const Case& c : cases) EXPECT_EQ(written(c.inches, c.unit), c.text);
}

// Every length written in a unit reads back, typed bare in that unit, to the very float, in
// at most 9 significant digits (so that a table's columns stay 15 characters wide).
TEST(Units, LengthsWrittenReadBackExactly) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<std::uint32_t> bits(0x2f000000u, 0x4e000000u);  // 1e-10 .. 5e8
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t b = bits(random);
    float inches = 0.0f;
    std::memcpy(&inches, &b, sizeof inches);
    for (const LengthUnit unit : cuplo::kLengthUnits) {
      const std::string text = written(inches, unit);
      const cuplo::Parsed<float> back = cuplo::parse_value("--x", text, kAnyLength, unit);
      ASSERT_TRUE(back.ok()) << text;
      ASSERT_EQ(*back, inches) << text << " " << cuplo::name(unit);
      // The significant digits: those of the mantissa without the zeros around them.
      std::string digits;
      for (const char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9') digits += c;
      }
      digits = digits.substr(0, digits.find_last_not_of('0') + 1);
      digits = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
      ASSERT_LE(digits.size(), 9u) << text;
      ASSERT_LE(text.size(), 15u) << text;
    }
  }
}

TEST(UnitsDeathTest, ReadingARefusedValueEndsTheProgram) {
  const cuplo::Parsed<float> v = cuplo::parse_value("--x", "abc", kWidth);
  EXPECT_DEATH((void)*v, "the value of a refused text was read");
}

}  // namespace
