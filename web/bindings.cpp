// The coupler library bound for the browser page (embind): the values typed into the page
// read as cuplo-calc reads its options, the design the page shows computed by the public
// library, and the files it offers written with the same bytes as cuplo-calc writes them.
//
// Lengths cross to JavaScript in inches and frequencies in GHz, the library's units; the page
// converts only for display. Files cross as byte arrays, never as text, so that no character
// conversion touches them.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/defaults.hpp"
#include "cuplo/layout.hpp"
#include "cuplo/limits.hpp"
#include "cuplo/reach.hpp"
#include "cuplo/result.hpp"
#include "cuplo/sweep.hpp"
#include "cuplo/tolerance.hpp"
#include "cuplo/touchstone.hpp"
#include "cuplo/units.hpp"

namespace {

using emscripten::val;

// ---- Values as typed ---------------------------------------------------------------------------
// One reader for every field: the library's (cuplo/units.hpp), with cuplo-calc's rules and
// words. A bare number is in the unit shown beside its field.

using cuplo::Bound;
using cuplo::Dimension;
using cuplo::quoted;

// Each field of the page: the cuplo-calc option that takes its value, and what it is.
struct FieldRule {
  std::string_view field;
  std::string_view option;
  cuplo::ValueKind kind;
};

const std::array<FieldRule, 21> kFieldRules{{
    {"n", "--n", {Dimension::plain, Bound::strips, {}}},
    {"er", "--er", {Dimension::plain, Bound::at_least_one, {}}},
    {"h", "--h", {Dimension::length, Bound::positive, {}}},
    {"t", "--t", {Dimension::length, Bound::non_negative, {}}},
    {"w", "--w", {Dimension::length, Bound::positive, {}}},
    {"s", "--s", {Dimension::length, Bound::positive, {}}},
    {"l", "--l", {Dimension::length, Bound::positive, {}}},
    {"f", "--f", {Dimension::frequency, Bound::non_negative, {}}},
    {"res", "--res", {Dimension::plain, Bound::non_negative, {}}},
    {"sr", "--sr", {Dimension::plain, Bound::non_negative, {}}},
    {"dltan", "--dltan", {Dimension::plain, Bound::non_negative, {}}},
    {"zo", "--zo", {Dimension::impedance, Bound::positive, {}}},
    {"coupling", "--coupling", {Dimension::decibel, Bound::nonzero, {}}},
    {"reference", "--reference", {Dimension::impedance, Bound::positive, {}}},
    {"fmin", "--f", {Dimension::frequency, Bound::non_negative, {}}},
    {"fmax", "--f", {Dimension::frequency, Bound::non_negative, {}}},
    // The step is a difference of two frequencies: any sign, checked with the sweep.
    {"fstep", "--f", {Dimension::frequency, Bound::nonzero, {}}},
    {"wmin", "--w", {Dimension::length, Bound::positive, {}}},
    {"wmax", "--w", {Dimension::length, Bound::positive, {}}},
    {"smin", "--s", {Dimension::length, Bound::positive, {}}},
    {"smax", "--s", {Dimension::length, Bound::positive, {}}},
}};

const FieldRule* rule_of(std::string_view field) {
  for (const FieldRule& r : kFieldRules) {
    if (r.field == field) return &r;
  }
  return nullptr;
}

// The one entry point for every typed value of the page: {ok, value, message, unit}, the unit
// the one typed with the number (or "").
val parse_quantity(const std::string& field, const std::string& text, const std::string& unit) {
  val out = val::object();
  const FieldRule* rule = rule_of(field);
  if (rule == nullptr) {
    out.set("ok", false);
    out.set("value", std::numeric_limits<double>::quiet_NaN());
    out.set("message", "unknown field " + quoted(field));
    out.set("unit", std::string());
    return out;
  }
  const cuplo::Parsed<float> r = cuplo::parse_value(rule->option, text, rule->kind, unit);
  const std::optional<std::string_view> typed = cuplo::typed_unit(text, rule->kind.dimension);
  out.set("ok", r.ok());
  out.set("value", r ? static_cast<double>(*r) : std::numeric_limits<double>::quiet_NaN());
  out.set("message", r ? std::string() : r.message());
  out.set("unit", typed ? std::string(*typed) : std::string());
  return out;
}

// The units a field of this dimension may carry, in the order the page lists them.
val unit_names(const std::string& field) {
  val out = val::array();
  const FieldRule* rule = rule_of(field);
  if (rule == nullptr) return out;
  for (const std::string_view name : cuplo::unit_names(rule->kind.dimension)) {
    out.call<void>("push", std::string(name));
  }
  return out;
}

// ---- The design ------------------------------------------------------------------------------

// The most points the page computes and plots: beyond, a sweep would hold the page for seconds.
constexpr std::int32_t kMaxPoints = 10001;

std::string text_of(float v) {
  char out[16];
  return {out, cuplo::shortest_float(out, v)};
}

// A frequency sweep, checked as cuplo-calc checks --f START:STOP:STEP for a Touchstone file.
struct Sweep {
  float start = 0.0f;
  float stop = 0.0f;
  float step = 0.0f;
  std::int32_t last = 0;
  std::string message;  // why it cannot be used, or empty
  float at(std::int32_t k) const { return cuplo::sweep_value(start, k, step); }
};

Sweep sweep_of(float start, float stop, float step, const std::string& typed) {
  Sweep s{start, stop, step, 0, {}};
  const std::string q = quoted(typed);
  const bool towards = stop == start || (stop > start) == (step > 0.0f);
  if (step == 0.0f) {
    s.message = "--f: the step of " + q + " is zero";
    return s;
  }
  s.last = cuplo::sweep_last_index(start, stop, step);
  if (!towards || s.last < 0) {
    s.message = "--f: the step of " + q + " does not go from START towards STOP";
  } else if (s.last >= kMaxPoints) {
    s.message = "--f: " + q + " has more than " + std::to_string(kMaxPoints) + " points";
  } else if (!(s.at(s.last) >= 0.0f)) {
    s.message = "--f: point " + std::to_string(s.last) + " of " + q + " is negative";
  } else {
    for (std::int32_t k = 1; k <= s.last; ++k) {
      if (!(s.at(k) > s.at(k - 1))) {
        s.message = "--f: " + text_of(start) + ":" + text_of(stop) + ":" + text_of(step) +
                    " does not rise at every step, as Touchstone frequencies must";
        break;
      }
    }
  }
  return s;
}

// What the page asks for, in the library's units.
struct Request {
  cuplo::Model model = cuplo::Model::closed_form;
  bool targets = false;
  bool dispersive = false;
  cuplo::Substrate substrate;
  std::int32_t n = 4;
  float w = 0.0f;
  float s = 0.0f;
  float l = 0.0f;
  float zo = 0.0f;
  float coupling = 0.0f;
  float f = 0.0f;
  float reference = 50.0f;
  Sweep sweep;
  cuplo::TouchstonePairs pairs = cuplo::TouchstonePairs::ma;
};

float number(const val& v, const char* key) {
  const val x = v[key];
  return x.isNumber() ? static_cast<float>(x.as<double>()) : 0.0f;
}

Request request_of(const val& v) {
  Request q;
  q.model =
      v["model"].as<std::string>() == "field" ? cuplo::Model::field : cuplo::Model::closed_form;
  q.targets = v["mode"].as<std::string>() == "targets";
  q.dispersive = v["dispersive"].as<bool>();
  q.substrate.er = number(v, "er");
  q.substrate.h = number(v, "h");
  q.substrate.t = number(v, "t");
  q.substrate.loss_tangent = number(v, "dltan");
  q.substrate.resistivity = number(v, "res");
  q.substrate.roughness = number(v, "sr");
  q.n = static_cast<std::int32_t>(number(v, "n"));
  q.w = number(v, "w");
  q.s = number(v, "s");
  q.l = number(v, "l");
  q.zo = number(v, "zo");
  q.coupling = number(v, "coupling");
  q.f = number(v, "f");
  q.reference = number(v, "reference");
  q.sweep = sweep_of(number(v, "fmin"), number(v, "fmax"), number(v, "fstep"),
                     v["sweepText"].as<std::string>());
  const std::string data = v["data"].as<std::string>();
  q.pairs = data == "db"   ? cuplo::TouchstonePairs::db
            : data == "ri" ? cuplo::TouchstonePairs::ri
                           : cuplo::TouchstonePairs::ma;
  return q;
}

// The accuracy limits met on the way, each worded once at the first result that left it, in
// the order cuplo-calc warns about them.
class Warnings {
 public:
  template <class T>
  void add(const cuplo::Result<T>& r) {
    for (const cuplo::LimitSpec& row : cuplo::kLimitTable) {
      if (r.limits().contains(row.limit) && !seen_.contains(row.limit)) {
        lines_.push_back(cuplo::describe(row.limit, r.point()));
      }
    }
    seen_ |= r.limits();
  }
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  cuplo::Limits seen_;
  std::vector<std::string> lines_;
};

// A failed result in cuplo-calc's words: "invalid input: n: ...".
template <class T>
std::string failure_of(const cuplo::Result<T>& r) {
  std::string line = cuplo::describe(r.failure());
  if (r.detail() != nullptr) line += std::string(": ") + r.detail();
  return line;
}

// The coupler the request describes: its cross-section and length, its values, and the
// centre frequency, as cuplo-calc's synthesize or impedance and response find them.
struct Coupler {
  std::string failure;  // why there is no coupler, or empty
  cuplo::CrossSection section;
  float length = 0.0f;
  float fo = 0.0f;
  std::string fo_failure;    // geometry: why there is no centre frequency, or empty
  cuplo::Impedances values;  // static, or at f for a dispersive synthesis
  float at_ghz = 0.0f;
  Warnings warnings;
};

Coupler coupler_of(const Request& q) {
  Coupler c;
  if (q.targets) {
    if (!(q.f > 0.0f)) {
      c.failure = "--f: " + text_of(q.f) +
                  " GHz: the coupler is a quarter wave at --f, which must be above 0";
      return c;
    }
    const cuplo::Target target = cuplo::Target::zo_and_coupling(q.zo, q.coupling);
    const cuplo::Result<cuplo::Synthesis> y =
        q.dispersive ? cuplo::synthesize(q.substrate, q.n, target, q.f, q.model)
                     : cuplo::synthesize(q.substrate, q.n, target, q.model);
    c.warnings.add(y);
    if (!y) {
      // As cuplo-calc: a search that found no strips says what this substrate reaches.
      const std::string reach =
          cuplo::unreachable(y, q.substrate, q.n, target,
                             q.dispersive ? std::optional<float>(q.f) : std::nullopt, q.model);
      c.failure = reach.empty() ? failure_of(y) : reach;
      return c;
    }
    c.section = y->section;
    c.values = y->check;
    c.at_ghz = y->f;
    const cuplo::Result<float> l =
        cuplo::Analysis(q.substrate, c.section, q.model).quarter_wave_length(q.f);
    c.warnings.add(l);
    if (!l) {
      c.failure = failure_of(l);
      return c;
    }
    c.length = *l;
    c.fo = q.f;
    return c;
  }
  c.section = {q.n, q.w, q.s};
  c.length = q.l;
  const cuplo::Analysis analysis(q.substrate, c.section, q.model);
  const cuplo::Result<cuplo::Impedances> z = analysis.impedances(0.0f);
  c.warnings.add(z);
  if (!z) {
    c.failure = failure_of(z);
    return c;
  }
  c.values = *z;
  const cuplo::Result<float> fo = analysis.centre_frequency(q.l);
  if (fo) {
    c.fo = *fo;
  } else {
    c.fo_failure =
        "no centre frequency for l_in = " + text_of(q.l) + ": " + cuplo::describe(fo.failure());
  }
  return c;
}

val float_array(const std::vector<float>& v) {
  return val::global("Float32Array").new_(val(emscripten::typed_memory_view(v.size(), v.data())));
}

val byte_array(const std::string& bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  return val::global("Uint8Array").new_(val(emscripten::typed_memory_view(bytes.size(), data)));
}

val string_array(const std::vector<std::string>& lines) {
  val out = val::array();
  for (const std::string& line : lines) out.call<void>("push", line);
  return out;
}

// ---- The drawing -----------------------------------------------------------------------------

struct Drawn {
  std::string failure;
  cuplo::layout::Drawing drawing;
};

// The drawing cuplo-calc layout makes of the request, named name, on a 1 nm grid.
Drawn drawing_of(const Request& q, const std::string& name) {
  using Kind = cuplo::layout::Request::Kind;
  using cuplo::layout::Problem;
  constexpr std::int32_t kGridNm = 1;
  Drawn out;
  cuplo::layout::Request r;
  r.kind = q.targets ? Kind::targets : Kind::length;
  r.section = {q.n, q.targets ? 0.0f : q.w, q.targets ? 0.0f : q.s};
  r.length = q.targets ? 0.0f : q.l;
  r.frequency = q.targets ? q.f : 0.0f;
  r.target = cuplo::Target::zo_and_coupling(q.zo, q.coupling);
  r.dispersive = q.dispersive;
  r.reference_impedance = q.reference;
  r.model = q.model;
  const auto problem = [&](const Problem& p) {
    return p.what == Problem::What::none ? std::string() : "layout: " + p.message;
  };
  if (!q.targets) {
    out.failure = problem(cuplo::layout::on_grid(r.section, kGridNm));
    if (!out.failure.empty()) return out;
  }
  const cuplo::Result<cuplo::layout::Design> d = cuplo::layout::plan(q.substrate, r);
  if (!d) {
    const bool feeds = d.failure() == cuplo::Failure::invalid_input && d.detail() != nullptr &&
                       std::string_view(d.detail()).starts_with("reference");
    out.failure = feeds ? "--reference: " + text_of(q.reference) +
                              " ohm: no microstrip on this substrate has that impedance"
                        : failure_of(d);
    return out;
  }
  if (q.targets) {
    out.failure = problem(cuplo::layout::on_grid(d->section, kGridNm));
    if (!out.failure.empty()) return out;
  }
  const cuplo::layout::Built built = cuplo::layout::draw(*d, kGridNm, name);
  if (!built.ok()) {
    out.failure = "layout: " + built.problem.message;
    return out;
  }
  out.drawing = built.drawing;
  return out;
}

// ---- What the page shows ---------------------------------------------------------------------

// The design in one call: {ok, failure, w, s, l, fo, foFailure, atGhz, results, warnings,
// response: {f, s11, s21, s31, s41, quadrature} or responseFailure, svg or layoutFailure}.
val evaluate(const val& input) {
  const Request q = request_of(input);
  Coupler c = coupler_of(q);
  val out = val::object();
  out.set("ok", c.failure.empty());
  out.set("failure", c.failure);
  if (!c.failure.empty()) {
    out.set("warnings", string_array(c.warnings.lines()));
    return out;
  }
  out.set("w", c.section.w);
  out.set("s", c.section.s);
  out.set("l", c.length);
  out.set("fo", c.fo_failure.empty() ? val(c.fo) : val::null());
  out.set("foFailure", c.fo_failure);
  out.set("atGhz", c.at_ghz);
  val results = val::object();
  results.set("zo_ohm", c.values.zo);
  results.set("zoe_ohm", c.values.zoe);
  results.set("zoo_ohm", c.values.zoo);
  results.set("coupling_db", c.values.coupling_db);
  results.set("eeff_even", c.values.eeff_even);
  results.set("eeff_odd", c.values.eeff_odd);
  results.set("fo_ghz", c.fo_failure.empty() ? val(c.fo) : val::null());
  out.set("results", results);

  if (!q.sweep.message.empty()) {
    out.set("responseFailure", q.sweep.message);
  } else {
    const cuplo::Analysis analysis(q.substrate, c.section, q.model);
    const cuplo::Terminations ends{q.reference, q.reference};
    std::array<std::vector<float>, 6> curves;
    std::string failure;
    for (std::int32_t k = 0; k <= q.sweep.last && failure.empty(); ++k) {
      const float f = q.sweep.at(k);
      const cuplo::Result<cuplo::FourPort> r = analysis.four_port(c.length, f, ends);
      c.warnings.add(r);
      if (!r) {
        failure = failure_of(r) + " (at f_ghz = " + text_of(f) + ")";
        break;
      }
      curves[0].push_back(f);
      for (std::size_t p = 0; p < 4; ++p) curves[p + 1].push_back(r->mag_db[p]);
      curves[5].push_back(r->quadrature_error);
    }
    if (failure.empty()) {
      val response = val::object();
      const char* names[] = {"f", "s11", "s21", "s31", "s41", "quadrature"};
      for (std::size_t i = 0; i < curves.size(); ++i)
        response.set(names[i], float_array(curves[i]));
      out.set("response", response);
    } else {
      out.set("responseFailure", failure);
    }
  }
  out.set("warnings", string_array(c.warnings.lines()));

  const Drawn drawn = drawing_of(q, input["name"].as<std::string>());
  if (drawn.failure.empty()) {
    out.set("svg", cuplo::layout::svg_preview(drawn.drawing));
  } else {
    out.set("layoutFailure", drawn.failure);
  }
  return out;
}

// One row of the design map: Zo and the coupling (static) at each width from wmin to wmax
// (columns points) for the spacing s; NaN where the models give nothing.
val map_row(const val& input, double s, double wmin, double wmax, int columns) {
  const Request q = request_of(input);
  std::vector<float> zo;
  std::vector<float> coupling;
  for (int i = 0; i < columns; ++i) {
    const double w = wmin + (wmax - wmin) * i / (columns - 1);
    const cuplo::CrossSection xs{q.n, static_cast<float>(w), static_cast<float>(s)};
    const cuplo::Result<cuplo::Impedances> r = cuplo::impedance(q.substrate, xs, 0.0f, q.model);
    zo.push_back(r ? r->zo : NAN);
    coupling.push_back(r ? r->coupling_db : NAN);
  }
  val out = val::object();
  out.set("zo", float_array(zo));
  out.set("coupling", float_array(coupling));
  return out;
}

// ---- Tolerances ------------------------------------------------------------------------------
// The Monte Carlo of cuplo-calc tolerance on the page's design, its options read from the
// panel's fields as cuplo-calc reads them, with its words.

using cuplo::Quantity;

// A tolerance field: the option it stands for, and the dimension of its absolute form.
struct ToleranceField {
  std::string_view field;
  std::string_view option;
  Dimension dimension;
};

constexpr std::array<ToleranceField, 5> kToleranceFields{{
    {"w_tol", "--w-tol", Dimension::length},
    {"s_tol", "--s-tol", Dimension::length},
    {"h_tol", "--h-tol", Dimension::length},
    {"er_tol", "--er-tol", Dimension::plain},
    {"t_tol", "--t-tol", Dimension::length},
}};

// A limits field: the option as cuplo-calc names it and the quantity it judges.
struct LimitField {
  std::string_view field;
  std::string_view option;
  Quantity quantity;
};

constexpr std::array<LimitField, 4> kLimitFields{{
    {"spec_coupling", "--spec-coupling", Quantity::coupling_db},
    {"spec_balance", "--spec-balance", Quantity::balance_db},
    {"spec_phase", "--spec-phase", Quantity::phase_deg},
    {"spec_fo", "--spec-fo", Quantity::fo_ghz},
}};

std::string_view trimmed(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

// A tolerance as cuplo-calc reads --w-tol, a bare number in the unit beside the field (with
// % a fraction of the value); an empty field, as the option not given, none.
cuplo::Parsed<cuplo::Tolerance> tolerance_of(const ToleranceField& f, std::string_view text,
                                             std::string_view unit) {
  if (trimmed(text).empty()) return cuplo::Tolerance{};
  return cuplo::parse_tolerance(f.option, text, f.dimension, unit);
}

// A whole number from low to high, as cuplo-calc reads --samples and --seed.
template <class T>
cuplo::Parsed<T> whole_of(std::string_view option, std::string_view text, T low, T high) {
  T v{};
  const std::string_view t = trimmed(text);
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < low || v > high) {
    return cuplo::Parsed<T>::refused(std::string(option) + ": " + quoted(text) +
                                     " is not a whole number from " + std::to_string(low) + " to " +
                                     std::to_string(high));
  }
  return v;
}

// The Monte Carlo of the page's design (input, as evaluate takes it) over the panel's fields
// ({name: {text, unit}}): the geometry with its length, or the synthesized coupler a quarter
// wave at f and judged there, as cuplo-calc tolerance --l or --fo takes them. Returns {ok,
// messages: {field: message}, units: {field: unit typed}, failure, samples, failed,
// operatingGhz, percentiles: {key: [p1, p5, p50, p95, p99]}, yield: {key: percent}, yieldAll}.
val tolerance(const val& input, const val& fields) {
  const auto field = [&](std::string_view name, const char* part) {
    const val f = fields[std::string(name)];
    return f.isUndefined() || !f[part].isString() ? std::string() : f[part].as<std::string>();
  };
  val out = val::object();
  val messages = val::object();
  val units = val::object();
  bool refused = false;
  const auto refuse = [&](std::string_view name, const std::string& message) {
    messages.set(std::string(name), message);
    refused = true;
  };
  cuplo::ToleranceRequest t;
  std::array<cuplo::Tolerance*, kToleranceFields.size()> into{&t.w, &t.s, &t.h, &t.er, &t.t};
  std::array<std::string, kToleranceFields.size()> typed;  // as cuplo-calc would be given it
  for (std::size_t i = 0; i < kToleranceFields.size(); ++i) {
    const ToleranceField& f = kToleranceFields[i];
    const std::string text = field(f.field, "text");
    const std::string unit = field(f.field, "unit");
    const std::string_view bare = trimmed(text);
    const std::optional<std::string_view> own = !bare.empty() && bare.back() == '%'
                                                    ? std::optional<std::string_view>("%")
                                                    : cuplo::typed_unit(bare, f.dimension);
    if (own) units.set(std::string(f.field), std::string(*own));
    typed[i] = std::string(bare) + (own ? "" : unit);
    const cuplo::Parsed<cuplo::Tolerance> p = tolerance_of(f, text, unit);
    if (p) {
      *into[i] = *p;
    } else {
      refuse(f.field, p.message());
    }
  }
  const auto samples =
      whole_of<std::int64_t>("--samples", field("samples", "text"), 1, cuplo::kMaxSamples);
  if (samples) {
    t.samples = *samples;
  } else {
    refuse("samples", samples.message());
  }
  const auto seed = whole_of<std::uint64_t>("--seed", field("seed", "text"), 0,
                                            std::numeric_limits<std::uint64_t>::max());
  if (seed) {
    t.seed = *seed;
  } else {
    refuse("seed", seed.message());
  }
  t.distribution = field("distribution", "text") == "uniform" ? cuplo::Distribution::uniform
                                                              : cuplo::Distribution::normal;
  for (const LimitField& f : kLimitFields) {
    const std::string text = field(f.field, "text");
    if (trimmed(text).empty()) continue;
    const cuplo::Parsed<cuplo::Window> w = cuplo::parse_limits(f.option, text, f.quantity);
    if (w) {
      t.spec[static_cast<std::size_t>(f.quantity)] = *w;
    } else {
      refuse(f.field, w.message());
    }
  }
  out.set("messages", messages);
  out.set("units", units);
  out.set("ok", false);
  out.set("failure", std::string());
  if (refused) return out;

  const Request q = request_of(input);
  const Coupler c = coupler_of(q);
  if (!c.failure.empty()) {
    out.set("failure", c.failure);
    return out;
  }
  t.substrate = q.substrate;
  t.coupler = {c.section, c.length};
  t.operating_ghz = q.targets ? q.f : 0.0f;
  t.reference_ohm = q.reference;
  t.model = q.model;
  t.threads = 1;
  // A tolerance the samples cannot be drawn with, beside its field in cuplo-calc's words.
  if (const char* why = cuplo::invalid(t)) {
    const std::string_view detail(why);
    for (std::size_t i = 0; i < kToleranceFields.size(); ++i) {
      const ToleranceField& f = kToleranceFields[i];
      if (!detail.starts_with(f.field)) continue;
      refuse(f.field, std::string(f.option) + ": " + quoted(typed[i]) + " is " +
                          std::string(detail.substr(detail.find(':') + 2)) +
                          ": samples would draw couplers that cannot exist");
      return out;
    }
    out.set("failure", std::string(why));
    return out;
  }
  const cuplo::Result<cuplo::ToleranceResult> r = cuplo::tolerance(t);
  if (!r) {
    out.set("failure", failure_of(r));
    return out;
  }
  const auto percent = [&](std::int64_t n) {
    return static_cast<float>(100.0 * static_cast<double>(n) / static_cast<double>(r->samples));
  };
  val points = val::object();
  val passing = val::object();
  bool limited = false;
  for (std::size_t k = 0; k < cuplo::kQuantityCount; ++k) {
    val row = val::array();
    for (const double p : r->spread[k].percentile) row.call<void>("push", static_cast<float>(p));
    points.set(cuplo::kQuantityKeys[k], row);
    if (t.spec[k].given) passing.set(cuplo::kQuantityKeys[k], percent(r->passing[k]));
    limited = limited || t.spec[k].given;
  }
  out.set("ok", true);
  out.set("samples", static_cast<double>(r->samples));
  out.set("failed", static_cast<double>(r->failed));
  out.set("operatingGhz", r->operating_ghz);
  out.set("percentiles", points);
  out.set("yield", passing);
  out.set("yieldAll", limited ? val(percent(r->passing_all)) : val::null());
  return out;
}

// ---- Files -----------------------------------------------------------------------------------

val file_result(const std::string& failure, const std::string& bytes) {
  val out = val::object();
  out.set("ok", failure.empty());
  out.set("failure", failure);
  if (failure.empty()) out.set("bytes", byte_array(bytes));
  return out;
}

// The Touchstone file of cuplo-calc response for the design with every option given: the
// geometry with --l, or the synthesized geometry with --fo at the target frequency.
val touchstone(const val& input) {
  const Request q = request_of(input);
  const Coupler c = coupler_of(q);
  if (!c.failure.empty()) return file_result(c.failure, {});
  if (!q.sweep.message.empty()) return file_result(q.sweep.message, {});
  const bool by_fo = q.targets;
  const cuplo::Analysis analysis(q.substrate, c.section, q.model);
  const cuplo::Result<float> other =
      by_fo ? analysis.quarter_wave_length(c.fo) : analysis.centre_frequency(c.length);
  Warnings warnings;
  if (by_fo) {
    warnings.add(other);
    if (!other) return file_result(failure_of(other), {});
  }
  const float length = by_fo ? *other : c.length;

  std::vector<std::string> comments{
      "cuplo-calc " + std::string(cuplo::version()) +
          " response: interdigitated microstrip coupler, S-parameters",
      "ports: 1 input, 2 coupled, 3 isolated, 4 through; 1 and 2 at one end, 3 and 4 at the "
      "other"};
  const auto entry = [&](const std::string& key, const std::string& value) {
    comments.push_back(key + " = " + value);
  };
  entry("n", std::to_string(q.n));
  entry("er", text_of(q.substrate.er));
  entry("h_in", text_of(q.substrate.h));
  entry("t_in", text_of(q.substrate.t));
  entry("w_in", text_of(c.section.w));
  entry("s_in", text_of(c.section.s));
  entry("f_ghz", text_of(q.sweep.start) + ":" + text_of(q.sweep.stop) + ":" +
                     text_of(q.sweep.step) + " (" + std::to_string(q.sweep.last + 1) + " points)");
  entry("res_uohm_cm", text_of(q.substrate.resistivity));
  entry("sr_uin", text_of(q.substrate.roughness));
  entry("dltan", text_of(q.substrate.loss_tangent));
  entry("l_in", text_of(length) + (by_fo ? " (a quarter wave at fo_ghz)" : ""));
  if (other) {
    entry("fo_ghz", text_of(by_fo ? c.fo : *other) +
                        (by_fo ? "" : " (centre frequency: l_in is a quarter wave there)"));
  }
  entry("reference_ohm", text_of(q.reference));
  std::string file = cuplo::touchstone_head(comments, q.pairs, q.reference);
  const cuplo::Terminations ends{q.reference, q.reference};
  for (std::int32_t k = 0; k <= q.sweep.last; ++k) {
    const float f = q.sweep.at(k);
    const cuplo::Result<cuplo::FourPort> r = analysis.four_port(length, f, ends);
    warnings.add(r);
    if (!r) return file_result(failure_of(r) + " (at f_ghz = " + text_of(f) + ")", {});
    cuplo::append_touchstone_record(file, cuplo::touchstone_numbers(*r, q.pairs));
  }
  std::vector<std::string> tail;
  for (const std::string& w : warnings.lines()) tail.push_back("warning: " + w);
  file += cuplo::touchstone_comments(tail);
  return file_result({}, file);
}

// The footprint (kind "kicad_mod"), mask ("gds", its times seconds after 1970 UTC) or preview
// ("svg") of cuplo-calc layout, named name.
val layout_file(const val& input, const std::string& kind, const std::string& name,
                double seconds) {
  const Request q = request_of(input);
  const Drawn drawn = drawing_of(q, name);
  if (!drawn.failure.empty()) return file_result(drawn.failure, {});
  if (kind == "kicad_mod") return file_result({}, cuplo::layout::kicad_footprint(drawn.drawing));
  if (kind == "svg") return file_result({}, cuplo::layout::svg_preview(drawn.drawing));
  const auto t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  cuplo::layout::Timestamp time;
  if (gmtime_r(&t, &utc) != nullptr) {
    time = {
        static_cast<std::int16_t>(utc.tm_year + 1900), static_cast<std::int16_t>(utc.tm_mon + 1),
        static_cast<std::int16_t>(utc.tm_mday),        static_cast<std::int16_t>(utc.tm_hour),
        static_cast<std::int16_t>(utc.tm_min),         static_cast<std::int16_t>(utc.tm_sec)};
  }
  return file_result({}, cuplo::layout::gds_stream(drawn.drawing, time));
}

// The entries of a defaults file the page does not show, and the title and file name.
const char* const kDefaultsNumbers[] = {"dltan", "er",    "f",    "fmax",  "fmin", "fstep", "h",
                                        "co",    "l",     "n",    "res",   "sr",   "rl",    "rs",
                                        "s",     "smax",  "smin", "sstep", "t",    "w",     "wmax",
                                        "wmin",  "wstep", "zo",   "zoe",   "zoo"};

float* entry_of(cuplo::Defaults& d, std::string_view key) {
  float* const fields[] = {&d.dltan, &d.er,    &d.f,    &d.fmax,  &d.fmin, &d.fstep, &d.h,
                           &d.co,    &d.l,     nullptr, &d.res,   &d.sr,   &d.rl,    &d.rs,
                           &d.s,     &d.smax,  &d.smin, &d.sstep, &d.t,    &d.w,     &d.wmax,
                           &d.wmin,  &d.wstep, &d.zo,   &d.zoe,   &d.zoo};
  for (std::size_t i = 0; i < std::size(kDefaultsNumbers); ++i) {
    if (kDefaultsNumbers[i] == key) return fields[i];
  }
  return nullptr;
}

// The console's defaults file of the values given ({title, fn, n, and each number}).
val defaults_file(const val& values) {
  cuplo::Defaults d;
  d.title = values["title"].as<std::string>();
  d.fn = values["fn"].as<std::string>();
  d.n = static_cast<std::int32_t>(number(values, "n"));
  for (const char* key : kDefaultsNumbers) {
    if (float* f = entry_of(d, key)) *f = number(values, key);
  }
  return byte_array(cuplo::write_defaults(d));
}

// A defaults file read as the console reads it: {ok, failure, title, fn, and each number}.
val read_defaults(const std::string& text) {
  std::istringstream in(text);
  const cuplo::DefaultsFile read = cuplo::read_defaults(in);
  val out = val::object();
  out.set("ok", read.ok());
  if (!read.ok()) {
    const bool missing = read.fault.kind == cuplo::DefaultsFault::Kind::missing;
    out.set("failure",
            std::string("entry ") + read.fault.entry + (missing ? " is missing" : " is faulty"));
    return out;
  }
  cuplo::Defaults d = read.values;
  out.set("title", d.title);
  out.set("fn", d.fn);
  out.set("n", d.n);
  for (const char* key : kDefaultsNumbers) {
    if (const float* f = entry_of(d, key)) out.set(key, *f);
  }
  return out;
}

// Why the page cannot sweep from start to stop by step (GHz), or "".
std::string sweep_message(double start, double stop, double step, const std::string& typed) {
  return sweep_of(static_cast<float>(start), static_cast<float>(stop), static_cast<float>(step),
                  typed)
      .message;
}

std::string library_version() {
  return cuplo::version();
}

}  // namespace

EMSCRIPTEN_BINDINGS(cuplo) {
  emscripten::function("parseQuantity", &parse_quantity);
  emscripten::function("unitNames", &unit_names);
  emscripten::function("evaluate", &evaluate);
  emscripten::function("mapRow", &map_row);
  emscripten::function("tolerance", &tolerance);
  emscripten::function("touchstone", &touchstone);
  emscripten::function("layoutFile", &layout_file);
  emscripten::function("defaultsFile", &defaults_file);
  emscripten::function("readDefaults", &read_defaults);
  emscripten::function("sweepMessage", &sweep_message);
  emscripten::function("version", &library_version);
}
