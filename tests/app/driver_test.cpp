// The driver's OPERATION loop, its banner dates and the storage file that cannot be used.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "app/run.hpp"
#include "input/lcinput.hpp"
#include "scenario.hpp"

namespace cuplo::testing {
namespace {

// The OPERATION answer, rounded: 1 a new option of the same function (no banner, no FUNCTION
// menu), 2 recycle (the start again, banner and all), anything else ends the run. A storage
// file that cannot be opened or written ends the run with a report naming it.
TEST(Driver, OperationAnswersAndStorageFailures) {
  const std::string analysis = impedance_pass() + lines({"0"});
  const std::string synthesis = lines({"2", "1", "1"}) + blanks(6) + lines({"0"});
  const std::string start = "(the start again)";
  struct Row {
    std::string answers;
    std::string error;     // after "cuplo: fatal error: "
    std::string_view end;  // of the console
  };
  const Row rows[] = {
      {analysis + lines({""}), "", kOperationPrompt},
      {analysis + lines({"0.4"}), "", kOperationPrompt},
      {analysis + lines({"2.5"}), "", kOperationPrompt},
      {analysis + lines({"7"}), "", kOperationPrompt},
      {analysis + lines({"-3"}), "", kOperationPrompt},
      {analysis + lines({"1.5"}), "End of file", start},
      {synthesis + lines({"2"}), "End of file", start},
      {analysis + lines({"0.5"}), "End of file", "\r\n       Analysis OPTION selected = "},
      {synthesis + lines({"1"}), "End of file", "\r\n      Synthesis OPTION selected = "},
      {impedance_pass() + lines({"1", "full.txt"}), "Write failed on unit 3 (full.txt)", ""},
      {impedance_pass() + lines({"1", "locked.txt"}),
       "Cannot open file locked.txt on unit 3 (locked.txt)", ""}};
  for (const Row& row : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    folder.full.insert("full.txt");
    folder.locked.insert("locked.txt");
    const Outcome run = run_dialogue(row.answers, folder);
    EXPECT_EQ(run.status, row.error.empty() ? 0 : 2) << row.answers;
    EXPECT_EQ(run.error.substr(0, 20 + row.error.size()),
              row.error.empty() ? "" : "cuplo: fatal error: " + row.error);
    EXPECT_EQ(count(run.console, kFunctionPrompt), row.end == start ? 2u : 1u) << row.answers;
    EXPECT_EQ(count(run.console, "Output data stored"), 0u) << row.answers;
    const std::string tail = after_last(run.console, kOperationPrompt);
    if (row.end == start) {
      const std::size_t end = run.console.find(kFunctionPrompt) + kFunctionPrompt.size();
      EXPECT_EQ(tail, run.console.substr(0, end)) << row.answers;
    } else if (!row.end.empty()) {
      EXPECT_TRUE(run.console.ends_with(row.end)) << row.answers;
      EXPECT_EQ(count(tail, "Cuplo (v. 1.0)"), 0u) << row.answers;
    }
  }
}

// Date and time fields are blank-padded and the seconds run into "Hours". Every banner of the
// run, the recycled start banner included, shows the time of the first call though the clock
// has moved on.
TEST(Driver, BannerDates) {
  const std::pair<input::DateTime, std::string> rows[] = {
      {{3, 7, 2026, 9, 5, 4}, " 3/ 7/2026 at  9: 5: 4Hours"},
      {{12, 31, 1999, 23, 59, 59}, "12/31/1999 at 23:59:59Hours"}};
  for (const auto& [time, stamp] : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    std::istringstream in(impedance_pass() + lines({"0", "2"}) + impedance_pass() +
                          lines({"0", "3"}));
    std::ostringstream out, err;
    bool first = true;
    const input::Clock clock = [&first, t = time] {
      const bool now_first = std::exchange(first, false);
      return now_first ? t : input::DateTime{11, 22, 2033, 11, 22, 33};
    };
    EXPECT_EQ(app::run(in, out, err, clock, folder), 0);
    EXPECT_EQ(count(out.str(), "      Cuplo (v. 1.0)                          Date:" + stamp), 2u);
    EXPECT_EQ(count(out.str(), "      Program: Cuplo (v. 1.0)   Date:" + stamp.substr(0, 10)), 2u);
    EXPECT_EQ(count(out.str(), "2033"), 0u) << stamp;
  }
}

}  // namespace
}  // namespace cuplo::testing
