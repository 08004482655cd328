// cuplo._core: the coupler library for the Python package cuplo (python/cuplo/). Values cross
// in the library's own units (inches, GHz, ohms, dB) as 32-bit floats; the package turns
// them into SI, value types, networks and warnings. Loops over arrays run here with the GIL
// released, one library call per point, as cuplo-calc runs them.
//
// A calculation returns its values with an outcome: the warning lines of the accuracy limits
// left (each limit once, worded at the first point that left it), and the first failure, if
// any, with the index of its point.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/layout.hpp"
#include "cuplo/process.hpp"
#include "cuplo/reach.hpp"
#include "cuplo/tolerance.hpp"
#include "cuplo/units.hpp"

namespace py = pybind11;

namespace {

using Floats = py::array_t<float, py::array::c_style | py::array::forcecast>;
// Er, H, T, loss tangent, resistivity (micro-ohm-cm), roughness (micro-inches).
using SubstrateValues = std::array<float, 6>;

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

cuplo::Substrate substrate_of(const SubstrateValues& v) {
  return {v[0], v[1], v[2], v[3], v[4], v[5]};
}

const char* failure_name(cuplo::Failure failure) {
  switch (failure) {
    case cuplo::Failure::none:
      return "none";
    case cuplo::Failure::invalid_input:
      return "invalid_input";
    case cuplo::Failure::search_bound:
      return "search_bound";
    case cuplo::Failure::no_solution:
      return "no_solution";
  }
  return "unknown";
}

// The warnings and the first failure of a calculation.
class Outcome {
 public:
  // Takes note of a result at point index: its limits not seen before, in table order, worded
  // at its design point; its failure, if it is the first.
  template <class T>
  void take(const cuplo::Result<T>& r, std::int64_t index = 0) {
    cuplo::Limits all = seen_;
    all |= r.limits();
    if (!(all == seen_)) {
      for (const cuplo::LimitSpec& row : cuplo::kLimitTable) {
        if (r.limits().contains(row.limit) && !seen_.contains(row.limit)) {
          warnings_.push_back(cuplo::describe(row.limit, r.point()));
        }
      }
      seen_ = all;
    }
    if (!r.ok() && failure_ == cuplo::Failure::none) {
      failure_ = r.failure();
      detail_ = r.detail() != nullptr ? r.detail() : "";
      index_ = index;
    }
  }

  // A line that says more than the failure's own words (what a synthesis can reach).
  void explain(std::string line) {
    if (!line.empty()) explained_ = std::move(line);
  }

  bool failed() const { return failure_ != cuplo::Failure::none; }
  bool invalid() const { return failure_ == cuplo::Failure::invalid_input; }

  // (warnings, failure, describe(failure), detail, index); failure is None without one.
  py::tuple to_python() const {
    if (!failed()) return py::make_tuple(warnings_, py::none(), py::none(), py::none(), -1);
    return py::make_tuple(warnings_, failure_name(failure_),
                          explained_.empty() ? std::string(cuplo::describe(failure_)) : explained_,
                          detail_, index_);
  }

 private:
  cuplo::Limits seen_;
  std::vector<std::string> warnings_;
  cuplo::Failure failure_ = cuplo::Failure::none;
  std::string detail_;
  std::string explained_;
  std::int64_t index_ = -1;
};

// One library call per point of the equal-length arrays w, s and f, each giving a row of K
// values. A failed point ends the loop when stop is set or its input is invalid; otherwise
// its row is NaN and the loop goes on. Returns (rows as an array (points, K), outcome).
template <std::size_t K, class Call, class Row>
py::tuple over_points(const Floats& w, const Floats& s, const Floats& f, bool stop, Call call,
                      Row row) {
  const py::ssize_t points = w.size();
  if (s.size() != points || f.size() != points) {
    throw py::value_error("w, s and f must have one value per point");
  }
  Floats out({points, static_cast<py::ssize_t>(K)});
  float* o = out.mutable_data();
  const float* pw = w.data();
  const float* ps = s.data();
  const float* pf = f.data();
  Outcome outcome;
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t k = 0; k < points; ++k) {
      const auto r = call(pw[k], ps[k], pf[k]);
      outcome.take(r, k);
      std::array<float, K> values;
      if (r.ok()) {
        values = row(*r);
      } else {
        if (stop || outcome.invalid()) break;
        values.fill(kNan);
      }
      for (std::size_t j = 0; j < K; ++j) o[static_cast<std::size_t>(k) * K + j] = values[j];
    }
  }
  return py::make_tuple(out, outcome.to_python());
}

