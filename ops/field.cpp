#include "ops/field.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "models/constants.hpp"
#include "network/detail.hpp"

namespace cuplo::ops {
namespace {

// Speed of light, metres per second, and metres per inch: the field solution is in SI.
constexpr double kLight = 299792458.0;
constexpr double kMetresPerInch = 0.0254;
constexpr double kMu0 = 4.0e-7 * 3.14159265358979323846;  // H/m

field::Geometry geometry(const Material& m, const Strips& x) {
  return {x.n,
          static_cast<double>(x.w),
          static_cast<double>(x.s),
          static_cast<double>(m.t),
          static_cast<double>(m.h),
          static_cast<double>(m.er)};
}

// The even- and odd-mode impedances in air of a solution's groups (ohms): 1/(c C) of the
// group capacitances in air, Ce0 = C_AA + C_AB and Co0 = C_AA - C_AB.
struct AirModes {
  double zoe = 0.0;
  double zoo = 0.0;
};
AirModes air_modes(const field::Solution& s) {
  double caa = 0.0;
  double cab = 0.0;
  for (int i = 0; i < s.n; i += 2) {
    for (int j = 0; j < s.n; ++j) {
      const double c = s.at(s.c0, i, j);
      if (j % 2 == 0) {
        caa += c;
      } else {
        cab += c;
      }
    }
  }
  return {1.0 / (kLight * (caa + cab)), 1.0 / (kLight * (caa - cab))};
}

}  // namespace

models::CouplerValues coupler_values(const field::Modes& modes) {
  models::CouplerValues c;
  c.zo = static_cast<float>(modes.zo);
  c.zoe = static_cast<float>(modes.zoe);
  c.zoo = static_cast<float>(modes.zoo);
  c.cc = static_cast<float>((modes.zoe - modes.zoo) / (modes.zoe + modes.zoo));
  c.ko = static_cast<float>(modes.coupling_db);
  return c;
}

bool field_statics(const Material& m, const Strips& x, models::Statics& st,
                   models::CouplerValues& coupler, field::Solution& solution,
                   std::string& message) {
  solution = field::solve(geometry(m, x));
  if (solution.status != field::Status::ok) {
    message = solution.message;
    return false;
  }
  coupler = coupler_values(solution.modes);
  models::lcwta(m.er, m.h, x.s, m.t, x.w, st.wte, st.wto);
  models::lczoezoo(coupler.cc, x.n, coupler.zo, st.zoeap, st.zooap);
  st.effe = static_cast<float>(solution.modes.eeff_even);
  st.effo = static_cast<float>(solution.modes.eeff_odd);
  st.effc = 2.0f * st.effe * st.effo / (st.effe + st.effo);
  return true;
}

bool field_dispersive(const Material& m, const Strips& x, const models::Statics& st,
                      const models::CouplerValues& statics_coupler, float f, models::Modes modes,
                      models::CouplerValues& coupler, Records& r) {
  std::int32_t iflag = 0;
  const bool ok = dispersive_analysis(m, x, st, f, modes, iflag, coupler, r);
  if (f == 0.0f) coupler = statics_coupler;
  return ok;
}

void field_attenuation(const Material& m, const Strips& x, const Losses& losses, float f, float zoe,
                       float zoo, float effe, float effo, const field::Solution& base, float& ate,
                       float& ato) {
  ate = 0.0f;
  ato = 0.0f;
  if (!(f > 0.0f)) return;
  const double hz = static_cast<double>(f) * 1.0e9;
  if (losses.res > 0.0f) {
    // Resistivity from ohm-inches to ohm-metres; the skin depth in inches.
    const double rho = static_cast<double>(losses.res) * kMetresPerInch;
    const double depth = std::sqrt(rho / (3.14159265358979323846 * hz * kMu0)) / kMetresPerInch;
    // Every surface receded by half the skin depth: the strips narrower and thinner by the
    // whole depth, the gaps wider by it, and the strips' undersides and the ground plane each
    // half a depth further apart. A strip of no thickness stays a sheet.
    field::Geometry g = geometry(m, x);
    g.w -= depth;
    g.s += depth;
    g.h += depth;
    g.t = std::max(0.0, g.t - depth);
    g.er = 1.0;
    const field::Solution receded = field::solve(g);
    if (receded.status != field::Status::ok || !(g.w > 0.0)) {
      // The skin depth is not small beside the strip: the rule does not hold, and no
      // conductor loss is claimed for it.
      ate = std::numeric_limits<float>::quiet_NaN();
      ato = ate;
    } else {
      const AirModes before = air_modes(base);
      const AirModes after = air_modes(receded);
      // Wheeler: the inductance added by receding the surfaces, omega dL = R, the surface
      // resistance; alpha = R / (2 Z) nepers per metre, here with the roughness factor.
      const double smooth =
          static_cast<double>(network::detail::surface_resistance(f, losses.res, 0.0f));
      const double rough =
          static_cast<double>(network::detail::surface_resistance(f, losses.res, losses.sr));
      const double factor = rough / smooth * 2.0 * 3.14159265358979323846 * hz / (2.0 * kLight) *
                            static_cast<double>(models::kDbPerNeper) * kMetresPerInch;
      ate = static_cast<float>(factor * (after.zoe - before.zoe) / static_cast<double>(zoe));
      ato = static_cast<float>(factor * (after.zoo - before.zoo) / static_cast<double>(zoo));
    }
  }
  if (losses.tlos > 0.0f && m.er > 1.0f) {
    // A quasi-TEM mode's dielectric loss: pi f/c er (eeff - 1) tan delta / (sqrt(eeff) (er - 1))
    // nepers per metre (Pucel, Masse and Hartwig; Welch and Pratt), from the filling factor.
    const double k = 3.14159265358979323846 * hz / kLight * static_cast<double>(m.er) *
                     static_cast<double>(losses.tlos) / (static_cast<double>(m.er) - 1.0) *
                     static_cast<double>(models::kDbPerNeper) * kMetresPerInch;
    ate += static_cast<float>(k * (static_cast<double>(effe) - 1.0) /
                              std::sqrt(static_cast<double>(effe)));
    ato += static_cast<float>(k * (static_cast<double>(effo) - 1.0) /
                              std::sqrt(static_cast<double>(effo)));
  }
}

}  // namespace cuplo::ops
