// The library's calculations: the coupler's operations (ops/), in the same order and the same
// 32-bit arithmetic as the console program runs them, so that each value of the closed-form
// model is the one the console prints; the field model's static values plug into the same
// dispersion and four-port.
#include "cuplo/coupler.hpp"

#include <cmath>

#include "lib/analysis.hpp"
#include "ops/field.hpp"
#include "ops/operations.hpp"

namespace cuplo {
namespace detail {
namespace {

bool finite(float x) {
  return std::isfinite(x);
}

constexpr const char* kNoFiniteValue = "the closed-form model gives no finite value here";

// The static models on a design, into a state that lives on the caller's stack.
void analyse(AnalysisState& a) {
  if (const char* why = invalid(a.substrate, a.section, a.model)) {
    a.refused = Failure::invalid_input;
    a.why = why;
    return;
  }
  const ops::Material m = material(a.substrate);
  const ops::Strips x = strips(a.section);
  if (a.model == Model::field) {
    if (!ops::field_statics(m, x, a.statics, a.coupler, a.solution, a.why)) {
      a.refused = a.solution.status == field::Status::numerical_failure ? Failure::no_solution
                                                                        : Failure::invalid_input;
    }
    return;
  }
  ops::Records r;
  a.iflag = ops::static_analysis(m, x, a.statics, a.coupler, r, nullptr);
  // Far outside the range the closed-form expressions were fitted over (very wide strips on a
  // low permittivity), their logarithms and roots leave their domain: no value, not a value.
  const models::Statics& st = a.statics;
  for (const float v : {st.wte, st.wto, st.zoeap, st.zooap, st.effc, st.effe, st.effo}) {
    if (!finite(v)) {
      a.refused = Failure::no_solution;
      a.why = kNoFiniteValue;
      return;
    }
  }
}

// A failed result of the analysis at the design point p: the refusal, or nothing.
template <class T>
Result<T> refused_result(const AnalysisState& a, const DesignPoint& p) {
  return Result<T>::failed(a.refused, a.why.c_str(), limits_of(p, a.model), p);
}

Result<DispersionPoint> dispersion_of(const AnalysisState& a, float f) {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_of(p, a.model);
  if (a.refused != Failure::none) return refused_result<DispersionPoint>(a, p);
  ops::Records r;
  models::CouplerValues d;
  if (!disperse(a, f, models::Modes::both, r, d)) {
    return Result<DispersionPoint>::failed(Failure::no_solution, nullptr, limits, p);
  }
  const models::LcEff1& e = r.lceff1;
  return {{f, e.effef, e.effof, e.effcf, d.zoe, d.zoo, d.zo}, limits, p};
}

Result<FourPort> four_port_of(const AnalysisState& a, float length, float f,
                              const Terminations& term) {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_of(p, a.model);
  if (a.refused != Failure::none) return refused_result<FourPort>(a, p);
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
  if (!disperse(a, f, models::Modes::both, r, d)) {
    return Result<FourPort>::failed(Failure::no_solution, nullptr, limits, p);
  }
  const Substrate& sub = a.substrate;
  const ops::Losses losses{network::resistivity_ohm_inch(sub.resistivity),
                           network::roughness_inch(sub.roughness), sub.loss_tangent};
  network::LcFa1 fa;
  if (a.model == Model::field) {
    float ate = 0.0f;
    float ato = 0.0f;
    const models::LcEff1& e = r.lceff1;
    ops::field_attenuation(material(sub), strips(a.section), losses, f, d.zoe, d.zoo, e.effef,
                           e.effof, a.solution, ate, ato);
    ops::mode_response(ate, ato, e.effef, e.effof, length, f, term.rs, term.rl, d.zoe, d.zoo, fa);
  } else {
    ops::four_port(material(sub), strips(a.section), losses, length, f, term.rs, term.rl, d.zoe,
                   d.zoo, r, fa, nullptr);
  }
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

Result<float> quarter_wave_length_of(const AnalysisState& a, float f) {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_of(p, a.model);
  if (a.refused != Failure::none) return refused_result<float>(a, p);
  if (!finite(f) || f <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, "f: frequency not positive", limits, p);
  }
  models::LcEff1 lceff1;
  return {ops::quarter_wave_length(material(a.substrate), strips(a.section), a.statics, f, lceff1),
          limits, p};
}

Result<float> centre_frequency_of(const AnalysisState& a, float length) {
  if (a.refused != Failure::none) return Result<float>::failed(a.refused, a.why.c_str());
  if (!finite(length) || length <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, "l: length not positive");
  }
  models::LcEff1 lceff1;
  float f = 0.0f;
  const bool found =
      ops::centre_frequency(material(a.substrate), strips(a.section), a.statics, length, f, lceff1);
  const DesignPoint p = point_of(a.substrate, a.section, f);
  if (!found) {
    return Result<float>::failed(Failure::search_bound, nullptr, limits_of(p, a.model), p);
  }
  return {f, limits_of(p, a.model), p};
}

}  // namespace

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

Limits limits_of(const DesignPoint& p, Model model) {
  const Limits left = limits_left(p);
  if (model == Model::closed_form) return left;
  Limits kept;
  for (const Limit l : {Limit::frequency_thickness, Limit::permittivity}) {
    if (left.contains(l)) kept.add(l);
  }
  return kept;
}

const char* invalid(const Substrate& sub, const CrossSection& xs, Model model) {
  if (model == Model::closed_form && xs.n != 4 && xs.n != 6) {
    return "n: the closed-form models take 4 or 6 strips (the field model any even number from "
           "2 to 12)";
  }
  if (model == Model::field && (xs.n < 2 || xs.n > field::kMaxStrips || xs.n % 2 != 0)) {
    return "n: the coupler has an even number of strips from 2 to 12";
  }
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

AnalysisState state_of(const Substrate& sub, const CrossSection& xs, Model model) {
  AnalysisState a;
  a.substrate = sub;
  a.section = xs;
  a.model = model;
  analyse(a);
  return a;
}

bool disperse(const AnalysisState& a, float f, models::Modes modes, ops::Records& r,
              models::CouplerValues& out) {
  const ops::Material m = material(a.substrate);
  const ops::Strips x = strips(a.section);
  std::int32_t iflag = a.iflag;
  const bool ok = a.model == Model::field
                      ? ops::field_dispersive(m, x, a.statics, a.coupler, f, modes, out, r)
                      : ops::dispersive_analysis(m, x, a.statics, f, modes, iflag, out, r);
  if (!ok) return false;
  // NaN compares false with everything, so the model's own check lets it through.
  const models::LcEff1& e = r.lceff1;
  for (const float v : {out.zo, out.zoe, out.zoo, out.ko, e.effef, e.effof, e.effcf}) {
    if (!finite(v)) return false;
  }
  return true;
}

Result<Impedances> impedances_of(const AnalysisState& a, float f) {
  const DesignPoint p = point_of(a.substrate, a.section, f);
  const Limits limits = limits_of(p, a.model);
  if (a.refused != Failure::none) return refused_result<Impedances>(a, p);
  ops::Records r;
  models::CouplerValues d;
  if (!disperse(a, f, models::Modes::both, r, d)) {
    return Result<Impedances>::failed(Failure::no_solution, nullptr, limits, p);
  }
  return {{d.zo, d.zoe, d.zoo, d.ko, r.lceff1.effef, r.lceff1.effof}, limits, p};
}

}  // namespace detail

using detail::AnalysisState;
using detail::invalid;
using detail::limits_of;
using detail::material;
using detail::point_of;
using detail::state_of;
using detail::strips;

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
  return detail::impedances_of(*state_, f);
}

