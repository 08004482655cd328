// The library's calculations: the same model routines, in the same order and the same 32-bit
// arithmetic, as the console program's operations, so that each value here is the one the
// console prints.
#include "cuplo/coupler.hpp"

#include <cmath>

#include "design/design.hpp"
#include "models/chain.hpp"
#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/microstrip.hpp"
#include "network/network.hpp"

namespace cuplo {
namespace {

// The scratch records of one calculation.
struct Records {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
};

bool finite(float x) {
  return std::isfinite(x);
}

// The reason a substrate and cross-section cannot be analysed, or nullptr.
const char* invalid(const Substrate& sub, const CrossSection& xs) {
  if (xs.n != 4 && xs.n != 6) return "n: the coupler has 4 or 6 strips";
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

models::Statics statics(const Analysis::Static& st) {
  return {st.wte, st.wto, st.zoeap, st.zooap, st.effc, st.effe, st.effo};
}

// The coupler at f from the static values; false when the odd-mode impedance does not stay
// below the even-mode one.
bool disperse(const Substrate& sub, const CrossSection& xs, const Analysis::Static& st, float f,
              Records& r, models::CouplerValues& out) {
  std::int32_t iflag = st.iflag;
  return models::dispersive_chain(statics(st), sub.er, f, sub.h, iflag, models::Modes::both, xs.n,
                                  xs.s, out, r.lceff1, r.lcdis1, r.msimp1, r.mszo1);
}

Analysis::Static analyse_static(const Substrate& sub, const CrossSection& xs, Records& r) {
  Analysis::Static st;
  models::Statics m;
  models::CouplerValues c;
  models::static_chain(sub.er, sub.h, st.iflag, xs.n, xs.s, sub.t, xs.w, m, c, r.msimp1, nullptr);
  st.wte = m.wte;
  st.wto = m.wto;
  st.zoeap = m.zoeap;
  st.zooap = m.zooap;
  st.effc = m.effc;
  st.effe = m.effe;
  st.effo = m.effo;
  return st;
}

}  // namespace

const char* describe(Failure failure) {
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

DesignPoint design_point(const Substrate& sub, const CrossSection& xs, float f) {
  DesignPoint p;
  p.f = f;
  p.h = sub.h;
  p.er = sub.er;
  p.w = xs.w;
  p.s = xs.s;
  p.t = sub.t;
  return p;
}

const char* version() {
  return CUPLO_VERSION;
}

Analysis::Analysis(const Substrate& substrate, const CrossSection& section)
    : substrate_(substrate), section_(section) {
  if (invalid(substrate, section) != nullptr) {
    invalid_ = Failure::invalid_input;
    return;
  }
  Records r;
  static_ = analyse_static(substrate, section, r);
}

Result<Impedances> Analysis::impedances(float f) const {
  const Limits limits = limits_left(design_point(substrate_, section_, f));
  if (invalid_ != Failure::none) {
    return Result<Impedances>::failed(invalid_, limits, invalid(substrate_, section_));
  }
  Records r;
  models::CouplerValues d;
  if (!disperse(substrate_, section_, static_, f, r, d)) {
    return Result<Impedances>::failed(Failure::no_solution, limits);
  }
  return Result<Impedances>({d.zo, d.zoe, d.zoo, d.ko, r.lceff1.effef, r.lceff1.effof}, limits);
}

Result<DispersionPoint> Analysis::dispersion(float f) const {
  const Limits limits = limits_left(design_point(substrate_, section_, f));
  if (invalid_ != Failure::none) {
    return Result<DispersionPoint>::failed(invalid_, limits, invalid(substrate_, section_));
  }
  Records r;
  models::CouplerValues d;
  if (!disperse(substrate_, section_, static_, f, r, d)) {
    return Result<DispersionPoint>::failed(Failure::no_solution, limits);
  }
  return Result<DispersionPoint>(
      {f, r.lceff1.effef, r.lceff1.effof, r.lceff1.effcf, d.zoe, d.zoo, d.zo}, limits);
}

Result<FourPort> Analysis::four_port(float length, float f, const Terminations& term) const {
  const Limits limits = limits_left(design_point(substrate_, section_, f));
  if (invalid_ != Failure::none) {
    return Result<FourPort>::failed(invalid_, limits, invalid(substrate_, section_));
  }
  if (!finite(length) || length <= 0.0f) {
    return Result<FourPort>::failed(Failure::invalid_input, limits, "l: length not positive");
  }
  if (!finite(term.rs) || term.rs <= 0.0f || !finite(term.rl) || term.rl <= 0.0f) {
    return Result<FourPort>::failed(Failure::invalid_input, limits,
                                    "terminations: resistances not positive");
  }
  if (!finite(f) || f < 0.0f) {
    return Result<FourPort>::failed(Failure::invalid_input, limits, "f: frequency negative");
  }
  Records r;
  models::CouplerValues d;
  if (!disperse(substrate_, section_, static_, f, r, d)) {
    return Result<FourPort>::failed(Failure::no_solution, limits);
  }
  const Substrate& sub = substrate_;
  const float res = network::resistivity_ohm_inch(sub.resistivity);
  const float sr = network::roughness_inch(sub.roughness);
  float ate = 0.0f;
  float ato = 0.0f;
  network::lclos(ate, ato, sub.er, f, sub.h, section_.n, res, section_.s, sr, sub.t,
                 sub.loss_tangent, section_.w, d.zoe, d.zoo, r.lceff1, r.msimp1, nullptr);
  network::LcFa1 fa;
  fa.f = f;
  network::lcfa(ate, ato, r.lceff1.effef, r.lceff1.effof, length, term.rl, term.rs, d.zoe, d.zoo,
                fa);
  FourPort out;
  out.f = f;
  for (std::size_t p = 0; p < 4; ++p) {
    out.wave[p] = {fa.wave[0][p], fa.wave[1][p]};
    out.mag_db[p] = fa.mag[p];
    out.ang_deg[p] = fa.ang[p];
  }
  out.vswr = fa.vswr;
  out.phase_difference = fa.phi;
  out.quadrature_error = fa.err;
  out.dissipative_loss_db = fa.atot;
  out.total_loss_db = fa.loss;
  return Result<FourPort>(out, limits);
}

Result<float> Analysis::quarter_wave_length(float f) const {
  const Limits limits = limits_left(design_point(substrate_, section_, f));
  if (invalid_ != Failure::none) {
    return Result<float>::failed(invalid_, limits, invalid(substrate_, section_));
  }
  if (!finite(f) || f <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, limits, "f: frequency not positive");
  }
  models::LcEff1 lceff1;
  models::lceff(static_.effc, static_.effe, static_.effo, substrate_.er, f, substrate_.h,
                models::Modes::both, section_.s, static_.wte, static_.wto, lceff1);
  return Result<float>(design::quarter_wave_length(f, lceff1.effcf), limits);
}

Result<float> Analysis::centre_frequency(float length) const {
  if (invalid_ != Failure::none) {
    return Result<float>::failed(invalid_, {}, invalid(substrate_, section_));
  }
  if (!finite(length) || length <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, {}, "l: length not positive");
  }
  models::LcEff1 lceff1;
  float f = 0.0f;
  const bool found =
      design::msfsyn(static_.effc, static_.effe, static_.effo, substrate_.er, f, substrate_.h,
                     length, section_.s, static_.wte, static_.wto, lceff1);
  const Limits limits = limits_left(design_point(substrate_, section_, f));
  if (!found) return Result<float>::failed(Failure::search_bound, limits);
  return Result<float>(f, limits);
}

Result<Impedances> impedance(const Substrate& substrate, const CrossSection& section, float f) {
  return Analysis(substrate, section).impedances(f);
}

Result<DispersionPoint> dispersion(const Substrate& substrate, const CrossSection& section,
                                   float f) {
  return Analysis(substrate, section).dispersion(f);
}

Result<FourPort> four_port(const Substrate& substrate, const Coupler& coupler, float f,
                           const Terminations& terminations) {
  return Analysis(substrate, coupler.section).four_port(coupler.length, f, terminations);
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

// The synthesized cross-section judged against the limits, then analysed again (static at
// f = 0) as its check; a failed search or check is the result.
Result<Synthesis> checked(const Substrate& sub, Synthesis out, const models::CouplerValues& a,
                          std::int32_t iflag) {
  DesignPoint p = design_point(sub, out.section, out.f);
  p.synthesis = true;
  p.coupling_db = a.ko;
  p.zo = a.zo;
  const Limits limits = limits_left(p);
  if (iflag != 0) return Result<Synthesis>::failed(Failure::search_bound, limits);
  const Result<Impedances> again = Analysis(sub, out.section).impedances(out.f);
  if (!again) return Result<Synthesis>::failed(again.failure(), limits);
  out.check = again.value();
  return Result<Synthesis>(out, limits);
}

const char* invalid_substrate(const Substrate& sub, std::int32_t n) {
  CrossSection probe{n, 1.0f, 1.0f};
  return invalid(sub, probe);
}

}  // namespace

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target) {
  if (const char* why = invalid_substrate(sub, n)) {
    return Result<Synthesis>::failed(Failure::invalid_input, {}, why);
  }
  if (const char* why = invalid_target(target)) {
    return Result<Synthesis>::failed(Failure::invalid_input, {}, why);
  }
  const models::CouplerValues a = aim(target);
  Records r;
  Synthesis out;
  out.zo = a.zo;
  out.zoe = a.zoe;
  out.zoo = a.zoo;
  out.coupling_db = a.ko;
  float zoeap = 0.0f;
  float zooap = 0.0f;
  models::lczoezoo(a.cc, n, a.zo, zoeap, zooap);
  std::int32_t iflag = 0;
  float s = 0.0f;
  float wte = 0.0f;
  float wto = 0.0f;
  design::lcws(sub.er, sub.h, iflag, n, s, sub.t, wte, wto, zoeap, zooap);
  float w = 0.0f;
  if (iflag == 0) {
    const bool found = models::lcwts(sub.er, sub.h, s, sub.t, w, wte);
    float effc = 0.0f;
    models::lcpv(effc, out.eeff_even, out.eeff_odd, sub.er, sub.h, n, s, sub.t, w, wte, wto,
                 r.msimp1, nullptr);
    if (!found) iflag = 1;
  }
  out.section = {n, w, s};
  return checked(sub, out, a, iflag);
}

