// The library's calculations: the coupler's operations (ops/), in the same order and the same
// 32-bit arithmetic as the console program runs them, so that each value here is the one
// the console prints.
#include "cuplo/coupler.hpp"

#include <cmath>

#include "ops/operations.hpp"

namespace cuplo {
namespace detail {

// The static analysis of a cross-section: the design, its static values, and the reason it
// could not be analysed (or nullptr).
struct AnalysisState {
  Substrate substrate;
  CrossSection section;
  Model model = Model::closed_form;
  const char* invalid = nullptr;
  models::Statics statics;
  std::int32_t iflag = 0;
};

}  // namespace detail

namespace {

using detail::AnalysisState;

bool finite(float x) {
  return std::isfinite(x);
}

// The reason a substrate and cross-section cannot be analysed by the model, or nullptr.
const char* invalid(const Substrate& sub, const CrossSection& xs, Model model) {
  if (model == Model::field) return "model: the field model is not available yet";
  if (xs.n != 4 && xs.n != 6) return "n: the closed-form models take 4 or 6 strips";
  if (!finite(sub.er) || sub.er < 1.0f) return "er: relative permittivity below 1";
  if (!finite(sub.h) || sub.h <= 0.0f) return "h: substrate height not positive";
  if (!finite(sub.t) || sub.t < 0.0f) return "t: strip thickness negative";
  if (!finite(xs.w) || xs.w <= 0.0f) return "w: strip width not positive";
  if (!finite(xs.s) || xs.s <= 0.0f) return "s: strip spacing not positive";
  if (!finite(sub.loss_tangent) || sub.loss_tangent < 0.0f) return "loss tangent negative";
  if (!finite(sub.resistivity) || sub.resistivity < 0.0f) return "resistivity negative";
  if (!finite(sub.roughness) || sub.roughness < 0.0f) return "roughness negative";
  return nullptr;
}

ops::Material material(const Substrate& sub) {
  return {sub.er, sub.h, sub.t};
}

ops::Strips strips(const CrossSection& xs) {
  return {xs.n, xs.w, xs.s};
}

DesignPoint point_of(const Substrate& sub, const CrossSection& xs, float f) {
  DesignPoint p;
  p.f = f;
  p.h = sub.h;
  p.er = sub.er;
  p.w = xs.w;
  p.s = xs.s;
  p.t = sub.t;
  return p;
}

// The static models on a valid design, into a state that lives on the caller's stack.
void analyse(AnalysisState& a) {
  a.invalid = invalid(a.substrate, a.section, a.model);
  if (a.invalid != nullptr) return;
  ops::Records r;
  models::CouplerValues unused;
  a.iflag =
      ops::static_analysis(material(a.substrate), strips(a.section), a.statics, unused, r, nullptr);
}

// A failed result of the analysis at the design point p: the invalid input, or nothing.
template <class T>
Result<T> invalid_result(const AnalysisState& a, const DesignPoint& p) {
  return Result<T>::failed(Failure::invalid_input, a.invalid, limits_left(p), p);
}

// The coupler at f from the static values, both modes dispersed; false when the odd-mode
// impedance does not stay below the even-mode one.
bool disperse(const AnalysisState& a, float f, ops::Records& r, models::CouplerValues& out) {
  std::int32_t iflag = a.iflag;
  return ops::dispersive_analysis(material(a.substrate), strips(a.section), a.statics, f,
                                  models::Modes::both, iflag, out, r);
}

Result<Impedances> impedances_of(const AnalysisState& a, float f) noexcept {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  if (a.invalid != nullptr) return invalid_result<Impedances>(a, p);
  ops::Records r;
  models::CouplerValues d;
  if (!disperse(a, f, r, d))
    return Result<Impedances>::failed(Failure::no_solution, nullptr, limits_left(p), p);
  return {{d.zo, d.zoe, d.zoo, d.ko, r.lceff1.effef, r.lceff1.effof}, limits_left(p), p};
}

Result<DispersionPoint> dispersion_of(const AnalysisState& a, float f) noexcept {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  if (a.invalid != nullptr) return invalid_result<DispersionPoint>(a, p);
  ops::Records r;
  models::CouplerValues d;
  if (!disperse(a, f, r, d)) {
    return Result<DispersionPoint>::failed(Failure::no_solution, nullptr, limits_left(p), p);
  }
  const models::LcEff1& e = r.lceff1;
  return {{f, e.effef, e.effof, e.effcf, d.zoe, d.zoo, d.zo}, limits_left(p), p};
}

Result<FourPort> four_port_of(const AnalysisState& a, float length, float f,
                              const Terminations& term) noexcept {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_left(p);
  if (a.invalid != nullptr) return invalid_result<FourPort>(a, p);
  const auto refuse = [&](const char* why) {
    return Result<FourPort>::failed(Failure::invalid_input, why, limits, p);
  };
  if (!finite(length) || length <= 0.0f) return refuse("l: length not positive");
  if (!finite(term.rs) || term.rs <= 0.0f || !finite(term.rl) || term.rl <= 0.0f) {
    return refuse("terminations: resistances not positive");
  }
  if (!finite(f) || f < 0.0f) return refuse("f: frequency negative");
  ops::Records r;
  models::CouplerValues d;
  if (!disperse(a, f, r, d))
    return Result<FourPort>::failed(Failure::no_solution, nullptr, limits, p);
  const Substrate& sub = a.substrate;
  const ops::Losses losses{network::resistivity_ohm_inch(sub.resistivity),
                           network::roughness_inch(sub.roughness), sub.loss_tangent};
  network::LcFa1 fa;
  ops::four_port(material(sub), strips(a.section), losses, length, f, term.rs, term.rl, d.zoe,
                 d.zoo, r, fa, nullptr);
  FourPort out;
  out.f = f;
  for (std::size_t i = 0; i < 4; ++i) {
    out.wave[i] = {fa.wave[0][i], fa.wave[1][i]};
    out.mag_db[i] = fa.mag[i];
    out.ang_deg[i] = fa.ang[i];
  }
  out.vswr = fa.vswr;
  out.phase_difference = fa.phi;
  out.quadrature_error = fa.err;
  out.dissipative_loss_db = fa.atot;
  out.total_loss_db = fa.loss;
  return {out, limits, p};
}

Result<float> quarter_wave_length_of(const AnalysisState& a, float f) noexcept {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  if (a.invalid != nullptr) return invalid_result<float>(a, p);
  if (!finite(f) || f <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, "f: frequency not positive",
                                 limits_left(p), p);
  }
  models::LcEff1 lceff1;
  return {ops::quarter_wave_length(material(a.substrate), strips(a.section), a.statics, f, lceff1),
          limits_left(p), p};
}

Result<float> centre_frequency_of(const AnalysisState& a, float length) noexcept {
  if (a.invalid != nullptr) return Result<float>::failed(Failure::invalid_input, a.invalid);
  if (!finite(length) || length <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, "l: length not positive");
  }
  models::LcEff1 lceff1;
  float f = 0.0f;
  const bool found =
      ops::centre_frequency(material(a.substrate), strips(a.section), a.statics, length, f, lceff1);
  const DesignPoint p = point_of(a.substrate, a.section, f);
  if (!found) return Result<float>::failed(Failure::search_bound, nullptr, limits_left(p), p);
  return {f, limits_left(p), p};
}

