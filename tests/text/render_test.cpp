// Field rendering (F, I, A), statements, and the checked writers.
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

std::string F(float value, std::int32_t w, std::int32_t d) {
  std::string out;
  render_real(out, value, w, d);
  return out;
}

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct RealCase {
  float value;
  std::int32_t w;
  std::int32_t d;
  std::string_view expected;
};

void check(std::span<const RealCase> cases) {
  for (const RealCase& c : cases) {
    EXPECT_EQ(F(c.value, c.w, c.d), c.expected)
        << std::hexfloat << c.value << " F" << c.w << "." << c.d;
  }
}

// printf and to_chars round exact ties to even; these fields need ties away from zero.
TEST(RenderReal, ExactTiesRoundAwayFromZero) {
  const RealCase cases[] = {
      {2.25f, 7, 1, "    2.3"},    {-2.25f, 7, 1, "   -2.3"}, {0.125f, 5, 2, " 0.13"},
      {-0.125f, 6, 2, " -0.13"},   {0.625f, 5, 2, " 0.63"},   {0.0625f, 6, 3, " 0.063"},
      {1.0625f, 8, 3, "   1.063"}, {0.5f, 3, 0, " 1."},       {1.5f, 5, 0, "   2."},
      {2.5f, 5, 0, "   3."},       {-2.5f, 5, 0, "  -3."},    {-0.5f, 4, 0, " -1."},
      {1023.5f, 6, 0, " 1024."},
  };
  check(cases);
}

// A float just off a decimal tie rounds by its exact value, never by its shortest decimal.
TEST(RenderReal, NearTiesFollowTheExactValue) {
  const RealCase cases[] = {
      {2.35f, 7, 1, "    2.3"},  // 2.349999904...
      {2.675f, 6, 2, "  2.67"},  // 2.674999952...
      {1.005f, 6, 2, "  1.00"},  // 1.004999995...
      {9.95f, 5, 1, "  9.9"},    // 9.949999809...
      {std::nextafter(2.25f, 0.0f), 7, 1, "    2.2"},
      {std::nextafter(2.25f, 3.0f), 7, 1, "    2.3"},
      {std::nextafter(0.125f, 0.0f), 5, 2, " 0.12"},
      {std::nextafter(-0.125f, 0.0f), 6, 2, " -0.12"},
      {0.0005f, 7, 3, "  0.001"},  // 0.000500000024...
      {-0.0005f, 8, 3, "  -0.001"},
  };
  check(cases);
}

TEST(RenderReal, LeadingZeroOnlyWhenThereIsRoom) {
  const RealCase cases[] = {
      {0.5f, 7, 4, " 0.5000"},     {0.0014f, 7, 6, ".001400"},
      {0.0014f, 8, 6, "0.001400"}, {0.0005f, 6, 5, ".00050"},
      {-0.5f, 6, 3, "-0.500"},     {-0.5f, 5, 3, "-.500"},
      {-0.5f, 4, 3, "****"},       {0.0f, 4, 2, "0.00"},
      {0.0f, 3, 2, ".00"},         {0.0f, 2, 2, "**"},
      {0.4f, 2, 0, "0."},          {0.4f, 1, 0, "."},
      {0.96f, 3, 1, "1.0"},        {0.3f, 30, 27, " 0.300000011920928955078125000"},
  };
  check(cases);
}

TEST(RenderReal, CarryAndOverflowToAsterisks) {
  const RealCase cases[] = {
      {12345.6f, 6, 2, "******"},
      {12345.6f, 8, 2, "12345.60"},
      {-1234.5f, 7, 2, "*******"},
      {-1234.5f, 8, 2, "-1234.50"},
      {9.96f, 5, 1, " 10.0"},
      {99.96f, 5, 1, "100.0"},
      {999.96f, 5, 1, "*****"},
      {0.96f, 2, 1, "**"},
      {-9.96f, 5, 1, "-10.0"},
      {-9.96f, 4, 1, "****"},
      {1e10f, 14, 1, " 10000000000.0"},
      {3.4028235e38f, 41, 1, "340282346638528859811704183484516925440.0"},
      {-3.4028235e38f, 42, 1, "-340282346638528859811704183484516925440.0"},
      {-3.4028235e38f, 41, 1, "*****************************************"},
  };
  check(cases);
}

TEST(RenderReal, SignOfValuesThatRoundToZero) {
  const RealCase cases[] = {
      {-0.0004f, 8, 3, "  -0.000"},
      {-0.0001f, 8, 3, "  -0.000"},
      {0.0004f, 8, 3, "   0.000"},
      {-0.0f, 6, 2, " -0.00"},
      {0.0f, 6, 2, "  0.00"},
      {-0.0004f, 5, 3, "-.000"},
      {1e-30f, 5, 2, " 0.00"},
      {std::numeric_limits<float>::denorm_min(), 6, 3, " 0.000"},
      {-std::numeric_limits<float>::denorm_min(), 6, 3, "-0.000"},
  };
  check(cases);
}

