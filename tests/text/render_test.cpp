// Record layouts, the F, I and A fields, and the checked writers.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <span>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include "text/fatal.hpp"
#include "text/render.hpp"

namespace cuplo::text {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kTiny = std::numeric_limits<float>::denorm_min();

std::string F(float value, std::int32_t w, std::int32_t d) {
  std::string out;
  render_real(out, value, w, d);
  return out;
}

// In order: exact ties, which round away from zero (printf and to_chars round them to even);
// floats just off a tie (2.349999904, 2.674999952, 1.004999995, 2.25 one float step down and
// up, -0.125 one step towards 0, 0.000500000024), which round by their exact value, never by
// their shortest decimal; the leading 0 only where there is room; carry into a new digit and
// overflow to asterisks; values that round to zero keep their sign; not a number and the
// infinities at widths 2 to 10.
TEST(Render, RealFields) {
  struct Case {
    float value;
    std::int32_t w, d;
    std::string_view expected;
  };
  const Case cases[] = {
      {2.25f, 7, 1, "    2.3"},      {-2.25f, 7, 1, "   -2.3"},      {0.125f, 5, 2, " 0.13"},
      {-0.125f, 6, 2, " -0.13"},     {0.0625f, 6, 3, " 0.063"},      {2.5f, 5, 0, "   3."},
      {-0.5f, 4, 0, " -1."},         {1023.5f, 6, 0, " 1024."},      {2.35f, 7, 1, "    2.3"},
      {2.675f, 6, 2, "  2.67"},      {1.005f, 6, 2, "  1.00"},       {2.2499998f, 7, 1, "    2.2"},
      {2.2500002f, 7, 1, "    2.3"}, {-0.12499999f, 6, 2, " -0.12"}, {0.0005f, 7, 3, "  0.001"},
      {0.5f, 7, 4, " 0.5000"},       {0.0014f, 7, 6, ".001400"},     {0.0014f, 8, 6, "0.001400"},
      {-0.5f, 6, 3, "-0.500"},       {-0.5f, 5, 3, "-.500"},         {-0.5f, 4, 3, "****"},
      {12345.6f, 6, 2, "******"},    {12345.6f, 8, 2, "12345.60"},   {-1234.5f, 7, 2, "*******"},
      {9.96f, 5, 1, " 10.0"},        {99.96f, 5, 1, "100.0"},        {999.96f, 5, 1, "*****"},
      {-9.96f, 5, 1, "-10.0"},       {-9.96f, 4, 1, "****"},         {-0.0004f, 8, 3, "  -0.000"},
      {0.0004f, 8, 3, "   0.000"},   {-0.0f, 6, 2, " -0.00"},        {-0.0004f, 5, 3, "-.000"},
      {1e-30f, 5, 2, " 0.00"},       {-kTiny, 6, 3, "-0.000"},       {kNaN, 9, 2, "      NaN"},
      {-kNaN, 5, 1, "  NaN"},        {kInf, 7, 1, "    Inf"},        {kInf, 8, 1, "Infinity"},
      {kInf, 9, 1, " Infinity"},     {-kInf, 4, 1, "-Inf"},          {-kInf, 8, 1, "    -Inf"},
      {-kInf, 9, 1, "-Infinity"},    {-kInf, 10, 1, " -Infinity"}};
  // Fields too narrow for a leading 0, or for the number at all.
  const Case narrow[] = {{0.5f, 3, 0, " 1."}, {0.0f, 4, 2, "0.00"}, {0.0f, 3, 2, ".00"},
                         {0.0f, 2, 2, "**"},  {0.4f, 1, 0, "."},    {0.96f, 3, 1, "1.0"},
                         {0.96f, 2, 1, "**"}, {kNaN, 2, 1, "**"},   {kNaN, 3, 1, "NaN"},
                         {kInf, 2, 1, "**"},  {-kInf, 2, 1, "**"},  {kNaN, 4, 1, " NaN"},
                         {kInf, 3, 1, "Inf"}, {-kInf, 3, 1, "***"}};
  for (const std::span<const Case> table :
       {std::span<const Case>(cases), std::span<const Case>(narrow)}) {
    for (const Case& c : table) {
      EXPECT_EQ(F(c.value, c.w, c.d), c.expected)
          << std::hexfloat << c.value << " F" << c.w << "." << c.d;
    }
  }
  // Beyond the 64-bit fast path: many decimals, the largest float.
  EXPECT_EQ(F(0.3f, 30, 27), " 0.300000011920928955078125000");
  EXPECT_EQ(F(3.4028235e38f, 41, 1), "340282346638528859811704183484516925440.0");
  EXPECT_EQ(F(-3.4028235e38f, 41, 1), std::string(41, '*'));
}

// Over random floats and fields: always w characters; a number reads back within half a unit
// of its last digit; asterisks only where the number needs more than w characters.
TEST(Render, RealFieldProperties) {
  std::mt19937 random(20240611u);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> exponent(-8.0f, 9.0f);
  std::uniform_int_distribution<std::int32_t> width(1, 16);
  for (int n = 0; n < 200000; ++n) {
    const float value = n % 2 == 0
                            ? std::bit_cast<float>(bits(random))
                            : std::pow(10.0f, exponent(random)) * (n % 4 == 1 ? -1.0f : 1.0f);
    if (!std::isfinite(value)) continue;
    const std::int32_t w = width(random);
    const std::int32_t d = std::uniform_int_distribution<std::int32_t>(0, w - 1)(random);
    const std::string field = F(value, w, d);
    const std::string where =
        std::to_string(value) + " F" + std::to_string(w) + "." + std::to_string(d) + " " + field;
    ASSERT_EQ(field.size(), static_cast<std::size_t>(w)) << where;
    if (field == std::string(field.size(), '*')) {
      std::string wide = F(value, 80, d);
      wide.erase(0, wide.find_first_not_of(' '));
      if (wide.starts_with("0.") || wide.starts_with("-0.")) wide.erase(wide.find('0'), 1);
      EXPECT_GT(wide.size(), field.size()) << where;
      continue;
    }
    ASSERT_EQ(std::signbit(value), field.find('-') != std::string::npos) << where;
    ASSERT_EQ(field.find('.'), field.size() - static_cast<std::size_t>(d) - 1) << where;
    const long double exact = value;
    const long double half = 0.5L * std::pow(10.0L, static_cast<long double>(-d));
    // The slack covers only the decimal-to-binary conversion of the text read back.
    const long double slack = half * 1e-9L + std::fabs(exact) * 1e-18L;
    ASSERT_LE(std::fabs(std::strtold(field.c_str(), nullptr) - exact), half + slack) << where;
  }
}

TEST(Render, IntegerAndTextFields) {
  const std::tuple<std::int32_t, std::int32_t, std::string_view> integers[] = {
      {7, 2, " 7"},
      {2026, 4, "2026"},
      {100, 2, "**"},
      {-5, 2, "-5"},
      {-10, 2, "**"},
      {0, 1, "0"},
      {std::numeric_limits<std::int32_t>::min(), 11, "-2147483648"},
      {std::numeric_limits<std::int32_t>::min(), 10, "**********"}};
  for (const auto& [value, w, expected] : integers) {
    std::string out;
    render_integer(out, value, w);
    EXPECT_EQ(out, expected) << value << " I" << w;
  }
  const std::tuple<std::string_view, std::int32_t, std::string_view> texts[] = {
      {"abc", 5, "  abc"}, {"abcdef", 3, "abc"}, {"ab  ", 6, "  ab  "}, {"", 3, "   "}};
  for (const auto& [value, w, expected] : texts) {
    std::string out;
    render_chars(out, value, w);
    EXPECT_EQ(out, expected) << value << " A" << w;
  }
}

std::string rendered(std::string_view spec, Advance advance = Advance::yes) {
  std::string out;
  render(out, Format(spec), {}, advance);
  return out;
}

// Literals in both quotes and as Hollerith text, blanks, repeat groups, slashes, CR LF.
TEST(Render, Layouts) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"(6X,'Er =')", "      Er =\r\n"},
      {"(/,6X,3(1H-))", "\r\n      ---\r\n"},
      {"(///,1X,'x')", "\r\n\r\n\r\n x\r\n"},
      {"('a'/'b',//)", "a\r\nb\r\n\r\n\r\n"},
      {"(2/,'a')", "\r\n\r\na\r\n"},
      {"()", "\r\n"},
      {"('it''s',\"say \"\"hi\"\"\",\"'\")", "it'ssay \"hi\"'\r\n"},
      {"(5H(a,b),1X,1H')", "(a,b) '\r\n"},
      {"(2(1X,2('ab')),2(2('-'),'|'))", " abab abab--|--|\r\n"},
      {" ( 2X ,\t'a' , 3 (1H=) ) ", "  a===\r\n"}};
  for (const auto& [spec, expected] : cases) EXPECT_EQ(rendered(spec), expected) << spec;
  EXPECT_EQ(rendered("(/,6X,'Q = ')", Advance::no), "\r\n      Q = ");

  std::string out;
  const Arg values[] = {9, 5, 1.25f, -3.0f, "file.dat", "x"};
  render(out, Format("(1X,I2,':',I2,2(F6.1),1X,A4,/,A3)"), values, Advance::no);
  EXPECT_EQ(out, "  9: 5   1.3  -3.0 file\r\n  x");
}

