// layout: the designed coupler as a KiCad footprint, a GDSII mask or an SVG preview (-o's
// extension chooses), from its geometry or synthesized from targets as synthesize does. The
// design values go to standard error as a table, or to standard output with --format.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"
#include "cuplo/layout.hpp"
#include "cuplo/reach.hpp"

#include <CLI/CLI.hpp>

namespace cuplo::calc {
namespace {

using cuplo::layout::Problem;

constexpr double kNanometresPerInch = 25.4e6;
constexpr float kDefaultReferenceOhms = 50.0f;
constexpr std::int32_t kMaxGridNm = 1'000'000;  // a 1 mm grid: coarser draws no coupler

enum class Kind { footprint, mask, preview };

std::string text(float v) {
  char out[kMaxValueText];
  return {out, write_float(out, v)};
}

// A length for a message, in the unit of the run: "3.93700805e-10 in".
std::string text(float inches, LengthUnit units) {
  char out[kMaxValueText];
  return std::string(out, cuplo::write_length(out, inches, units)) + " " + cuplo::name(units);
}

class Layout final : public DesignCommand {
 public:
  Layout()
      : DesignCommand("layout", "the coupler as a KiCad footprint, a GDSII mask or an SVG preview",
                      {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s,
                                 Field::l, Field::f, Field::zo, Field::coupling},
                       .sweepable = {},
                       .required = {Field::n, Field::er, Field::h, Field::t}}) {}

 private:
  void add_own_options(CLI::App& app, OptionWords& words) override {
    CLI::Option* dispersive = app.add_flag("--dispersive", dispersive_,
                                           "synthesize from the dispersive impedances at --f");
    fo_ = app.add_option("--fo", fo_text_, "centre frequency: the length is a quarter wave there");
    fo_->type_name("FREQUENCY");
    app.add_option("--reference", reference_text_,
                   "impedance of the feed lines, which sets their width (default 50 ohm)")
        ->type_name("OHMS");
    app.add_option("--feed-length", feed_text_,
                   "feed line from the coupler to its pad (default 2 substrate heights)")
        ->type_name("LENGTH");
    app.add_option("--grid", grid_text_, "the mask's database unit (default 1 nm)")
        ->type_name("LENGTH");
    words.exclude({fo_}, {option(Field::l)}, "give --l or --fo, not both");
    words.exclude({option(Field::zo), option(Field::coupling), option(Field::f), dispersive},
                  {option(Field::w), option(Field::s), option(Field::l), fo_},
                  "the coupler is given by its geometry (--w, --s, --l or --fo) or by targets "
                  "(--zo, --coupling, --f, --dispersive), not both");
  }

  bool geometry_given(const Design& d) const override {
    return !targets(d) && d.has(Field::w) && d.has(Field::s);
  }
  bool targets(const Design& d) const {
    return d.given(Field::zo) || d.given(Field::coupling) || d.given(Field::f) || dispersive_;
  }

  // The drawing's file, by its extension and its folder, before anything is computed.
  void check_output(const CommonOptions& common) const override {
    (void)kind_of(common.output);
    check_output_path(common.output);
  }

  int compute(const Design& d, const CommonOptions& common) override {
    const Kind kind = kind_of(common.output);
    const LengthUnit units = common.length_unit();
    const Inputs in = read(d, units);

    // Without --format the values are a table on standard error: standard output stays free.
    CommonOptions values = common;
    values.output.clear();
    if (common.format.empty()) values.format = "table";
    Report report(values, name(),
                  {Column::of_length("w", "W"),
                   Column::of_length("s", "S"),
                   Column::of_length("l", "L"),
                   {"f_ghz", "Fo (GHz)"},
                   {"zo_ohm", "Zo (ohm)"},
                   {"zoe_ohm", "Zoe (ohm)"},
                   {"zoo_ohm", "Zoo (ohm)"},
                   {"coupling_db", "Co (dB)"},
                   Column::of_length("feed_width", "feed W"),
                   Column::of_length("feed_length", "feed L"),
                   Column::of_length("strap_width", "strap")},
                  entries(d, in), {}, common.format.empty());

    cuplo::layout::Design design;
    if (!solve(report, d, in, units, common.model_choice(), design)) return report.status();
    const std::string stem = std::filesystem::path(common.output).stem().string();
    const cuplo::layout::Built built = cuplo::layout::draw(design, in.grid_nm, stem);
    if (!built.ok()) throw UsageError(refusal(d, in, built.problem, units));

    Destination file(common.output, false);
    switch (kind) {
      case Kind::footprint:
        file.write(cuplo::layout::kicad_footprint(built.drawing));
        break;
      case Kind::mask:
        file.write(cuplo::layout::gds_stream(built.drawing, now()));
        break;
      case Kind::preview:
        file.write(cuplo::layout::svg_preview(built.drawing));
        break;
    }
    file.commit();
    const double strap_nm = static_cast<double>(built.drawing.strap_width) * in.grid_nm;
    report.row({design.section.w, design.section.s, design.length, design.centre_ghz, design.zo,
                design.zoe, design.zoo, design.coupling_db, design.reference_width,
                design.feed_length, static_cast<float>(strap_nm / kNanometresPerInch)});
    return report.finish();
  }

