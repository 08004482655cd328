// cuplo-calc: the coupler calculations of the console program as a command-line tool with
// named options, units, and table, CSV or JSON output. Data on standard output (or -o),
// warnings and errors on standard error, one line each; the exit statuses are in command.hpp.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <exception>
#include <string>
#include <vector>

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

std::string joined(const std::vector<std::string>& words, const char* between) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : between) + w;
  return out;
}

// "a, b or c".
std::string listed(const std::vector<std::string>& words) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += i + 1 == words.size() ? " or " : ", ";
    out += words[i];
  }
  return out;
}

// The edits (insertions, deletions, substitutions) that make a into b, letters compared
// without regard to case.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The candidate nearest to what was typed, if it is near enough to be the one meant (at most
// two edits, and fewer than the letters of either): "; did you mean --coupling?", or "".
std::string suggestion(std::string_view typed, const std::vector<std::string>& candidates) {
  const auto bare = [](std::string_view s) {
    return s.substr(std::min(s.find_first_not_of('-'), s.size()));
  };
  const std::string_view t = bare(typed);
  const std::string* best = nullptr;
  std::size_t nearest = 0;
  for (const std::string& c : candidates) {
    const std::string_view name = bare(c);
    const std::size_t d = edit_distance(t, name);
    if (d > 2 || d >= t.size() || d >= name.size()) continue;
    if (best == nullptr || d < nearest) {
      best = &c;
      nearest = d;
    }
  }
  return best == nullptr ? std::string() : "; did you mean " + *best + "?";
}

// An option as the messages name it: its short name when it has one ("-o"), else its long.
std::string option_name(const CLI::Option& option) {
  if (!option.get_snames().empty()) return "-" + option.get_snames().front();
  return "--" + option.get_lnames().front();
}

std::vector<std::string> option_names(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* o : command.get_options()) {
    for (const std::string& l : o->get_lnames()) names.push_back("--" + l);
  }
  return names;
}

// Arguments the command takes no option or place for.
std::string extras(const CLI::App& command) {
  const std::vector<std::string> rest = command.remaining();
  const std::string given = joined(rest, " ");
  const std::string& first = rest.empty() ? given : rest.front();
  if (first.starts_with("-")) {
    const std::string typed = first.substr(0, first.find('='));
    return typed + ": " + command.get_name() + " takes no such option (" + in_quotes(given) + ")" +
           suggestion(typed, option_names(command));
  }
  return command.get_name() + ": unexpected argument " + in_quotes(given);
}

// An option given more often than once, or without its value.
std::string miscounted(const CLI::App& command, const CLI::Error& e) {
  for (const CLI::Option* o : command.get_options()) {
    if (o->count() == 2) return option_name(*o) + ": given twice";
    if (o->count() > 2) return option_name(*o) + ": given " + std::to_string(o->count()) + " times";
  }
  // The parser names the option before the first colon: "--w: 1 required VALUE missing".
  const std::string what = e.what();
  const std::size_t colon = what.find(':');
  if (colon == std::string::npos) return one_line(what);
  return what.substr(0, colon) + ": no value given";
}

// Two options given that exclude each other.
std::string excluded(const CLI::App& command, const OptionWords& words) {
  for (const CLI::Option* a : command.get_options()) {
    if (a->count() == 0) continue;
    for (const CLI::Option* b : a->get_excludes()) {
      if (b->count() == 0) continue;
      const std::string* note = words.note(a, b);
      return option_name(*a) + ": " +
             (note != nullptr
                  ? *note
                  : "give " + option_name(*a) + " or " + option_name(*b) + ", not both");
    }
  }
  return {};
}

// A value not among an option's choices: the one left as typed (a choice taken is rewritten
// as listed).
std::string not_a_choice(const CLI::App& command, const OptionWords& words) {
  for (const CLI::Option* o : command.get_options()) {
    const std::vector<std::string>* choices = words.choices(o);
    if (choices == nullptr || o->count() == 0) continue;
    const std::string& given = o->results().front();
    if (std::find(choices->begin(), choices->end(), given) == choices->end()) {
      return option_name(*o) + ": " + in_quotes(given) + " is not " + listed(*choices);
    }
  }
  return {};
}

