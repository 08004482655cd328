#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "app/run.hpp"
#include "input/lcinput.hpp"
#include "scenario.hpp"

namespace cuplo::testing {
namespace {

const std::string kRule = "      " + std::string(72, '-') + "\r\n";
const std::string kOff = lines({"0"});
std::string store(std::string_view name) {
  return lines({"1", name});
}

std::string fatal(std::string_view fault, std::string_view unit) {
  return "cuplo: fatal error: " + std::string(fault) + " on " + std::string(unit) + "\n";
}

// The OPERATION answer rounded: 1 a new option of the same function (no banner, no FUNCTION
// menu), 2 recycle (the whole start again), anything else ends the run.
TEST(Driver, OperationAnswers) {
  const std::string analysis_menu =
      "\r\n      Please select an Analysis OPTION:\r\n"
      "          *Option 1: Impedance   Analysis from Strip Dimensions.\r\n"
      "           Option 2: Frequency   Analysis of Coupler.\r\n"
      "           Option 3: Sensitivity Analysis of Coupler Impedances.\r\n"
      "       Analysis OPTION selected = ";
  const std::string synthesis_menu =
      "\r\n      Please select a Synthesis OPTION:\r\n"
      "          *Option 1: Synthesis of S and W from D.C. Impedances.\r\n"
      "           Option 2: Synthesis of S and W from Dispersive Impedances.\r\n"
      "      Synthesis OPTION selected = ";
  // A static synthesis from Zo and Co: H, T, Er, N, Zo and Co at their defaults.
  const std::string synthesis = lines({"2", "1", "1"}) + blanks(6);
  const std::string start = "(the start)";
  struct Row {
    std::string pass;
    std::string_view answer;
    std::string tail;  // after the last OPERATION prompt; "" when the run ends there
  };
  const Row rows[] = {
      {impedance_pass(), "", ""},
      {impedance_pass(), "0.4", ""},
      {impedance_pass(), "2.5", ""},
      {impedance_pass(), "3", ""},
      {impedance_pass(), "7", ""},
      {impedance_pass(), "-3", ""},
      {impedance_pass(), "1.5", start},
      {impedance_pass(), "2", start},
      {synthesis, "2", start},
      {impedance_pass(), "1", analysis_menu},
      {impedance_pass(), "0.5", analysis_menu},
      {synthesis, "1", synthesis_menu},
  };
  for (const Row& row : rows) {
    const Outcome run = talk(row.pass + kOff + lines({row.answer}));
    const std::string tail = after_last(run.console, kOperationPrompt);
    EXPECT_EQ(run.status, row.tail.empty() ? 0 : 2) << row.answer;
    EXPECT_EQ(run.error, row.tail.empty() ? "" : kEndOfInput) << row.answer;
    EXPECT_EQ(count(run.console, kFunctionPrompt), row.tail == start ? 2u : 1u) << row.answer;
    if (row.tail == start) {
      const std::size_t end = run.console.find(kFunctionPrompt) + kFunctionPrompt.size();
      EXPECT_EQ(tail, run.console.substr(0, end)) << row.answer;
    } else {
      EXPECT_EQ(tail, row.tail) << row.answer;
    }
  }
}

// Date and time fields are blank-padded and the seconds run into "Hours". Every banner of
// the run shows the time of the first call, though the clock has moved on.
TEST(Driver, BannerDates) {
  const std::pair<input::DateTime, std::string> rows[] = {
      {{3, 7, 2026, 9, 5, 4}, " 3/ 7/2026 at  9: 5: 4Hours"},
      {{12, 31, 1999, 23, 59, 59}, "12/31/1999 at 23:59:59Hours"},
      {{1, 1, 2026, 0, 0, 0}, " 1/ 1/2026 at  0: 0: 0Hours"},
  };
  for (const auto& [time, stamp] : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    std::istringstream in(impedance_pass() + lines({"0", "2"}) + impedance_pass() +
                          lines({"0", "3"}));
    std::ostringstream out;
    std::ostringstream err;
    bool first = true;
    const input::Clock clock = [&first, t = time] {
      const bool now_first = first;
      first = false;
      return now_first ? t : input::DateTime{11, 22, 2033, 11, 22, 33};
    };
    EXPECT_EQ(app::run(in, out, err, clock, folder), 0);
    const std::string banner =
        kRule + "      Cuplo (v. 1.0)                          Date:" + stamp + "\r\n" +
        std::string(16, ' ') + std::string(input::kMakerNotice) + "\r\n" +
        "                RF/Microwave Computer-Aided Engineering Design Data For\r\n"
        "                     Microstrip Interdigitated (Cuplo) Couplers:\r\n\r\n";
    EXPECT_EQ(count(out.str(), banner), 2u) << stamp;
    const std::string date = "      Program: Cuplo (v. 1.0)   Date:" + stamp.substr(0, 10);
    EXPECT_EQ(count(out.str(), date + "\r\n"), 2u) << stamp;
    EXPECT_EQ(count(out.str(), "2033"), 0u) << stamp;
  }
}

// A failed console read ends the run with status 2 and a report naming the console unit;
// everything written before stays on the console.
TEST(Driver, FailedReadsAreFatal) {
  const std::string bad = fatal("Bad value during read", "unit 5 (console input)");
  const std::string end(kEndOfInput);
  const std::string complete = impedance_pass() + kOff;
  const std::tuple<std::string, std::string, std::string_view> rows[] = {
      {lines({"1", "1"}), end, "SUBOPTION selected = "},
      {lines({"abc"}), bad, kFunctionPrompt},
      {lines({"1+5"}), bad, kFunctionPrompt},
      {complete, end, kOperationPrompt},
      {complete + lines({"abc"}), bad, kOperationPrompt},
      {impedance_pass() + lines({"1"}), end, kNamePrompt},
  };
  for (const auto& [answers, error, last_prompt] : rows) {
    const Outcome run = talk(answers);
    EXPECT_EQ(run.status, 2) << answers;
    EXPECT_EQ(run.error, error) << answers;
    EXPECT_TRUE(ends_with(run.console, last_prompt)) << answers;
  }
}

// The storage file over two passes: one name continues, a new name starts a new file, a file
// from before the run is overwritten, a pass without storage adds nothing.
TEST(Driver, StorageLifeCycle) {
  // The two reports, each from a run of its own: width sweep x, spacing sweep y.
  MemoryFiles one;
  one.files["CuploDEMO.DEF"] = DefaultsFile().text();
  const Outcome alone = run_dialogue(impedance_pass("1") + store("x") + lines({"3"}), one);
  const std::string x = one.files["x"];
  MemoryFiles two;
  two.files["CuploDEMO.DEF"] = DefaultsFile().text();
  run_dialogue(impedance_pass("2") + store("y") + lines({"3"}), two);
  const std::string y = two.files["y"];

  // A stored report holds the run banner, the report and the rule line: the same records as
  // the console shows before the stored-output notice.
  ASSERT_TRUE(x.starts_with("\r\n" + kRule + "      Cuplo (v. 1.0)")) << x;
  ASSERT_TRUE(ends_with(x, "\r\n" + kRule));
  ASSERT_NE(x, y);
  EXPECT_EQ(count(alone.console, x.substr(2) + "      Output data stored in User filename: x"), 1u);

  const std::string old = "an older report\r\n" + std::string(5000, '#') + "\r\n";
  struct Row {
    const char* what;
    std::string first, second;  // storage answers of the two passes
    std::map<std::string, std::string> before, after;
  };
  const Row rows[] = {
      {"same name twice", store("a.txt"), store("a.txt"), {}, {{"a.txt", x + y}}},
      {"empty name keeps the name", store("a.txt"), store(""), {}, {{"a.txt", x + y}}},
      {"new name", store("a.txt"), store("b.txt"), {}, {{"a.txt", x}, {"b.txt", y}}},
      {"off after on", store("a.txt"), kOff, {}, {{"a.txt", x}}},
      {"on after off", kOff, store("b.txt"), {}, {{"b.txt", y}}},
      {"existing file overwritten", store("a.txt"), kOff, {{"a.txt", old}}, {{"a.txt", x}}},
      {"existing file kept until opened", kOff, kOff, {{"a.txt", old}}, {{"a.txt", old}}},
  };
  for (const Row& row : rows) {
    MemoryFiles folder;
    folder.files = row.before;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    const Outcome run = run_dialogue(impedance_pass("1") + row.first + lines({"2"}) +
                                         impedance_pass("2") + row.second + lines({"3"}),
                                     folder);
    EXPECT_EQ(run.status, 0) << row.what << run.error;
    folder.files.erase("CuploDEMO.DEF");
    EXPECT_EQ(folder.files, row.after) << row.what;
  }
}

// A storage file that cannot be opened or written ends the run with a report naming it.
TEST(Driver, StorageFailuresAreFatal) {
  struct Row {
    std::string answers;
    bool locked;  // otherwise full
    std::string error;
  };
  const Row rows[] = {
      {impedance_pass() + store("a.txt") + lines({"3"}), false,
       fatal("Write failed", "unit 3 (a.txt)")},
      {impedance_pass() + store("a.txt") + lines({"3"}), true,
       fatal("Cannot open file a.txt", "unit 3 (a.txt)")},
      {impedance_pass() + store("b.txt") + lines({"2"}) + impedance_pass() + store("a.txt") +
           lines({"3"}),
       false, fatal("Write failed", "unit 3 (a.txt)")},
  };
  for (const Row& row : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    (row.locked ? folder.locked : folder.full).insert("a.txt");
    const Outcome run = run_dialogue(row.answers, folder);
    EXPECT_EQ(run.status, 2) << row.error;
    EXPECT_EQ(run.error, row.error);
    EXPECT_EQ(count(run.console, "Output data stored in User filename: a.txt"), 0u);
  }
}

}  // namespace
}  // namespace cuplo::testing
