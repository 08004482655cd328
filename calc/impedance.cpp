// impedance: the coupler's impedances, coupling and effective permittivities at one frequency
// (static at 0 GHz) over a range of strip widths or of strip spacings.
#include <algorithm>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

namespace cuplo::calc {
namespace {

class Impedance final : public Command {
 public:
  std::string_view name() const override { return "impedance"; }
  std::string_view summary() const override {
    return "impedances, coupling and effective permittivities over a range of W or S";
  }

  void add_options(CLI::App& app) override {
    options_.add(app, {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f},
                 {Field::w, Field::s});
  }

  int run(const CommonOptions& common) override {
    const Design d = options_.gather();
    d.require({Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f});
    d.at_most_one_sweep({Field::w, Field::s});
    const cuplo::Substrate sub = d.substrate();
    const std::int32_t n = d.strips();
    const Sweep& w = d.sweep(Field::w);
    const Sweep& s = d.sweep(Field::s);
    const float f = d.value(Field::f);
    const Field swept = d.swept({Field::w, Field::s});

    Report report(common, name(),
                  {{"w_in", "W (in)"},
                   {"s_in", "S (in)"},
                   {"zo_ohm", "Zo (ohm)"},
                   {"zoe_ohm", "Zoe (ohm)"},
                   {"zoo_ohm", "Zoo (ohm)"},
                   {"coupling_db", "Co (dB)"},
                   {"eeff_even", "Eeff even"},
                   {"eeff_odd", "Eeff odd"}},
                  d.entries());
    const std::int64_t points = std::max(w.points(), s.points());
    for (std::int64_t k = 0; k < points; ++k) {
      const cuplo::CrossSection xs{n, w.at(k), s.at(k)};
      const cuplo::Result<cuplo::Impedances> r = cuplo::impedance(sub, xs, f);
      const Where where{spec(swept).key, swept == Field::w ? xs.w : xs.s};
      if (!report.accept(r, where)) return report.status();
      report.row({xs.w, xs.s, r->zo, r->zoe, r->zoo, r->coupling_db, r->eeff_even, r->eeff_odd});
    }
    return report.finish();
  }

 private:
  DesignOptions options_;
};

}  // namespace

std::unique_ptr<Command> make_impedance() {
  return std::make_unique<Impedance>();
}

}  // namespace cuplo::calc
