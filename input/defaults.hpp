// The defaults file as parameter entry loads it: the library's reader, then the working
// members of the design state.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "cuplo/defaults.hpp"
#include "input/state.hpp"

namespace cuplo::input {

// Loads the defaults into state.defaults and the working members that start from them.
// Nothing is loaded from a faulty file.
std::optional<DefaultsFault> load_defaults(std::istream& file, DesignState& state);

// True for the names the program must never write to: its own files.
inline bool is_protected_name(const std::string& name20) {
  return is_program_file(name20);
}

// The name under which a 20-character name is opened: trailing blanks are not part of it,
// leading blanks are.
std::string file_name(const std::string& name20);

}  // namespace cuplo::input
