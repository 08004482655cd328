#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "scenario.hpp"

namespace cuplo::testing {
namespace {

constexpr std::string_view kAnalysisPrompt = "       Analysis OPTION selected = ";
constexpr std::string_view kSynthesisPrompt = "      Synthesis OPTION selected = ";
constexpr std::string_view kImpedancePrompt = "      Impedance Analysis SUBOPTION selected = ";
constexpr std::string_view kFrequencyPrompt = "      Frequency Analysis SUBOPTION selected = ";
constexpr std::string_view kSensitivityPrompt = "Sensitivity Analysis SUBOPTION selected = ";
constexpr std::string_view kPromptW = "-Strip Width of Coupled Strips     (W), Inches = ";
constexpr std::string_view kPromptWmin = "-Minimum Strip Width  (Wmin), Inches = ";
constexpr std::string_view kPromptL = "-Length of Cuplo Coupler    (L), Inches = ";
constexpr std::string_view kPromptFmin = "-Analysis Start Frequency, GHz = ";
constexpr std::string_view kPromptN = "(N=4 or 6)= ";
constexpr std::string_view kPromptAnyN = "(N = An even integer)= ";
constexpr std::string_view kVerificationPrint = "Hammerstead & Jensen`s Impedances:";

// The input ends right after the answers: the console ends with the prompt that would read
// the next one, and no message was shown for an answer out of range.
TEST(Menus, AnswersSelectOrKeepThePreset) {
  const std::string frequency = lines({"1", "2", "1"});
  // H, W, T, S, RES, SR, Er, DLTAN and N of the four-port response follow the length mode.
  const std::string four_port = blanks(9);
  const std::pair<std::string, std::string_view> rows[] = {
      {lines({""}), kAnalysisPrompt},
      {lines({"1.6"}), kSynthesisPrompt},
      {lines({"2.5"}), kAnalysisPrompt},
      {lines({"-2"}), kAnalysisPrompt},
      {lines({"1", "4"}), kImpedancePrompt},
      {lines({"1", "-1"}), kImpedancePrompt},
      {lines({"1", ""}), kImpedancePrompt},
      {lines({"1", "3.4"}), kSensitivityPrompt},
      {lines({"1", "2.5"}), kSensitivityPrompt},
      {lines({"1", "1.5"}), kFrequencyPrompt},
      {lines({"1", "1", "", ""}), kPromptWmin},
      {lines({"1", "1", "3", ""}), kPromptWmin},
      {lines({"1", "1", "1.5", ""}), kPromptW},
      {frequency + lines({"0.5"}) + four_port, kPromptL},
      {frequency + lines({"1.49"}) + four_port, kPromptL},
      {frequency + lines({"2"}) + four_port, kPromptFmin},
      {frequency + lines({"0"}) + four_port, kPromptFmin},
      {frequency + lines({""}) + four_port, kPromptFmin},
      {frequency + lines({"-1"}) + four_port, kPromptFmin},
  };
  for (const auto& [answers, next] : rows) {
    const Outcome run = talk(answers);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.error, kEndOfInput);
    EXPECT_TRUE(ends_with(run.console, next)) << answers << "...\n"
                                              << run.console.substr(run.console.size() - 120);
    EXPECT_EQ(count(run.console, "ERROR"), 0u);
  }
}

// The storage question: 1 after rounding asks for a name, the verification-mode code enters
// the verification mode without a name, everything else stores nothing.
TEST(StorageQuestion, AnswersAndNames) {
  struct Row {
    std::string answers;
    std::string file;  // the storage file written, "" for none
    bool verification = false;
  };
  const Row rows[] = {
      {lines({"0.5", "out.txt"}), "out.txt"},
      {lines({"1.4", "out.txt"}), "out.txt"},
      {lines({"1", ""}), "Cuplo.OUT"},  // the FN entry
      {lines({"1", "Cuplo.DEF"}), "Cuplo.DAT"},
      {lines({"1", "CuploDEMO.DEF"}), "Cuplo.DAT"},
      {lines({"1", "Cuplo.EXE"}), "Cuplo.DAT"},
      {lines({"1", "cuplo.exe"}), "cuplo.exe"},
      {lines({"1", "abcdefghijklmnopqrstuvwxyz"}), "abcdefghijklmnopqrst"},
      {lines({""}), ""},
      {lines({"0"}), ""},
      {lines({"2"}), ""},
      {lines({"-1"}), ""},
      {lines({"-417"}), "", true},
  };
  for (const Row& row : rows) {
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = DefaultsFile().text();
    const Outcome run = run_dialogue(impedance_pass() + row.answers + lines({"3"}), folder);
    EXPECT_EQ(run.status, 0) << row.answers << run.error;
    const std::set<std::string> written =
        row.file.empty() ? std::set<std::string>{} : std::set<std::string>{row.file};
    EXPECT_EQ(folder.written, written) << row.answers;
    EXPECT_EQ(count(run.console, kNamePrompt), row.file.empty() ? 0u : 1u) << row.answers;
    // The notice shows the name as A20, trailing blanks included.
    std::string notice = "Output data stored in User filename: " + row.file;
    notice.resize(notice.size() + 20 - row.file.size(), ' ');
    EXPECT_EQ(count(run.console, notice + "\r\n"), row.file.empty() ? 0u : 1u) << row.answers;
    EXPECT_EQ(count(run.console, kVerificationPrint) != 0, row.verification) << row.answers;
  }
}

// The verification-mode code at the N prompt opens a hidden prompt that takes any positive
// number of strips; it does not switch the run into the verification mode.
TEST(HiddenN, VerificationCodeTakesAnyNumberOfStrips) {
  struct Row {
    std::string answers;
    std::int32_t n;
    std::size_t asked;      // "(N=4 or 6)" prompts
    std::size_t any_asked;  // hidden prompts
  };
  const Row rows[] = {
      {lines({"-417", "8"}), 8, 1, 1},     {lines({"-417", ""}), 4, 1, 1},
      {lines({"-417", "-2"}), 4, 1, 1},    {lines({"5", "4"}), 4, 2, 0},
      {lines({"5", "7", "6.4"}), 6, 3, 0}, {lines({""}), 4, 1, 0},
      {lines({"4.4"}), 4, 1, 0},
  };
  for (const Row& row : rows) {
    // H, Wmin, Wmax, Wstep, T, S and Er; after N the spot frequency, no storage, exit.
    const Outcome run =
        talk(lines({"1", "1", "1"}) + blanks(7) + row.answers + lines({"", "0", "3"}));
    EXPECT_EQ(run.status, 0) << row.answers << run.error;
    EXPECT_EQ(count(run.console, kPromptN), row.asked) << row.answers;
    EXPECT_EQ(count(run.console, kPromptAnyN), row.any_asked) << row.answers;
    EXPECT_EQ(count(run.console, "N = " + std::to_string(row.n) + " Strips"), 1u) << row.answers;
    EXPECT_EQ(count(run.console, kVerificationPrint), 0u) << row.answers;
  }
}

}  // namespace
}  // namespace cuplo::testing
