// tolerance: a Monte Carlo of the coupler over its manufacturing tolerances. The design as
// response takes it (--l, or --fo with the length a quarter wave there); each tolerance
// absolute with its unit or in percent; the percentiles of what the samples do at the
// operating frequency, and the yield against the limits given.
#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"
#include "cuplo/tolerance.hpp"

namespace cuplo::calc {
namespace {

using cuplo::Quantity;

constexpr float kDefaultReferenceOhms = 50.0f;

// A tolerance option: its name, its key in the JSON design, the dimension of its absolute
// form, and its help.
struct TolSpec {
  const char* option;
  const char* key;
  Dimension dimension;
  const char* help;
};

constexpr std::array<TolSpec, 6> kTolerances{{
    {"--w-tol", "w_tol", Dimension::length, "tolerance of W: a length, or a percentage of W"},
    {"--s-tol", "s_tol", Dimension::length, "tolerance of S: a length, or a percentage of S"},
    {"--h-tol", "h_tol", Dimension::length, "tolerance of H: a length, or a percentage of H"},
    {"--er-tol", "er_tol", Dimension::plain, "tolerance of Er: a number, or a percentage of Er"},
    {"--t-tol", "t_tol", Dimension::length, "tolerance of T: a length, or a percentage of T"},
    {"--etch-tol", "etch_tol", Dimension::length,
     "tolerance of the etch per edge (W - 2e and S + 2e together): a length, or a percentage "
     "of --etch"},
}};

// A limit option: its name, its key in the JSON design and the quantity it judges.
struct SpecOption {
  const char* option;
  const char* key;
  Quantity quantity;
  const char* help;
};

constexpr std::array<SpecOption, 4> kSpecs{{
    {"--spec-coupling", "spec_coupling", Quantity::coupling_db, "coupling limits, e.g. 3+-0.5dB"},
    {"--spec-balance", "spec_balance", Quantity::balance_db,
     "largest amplitude imbalance |S21|/|S41|, e.g. 0.5dB"},
    {"--spec-phase", "spec_phase", Quantity::phase_deg, "phase difference limits, e.g. 90+-3deg"},
    {"--spec-fo", "spec_fo", Quantity::fo_ghz, "centre frequency limits, e.g. 5.8GHz+-2%"},
}};

// The columns' heads, by Quantity, and the statistic rows.
constexpr std::array<const char*, kQuantityCount> kHeads{
    "Zo (ohm)", "Co (dB)", "Fo (GHz)", "balance (dB)", "phase (deg)", "isolation (dB)", "RL (dB)"};
constexpr std::array<const char*, kPercentiles.size()> kPercentileRows{"p1", "p5", "p50", "p95",
                                                                       "p99"};

class Tolerance final : public DesignCommand {
 public:
  Tolerance()
      : DesignCommand("tolerance",
                      "Monte Carlo of the coupler over its manufacturing tolerances: percentiles "
                      "and yield",
                      {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s,
                                 Field::l, Field::res, Field::sr, Field::dltan},
                       .sweepable = {},
                       .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s}}) {
  }

 private:
  void add_own_options(CLI::App& app, OptionWords& words) override {
    fo_ = app.add_option("--fo", fo_text_,
                         "centre frequency: the length is the nominal design's quarter wave there");
    fo_->type_name("FREQUENCY");
    words.exclude({fo_}, {option(Field::l)}, "give --l or --fo, not both");
    app.add_option("--reference", reference_text_, "every port's termination (default 50 ohm)")
        ->type_name("OHMS");
    for (std::size_t i = 0; i < kTolerances.size(); ++i) {
      app.add_option(kTolerances[i].option, tol_text_[i], kTolerances[i].help)
          ->type_name("TOL|PERCENT%");
    }
    words
        .add_choice(app, "--distribution", distribution_, {"normal", "uniform"},
                    "normal (a tolerance is three standard deviations; the default) or uniform "
                    "(a tolerance is the half-width)")
        ->type_name("KIND");
    app.add_option("--samples", samples_text_, "number of samples, 1 to 1000000 (default 10000)")
        ->type_name("N");
    app.add_option("--seed", seed_text_,
                   "the random numbers' seed, 0 to 2^64 - 1 (default 1): the same seed gives "
                   "the same samples on every machine")
        ->type_name("N");
    for (std::size_t i = 0; i < kSpecs.size(); ++i) {
      app.add_option(kSpecs[i].option, spec_text_[i], kSpecs[i].help)->type_name("LIMITS");
    }
    app.add_option("--samples-out", samples_out_,
                   "write every sample to FILE as CSV: its design values and results")
        ->type_name("FILE");
  }

  void check_output(const CommonOptions& common) const override {
    DesignCommand::check_output(common);
    if (!samples_out_.empty()) check_output_path(samples_out_, "--samples-out");
  }