Result<DispersionPoint> Analysis::dispersion(float f) const noexcept {
  return detail::dispersion_of(*state_, f);
}

Result<FourPort> Analysis::four_port(float length, float f,
                                     const Terminations& terminations) const {
  return detail::four_port_of(*state_, length, f, terminations);
}

Result<float> Analysis::quarter_wave_length(float f) const noexcept {
  return detail::quarter_wave_length_of(*state_, f);
}

Result<float> Analysis::centre_frequency(float length) const noexcept {
  return detail::centre_frequency_of(*state_, length);
}

Result<Impedances> impedance(const Substrate& substrate, const CrossSection& section, float f,
                             Model model) {
  return detail::impedances_of(state_of(substrate, section, model), f);
}

Result<DispersionPoint> dispersion(const Substrate& substrate, const CrossSection& section, float f,
                                   Model model) {
  return detail::dispersion_of(state_of(substrate, section, model), f);
}

Result<FourPort> four_port(const Substrate& substrate, const Coupler& coupler, float f,
                           const Terminations& terminations, Model model) {
  return detail::four_port_of(state_of(substrate, coupler.section, model), coupler.length, f,
                              terminations);
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
    const Result<FourPort> r =
        detail::four_port_of(a, coupler.length, f, {reference_ohm, reference_ohm});
    limits |= r.limits();
    // The point words the limits: the highest frequency decides the dispersion limit.
    if (!(r.point().f <= point.f)) point = r.point();
    if (!r) return Result<std::vector<FourPort>>::failed(r.failure(), r.detail(), limits, point);
    out.push_back(*r);
  }
  return {std::move(out), limits, point};
}

