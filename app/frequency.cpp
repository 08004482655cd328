// Frequency analysis: the four-port response of the coupler over a frequency range, and the
// dispersion of the cross-section.
#include <array>
#include <limits>

#include "app/operations.hpp"
#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace cuplo::app {
namespace {

using text::Format;

const Format kFourPortTitle(
    "(8X,'DLTAN =',F6.5,12X,'Frequency Analysis',10X,'N =',I2,' Strips',"
    "/,10X,'RES =',F6.3,11X,20(1H=),9X,'H =',F7.4,'\"',"
    "/,11X,'SR =',F6.2,'u','\"',13X,'(Option ',I1,'.',I1,')',13X,'W =',F7.4,'\"',"
    "/,11X,'Rs =',F6.2,' Ohms',35X,'S =',F7.4,'\"',"
    "/,11X,'Rl =',F6.2,' Ohms',4X,'Design Center Frequency,',7X,'L =',F7.4,'\"',"
    "/,11X,'Er =',F6.2,13X,'Fo =',F8.4,' GHz',11X,'T =',F7.6,'\"')");
const Format kBaselineHeading(
    "(/,30X,'Baseline Coupler Parameters:',//,30X,'Effective',10X,'Impedances in Ohms')");
const Format kPermittivityHeads(
    "(25X,'Dielectric Constants',2X,22(1H-),"
    "/,25X,20(1H-),3X,'Even',4X,'Odd',"
    "/,15X,'Frequency',2X,'Even',3X,'Odd',12X,'Mode',4X,'Mode',2X,'Coupler',"
    "/,17X,'(GHz)',4X,'Mode',3X,'Mode',1X,'Coupler',3X,'Zoe',5X,'Zoo',6X,'Zo',"
    "/,15X,54(1H-))");
const Format kPermittivityRow("(1X,F22.4,F7.2,F7.2,F7.2,F9.2,F8.2,F8.2)");
const Format kLeadIn(
    "(/,18X,'The above baseline coupler parameters yield the',"
    "/,27X,'following frequency response:')");
const Format kMagnitudePhaseHeads(
    "(/,18X,'Port One',8X,'Port Two',7X,'Port Three',7X,'Port',' Four',"
    "/,18X,'Reflected',7X,'Coupled',8X,'Isolated',9X,'Thru',' Path',"
    "/,16X,13(1H-),2X,14(1H-),3X,13(1H-),3X,13(1H-),"
    "/,6X,'Analysis',3X,'Amp-',3X,'Phase',3(4X,'Amp-',3X,'Phase'),"
    "/,6X,'Frequency ','litude  (Deg-',3(3X,'litude',2X,'(Deg-'),"
    "/,8X,'(GHz)',4(4X,'(dB)',3X,'rees)'),"
    "/,6X,71(1H-))");
const Format kMagnitudePhaseRow("(1X,F13.4,F7.1,F8.1,F9.3,F7.1,F8.1,F8.1,F9.3,F7.1)");
const Format kQuadratureHeads(
    "(/,49X,'Quadrature',"
    "/,17X,'Ports 1-4 Output Amplitudes',3X,15(1H-),"
    "/,6X,'Analysis ',31(1H-),2X,'Phase',3X,'Error',3X,'I*I*R',3X,'Total',"
    "/,6X,'Frequency Input  Coupled Isolated  ','Thru',2(3X,'(Deg-'),4X,'Loss',4X,'Loss',"
    "/,8X,'(GHz)',4X,'VSWR',3(4X,'(dB)'),2(3X,'rees)'),2(4X,'(dB)'),"
    "/,6X,71(1H-))");
const Format kQuadratureRow("(1X,F13.4,F7.3,F9.3,F8.1,F7.3,F8.2,F7.2,F9.4,F8.4)");

const Format kDispersionTitle(
    "(15X,'Er =',F6.2,8X,'Frequency Analysis',6X,'S =',F8.5,'\"',"
    "/,16X,'H =',F7.4,'\"',5X,20(1H=),5X,'W =',F8.5,'\"',"
    "/,16X,'N =',I2,' Strips',8X,'(Option ',I1,'.',I1,')',9X,'T =',F7.6,'\"')");
const Format kDispersionHeading("(/,30X,'Effective',10X,'Impedances in Ohms')");

// Widths, static permittivities, pair impedances and static coupler impedances of the
// design; with the four-port response the widths and permittivities are those that
// parameter entry computed for the design.
void common_start(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  models::Statics& st = work.statics;
  if (d.iop2a != input::FrequencyAnalysis::four_port) {
    ops::static_permittivities(material(d), strips(d, work), st, session.records.msimp1,
                               out.observer(d));
  }
  work.iflag = ops::pair_impedances(material(d), strips(d, work), st, work.coupler,
                                    session.records.msimp1, out.observer(d));
}

// The report's figures where the response has none: a floor for a wave that is absent
// (minus infinity dB; the widest negative number that the narrowest column of that port can
// show), and caps for an infinite VSWR and a loss of minus infinity dB.
void report_floors(network::LcFa1& r) {
  constexpr std::array<float, 4> kMagFloor{-999.9f, -999.999f, -999.9f, -99.999f};
  for (std::size_t i = 0; i < 4; ++i) {
    if (r.mag[i] == -std::numeric_limits<float>::infinity()) r.mag[i] = kMagFloor[i];
  }
  if (r.atot < -99.9999f) r.atot = -99.9999f;
  if (r.loss < -99.9999f) r.loss = -99.9999f;
  if (r.vswr > 99.999f) r.vswr = 99.999f;
}

// The baseline block of the four-port report: the title and the static and dispersive rows at
// the centre frequency, on the console at once and in the storage file only when the
// dispersion at the centre frequency holds. False (after the diagnostics) when it does not.
bool baseline(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  common_start(session, work, out);
  const bool dispersive_ok = dispersive_analysis(session, work, work.fo);
  const models::LcEff1& e = session.records.lceff1;
  const models::Statics& st = work.statics;
  const models::CouplerValues& c = work.coupler;
  const models::CouplerValues& z = work.dispersive;

  const std::initializer_list<text::Arg> title = {
      d.tlos, d.n,  d.res1, d.h,  d.sr1,   d.option(), code(d.iop2a), work.w, d.rs,
      work.s, d.rl, d.l,    d.er, work.fo, d.t};
  out.console(kFourPortTitle, title);
  out.console(kBaselineHeading);
  out.console(kPermittivityHeads);
  if (!dispersive_ok) {
    diagnostics(session, work, out, work.fo);
    return false;
  }
  const std::initializer_list<text::Arg> static_row = {0.0f,  st.effe, st.effo, st.effc,
                                                       c.zoe, c.zoo,   c.zo};
  const std::initializer_list<text::Arg> dispersive_row = {work.fo, e.effef, e.effof, e.effcf,
                                                           z.zoe,   z.zoo,   z.zo};
  out.console(kPermittivityRow, static_row);
  out.console(kPermittivityRow, dispersive_row);
  out.console(kLeadIn);
  out.storage(kFourPortTitle, title);
  out.storage(kBaselineHeading);
  out.storage(kPermittivityHeads);
  out.storage(kPermittivityRow, static_row);
  out.storage(kPermittivityRow, dispersive_row);
  out.storage(kLeadIn);
  return true;
}

}  // namespace