py::tuple impedance(const SubstrateValues& sub, std::int32_t n, const Floats& w, const Floats& s,
                    const Floats& f, int model, bool stop) {
  const cuplo::Substrate substrate = substrate_of(sub);
  const auto m = static_cast<cuplo::Model>(model);
  return over_points<6>(
      w, s, f, stop,
      [&](float wk, float sk, float fk) {
        return cuplo::impedance(substrate, cuplo::CrossSection{n, wk, sk}, fk, m);
      },
      [](const cuplo::Impedances& z) {
        return std::array<float, 6>{z.zo, z.zoe, z.zoo, z.coupling_db, z.eeff_even, z.eeff_odd};
      });
}

py::tuple dispersion(const SubstrateValues& sub, std::int32_t n, const Floats& w, const Floats& s,
                     const Floats& f, int model, bool stop) {
  const cuplo::Substrate substrate = substrate_of(sub);
  const auto m = static_cast<cuplo::Model>(model);
  return over_points<6>(
      w, s, f, stop,
      [&](float wk, float sk, float fk) {
        return cuplo::dispersion(substrate, cuplo::CrossSection{n, wk, sk}, fk, m);
      },
      [](const cuplo::DispersionPoint& d) {
        return std::array<float, 6>{d.eeff_even, d.eeff_odd, d.eeff_coupler, d.zoe, d.zoo, d.zo};
      });
}

// Rows: zoe, zoo, then the sensitivities of zoe and of zoo to Er, H, S, W and T.
py::tuple sensitivity(const SubstrateValues& sub, std::int32_t n, const Floats& w, const Floats& s,
                      const Floats& f, int mode, int model, bool stop) {
  const cuplo::Substrate substrate = substrate_of(sub);
  const auto m = static_cast<cuplo::Model>(model);
  const auto modes = static_cast<cuplo::Mode>(mode);
  return over_points<12>(
      w, s, f, stop,
      [&](float wk, float sk, float fk) {
        return cuplo::sensitivity(substrate, cuplo::CrossSection{n, wk, sk}, fk, modes, m);
      },
      [](const cuplo::Sensitivity& x) {
        const cuplo::Sensitivities& e = x.zoe_to;
        const cuplo::Sensitivities& o = x.zoo_to;
        return std::array<float, 12>{x.zoe, x.zoo, e.er, e.h, e.s, e.w,
                                     e.t,   o.er,  o.h,  o.s, o.w, o.t};
      });
}

// The S-matrices (frequencies, 4, 4) of the coupler at the frequencies (GHz), every port
// terminated in the reference.
py::tuple response(const SubstrateValues& sub, std::int32_t n, float w, float s, float length,
                   const Floats& frequencies, float reference, int model) {
  const cuplo::Substrate substrate = substrate_of(sub);
  const cuplo::Coupler coupler{{n, w, s}, length};
  const std::span<const float> f(frequencies.data(), static_cast<std::size_t>(frequencies.size()));
  const auto m = static_cast<cuplo::Model>(model);
  py::array_t<std::complex<float>> out({frequencies.size(), py::ssize_t{4}, py::ssize_t{4}});
  std::complex<float>* o = out.mutable_data();
  Outcome outcome;
  {
    py::gil_scoped_release unlocked;
    const cuplo::Result<std::vector<cuplo::FourPort>> r =
        cuplo::response(substrate, coupler, f, reference, m);
    outcome.take(r);
    if (r.ok()) {
      for (const cuplo::FourPort& point : *r) {
        const cuplo::SMatrix matrix = cuplo::s_matrix(point);
        for (const auto& matrix_row : matrix) {
          for (const std::complex<float> x : matrix_row) *o++ = x;
        }
      }
    }
  }
  return py::make_tuple(out, outcome.to_python());
}

