// The one fatal error of the text layer: a console answer that is not a number, the end of
// console input, a file that cannot be opened or written. Caught only at the top of the run,
// which then ends with exit status 2 after a one-line report that names the fault and the unit,
// or, where the fault carries a line of its own, that line.
#pragma once

#include <stdexcept>
#include <string>

namespace cuplo::text {

class FatalError : public std::runtime_error {
 public:
  FatalError(std::string fault, std::string unit, std::string report = {})
      : std::runtime_error(fault + ", " + unit),
        fault_(std::move(fault)),
        unit_(std::move(unit)),
        report_(std::move(report)) {}

  const std::string& fault() const { return fault_; }
  const std::string& unit() const { return unit_; }
  // The whole line the run reports instead of naming fault and unit; empty for most faults.
  const std::string& report() const { return report_; }

 private:
  std::string fault_;
  std::string unit_;
  std::string report_;
};

}  // namespace cuplo::text
