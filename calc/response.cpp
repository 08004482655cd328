// response: the coupler as a four-port over frequency, its scattering matrix referred to one
// impedance Z at every port (the library's s_matrix: the symmetric 4x4 from the waves of the
// even/odd-mode analysis with every port terminated in Z), as Touchstone (version 1.1, .s4p),
// CSV, JSON or a table.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"
#include "cuplo/touchstone.hpp"

namespace cuplo::calc {
namespace {

using Pairs = cuplo::TouchstonePairs;

// ma, db or ri, as the parser has checked it (any case, given as listed); ma when not given.
Pairs read_pairs(const std::string& text) {
  if (text == "db") return Pairs::db;
  if (text == "ri") return Pairs::ri;
  return Pairs::ma;
}

void append_float(std::string& out, float value, bool length = false,
                  LengthUnit units = LengthUnit::in) {
  char text[kMaxValueText];
  out.append(text, write_value(text, value, length, units));
}

// A design entry as a comment: "h_in = 0.025", and the note of a computed one.
void append_entry(std::string& out, const DesignEntry& e, std::string_view note, LengthUnit units) {
  out += written_key(e.key, e.length, units);
  out += " = ";
  switch (e.kind) {
    case DesignEntry::Kind::number:
      append_float(out, e.sweep.start, e.length, units);
      break;
    case DesignEntry::Kind::integer:
      out += std::to_string(e.integer);
      break;
    case DesignEntry::Kind::word:
      out += e.word;
      break;
    case DesignEntry::Kind::sweep:
      append_float(out, e.sweep.start, e.length, units);
      out += ':';
      append_float(out, e.sweep.stop, e.length, units);
      out += ':';
      append_float(out, e.sweep.step, e.length, units);
      out += " (" + std::to_string(e.sweep.points()) + " points)";
      break;
  }
  out += note;
}

// Touchstone 1.1, four ports, by the library's writer: the program and every design value
// in the head's comments, a record per frequency, the warnings (known only at the end)
// after the data, where comments may stand too.
class TouchstoneWriter final : public RowWriter {
 public:
  // by_fo: the length was made a quarter wave at fo_ghz; otherwise fo_ghz is the centre
  // frequency of the length given.
  TouchstoneWriter(const Document& document, Destination& destination, Pairs pairs, float reference,
                   bool by_fo)
      : document_(document),
        destination_(destination),
        pairs_(pairs),
        reference_(reference),
        by_fo_(by_fo) {}

  void begin() override {
    std::vector<std::string> comments{
        "cuplo-calc " + std::string(cuplo::version()) +
            " response: interdigitated microstrip coupler, S-parameters",
        "ports: 1 input, 2 coupled, 3 isolated, 4 through; 1 and 2 at one end, 3 and 4 at the "
        "other"};
    const std::string length_key = written_key("l", true, document_.units);
    const std::string centre_note =
        " (centre frequency: " + length_key + " is a quarter wave there)";
    for (const DesignEntry& e : document_.design) {
      std::string_view note;
      if (e.key == "l" && e.length && by_fo_) note = " (a quarter wave at fo_ghz)";
      if (e.key == "fo_ghz" && !by_fo_) note = centre_note;
      append_entry(comments.emplace_back(), e, note, document_.units);
    }
    destination_.write(cuplo::touchstone_head(comments, pairs_, reference_));
  }

  // A row's cells are the nine numbers of cuplo::touchstone_numbers. Nothing allocated per
  // row: the record reuses one buffer and goes out in one write.
  void row(std::span<const Cell> cells) override {
    std::array<float, 9> numbers{};
    for (std::size_t k = 0; k < numbers.size(); ++k) numbers[k] = cells[k].value;
    record_.clear();
    cuplo::append_touchstone_record(record_, numbers);
    destination_.write(record_);
  }

  void end(std::span<const std::string> warnings) override {
    std::vector<std::string> lines;
    for (const std::string& w : warnings) lines.push_back("warning: " + w);
    destination_.write(cuplo::touchstone_comments(lines));
  }

