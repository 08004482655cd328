// Thousands of random dialogues through every menu path, with numbers in, around and far
// outside the accepted ranges, truncated input, answers that are not numbers, storage names
// the folder refuses and huge sweeps. Every run must end with exit status 0 or 2 exactly as
// the answers predict, within its time bound, with every storage file holding exactly the
// records stored in it.
//
// Reproducible: CUPLO_STRESS_SEED sets the base seed (default below), CUPLO_STRESS_DIALOGUES
// the number of dialogues, CUPLO_STRESS_ONLY=k runs dialogue k alone. A failure names the
// dialogue and shows its answers.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "answerer.hpp"
#include "app/run.hpp"
#include "bounded_console.hpp"
#include "dialogue.hpp"
#include "input/defaults.hpp"
#include "input/lcinput.hpp"
#include "transcript.hpp"

namespace cuplo::testing {
namespace {

constexpr std::uint64_t kDefaultSeed = 0x20260307;
constexpr int kDefaultDialogues = 3000;
constexpr std::size_t kConsoleBudget = 256 * 1024;
// Per dialogue, sanitizers included (the longest, a sweep run into the console budget,
// takes well under a second in the sanitizer build).
constexpr std::chrono::milliseconds kTimeBound(5000);

// Defaults files the dialogues start from: the shipped one, one with six strips and other
// ranges, and one at the edges of what the loader accepts.
const std::vector<std::string> kDefaults = {
    "Cuplo defaults\n0.0002\n9.8\n10.0\n14.0\n6.0\n0.5\n0.025\n3.0\n0.115\n4\n2.44\n4.0\n"
    "50.0\n50.0\n0.002\n0.004\n0.001\n0.0005\n0.0002\n0.0015\n0.004\n0.001\n0.0005\n50.0\n"
    "120.91\n20.68\nCuplo.OUT\n",
    "Six strips on a thin substrate\r\n0.001\r\n2.2\r\n5\r\n20\r\n1\r\n1\r\n0.01\r\n-8\r\n"
    "0.4\r\n6\r\n1.7\r\n0\r\n75\r\n75\r\n0.001\r\n0.003\r\n0.0005\r\n0.0005\r\n0.0007\r\n"
    "0.006\r\n0.012\r\n0.004\r\n0.002\r\n75\r\n200\r\n28\r\nsix.txt\r\n",
    "Edges\n0\n1\n0\n0\n0\n1e-30\n1e30\n1\n1e30\n6.49\n0\n0\n1e-30\n1e30\n1e-30\n1e30\n1e-30\n"
    "1e30\n0\n1e30\n1e30\n1e-30\n1e-30\n1e30\n1e30\n1\n edge name\n",
};

std::uint64_t env_or(const char* name, std::uint64_t fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

// SplitMix64: one well-mixed seed per dialogue from the base seed and the index.
std::uint64_t dialogue_seed(std::uint64_t base, std::uint64_t k) {
  std::uint64_t z = base + 0x9E3779B97F4A7C15ull * (k + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

struct DialogueRun {
  int status = -1;
  std::string error;
  std::chrono::nanoseconds took{};
  std::string failure;  // empty when every check passed
  bool flooded = false;
};

DialogueRun run_one(std::uint64_t seed, const std::string& defaults,
                    std::map<std::string, int>& seen) {
  input::DesignState loaded;
  float fo = 0.0f;
  std::istringstream file(defaults);
  if (input::load_defaults(file, loaded, fo)) {
    DialogueRun faulty;
    faulty.failure = "a test defaults file is faulty";
    return faulty;
  }

  MemoryFiles folder;
  folder.files[std::string(input::kDefaultsName)] = defaults;
  folder.full.insert("full.txt");
  folder.locked.insert("locked.txt");

  BoundedConsole out(kConsoleBudget);
  Answerer answerer(seed, Profile{}, loaded);
  AnswerStream answers(answerer, out.text());
  std::istream in(&answers);
  std::ostringstream err;

  DialogueRun r;
  const auto start = std::chrono::steady_clock::now();
  r.status = app::run(in, out, err, fixed_time, folder);
  r.took = std::chrono::steady_clock::now() - start;
  r.error = err.str();
  for (const auto& [key, count] : answerer.coverage()) seen[key] += count;

  const Prediction want = answerer.prediction();
  std::ostringstream why;
  if (r.status != 0 && r.status != 2) why << "exit status " << r.status << "; ";
  for (const std::string& problem : answerer.problems()) why << problem << "; ";
  if (r.took > kTimeBound) {
    why << "took " << std::chrono::duration_cast<std::chrono::milliseconds>(r.took).count()
        << " ms; ";
  }
  if (out.exhausted()) {
    r.flooded = true;
    seen["outcome:console-budget"] += 1;
    if (!want.may_flood) why << "console budget spent without a huge sweep; ";
    // The verification-mode prints of the models write to the console stream directly; their
    // report names it "console output" rather than "unit 6 (console output)".
    if (r.status != 2 || r.error.find("Write failed on ") == std::string::npos ||
        r.error.find("console output") == std::string::npos) {
      why << "a refused console write did not end the run with status 2; ";
    }
  } else {
    if (r.status != want.status) {
      why << "exit status " << r.status << ", the answers predict " << want.status << "; ";
    }
    if (want.status == 2 && r.error.find(want.fault) == std::string::npos) {
      why << "error report lacks '" << want.fault << "'; ";
    }
    if (want.status == 0 && !r.error.empty()) why << "error report after a clean end; ";
    const std::string storage =
        check_storage(console_passes(out.text()), answerer.passes(), folder, defaults);
    if (!storage.empty()) why << storage << "; ";
  }
  r.failure = why.str();
  if (const char* dump = std::getenv("CUPLO_STRESS_DUMP"); dump != nullptr) {
    // For a closer look at one dialogue: the console and every file of the folder.
    std::ofstream(std::string(dump) + "/console", std::ios::binary) << out.text();
    for (const auto& [name, content] : folder.files) {
      std::ofstream(std::string(dump) + "/file." + name, std::ios::binary) << content;
    }
  }
  if (!r.failure.empty()) {
    r.failure += "\nanswers:\n" + answerer.transcript() + "error stream: " + r.error +
                 "\nconsole tail:\n" +
                 out.text().substr(out.text().size() > 1500 ? out.text().size() - 1500 : 0);
  }
  return r;
}

// Every menu item, every check's re-entry answered both ways, every storage choice and every
// way a dialogue ends must be reached by the dialogues of a full run.
const std::vector<std::string> kMustReach = {
    "menu:FUNCTION=1",
    "menu:FUNCTION=2",
    "menu:FUNCTION=preset",
    "menu:OPTION=1",
    "menu:OPTION=2",
    "menu:OPTION=3",
    "menu:OPTION=preset",
    "menu:IMPSUB=1",
    "menu:IMPSUB=2",
    "menu:FREQSUB=1",
    "menu:FREQSUB=2",
    "menu:LENGTH=1",
    "menu:LENGTH=2",
    "menu:SENSUB=1",
    "menu:SENSUB=2",
    "menu:SENSUB=3",
    "menu:MODE=1",
    "menu:MODE=2",
    "menu:MODE=3",
    "menu:SYNOPTION=1",
    "menu:SYNOPTION=2",
    "menu:SYNSUB=1",
    "menu:SYNSUB=2",
    "menu:FORMAT=1",
    "menu:FORMAT=2",
    "reenter:WH=yes",
    "reenter:WH=no",
    "reenter:ST=yes",
    "reenter:ST=no",
    "reenter:SH=yes",
    "reenter:SH=no",
    "reenter:ER=yes",
    "reenter:ER=no",
    "reenter:FREQ=yes",
    "reenter:FREQ=no",
    "reenter:LEN=yes",
    "reenter:LEN=no",
    "reenter:CO=yes",
    "reenter:CO=no",
    "reenter:ZOEZOO=yes",
    "reenter:ZOEZOO=no",
    "prompt:anyN",
    "prompt:Zoe",
    "prompt:RES",
    "prompt:DLTAN",
    "prompt:L",
    "prompt:Fo",
    "prompt:senF",
    "prompt:synF",
    "prompt:Smax",
    "prompt:Wmax",
    "storage:on",
    "storage:off",
    "storage:verify",
    "storage:protected",
    "storage:full",
    "storage:locked",
    "operation:1",
    "operation:2",
    "operation:exit",
    "input:truncated",
    "input:not-a-number",
    "sweep:cut",
    "sweep:flood",
    "outcome:console-budget",
};

TEST(RandomDialogues, EndAsTheAnswersPredictWithIntactStorage) {
  const std::uint64_t base = env_or("CUPLO_STRESS_SEED", kDefaultSeed);
  const auto count =
      static_cast<std::uint64_t>(env_or("CUPLO_STRESS_DIALOGUES", kDefaultDialogues));
  const bool only = std::getenv("CUPLO_STRESS_ONLY") != nullptr;
  const std::uint64_t first = only ? env_or("CUPLO_STRESS_ONLY", 0) : 0;
  const std::uint64_t last = only ? first + 1 : count;

  std::map<std::string, int> seen;
  std::map<int, int> statuses;
  int failures = 0;
  std::chrono::nanoseconds total{};
  std::chrono::nanoseconds longest{};
  const auto start = std::chrono::steady_clock::now();
  for (std::uint64_t k = first; k < last; ++k) {
    const DialogueRun r = run_one(dialogue_seed(base, k), kDefaults[k % kDefaults.size()], seen);
    ++statuses[r.status];
    total += r.took;
    if (r.took > longest) longest = r.took;
    if (!r.failure.empty() && ++failures <= 5) {
      ADD_FAILURE() << "dialogue " << k << " (CUPLO_STRESS_SEED=" << base
                    << " CUPLO_STRESS_ONLY=" << k << "): " << r.failure;
    }
  }
  const auto wall = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(failures, 0);

  if (!only && count >= static_cast<std::uint64_t>(kDefaultDialogues)) {
    for (const std::string& key : kMustReach) {
      EXPECT_GT(seen[key], 0) << "no dialogue reached " << key;
    }
  }
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  std::cout << "dialogues: " << last - first << ", seed: " << base << ", failures: " << failures
            << ", status 0: " << statuses[0] << ", status 2: " << statuses[2]
            << ", run into the console budget: " << seen["outcome:console-budget"]
            << "\ntime: " << duration_cast<milliseconds>(wall).count() << " ms in all, "
            << duration_cast<milliseconds>(total).count() << " ms in runs, longest "
            << duration_cast<milliseconds>(longest).count() << " ms\n";
}

}  // namespace
}  // namespace cuplo::testing
