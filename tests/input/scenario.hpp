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

namespace cuplo::testing {

// The entry names of records 1 to 28, as the load messages show them.
inline constexpr std::array<std::string_view, 28> kEntryNames = {
    "1st line.", "DLTAN.", "Er.",   "F.",     "Fmax.", "Fmin.", "Fstep.", "H.",    "Co.",    "L.",
    "N.",        "RES.",   "SR.",   "Rl.",    "Rs.",   "S.",    "Smax.",  "Smin.", "Sstep.", "T.",
    "W.",        "Wmax.",  "Wmin.", "Wstep.", "Zo.",   "Zoe.",  "Zoo.",   "FN."};

inline constexpr std::string_view kFunctionPrompt = "      Program FUNCTION selected = ";
inline constexpr std::string_view kOperationPrompt = "OPERATION selected = ";
inline constexpr std::string_view kNamePrompt = "Enter your FILENAME for Output Data Storage: ";

// The shipped file: 28 records with labels after column 13, FN entry "Cuplo.OUT".
class DefaultsFile {
 public:
  DefaultsFile() {
    std::ifstream in(CUPLO_DEMO_DEFAULTS, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      records_.push_back(line);
    }
  }
  // Record k (1 to 28) replaced.
  DefaultsFile& set(std::size_t k, std::string text) {
    records_.at(k - 1) = std::move(text);
    return *this;
  }
  // Only the first k records.
  DefaultsFile& keep(std::size_t k) {
    records_.resize(k);
    return *this;
  }
  std::string text(std::string_view eol = "\r\n") const {
    std::string all;
    for (const std::string& record : records_) all += record + std::string(eol);
    return all;
  }

 private:
  std::vector<std::string> records_;
};

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