// The length that is a quarter wave at f (GHz), or the centre frequency of a length.
py::tuple quarter_wave(const SubstrateValues& sub, std::int32_t n, float w, float s, float f,
                       int model) {
  const cuplo::Result<float> r =
      cuplo::Analysis(substrate_of(sub), {n, w, s}, static_cast<cuplo::Model>(model))
          .quarter_wave_length(f);
  Outcome outcome;
  outcome.take(r);
  return py::make_tuple(r.value_or(kNan), outcome.to_python());
}

py::tuple centre_frequency(const SubstrateValues& sub, std::int32_t n, float w, float s,
                           float length, int model) {
  const cuplo::Result<float> r =
      cuplo::Analysis(substrate_of(sub), {n, w, s}, static_cast<cuplo::Model>(model))
          .centre_frequency(length);
  Outcome outcome;
  outcome.take(r);
  return py::make_tuple(r.value_or(kNan), outcome.to_python());
}

// The process's rules (min_w, min_s, etch; inches) and the unit its lines are worded in:
// micrometres, the unit in which a board or thin-film shop states its rules.
using Rules = std::array<float, 3>;
constexpr cuplo::LengthUnit kRulesUnit = cuplo::LengthUnit::um;

cuplo::Process process_of(const Rules& rules) {
  return {rules[0], rules[1], rules[2]};
}

const char* binding_name(cuplo::Binding binding) {
  switch (binding) {
    case cuplo::Binding::none:
      return "none";
    case cuplo::Binding::width:
      return "width";
    case cuplo::Binding::spacing:
      return "spacing";
  }
  return "unknown";
}

// W and S for a target (zo and coupling, or zoe and zoo), from the static impedances or the
// dispersive ones at f, held to the process's minimums; with f above 0, the quarter-wave
// length there as cuplo-calc gives it. values["binding"] names the minimum that bound,
// values["process"] words it (or is empty) and values["etch"] says why the etch cannot be
// compensated on this design (or is empty).
py::tuple synthesize(const SubstrateValues& sub, std::int32_t n, bool pair, float a, float b,
                     float f, bool dispersive, int model, const Rules& rules) {
  const cuplo::Substrate substrate = substrate_of(sub);
  const auto m = static_cast<cuplo::Model>(model);
  const cuplo::Process process = process_of(rules);
  const cuplo::Target target =
      pair ? cuplo::Target::zoe_and_zoo(a, b) : cuplo::Target::zo_and_coupling(a, b);
  const cuplo::Result<cuplo::FittedSynthesis> r =
      dispersive ? cuplo::synthesize(substrate, n, target, f, process, m)
                 : cuplo::synthesize(substrate, n, target, process, m);
  Outcome outcome;
  outcome.take(r);
  if (!r.ok()) {
    outcome.explain(cuplo::unreachable(r, substrate, n, target,
                                       dispersive ? std::optional<float>(f) : std::nullopt, m,
                                       cuplo::Naming::keyword));
    return py::make_tuple(py::none(), outcome.to_python());
  }
  const cuplo::Synthesis& y = r->synthesis;
  float length = kNan;
  if (f > 0.0f) {
    const cuplo::Result<float> l = cuplo::Analysis(substrate, y.section, m).quarter_wave_length(f);
    outcome.take(l);
    if (!l.ok()) return py::make_tuple(py::none(), outcome.to_python());
    length = *l;
  }
  const cuplo::Impedances& c = y.check;
  py::dict values;
  values["w"] = y.section.w;
  values["s"] = y.section.s;
  values["zo"] = y.zo;
  values["zoe"] = y.zoe;
  values["zoo"] = y.zoo;
  values["coupling_db"] = y.coupling_db;
  values["eeff_even"] = y.eeff_even;
  values["eeff_odd"] = y.eeff_odd;
  values["check"] =
      std::array<float, 6>{c.zo, c.zoe, c.zoo, c.coupling_db, c.eeff_even, c.eeff_odd};
  values["length"] = length;
  values["binding"] = binding_name(r->fit.binding);
  values["process"] = cuplo::describe(r->fit, kRulesUnit);
  values["etch"] = cuplo::uncompensable(process, y.section, kRulesUnit);
  return py::make_tuple(values, outcome.to_python());
}