  int compute(const Design& d, const CommonOptions& common) override {
    const LengthUnit units = common.length_unit();
    cuplo::ToleranceRequest q;
    q.substrate = d.substrate();
    q.coupler.section = {d.strips(), d.value(Field::w), d.value(Field::s)};
    q.model = common.model_choice();
    q.nominal_etch = process().etch;
    q.distribution =
        distribution_ == "uniform" ? cuplo::Distribution::uniform : cuplo::Distribution::normal;
    q.keep_samples = !samples_out_.empty();
    if (!reference_text_.empty()) {
      q.reference_ohm =
          read_value("--reference", reference_text_, {Dimension::impedance, Bound::positive, {}});
    }
    const bool by_fo = fo_->count() > 0;
    float fo = 0.0f;
    if (by_fo) {
      fo = read_value("--fo", fo_text_,
                      {Dimension::frequency, Bound::positive, cuplo::Plausible::frequency});
    } else {
      d.require({Field::l});
      q.coupler.length = d.value(Field::l);
    }
    std::array<cuplo::Tolerance*, 6> tols{&q.w, &q.s, &q.h, &q.er, &q.t, &q.etch};
    for (std::size_t i = 0; i < kTolerances.size(); ++i) {
      if (!tol_text_[i].empty()) *tols[i] = read_tolerance(i, units);
    }
    q.samples = whole("--samples", samples_text_, 10'000, 1, cuplo::kMaxSamples);
    q.seed = seed();
    for (std::size_t i = 0; i < kSpecs.size(); ++i) {
      if (!spec_text_[i].empty()) {
        q.spec[static_cast<std::size_t>(kSpecs[i].quantity)] = read_spec(i);
      }
    }
    refuse_undrawable(q);

    Report report(common, name(), columns(), entries(d, q, by_fo, fo));
    if (by_fo) {
      const cuplo::Result<float> l =
          cuplo::Analysis(q.substrate, q.coupler.section, q.model).quarter_wave_length(fo);
      if (!report.accept(l)) return report.status();
      q.coupler.length = *l;
      q.operating_ghz = fo;
    }
    const cuplo::Result<cuplo::ToleranceResult> r = cuplo::tolerance(q);
    if (!report.accept(r)) return report.status();
    const cuplo::ToleranceResult& t = *r;
    if (t.failed > 0 &&
        !report.caution(std::to_string(t.failed) + " of " + std::to_string(t.samples) +
                        " samples could not be analysed (a value the models do not take): "
                        "they are left out of the percentiles and counted outside every limit")) {
      return report.status();
    }
    write_rows(report, q, t);
    if (!samples_out_.empty()) write_samples(t, units, q.coupler.length);
    return report.finish();
  }

  cuplo::Tolerance read_tolerance(std::size_t i, LengthUnit units) const {
    const cuplo::Parsed<cuplo::Tolerance> t = cuplo::parse_tolerance(
        kTolerances[i].option, tol_text_[i], kTolerances[i].dimension, units);
    if (!t) throw UsageError(t.message());
    return *t;
  }

  cuplo::Window read_spec(std::size_t i) const {
    const cuplo::Parsed<cuplo::Window> w =
        cuplo::parse_limits(kSpecs[i].option, spec_text_[i], kSpecs[i].quantity);
    if (!w) throw UsageError(w.message());
    return *w;
  }

  static std::int64_t whole(const char* option, const std::string& text, std::int64_t fallback,
                            std::int64_t low, std::int64_t high) {
    if (text.empty()) return fallback;
    std::int64_t v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) {
      throw UsageError(std::string(option) + ": " + in_quotes(text) +
                       " is not a whole number from " + std::to_string(low) + " to " +
                       std::to_string(high));
    }
    return v;
  }

  std::uint64_t seed() const {
    if (seed_text_.empty()) return 1;
    std::uint64_t v = 0;
    const auto [end, ec] =
        std::from_chars(seed_text_.data(), seed_text_.data() + seed_text_.size(), v);
    if (ec != std::errc() || end != seed_text_.data() + seed_text_.size()) {
      throw UsageError("--seed: " + in_quotes(seed_text_) +
                       " is not a whole number from 0 to 18446744073709551615");
    }
    return v;
  }

  // A tolerance the samples cannot be drawn with, named by its option.
  void refuse_undrawable(const cuplo::ToleranceRequest& q) const {
    const char* why = cuplo::invalid(q);
    if (why == nullptr) return;
    const std::string_view detail(why);
    for (std::size_t i = 0; i < kTolerances.size(); ++i) {
      if (!detail.starts_with(kTolerances[i].key)) continue;
      const std::string_view reason = detail.substr(detail.find(':') + 2);
      const std::string_view etch = "etch_tol";
      throw UsageError(
          std::string(kTolerances[i].option) + ": " + in_quotes(tol_text_[i]) + " is " +
          std::string(reason) +
          (detail.starts_with(etch) && q.etch.relative ? " (a percentage of --etch)" : "") +
          ": samples would draw couplers that cannot exist");
    }
    throw UsageError(std::string(why));
  }

  static std::vector<Column> columns() {
    std::vector<Column> out{{"statistic", "statistic"}};
    for (std::size_t k = 0; k < kQuantityCount; ++k) out.push_back({kQuantityKeys[k], kHeads[k]});
    out.push_back({"all_limits", "all limits"});
    return out;
  }

