// A command of cuplo-calc: its options and its run. A new command is one file that defines a
// Command and one line in commands.cpp that registers it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace cuplo::calc {

// Exit statuses, as the man page lists them.
enum Status : int {
  kSuccess = 0,        // also with accuracy-limit warnings
  kModelFailure = 1,   // no convergence, no solution
  kBadInput = 2,       // bad value or usage
  kAccuracyLimit = 3,  // a limit of the models left, with --strict
  kOutputFailure = 4,  // the output could not be written
};

// The options every command takes: where the output goes and how strict the run is.
struct CommonOptions {
  std::string format;  // table, csv or json; empty: chosen by -o and the terminal
  std::string output;  // -o FILE; empty or "-": standard output
  bool strict = false;
  bool terminal = false;  // standard output is a terminal
};

class Command {
 public:
  virtual ~Command() = default;
  virtual std::string_view name() const = 0;
  virtual std::string_view summary() const = 0;
  // Adds the command's own options to its subcommand (the common ones are already there).
  virtual void add_options(CLI::App& app) = 0;
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

}  // namespace cuplo::calc
