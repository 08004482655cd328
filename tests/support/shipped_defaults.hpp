// The shipped defaults file as records to vary, and the names of its entries as the console
// names them.
#pragma once

#include <array>
#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace cuplo::testing {

// The entry names of records 1 to 28, as the load messages show them.
inline constexpr std::array<std::string_view, 28> kEntryNames = {
    "1st line.", "DLTAN.", "Er.",   "F.",     "Fmax.", "Fmin.", "Fstep.", "H.",    "Co.",    "L.",
    "N.",        "RES.",   "SR.",   "Rl.",    "Rs.",   "S.",    "Smax.",  "Smin.", "Sstep.", "T.",
    "W.",        "Wmax.",  "Wmin.", "Wstep.", "Zo.",   "Zoe.",  "Zoo.",   "FN."};

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

}  // namespace cuplo::testing
