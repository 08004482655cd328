// impedance: the coupler's impedances, coupling and effective permittivities at one frequency
// (static at 0 GHz) over a range of strip widths or of strip spacings.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <string>
#include <vector>

#include "calc/command.hpp"
#include "calc/design.hpp"
#include "calc/report.hpp"
#include "cuplo/field.hpp"

namespace cuplo::calc {
namespace {

class Impedance final : public DesignCommand {
 public:
  Impedance()
      : DesignCommand(
            "impedance", "impedances, coupling and effective permittivities over a range of W or S",
            {.taken = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f},
             .sweepable = {Field::w, Field::s},
             .required = {Field::n, Field::er, Field::h, Field::t, Field::w, Field::s, Field::f}}) {
  }

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
    if (matrices_) check_matrices(d, common, report);
    const std::int64_t points = std::max(w.points(), s.points());
    for (std::int64_t k = 0; k < points; ++k) {
      const cuplo::CrossSection xs{n, w.at(k), s.at(k)};
      const cuplo::Result<cuplo::Impedances> r =
          cuplo::impedance(sub, xs, f, common.model_choice());
      if (!report.accept(r, spec(swept).at(swept == Field::w ? xs.w : xs.s))) {
        return report.status();
      }
      report.row({xs.w, xs.s, r->zo, r->zoe, r->zoo, r->coupling_db, r->eeff_even, r->eeff_odd});
      if (matrices_) {
        const cuplo::Result<cuplo::FieldMatrices> m = cuplo::field_matrices(sub, xs);
        if (!report.accept(m)) return report.status();
        report.add_member("matrices", matrices_json(*m));
      }
    }
    return report.finish();
  }

  void add_own_options(CLI::App& app, OptionWords&) override {
    app.add_flag("--matrices", matrices_,
                 "with --model field and JSON: the capacitance matrices with and without the "
                 "substrate (F/m) and the inductance matrix (H/m) of the cross-section");
  }

  // The matrices are the field solution's, of one cross-section, and only JSON holds them.
  static void check_matrices(const Design& d, const CommonOptions& common, const Report& report) {
    if (common.model_choice() != cuplo::Model::field) {
      throw UsageError("--matrices: the matrices are the field model's: give --model field");
    }
    if (d.sweep(Field::w).swept || d.sweep(Field::s).swept) {
      throw UsageError("--matrices: of one cross-section, not of a sweep of --w or --s");
    }
    if (report.format() != Format::json) {
      throw UsageError("--matrices: written in JSON only (--format json, or -o FILE.json)");
    }
  }

  // {"c_f_per_m": [[...], ...], "c0_f_per_m": ..., "l_h_per_m": ..., "mesh_error": ...},
  // every number the shortest text that reads back to the same double.
  static std::string matrices_json(const cuplo::FieldMatrices& m) {
    const auto number = [](double v) {
      char text[32];
      return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
    };
    const auto matrix = [&](const std::vector<double>& values) {
      std::string out = "[";
      for (std::int32_t i = 0; i < m.n; ++i) {
        out += i > 0 ? ", [" : "[";
        for (std::int32_t j = 0; j < m.n; ++j) {
          if (j > 0) out += ", ";
          out += number(values[static_cast<std::size_t>(i * m.n + j)]);
        }
        out += ']';
      }
      return out + "]";
    };
    return "{\"n\": " + std::to_string(m.n) + ", \"c_f_per_m\": " + matrix(m.c) +
           ", \"c0_f_per_m\": " + matrix(m.c0) + ", \"l_h_per_m\": " + matrix(m.l) +
           ", \"mesh_error\": " + number(m.mesh_error) + "}";
  }

  bool matrices_ = false;
};

}  // namespace

std::unique_ptr<Command> make_impedance() {
  return std::make_unique<Impedance>();
}

}  // namespace cuplo::calc