Result<Synthesis> synthesize(const Substrate& sub, std::int32_t n, const Target& target, float f) {
  if (const char* why = invalid_substrate(sub, n)) {
    return Result<Synthesis>::failed(Failure::invalid_input, {}, why);
  }
  if (const char* why = invalid_target(target)) {
    return Result<Synthesis>::failed(Failure::invalid_input, {}, why);
  }
  if (!finite(f) || f < 0.0f) {
    return Result<Synthesis>::failed(Failure::invalid_input, {}, "f: frequency negative");
  }
  const models::CouplerValues a = aim(target);
  Records r;
  Synthesis out;
  out.f = f;
  float cc = a.cc;
  out.zo = a.zo;
  out.zoe = a.zoe;
  out.zoo = a.zoo;
  out.coupling_db = a.ko;
  std::int32_t iflag = 0;
  float s = 0.0f;
  float w = 0.0f;
  float wte = 0.0f;
  design::lcsyn(cc, sub.er, f, sub.h, iflag, n, s, sub.t, w, wte, out.zo, out.zoe, out.zoo,
                r.lceff1, r.lcdis1, r.msimp1, r.mszo1, nullptr);
  out.section = {n, w, s};
  out.eeff_even = r.lceff1.effef;
  out.eeff_odd = r.lceff1.effof;
  return checked(sub, out, a, iflag);
}

