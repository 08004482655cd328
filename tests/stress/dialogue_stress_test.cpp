// Thousands of random, well-formed dialogues through every menu path, with numbers in, around
// and far outside the accepted ranges, input cut short, answers that are not numbers and
// storage names the folder refuses. A random user reads the console and answers the pending
// prompt. Every run must end with exit status 0 or 2 within its time bound, and every storage
// file must hold exactly the report records that the console shows went to it.
//
// Reproducible: CUPLO_STRESS_SEED sets the base seed, CUPLO_STRESS_DIALOGUES the number of
// dialogues, CUPLO_STRESS_ONLY=k runs dialogue k alone. A failure names the dialogue and shows
// its answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/run.hpp"
#include "bounded_console.hpp"
#include "dialogue.hpp"
#include "input/defaults.hpp"
#include "input/lcinput.hpp"
#include "text/reader.hpp"

namespace cuplo::testing {
namespace {

constexpr std::uint64_t kDefaultSeed = 0x20260307;
constexpr std::uint64_t kDefaultDialogues = 3000;
constexpr std::size_t kConsoleBudget = 256 * 1024;
// Per dialogue, sanitizers included; the longest (a sweep run into the console budget) takes
// well under a second in the sanitizer build.
constexpr std::chrono::seconds kTimeBound(5);
constexpr int kMaxAnswers = 120;

// The shipped defaults, six strips with other ranges and CR LF line ends, and the edges of
// what the loader accepts (a default width sweep of 10^60 points among them).
const std::string kDefaults[] = {
    "Cuplo defaults\n0.0002\n9.8\n10.0\n14.0\n6.0\n0.5\n0.025\n3.0\n0.1225\n4\n2.44\n4.0\n"
    "50.0\n50.0\n0.002\n0.004\n0.001\n0.0005\n0.0002\n0.0015\n0.004\n0.001\n0.0005\n50.0\n"
    "120.91\n20.68\nCuplo.OUT\n",
    "Six strips\r\n0.001\r\n2.2\r\n5\r\n20\r\n1\r\n1\r\n0.01\r\n-8\r\n0.4\r\n6\r\n1.7\r\n0\r\n"
    "75\r\n75\r\n0.001\r\n0.003\r\n0.0005\r\n0.0005\r\n0.0007\r\n0.006\r\n0.012\r\n0.004\r\n"
    "0.002\r\n75\r\n200\r\n28\r\nsix.txt\r\n",
    "Edges\n0\n1\n0\n0\n0\n1e-30\n1e30\n1\n1e30\n6.49\n0\n0\n1e-30\n1e30\n1e-30\n1e30\n1e-30\n"
    "1e30\n0\n1e30\n1e30\n1e-30\n1e-30\n1e30\n1e30\n1\n edge name\n"};

// Typical values and the limits of the checks on the demo substrate (H 0.025: W/H = 3 at
// 0.075, S/H = 8 at 0.2, F x H = 25 GHz mm at 39.37 GHz), and far outside every range.
const std::vector<std::string> kNumbers = {
    "0",     "-1",     "1e-30",  "1e30", "-1e30", "3e38",  "1e39",   "1e-45", "2147483647",
    "1e-4",  "9.9e-5", "1e-5",   "5e-4", "0.001", "0.002", "0.0035", "0.01",  "0.025",
    "0.05",  "0.075",  "0.0751", "0.2",  "0.21",  "1",     "1.4",    "1.5",   "-1.5",
    "2",     "-3",     "3",      "6",    "9.8",   "10",    "-10.5",  "12",    "20",
    "20.01", "39",     "39.37",  "40",   "50",    "120",   "200",    "1000"};
const std::vector<std::string> kMenuAnswers = {"1", "2", "3",   "1",   "2",   "3",  "",
                                               "0", "4", "2.5", "1.6", "0.5", "-1", "1e30"};
const std::vector<std::string> kYesNo = {"1", "1", "1.4", "0.5", "2", "", "0", "3", "1e30"};
const std::vector<std::string> kN = {"4", "6", "", "5", "4.4", "4.6", "6.49", "-417", "8", "0"};
const std::vector<std::string> kAnyN = {"1", "2",  "3", "8",          "100",
                                        "0", "-2", "",  "2147483647", "1e30"};
const std::vector<std::string> kStorage = {"1",  "1",    "1",   "",    "0",    "2",
                                           "-1", "-417", "0.5", "1.4", "1e30", "-417.4"};
const std::vector<std::string> kNames = {"",
                                         "a.txt",
                                         "a.txt",
                                         "b.txt",
                                         "Cuplo.DEF",
                                         "CuploDEMO.DEF",
                                         "./CuploDEMO.DEF",
                                         "Cuplo.EXE",
                                         " lead.txt",
                                         "a_very_long_file_name_over_20.txt",
                                         "full.txt",
                                         "locked.txt"};
const std::vector<std::string> kAgain = {"1", "2", "1.4", "0.5", "1.5", "2.4"};
const std::vector<std::string> kStop = {"", "3", "0", "7", "2.5", "-1", "1e30", "-417", "-0.4"};
const std::vector<std::string> kNotNumbers = {"abc", "1..2", "1e", "NaN", "0x10", "1,5", "+"};

// A prompt by the end of its line, with the table its answers come from. Sweep values carry
// their slot: W, S and F ranges, each as minimum, maximum and step.
struct Prompt {
  std::string_view tail;
  const std::vector<std::string>* answers;
  int slot = -1;
};
const Prompt kPrompts[] = {{"FUNCTION selected = ", &kMenuAnswers},
                           {" Analysis OPTION selected = ", &kMenuAnswers},
                           {"Analysis SUBOPTION selected = ", &kMenuAnswers},
                           {"Compute(=2*) Coupler Length: ", &kMenuAnswers},
                           {"Mode(=2) or Both(=3): ", &kMenuAnswers},
                           {"Synthesis OPTION selected = ", &kMenuAnswers},
                           {"Synthesis SUBOPTION selected = ", &kMenuAnswers},
                           {"Print FORMAT selected = ", &kMenuAnswers},
                           {"STORAGE desired? (1=YES)  = ", &kStorage},
                           {"FILENAME for Output Data Storage: ", &kNames},
                           {"OPERATION selected = ", &kAgain},
                           {"re-enter H and W : ", &kYesNo},
                           {"re-enter S and T : ", &kYesNo},
                           {"re-enter H and S : ", &kYesNo},
                           {"re-enter Er : ", &kYesNo},
                           {"re-enter Frequency : ", &kYesNo},
                           {"tional difficulties may occur. Enter 1 to re-enter L : ", &kYesNo},
                           {" difficulties may occur. Enter 1 to re-enter L : ", &kYesNo},
                           {"re-enter Co : ", &kYesNo},
                           {"re-enter Zoe and Zoo : ", &kYesNo},
                           {"(N=4 or 6)= ", &kN},
                           {"(N = An even integer)= ", &kAnyN},
                           {"(Wmin), Inches = ", &kNumbers, 0},
                           {"(Wmax), Inches = ", &kNumbers, 1},
                           {"(Wstep),Inches = ", &kNumbers, 2},
                           {"(Smin), Inches = ", &kNumbers, 3},
                           {"(Smax), Inches = ", &kNumbers, 4},
                           {"(Sstep),Inches = ", &kNumbers, 5},
                           {"Start Frequency, GHz = ", &kNumbers, 6},
                           {"Stop  Frequency, GHz = ", &kNumbers, 7},
                           {"Step  Frequency, GHz = ", &kNumbers, 8},
                           {"(H), Inches = ", &kNumbers},
                           {"(W), Inches = ", &kNumbers},
                           {"Thickness(T), Inches = ", &kNumbers},
                           {"(S), Inches = ", &kNumbers},
                           {"(RES),    Mico-Ohm-cm = ", &kNumbers},
                           {"(SR),Micro-Inch = ", &kNumbers},
                           {"Constant (Er) = ", &kNumbers},
                           {"(DLTAN) = ", &kNumbers},
                           {"Impedance Analysis(F), GHz = ", &kNumbers},
                           {"Sensitivity Analysis(F),GHz= ", &kNumbers},
                           {"(L), Inches = ", &kNumbers},
                           {"(Fo), GHz = ", &kNumbers},
                           {"(Rs), Ohms = ", &kNumbers},
                           {"(Rl), Ohms = ", &kNumbers},
                           {"for Synthesis (F), GHz = ", &kNumbers},
                           {"(Zo),Ohms = ", &kNumbers},
                           {"(Co),  dB = ", &kNumbers},
                           {"(Zoe>Zo),Ohms = ", &kNumbers},
                           {"(Zoo),Ohms = ", &kNumbers}};
const std::size_t kPromptCount = std::size(kPrompts);

// Answers whatever prompt the console shows. A sweep whose point count could be large ends the
// input at the storage question, before the operation runs (now and then one is let run into
// the console budget instead).
class Answerer {
 public:
  Answerer(std::uint64_t seed, const input::DesignState& loaded) : rng_(seed) {
    passes_ = 1 + static_cast<int>(below(4));
    if (chance(0.1)) cut_at_ = static_cast<int>(below(60));
    if (chance(0.04)) bad_at_ = static_cast<int>(below(60));
    flood_ = chance(0.02);
    defaults_ = {loaded.wmindef,  loaded.wmaxdef, loaded.wstepdef, loaded.smindef, loaded.smaxdef,
                 loaded.sstepdef, loaded.fmindef, loaded.fmaxdef,  loaded.fstepdef};
  }

