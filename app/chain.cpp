// The analysis chain of the operations, on the driver's working values.
#include "models/chain.hpp"
#include "app/operations.hpp"

namespace cuplo::app {
namespace {

models::Statics statics(const Work& work) {
  return {work.wte, work.wto, work.zoeap, work.zooap, work.effc, work.effe, work.effo};
}

}  // namespace

void static_analysis(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  models::Statics st;
  models::CouplerValues c;
  models::static_chain(d.er, d.h, work.iflag, d.n, work.s, d.t, work.w, st, c, session.msimp1,
                       out.observer(d));
  work.wte = st.wte;
  work.wto = st.wto;
  work.zoeap = st.zoeap;
  work.zooap = st.zooap;
  work.effc = st.effc;
  work.effe = st.effe;
  work.effo = st.effo;
  work.cc = c.cc;
  work.ko = c.ko;
  work.zo = c.zo;
  work.zoe = c.zoe;
  work.zoo = c.zoo;
}

bool dispersive_analysis(Session& session, Work& work, float f, float& coupling) {
  const input::DesignState& d = session.state;
  models::CouplerValues c;
  const bool ok = models::dispersive_chain(
      statics(work), d.er, f, d.h, work.iflag, input::dispersed_modes(d), d.n, work.s, c,
      session.lceff1, session.lcdis1, session.msimp1, session.mszo1);
  work.cc = c.cc;
  coupling = c.ko;
  work.zof = c.zo;
  work.zoef = c.zoe;
  work.zoof = c.zoo;
  return ok;
}

}  // namespace cuplo::app