Result<Sensitivity> sensitivity(const Substrate& sub, const CrossSection& xs, float f, Mode mode) {
  const Limits limits = limits_left(design_point(sub, xs, f));
  if (const char* why = invalid(sub, xs)) {
    return Result<Sensitivity>::failed(Failure::invalid_input, limits, why);
  }
  if (!finite(f) || f < 0.0f) {
    return Result<Sensitivity>::failed(Failure::invalid_input, limits, "f: frequency negative");
  }
  Records r;
  Sensitivity out;
  out.f = f;
  // One evaluation of every sensitivity, with one mode dispersed.
  auto pass = [&](models::Modes modes, float& zoe, float& zoo) {
    design::LcSen1 e;
    design::LcSen2 o;
    std::int32_t iflag = 0;
    design::lcsen(sub.er, f, sub.h, iflag, modes, xs.n, xs.s, sub.t, xs.w, zoe, zoo, e, o, r.lceff1,
                  r.lcdis1, r.msimp1, r.mszo1, nullptr);
    if (modes == models::Modes::odd_only || mode != Mode::both) {
      out.zoo_to = {o.szooer, o.szooh, o.szoos, o.szoow, o.szoot};
    }
    if (modes == models::Modes::even_only || mode != Mode::both) {
      out.zoe_to = {e.szoeer, e.szoeh, e.szoes, e.szoew, e.szoet};
    }
    return iflag == 0;
  };
  float unused = 0.0f;
  bool ok = true;
  if (mode == Mode::odd) {
    ok = pass(models::Modes::odd_only, out.zoe, out.zoo);
  } else if (mode == Mode::even) {
    ok = pass(models::Modes::even_only, out.zoe, out.zoo);
  } else {
    ok = pass(models::Modes::even_only, out.zoe, unused) &&
         pass(models::Modes::odd_only, unused, out.zoo);
  }
  if (!ok) return Result<Sensitivity>::failed(Failure::no_solution, limits);
  return Result<Sensitivity>(out, limits);
}

Result<float> microstrip_width(const Substrate& sub, float z) {
  CrossSection probe{4, 1.0f, 1.0f};
  if (const char* why = invalid(sub, probe)) {
    return Result<float>::failed(Failure::invalid_input, {}, why);
  }
  if (!finite(z) || z <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input, {}, "z: impedance not positive");
  }
  // The impedance falls as the strip widens: bisection on the width, bounded at 200 halvings,
  // between 1/1000 and 30 substrate heights; the narrow end is kept at the strip thickness or
  // above, where the logarithmic thickness correction of the width still holds. A z outside
  // the bracket has no width.
  models::MsImp1 m;
  const float h2 = 1000.0f * sub.h;
  auto zo = [&](float w) {
    models::msimp(sub.er, sub.h, h2, sub.t, w, m);
    return m.zo;
  };
  float lo = std::fmax(sub.h * 0.001f, sub.t);
  float hi = sub.h * 30.0f;
  if (!(zo(lo) >= z && zo(hi) <= z)) return Result<float>::failed(Failure::no_solution);
  for (int k = 0; k < 200 && hi - lo > lo * 1e-7f; ++k) {
    const float mid = 0.5f * (lo + hi);
    if (zo(mid) > z) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  const float w = 0.5f * (lo + hi);
  Limits limits;
  if (!passes(Limit::width_ratio, w / sub.h)) limits.add(Limit::width_ratio);
  if (!passes(Limit::permittivity, sub.er)) limits.add(Limit::permittivity);
  return Result<float>(w, limits);
}

}  // namespace cuplo
