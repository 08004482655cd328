// A synthesis held to the rules of the process that makes it. Along the contour of the
// target's Zo over W x S the coupling tightens as the strips close up; where the synthesized
// point lies outside the region the process makes (W >= min_w, S >= min_s), the nearest point
// of the contour inside it lies on the region's edge: S at its minimum with W found for Zo, or
// W at its minimum with S found for Zo. Both are searched, and the one whose coupling comes
// nearer the target is the design.
#include "cuplo/process.hpp"

#include <cmath>
#include <cstdio>
#include <optional>

#include "lib/analysis.hpp"

namespace cuplo {
namespace {

// The bracket grows by doubling, at most this often, within this many substrate heights.
constexpr int kMaxDoublings = 40;
constexpr double kMaxHeights = 100.0;
// Halvings of the bracket in log W (or log S): far more than a float's 24 bits need.
constexpr int kMaxHalvings = 80;

bool finite(float x) {
  return std::isfinite(x);
}

// Zo of the design, analysed as the synthesis judges it (static, or at f).
struct Probe {
  const Substrate& sub;
  std::int32_t n;
  float f;
  Model model;

  Result<Impedances> at(float w, float s) const {
    return Analysis(sub, CrossSection{n, w, s}, model).impedances(f);
  }
};

// The value of the free dimension x (W or S; the other held) at which Zo equals zo, searched
// from start upward and downward, never below floor; nothing when no such x at or above floor
// (within kMaxHeights substrate heights) has it. rising: Zo grows with x (S), else falls (W).
template <class ZoAt>
std::optional<float> solve(float start, float floor, float ceiling, float zo, bool rising,
                           const ZoAt& zo_at) {
  // Below: Zo on the side of small x (above zo for W, below it for S).
  const auto small_side = [&](float x, bool& ok) {
    const Result<Impedances> z = zo_at(x);
    ok = z.ok() && finite(z->zo);
    if (!ok) return false;
    return rising ? z->zo <= zo : z->zo >= zo;
  };
  const double low = static_cast<double>(floor);
  const double high = static_cast<double>(ceiling);
  double lo = std::fmax(static_cast<double>(start), low);
  double hi = lo;
  bool ok = false;
  bool bracketed = false;
  if (small_side(static_cast<float>(lo), ok)) {
    for (int k = 0; k < kMaxDoublings && !bracketed && hi < high; ++k) {
      hi = std::fmin(hi * 2.0, high);
      bool ok_hi = false;
      bracketed = !small_side(static_cast<float>(hi), ok_hi);
      if (!ok_hi) return std::nullopt;
    }
  } else {
    if (!ok) return std::nullopt;
    for (int k = 0; k < kMaxDoublings && !bracketed && lo > low; ++k) {
      hi = lo;
      lo = std::fmax(lo * 0.5, low);
      bool ok_lo = false;
      bracketed = small_side(static_cast<float>(lo), ok_lo);
      if (!ok_lo) return std::nullopt;
    }
  }
  if (!bracketed) return std::nullopt;
  // small_side(lo) and not small_side(hi): halve in log x until the floats meet.
  for (int k = 0; k < kMaxHalvings; ++k) {
    const double mid = std::sqrt(lo * hi);
    const float m = static_cast<float>(mid);
    if (m <= static_cast<float>(lo) || m >= static_cast<float>(hi)) break;
    bool ok_mid = false;
    if (small_side(m, ok_mid)) {
      lo = mid;
    } else {
      if (!ok_mid) return std::nullopt;
      hi = mid;
    }
  }
  // The end nearer Zo (both lie at or above the floor).
  const Result<Impedances> a = zo_at(static_cast<float>(lo));
  const Result<Impedances> b = zo_at(static_cast<float>(hi));
  if (!a.ok()) return b.ok() ? std::optional<float>(static_cast<float>(hi)) : std::nullopt;
  if (!b.ok()) return static_cast<float>(lo);
  return std::fabs(a->zo - zo) <= std::fabs(b->zo - zo) ? static_cast<float>(lo)
                                                        : static_cast<float>(hi);
}

Result<FittedSynthesis> fitted(const Substrate& sub, std::int32_t n, const Process& process,
                               Model model, const Result<Synthesis>& r) {
  using Out = Result<FittedSynthesis>;
  if (const char* why = invalid(process)) {
    return Out::failed(Failure::invalid_input, why, r.limits(), r.point());
  }
  if (!r) return Out::failed(r.failure(), r.detail(), r.limits(), r.point());
  const Synthesis& y = *r;
  Fit fit;
  fit.asked = y.section;
  fit.zo = y.zo;
  fit.coupling_db = y.coupling_db;
  fit.reached_zo = y.check.zo;
  fit.reached_coupling_db = y.check.coupling_db;
  fit.process = process;
  if (y.section.w >= process.min_w && y.section.s >= process.min_s) {
    return {FittedSynthesis{y, fit}, r.limits(), r.point()};
  }

  const Probe probe{sub, n, y.f, model};
  const float ceiling = static_cast<float>(kMaxHeights * static_cast<double>(sub.h));
  struct Candidate {
    Binding binding;
    CrossSection section;
    Impedances z;
  };
  std::optional<Candidate> best;
  const auto consider = [&](Binding binding, float w, float s) {
    const Result<Impedances> z = probe.at(w, s);
    if (!z) return;
    const float miss = std::fabs(z->coupling_db - fit.coupling_db);
    if (best && !(miss < std::fabs(best->z.coupling_db - fit.coupling_db))) return;
    best = Candidate{binding, CrossSection{n, w, s}, *z};
  };
  // S at the narrowest gap (or kept where it meets it), W for Zo.
  {
    const float s = std::fmax(y.section.s, process.min_s);
    const auto w = solve(y.section.w, process.min_w, ceiling, fit.zo, false,
                         [&](float x) { return probe.at(x, s); });
    if (w) consider(s > y.section.s ? Binding::spacing : Binding::width, *w, s);
  }
  // W at the narrowest line (or kept), S for Zo.
  {
    const float w = std::fmax(y.section.w, process.min_w);
    const auto s = solve(y.section.s, process.min_s, ceiling, fit.zo, true,
                         [&](float x) { return probe.at(w, x); });
    if (s) consider(w > y.section.w ? Binding::width : Binding::spacing, w, *s);
  }
  if (!best) {
    return Out::failed(Failure::search_bound, kBeyondProcess.data(), r.limits(), r.point());
  }
  Synthesis out = y;
  out.section = best->section;
  out.zo = best->z.zo;
  out.zoe = best->z.zoe;
  out.zoo = best->z.zoo;
  out.coupling_db = best->z.coupling_db;
  out.eeff_even = best->z.eeff_even;
  out.eeff_odd = best->z.eeff_odd;
  out.check = best->z;
  fit.binding = best->binding;
  fit.reached_zo = best->z.zo;
  fit.reached_coupling_db = best->z.coupling_db;
  // Judged as a synthesis: at the design's own point, for the target's Zo and coupling.
  DesignPoint p = detail::point_of(sub, out.section, y.f);
  p.synthesis = true;
  p.zo = r.point().zo;
  p.coupling_db = r.point().coupling_db;
  return {FittedSynthesis{out, fit}, detail::limits_of(p, model), p};
}

std::string length_text(float inches, LengthUnit unit) {
  char out[kMaxLengthText];
  return std::string(out, write_length(out, inches, unit)) + " " + name(unit);
}

std::string number(float x) {
  char out[32];
  std::snprintf(out, sizeof out, "%.4g", static_cast<double>(x));
  return out;
}

std::string short_length(float inches, LengthUnit unit) {
  return number(static_cast<float>(static_cast<double>(inches) * per_inch(unit))) + " " +
         name(unit);
}

}  // namespace

const char* invalid(const Process& process) noexcept {
  if (!finite(process.min_w) || process.min_w < 0.0f) return "min_w: not a length of 0 or more";
  if (!finite(process.min_s) || process.min_s < 0.0f) return "min_s: not a length of 0 or more";
  if (!finite(process.etch) || process.etch < 0.0f) return "etch: not a length of 0 or more";
  return nullptr;
}

Result<FittedSynthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target,
                                   const Process& process, Model model) {
  return fitted(sub, n, process, model, synthesize(sub, n, target, model));
}