TEST(RenderReal, NotANumberAndInfinities) {
  const RealCase cases[] = {
      {kNaN, 2, 1, "**"},        {kNaN, 3, 1, "NaN"},        {kNaN, 4, 1, " NaN"},
      {kNaN, 9, 2, "      NaN"}, {-kNaN, 5, 1, "  NaN"},     {kInf, 2, 1, "**"},
      {kInf, 3, 1, "Inf"},       {kInf, 4, 1, " Inf"},       {kInf, 7, 1, "    Inf"},
      {kInf, 8, 1, "Infinity"},  {kInf, 9, 1, " Infinity"},  {-kInf, 2, 1, "**"},
      {-kInf, 3, 1, "***"},      {-kInf, 4, 1, "-Inf"},      {-kInf, 5, 1, " -Inf"},
      {-kInf, 8, 1, "    -Inf"}, {-kInf, 9, 1, "-Infinity"}, {-kInf, 10, 1, " -Infinity"},
  };
  check(cases);
}

TEST(RenderInteger, Fields) {
  struct Case {
    std::int32_t value;
    std::int32_t w;
    std::string_view expected;
  };
  const Case cases[] = {
      {7, 2, " 7"},
      {5, 2, " 5"},
      {2026, 4, "2026"},
      {100, 2, "**"},
      {-5, 2, "-5"},
      {-10, 2, "**"},
      {0, 1, "0"},
      {42, 6, "    42"},
      {std::numeric_limits<std::int32_t>::min(), 11, "-2147483648"},
      {std::numeric_limits<std::int32_t>::min(), 10, "**********"},
  };
  for (const Case& c : cases) {
    std::string out;
    render_integer(out, c.value, c.w);
    EXPECT_EQ(out, c.expected) << c.value << " I" << c.w;
  }
}

TEST(RenderChars, Fields) {
  struct Case {
    std::string_view value;
    std::int32_t w;
    std::string_view expected;
  };
  const Case cases[] = {
      {"abc", 5, "  abc"},   {"abcdef", 3, "abc"},
      {"ab  ", 6, "  ab  "}, {"", 3, "   "},
      {"abc", 3, "abc"},     {"out.dat             ", 20, "out.dat             "},
  };
  for (const Case& c : cases) {
    std::string out;
    render_chars(out, c.value, c.w);
    EXPECT_EQ(out, c.expected) << c.value << " A" << c.w;
  }
}

TEST(Render, ValuesInOrder) {
  std::string out;
  const Format format("(10X,'Er =',F6.2,13X,'Impedance Analysis',12X,'H =',F7.4,'\"')");
  const Arg args[] = {2.2f, 0.025f};
  render(out, format, args);
  EXPECT_EQ(out, "          Er =  2.20             Impedance Analysis            H = 0.0250\"\r\n");

  out.clear();
  const Format mixed("(1X,I2,':',I2,2(F6.1),1X,A4,/,A3)");
  const Arg values[] = {9, 5, 1.25f, -3.0f, "file.dat", "x"};
  render(out, mixed, values, Advance::no);
  EXPECT_EQ(out, "  9: 5   1.3  -3.0 file\r\n  x");
}

// A wrong number or kind of values is a programming error, and leaves no partial record.
TEST(Render, MismatchedValuesThrow) {
  const Format format("('a',F5.1,I3)");
  std::string out = "kept";
  const Arg too_few[] = {1.0f};
  const Arg wrong_kind[] = {1.0f, 2.0f};
  const Arg swapped[] = {std::int32_t{1}, 2.0f};
  EXPECT_THROW(render(out, format, too_few), std::logic_error);
  EXPECT_THROW(render(out, format, wrong_kind), std::logic_error);
  EXPECT_THROW(render(out, format, swapped), std::logic_error);
  EXPECT_EQ(out, "kept");
}

// Over many random floats and fields: the field is always w characters; when it is not
// asterisks it reads back within half a unit of its last digit; when it is, the number
// genuinely needs more than w characters.
TEST(RenderReal, PropertyFieldWidthAndAccuracy) {
  std::mt19937 random(20240611u);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> exponent(-8.0f, 9.0f);
  std::uniform_int_distribution<std::int32_t> width(1, 16);
  for (int n = 0; n < 200000; ++n) {
    float value = 0.0f;
    if (n % 2 == 0) {
      value = std::bit_cast<float>(bits(random));
      if (!std::isfinite(value)) continue;
    } else {
      value = std::pow(10.0f, exponent(random)) * ((bits(random) & 1u) != 0 ? -1.0f : 1.0f);
    }
    const std::int32_t w = width(random);
    const std::int32_t d = std::uniform_int_distribution<std::int32_t>(0, w - 1)(random);
    const std::string field = F(value, w, d);
    ASSERT_EQ(field.size(), static_cast<std::size_t>(w)) << value << " F" << w << "." << d;
    if (field == std::string(static_cast<std::size_t>(w), '*')) {
      std::string wide = F(value, 80, d);
      wide.erase(0, wide.find_first_not_of(' '));
      if (wide.starts_with("0.")) wide.erase(0, 1);
      if (wide.starts_with("-0.")) wide.erase(1, 1);
      EXPECT_GT(wide.size(), static_cast<std::size_t>(w)) << value << " F" << w << "." << d;
      continue;
    }
    ASSERT_EQ(std::signbit(value), field.find('-') != std::string::npos) << field;
    ASSERT_EQ(field.find('.'), field.size() - static_cast<std::size_t>(d) - 1) << field;
    const long double back = std::strtold(field.c_str(), nullptr);
    const long double exact = static_cast<long double>(value);
    const long double half = 0.5L * std::pow(10.0L, static_cast<long double>(-d));
    // The slack covers only the decimal-to-binary conversion of the text read back.
    const long double slack = half * 1e-9L + std::fabs(exact) * 1e-18L;
    ASSERT_LE(std::fabs(back - exact), half + slack) << value << " F" << w << "." << d << field;
  }
}