  // The next line of input, or nothing to end the input.
  std::optional<std::string> answer(const std::string& console) {
    const std::size_t end = console.rfind("\r\n");
    const std::string pending = end == std::string::npos ? console : console.substr(end + 2);
    const auto prompt = std::find_if(std::begin(kPrompts), std::end(kPrompts),
                                     [&](const Prompt& p) { return pending.ends_with(p.tail); });
    if (prompt == std::end(kPrompts)) {
      problem = "read at an unknown prompt: '" + pending + "'";
      return std::nullopt;
    }
    ++seen[static_cast<std::size_t>(prompt - std::begin(kPrompts))];
    if (answers_ == cut_at_ || answers_ >= kMaxAnswers) return std::nullopt;
    std::optional<std::string> line = answers_ == bad_at_ ? pick(kNotNumbers) : respond(*prompt);
    if (!line) return line;
    ++answers_;
    transcript += *line + '\n';
    return *line + (chance(0.1) ? "\r\n" : "\n");
  }

  std::string transcript;
  std::string problem;
  std::size_t seen[kPromptCount] = {};

 private:
  std::optional<std::string> respond(const Prompt& prompt) {
    if (prompt.answers == &kStorage) {
      const std::string& line = pick(kStorage);
      const bool verifying = line.starts_with("-417");
      if (points() > (verifying ? 10.0 : 100.0) && !flood_) return std::nullopt;
      return line;
    }
    if (prompt.answers == &kAgain) {
      typed_ = {};
      asked_ = {};
      return pick(--passes_ > 0 ? kAgain : kStop);
    }
    if (prompt.answers != &kNumbers) return pick(*prompt.answers);
    std::string line = chance(prompt.slot >= 0 ? 0.6 : 0.35) ? "" : pick(kNumbers);
    if (chance(0.1) && !line.empty()) {
      // As a person might type it: a D exponent, blanks inside, a note after column 13.
      const std::uint64_t style = below(3);
      if (style == 0) std::replace(line.begin(), line.end(), 'e', 'D');
      if (style == 1) line.insert(line.begin() + static_cast<long>(below(line.size() + 1)), ' ');
      if (style == 2) line.resize(std::max<std::size_t>(line.size(), 13), ' ');
      if (style == 2) line += "  typed note";
    }
    if (prompt.slot >= 0) {
      const auto k = static_cast<std::size_t>(prompt.slot);
      asked_[k / 3] = true;
      typed_[k] = line.empty() ? std::nullopt : text::parse_real(line);
    }
    return line;
  }

