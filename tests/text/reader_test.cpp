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
constexpr float kTiny = std::numeric_limits<float>::denorm_min();

// Blanks ignored anywhere; only the first 13 characters count; the typed number rounded once to
// the nearest float, an infinity beyond the range, zero below it.
TEST(Reader, AcceptedNumbers) {
  const std::pair<std::string_view, float> forms[] = {
      {"", 0.0f},          {"   1", 1.0f},    {"1 2", 12.0f},     {"2.5E-3", 0.0025f},
      {"2.5e-3", 0.0025f}, {"1.5D2", 150.0f}, {"1.5d+2", 150.0f}, {"-4E+1", -40.0f},
      {"+7", 7.0f},        {"5.", 5.0f},      {".5", 0.5f},       {"-.5", -0.5f},
      {"0.1", 0.1f},       {"1e39", kInf},    {"-1e39", -kInf},   {"1e999999999", kInf},
      {"1.4e-45", kTiny},  {"1e-46", 0.0f},   {"0e999999", 0.0f}};
  const std::pair<std::string_view, float> spaced[] = {
      {"             ", 0.0f},   {" - 1 . 5 e 1", -15.0f},  {"1.25000000000x", 1.25f},
      {"3            99", 3.0f}, {"16777217", 16777216.0f}, {"3.4028235e38", 3.4028235e38f}};
  const auto check = [](std::string_view line, float expected) {
    const std::optional<float> value = parse_real(line);
    ASSERT_TRUE(value.has_value()) << '"' << line << '"';
    EXPECT_EQ(*value, expected) << '"' << line << '"';
  };
  for (const auto& [line, expected] : forms) check(line, expected);
  for (const auto& [line, expected] : spaced) check(line, expected);
  EXPECT_TRUE(std::signbit(*parse_real("-1e-46")));
}

// Forms a library parser would take, and others the answer grammar refuses.
TEST(Reader, RefusedNumbers) {
  for (const std::string_view line :
       {"1+5",  "NaN",  "Inf", "infinity", "0x10", "1,5", "1e",   ".",
        "+",    "-",    "\t1", "--1",      "1e+",  "e5",  "1.5.", "..5",
        "1e1.", "1d2d", "abc", "1 a",      "1/2",  "5-",  "1ee2", "1_0"}) {
    EXPECT_EQ(parse_real(line), std::nullopt) << '"' << line << '"';
  }
}

TEST(Reader, TextAndLines) {
  EXPECT_EQ(parse_text("out.dat"), "out.dat             ");
  EXPECT_EQ(parse_text(""), std::string(20, ' '));
  EXPECT_EQ(parse_text("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrst");
  // A CR just before the LF is not part of the line: answer files from other systems work.
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}}, {"\n", {""}}, {"a\r\nb", {"a", "b"}}, {"a\nb\n", {"a", "b"}}, {"a\r\r\n", {"a\r"}}};
  for (const auto& [input, expected] : cases) {
    std::istringstream in(input);
    std::vector<std::string> lines;
    for (std::string line; read_line(in, line);) lines.push_back(line);
    EXPECT_EQ(lines, expected) << input;
  }
}

std::string failure(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& error) {
    return error.fault() + " on " + error.unit() + (error.report().empty() ? "" : ": ") +
           error.report();
  }
  return "no FatalError";
}

// A bad value is reported with its answer number and the whole line as typed, CR aside.
TEST(Reader, ConsoleAnswersAndFatalErrors) {
  std::istringstream in("  2.5\r\n\nfile.dat\n1x    past column 13\r\n");
  Reader reader(in, "console input");
  EXPECT_EQ(reader.real(), 2.5f);
  EXPECT_EQ(reader.real(), 0.0f);
  EXPECT_EQ(reader.text(), "file.dat            ");
  EXPECT_EQ(
      failure([&] { reader.real(); }),
      R"(Bad value during read on console input: answer 4 is not a number: "1x    past column 13")");
  EXPECT_EQ(failure([&] { reader.real(); }), "End of file on console input");
  EXPECT_EQ(failure([&] { reader.text(); }), "End of file on console input");
}

}  // namespace
}  // namespace cuplo::text
