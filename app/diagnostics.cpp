// The accuracy-limit diagnostics: the closed-form models are accurate only within certain
// ranges of the design quantities; when a model raises its accuracy flag the operation ends
// with the list of quantities that lie outside those ranges.
#include "app/operations.hpp"
#include "cuplo/limits.hpp"
#include "models/constants.hpp"

namespace cuplo::app {
namespace {

using text::Format;

const Format kHeading(
    "(15X,'ERROR DETECTED: ',A21,' terminated.',/,20X,'Algorithm accuracy violated by:')");
const Format kStrongDispersion("(20X,I1,'. F X H =',F7.2,' GHz-In. (Strong Dispersion)')");
const Format kPermittivity("(20X,I1,'. Er =',F7.3)");
const Format kWidthRatio("(20X,I1,'. W/H =',F6.2)");
const Format kWidth("(20X,I1,'. W =',F8.6,'\"')");
const Format kSpacingRatio("(20X,I1,'. S/H =',F6.2)");
const Format kSpacing("(20X,I1,'. S =',F9.7,'\"')");
const Format kSpacingThickness("(20X,I1,'. S =',F6.3,'*T.')");
const Format kCoupling("(20X,I1,'. Co =',F7.2,' dB')");
const Format kImpedance("(20X,I1,'. Zo =',F7.2,' Ohms')");

const char* operation_name(const input::DesignState& d) {
  using input::AnalysisOption;
  if (d.ifunc == input::Function::synthesis) return "Dimensional Synthesis";
  if (d.iop == AnalysisOption::frequency) return "   Frequency Analysis";
  if (d.iop == AnalysisOption::sensitivity) return " Sensitivity Analysis";
  return "   Impedance Analysis";
}

// The line of each limit and the value it shows: the frequency limit shows f x h in
// GHz-inches, every other limit the quantity it tests.
const Format& line_format(cuplo::Limit limit) {
  switch (limit) {
    case cuplo::Limit::frequency_thickness:
      return kStrongDispersion;
    case cuplo::Limit::permittivity:
      return kPermittivity;
    case cuplo::Limit::width_ratio:
      return kWidthRatio;
    case cuplo::Limit::width:
      return kWidth;
    case cuplo::Limit::spacing_ratio:
      return kSpacingRatio;
    case cuplo::Limit::spacing:
      return kSpacing;
    case cuplo::Limit::spacing_thickness:
      return kSpacingThickness;
    case cuplo::Limit::coupling:
      return kCoupling;
    case cuplo::Limit::impedance:
    case cuplo::Limit::synthesis_coupling:
      break;
  }
  return kImpedance;
}

}  // namespace

std::int32_t diagnostics(const Session& session, const Work& work, Output& out, float f) {
  const input::DesignState& d = session.state;
  cuplo::DesignPoint point;
  point.f = f;
  point.h = d.h;
  point.er = d.er;
  point.w = work.w;
  point.s = work.s;
  point.t = d.t;
  // The coupling and impedance limits hold for the synthesis only.
  point.synthesis = d.ifunc == input::Function::synthesis;
  point.coupling_db = work.coupler.ko;
  point.zo = work.coupler.zo;
  const cuplo::Limits left = cuplo::limits_left(point);
  std::int32_t lines = 0;

  out.both(kHeading, {operation_name(d)});
  for (const cuplo::LimitSpec& row : cuplo::kLimitTable) {
    // The synthesis' own convergence range of the coupling is judged at its prompt.
    if (row.limit == cuplo::Limit::synthesis_coupling || !left.contains(row.limit)) continue;
    float value = cuplo::quantity(row.limit, point);
    if (row.limit == cuplo::Limit::frequency_thickness) value = value / models::kMmPerInch;
    lines = lines + 1;
    out.both(line_format(row.limit), {lines, value});
  }
  return lines;
}

}  // namespace cuplo::app
