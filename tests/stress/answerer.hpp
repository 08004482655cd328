// A random user at the console: answers whatever prompt the program shows, with numbers in,
// around and far outside the accepted ranges, and predicts how the run must end.
//
// The answerer reads the console output written so far and answers the pending prompt (the
// text after the last CR LF). It keeps enough of the dialogue's own rules to know the sweep
// count of the coming operation: a huge one is cut short by ending the input at the storage
// question, before the operation runs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "input/state.hpp"

namespace cuplo::testing {

// What a dialogue leans towards.
struct Profile {
  double truncate = 0.12;      // chance that the input ends at a random answer
  double bad_value = 0.04;     // chance that one numeric answer is not a number
  double store = 0.35;         // chance of answering yes to the storage question
  double odd_names = 0.06;     // chance of a name the folder refuses (full.txt, locked.txt)
  double flood = 0.01;         // chance that a huge sweep is let run into the console budget
  std::int32_t max_rows = 80;  // larger sweeps are cut short (unless flooding)
  int max_passes = 5;
};

// How the run must end.
struct Prediction {
  int status = -1;
  std::string fault;       // text the error report must contain (status 2)
  bool may_flood = false;  // a huge sweep ran: the console budget may end it instead
};

// One pass through the OPERATION loop as the answerer sees it.
struct PassPlan {
  bool stored = false;
  std::string name;  // the 20-character storage name when stored
};

class Answerer {
 public:
  enum class Kind;

  Answerer(std::uint64_t seed, const Profile& profile, const input::DesignState& loaded);

  // The next line of console input (with its line end), or nothing to end the input.
  std::optional<std::string> answer(std::string_view console);

  Prediction prediction() const;
  const std::vector<PassPlan>& passes() const { return passes_; }
  const std::vector<std::string>& problems() const { return problems_; }
  // The answers given, one per line, for the report of a failed dialogue.
  const std::string& transcript() const { return transcript_; }
  // Dialogue features reached, counted by name ("menu:FUNCTION=2", "reenter:SH=yes", ...).
  const std::map<std::string, int>& coverage() const { return coverage_; }

 private:
  std::optional<std::string> respond(Kind kind);
  std::string menu(const char* name, int items);
  std::string yes_no(const char* name);
  std::string value(Kind kind);
  std::string number(double v);
  std::string storage_question();
  std::string file_name();
  std::string operation();
  double pick(const std::vector<double>& values);
  double uniform(double lo, double hi);
  double log_uniform(double lo, double hi);
  bool chance(double p);
  std::uint64_t below(std::uint64_t n);
  void note(const std::string& key) { ++coverage_[key]; }
  void track(Kind kind, float typed);

  std::mt19937_64 rng_;
  Profile profile_;
  const input::DesignState& loaded_;

  // Plan drawn at the start.
  int passes_wanted_;
  std::optional<int> cut_at_;
  std::optional<int> bad_at_;
  bool flood_allowed_;

  // Progress.
  int answers_ = 0;
  int reentries_ = 0;   // in this call
  int n_repeats_ = 0;   // "(N=4 or 6)" prompts in a row
  int zoe_rounds_ = 0;  // Zoe prompts in this call
  bool ended_ = false;
  Prediction prediction_;
  std::string fn_;
  std::vector<PassPlan> passes_;
  std::vector<std::string> problems_;
  std::string transcript_;
  std::map<std::string, int> coverage_;

  // The dialogue's values that decide the sweep count of the coming operation.
  float wmin_ = 0, wmax_ = 0, wstep_ = 0;
  float smin_ = 0, smax_ = 0, sstep_ = 0;
  float fmin_ = 0, fmax_ = 0, fstep_ = 0;
  std::int64_t count_ = 0;  // the sweep's last index
};

// The console input of a run: each time the program wants a line, the answerer looks at the
// console output so far and supplies one.
class AnswerStream : public std::streambuf {
 public:
  AnswerStream(Answerer& answerer, const std::string& console)
      : answerer_(answerer), console_(console) {}

 protected:
  int_type underflow() override;

 private:
  Answerer& answerer_;
  const std::string& console_;
  std::string line_;
};

}  // namespace cuplo::testing