// The Monte Carlo of a coupler's tolerances, length L (or, with fo above 0, the nominal
// design's quarter wave at fo, judged there). tolerances: (value, relative) for W, S, H, Er,
// T and the etch; spec: (given, low, high) by quantity. Returns (summary, samples, outcome):
// summary a dict of the statistics (None on a failure), samples an array (samples, 12) of
// W, S, H, Er, T and the seven quantities (NaN where a sample failed), or None unless kept.
py::tuple tolerance(const SubstrateValues& sub, std::int32_t n, float w, float s, float length,
                    float fo, float reference, int model,
                    const std::array<std::pair<float, bool>, 6>& tolerances, float etch,
                    int distribution, std::int64_t samples, std::uint64_t seed,
                    const std::array<std::tuple<bool, float, float>, cuplo::kQuantityCount>& spec,
                    bool keep, std::uint32_t threads) {
  cuplo::ToleranceRequest q;
  q.substrate = substrate_of(sub);
  q.coupler = {{n, w, s}, length};
  q.reference_ohm = reference;
  q.model = static_cast<cuplo::Model>(model);
  std::array<cuplo::Tolerance*, 6> into{&q.w, &q.s, &q.h, &q.er, &q.t, &q.etch};
  for (std::size_t i = 0; i < into.size(); ++i) {
    *into[i] = {tolerances[i].first, tolerances[i].second};
  }
  q.nominal_etch = etch;
  q.distribution = static_cast<cuplo::Distribution>(distribution);
  q.samples = samples;
  q.seed = seed;
  q.threads = threads;
  for (std::size_t k = 0; k < spec.size(); ++k) {
    q.spec[k] = {std::get<0>(spec[k]), std::get<1>(spec[k]), std::get<2>(spec[k])};
  }
  q.keep_samples = keep;
  Outcome outcome;
  std::optional<cuplo::Result<cuplo::ToleranceResult>> r;
  {
    py::gil_scoped_release unlocked;
    if (fo > 0.0f) {
      const cuplo::Result<float> l =
          cuplo::Analysis(q.substrate, q.coupler.section, q.model).quarter_wave_length(fo);
      outcome.take(l);
      if (l.ok()) {
        q.coupler.length = *l;
        q.operating_ghz = fo;
      }
    }
    if (!outcome.failed()) r.emplace(cuplo::tolerance(q));
  }
  if (!r) return py::make_tuple(py::none(), py::none(), outcome.to_python());
  outcome.take(*r);
  if (!r->ok()) return py::make_tuple(py::none(), py::none(), outcome.to_python());
  const cuplo::ToleranceResult& t = r->value();
  py::dict summary;
  summary["samples"] = t.samples;
  summary["failed"] = t.failed;
  summary["operating_ghz"] = t.operating_ghz;
  summary["length"] = q.coupler.length;
  py::array_t<double> nominal(cuplo::kQuantityCount);
  py::array_t<double> mean(cuplo::kQuantityCount);
  py::array_t<double> sd(cuplo::kQuantityCount);
  py::array_t<double> points({cuplo::kQuantityCount, cuplo::kPercentiles.size()});
  py::array_t<std::int64_t> passing(cuplo::kQuantityCount);
  for (std::size_t k = 0; k < cuplo::kQuantityCount; ++k) {
    const cuplo::Spread& sp = t.spread[k];
    nominal.mutable_at(k) = static_cast<double>(sp.nominal);
    mean.mutable_at(k) = sp.mean;
    sd.mutable_at(k) = sp.sd;
    passing.mutable_at(k) = t.passing[k];
    for (std::size_t i = 0; i < cuplo::kPercentiles.size(); ++i) {
      points.mutable_at(k, i) = sp.percentile[i];
    }
  }
  summary["nominal"] = nominal;
  summary["mean"] = mean;
  summary["sd"] = sd;
  summary["percentiles"] = points;
  summary["passing"] = passing;
  summary["passing_all"] = t.passing_all;
  if (!keep) return py::make_tuple(summary, py::none(), outcome.to_python());
  constexpr std::size_t kColumns = 5 + cuplo::kQuantityCount;
  Floats drawn({static_cast<py::ssize_t>(t.drawn.size()), static_cast<py::ssize_t>(kColumns)});
  float* o = drawn.mutable_data();
  for (const cuplo::Sample& x : t.drawn) {
    const std::array<float, 5> design{x.w, x.s, x.h, x.er, x.t};
    o = std::copy(design.begin(), design.end(), o);
    for (const float v : x.values) *o++ = x.ok ? v : kNan;
  }
  return py::make_tuple(summary, drawn, outcome.to_python());
}

