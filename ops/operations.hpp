// The operations of the coupler, each written once over value structs and called by every
// face: the console's reports and the library alike. An operation runs the model routines in
// their fixed order on the caller's scratch records; the caller decides what to show of it.
// Lengths in inches, frequencies in GHz, impedances in ohms, as the routines take them.
#pragma once

#include <cstdint>

#include "design/design.hpp"
#include "models/chain.hpp"
#include "models/coupled.hpp"
#include "models/records.hpp"
#include "network/network.hpp"

namespace cuplo::ops {

// The substrate and the strips' thickness.
struct Material {
  float er = 1.0f;
  float h = 0.0f;
  float t = 0.0f;
};

// The cross-section: number of strips, width and spacing.
struct Strips {
  std::int32_t n = 4;
  float w = 0.0f;
  float s = 0.0f;
};

// The conductor and dielectric losses as the four-port takes them: resistivity in
// ohm-inches, roughness in inches, the loss tangent.
struct Losses {
  float res = 0.0f;
  float sr = 0.0f;
  float tlos = 0.0f;
};

// The scratch records of the model routines, one set per caller: the console keeps one set
// for its whole run, the library one per calculation.
struct Records {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
};

// Who watches lcimp's intermediate values (null: nobody).
using Observer = const models::LcImpObserver*;

// The static analysis of a cross-section: widths, pair impedances, the static coupler values
// and permittivities. Returns iflag as lcimp leaves it (2: the odd mode not below the even).
std::int32_t static_analysis(const Material& m, const Strips& x, models::Statics& st,
                             models::CouplerValues& coupler, Records& r, Observer observer);

// The coupler at f from the static values, the given modes dispersed: the effective
// permittivities in r.lceff1, the dispersive pair impedances in r.lcdis1 and the coupler's
// values. iflag enters as the static analysis left it; false when it is not 0 on return.
bool dispersive_analysis(const Material& m, const Strips& x, const models::Statics& st, float f,
                         models::Modes modes, std::int32_t& iflag, models::CouplerValues& coupler,
                         Records& r);

// The pair impedances (lcimp) of the widths in st and the static coupler values (lczo) from
// them: st.zoeap, st.zooap and coupler. Returns iflag as lcimp leaves it.
std::int32_t pair_impedances(const Material& m, const Strips& x, models::Statics& st,
                             models::CouplerValues& coupler, models::MsImp1& msimp1,
                             Observer observer);

// The thickness-corrected widths and static permittivities alone (the four-port's length and
// centre frequency need no pair impedances): st.wte, st.wto, st.effc, st.effe, st.effo.
void static_permittivities(const Material& m, const Strips& x, models::Statics& st,
                           models::MsImp1& msimp1, Observer observer);

// The length that is a quarter wave at f on the coupler's permittivity dispersed to f (both
// modes); r.lceff1 holds the permittivities at f.
float quarter_wave_length(const Material& m, const Strips& x, const models::Statics& st, float f,
                          models::LcEff1& lceff1);

// The centre frequency of a coupler of length l: where it is a quarter wave on the coupler's
// permittivity dispersed to that frequency (msfsyn). False when the search reached its bound;
// f is then its last trial.
bool centre_frequency(const Material& m, const Strips& x, const models::Statics& st, float l,
                      float& f, models::LcEff1& lceff1);

// Static width and spacing synthesis for the coupler's zo and voltage coupling cc: the pair
// impedances (lczoezoo), the spacing and effective widths (lcws), then, when the spacing
// search succeeded, the physical width (lcwts) and the static permittivities (lcpv). Returns
// iflag: 0, or 1 when a search failed. After a failed spacing search w and the permittivities
// keep the values they held.
std::int32_t static_synthesis(const Material& m, std::int32_t n, float zo, float cc, float& w,
                              float& s, models::Statics& st, models::MsImp1& msimp1,
                              Observer observer);

// Dispersive width and spacing synthesis at f (lcsyn): the static synthesis inside a loop that
// shifts the targets in coupler (cc, zo, zoe, zoo; ko is not used) until the dispersive
// coupler impedances at f meet them. w, s and st.wte are the start and the result; the last
// pass's permittivities and pair impedances stay in r. Returns iflag: 0, or 1 when a search
// failed or the loop reached its bound.
std::int32_t dispersive_synthesis(const Material& m, std::int32_t n, float f,
                                  models::CouplerValues& coupler, float& w, float& s,
                                  models::Statics& st, Records& r, Observer observer);

// The width w of a single microstrip of impedance z (Hammerstad and Jensen's static model
// with the strip thickness), found by a bounded search. False when no width between 1/1000
// and 30 substrate heights has that impedance.
bool microstrip_width(const Material& m, float z, float& w, models::MsImp1& msimp1);

// The four-port response at f of a coupler of length l between the terminations rs and rl,
// from the mode impedances zoe and zoo and the permittivities in r.lceff1 at f: the mode
// attenuations (lclos, which may recompute r.lceff1 for the dielectric loss), then the
// even/odd-mode response (lcfa) into out, out.f = f.
void four_port(const Material& m, const Strips& x, const Losses& losses, float l, float f, float rs,
               float rl, float zoe, float zoo, Records& r, network::LcFa1& out, Observer observer);

// The normalized sensitivities of the dispersive impedances at f, the given modes dispersed,
// and the impedances zoef and zoof there.
struct Sensitivity {
  float zoef = 0.0f;
  float zoof = 0.0f;
  design::LcSen1 even;
  design::LcSen2 odd;
  std::int32_t iflag = 0;
};
void sensitivity(const Material& m, const Strips& x, float f, models::Modes modes, Sensitivity& out,
                 Records& r, Observer observer);

}  // namespace cuplo::ops
