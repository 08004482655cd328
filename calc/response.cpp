// response: the coupler as a four-port over frequency, its scattering matrix referred to one
// impedance Z at every port, as Touchstone (version 1.1, .s4p), CSV, JSON or a table.
//
// The even/odd-mode analysis (Reed and Wheeler) gives, for a unit wave into port 1 with every
// port terminated in Z, the waves a1..a4 leaving ports 1..4: the first column of S.
//
//      port 1  o==================o  port 4       1 input      3 isolated
//      port 2  o==================o  port 3       2 coupled    4 through
//
// With the same Z at every port the coupler is unchanged by exchanging its two lines (ports
// 1<->2, 3<->4) and by turning it end for end (1<->4, 2<->3), so S[p(i)][p(j)] = S[i][j] for
// both permutations and for their product (1<->3, 2<->4). Each column of S is therefore the
// first one permuted: S(i, j) = a(((i-1) xor (j-1)) + 1), which is symmetric (reciprocal).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

namespace cuplo::calc {
namespace {

// How the Touchstone file writes each complex number.
enum class Pairs { ma, db, ri };

// ma, db or ri, as the parser has checked it (any case, given as listed); ma when not given.
Pairs read_pairs(const std::string& text) {
  if (text == "db") return Pairs::db;
  if (text == "ri") return Pairs::ri;
  return Pairs::ma;
}

const char* pairs_name(Pairs pairs) {
  switch (pairs) {
    case Pairs::ma:
      return "MA";
    case Pairs::db:
      return "DB";
    case Pairs::ri:
      return "RI";
  }
  return "MA";
}

void append_float(std::string& out, float value, bool length = false,
                  LengthUnit units = LengthUnit::in) {
  char text[kMaxValueText];
  out.append(text, write_value(text, value, length, units));
}

// A design entry as a comment line: "! h_in = 0.025", and the note of a computed one.
void append_entry(std::string& out, const DesignEntry& e, std::string_view note,
                  LengthUnit units) {
  out += "! ";
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
  out += '\n';
}

// Touchstone 1.1, four ports: per frequency four lines, line i the row i of S as four
// number pairs, the first line led by the frequency. A row's cells are the frequency and the
// pairs of a1..a4; each is turned into text once and the text reused through the matrix.
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
    std::string head = "! cuplo-calc " + std::string(cuplo::version()) +
                       " response: interdigitated microstrip coupler, S-parameters\n"
                       "! ports: 1 input, 2 coupled, 3 isolated, 4 through; "
                       "1 and 2 at one end, 3 and 4 at the other\n";
    const std::string length_key = written_key("l", true, document_.units);
    const std::string centre_note =
        " (centre frequency: " + length_key + " is a quarter wave there)";
    for (const DesignEntry& e : document_.design) {
      std::string_view note;
      if (e.key == "l" && e.length && by_fo_) note = " (a quarter wave at fo_ghz)";
      if (e.key == "fo_ghz" && !by_fo_) note = centre_note;
      append_entry(head, e, note, document_.units);
    }
    head += "# GHz S ";
    head += pairs_name(pairs_);
    head += " R ";
    append_float(head, reference_);
    head += '\n';
    destination_.write(head);
  }

  void row(std::span<const Cell> cells) override {
    // The nine numbers, each written once into a 16-character slot (write_float writes at
    // most 16 characters).
    constexpr std::size_t kSlot = 16;
    std::array<char, 9 * kSlot> text{};
    std::array<std::size_t, 9> size{};
    for (std::size_t k = 0; k < 9; ++k) {
      char* const slot = &text[kSlot * k];
      size[k] = static_cast<std::size_t>(write_float(slot, cells[k].value) - slot);
    }
    // The record: the frequency, 16 pairs of numbers each led by a blank, line ends and
    // indents, and room for a whole slot copied at the end. Whole slots are copied and the
    // end moved by the number's length: a fixed-size copy is a few instructions.
    std::array<char, kSlot + 4 * 4 * 2 * (1 + kSlot) + 4 * 2 + kSlot> record;
    char* out = record.data();
    const auto put = [&](std::size_t k) {
      std::memcpy(out, &text[kSlot * k], kSlot);
      out += size[k];
    };
    put(0);
    for (std::size_t i = 0; i < 4; ++i) {
      if (i > 0) {
        *out++ = '\n';
        *out++ = ' ';
      }
      for (std::size_t j = 0; j < 4; ++j) {
        const std::size_t a = 1 + 2 * (i ^ j);
        *out++ = ' ';
        put(a);
        *out++ = ' ';
        put(a + 1);
      }
    }
    *out++ = '\n';
    // Nothing allocated per row: one write of the record.
    destination_.write({record.data(), static_cast<std::size_t>(out - record.data())});
  }

  // Comments may stand anywhere in the file: the warnings, known only at the end, follow the
  // data.
  void end(std::span<const std::string> warnings) override {
    std::string tail;
    for (const std::string& w : warnings) tail += "! warning: " + w + "\n";
    destination_.write(tail);
  }

 private:
  const Document& document_;
  Destination& destination_;
  Pairs pairs_;
  float reference_;
  bool by_fo_;
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
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {}

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
    words.add_choice(app, "--data", pairs_text_, {"ma", "db", "ri"},
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
    const cuplo::Analysis analysis(sub, xs);
    // The length made a quarter wave at fo, or the centre frequency of the length given.
    const cuplo::Result<float> other = in.by_fo ? analysis.quarter_wave_length(in.fo)
                                                : analysis.centre_frequency(d.value(Field::l));
    const float length = in.by_fo ? *other : d.value(Field::l);

    const Inputs kept = in;
    const Report::MakeWriter touchstone_writer = [kept](const Document& doc, Destination& dest) {
      return std::make_unique<TouchstoneWriter>(doc, dest, kept.pairs, kept.reference,
                                                kept.by_fo);
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
      in.reference = read_value("--reference", reference_text_,
                                 {Dimension::impedance, Bound::positive, {}});
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
        report.row(touchstone_cells(*r, in.pairs));
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

  // The frequency and the pairs of a1..a4: magnitude |a| (as the console forms it, from the
  // real and imaginary parts in 32-bit arithmetic) or its dB value (the console's, with its
  // floor for a wave that is exactly zero), with the console's angle in degrees; or the real
  // and imaginary parts.
  static std::array<Cell, 9> touchstone_cells(const cuplo::FourPort& r, Pairs pairs) {
    std::array<Cell, 9> cells{};
    cells[0] = r.f;
    for (std::size_t p = 0; p < 4; ++p) {
      const float x = r.wave[p].real();
      const float y = r.wave[p].imag();
      switch (pairs) {
        case Pairs::ma:
          cells[2 * p + 1] = std::sqrt(x * x + y * y);
          cells[2 * p + 2] = r.ang_deg[p];
          break;
        case Pairs::db:
          cells[2 * p + 1] = r.mag_db[p];
          cells[2 * p + 2] = r.ang_deg[p];
          break;
        case Pairs::ri:
          cells[2 * p + 1] = x;
          cells[2 * p + 2] = y;
          break;
      }
    }
    return cells;
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
