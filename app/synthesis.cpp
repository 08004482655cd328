// Dimensional synthesis: the strip width and spacing that give the wanted coupler impedance
// and coupling, from static or from dispersive impedances. In the verification mode the
// synthesized dimensions are analysed again and shown under the result.
#include "app/operations.hpp"
#include "design/design.hpp"
#include "models/constants.hpp"
#include "models/coupled.hpp"

namespace cuplo::app {
namespace {

using text::Format;

const Format kTitle(
    "(6X,'Er =',F6.2,9X,'Strip Width and Spacing Synthesis',6X,'H =',F7.4,'\"',"
    "/,7X,'N =',I2,1X,'Strips',5X,35(1H=),5X,'T =',F7.6,'\"',"
    "/,36X,'(Option ',I1,'.',I1,')')");
const Format kStaticHeads(
    "(/,28X,'Static(D.C.) Impedances',"
    "/,11X,'Strip Dimensions',1X,23(1H-),11X,'Static(D.C.)',"
    "/,11X,16(1H-),11X,'Even',4X,'Odd',3X,'Midband',3X,'Effective Er',"
    "/,12X,'Width',3X,'Spacing',2X,'Coupler',2X,'Mode',4X,'Mode',2X,'Coupling',2X,12(1H-),"
    "/,14X,'W',8X,'S',7X,'Zo',5X,'Zoe',5X,'Zoo',6X,'Co',5X,'Even',4X,'Odd',"
    "/,12X,'(In.)',4X,'(In.)',3X,'(Ohms)',2X,'(Ohms)',2X,'(Ohms)',3X,'(dB)',4X,'Mode',4X,"
    "'Mode',/,10X,64(1H-))");
const Format kStaticRow("(1X,F16.5,F9.5,F9.2,F8.2,F8.2,F8.3,F7.2,F8.2)");
const Format kStaticCheck("(1X,'Analysis',F8.5,F9.5,F9.2,F8.2,F8.2,F8.3,F8.3,F8.3)");
const Format kDispersiveHeads(
    "(/,32X,'Dispersive Impedances',"
    "/,14X,'Strip Dimensions',1X,23(1H-),12X,'Dispersive',"
    "/,14X,16(1H-),11X,'Even',4X,'Odd',3X,'Midband',3X,'Effective Er',"
    "/,7X,'Fre-',5X,'Width',2X,'Spacing',2X,'Coupler',2X,'Mode',4X,'Mode',2X,'Coupling',2X,"
    "12(1H-),/,7X,'quency',5X,'W',7X,'S',7X,'Zo',5X,'Zoe',5X,'Zoo',6X,'Co',5X,'Even',4X,'Odd',"
    "/,7X,'(GHz)',4X,'(In.)',3X,'(In.)',3X,'(Ohms)',2X,'(Ohms)',2X,'(Ohms)',3X,'(dB)',4X,"
    "'Mode',4X,'Mode',/,6X,71(1H-))");
const Format kDispersiveRow("(1X,F12.4,F8.5,F8.5,F9.2,F8.2,F8.2,F8.3,F7.2,F8.2)");
const Format kDispersiveCheck("(1X,'Ana.',F8.4,F8.5,F8.5,F8.2,F8.2,F8.2,F8.3,F8.3,F8.3)");

void title(const Session& session, Output& out, const Format& heads) {
  const input::DesignState& d = session.state;
  out.console(kTitle, {d.er, d.h, d.n, d.t, d.option(), code(d.iops)});
  out.console(heads);
}

void stored_title(const Session& session, Output& out, const Format& heads) {
  const input::DesignState& d = session.state;
  out.storage(kTitle, {d.er, d.h, d.n, d.t, d.option(), code(d.iops)});
  out.storage(heads);
}

}  // namespace

void static_synthesis(Session& session, Work& work, Output& out, float f) {
  const input::DesignState& d = session.state;
  models::CouplerValues& c = work.coupler;
  const models::Statics& st = work.statics;
  work.iflag = ops::static_synthesis(material(d), d.n, c.zo, c.cc, work.w, work.s, work.statics,
                                     session.records.msimp1, out.observer(d));

  title(session, out, kStaticHeads);
  if (work.iflag != 0) {
    diagnostics(session, work, out, f);
    return;
  }
  const std::initializer_list<text::Arg> row = {work.w, work.s, c.zo,    c.zoe,
                                                c.zoo,  c.ko,   st.effe, st.effo};
  out.console(kStaticRow, row);
  if (d.verifying()) {
    static_analysis(session, work, out);
    out.console(kStaticCheck, {work.w, work.s, c.zo, c.zoe, c.zoo, c.ko, st.effe, st.effo});
  } else {
    stored_title(session, out, kStaticHeads);
    out.storage(kStaticRow, row);
  }
}

void dispersive_synthesis(Session& session, Work& work, Output& out, float f) {
  const input::DesignState& d = session.state;
  models::CouplerValues& c = work.coupler;
  ops::Records& r = session.records;
  work.iflag = ops::dispersive_synthesis(material(d), d.n, f, c, work.w, work.s, work.statics, r,
                                         out.observer(d));

  title(session, out, kDispersiveHeads);
  if (work.iflag != 0) {
    diagnostics(session, work, out, f);
    return;
  }
  const std::initializer_list<text::Arg> row = {f,     work.w, work.s,         c.zo,          c.zoe,
                                                c.zoo, c.ko,   r.lceff1.effef, r.lceff1.effof};
  out.console(kDispersiveRow, row);
  if (d.verifying()) {
    static_analysis(session, work, out);
    dispersive_analysis(session, work, f);
    const models::CouplerValues& z = work.dispersive;
    out.console(kDispersiveCheck,
                {f, work.w, work.s, z.zo, z.zoe, z.zoo, z.ko, r.lceff1.effef, r.lceff1.effof});
  } else {
    stored_title(session, out, kDispersiveHeads);
    out.storage(kDispersiveRow, row);
  }
}

}  // namespace cuplo::app
