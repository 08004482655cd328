// The storage question through whole runs.
#include <gtest/gtest.h>

#include <set>

#include "scenario.hpp"

namespace cuplo::testing {
namespace {

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
