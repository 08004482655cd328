// synthesize: the strip width and spacing for a wanted impedance and coupling (or even- and
// odd-mode impedances), from static or dispersive impedances, with the check (the result
// analysed again) and the quarter-wave length at --f.
#include <CLI/CLI.hpp>
#include <cmath>
#include <optional>
#include <string_view>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"
#include "cuplo/reach.hpp"

namespace cuplo::calc {
namespace {

std::string text(float v) {
  char out[kMaxValueText];
  return {out, write_float(out, v)};
}

class Synthesize final : public DesignCommand {
 public:
  Synthesize()
      : DesignCommand("synthesize",
                      "strip width and spacing for Zo and coupling, or for Zoe and Zoo",
                      {.taken = {Field::n, Field::er, Field::h, Field::t, Field::f, Field::zo,
                                 Field::coupling, Field::zoe, Field::zoo},
                       .sweepable = {},
                       .required = {Field::n, Field::er, Field::h, Field::t}}) {}

 private:
  void add_own_options(CLI::App& app, OptionWords& words) override {
    app.add_flag("--dispersive", dispersive_, "from the dispersive impedances at --f");
    words.exclude({option(Field::zoe), option(Field::zoo)},
                  {option(Field::zo), option(Field::coupling)},
                  "give --zo and --coupling, or --zoe and --zoo, not both");
  }

  int compute(const Design& d, const CommonOptions& common) override {
    // The target is chosen by the options typed; from the defaults file alone, Zo and the
    // coupling (the console's first suboption).
    const bool pair = d.given(Field::zoe) || d.given(Field::zoo);
    const cuplo::Target target = target_of(d, pair);
    if (dispersive_) d.require({Field::f});
    const cuplo::Substrate sub = d.substrate();
    const std::int32_t n = d.strips();
    // --f: where a dispersive synthesis is made, and where the quarter-wave length is taken.
    const bool have_f = dispersive_ || d.has(Field::f);
    const float f = have_f ? d.value(Field::f) : 0.0f;

    Report report(common, name(), columns(), entries(d, pair));
    const std::optional<float> at = dispersive_ ? std::optional<float>(f) : std::nullopt;
    const cuplo::Model model = common.model_choice();
    const cuplo::Process& rules = process();
    const cuplo::Result<cuplo::FittedSynthesis> r =
        at ? cuplo::synthesize(sub, n, target, *at, rules, model)
           : cuplo::synthesize(sub, n, target, rules, model);
    // A search that found no strips says what this substrate can reach; one that found strips
    // the process cannot make says so itself.
    const std::string failure = cuplo::beyond_process(r)
                                    ? beyond_process(r.point().zo)
                                    : cuplo::unreachable(r, sub, n, target, at, model);
    if (!report.accept(r, {}, failure)) return report.status();
    const cuplo::Synthesis& y = r->synthesis;
    if (const std::string why = cuplo::uncompensable(rules, y.section, common.length_unit());
        !why.empty()) {
      throw UsageError("--etch: " + why);
    }
    if (r->fit.binding != cuplo::Binding::none &&
        !report.caution(cuplo::describe(r->fit, common.length_unit()))) {
      return report.status();
    }

    Cell quarter = Cell::none();
    if (f > 0.0f) {
      const cuplo::Result<float> l = cuplo::Analysis(sub, y.section, model).quarter_wave_length(f);
      if (!report.accept(l)) return report.status();
      quarter = *l;
    }
    report.row({y.section.w, y.section.s, y.zo, y.zoe, y.zoo, y.coupling_db, y.check.zo,
                y.check.zoe, y.check.zoo, y.check.coupling_db, quarter, y.eeff_even, y.eeff_odd,
                y.check.eeff_even, y.check.eeff_odd});
    return report.finish();
  }

  // Zoe and Zoo (pair), or Zo and the coupling.
  static cuplo::Target target_of(const Design& d, bool pair) {
    d.require(pair ? std::initializer_list<Field>{Field::zoe, Field::zoo}
                   : std::initializer_list<Field>{Field::zo, Field::coupling});
    if (!pair) return cuplo::Target::zo_and_coupling(d.value(Field::zo), d.value(Field::coupling));
    const float zoe = d.value(Field::zoe);
    const float zoo = d.value(Field::zoo);
    if (!(zoo < zoe)) {
      throw UsageError("--zoo: " + text(zoo) + " is not below the even-mode " + text(zoe));
    }
    return cuplo::Target::zoe_and_zoo(zoe, zoo);
  }

  // The inputs of the target chosen, and how the impedances are taken.
  std::vector<DesignEntry> entries(const Design& d, bool pair) const {
    std::vector<DesignEntry> design =
        pair ? d.entries({Field::zo, Field::coupling}) : d.entries({Field::zoe, Field::zoo});
    design.push_back(DesignEntry::of_word("impedances", dispersive_ ? "dispersive" : "static"));
    return design;
  }

  static std::vector<Column> columns() {
    return {Column::of_length("w", "W"),    Column::of_length("s", "S"),
            {"zo_ohm", "Zo (ohm)"},         {"zoe_ohm", "Zoe (ohm)"},
            {"zoo_ohm", "Zoo (ohm)"},       {"coupling_db", "Co (dB)"},
            {"check_zo_ohm", "check Zo"},   {"check_zoe_ohm", "check Zoe"},
            {"check_zoo_ohm", "check Zoo"}, {"check_coupling_db", "check Co"},
            Column::of_length("l", "L/4"),  {"eeff_even", "Eeff even"},
            {"eeff_odd", "Eeff odd"},       {"check_eeff_even", "check Ee"},
            {"check_eeff_odd", "check Eo"}};
  }

  bool dispersive_ = false;
};

}  // namespace

std::unique_ptr<Command> make_synthesize() {
  return std::make_unique<Synthesize>();
}

}  // namespace cuplo::calc
