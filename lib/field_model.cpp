// The field model's synthesis and sensitivities. The synthesis solves the field model itself
// for the wanted even- and odd-mode impedances by a damped Newton search in the logarithms of
// W and S, started from the closed-form synthesis; the sensitivities are central differences
// of the field model.
#include <algorithm>
#include <array>
#include <cmath>

#include "cuplo/field.hpp"
#include "lib/analysis.hpp"

namespace cuplo::detail {

models::CouplerValues aim(const Target& target);
Result<Synthesis> checked(const Substrate& sub, Synthesis out, const models::CouplerValues& a,
                          bool found, Model model);
Result<Synthesis> closed_form_synthesis(const Substrate& sub, std::int32_t n,
                                        const models::CouplerValues& a, float f, bool dispersive);

namespace {

// The search: Newton steps on the logarithms of W and S, each step at most this long (a
// factor of two in W or S), halved up to this many times while it does not reduce the
// mismatch; at most this many steps; done when both impedances are within this relative
// mismatch (well inside the solver's own 0.1 %).
constexpr double kMaxStep = 0.7;
constexpr int kMaxHalvings = 6;
constexpr int kMaxSteps = 40;
constexpr double kTolerance = 2e-5;
// The widths and gaps, relative to the substrate's height, within which the search starts.
constexpr double kLowestRatio = 0.05;
constexpr double kHighestRatio = 10.0;
// The relative change of W or S that the Jacobian's differences take.
constexpr double kDifference = 1e-3;

struct Point {
  double u = 0.0;  // ln W
  double v = 0.0;  // ln S
};

// The model's ln zoe and ln zoo at a point, or false when the solver or the dispersion cannot
// give them there.
bool evaluate(const Substrate& sub, std::int32_t n, float f, const Point& x,
              std::array<double, 2>& out) {
  const CrossSection xs{n, static_cast<float>(std::exp(x.u)), static_cast<float>(std::exp(x.v))};
  const Result<Impedances> z = impedances_of(state_of(sub, xs, Model::field), f);
  if (!z || !(z->zoe > 0.0f) || !(z->zoo > 0.0f)) return false;
  out = {std::log(static_cast<double>(z->zoe)), std::log(static_cast<double>(z->zoo))};
  return true;
}

double size(const std::array<double, 2>& r) {
  return std::max(std::fabs(r[0]), std::fabs(r[1]));
}

// The closed-form synthesis as the start, or (where it has no solution) a strip as wide as
// the substrate is high with a gap of a fifth of that.
Point start(const Substrate& sub, std::int32_t n, const models::CouplerValues& a, float f,
            bool dispersive) {
    const double h = static_cast<double>(sub.h);
  const Result<Synthesis> guess = closed_form_synthesis(sub, n, a, f, dispersive);
  if (!guess || !(guess->section.w > 0.0f) || !(guess->section.s > 0.0f)) {
    return {std::log(h), std::log(0.2 * h)};
  }
  // The closed-form start, brought within the ratios the field model resolves to its 0.1 %
  // (for six strips the closed-form models can ask for fingers far narrower than the field
  // model's): the search moves on from there.
  const auto within = [&](float x) {
    return std::log(std::clamp(static_cast<double>(x), kLowestRatio * h, kHighestRatio * h));
  };
  return {within(guess->section.w), within(guess->section.s)};
}

}  // namespace

Result<Synthesis> field_synthesis(const Substrate& sub, std::int32_t n, const Target& target,
                                  float f, bool dispersive) {
  const models::CouplerValues a = aim(target);
  const float at = dispersive ? f : 0.0f;
  const std::array<double, 2> wanted{std::log(static_cast<double>(a.zoe)),
                                     std::log(static_cast<double>(a.zoo))};
  const auto mismatch = [&](const Point& x, std::array<double, 2>& r) {
    if (!evaluate(sub, n, at, x, r)) return false;
    r = {r[0] - wanted[0], r[1] - wanted[1]};
    return true;
  };

  Point x = start(sub, n, a, f, dispersive);
  std::array<double, 2> r{};
  bool found = mismatch(x, r);
  for (int step = 0; found && size(r) > kTolerance; ++step) {
    if (step == kMaxSteps) {
      found = false;
      break;
    }
    // The Jacobian of the mismatch in (ln W, ln S) by forward differences.
    std::array<double, 2> ru{};
    std::array<double, 2> rv{};
    if (!mismatch({x.u + kDifference, x.v}, ru) || !mismatch({x.u, x.v + kDifference}, rv)) {
      found = false;
      break;
    }
    const double j00 = (ru[0] - r[0]) / kDifference;
    const double j10 = (ru[1] - r[1]) / kDifference;
    const double j01 = (rv[0] - r[0]) / kDifference;
    const double j11 = (rv[1] - r[1]) / kDifference;
    const double det = j00 * j11 - j01 * j10;
    if (!std::isfinite(det) || det == 0.0) {
      found = false;
      break;
    }
    double du = -(j11 * r[0] - j01 * r[1]) / det;
    double dv = -(j00 * r[1] - j10 * r[0]) / det;
    const double longest = std::max(std::fabs(du), std::fabs(dv));
    if (longest > kMaxStep) {
      du *= kMaxStep / longest;
      dv *= kMaxStep / longest;
    }
    // Halve the step until the mismatch falls (the solver may also refuse a trial point).
    bool better = false;
    for (int halving = 0; halving <= kMaxHalvings && !better; ++halving) {
      const Point trial{x.u + du, x.v + dv};
      std::array<double, 2> rt{};
      if (mismatch(trial, rt) && size(rt) < size(r)) {
        x = trial;
        r = rt;
        better = true;
      }
      du *= 0.5;
      dv *= 0.5;
    }
    if (!better) found = false;
  }

  Synthesis out;
  out.section = {n, static_cast<float>(std::exp(x.u)), static_cast<float>(std::exp(x.v))};
  out.f = at;
  out.zo = a.zo;
  out.zoe = a.zoe;
  out.zoo = a.zoo;
  out.coupling_db = a.ko;
  if (found) {
    ops::Records records;
    models::CouplerValues d;
    const AnalysisState state = state_of(sub, out.section, Model::field);
    if (state.refused == Failure::none && disperse(state, at, models::Modes::both, records, d)) {
      out.eeff_even = records.lceff1.effef;
      out.eeff_odd = records.lceff1.effof;
    }
  }
  return checked(sub, out, a, found, Model::field);
}

Result<Sensitivity> field_sensitivity(const AnalysisState& a, float f) {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_of(p, Model::field);
  if (a.refused != Failure::none) {
    return Result<Sensitivity>::failed(a.refused, a.why.c_str(), limits, p);
  }
  // Both modes are dispersed in every evaluation (the field model has no single-mode pass):
  // every mode choice gives the same values.
  const auto values = [&](const Substrate& sub, const CrossSection& xs, models::CouplerValues& d) {
    const AnalysisState s = state_of(sub, xs, Model::field);
    ops::Records records;
    return s.refused == Failure::none && disperse(s, f, models::Modes::both, records, d);
  };
  models::CouplerValues base;
  if (!values(a.substrate, a.section, base)) {
    return Result<Sensitivity>::failed(Failure::no_solution, nullptr, limits, p);
  }
  // Central differences of the impedances with each value 1 % up and down: wide enough that
  // the solver's own mesh error (well below 0.01 %) does not show in the slopes.
  constexpr float kStep = 0.01f;
  Sensitivity out;
  out.f = f;
  out.zoe = base.zoe;
  out.zoo = base.zoo;
  bool ok = true;
  // lowest: the smallest value the quantity can take (Er is at least 1); a step that would
  // pass it is taken from there, and the slope divided by the change actually made.
  const auto slope = [&](float& even, float& odd, auto&& perturb, float value, float lowest) {
    if (value == 0.0f) {  // a zero value (a strip of no thickness) has no relative change
      even = 0.0f;
      odd = 0.0f;
      return;
    }
    const float high = value * (1.0f + kStep);
    const float low = std::max(value * (1.0f - kStep), lowest);
    Substrate sub_up = a.substrate;
    Substrate sub_down = a.substrate;
    CrossSection xs_up = a.section;
    CrossSection xs_down = a.section;
    perturb(sub_up, xs_up, high);
    perturb(sub_down, xs_down, low);
    models::CouplerValues up;
    models::CouplerValues down;
    if (!values(sub_up, xs_up, up) || !values(sub_down, xs_down, down)) {
      ok = false;
      return;
    }
    const double change = static_cast<double>(high - low) / static_cast<double>(value);
    even = static_cast<float>(static_cast<double>(up.zoe - down.zoe) /
                              (change * static_cast<double>(base.zoe)));
    odd = static_cast<float>(static_cast<double>(up.zoo - down.zoo) /
                             (change * static_cast<double>(base.zoo)));
  };
  Sensitivities& e = out.zoe_to;
  Sensitivities& o = out.zoo_to;
  slope(
      e.er, o.er, [](Substrate& s, CrossSection&, float v) { s.er = v; }, a.substrate.er, 1.0f);
  slope(
      e.h, o.h, [](Substrate& s, CrossSection&, float v) { s.h = v; }, a.substrate.h, 0.0f);
  slope(
      e.s, o.s, [](Substrate&, CrossSection& x, float v) { x.s = v; }, a.section.s, 0.0f);
  slope(
      e.w, o.w, [](Substrate&, CrossSection& x, float v) { x.w = v; }, a.section.w, 0.0f);
  slope(
      e.t, o.t, [](Substrate& s, CrossSection&, float v) { s.t = v; }, a.substrate.t, 0.0f);
  if (!ok) return Result<Sensitivity>::failed(Failure::no_solution, nullptr, limits, p);
  return {out, limits, p};
}

}  // namespace cuplo::detail

namespace cuplo {

Result<FieldMatrices> field_matrices(const Substrate& substrate, const CrossSection& section) {
  const detail::AnalysisState a = detail::state_of(substrate, section, Model::field);
  const DesignPoint p = detail::point_of(substrate, section, 0.0f);
  const Limits limits = detail::limits_of(p, Model::field);
  if (a.refused != Failure::none) {
    return Result<FieldMatrices>::failed(a.refused, a.why.c_str(), limits, p);
  }
  FieldMatrices m;
  m.n = a.solution.n;
  m.c = a.solution.c;
  m.c0 = a.solution.c0;
  m.l = a.solution.l;
  m.mesh_error = a.solution.mesh_error;
  m.elements = a.solution.elements;
  return {std::move(m), limits, p};
}

}  // namespace cuplo