TEST(Render, RefusesMalformedLayoutsAndMismatchedValues) {
  for (const std::string_view spec : {"",         "6X",         "(6X",
                                      "(6X))",    "(6X,)",      "(6X,,1X)",
                                      "(6X 'a')", "(F6)",       "(F.2)",
                                      "(F0.0)",   "(I0)",       "(A)",
                                      "(0X)",     "(3H-)",      "('abc)",
                                      "(\"abc')", "(0(1X))",    "(2(1X)",
                                      "(E12.4)",  "(1000000X)", "(999999(999999(1X)))"}) {
    EXPECT_THROW(Format{spec}, std::invalid_argument) << spec;
  }
  // A wrong number or kind of values is a programming error and leaves no partial record.
  const Format format("('a',F5.1,I3)");
  std::string out = "kept";
  const Arg too_few[] = {1.0f};
  const Arg wrong_kind[] = {1.0f, 2.0f};
  EXPECT_THROW(render(out, format, too_few), std::logic_error);
  EXPECT_THROW(render(out, format, wrong_kind), std::logic_error);
  EXPECT_EQ(out, "kept");
}

// A device that refuses every byte, as a full disk does.
class RefusingBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

std::string failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& error) {
    return error.fault() + " on " + error.unit();
  }
  return "no FatalError";
}

// A write that fails ends the run through the fatal error, never silently.
TEST(Writer, RefusedWritesAreFatal) {
  RefusingBuffer refusing;
  std::ostream refused(&refusing);
  Writer writer(refused, "out.dat");
  EXPECT_EQ(failure([&] { writer.put(Format("('x')")); }), "Write failed on out.dat");
  EXPECT_EQ(failure([&] { writer.prompt(Format("('x')")); }), "Write failed on out.dat");
  EXPECT_EQ(failure([&] { writer.put_bytes("x\r\n"); }), "Write failed on out.dat");
  EXPECT_EQ(failure([&] { write(refused, Format("('x')")); }), "Write failed on console output");
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::ofstream full("/dev/full", std::ios::binary);
  Writer buffered(full, "full.dat");
  EXPECT_EQ(failure([&] {
              buffered.put(Format("(6X,72(1H-))"));
              buffered.flush();
            }),
            "Write failed on full.dat");
}

}  // namespace
}  // namespace cuplo::text
