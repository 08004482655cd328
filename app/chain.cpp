// The analysis chain of the operations, on the driver's working values.
#include "app/operations.hpp"

namespace cuplo::app {

ops::Material material(const input::DesignState& d) {
  return {d.er, d.h, d.t};
}

ops::Strips strips(const input::DesignState& d, const Work& work) {
  return {d.n, work.w, work.s};
}

void static_analysis(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  work.iflag = ops::static_analysis(material(d), strips(d, work), work.statics, work.coupler,
                                    session.records, out.observer(d));
}

bool dispersive_analysis(Session& session, Work& work, float f) {
  const input::DesignState& d = session.state;
  return ops::dispersive_analysis(material(d), strips(d, work), work.statics, f,
                                  input::dispersed_modes(d), work.iflag, work.dispersive,
                                  session.records);
}

}  // namespace cuplo::app
