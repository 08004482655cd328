// impedance: the coupler's impedances, coupling and effective permittivities at one frequency
// (static at 0 GHz) over a range of strip widths or of strip spacings.
#include <algorithm>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

namespace cuplo::calc {
namespace {

class Impedance final : public DesignCommand {
 public:
  Impedance()
      : DesignCommand(
            "impedance", "impedances, coupling and effective permittivities over a range of W or S",
            {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f},
             .sweepable = {Field::w, Field::s},
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {}

 private:
  int compute(const Design& d, const CommonOptions& common) override {
    const cuplo::Substrate sub = d.substrate();
    const std::int32_t n = d.strips();
    const Sweep& w = d.sweep(Field::w);
    const Sweep& s = d.sweep(Field::s);
    const float f = d.value(Field::f);
    const Field swept = d.swept({Field::w, Field::s});

    Report report(common, name(),
                  {Column::of_length("w", "W"),
                   Column::of_length("s", "S"),
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
      if (!report.accept(r, spec(swept).at(swept == Field::w ? xs.w : xs.s))) {
        return report.status();
      }
      report.row({xs.w, xs.s, r->zo, r->zoe, r->zoo, r->coupling_db, r->eeff_even, r->eeff_odd});
    }
    return report.finish();
  }
};

}  // namespace

std::unique_ptr<Command> make_impedance() {
  return std::make_unique<Impedance>();
}

}  // namespace cuplo::calc