AnalysisState state_of(const Substrate& sub, const CrossSection& xs, Model model) {
  AnalysisState a;
  a.substrate = sub;
  a.section = xs;
  a.model = model;
  analyse(a);
  return a;
}

}  // namespace

const char* describe(Failure failure) noexcept {
  switch (failure) {
    case Failure::none:
      return "no failure";
    case Failure::invalid_input:
      return "invalid input";
    case Failure::search_bound:
      return "no convergence: the search reached its bound or left its valid range";
    case Failure::no_solution:
      return "no physical solution: the odd-mode impedance is not below the even-mode one";
  }
  return "unknown failure";
}

const char* version() noexcept {
  return CUPLO_VERSION;
}

Analysis::Analysis(const Substrate& substrate, const CrossSection& section, Model model)
    : state_(std::make_shared<const AnalysisState>(state_of(substrate, section, model))) {}

const Substrate& Analysis::substrate() const noexcept {
  return state_->substrate;
}

const CrossSection& Analysis::section() const noexcept {
  return state_->section;
}

Result<Impedances> Analysis::impedances(float f) const noexcept {
  return impedances_of(*state_, f);
}

Result<DispersionPoint> Analysis::dispersion(float f) const noexcept {
  return dispersion_of(*state_, f);
}

Result<FourPort> Analysis::four_port(float length, float f,
                                     const Terminations& terminations) const noexcept {
  return four_port_of(*state_, length, f, terminations);
}

Result<float> Analysis::quarter_wave_length(float f) const noexcept {
  return quarter_wave_length_of(*state_, f);
}

Result<float> Analysis::centre_frequency(float length) const noexcept {
  return centre_frequency_of(*state_, length);
}