const char* problem_name(cuplo::layout::Problem::What what) {
  using W = cuplo::layout::Problem::What;
  switch (what) {
    case W::none:
      return "none";
    case W::grid:
      return "grid";
    case W::strips:
      return "strips";
    case W::width:
      return "width";
    case W::spacing:
      return "spacing";
    case W::length:
      return "length";
    case W::feeds:
      return "feeds";
    case W::straps:
      return "straps";
    case W::extent:
      return "extent";
    case W::etch:
      return "etch";
  }
  return "unknown";
}

py::tuple refused(const cuplo::layout::Problem& problem) {
  return py::make_tuple(py::none(), py::none(),
                        py::make_tuple(problem_name(problem.what), problem.message),
                        Outcome().to_python());
}

// The layout of a request (kind 0: a length, 1: a quarter wave at the frequency, 2: targets
// synthesized, held to the process's minimums, and made a quarter wave at the frequency),
// drawn on a grid of grid_nm for the process's etch. Returns (design values, drawing, problem,
// outcome); a problem (what, message) or a failure leaves the first two None. As cuplo-calc:
// given fingers are judged against the grid and the etch before the models, synthesized ones
// after them. values["process"]: the lines of the rules a given design breaks, or of the
// minimum a synthesis stopped at; values["binding"]: that minimum.
py::tuple layout(const SubstrateValues& sub, int kind, std::int32_t n, float w, float s,
                 float length, float frequency, float zo, float coupling, bool dispersive,
                 float reference, float feed_length, std::int32_t grid_nm, const std::string& name,
                 int model, const Rules& rules) {
  using cuplo::layout::Problem;
  cuplo::layout::Request q;
  q.kind = static_cast<cuplo::layout::Request::Kind>(kind);
  q.section = {n, w, s};
  q.length = length;
  q.frequency = frequency;
  q.target = cuplo::Target::zo_and_coupling(zo, coupling);
  q.dispersive = dispersive;
  q.reference_impedance = reference;
  q.feed_length = feed_length;
  q.model = static_cast<cuplo::Model>(model);
  q.process = process_of(rules);
  const bool targets = q.kind == cuplo::layout::Request::Kind::targets;
  if (!targets) {
    const std::string why = cuplo::uncompensable(q.process, q.section, kRulesUnit);
    if (!why.empty()) return refused({Problem::What::etch, why});
    const Problem p = cuplo::layout::on_grid(q.section, grid_nm);
    if (p.what != Problem::What::none) return refused(p);
  }
  const cuplo::Substrate substrate = substrate_of(sub);
  const cuplo::Result<cuplo::layout::Design> r = cuplo::layout::plan(substrate, q);
  if (targets && r.ok()) {
    const Problem p = cuplo::layout::on_grid(r->section, grid_nm);
    if (p.what != Problem::What::none) return refused(p);
  }
  Outcome outcome;
  outcome.take(r);
  if (!r.ok()) {
    if (targets) {
      outcome.explain(cuplo::unreachable(
          r, substrate, n, q.target, dispersive ? std::optional<float>(frequency) : std::nullopt,
          q.model, cuplo::Naming::keyword));
    }
    return py::make_tuple(py::none(), py::none(), py::none(), outcome.to_python());
  }
  const cuplo::layout::Design& d = *r;
  cuplo::layout::Built built = cuplo::layout::draw(d, grid_nm, name);
  if (!built.ok()) return refused(built.problem);
  py::dict values;
  values["w"] = d.section.w;
  values["s"] = d.section.s;
  values["length"] = d.length;
  values["centre_ghz"] = d.centre_ghz;
  values["zo"] = d.zo;
  values["zoe"] = d.zoe;
  values["zoo"] = d.zoo;
  values["coupling_db"] = d.coupling_db;
  values["feed_width"] = d.reference_width;
  values["feed_length"] = d.feed_length;
  values["binding"] = binding_name(d.fit.binding);
  std::vector<std::string> lines = cuplo::breaches(q.process, q.section, kRulesUnit);
  if (targets) {
    lines.clear();
    if (d.fit.binding != cuplo::Binding::none) lines.push_back(cuplo::describe(d.fit, kRulesUnit));
  }
  values["process"] = lines;
  return py::make_tuple(values, std::move(built.drawing), py::none(), outcome.to_python());
}

