// dispersion: effective permittivities and impedances of one cross-section over frequency.
#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"

namespace cuplo::calc {
namespace {

class Dispersion final : public DesignCommand {
 public:
  Dispersion()
      : DesignCommand(
            "dispersion",
            "effective permittivities and impedances of the cross-section over frequency",
            {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f},
             .sweepable = {Field::f},
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {
  }

 private:
  int compute(const Design& d, const CommonOptions& common) override {
    const cuplo::Substrate sub = d.substrate();
    const cuplo::CrossSection xs{d.strips(), d.value(Field::w), d.value(Field::s)};
    const Sweep& f = d.sweep(Field::f);

    Report report(common, name(),
                  {{"f_ghz", "F (GHz)"},
                   {"eeff_even", "Eeff even"},
                   {"eeff_odd", "Eeff odd"},
                   {"eeff_coupler", "Eeff coupler"},
                   {"zoe_ohm", "Zoe (ohm)"},
                   {"zoo_ohm", "Zoo (ohm)"},
                   {"zo_ohm", "Zo (ohm)"}},
                  d.entries());
    // The static models once; each frequency only disperses them.
    const cuplo::Analysis analysis(sub, xs, common.model_choice());
    for (std::int64_t k = 0; k < f.points(); ++k) {
      const float fk = f.at(k);
      const cuplo::Result<cuplo::DispersionPoint> r = analysis.dispersion(fk);
      if (!report.accept(r, {"f_ghz", fk})) return report.status();
      report.row({fk, r->eeff_even, r->eeff_odd, r->eeff_coupler, r->zoe, r->zoo, r->zo});
    }
    return report.finish();
  }
};

}  // namespace

std::unique_ptr<Command> make_dispersion() {
  return std::make_unique<Dispersion>();
}

}  // namespace cuplo::calc