Result<Impedances> impedance(const Substrate& substrate, const CrossSection& section, float f,
                             Model model) noexcept {
  return impedances_of(state_of(substrate, section, model), f);
}

Result<DispersionPoint> dispersion(const Substrate& substrate, const CrossSection& section, float f,
                                   Model model) noexcept {
  return dispersion_of(state_of(substrate, section, model), f);
}

Result<FourPort> four_port(const Substrate& substrate, const Coupler& coupler, float f,
                           const Terminations& terminations, Model model) noexcept {
  return four_port_of(state_of(substrate, coupler.section, model), coupler.length, f, terminations);
}

SMatrix s_matrix(const FourPort& r) noexcept {
  SMatrix s;
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t j = 0; j < 4; ++j) s[i][j] = r.wave[i ^ j];
  }
  return s;
}

Result<std::vector<FourPort>> response(const Substrate& substrate, const Coupler& coupler,
                                       std::span<const float> frequencies, float reference_ohm,
                                       Model model) {
  const AnalysisState a = state_of(substrate, coupler.section, model);
  std::vector<FourPort> out;
  out.reserve(frequencies.size());
  Limits limits;
  DesignPoint point = point_of(substrate, coupler.section, 0.0f);
  for (const float f : frequencies) {
    const Result<FourPort> r = four_port_of(a, coupler.length, f, {reference_ohm, reference_ohm});
    limits |= r.limits();
    // The point words the limits: the highest frequency decides the dispersion limit.
    if (!(r.point().f <= point.f)) point = r.point();
    if (!r) return Result<std::vector<FourPort>>::failed(r.failure(), r.detail(), limits, point);
    out.push_back(*r);
  }
  return {std::move(out), limits, point};
}

namespace {

const char* invalid_target(const Target& target) {
  if (target.kind == Target::Kind::zo_coupling) {
    if (!finite(target.zo) || target.zo <= 0.0f) return "zo: impedance not positive";
    if (!finite(target.coupling_db) || target.coupling_db == 0.0f) {
      return "coupling: 0 dB is no coupler";
    }
    return nullptr;
  }
  if (!finite(target.zoe) || target.zoe <= 0.0f) return "zoe: impedance not positive";
  if (!finite(target.zoo) || target.zoo <= 0.0f) return "zoo: impedance not positive";
  if (!(target.zoe > target.zoo)) return "zoe: not above zoo";
  return nullptr;
}

const char* invalid_synthesis(const Substrate& sub, std::int32_t n, const Target& target, float f,
                              Model model) {
  const CrossSection probe{n, 1.0f, 1.0f};
  if (const char* why = invalid(sub, probe, model)) return why;
  if (const char* why = invalid_target(target)) return why;
  if (!finite(f) || f < 0.0f) return "f: frequency negative";
  return nullptr;
}

// The coupler values a target aims at, completed by the two-line conversion: zo, cc, ko
// (negative dB), zoe, zoo.
models::CouplerValues aim(const Target& target) {
  models::CouplerValues a;
  if (target.kind == Target::Kind::zo_coupling) {
    a.zo = target.zo;
    a.ko = -std::fabs(target.coupling_db);
    models::sl1zo(a.cc, a.ko, 1, a.zo, a.zoe, a.zoo);
  } else {
    a.zoe = target.zoe;
    a.zoo = target.zoo;
    models::sl1zo(a.cc, a.ko, 2, a.zo, a.zoe, a.zoo);
  }
  return a;
}

// The synthesized cross-section judged against the limits with the target's impedance and
// coupling, then analysed again (static at f = 0) as its check. A failed search has no
// dimensions: only the limits that the target and the substrate decide are judged.
Result<Synthesis> checked(const Substrate& sub, Synthesis out, const models::CouplerValues& a,
                          std::int32_t iflag, Model model) {
  DesignPoint p = point_of(sub, out.section, out.f);
  p.synthesis = true;
  p.coupling_db = a.ko;
  p.zo = a.zo;
  Limits limits = limits_left(p);
  if (iflag != 0) {
    Limits known;
    for (const Limit l : {Limit::frequency_thickness, Limit::permittivity, Limit::coupling,
                          Limit::impedance, Limit::synthesis_coupling}) {
      if (limits.contains(l)) known.add(l);
    }
    return Result<Synthesis>::failed(Failure::search_bound, nullptr, known, p);
  }
  const Result<Impedances> again = impedances_of(state_of(sub, out.section, model), out.f);
  if (!again) return Result<Synthesis>::failed(again.failure(), nullptr, limits, p);
  out.check = *again;
  return {out, limits, p};
}

Synthesis aimed(const models::CouplerValues& a, std::int32_t n, float f) {
  Synthesis out;
  out.section.n = n;
  out.f = f;
  out.zo = a.zo;
  out.zoe = a.zoe;
  out.zoo = a.zoo;
  out.coupling_db = a.ko;
  return out;
}

}  // namespace

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target,
                             Model model) noexcept {
  if (const char* why = invalid_synthesis(sub, n, target, 0.0f, model)) {
    return Result<Synthesis>::failed(Failure::invalid_input, why);
  }
  const models::CouplerValues a = aim(target);
  Synthesis out = aimed(a, n, 0.0f);
  models::Statics st;
  models::MsImp1 msimp1;
  const std::int32_t iflag = ops::static_synthesis(material(sub), n, a.zo, a.cc, out.section.w,
                                                   out.section.s, st, msimp1, nullptr);
  out.eeff_even = st.effe;
  out.eeff_odd = st.effo;
  return checked(sub, out, a, iflag, model);
}

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target, float f,
                             Model model) noexcept {
  if (const char* why = invalid_synthesis(sub, n, target, f, model)) {
    return Result<Synthesis>::failed(Failure::invalid_input, why);
  }
  const models::CouplerValues a = aim(target);
  Synthesis out = aimed(a, n, f);
  ops::Records r;
  models::CouplerValues targets = a;
  models::Statics st;
  const std::int32_t iflag = ops::dispersive_synthesis(material(sub), n, f, targets, out.section.w,
                                                       out.section.s, st, r, nullptr);
  out.zo = targets.zo;
  out.zoe = targets.zoe;
  out.zoo = targets.zoo;
  out.eeff_even = r.lceff1.effef;
  out.eeff_odd = r.lceff1.effof;
  return checked(sub, out, a, iflag, model);
}