Result<FittedSynthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target,
                                   float f, const Process& process, Model model) {
  return fitted(sub, n, process, model, synthesize(sub, n, target, f, model));
}

std::string describe(const Fit& fit, LengthUnit unit) {
  if (fit.binding == Binding::none) return {};
  const bool gap = fit.binding == Binding::spacing;
  const float asked = gap ? fit.asked.s : fit.asked.w;
  const float minimum = gap ? fit.process.min_s : fit.process.min_w;
  return std::string(gap ? "S = " : "W = ") + short_length(asked, unit) +
         " is below the process's narrowest " + (gap ? "gap, " : "line, ") +
         short_length(minimum, unit) +
         ": the nearest design it makes holds Zo = " + number(fit.reached_zo) +
         " ohm (asked: " + number(fit.zo) + ") and reaches a coupling of " +
         number(fit.reached_coupling_db) + " dB (asked: " + number(fit.coupling_db) + " dB); the " +
         (gap ? "gap" : "line width") + " binds";
}

std::vector<std::string> breaches(const Process& process, const CrossSection& section,
                                  LengthUnit unit) {
  std::vector<std::string> lines;
  if (section.w < process.min_w) {
    lines.push_back("W = " + length_text(section.w, unit) +
                    " is below the process's narrowest line, " + length_text(process.min_w, unit));
  }
  if (section.s < process.min_s) {
    lines.push_back("S = " + length_text(section.s, unit) +
                    " is below the process's narrowest gap, " + length_text(process.min_s, unit));
  }
  return lines;
}

std::string uncompensable(const Process& process, const CrossSection& section, LengthUnit unit) {
  const double e = static_cast<double>(process.etch);
  const double gap = static_cast<double>(section.s) - 2.0 * e;
  if (!(gap > 0.0)) {
    return "an etch of " + length_text(process.etch, unit) + " per edge, compensated, " +
           (gap == 0.0 ? "closes" : "inverts") + " the gap: S = " + length_text(section.s, unit) +
           " would be drawn " + short_length(static_cast<float>(gap), unit) +
           " wide (S - 2 x etch)";
  }
  return {};
}

}  // namespace cuplo