namespace {

bool finite(float x) {
  return std::isfinite(x);
}

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

}  // namespace

namespace detail {

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

Result<Synthesis> checked(const Substrate& sub, Synthesis out, const models::CouplerValues& a,
                          bool found, Model model) {
  DesignPoint p = point_of(sub, out.section, out.f);
  p.synthesis = true;
  p.coupling_db = a.ko;
  p.zo = a.zo;
  const Limits limits = limits_of(p, model);
  if (!found) {
    Limits known;
    for (const Limit l : {Limit::frequency_thickness, Limit::permittivity, Limit::coupling,
                          Limit::impedance, Limit::synthesis_coupling}) {
      if (limits.contains(l)) known.add(l);
    }
    return Result<Synthesis>::failed(Failure::search_bound, nullptr, known, p);
  }
  const Result<Impedances> again = impedances_of(state_of(sub, out.section, model), out.f);
  if (!again) return Result<Synthesis>::failed(again.failure(), again.detail(), limits, p);
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

Result<Synthesis> closed_form_synthesis(const Substrate& sub, std::int32_t n,
                                        const models::CouplerValues& a, float f, bool dispersive) {
  Synthesis out = aimed(a, n, f);
  std::int32_t iflag = 0;
  if (dispersive) {
    ops::Records r;
    models::CouplerValues targets = a;
    models::Statics st;
    iflag = ops::dispersive_synthesis(material(sub), n, f, targets, out.section.w, out.section.s,
                                      st, r, nullptr);
    out.zo = targets.zo;
    out.zoe = targets.zoe;
    out.zoo = targets.zoo;
    out.eeff_even = r.lceff1.effef;
    out.eeff_odd = r.lceff1.effof;
  } else {
    models::Statics st;
    models::MsImp1 msimp1;
    iflag = ops::static_synthesis(material(sub), n, a.zo, a.cc, out.section.w, out.section.s, st,
                                  msimp1, nullptr);
    out.eeff_even = st.effe;
    out.eeff_odd = st.effo;
  }
  return checked(sub, out, a, iflag == 0, Model::closed_form);
}

}  // namespace detail

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target,
                             Model model) {
  if (const char* why = invalid_synthesis(sub, n, target, 0.0f, model)) {
    return Result<Synthesis>::failed(Failure::invalid_input, why);
  }
  if (model == Model::field) return detail::field_synthesis(sub, n, target, 0.0f, false);
  return detail::closed_form_synthesis(sub, n, detail::aim(target), 0.0f, false);
}

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target, float f,
                             Model model) {
  if (const char* why = invalid_synthesis(sub, n, target, f, model)) {
    return Result<Synthesis>::failed(Failure::invalid_input, why);
  }
  if (model == Model::field) return detail::field_synthesis(sub, n, target, f, true);
  return detail::closed_form_synthesis(sub, n, detail::aim(target), f, true);
}

Result<Sensitivity> sensitivity(const Substrate& sub, const CrossSection& xs, float f, Mode mode,
                                Model model) {
  const DesignPoint p = point_of(sub, xs, f);
  const Limits limits = limits_of(p, model);
  if (const char* why = invalid(sub, xs, model)) {
    return Result<Sensitivity>::failed(Failure::invalid_input, why, limits, p);
  }
  if (!finite(f) || f < 0.0f) {
    return Result<Sensitivity>::failed(Failure::invalid_input, "f: frequency negative", limits, p);
  }
  if (model == Model::field) return detail::field_sensitivity(state_of(sub, xs, model), f);
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
  bool values = finite(out.zoe) && finite(out.zoo);
  for (const Sensitivities& to : {out.zoe_to, out.zoo_to}) {
    for (const float v : {to.er, to.h, to.s, to.w, to.t}) values = values && finite(v);
  }
  if (!ok || !values) {
    return Result<Sensitivity>::failed(Failure::no_solution, ok ? detail::kNoFiniteValue : nullptr,
                                       limits, p);
  }
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
