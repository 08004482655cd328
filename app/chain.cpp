// The dispersive part of the analysis chain, shared by the operations.
#include "app/operations.hpp"
#include "models/coupled.hpp"

namespace cuplo::app {

void dispersive_permittivities(Session& session, Work& work, float f) {
  const input::DesignState& d = session.state;
  models::lceff(work.effc, work.effe, work.effo, d.er, f, d.h, d.ieoro, d.iop, work.s, work.wte,
                work.wto, session.lceff1);
}

bool dispersive_impedances(Session& session, Work& work, float f, float& coupling) {
  const input::DesignState& d = session.state;
  const float h2 = d.h * 1000.0f;
  models::lcdis(work.effo, session.lceff1.effof, d.er, f, d.h, h2, d.ieoro, work.iflag, d.iop,
                work.s, work.wte, work.wto, work.zoeap, work.zooap, session.lcdis1, session.msimp1,
                session.mszo1);
  if (work.iflag != 0) return false;
  models::lczo(work.cc, coupling, d.n, work.zof, work.zoef, session.lcdis1.zoeapf, work.zoof,
               session.lcdis1.zooapf);
  return true;
}

}  // namespace cuplo::app