// Rectangles as rows (x0, y0, x1, y1) in grid units.
py::array_t<std::int32_t> boxes(const std::vector<cuplo::layout::Box>& list) {
  py::array_t<std::int32_t> out({static_cast<py::ssize_t>(list.size()), py::ssize_t{4}});
  std::int32_t* o = out.mutable_data();
  for (const cuplo::layout::Box& b : list) {
    *o++ = b.lo.x;
    *o++ = b.lo.y;
    *o++ = b.hi.x;
    *o++ = b.hi.y;
  }
  return out;
}

void bind_drawing(py::module_& m) {
  using cuplo::layout::Drawing;
  py::class_<Drawing>(m, "Drawing")
      .def_readonly("name", &Drawing::name)
      .def_readonly("description", &Drawing::description)
      .def_readonly("grid_nm", &Drawing::grid_nm)
      .def_readonly("strap_width", &Drawing::strap_width)
      .def_property_readonly("copper",
                             [](const Drawing& d) {
                               std::vector<cuplo::layout::Box> list;
                               for (const cuplo::layout::Piece& p : d.copper) list.push_back(p.box);
                               return boxes(list);
                             })
      .def_property_readonly(
          "conductors",
          [](const Drawing& d) {
            py::array_t<std::uint8_t> out(static_cast<py::ssize_t>(d.copper.size()));
            std::uint8_t* o = out.mutable_data();
            for (const cuplo::layout::Piece& p : d.copper) *o++ = p.conductor;
            return out;
          })
      .def_property_readonly("pads",
                             [](const Drawing& d) {
                               std::vector<cuplo::layout::Box> pads;
                               for (const cuplo::layout::Port& p : d.ports) pads.push_back(p.pad);
                               return boxes(pads);
                             })
      .def_property_readonly("straps",
                             [](const Drawing& d) {
                               std::vector<cuplo::layout::Box> lines;
                               for (const cuplo::layout::Strap& s : d.straps) {
                                 lines.push_back({s.from, s.to});
                               }
                               return boxes(lines);
                             })
      .def_property_readonly("bounds", [](const Drawing& d) { return boxes({d.bounds}); })
      .def("kicad_footprint", &cuplo::layout::kicad_footprint)
      .def("gds_stream",
           [](const Drawing& d, const std::array<std::int16_t, 6>& t) {
             return py::bytes(cuplo::layout::gds_stream(d, {t[0], t[1], t[2], t[3], t[4], t[5]}));
           })
      .def("svg_preview", &cuplo::layout::svg_preview);
}

