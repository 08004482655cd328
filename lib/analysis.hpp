// Inside the library: the static analysis of a cross-section by either model, and the
// evaluations every public call is made of. Not installed.
#pragma once

#include <string>

#include "cuplo/coupler.hpp"
#include "field/field.hpp"
#include "ops/operations.hpp"

namespace cuplo::detail {

// The static analysis of a cross-section: the design, the model, its static values (for the
// field model also the static coupler values and the solution), or the reason it could not
// be analysed.
struct AnalysisState {
  Substrate substrate;
  CrossSection section;
  Model model = Model::closed_form;
  Failure refused = Failure::none;  // invalid_input, or no_solution for a failed solution
  std::string why;                  // the detail of the refusal
  models::Statics statics;
  models::CouplerValues coupler;  // field: the field-solved static coupler values
  field::Solution solution;       // field
  std::int32_t iflag = 0;
};

ops::Material material(const Substrate& sub);
ops::Strips strips(const CrossSection& xs);
DesignPoint point_of(const Substrate& sub, const CrossSection& xs, float f);

// The limits of the model's accuracy that a design point leaves. The field model solves the
// cross-section itself: only the dispersion's limits (f x h, Er) hold for it.
Limits limits_of(const DesignPoint& p, Model model);

// The reason a substrate and cross-section cannot be analysed by the model, or nullptr.
const char* invalid(const Substrate& sub, const CrossSection& xs, Model model);

AnalysisState state_of(const Substrate& sub, const CrossSection& xs, Model model);

// The coupler at f, the given modes dispersed; false when the odd-mode impedance does not
// stay below the even-mode one.
bool disperse(const AnalysisState& a, float f, models::Modes modes, ops::Records& r,
              models::CouplerValues& out);

Result<Impedances> impedances_of(const AnalysisState& a, float f);

// The field model's synthesis and sensitivities (lib/field_model.cpp).
Result<Synthesis> field_synthesis(const Substrate& sub, std::int32_t n, const Target& target,
                                  float f, bool dispersive);
Result<Sensitivity> field_sensitivity(const AnalysisState& a, float f);

}  // namespace cuplo::detail
