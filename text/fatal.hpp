// The one fatal error of the text layer: a console answer that is not a number, the end of
// console input, a file that cannot be opened or written. Caught only at the top of the run,
// which then ends with exit status 2 after a report that names the fault and the unit.
#pragma once

#include <stdexcept>
#include <string>

namespace cuplo::text {

class FatalError : public std::runtime_error {
 public:
  FatalError(std::string fault, std::string unit)
      : std::runtime_error(fault + ", " + unit), fault_(std::move(fault)), unit_(std::move(unit)) {}

  const std::string& fault() const { return fault_; }
  const std::string& unit() const { return unit_; }

 private:
  std::string fault_;
  std::string unit_;
};

}  // namespace cuplo::text
