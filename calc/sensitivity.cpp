// sensitivity: normalized sensitivities (dZ/Z)/(dp/p) of the dispersive even- and odd-mode
// impedances to Er, H, S, W and T, over frequency or over a range of W or S.
#include <array>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

#include <CLI/CLI.hpp>

namespace cuplo::calc {
namespace {

// One of the choices of --mode, as the parser has checked it.
cuplo::Mode read_mode(const std::string& text) {
  if (text == "odd") return cuplo::Mode::odd;
  if (text == "both") return cuplo::Mode::both;
  return cuplo::Mode::even;
}

class Sensitivity final : public DesignCommand {
 public:
  Sensitivity()
      : DesignCommand(
            "sensitivity", "sensitivities of the dispersive Zoe and Zoo to Er, H, S, W and T",
            {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f},
             .sweepable = {Field::f, Field::w, Field::s},
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {
  }

 private:
  void add_own_options(CLI::App& app, OptionWords& words) override {
    words
        .add_choice(app, "--mode", mode_, {"even", "odd", "both"},
                    "even, odd or both (default even)")
        ->type_name("MODE");
    // The sensitivities are always those of the dispersive impedances: the flag is accepted
    // for symmetry with synthesize and changes nothing.
    app.add_flag("--dispersive", dispersive_, "accepted; sensitivities are always dispersive");
  }

  int compute(const Design& d, const CommonOptions& common) override {
    const cuplo::Mode mode = read_mode(mode_);
    const cuplo::Substrate sub = d.substrate();
    const std::int32_t n = d.strips();
    const Sweep& w = d.sweep(Field::w);
    const Sweep& s = d.sweep(Field::s);
    const Sweep& f = d.sweep(Field::f);
    const Field swept = d.swept({Field::f, Field::w, Field::s});

    const bool even = mode != cuplo::Mode::odd;
    const bool odd = mode != cuplo::Mode::even;
    std::vector<Column> columns;
    if (swept == Field::f) columns.push_back({"f_ghz", "F (GHz)"});
    if (swept == Field::w) columns.push_back(Column::of_length("w", "W"));
    if (swept == Field::s) columns.push_back(Column::of_length("s", "S"));
    columns.push_back({"zoe_ohm", "Zoe (ohm)"});
    columns.push_back({"zoo_ohm", "Zoo (ohm)"});
    if (even) {
      columns.insert(columns.end(), {{"s_zoe_er", "S Zoe Er"},
                                     {"s_zoe_h", "S Zoe H"},
                                     {"s_zoe_s", "S Zoe S"},
                                     {"s_zoe_w", "S Zoe W"},
                                     {"s_zoe_t", "S Zoe T"}});
    }
    if (odd) {
      columns.insert(columns.end(), {{"s_zoo_er", "S Zoo Er"},
                                     {"s_zoo_h", "S Zoo H"},
                                     {"s_zoo_s", "S Zoo S"},
                                     {"s_zoo_w", "S Zoo W"},
                                     {"s_zoo_t", "S Zoo T"}});
    }
    std::vector<DesignEntry> design = d.entries();
    design.push_back(DesignEntry::of_word("mode", mode_));

    Report report(common, name(), columns, std::move(design));
    const std::int64_t points = std::max({f.points(), w.points(), s.points()});
    std::array<Cell, 13> cells{};
    for (std::int64_t k = 0; k < points; ++k) {
      const cuplo::CrossSection xs{n, w.at(k), s.at(k)};
      const float fk = f.at(k);
      const float at = swept == Field::f ? fk : swept == Field::w ? xs.w : xs.s;
      const cuplo::Result<cuplo::Sensitivity> r =
          cuplo::sensitivity(sub, xs, fk, mode, common.model_choice());
      if (!report.accept(r, spec(swept).at(at))) {
        return report.status();
      }
      std::size_t c = 0;
      cells[c++] = at;
      cells[c++] = r->zoe;
      cells[c++] = r->zoo;
      for (const cuplo::Sensitivities* to :
           {even ? &r->zoe_to : nullptr, odd ? &r->zoo_to : nullptr}) {
        if (to == nullptr) continue;
        for (const float v : {to->er, to->h, to->s, to->w, to->t}) cells[c++] = v;
      }
      report.row(std::span<const Cell>(cells.data(), c));
    }
    return report.finish();
  }

 private:
  std::string mode_ = "even";
  bool dispersive_ = false;
};

}  // namespace

std::unique_ptr<Command> make_sensitivity() {
  return std::make_unique<Sensitivity>();
}

}  // namespace cuplo::calc
