// A command of cuplo-calc: its options and its run. A new command is one file that defines a
// Command (most derive DesignCommand, design.hpp) and one line in commands.cpp that registers
// it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calc/output.hpp"
#include "cuplo/coupler.hpp"
#include "cuplo/units.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace cuplo::calc {

// Exit statuses, as the man page lists them.
enum Status : int {
  kSuccess = 0,        // also with accuracy-limit warnings
  kModelFailure = 1,   // no convergence, no solution
  kBadInput = 2,       // bad value or usage
  kAccuracyLimit = 3,  // a limit of the models left, with --strict
  kOutputFailure = 4,  // the output could not be written
  // Ended by SIGINT (130) or SIGTERM (143), 128 + the signal's number, the temporary output
  // file removed (output.hpp, remove_temporary_on_interrupt).
};

// The options every command takes: where the output goes, in which unit, how strict the run is.
struct CommonOptions {
  std::string format;  // one of the command's formats; empty: chosen by -o and the terminal
  std::string output;  // -o FILE; empty or "-": standard output
  std::string units = "in";
  std::string model = "closed-form";  // --model: closed-form or field
  bool strict = false;
  bool terminal = false;  // standard output is a terminal
  // Set by a design command's run from --min-w, --min-s and --etch: the rules given, for the
  // JSON design, and one line for each rule that the design as given breaks.
  std::vector<DesignEntry> process;
  std::vector<std::string> breaches;

  // The unit of bare lengths typed and of every length written (--units).
  LengthUnit length_unit() const { return cuplo::length_unit(units).value_or(LengthUnit::in); }
  // The model of the cross-section (--model).
  cuplo::Model model_choice() const {
    return model == "field" ? cuplo::Model::field : cuplo::Model::closed_form;
  }
};

// What the parser's messages need beyond what the parser knows: the choices of each option
// that takes one of a list, and why options exclude each other.
class OptionWords {
 public:
  // An option taking one of the choices, in any case; into receives the choice as listed.
  CLI::Option* add_choice(CLI::App& app, const std::string& name, std::string& into,
                          std::vector<std::string> choices, const std::string& help);
  // Each of these options excludes each of those; note, when given, says why in the message
  // for both given ("the coupler is given by ... or by ..., not both").
  void exclude(const std::vector<CLI::Option*>& these, const std::vector<CLI::Option*>& those,
               const std::string& note = {});

  // The choices of an option added by add_choice, or nullptr.
  const std::vector<std::string>* choices(const CLI::Option* option) const;
  // The note of two options that exclude each other, or nullptr.
  const std::string* note(const CLI::Option* a, const CLI::Option* b) const;

 private:
  struct Choice {
    const CLI::Option* option;
    std::vector<std::string> choices;
  };
  struct Exclusion {
    const CLI::Option* a;
    const CLI::Option* b;
    std::string note;
  };
  std::vector<Choice> choices_;
  std::vector<Exclusion> exclusions_;
};

class Command {
 public:
  virtual ~Command() = default;
  virtual std::string_view name() const = 0;
  virtual std::string_view summary() const = 0;
  // What --format takes.
  virtual std::vector<std::string> formats() const { return {"table", "csv", "json"}; }
  // Adds the command's own options to its subcommand (the common ones are already there).
  virtual void add_options(CLI::App& app, OptionWords& words) = 0;
  // After parsing: computes and writes; returns the exit status. Bad input is a UsageError,
  // an output that cannot be written an OutputError.
  virtual int run(const CommonOptions& common) = 0;
};

// Every command, in the order of --help.
std::vector<std::unique_ptr<Command>> make_commands();

std::unique_ptr<Command> make_impedance();
std::unique_ptr<Command> make_dispersion();
std::unique_ptr<Command> make_synthesize();
std::unique_ptr<Command> make_sensitivity();
std::unique_ptr<Command> make_response();
std::unique_ptr<Command> make_layout();
std::unique_ptr<Command> make_tolerance();

}  // namespace cuplo::calc