void four_port_response(Session& session, Work& work, Output& out) {
  if (!baseline(session, work, out)) return;
  const input::DesignState& d = session.state;
  const models::Statics& st = work.statics;
  const models::CouplerValues& c = work.coupler;
  const models::CouplerValues& z = work.dispersive;

  // The verification mode sweeps with the static values: the driver's dispersion calls are
  // skipped.
  const bool verifying = d.verifying();
  if (verifying) {
    session.records.lceff1.effef = st.effe;
    session.records.lceff1.effof = st.effo;
    work.dispersive.zoe = c.zoe;
    work.dispersive.zoo = c.zoo;
  }
  const bool quadrature = d.iop2b == input::ResponseFormat::quadrature;
  out.both(quadrature ? kQuadratureHeads : kMagnitudePhaseHeads);

  network::LcFa1& r = session.lcfa1;
  const ops::Losses losses{d.res, d.sr, d.tlos};
  for (std::int64_t ii = 0; ii <= d.i; ++ii) {
    const float f = sweep_value(d.fmin, ii, d.fstep);
    if (!verifying && !dispersive_analysis(session, work, f)) {
      diagnostics(session, work, out, f);
      return;
    }
    ops::four_port(material(d), strips(d, work), losses, d.l, f, d.rs, d.rl, z.zoe, z.zoo,
                   session.records, r, out.observer(d));
    report_floors(r);
    if (quadrature) {
      out.both(kQuadratureRow,
               {r.f, r.vswr, r.mag[1], r.mag[2], r.mag[3], r.phi, r.err, r.atot, r.loss});
    } else {
      out.both(kMagnitudePhaseRow, {r.f, r.mag[0], r.ang[0], r.mag[1], r.ang[1], r.mag[2], r.ang[2],
                                    r.mag[3], r.ang[3]});
    }
  }
}

void dispersion_table(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  common_start(session, work, out);
  const models::Statics& st = work.statics;
  const models::CouplerValues& c = work.coupler;

  const std::initializer_list<text::Arg> title = {d.er, work.s,     d.h,           work.w,
                                                  d.n,  d.option(), code(d.iop2a), d.t};
  out.console(kDispersionTitle, title);
  out.console(kDispersionHeading);
  out.console(kPermittivityHeads);
  if (work.iflag != 0) {
    diagnostics(session, work, out, 0.0f);
    return;
  }
  // With a sweep from 0 GHz the first row is the static one.
  const bool static_row = d.fmin != 0.0f;
  const std::initializer_list<text::Arg> static_values = {0.0f,  st.effe, st.effo, st.effc,
                                                          c.zoe, c.zoo,   c.zo};
  if (static_row) out.console(kPermittivityRow, static_values);
  out.storage(kDispersionTitle, title);
  out.storage(kDispersionHeading);
  out.storage(kPermittivityHeads);
  if (static_row) out.storage(kPermittivityRow, static_values);

  for (std::int64_t ii = 0; ii <= d.i; ++ii) {
    const float f = sweep_value(d.fmin, ii, d.fstep);
    if (!dispersive_analysis(session, work, f)) {
      diagnostics(session, work, out, f);
      return;
    }
    const models::LcEff1& e = session.records.lceff1;
    const models::CouplerValues& z = work.dispersive;
    out.both(kPermittivityRow, {f, e.effef, e.effof, e.effcf, z.zoe, z.zoo, z.zo});
  }
}

}  // namespace cuplo::app