// A stream buffer that refuses every byte, as a device with no space left would.
class RefusingBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

// A stream buffer that takes the bytes but fails to push them to the device.
class FailingSyncBuffer : public std::stringbuf {
 public:
  int syncs = 0;

 protected:
  int sync() override {
    ++syncs;
    return fail ? -1 : 0;
  }

 public:
  bool fail = false;
};

void expect_write_failure(const std::function<void()>& action, std::string_view unit) {
  try {
    action();
    ADD_FAILURE() << "no FatalError";
  } catch (const FatalError& error) {
    EXPECT_EQ(error.fault(), "Write failed");
    EXPECT_EQ(error.unit(), unit);
  }
}

TEST(Writer, WritesRecordsAndPromptsFlush) {
  FailingSyncBuffer buffer;
  std::ostream os(&buffer);
  Writer writer(os, "report.txt");
  writer.put(Format("(1X,I2)"), {7});
  EXPECT_EQ(buffer.syncs, 0);
  writer.prompt(Format("(/,6X,'Q = ')"));
  EXPECT_EQ(buffer.syncs, 1);
  writer.put(Format("('next')"));
  EXPECT_EQ(buffer.str(), "  7\r\n\r\n      Q = next\r\n");

  prompt(os, Format("('> ')"));
  EXPECT_EQ(buffer.syncs, 2);
  write(os, Format("(A3)"), {"abc"});
  EXPECT_EQ(buffer.str(), "  7\r\n\r\n      Q = next\r\n> abc\r\n");
}

// A report record goes to the storage file as the very bytes the console got.
TEST(Writer, LastStatementCopiedToASecondDestination) {
  std::ostringstream console_stream;
  std::ostringstream storage_stream;
  Writer console(console_stream, "console");
  Writer storage(storage_stream, "storage");
  console.put(Format("(1X,F8.2,I3)"), {2.125f, 7});
  EXPECT_EQ(console.last(), "     2.13  7\r\n");
  storage.put_bytes(console.last());
  console.prompt(Format("('Q = ')"));
  EXPECT_EQ(console.last(), "Q = ");
  storage.put_bytes(console.last());
  EXPECT_EQ(storage_stream.str(), console_stream.str());

  RefusingBuffer refusing;
  std::ostream refused(&refusing);
  Writer failing(refused, "storage out.dat");
  expect_write_failure([&] { failing.put_bytes(console.last()); }, "storage out.dat");
}

TEST(Writer, FailedDeviceThrowsFatalErrorWithName) {
  RefusingBuffer refusing;
  std::ostream refused(&refusing);
  Writer writer(refused, "storage out.dat");
  expect_write_failure([&] { writer.put(Format("('x')")); }, "storage out.dat");
  expect_write_failure([&] { writer.prompt(Format("('x')")); }, "storage out.dat");

  FailingSyncBuffer failing_sync;
  failing_sync.fail = true;
  std::ostream unsynced(&failing_sync);
  Writer buffered(unsynced, "storage b.dat");
  buffered.put(Format("('x')"));
  expect_write_failure([&] { buffered.flush(); }, "storage b.dat");

  std::ostringstream bad;
  bad.setstate(std::ios_base::badbit);
  expect_write_failure([&] { write(bad, Format("('x')")); }, "console output");
  expect_write_failure([&] { prompt(bad, Format("('x')")); }, "console output");

  RefusingBuffer refusing_too;
  std::ostream throwing(&refusing_too);
  throwing.exceptions(std::ios_base::badbit | std::ios_base::failbit);
  Writer thrower(throwing, "thrower");
  expect_write_failure([&] { thrower.put(Format("('x')")); }, "thrower");
}

// A storage file on a full disk must not lose the report silently.
TEST(Writer, FullDiskIsReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::ofstream file("/dev/full", std::ios::binary);
  ASSERT_TRUE(file.is_open());
  Writer writer(file, "full.dat");
  expect_write_failure(
      [&] {
        writer.put(Format("(6X,72(1H-))"));
        writer.flush();
      },
      "full.dat");
}

}  // namespace
}  // namespace cuplo::text
