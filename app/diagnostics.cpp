// The accuracy-limit diagnostics: the closed-form models are accurate only within certain
// ranges of the design quantities; when a model raises its accuracy flag the operation ends
// with the list of quantities that lie outside those ranges.
#include "app/operations.hpp"
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

// A quantity passes only when it lies inside its range; a value that is not a number fails.
bool at_most(float value, float limit) {
  return value <= limit;
}
bool at_least(float value, float limit) {
  return value >= limit;
}
bool within(float value, float low, float high) {
  return value >= low && value <= high;
}

const char* operation_name(const input::DesignState& d) {
  if (d.ifunc == 2) return "Dimensional Synthesis";
  if (d.iop == 2) return "   Frequency Analysis";
  if (d.iop == 3) return " Sensitivity Analysis";
  return "   Impedance Analysis";
}

}  // namespace

void diagnostics(Session& session, const Work& work, Output& out) {
  input::DesignState& d = session.state;
  const float fnorm = session.lcfa1.f * d.h * models::kMmPerInch;
  const float g = work.s / d.h;
  const float u = work.w / d.h;
  d.i = 0;

  out.both(kHeading, {operation_name(d)});
  auto line = [&](const Format& format, float value) {
    d.i = d.i + 1;
    out.both(format, {d.i, value});
  };

  if (!at_most(fnorm, 25.0f)) line(kStrongDispersion, fnorm / models::kMmPerInch);
  if (!at_most(d.er, 20.0f)) line(kPermittivity, d.er);
  if (!at_most(u, 3.0f)) line(kWidthRatio, u);
  if (!at_least(work.w, 0.0001f)) line(kWidth, work.w);
  if (!at_most(g, 8.0f)) line(kSpacingRatio, g);
  if (!at_least(work.s, 0.00001f)) line(kSpacing, work.s);
  if (d.t != 0.0f) {
    const float temp = work.s / d.t;
    if (!at_least(temp, 2.0f)) line(kSpacingThickness, temp);
  }
  // Coupling and impedance limits hold for the synthesis only.
  if (d.ifunc != 1) {
    if (!within(work.ko, -12.0f, -1.5f)) line(kCoupling, work.ko);
    if (!within(work.zo, 20.0f, 100.0f)) line(kImpedance, work.zo);
  }
}

}  // namespace cuplo::app
