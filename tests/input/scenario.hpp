// Building blocks of whole-program scenarios: the shipped defaults file as records to vary,
// typed answers, and readers of the console a run leaves.
#pragma once

#include <array>
#include <cstddef>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "dialogue.hpp"
#include "shipped_defaults.hpp"

namespace cuplo::testing {

inline constexpr std::string_view kFunctionPrompt = "      Program FUNCTION selected = ";
inline constexpr std::string_view kOperationPrompt = "OPERATION selected = ";
inline constexpr std::string_view kNamePrompt = "Enter your FILENAME for Output Data Storage: ";

// Typed answers, one a line; n empty answers.
inline std::string lines(std::initializer_list<std::string_view> answers) {
  std::string all;
  for (const std::string_view answer : answers) all += std::string(answer) + "\n";
  return all;
}
inline std::string blanks(std::size_t n) {
  return std::string(n, '\n');
}

// An impedance analysis at the loaded defaults over the width range (suboption 1) or the
// spacing range (2): FUNCTION, OPTION, SUBOPTION, then nine values.
inline std::string impedance_pass(std::string_view suboption = "1") {
  return lines({"1", "1", suboption}) + blanks(9);
}

inline std::size_t count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++n;
  }
  return n;
}

inline std::string after_last(const std::string& text, std::string_view marker) {
  const std::size_t at = text.rfind(marker);
  return at == std::string::npos ? "(not found)" : text.substr(at + marker.size());
}

}  // namespace cuplo::testing