 private:
  const Document& document_;
  Destination& destination_;
  Pairs pairs_;
  float reference_;
  bool by_fo_;
  std::string record_;
};

class Response final : public DesignCommand {
 public:
  Response()
      : DesignCommand(
            "response",
            "the coupler's four-port S-matrix over frequency (Touchstone .s4p, CSV or JSON)",
            {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::l,
                       Field::f, Field::res, Field::sr, Field::dltan},
             .sweepable = {Field::f},
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {
  }

  std::vector<std::string> formats() const override {
    return {"table", "csv", "json", "touchstone"};
  }

 private:
  void add_own_options(CLI::App& app, OptionWords& words) override {
    CLI::Option* fo =
        app.add_option("--fo", fo_text_, "make the coupler a quarter wave at this frequency")
            ->type_name("FREQUENCY");
    words.exclude({fo}, {option(Field::l)}, "give --l or --fo, not both");
    app.add_option("--reference", reference_text_,
                   "reference impedance of every port; also Rs and Rl (default 50 ohms)")
        ->type_name("Z");
    words
        .add_choice(app, "--data", pairs_text_, {"ma", "db", "ri"},
                    "Touchstone pairs: ma, db or ri (default ma)")
        ->type_name("FORM");
  }

  // What the options ask for beyond the design's values.
  struct Inputs {
    bool touchstone = false;
    Pairs pairs = Pairs::ma;
    float reference = 50.0f;  // ohms
    bool by_fo = false;       // the length made a quarter wave at fo
    float fo = 0.0f;          // GHz, with by_fo
  };

  int compute(const Design& d, const CommonOptions& common) override {
    const Inputs in = read(d, common);
    const Sweep& f = d.sweep(Field::f);
    if (in.touchstone) increasing(f);

    const cuplo::Substrate sub = d.substrate();
    const cuplo::CrossSection xs{d.strips(), d.value(Field::w), d.value(Field::s)};
    // The static models once; each frequency only disperses them.
    const cuplo::Analysis analysis(sub, xs, common.model_choice());
    // The length made a quarter wave at fo, or the centre frequency of the length given.
    const cuplo::Result<float> other = in.by_fo ? analysis.quarter_wave_length(in.fo)
                                                : analysis.centre_frequency(d.value(Field::l));
    const float length = in.by_fo ? *other : d.value(Field::l);

    const Inputs kept = in;
    const Report::MakeWriter touchstone_writer = [kept](const Document& doc, Destination& dest) {
      return std::make_unique<TouchstoneWriter>(doc, dest, kept.pairs, kept.reference, kept.by_fo);
    };
    Report report(common, name(), in.touchstone ? std::vector<Column>{} : columns(),
                  entries(d, in, length, other), touchstone_writer);
    // The length made a quarter wave at fo is the coupler analysed: its failure ends the run
    // and its limits are warned about. The centre frequency of a given length only informs.
    if (in.by_fo && !report.accept(other, {"fo_ghz", in.fo})) {
      return report.status();
    }
    if (!in.by_fo && !other.ok()) {
      std::string text = "warning: no centre frequency for " +
                         written_key("l", true, common.length_unit()) + " = ";
      append_float(text, length, true, common.length_unit());
      say(text + ": " + cuplo::describe(other.failure()));
    }
    return sweep(report, analysis, length, f, in);
  }

  // --data, --reference, --fo and the format, checked against each other and the design.
  Inputs read(const Design& d, const CommonOptions& common) const {
    Inputs in;
    in.touchstone = choose_format(common.format, common.output, common.terminal, name(), true) ==
                    Format::touchstone;
    if (!pairs_text_.empty() && !in.touchstone) {
      throw UsageError("--data: " + in_quotes(pairs_text_) + " applies to Touchstone output only");
    }
    in.pairs = read_pairs(pairs_text_);
    if (!reference_text_.empty()) {
      in.reference =
          read_value("--reference", reference_text_, {Dimension::impedance, Bound::positive, {}});
    }
    in.by_fo = !fo_text_.empty();
    if (!in.by_fo && !d.has(Field::l)) throw UsageError("--l: give the length, --l or --fo");
    if (in.by_fo) {
      in.fo = read_value("--fo", fo_text_,
                         {Dimension::frequency, Bound::positive, cuplo::Plausible::frequency});
    }
    return in;
  }

  // Every design value in the file: a loss not given is written as the 0 it is analysed as.
  static std::vector<DesignEntry> entries(const Design& d, const Inputs& in, float length,
                                          const cuplo::Result<float>& other) {
    std::vector<DesignEntry> design = d.entries({Field::l});
    for (const Field loss : {Field::res, Field::sr, Field::dltan}) {
      if (!d.has(loss)) design.push_back(DesignEntry::of_number(spec(loss).key, 0.0f));
    }
    design.push_back(DesignEntry::of_number("l", length, true));
    if (other.ok()) design.push_back(DesignEntry::of_number("fo_ghz", in.by_fo ? in.fo : *other));
    design.push_back(DesignEntry::of_number("reference_ohm", in.reference));
    return design;
  }

  // The rows: the four-port at every frequency of the sweep.
  static int sweep(Report& report, const cuplo::Analysis& analysis, float length, const Sweep& f,
                   const Inputs& in) {
    const cuplo::Terminations ends{in.reference, in.reference};
    for (std::int64_t k = 0; k < f.points(); ++k) {
      const float fk = f.at(k);
      const cuplo::Result<cuplo::FourPort> r = analysis.four_port(length, fk, ends);
      if (!report.accept(r, {"f_ghz", fk})) return report.status();
      if (in.touchstone) {
        const std::array<float, 9> numbers = cuplo::touchstone_numbers(*r, in.pairs);
        std::array<Cell, 9> cells;
        std::copy(numbers.begin(), numbers.end(), cells.begin());
        report.row(cells);
      } else {
        report.row({fk, r->mag_db[0], r->ang_deg[0], r->mag_db[1], r->ang_deg[1], r->mag_db[2],
                    r->ang_deg[2], r->mag_db[3], r->ang_deg[3], r->vswr, r->phase_difference,
                    r->quadrature_error, r->dissipative_loss_db, r->total_loss_db});
      }
    }
    return report.finish();
  }

  static std::vector<Column> columns() {
    return {{"f_ghz", "F (GHz)"},
            {"s11_db", "S11 (dB)"},
            {"s11_deg", "S11 (deg)"},
            {"s21_db", "S21 (dB)"},
            {"s21_deg", "S21 (deg)"},
            {"s31_db", "S31 (dB)"},
            {"s31_deg", "S31 (deg)"},
            {"s41_db", "S41 (dB)"},
            {"s41_deg", "S41 (deg)"},
            {"vswr", "VSWR"},
            {"phase_difference_deg", "S21-S41 (deg)"},
            {"quadrature_error_deg", "Q err (deg)"},
            {"dissipative_loss_db", "I*I*R (dB)"},
            {"total_loss_db", "Total (dB)"}};
  }

  // Touchstone lists frequencies in increasing order; a sweep downwards, or one whose steps
  // are too fine for the 32-bit frequencies to tell apart, cannot be written.
  static void increasing(const Sweep& f) {
    for (std::int64_t k = 1; k < f.points(); ++k) {
      if (!(f.at(k) > f.at(k - 1))) {
        std::string text = "--f: ";
        append_float(text, f.start);
        text += ':';
        append_float(text, f.stop);
        text += ':';
        append_float(text, f.step);
        throw UsageError(text + " does not rise at every step, as Touchstone frequencies must");
      }
    }
  }

  std::string fo_text_;
  std::string reference_text_;
  std::string pairs_text_;
};

}  // namespace

std::unique_ptr<Command> make_response() {
  return std::make_unique<Response>();
}

}  // namespace cuplo::calc
