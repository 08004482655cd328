// Storage integrity: after runs with storage on, each storage file holds exactly the report
// records that went to it, in order, as the console transcript shows them: over several
// passes, with storage switched off in between, a new name, the same name again, protected
// names, the verification mode, an operation that ends in the diagnostics, and names the
// folder refuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "answerer.hpp"
#include "app/run.hpp"
#include "bounded_console.hpp"
#include "dialogue.hpp"
#include "input/defaults.hpp"
#include "input/lcinput.hpp"
#include "transcript.hpp"

namespace cuplo::testing {
namespace {

const std::string kDefaults =
    "Cuplo defaults\n0.0002\n9.8\n10.0\n14.0\n6.0\n0.5\n0.025\n3.0\n0.115\n4\n2.44\n4.0\n"
    "50.0\n50.0\n0.002\n0.004\n0.001\n0.0005\n0.0002\n0.0015\n0.004\n0.001\n0.0005\n50.0\n"
    "120.91\n20.68\nCuplo.OUT\n";

std::string pad20(const std::string& name) {
  std::string text = name.substr(0, input::kNameLength);
  text.resize(input::kNameLength, ' ');
  return text;
}

std::string lines(const std::vector<std::string>& answers) {
  std::string text;
  for (const std::string& a : answers) text += a + '\n';
  return text;
}

std::vector<std::string> blanks(int n) {
  return std::vector<std::string>(static_cast<std::size_t>(n), "");
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Parts of dialogues with the shipped defaults (every value prompt answered with Enter).
const std::vector<std::string> kImpedanceW = std::vector<std::string>{"1", "1"} + blanks(9);
const std::vector<std::string> kImpedanceS = std::vector<std::string>{"1", "2"} + blanks(9);
const std::vector<std::string> kStaticSynthesis = std::vector<std::string>{"1", "1"} + blanks(6);
const std::vector<std::string> kDispersion = std::vector<std::string>{"2", "2"} + blanks(9);
const std::vector<std::string> kSensitivityBoth =
    std::vector<std::string>{"3", "1", "3"} + blanks(9);
const std::vector<std::string> kFourPortComputed =
    std::vector<std::string>{"2", "1", "2"} + blanks(15);
const std::vector<std::string> kFourPortEntered =
    std::vector<std::string>{"2", "1", "1"} + blanks(15);
// Static synthesis of a 200-ohm, 9.9 dB coupler: the width search leaves its range.
const std::vector<std::string> kFailingSynthesis =
    std::vector<std::string>{"1", "1"} + blanks(4) + std::vector<std::string>{"200", "9.9"};

std::vector<std::string> store(const std::string& name) {
  return {"1", name};
}
const std::vector<std::string> kNoStorage = {""};
const std::vector<std::string> kVerify = {"-417"};

struct Scenario {
  const char* what;
  std::vector<std::string> answers;
  std::vector<PassPlan> plans;  // the storage choice of each pass, in order
  int status;
  const char* fault;                                 // in the error report when status is 2
  std::vector<std::pair<std::string, int>> banners;  // run banners expected in each file
};

PassPlan on(const std::string& name) {
  return {true, pad20(name)};
}
const PassPlan kOff{false, ""};

const std::vector<Scenario> kScenarios = {
    {"same name twice, storage off, a new name, back to the first name",
     std::vector<std::string>{"1"} + kImpedanceW + store("a.txt") + std::vector<std::string>{"1"} +
         kImpedanceS + store("") + std::vector<std::string>{"2", "2"} + kStaticSynthesis +
         kNoStorage + std::vector<std::string>{"2", "1"} + kDispersion + store("b.txt") +
         std::vector<std::string>{"1"} + kSensitivityBoth + store("a.txt") +
         std::vector<std::string>{"3"},
     {on("a.txt"), on("a.txt"), kOff, on("b.txt"), on("a.txt")},
     0,
     "",
     {{"a.txt", 3}, {"b.txt", 1}}},
    {"an empty name on the first pass stores under the defaults file's name",
     std::vector<std::string>{"1"} + kImpedanceW + store("") + std::vector<std::string>{""},
     {on("Cuplo.OUT")},
     0,
     "",
     {{"Cuplo.OUT", 1}}},
    {"a synthesis that ends in the diagnostics stores banner and diagnostics only",
     std::vector<std::string>{"2"} + kFailingSynthesis + store("syn.txt") +
         std::vector<std::string>{"2", "2"} + kStaticSynthesis + store("") +
         std::vector<std::string>{"0"},
     {on("syn.txt"), on("syn.txt")},
     0,
     "",
     {{"syn.txt", 2}}},
    {"four-port response in both formats around a verification pass",
     std::vector<std::string>{"1"} + kFourPortComputed + std::vector<std::string>{"1"} +
         store("fp.txt") + std::vector<std::string>{"1"} + kFourPortEntered +
         std::vector<std::string>{"2"} + kVerify + std::vector<std::string>{"1"} +
         kFourPortEntered + std::vector<std::string>{"2"} + store("") +
         std::vector<std::string>{"3"},
     {on("fp.txt"), kOff, on("fp.txt")},
     0,
     "",
     {{"fp.txt", 2}}},
    {"the program's own names are replaced by Cuplo.DAT",
     std::vector<std::string>{"1"} + kImpedanceW + store("Cuplo.DEF") +
         std::vector<std::string>{"2", "1"} + kImpedanceS + store("CuploDEMO.DEF") +
         std::vector<std::string>{"2", "1"} + kImpedanceW + store("Cuplo.EXE") +
         std::vector<std::string>{"3"},
     {on("Cuplo.DAT"), on("Cuplo.DAT"), on("Cuplo.DAT")},
     0,
     "",
     {{"Cuplo.DAT", 3}}},
    {"a full disk after a stored pass: status 2, the first file complete",
     std::vector<std::string>{"1"} + kImpedanceW + store("a.txt") + std::vector<std::string>{"1"} +
         kImpedanceS + store("full.txt"),
     {on("a.txt"), on("full.txt")},
     2,
     "Write failed on unit 3 (full.txt)",
     {{"a.txt", 1}, {"full.txt", 0}}},
    {"a name that cannot be opened: status 2, nothing written",
     std::vector<std::string>{"1"} + kImpedanceW + store("locked.txt"),
     {on("locked.txt")},
     2,
     "Cannot open file locked.txt",
     {}},
    {"the end of input at the OPERATION prompt leaves the stored report complete",
     std::vector<std::string>{"1"} + kImpedanceW + store("a.txt") +
         std::vector<std::string>{"2", "1"} + kImpedanceS + store("a.txt"),
     {on("a.txt"), on("a.txt")},
     2,
     "End of file on unit 5 (console input)",
     {{"a.txt", 2}}},
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const std::string kBannerLine = "      Cuplo (v. 1.0)                          Date:";

struct Result {
  Outcome outcome;
  MemoryFiles folder;
};

Result run_scenario(const Scenario& s) {
  Result r;
  r.folder.files[std::string(input::kDefaultsName)] = kDefaults;
  r.folder.full.insert("full.txt");
  r.folder.locked.insert("locked.txt");
  r.outcome = run_dialogue(lines(s.answers), r.folder);
  return r;
}

TEST(StorageIntegrity, EachFileHoldsExactlyItsPasses) {
  for (const Scenario& s : kScenarios) {
    SCOPED_TRACE(s.what);
    const Result r = run_scenario(s);
    EXPECT_EQ(r.outcome.status, s.status);
    if (s.status == 2) {
      EXPECT_NE(r.outcome.error.find(s.fault), std::string::npos) << r.outcome.error;
    } else {
      EXPECT_EQ(r.outcome.error, "");
    }
    const std::vector<ConsolePass> passes = console_passes(r.outcome.console);
    EXPECT_EQ(check_storage(passes, s.plans, r.folder, kDefaults), "");
    for (const auto& [name, banners] : s.banners) {
      const auto file = r.folder.files.find(name);
      ASSERT_NE(file, r.folder.files.end()) << name;
      EXPECT_EQ(count(file->second, kBannerLine), banners) << name;
    }
  }
}

TEST(StorageIntegrity, DiagnosticsWithoutTheConsoleOnlyTitle) {
  const Result r = run_scenario(kScenarios[2]);
  const std::string& stored = r.folder.files.at("syn.txt");
  // First pass: banner, diagnostics, rule; the second pass has its title and row.
  EXPECT_EQ(count(stored, "Strip Width and Spacing Synthesis"), 1);
  EXPECT_EQ(count(r.outcome.console, "Strip Width and Spacing Synthesis"), 2);
  EXPECT_EQ(count(stored, "Dimensional Synthesis terminated."), 1);
  EXPECT_LT(stored.find("terminated."), stored.find("Strip Width and Spacing Synthesis"));
}

// The checker itself must notice every kind of damage to a storage file.
TEST(StorageIntegrity, CheckerNoticesDamage) {
  const Scenario& s = kScenarios[0];
  const Result clean = run_scenario(s);
  const std::vector<ConsolePass> passes = console_passes(clean.outcome.console);
  ASSERT_EQ(passes.size(), 5u);
  ASSERT_EQ(check_storage(passes, s.plans, clean.folder, kDefaults), "");

  struct Damage {
    const char* what;
    void (*apply)(MemoryFiles& folder, std::vector<PassPlan>& plans);
  };
  const std::vector<Damage> damages = {
      {"last record lost",
       [](MemoryFiles& f, std::vector<PassPlan>&) {
         std::string& a = f.files["a.txt"];
         a.resize(a.rfind("\r\n", a.size() - 3) + 2);
       }},
      {"a record too many",
       [](MemoryFiles& f, std::vector<PassPlan>&) { f.files["b.txt"] += "\r\n"; }},
      {"a character changed",
       [](MemoryFiles& f, std::vector<PassPlan>&) {
         std::string& a = f.files["a.txt"];
         a[a.size() / 2] = static_cast<char>(a[a.size() / 2] ^ 1);
       }},
      {"files swapped",
       [](MemoryFiles& f, std::vector<PassPlan>&) {
         std::swap(f.files["a.txt"], f.files["b.txt"]);
       }},
      {"a stray file",
       [](MemoryFiles& f, std::vector<PassPlan>&) { f.written.insert("stray.txt"); }},
      {"the defaults file overwritten",
       [](MemoryFiles& f, std::vector<PassPlan>&) { f.files["CuploDEMO.DEF"] += "x"; }},
      {"storage asked for a pass the console shows unstored",
       [](MemoryFiles&, std::vector<PassPlan>& p) { p[2] = on("a.txt"); }},
      {"stored under another name than asked",
       [](MemoryFiles&, std::vector<PassPlan>& p) { p[3] = on("c.txt"); }},
  };
  for (const Damage& d : damages) {
    MemoryFiles folder = clean.folder;
    std::vector<PassPlan> plans = s.plans;
    d.apply(folder, plans);
    EXPECT_NE(check_storage(passes, plans, folder, kDefaults), "") << d.what;
  }
}

// Random sessions that store most passes: no truncation, no refused names, several passes.
TEST(StorageIntegrity, RandomStoredSessions) {
  input::DesignState loaded;
  float fo = 0.0f;
  std::istringstream file(kDefaults);
  ASSERT_FALSE(input::load_defaults(file, loaded, fo));
  Profile profile;
  profile.truncate = 0.0;
  profile.bad_value = 0.0;
  profile.odd_names = 0.0;
  profile.flood = 0.0;
  profile.store = 0.8;
  profile.max_passes = 6;

  int stored_passes = 0;
  for (std::uint64_t k = 0; k < 300; ++k) {
    MemoryFiles folder;
    folder.files[std::string(input::kDefaultsName)] = kDefaults;
    BoundedConsole out(256 * 1024);
    Answerer answerer(0x570AA6E0 + k, profile, loaded);
    AnswerStream answers(answerer, out.text());
    std::istream in(&answers);
    std::ostringstream err;
    const int status = app::run(in, out, err, fixed_time, folder);
    const std::vector<ConsolePass> passes = console_passes(out.text());
    for (const ConsolePass& p : passes) stored_passes += p.stored_name ? 1 : 0;

    ASSERT_FALSE(out.exhausted()) << "session " << k;
    EXPECT_EQ(status, answerer.prediction().status) << "session " << k << "\n" << err.str();
    EXPECT_TRUE(answerer.problems().empty()) << "session " << k;
    EXPECT_EQ(check_storage(passes, answerer.passes(), folder, kDefaults), "")
        << "session " << k << ", answers:\n"
        << answerer.transcript();
  }
  EXPECT_GT(stored_passes, 500);
}

}  // namespace
}  // namespace cuplo::testing