  // The largest point count the sweep of this pass can have: a refused value falls back to
  // its loaded default, so either may be in force.
  double points() const {
    double most = 0.0;
    for (std::size_t g = 0; g < 3; ++g) {
      if (!asked_[g]) continue;
      for (int combo = 0; combo < 8; ++combo) {
        double v[3];
        for (std::size_t k = 0; k < 3; ++k) {
          const std::optional<float>& typed = typed_[3 * g + k];
          v[k] = (combo >> k & 1) != 0 && typed ? *typed : defaults_[3 * g + k];
        }
        if (v[2] > 0.0) most = std::max(most, std::max(0.0, v[1] - v[0]) / v[2] + 1.0);
      }
    }
    return most;
  }

  const std::string& pick(const std::vector<std::string>& from) { return from[below(from.size())]; }
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }
  bool chance(double p) { return static_cast<double>(rng_() >> 11) * 0x1.0p-53 < p; }

  std::mt19937_64 rng_;
  int passes_ = 1;
  int answers_ = 0;
  int cut_at_ = -1;
  int bad_at_ = -1;
  bool flood_ = false;
  std::array<float, 9> defaults_{};
  std::array<std::optional<float>, 9> typed_{};
  std::array<bool, 3> asked_{};
};

// The console input of a run: each time the program wants a line, the answerer looks at the
// console output so far and supplies one.
class AnswerStream : public std::streambuf {
 public:
  AnswerStream(Answerer& answerer, const std::string& console)
      : answerer_(answerer), console_(console) {}

