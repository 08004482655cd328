// synthesize: the strip width and spacing for a wanted impedance and coupling (or even- and
// odd-mode impedances), from static or dispersive impedances, with the check (the result
// analysed again) and the quarter-wave length at --f.
#include <cmath>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

#include <CLI/CLI.hpp>

namespace cuplo::calc {
namespace {

class Synthesize final : public Command {
 public:
  std::string_view name() const override { return "synthesize"; }
  std::string_view summary() const override {
    return "strip width and spacing for Zo and coupling, or for Zoe and Zoo";
  }

  void add_options(CLI::App& app) override {
    options_.add(app, {Field::n, Field::er, Field::h, Field::t, Field::f, Field::zo,
                       Field::coupling, Field::zoe, Field::zoo});
    app.add_flag("--dispersive", dispersive_, "from the dispersive impedances at --f");
  }

  int run(const CommonOptions& common) override {
    const Design d = options_.gather();
    d.require({Field::n, Field::er, Field::h, Field::t});
    // The target is chosen by the options typed; from the defaults file alone, Zo and the
    // coupling (the console's first suboption).
    const bool pair = d.given(Field::zoe) || d.given(Field::zoo);
    if (pair && (d.given(Field::zo) || d.given(Field::coupling))) {
      const char* one = d.given(Field::zo) ? "--zo" : "--coupling";
      throw UsageError(std::string(one) +
                       ": give --zo and --coupling, or --zoe and --zoo, not both");
    }
    cuplo::Target target;
    d.require(pair ? std::initializer_list<Field>{Field::zoe, Field::zoo}
                   : std::initializer_list<Field>{Field::zo, Field::coupling});
    if (dispersive_) d.require({Field::f});
    if (pair) {
      const float zoe = d.value(Field::zoe);
      const float zoo = d.value(Field::zoo);
      if (!(zoo < zoe)) {
        throw UsageError("--zoo: " + text(zoo) + " is not below the even-mode " + text(zoe));
      }
      target = cuplo::Target::zoe_and_zoo(zoe, zoo);
    } else {
      target = cuplo::Target::zo_and_coupling(d.value(Field::zo), d.value(Field::coupling));
    }
    const cuplo::Substrate sub = d.substrate();
    const std::int32_t n = d.strips();
    // --f: where a dispersive synthesis is made, and where the quarter-wave length is taken.
    const bool have_f = dispersive_ || d.has(Field::f);
    const float f = have_f ? d.value(Field::f) : 0.0f;

    std::vector<DesignEntry> design =
        pair ? d.entries({Field::zo, Field::coupling}) : d.entries({Field::zoe, Field::zoo});
    design.push_back(DesignEntry::of_word("impedances", dispersive_ ? "dispersive" : "static"));

    Report report(common, name(),
                  {{"w_in", "W (in)"},
                   {"s_in", "S (in)"},
                   {"zo_ohm", "Zo (ohm)"},
                   {"zoe_ohm", "Zoe (ohm)"},
                   {"zoo_ohm", "Zoo (ohm)"},
                   {"coupling_db", "Co (dB)"},
                   {"check_zo_ohm", "check Zo"},
                   {"check_zoe_ohm", "check Zoe"},
                   {"check_zoo_ohm", "check Zoo"},
                   {"check_coupling_db", "check Co"},
                   {"l_in", "L/4 (in)"},
                   {"eeff_even", "Eeff even"},
                   {"eeff_odd", "Eeff odd"},
                   {"check_eeff_even", "check Ee"},
                   {"check_eeff_odd", "check Eo"}},
                  std::move(design));

    const cuplo::Result<cuplo::Synthesis> r =
        dispersive_ ? cuplo::synthesize(sub, n, target, f) : cuplo::synthesize(sub, n, target);
    if (!report.accept(r)) return report.status();
    const cuplo::Synthesis& y = *r;

    Cell quarter = Cell::none();
    if (f > 0.0f) {
      const cuplo::Result<float> l = cuplo::Analysis(sub, y.section).quarter_wave_length(f);
      if (!report.accept(l)) return report.status();
      quarter = *l;
    }
    report.row({y.section.w, y.section.s, y.zo, y.zoe, y.zoo, y.coupling_db, y.check.zo,
                y.check.zoe, y.check.zoo, y.check.coupling_db, quarter, y.eeff_even, y.eeff_odd,
                y.check.eeff_even, y.check.eeff_odd});
    return report.finish();
  }

 private:
  static std::string text(float v) {
    char out[16];
    return {out, write_float(out, v)};
  }

  DesignOptions options_;
  bool dispersive_ = false;
};

}  // namespace

std::unique_ptr<Command> make_synthesize() {
  return std::make_unique<Synthesize>();
}

}  // namespace cuplo::calc