Result<Sensitivity> sensitivity(const Substrate& sub, const CrossSection& xs, float f, Mode mode,
                                Model model) noexcept {
  const DesignPoint p = point_of(sub, xs, f);
  const Limits limits = limits_left(p);
  if (const char* why = invalid(sub, xs, model)) {
    return Result<Sensitivity>::failed(Failure::invalid_input, why, limits, p);
  }
  if (!finite(f) || f < 0.0f) {
    return Result<Sensitivity>::failed(Failure::invalid_input, "f: frequency negative", limits, p);
  }
  ops::Records r;
  Sensitivity out;
  out.f = f;
  // One evaluation of every sensitivity with one mode dispersed; both modes take one pass
  // each, the even-mode values from the even pass and the odd-mode values from the odd one.
  const auto pass = [&](models::Modes modes, bool even, bool odd) {
    ops::Sensitivity s;
    ops::sensitivity(material(sub), strips(xs), f, modes, s, r, nullptr);
    if (even) {
      out.zoe = s.zoef;
      out.zoe_to = {s.even.szoeer, s.even.szoeh, s.even.szoes, s.even.szoew, s.even.szoet};
    }
    if (odd) {
      out.zoo = s.zoof;
      out.zoo_to = {s.odd.szooer, s.odd.szooh, s.odd.szoos, s.odd.szoow, s.odd.szoot};
    }
    return s.iflag == 0;
  };
  bool ok = true;
  if (mode == Mode::odd) {
    ok = pass(models::Modes::odd_only, true, true);
  } else if (mode == Mode::even) {
    ok = pass(models::Modes::even_only, true, true);
  } else {
    ok = pass(models::Modes::even_only, true, false) && pass(models::Modes::odd_only, false, true);
  }
  if (!ok) return Result<Sensitivity>::failed(Failure::no_solution, nullptr, limits, p);
  return {out, limits, p};
}

Result<float> microstrip_width(const Substrate& sub, float z) noexcept {
  if (const char* why = invalid(sub, CrossSection{4, 1.0f, 1.0f}, Model::closed_form)) {
    return Result<float>::failed(Failure::invalid_input, why);
  }
  if (!finite(z) || z <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, "z: impedance not positive");
  }
  float w = 0.0f;
  models::MsImp1 msimp1;
  if (!ops::microstrip_width(material(sub), z, w, msimp1)) {
    return Result<float>::failed(Failure::no_solution);
  }
  // A single strip is judged by its width and the substrate only.
  DesignPoint p = point_of(sub, CrossSection{1, w, 0.0f}, 0.0f);
  Limits limits;
  for (const Limit l : {Limit::width_ratio, Limit::permittivity}) {
    if (!passes(l, quantity(l, p))) limits.add(l);
  }
  return {w, limits, p};
}

}  // namespace cuplo
