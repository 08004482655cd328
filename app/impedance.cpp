// Impedance analysis: the coupler's impedances, coupling and effective permittivities at one
// frequency over a range of strip widths or of strip spacings.
#include "app/operations.hpp"

namespace cuplo::app {
namespace {

using text::Format;

const Format kTitle(
    "(10X,'Er =',F6.2,13X,'Impedance Analysis',12X,'H =',F7.4,'\"',"
    "/,11X,'N =',I2,1X,'Strips',9X,20(1H=),11X,'T =',F7.6,'\"',"
    "/,36X,'(Option ',I1,'.',I1,')')");
const Format kHeads(
    "(/,28X,'Impedances at',F7.3,' GHz',"
    "/,11X,'Strip Dimensions',1X,24(1H-),10X,'Effective Er',"
    "/,11X,16(1H-),11X,'Even',4X,'Odd',3X,'Midband',3X,'at',F7.3,' GHz',"
    "/,12X,'Width',3X,'Spacing',2X,'Coupler',2X,'Mode',4X,'Mode',2X,'Coupling',2X,13(1H-),"
    "/,14X,'W',8X,'S',7X,'Zo',5X,'Zoe',5X,'Zoo',6X,'Co',5X,'Even',4X,'Odd',"
    "/,8X,2(4X,'(In.)'),1X,3(2X,'(Ohms)'),3X,'(dB)',2(4X,'Mode'),"
    "/,10X,65(1H-))");
const Format kRow("(1X,F16.5,F9.5,F9.2,F8.2,F8.2,F8.3,F7.2,F8.2)");

}  // namespace

void impedance_analysis(Session& session, Work& work, Output& out, float f) {
  const input::DesignState& d = session.state;
  out.both(kTitle, {d.er, d.h, d.n, d.t, d.option(), code(d.iop1)});
  out.both(kHeads, {f, f});

  for (std::int64_t ii = 0; ii <= d.i; ++ii) {
    if (d.iop1 == input::ImpedanceSweep::spacing) {
      work.s = sweep_value(d.smin, ii, d.sstep);
    } else {
      work.w = sweep_value(d.wmin, ii, d.wstep);
    }
    static_analysis(session, work, out);
    if (!dispersive_analysis(session, work, f)) {
      diagnostics(session, work, out, f);
      return;
    }
    const models::CouplerValues& z = work.dispersive;
    const models::LcEff1& e = session.records.lceff1;
    out.both(kRow, {work.w, work.s, z.zo, z.zoe, z.zoo, z.ko, e.effef, e.effof});
  }
}

}  // namespace cuplo::app
