// The verification mode's view of the models: the intermediate values of every evaluation of
// the coupled-pair impedances, printed on the console as they are computed.
#pragma once

#include <iosfwd>

#include "input/state.hpp"
#include "models/coupled.hpp"

namespace cuplo::input {

class VerificationPrints final : public models::LcImpObserver {
 public:
  explicit VerificationPrints(std::ostream& console) : console_(console) {}
  void equivalent_strips(const models::LcImpTrace& trace) const override;
  void pair_impedances(float zoeap, float zooap) const override;

 private:
  std::ostream& console_;
};

// The observer for the models in the current pass: the prints in the verification mode,
// nobody otherwise.
inline const models::LcImpObserver* observer(const DesignState& d,
                                             const VerificationPrints& prints) {
  return d.verifying() ? &prints : nullptr;
}

// Which modes the dispersion models evaluate: the sensitivity analysis (option 3) takes one
// mode at a time, odd when the mode selector says 2 and even otherwise; every other
// operation disperses both.
inline models::Modes dispersed_modes(const DesignState& d) {
  if (d.ifunc != Function::analysis || d.iop != AnalysisOption::sensitivity) {
    return models::Modes::both;
  }
  return d.ieoro == SensitivityModes::odd ? models::Modes::odd_only : models::Modes::even_only;
}

}  // namespace cuplo::input