 protected:
  int_type underflow() override {
    const std::optional<std::string> line = answerer_.answer(console_);
    if (!line) return traits_type::eof();
    line_ = *line;
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(line_[0]);
  }

 private:
  Answerer& answerer_;
  const std::string& console_;
  std::string line_;
};

const std::string kRule = "      " + std::string(72, '-') + "\r\n";
const std::string kBanner = "\r\n" + kRule + "      Cuplo (v. 1.0)";
const std::string kMenu = "\r\n      Interdigitated Coupler calculations completed.";
const std::string kNotice = "      Output data stored in User filename: ";
const std::string kDiagnostics = "\r\n               ERROR DETECTED: ";

// Empty when every storage file holds exactly the passes that the console's stored-output
// notices name, in order: for each, the run banner (7 records) and then the rest of the
// console's pass, less the title records that the diagnostics may cut from the stored copy
// (titles of an operation that fails before its first stored record go to the console only).
// A run that ended with status 2 may leave one unfinished pass at the end of a file.
std::string check_storage(const std::string& console, const MemoryFiles& folder, int status) {
  std::map<std::string, std::size_t> read;  // bytes of each file matched so far
  for (std::size_t start = console.find(kBanner); start != std::string::npos;
       start = console.find(kBanner, start + 1)) {
    const std::size_t menu = console.find(kMenu, start);
    if (menu == std::string::npos) break;
    std::string pass = console.substr(start, menu - start);
    const std::size_t last = pass.rfind("\r\n", pass.size() - 3) + 2;
    if (pass.compare(last, kNotice.size(), kNotice) != 0) continue;
    const std::string name = input::file_name(pass.substr(last + kNotice.size(), 20));
    pass.resize(last);
    const auto file = folder.files.find(name);
    if (file == folder.files.end()) return "no file " + name;
    std::size_t& at = read[name];
    std::size_t banner_end = 0;
    for (int k = 0; k < 7; ++k) banner_end = pass.find("\r\n", banner_end) + 2;
    const std::size_t diagnostics = pass.find(kDiagnostics);
    const std::size_t last_cut = diagnostics == std::string::npos ? banner_end : diagnostics + 2;
    bool matched = file->second.compare(at, banner_end, pass, 0, banner_end) == 0;
    for (std::size_t cut = banner_end; matched && cut <= last_cut;
         cut = pass.find("\r\n", cut) + 2) {
      if (file->second.compare(at + banner_end, pass.size() - cut, pass, cut) == 0) {
        at += banner_end + pass.size() - cut;
        break;
      }
      if (cut == last_cut) matched = false;
    }
    if (!matched) return name + " differs from its pass at byte " + std::to_string(at);
  }
  for (const std::string& name : folder.written) {
    const std::string& content = folder.files.at(name);
    const std::size_t at = read[name];
    if (at != content.size() &&
        (status != 2 || content.compare(at, kBanner.size(), kBanner) != 0)) {
      return name + " holds " + std::to_string(content.size() - at) + " bytes more than its passes";
    }
  }
  return "";
}

std::uint64_t env_or(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

TEST(RandomDialogues, EndWithStatusZeroOrTwoAndIntactStorage) {
  const std::uint64_t base = env_or("CUPLO_STRESS_SEED", kDefaultSeed);
  const bool only = std::getenv("CUPLO_STRESS_ONLY") != nullptr;
  const std::uint64_t first = only ? env_or("CUPLO_STRESS_ONLY", 0) : 0;
  const std::uint64_t last = only ? first + 1 : env_or("CUPLO_STRESS_DIALOGUES", kDefaultDialogues);

  std::size_t seen[kPromptCount] = {};
  std::map<int, int> statuses;
  int failures = 0, stored = 0, flooded = 0, operations = 0;
  std::chrono::nanoseconds longest{};
  const auto start = std::chrono::steady_clock::now();
  for (std::uint64_t k = first; k < last; ++k) {
    const std::string& defaults = kDefaults[k % std::size(kDefaults)];
    input::DesignState loaded;
    float fo = 0.0f;
    std::istringstream file(defaults);
    ASSERT_FALSE(input::load_defaults(file, loaded, fo));
    MemoryFiles folder;
    folder.files[std::string(input::kDefaultsName)] = defaults;
    folder.full.insert("full.txt");
    folder.locked.insert("locked.txt");
    BoundedConsole out(kConsoleBudget);
    Answerer answerer(base ^ (0x9E3779B97F4A7C15ull * (k + 1)), loaded);
    AnswerStream answers(answerer, out.text());
    std::istream in(&answers);
    std::ostringstream err;

    const auto began = std::chrono::steady_clock::now();
    const int status = app::run(in, out, err, fixed_time, folder);
    const auto took = std::chrono::steady_clock::now() - began;
    longest = std::max(longest, took);
    ++statuses[status];
    flooded += out.exhausted() ? 1 : 0;
    for (std::size_t at = out.text().find(kMenu); at != std::string::npos;
         at = out.text().find(kMenu, at + 1)) {
      ++operations;
    }
    stored += static_cast<int>(folder.written.size());
    for (std::size_t p = 0; p < kPromptCount; ++p) seen[p] += answerer.seen[p];

    const std::string report = err.str();
    std::string why = answerer.problem;
    if (status != 0 && status != 2) why += "; exit status " + std::to_string(status);
    if (took > kTimeBound) why += "; took too long";
    if (status == 2 &&
        (!(report.starts_with("cuplo: fatal error: ") || report.starts_with("answer ")) ||
         report.find('\n') != report.size() - 1)) {
      why += "; status 2 without exactly one error report";
    }
    if (status == 0 && !report.empty()) why += "; an error report after a clean end";
    if (folder.files.at(std::string(input::kDefaultsName)) != defaults) why += "; defaults changed";
    const std::string storage = check_storage(out.text(), folder, status);
    if (!storage.empty()) why += "; " + storage;
    if (!why.empty() && ++failures <= 5) {
      ADD_FAILURE() << "dialogue " << k << " (CUPLO_STRESS_SEED=" << base
                    << " CUPLO_STRESS_ONLY=" << k << "): " << why << "\nanswers:\n"
                    << answerer.transcript << "error stream: " << report;
    }
  }
  EXPECT_EQ(failures, 0);
  if (!only && last >= kDefaultDialogues) {
    // Every prompt, and so every menu path, was reached; both ends of a run were seen.
    for (std::size_t p = 0; p < kPromptCount; ++p) {
      EXPECT_GT(seen[p], 0u) << "no dialogue reached '" << kPrompts[p].tail << "'";
    }
    EXPECT_GT(statuses[0], 100);
    EXPECT_GT(statuses[2], 100);
    EXPECT_GT(stored, 300);
    EXPECT_GT(flooded, 0);
  }
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  std::cout << "dialogues: " << last - first << ", seed: " << base << ", status 0: " << statuses[0]
            << ", status 2: " << statuses[2] << ", run into the console budget: " << flooded
            << ", operations completed: " << operations << ", storage files written: " << stored
            << "\ntime: "
            << duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count()
            << " ms in all, longest " << duration_cast<milliseconds>(longest).count() << " ms\n";
}

}  // namespace
}  // namespace cuplo::testing
