// cuplo-calc: the coupler calculations of the console program as a command-line tool with
// named options, units, and table, CSV or JSON output. Data on standard output (or -o),
// warnings and errors on standard error, one line each; the exit statuses are in command.hpp.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <string>

#include "calc/command.hpp"
#include "calc/output.hpp"
#include "calc/quantity.hpp"
#include "calc/report.hpp"
#include "cuplo/coupler.hpp"

namespace {

using namespace cuplo::calc;

// A parser message on one line.
std::string one_line(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// The parser's complaint as one line; arguments no command takes are named with the command.
std::string parse_failure(const CLI::App& app, const CLI::ParseError& e) {
  for (const CLI::App* sub : app.get_subcommands()) {
    const std::vector<std::string> rest = sub->remaining();
    if (rest.empty()) continue;
    std::string given;
    for (const std::string& r : rest) given += (given.empty() ? "" : " ") + r;
    const std::string& first = rest.front();
    if (first.starts_with("-")) {
      return first.substr(0, first.find('=')) + ": " + sub->get_name() + " takes no such option (" +
             in_quotes(given) + ")";
    }
    return sub->get_name() + ": unexpected argument " + in_quotes(given);
  }
  if (!app.get_subcommands().empty()) return one_line(e.what());
  std::string names;
  for (const CLI::App* sub : app.get_subcommands({})) {
    names += (names.empty() ? "" : ", ") + sub->get_name();
  }
  const std::vector<std::string> rest = app.remaining();
  if (rest.empty()) return "no command given (" + names + ")";
  if (rest.front().starts_with("-")) {
    return rest.front() + ": give the command first (" + names + "), then its options";
  }
  return in_quotes(rest.front()) + " is not a command (" + names + ")";
}

void add_common(CLI::App& sub, CommonOptions& common) {
  sub.add_option("--format", common.format,
                 "table, csv or json, or touchstone for response (default: from -o's extension; "
                 "else table on a terminal, csv otherwise)")
      ->type_name("FORMAT");
  sub.add_option("-o,--output", common.output,
                 "write to FILE (whole, or not at all) instead of standard output")
      ->type_name("FILE");
  sub.add_flag("--strict", common.strict,
               "a design outside the models' accuracy limits is an error (exit 3, no output)");
}

int run(int argc, char** argv) {
  CLI::App app{"Interdigitated microstrip coupler calculations.", "cuplo-calc"};
  app.set_version_flag("--version", std::string("cuplo-calc ") + cuplo::version());
  app.require_subcommand(1);
  app.footer(
      "Lengths in inches (or in, mil, mm, um), frequencies in GHz (or GHz, MHz, kHz, Hz).\n"
      "Exit status: 0 done, 1 model failure, 2 bad input, 3 accuracy limit with --strict,\n"
      "4 output not written. See cuplo-calc(1).");

  CommonOptions common;
  common.terminal = ::isatty(STDOUT_FILENO) == 1;
  const std::vector<std::unique_ptr<Command>> commands = make_commands();
  std::vector<CLI::App*> subs;
  for (const std::unique_ptr<Command>& command : commands) {
    CLI::App* sub =
        app.add_subcommand(std::string(command->name()), std::string(command->summary()));
    add_common(*sub, common);
    command->add_options(*sub);
    subs.push_back(sub);
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help, --version
    say(parse_failure(app, e));
    return kBadInput;
  }

  for (std::size_t i = 0; i < commands.size(); ++i) {
    if (!subs[i]->parsed()) continue;
    try {
      return commands[i]->run(common);
    } catch (const UsageError& e) {
      say(e.what());
      return kBadInput;
    } catch (const OutputError& e) {
      say(e.what());
      return kOutputFailure;
    }
  }
  return kBadInput;  // unreachable: one subcommand is required
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    // Nothing else is expected to throw; if it does (memory exhausted), say so rather than
    // end silently.
    say(std::string("internal error: ") + e.what());
    return kModelFailure;
  }
}
