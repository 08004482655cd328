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
  return commands;
}

}  // namespace cuplo::calc
