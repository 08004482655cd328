// The defaults file: 28 records, a title, 26 numbers in (F13.0) and the storage file name.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "input/state.hpp"

namespace cuplo::input {

struct DefaultsFault {
  enum class Kind { missing, faulty };
  Kind kind;
  std::string entry;  // the entry name, e.g. "DLTAN."
};

// Loads the working members and the loaded defaults; fo receives the F entry. The values of
// the records read before a fault stay in the state.
std::optional<DefaultsFault> load_defaults(std::istream& file, DesignState& state, float& fo);

// True for the names the program must never write to: its own files.
bool is_protected_name(const std::string& name20);

// The name under which a 20-character name is opened: trailing blanks are not part of it,
// leading blanks are.
std::string file_name(const std::string& name20);

}  // namespace cuplo::input