  // The statistics, one row each: nominal, the percentiles, mean, standard deviation; and the
  // yield in percent, of each quantity that has limits and of all of them.
  static void write_rows(Report& report, const cuplo::ToleranceRequest& q,
                         const cuplo::ToleranceResult& t) {
    std::vector<Cell> cells(kQuantityCount + 2);
    const auto emit = [&](const char* word, auto&& value_of) {
      cells[0] = Cell::of_word(word);
      for (std::size_t k = 0; k < kQuantityCount; ++k) cells[k + 1] = value_of(k);
      cells.back() = Cell::none();
      report.row(cells);
    };
    emit("nominal", [&](std::size_t k) { return Cell(t.spread[k].nominal); });
    for (std::size_t i = 0; i < kPercentiles.size(); ++i) {
      emit(kPercentileRows[i],
           [&](std::size_t k) { return Cell(static_cast<float>(t.spread[k].percentile[i])); });
    }
    emit("mean", [&](std::size_t k) { return Cell(static_cast<float>(t.spread[k].mean)); });
    emit("sd", [&](std::size_t k) { return Cell(static_cast<float>(t.spread[k].sd)); });
    const auto percent = [&](std::int64_t n) {
      return static_cast<float>(100.0 * static_cast<double>(n) / static_cast<double>(t.samples));
    };
    bool any = false;
    cells[0] = Cell::of_word("yield_pct");
    for (std::size_t k = 0; k < kQuantityCount; ++k) {
      cells[k + 1] = q.spec[k].given ? Cell(percent(t.passing[k])) : Cell::none();
      any = any || q.spec[k].given;
    }
    cells.back() = Cell(percent(t.passing_all));
    if (any) report.row(cells);
    report.add_member("samples", std::to_string(t.samples));
    report.add_member("failed", std::to_string(t.failed));
    char f[kMaxValueText];
    report.add_member("operating_ghz", std::string(f, write_float(f, t.operating_ghz)));
  }

  // One CSV row per sample: its index, design values (impedance's keys) and results.
  void write_samples(const cuplo::ToleranceResult& t, LengthUnit units, float length) const {
    std::vector<Column> columns{{"sample", "sample"},
                                Column::of_length("w", "W"),
                                Column::of_length("s", "S"),
                                Column::of_length("h", "H"),
                                {"er", "Er"},
                                Column::of_length("t", "T")};
    for (std::size_t k = 0; k < kQuantityCount; ++k)
      columns.push_back({kQuantityKeys[k], kHeads[k]});
    (void)length;
    const Document doc{name(), {}, columns, units, {}};
    Destination file(samples_out_, false);
    const std::unique_ptr<RowWriter> csv = make_writer(Format::csv, doc, file);
    csv->begin();
    std::vector<Cell> cells(columns.size());
    for (std::size_t i = 0; i < t.drawn.size(); ++i) {
      const cuplo::Sample& x = t.drawn[i];
      cells[0] = static_cast<float>(i);
      cells[1] = x.w;
      cells[2] = x.s;
      cells[3] = x.h;
      cells[4] = x.er;
      cells[5] = x.t;
      for (std::size_t k = 0; k < kQuantityCount; ++k) {
        cells[6 + k] = x.ok ? Cell(x.values[k]) : Cell::none();
      }
      csv->row(cells);
    }
    csv->end({});
    file.commit();
  }

  std::vector<DesignEntry> entries(const Design& d, const cuplo::ToleranceRequest& q, bool by_fo,
                                   float fo) const {
    std::vector<DesignEntry> out =
        d.entries(by_fo ? std::initializer_list<Field>{Field::l} : std::initializer_list<Field>{});
    if (by_fo) out.push_back(DesignEntry::of_number("fo_ghz", fo));
    out.push_back(DesignEntry::of_number("reference_ohm", q.reference_ohm));
    for (std::size_t i = 0; i < kTolerances.size(); ++i) {
      if (!tol_text_[i].empty())
        out.push_back(DesignEntry::of_word(kTolerances[i].key, tol_text_[i]));
    }
    out.push_back(
        DesignEntry::of_word("distribution", distribution_.empty() ? "normal" : distribution_));
    out.push_back(DesignEntry::of_word("seed", std::to_string(q.seed)));
    for (std::size_t i = 0; i < kSpecs.size(); ++i) {
      if (!spec_text_[i].empty()) out.push_back(DesignEntry::of_word(kSpecs[i].key, spec_text_[i]));
    }
    return out;
  }

  CLI::Option* fo_ = nullptr;
  std::string fo_text_;
  std::string reference_text_;
  std::array<std::string, 6> tol_text_{};
  std::string distribution_;
  std::string samples_text_;
  std::string seed_text_;
  std::array<std::string, 4> spec_text_{};
  std::string samples_out_;
};

}  // namespace

std::unique_ptr<Command> make_tolerance() {
  return std::make_unique<Tolerance>();
}

}  // namespace cuplo::calc