// No command, or something else where the command belongs.
std::string no_command(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands({})) names.push_back(sub->get_name());
  const std::string all = joined(names, ", ");
  const std::vector<std::string> rest = app.remaining();
  if (rest.empty()) return "no command given (" + all + ")";
  if (rest.front().starts_with("-")) {
    return rest.front() + ": give the command first (" + all + "), then its options";
  }
  return in_quotes(rest.front()) + " is not a command (" + all + ")" +
         suggestion(rest.front(), names);
}

// The parser's failure in the house's one-line form, naming the option and what to do.
std::string failure_line(const CLI::App& app, const CLI::Error& e, const OptionWords& words) {
  const std::vector<CLI::App*> chosen = app.get_subcommands();
  if (chosen.empty()) return no_command(app);
  const CLI::App& command = *chosen.front();
  std::string line;
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) line = extras(command);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) line = miscounted(command, e);
  if (dynamic_cast<const CLI::ExcludesError*>(&e) != nullptr) line = excluded(command, words);
  if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) line = not_a_choice(command, words);
  return line.empty() ? one_line(e.what()) : line;
}

void add_common(CLI::App& sub, CommonOptions& common, const std::vector<std::string>& formats,
                OptionWords& words) {
  words
      .add_choice(sub, "--format", common.format, formats,
                  listed(formats) +
                      " (default: from -o's extension; else table on a terminal, csv otherwise)")
      ->type_name("FORMAT");
  sub.add_option("-o,--output", common.output,
                 "write to FILE (whole, or not at all) instead of standard output")
      ->type_name("FILE");
  std::vector<std::string> units;
  for (const cuplo::LengthUnit u : cuplo::kLengthUnits) units.emplace_back(cuplo::name(u));
  words
      .add_choice(sub, "--units", common.units, units,
                  "unit of lengths typed without one and of every length written: " +
                      listed(units) + " (default in)")
      ->type_name("UNIT");
  words
      .add_choice(sub, "--model", common.model, {"closed-form", "field"},
                  "the model of the cross-section: closed-form (the console's models, 4 or 6 "
                  "strips; the default) or field (the cross-section solved as a field problem, "
                  "any even N from 2 to 12)")
      ->type_name("MODEL");
  sub.add_flag("--strict", common.strict,
               "a design outside the models' accuracy limits is an error (exit 3, no output)");
}

int run(int argc, char** argv) {
  remove_temporary_on_interrupt();
  CLI::App app{"Interdigitated microstrip coupler calculations.", "cuplo-calc"};
  app.set_version_flag("--version", std::string("cuplo-calc ") + cuplo::version());
  app.require_subcommand(1);
  app.footer(
      "Lengths in inches or --units (or with in, mil, mm, um, nm), frequencies in GHz (or with\n"
      "GHz, MHz, kHz, Hz). Exit status: 0 done, 1 model failure, 2 bad input, 3 accuracy limit\n"
      "with --strict, 4 output not written, 130/143 interrupted. See cuplo-calc(1).");

  CommonOptions common;
  common.terminal = ::isatty(STDOUT_FILENO) == 1;
  OptionWords words;
  const std::vector<std::unique_ptr<Command>> commands = make_commands();
  std::vector<CLI::App*> subs;
  for (const std::unique_ptr<Command>& command : commands) {
    CLI::App* sub =
        app.add_subcommand(std::string(command->name()), std::string(command->summary()));
    add_common(*sub, common, command->formats(), words);
    command->add_options(*sub, words);
    subs.push_back(sub);
  }
  app.failure_message([&words](const CLI::App* parsed, const CLI::Error& e) {
    return "cuplo-calc: " + failure_line(*parsed, e, words) + "\n";
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with status 0; a failure with its line on standard error.
    return app.exit(e) == 0 ? kSuccess : kBadInput;
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
