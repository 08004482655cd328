// (F13.0) and (A20) reading, line reading, and the console reader's fatal errors.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "text/fatal.hpp"
#include "text/reader.hpp"

namespace cuplo::text {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ParseReal, AcceptedForms) {
  struct Case {
    std::string_view line;
    float expected;
  };
  const Case cases[] = {
      {"   1", 1.0f},
      {"", 0.0f},
      {"             ", 0.0f},
      {"1 2", 12.0f},
      {" - 1 . 5 e 1", -15.0f},
      {"2", 2.0f},
      {"0.025", 0.025f},
      {"2.5E-3", 0.0025f},
      {"2.5e-3", 0.0025f},
      {"1.5D2", 150.0f},
      {"1.5d2", 150.0f},
      {"1.5d+2", 150.0f},
      {"-4E+1", -40.0f},
      {"+7", 7.0f},
      {"5.", 5.0f},
      {".5", 0.5f},
      {"-.5", -0.5f},
      {"+.5e1", 5.0f},
      {"12345678901234", 1234567890123.0f},  // only the first 13 characters
      {"1234567890123x", 1234567890123.0f},
      {"3            99", 3.0f},
      {"0.1", 0.1f},
      {"16777217", 16777216.0f},  // ties to even at the float's last bit
      {"3.4028235e38", 3.4028235e38f},
      {"1e39", kInf},
      {"-1e39", -kInf},
      {"1e999999999", kInf},
      {"1.4e-45", std::numeric_limits<float>::denorm_min()},
      {"1e-46", 0.0f},
      {"0e999999", 0.0f},
      {"0.0000000", 0.0f},
  };
  for (const Case& c : cases) {
    const std::optional<float> value = parse_real(c.line);
    ASSERT_TRUE(value.has_value()) << '"' << c.line << '"';
    EXPECT_EQ(*value, c.expected) << '"' << c.line << '"';
  }
  // Underflow keeps the sign of the typed number.
  EXPECT_TRUE(std::signbit(*parse_real("-1e-46")));
  EXPECT_FALSE(std::signbit(*parse_real("1e-46")));
}

TEST(ParseReal, RefusedForms) {
  const std::string_view cases[] = {
      "1+5", "NaN", "Inf", "infinity", "0x10", "1,5",   "1e",   ".",   "+",    "-",
      "\t1", "--1", "+-1", "1e+",      "e5",   "1.5.",  "1..",  "..5", "1e1.", "1d2d",
      "abc", "1 a", "1/2", "1e5x",     "5-",   "1e--2", "1ee2", "1_0",
  };
  for (const std::string_view line : cases) {
    EXPECT_EQ(parse_real(line), std::nullopt) << '"' << line << '"';
  }
}

TEST(ParseText, PaddedOrCutToWidth) {
  EXPECT_EQ(parse_text("out.dat"), "out.dat             ");
  EXPECT_EQ(parse_text(""), std::string(20, ' '));
  EXPECT_EQ(parse_text("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrst");
  EXPECT_EQ(parse_text("  x  ", 4), "  x ");
}

TEST(ReadLine, LinesCarriageReturnsAndEnd) {
  struct Case {
    std::string input;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\r\n", {"a\r"}},
      {"\r\n\r\n", {"", ""}},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::vector<std::string> lines;
    std::string line;
    while (read_line(in, line)) lines.push_back(line);
    EXPECT_EQ(lines, c.lines) << c.input;
  }
}

FatalError fatal_from(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& error) {
    return error;
  }
  ADD_FAILURE() << "no FatalError";
  return FatalError("", "");
}

TEST(Reader, ReadsAnswersAndEndsOnFaults) {
  std::istringstream in("  2.5\r\n\nfile.dat\n1x\n");
  Reader reader(in, "console input");
  EXPECT_EQ(reader.real(), 2.5f);
  EXPECT_EQ(reader.real(), 0.0f);
  EXPECT_EQ(reader.text(), "file.dat            ");
  const FatalError bad = fatal_from([&] { reader.real(); });
  EXPECT_EQ(bad.fault(), "Bad value during read");
  EXPECT_EQ(bad.unit(), "console input");
  const FatalError end = fatal_from([&] { reader.real(); });
  EXPECT_EQ(end.fault(), "End of file");
  EXPECT_EQ(end.unit(), "console input");
  const FatalError end_text = fatal_from([&] { reader.text(); });
  EXPECT_EQ(end_text.fault(), "End of file");
}

}  // namespace
}  // namespace cuplo::text