 private:
  // The file to write, by -o's extension.
  static Kind kind_of(const std::string& path) {
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension == ".kicad_mod") return Kind::footprint;
    if (extension == ".gds") return Kind::mask;
    if (extension == ".svg") return Kind::preview;
    if (path.empty() || path == "-") {
      throw UsageError("-o: the layout is a file: give -o NAME.kicad_mod, NAME.gds or NAME.svg");
    }
    throw UsageError("-o: " + in_quotes(path) +
                     ": the extension chooses the file: .kicad_mod, .gds or .svg");
  }

  // What the options ask for, beyond the design's values.
  struct Inputs {
    bool targets = false;  // synthesize from --zo, --coupling and --f
    bool by_fo = false;    // geometry made a quarter wave at --fo
    float fo = 0.0f;       // GHz, with by_fo
    float reference = kDefaultReferenceOhms;
    float feed_length = 0.0f;  // inches
    std::int32_t grid_nm = 1;
  };

  // The targets and the geometry exclude each other (the parser has seen to it): typing
  // one of either chooses it, and the defaults file alone gives the geometry.
  Inputs read(const Design& d, LengthUnit units) const {
    Inputs in;
    in.targets = targets(d);
    in.by_fo = !in.targets && fo_->count() > 0;
    if (in.by_fo) {
      in.fo = read_value("--fo", fo_text_,
                         {Dimension::frequency, Bound::positive, cuplo::Plausible::frequency});
    }
    if (!reference_text_.empty()) {
      in.reference =
          read_value("--reference", reference_text_, {Dimension::impedance, Bound::positive, {}});
    }
    in.feed_length =
        feed_text_.empty()
            ? cuplo::layout::kFeedLengthInHeights * d.value(Field::h)
            : read_value("--feed-length", feed_text_,
                         {Dimension::length, Bound::non_negative, cuplo::Plausible::length}, units);
    in.grid_nm = grid(units);
    if (in.targets) {
      d.require({Field::zo, Field::coupling, Field::f});
      if (!(d.value(Field::f) > 0.0f)) {
        throw UsageError("--f: " + text(d.value(Field::f)) +
                         " GHz: the coupler is a quarter wave at --f, which must be above 0");
      }
    } else {
      d.require(in.by_fo ? std::initializer_list<Field>{Field::w, Field::s}
                         : std::initializer_list<Field>{Field::w, Field::s, Field::l});
    }
    return in;
  }

  // The JSON design: the values used, how the coupler was given, and the layout's own.
  std::vector<DesignEntry> entries(const Design& d, const Inputs& in) const {
    std::vector<DesignEntry> out = in.targets ? d.entries({Field::w, Field::s, Field::l})
                                   : in.by_fo
                                       ? d.entries({Field::l, Field::f, Field::zo, Field::coupling})
                                       : d.entries({Field::f, Field::zo, Field::coupling});
    if (in.by_fo) out.push_back(DesignEntry::of_number("fo_ghz", in.fo));
    out.push_back(DesignEntry::of_word("input", in.targets ? "targets" : "geometry"));
    if (in.targets) {
      out.push_back(DesignEntry::of_word("impedances", dispersive_ ? "dispersive" : "static"));
    }
    out.push_back(DesignEntry::of_number("reference_ohm", in.reference));
    out.push_back(DesignEntry::of_number("feed_length", in.feed_length, true));
    out.push_back(
        DesignEntry::of_number("grid", static_cast<float>(in.grid_nm / kNanometresPerInch), true));
    return out;
  }

  // The design as the library plans it: the cross-section, its length and centre frequency,
  // the coupler analysed there, and the feed width. Fingers the grid cannot draw are refused
  // before the models' warnings; a synthesis that found no strips names the range the
  // substrate reaches. False when the report stops the run.
  bool solve(Report& report, const Design& d, const Inputs& in, LengthUnit units,
             cuplo::Model model, cuplo::layout::Design& out) const {
    using Given = cuplo::layout::Request::Kind;
    const cuplo::Substrate sub = d.substrate();
    cuplo::layout::Request q;
    q.kind = in.targets ? Given::targets : in.by_fo ? Given::centre_frequency : Given::length;
    q.section = {d.strips(), 0.0f, 0.0f};
    if (in.targets) {
      q.frequency = d.value(Field::f);
      q.target = cuplo::Target::zo_and_coupling(d.value(Field::zo), d.value(Field::coupling));
      q.dispersive = dispersive_;
    } else {
      q.section.w = d.value(Field::w);
      q.section.s = d.value(Field::s);
      if (in.by_fo) q.frequency = in.fo;
      if (!in.by_fo) q.length = d.value(Field::l);
    }
    q.reference_impedance = in.reference;
    q.feed_length = in.feed_length;
    q.model = model;
    q.process = process();
    const auto check_grid = [&](const cuplo::CrossSection& xs) {
      const Problem p = cuplo::layout::on_grid(xs, in.grid_nm);
      if (p.what != Problem::What::none) throw UsageError(refusal(d, in, p, units));
    };
    if (!in.targets) check_grid(q.section);
    const cuplo::Result<cuplo::layout::Design> r = cuplo::layout::plan(sub, q);
    if (in.targets && r.ok()) check_grid(r->section);
    if (!r && r.failure() == cuplo::Failure::invalid_input &&
        std::string_view(r.detail()).starts_with("reference")) {
      throw UsageError("--reference: " + text(in.reference) +
                       " ohm: no microstrip on this substrate has that impedance");
    }
    const std::string failure =
        cuplo::beyond_process(r) ? beyond_process(q.target.zo)
        : in.targets             ? cuplo::unreachable(
                                       r, sub, q.section.n, q.target,
                           dispersive_ ? std::optional<float>(q.frequency) : std::nullopt, model)
                     : std::string();
    if (!report.accept(r, {}, failure)) return false;
    out = *r;
    return out.fit.binding == cuplo::Binding::none ||
           report.caution(cuplo::describe(out.fit, units));
  }

