#include "ops/operations.hpp"

#include <cmath>

#include "models/microstrip.hpp"

namespace cuplo::ops {

std::int32_t static_analysis(const Material& m, const Strips& x, models::Statics& st,
                             models::CouplerValues& coupler, Records& r, Observer observer) {
  std::int32_t iflag = 0;
  models::static_chain(m.er, m.h, iflag, x.n, x.s, m.t, x.w, st, coupler, r.msimp1, observer);
  return iflag;
}

bool dispersive_analysis(const Material& m, const Strips& x, const models::Statics& st, float f,
                         models::Modes modes, std::int32_t& iflag, models::CouplerValues& coupler,
                         Records& r) {
  return models::dispersive_chain(st, m.er, f, m.h, iflag, modes, x.n, x.s, coupler, r.lceff1,
                                  r.lcdis1, r.msimp1, r.mszo1);
}

std::int32_t pair_impedances(const Material& m, const Strips& x, models::Statics& st,
                             models::CouplerValues& coupler, models::MsImp1& msimp1,
                             Observer observer) {
  std::int32_t iflag = 0;
  models::lcimp(m.er, m.h, iflag, x.n, x.s, st.wte, st.wto, st.zoeap, st.zooap, msimp1, observer);
  models::lczo(coupler.cc, coupler.ko, x.n, coupler.zo, coupler.zoe, st.zoeap, coupler.zoo,
               st.zooap);
  return iflag;
}

void static_permittivities(const Material& m, const Strips& x, models::Statics& st,
                           models::MsImp1& msimp1, Observer observer) {
  models::lcwta(m.er, m.h, x.s, m.t, x.w, st.wte, st.wto);
  models::lcpv(st.effc, st.effe, st.effo, m.er, m.h, x.n, x.s, m.t, x.w, st.wte, st.wto, msimp1,
               observer);
}

float quarter_wave_length(const Material& m, const Strips& x, const models::Statics& st, float f,
                          models::LcEff1& lceff1) {
  models::lceff(st.effc, st.effe, st.effo, m.er, f, m.h, models::Modes::both, x.s, st.wte, st.wto,
                lceff1);
  return design::quarter_wave_length(f, lceff1.effcf);
}

bool centre_frequency(const Material& m, const Strips& x, const models::Statics& st, float l,
                      float& f, models::LcEff1& lceff1) {
  return design::msfsyn(st.effc, st.effe, st.effo, m.er, f, m.h, l, x.s, st.wte, st.wto, lceff1);
}

std::int32_t static_synthesis(const Material& m, std::int32_t n, float zo, float cc, float& w,
                              float& s, models::Statics& st, models::MsImp1& msimp1,
                              Observer observer) {
  models::lczoezoo(cc, n, zo, st.zoeap, st.zooap);
  std::int32_t iflag = 0;
  design::lcws(m.er, m.h, iflag, n, s, m.t, st.wte, st.wto, st.zoeap, st.zooap);
  if (iflag != 0) return iflag;
  // A width search that does not converge fails the synthesis like a spacing search that
  // leaves its range; the permittivities of its last trial width are formed all the same.
  const bool found = models::lcwts(m.er, m.h, s, m.t, w, st.wte);
  models::lcpv(st.effc, st.effe, st.effo, m.er, m.h, n, s, m.t, w, st.wte, st.wto, msimp1,
               observer);
  return found ? 0 : 1;
}

std::int32_t dispersive_synthesis(const Material& m, std::int32_t n, float f,
                                  models::CouplerValues& coupler, float& w, float& s,
                                  models::Statics& st, Records& r, Observer observer) {
  std::int32_t iflag = 0;
  design::lcsyn(coupler.cc, m.er, f, m.h, iflag, n, s, m.t, w, st.wte, coupler.zo, coupler.zoe,
                coupler.zoo, r.lceff1, r.lcdis1, r.msimp1, r.mszo1, observer);
  return iflag;
}

bool microstrip_width(const Material& m, float z, float& w, models::MsImp1& msimp1) {
  // The impedance falls as the strip widens: bisection on the width, bounded at 200 halvings,
  // between 1/1000 and 30 substrate heights; the narrow end is kept at the strip thickness or
  // above, where the logarithmic thickness correction of the width still holds. A z outside
  // the bracket has no width.
  const float h2 = 1000.0f * m.h;
  auto zo = [&](float width) {
    models::msimp(m.er, m.h, h2, m.t, width, msimp1);
    return msimp1.zo;
  };
  float lo = std::fmax(m.h * 0.001f, m.t);
  float hi = m.h * 30.0f;
  if (!(zo(lo) >= z && zo(hi) <= z)) return false;
  for (int k = 0; k < 200 && hi - lo > lo * 1e-7f; ++k) {
    const float mid = 0.5f * (lo + hi);
    if (zo(mid) > z) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  w = 0.5f * (lo + hi);
  return true;
}

void four_port(const Material& m, const Strips& x, const Losses& losses, float l, float f, float rs,
               float rl, float zoe, float zoo, Records& r, network::LcFa1& out, Observer observer) {
  float ate = 0.0f;
  float ato = 0.0f;
  network::lclos(ate, ato, m.er, f, m.h, x.n, losses.res, x.s, losses.sr, m.t, losses.tlos, x.w,
                 zoe, zoo, r.lceff1, r.msimp1, observer);
  out.f = f;
  network::lcfa(ate, ato, r.lceff1.effef, r.lceff1.effof, l, rl, rs, zoe, zoo, out);
}

void sensitivity(const Material& m, const Strips& x, float f, models::Modes modes, Sensitivity& out,
                 Records& r, Observer observer) {
  design::lcsen(m.er, f, m.h, out.iflag, modes, x.n, x.s, m.t, x.w, out.zoef, out.zoof, out.even,
                out.odd, r.lceff1, r.lcdis1, r.msimp1, r.mszo1, observer);
}

}  // namespace cuplo::ops
