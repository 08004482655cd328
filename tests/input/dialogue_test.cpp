// Menus and the storage question through whole runs.
#include <gtest/gtest.h>

#include <set>

#include "scenario.hpp"

namespace cuplo::testing {
namespace {

// An answer out of range keeps the menu's preset, silently; answers are rounded (1.6 selects
// synthesis and 2.5 analysis at FUNCTION, 0.5 at the coupler length means enter). The input
// ends after the answers: the console ends with the prompt that would read the next one.
TEST(Menus, AnswersSelectOrKeepThePreset) {
  const std::string frequency = lines({"1", "2", "1"});
  const std::string four_port = blanks(9);  // H, W, T, S, RES, SR, Er, DLTAN, N
  const std::pair<std::string, std::string_view> rows[] = {
      {lines({""}), "       Analysis OPTION selected = "},
      {lines({"1.6"}), "      Synthesis OPTION selected = "},
      {lines({"2.5"}), "       Analysis OPTION selected = "},
      {lines({"-2"}), "       Analysis OPTION selected = "},
      {lines({"1", "4"}), "      Impedance Analysis SUBOPTION selected = "},
      {lines({"1", "-1"}), "      Impedance Analysis SUBOPTION selected = "},
      {lines({"1", "2.5"}), "Sensitivity Analysis SUBOPTION selected = "},
      {lines({"1", "1.5"}), "      Frequency Analysis SUBOPTION selected = "},
      {lines({"1", "1", "3", ""}), "-Minimum Strip Width  (Wmin), Inches = "},
      {lines({"1", "1", "1.5", ""}), "-Strip Width of Coupled Strips     (W), Inches = "},
      {frequency + lines({"0.5"}) + four_port, "-Length of Cuplo Coupler    (L), Inches = "},
      {frequency + lines({"1.49"}) + four_port, "-Length of Cuplo Coupler    (L), Inches = "},
      {frequency + lines({""}) + four_port, "-Analysis Start Frequency, GHz = "},
      {frequency + lines({"-1"}) + four_port, "-Analysis Start Frequency, GHz = "}};
  for (const auto& [answers, next] : rows) {
    const Outcome run = talk(answers);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.error, kEndOfInput);
    EXPECT_TRUE(run.console.ends_with(next)) << answers << "...\n"
                                             << run.console.substr(run.console.size() - 120);
    EXPECT_EQ(count(run.console, "ERROR"), 0u);
  }
}

// 1 after rounding asks for a name (empty: the FN entry; the program's own names: Cuplo.DAT;
// longer than 20 characters: cut), the verification-mode code enters the verification mode
// without a name, everything else stores nothing.
TEST(StorageQuestion, AnswersAndNames) {
  const std::tuple<std::string, std::string, bool> rows[] = {
      {lines({"0.5", "out.txt"}), "out.txt", false},
      {lines({"1.4", "out.txt"}), "out.txt", false},
      {lines({"1", ""}), "Cuplo.OUT", false},
      {lines({"1", "Cuplo.EXE"}), "Cuplo.DAT", false},
      {lines({"1", "abcdefghijklmnopqrstuvwxyz"}), "abcdefghijklmnopqrst", false},
      {lines({"1.5"}), "", false},
      {lines({"-1"}), "", false},
      {lines({"-417"}), "", true}};
  for (const auto& [answers, file, verification] : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    const Outcome run = run_dialogue(impedance_pass() + answers + lines({"3"}), folder);
    EXPECT_EQ(run.status, 0) << answers << run.error;
    EXPECT_EQ(folder.written, file.empty() ? std::set<std::string>{} : std::set{file}) << answers;
    EXPECT_EQ(count(run.console, kNamePrompt), file.empty() ? 0u : 1u) << answers;
    // The notice shows the name as A20, trailing blanks included.
    std::string notice = "Output data stored in User filename: " + file;
    notice.resize(notice.size() + 20 - file.size(), ' ');
    EXPECT_EQ(count(run.console, notice + "\r\n"), file.empty() ? 0u : 1u) << answers;
    EXPECT_EQ(count(run.console, "Hammerstead & Jensen`s Impedances:") != 0, verification)
        << answers;
  }
}

}  // namespace
}  // namespace cuplo::testing