  // The grid in whole nanometres: the footprint's coordinates are nanometres, so a finer or
  // fractional grid could not be drawn the same in both files.
  std::int32_t grid(LengthUnit units) const {
    if (grid_text_.empty()) return 1;
    const float inches =
        read_value("--grid", grid_text_, {Dimension::length, Bound::positive, {}}, units);
    const double nm = static_cast<double>(inches) * kNanometresPerInch;
    const double whole = std::round(nm);
    if (!(whole >= 1.0 && whole <= kMaxGridNm && std::fabs(nm - whole) <= 1e-4 * whole)) {
      throw UsageError("--grid: " + in_quotes(grid_text_) +
                       " is not a whole number of nanometres from 1 nm to 1 mm");
    }
    return static_cast<std::int32_t>(whole);
  }

  // The option whose value a drawing problem comes from, with that value, and the reason.
  std::string refusal(const Design& d, const Inputs& in, const Problem& problem,
                      LengthUnit units) const {
    const bool targets = in.targets;
    const std::string grid = "--grid: " + (grid_text_.empty() ? "1 nm" : in_quotes(grid_text_));
    const std::string length = targets    ? "--f: " + text(d.value(Field::f)) + " GHz"
                               : in.by_fo ? "--fo: " + in_quotes(fo_text_)
                                          : "--l: " + text(d.value(Field::l), units);
    std::string option;
    switch (problem.what) {
      case Problem::What::width:  // synthesized fingers: the grid is too coarse for them
        option = targets ? grid : "--w: " + text(d.value(Field::w), units);
        break;
      case Problem::What::spacing:
        option = targets ? grid : "--s: " + text(d.value(Field::s), units);
        break;
      case Problem::What::feeds:
        option = "--reference: " + text(in.reference) + " ohm";
        break;
      case Problem::What::length:
      case Problem::What::straps:
        option = length;
        break;
      case Problem::What::extent:
        option = feed_text_.empty() ? length : "--feed-length: " + in_quotes(feed_text_);
        break;
      case Problem::What::strips:
        option = "--n: " + std::to_string(d.strips());
        break;
      case Problem::What::etch:
        option = "--etch: " + text(process().etch, units);
        break;
      case Problem::What::grid:
      case Problem::What::none:
        option = grid;
        break;
    }
    return option + ": " + problem.message;
  }

  // The mask's library and cell times: UTC now, or the time SOURCE_DATE_EPOCH gives in
  // seconds since 1970 (the reproducible-builds convention), so that two runs can write the
  // same bytes. A value that is not such a number is refused rather than ignored.
  static cuplo::layout::Timestamp now() {
    std::time_t t = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
      const std::string_view text(epoch);
      long long seconds = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
      // Up to the last second of the year 9999, the last a GDSII year field need hold.
      if (text.empty() || ec != std::errc() || end != text.data() + text.size() || seconds < 0 ||
          seconds > 253402300799LL) {
        throw UsageError("SOURCE_DATE_EPOCH: " + in_quotes(text) +
                         " is not a number of seconds since 1970 up to the year 9999");
      }
      t = static_cast<std::time_t>(seconds);
    }
    std::tm utc{};
    if (gmtime_r(&t, &utc) == nullptr) return {};
    return {
        static_cast<std::int16_t>(utc.tm_year + 1900), static_cast<std::int16_t>(utc.tm_mon + 1),
        static_cast<std::int16_t>(utc.tm_mday),        static_cast<std::int16_t>(utc.tm_hour),
        static_cast<std::int16_t>(utc.tm_min),         static_cast<std::int16_t>(utc.tm_sec)};
  }

  bool dispersive_ = false;
  CLI::Option* fo_ = nullptr;
  std::string fo_text_;
  std::string reference_text_;
  std::string feed_text_;
  std::string grid_text_;
};

}  // namespace

std::unique_ptr<Command> make_layout() {
  return std::make_unique<Layout>();
}

}  // namespace cuplo::calc
