// The field solver and the closed-form models on the same designs, for the scripts of this
// folder: one design per input line, "N Er W/H S/H T/H [density [extrapolate]]", one CSV row
// per design on the output. The closed-form values come from the library's public
// cuplo::impedance (static, H = 0.025 in; the models depend on ratios only) and are left
// empty where it refuses the design (N other than 4 or 6).
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "cuplo/coupler.hpp"
#include "field/field.hpp"

namespace {

constexpr double kHeightInches = 0.025;

const char* status_name(cuplo::field::Status s) {
  switch (s) {
    case cuplo::field::Status::ok: return "ok";
    case cuplo::field::Status::invalid_geometry: return "invalid_geometry";
    case cuplo::field::Status::out_of_range: return "out_of_range";
    case cuplo::field::Status::invalid_options: return "invalid_options";
    case cuplo::field::Status::numerical_failure: return "numerical_failure";
  }
  return "?";
}

}  // namespace

int main() {
  std::printf(
      "n,er,w_h,s_h,t_h,density,extrapolate,status,zoe,zoo,zo,coupling_db,eeff_even,eeff_odd,"
      "mesh_error,elements,ms,cf_zoe,cf_zoo,cf_zo,cf_coupling_db,cf_eeff_even,cf_eeff_odd\n");
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream in(line);
    cuplo::field::Geometry g;
    double w_h = 0.0, s_h = 0.0, t_h = 0.0;
    cuplo::field::Options o;
    int extrapolate = 1;
    if (!(in >> g.n >> g.er >> w_h >> s_h >> t_h)) continue;
    in >> o.density >> extrapolate;
    o.extrapolate = extrapolate != 0;
    g.h = 1.0;
    g.w = w_h;
    g.s = s_h;
    g.t = t_h;
    const auto start = std::chrono::steady_clock::now();
    const cuplo::field::Solution s = cuplo::field::solve(g, o);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const cuplo::field::Modes& m = s.modes;
    const bool single = g.n == 1;
    std::printf("%d,%.17g,%.17g,%.17g,%.17g,%g,%d,%s,%.12g,%.12g,%.12g,%.12g,%.12g,%.12g,%.4g,%d,%.4f",
                g.n, g.er, w_h, s_h, t_h, o.density, extrapolate, status_name(s.status),
                single ? s.z0 : m.zoe, single ? s.z0 : m.zoo, single ? s.z0 : m.zo,
                m.coupling_db, single ? s.eeff : m.eeff_even, single ? s.eeff : m.eeff_odd,
                s.mesh_error, s.elements, ms);
    cuplo::Substrate sub;
    sub.er = static_cast<float>(g.er);
    sub.h = static_cast<float>(kHeightInches);
    sub.t = static_cast<float>(t_h * kHeightInches);
    const cuplo::CrossSection cs{g.n, static_cast<float>(w_h * kHeightInches),
                                 static_cast<float>(s_h * kHeightInches)};
    const cuplo::Result<cuplo::Impedances> cf = cuplo::impedance(sub, cs, 0.0f);
    if (cf.ok()) {
      std::printf(",%.8g,%.8g,%.8g,%.8g,%.8g,%.8g\n", static_cast<double>(cf->zoe),
                  static_cast<double>(cf->zoo), static_cast<double>(cf->zo),
                  static_cast<double>(cf->coupling_db), static_cast<double>(cf->eeff_even),
                  static_cast<double>(cf->eeff_odd));
    } else {
      std::printf(",,,,,,\n");
    }
  }
  return 0;
}
