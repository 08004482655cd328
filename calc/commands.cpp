#include <CLI/CLI.hpp>

#include "calc/command.hpp"

namespace cuplo::calc {

std::vector<std::unique_ptr<Command>> make_commands() {
  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(make_impedance());
  commands.push_back(make_dispersion());
  commands.push_back(make_synthesize());
  commands.push_back(make_sensitivity());
  commands.push_back(make_response());
  commands.push_back(make_layout());
  commands.push_back(make_tolerance());
  return commands;
}

CLI::Option* OptionWords::add_choice(CLI::App& app, const std::string& name, std::string& into,
                                     std::vector<std::string> choices, const std::string& help) {
  CLI::Option* option =
      app.add_option(name, into, help)->transform(CLI::IsMember(choices, CLI::ignore_case));
  choices_.push_back({option, std::move(choices)});
  return option;
}

void OptionWords::exclude(const std::vector<CLI::Option*>& these,
                          const std::vector<CLI::Option*>& those, const std::string& note) {
  for (CLI::Option* a : these) {
    for (CLI::Option* b : those) {
      a->excludes(b);
      exclusions_.push_back({a, b, note});
    }
  }
}

const std::vector<std::string>* OptionWords::choices(const CLI::Option* option) const {
  for (const Choice& c : choices_) {
    if (c.option == option) return &c.choices;
  }
  return nullptr;
}

const std::string* OptionWords::note(const CLI::Option* a, const CLI::Option* b) const {
  for (const Exclusion& e : exclusions_) {
    if ((e.a == a && e.b == b) || (e.a == b && e.b == a)) {
      return e.note.empty() ? nullptr : &e.note;
    }
  }
  return nullptr;
}

}  // namespace cuplo::calc