// Whether a length or frequency text carries its unit: its last character is not part of a
// number. Bare numbers mean inches and GHz to cuplo-calc but metres and hertz here.
bool has_unit(std::string_view text) {
  const std::size_t last = text.find_last_not_of(" \t");
  if (last == std::string_view::npos) return true;  // empty: the parser says what it is
  const char c = text[last];
  return !((c >= '0' && c <= '9') || c == '.');
}

// Every text with units that the package reads comes through here: a number and its unit,
// in the library's unit, with cuplo-calc's words for what is wrong ("h: unknown unit ...").
float parse_quantity(const std::string& argument, const std::string& text,
                     cuplo::Dimension dimension, cuplo::Bound bound) {
  using cuplo::Dimension;
  if ((dimension == Dimension::length || dimension == Dimension::frequency) && !has_unit(text)) {
    const bool length = dimension == Dimension::length;
    throw py::value_error(argument + ": " + cuplo::quoted(text) + " has no unit: give " +
                          (length ? "metres as a number, or a text with in, mil, mm or um"
                                  : "hertz as a number, or a text with GHz, MHz, kHz or Hz"));
  }
  const cuplo::Parsed<float> value = cuplo::parse_value(argument, text, {dimension, bound, {}});
  if (!value) throw py::value_error(value.message());
  return value.value();
}

// Limits as cuplo-calc reads its --spec options: (low, high) of the quantity (its index in
// TOLERANCE_QUANTITIES) as the samples give it, in the library's units.
std::pair<float, float> parse_limits(const std::string& argument, const std::string& text,
                                     int quantity) {
  if (quantity < 0 || quantity >= static_cast<int>(cuplo::kQuantityCount)) {
    throw py::value_error(argument + ": no such quantity");
  }
  const cuplo::Parsed<cuplo::Window> w =
      cuplo::parse_limits(argument, text, static_cast<cuplo::Quantity>(quantity));
  if (!w) throw py::value_error(w.message());
  return {w->low, w->high};
}

}  // namespace

PYBIND11_MODULE(_core, m) {
  m.doc() = "The coupler library, in its own units (inches, GHz, ohms, dB); see cuplo.";
  using cuplo::Bound;
  using cuplo::Dimension;
  py::enum_<Dimension>(m, "Dimension")
      .value("length", Dimension::length)
      .value("frequency", Dimension::frequency)
      .value("impedance", Dimension::impedance)
      .value("decibel", Dimension::decibel)
      .value("plain", Dimension::plain);
  py::enum_<Bound>(m, "Bound")
      .value("positive", Bound::positive)
      .value("non_negative", Bound::non_negative)
      .value("at_least_one", Bound::at_least_one)
      .value("nonzero", Bound::nonzero)
      .value("strips", Bound::strips);
  m.def("parse_quantity", &parse_quantity);
  m.def("parse_limits", &parse_limits);
  m.def("bound_text", [](cuplo::Bound bound) { return cuplo::describe(bound); });
  m.def("version", &cuplo::version);
  m.def("impedance", &impedance);
  m.def("dispersion", &dispersion);
  m.def("sensitivity", &sensitivity);
  m.def("response", &response);
  m.def("quarter_wave", &quarter_wave);
  m.def("centre_frequency", &centre_frequency);
  m.def("synthesize", &synthesize);
  m.attr("BEYOND_PROCESS") = std::string(cuplo::kBeyondProcess);
  m.def("tolerance", &tolerance);
  bind_drawing(m);
  m.def("layout", &layout);
}
