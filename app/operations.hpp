// The four operations of the program with their reports, and the accuracy-limit diagnostics
// that replace the rest of a report when a model leaves its range of accuracy.
#pragma once

#include <cstdint>

#include "app/output.hpp"
#include "app/session.hpp"
#include "cuplo/sweep.hpp"
#include "ops/operations.hpp"

namespace cuplo::app {

// The driver's working values. The statics persist from one pass to the next (parameter
// entry fills the widths and permittivities on the four-port path, and a failed dispersive
// synthesis starts from the widths that were there); the others are set by each pass and its
// operation.
struct Work {
  float w = 0.0f;
  float s = 0.0f;
  models::Statics statics;           // widths, pair impedances, static permittivities
  models::CouplerValues coupler;     // static: cc, ko, zo, zoe, zoo (the targets in synthesis)
  models::CouplerValues dispersive;  // at the analysis frequency
  float fo = 0.0f;                   // design centre frequency, GHz
  std::int32_t iflag = 0;
};

// The operations given the spot frequency f (GHz) run at it: the impedance and sensitivity
// analyses and the dispersive synthesis; the static synthesis judges its accuracy limits at
// it. The sweeps over frequency set their own.
void impedance_analysis(Session& session, Work& work, Output& out, float f);
void four_port_response(Session& session, Work& work, Output& out);
void dispersion_table(Session& session, Work& work, Output& out);
void static_synthesis(Session& session, Work& work, Output& out, float f);
void dispersive_synthesis(Session& session, Work& work, Output& out, float f);
void sensitivity_analysis(Session& session, Work& work, Output& out, float f);

// The accuracy-limit diagnostics of an operation that stopped at the analysis frequency f: the
// terminated operation and the design quantities that lie outside the models' limits. Returns
// the number of quantities listed.
std::int32_t diagnostics(const Session& session, const Work& work, Output& out, float f);

// The analysis chain on the driver's working values. static_analysis: widths, pair
// impedances, static coupler values and permittivities of work.w and work.s into
// work.statics and work.coupler. dispersive_analysis: at f from those static values, lceff
// into lceff1, lcdis into lcdis1 and the coupler's values into work.dispersive; false when a
// model leaves its range of accuracy.
void static_analysis(Session& session, Work& work, Output& out);
bool dispersive_analysis(Session& session, Work& work, float f);

// The operations' view of the design.
ops::Material material(const input::DesignState& d);
ops::Strips strips(const input::DesignState& d, const Work& work);

// Sweeps count their points in 64 bits, so a sweep of the largest 32-bit point count ends
// without overflow.
using cuplo::sweep_value;

}  // namespace cuplo::app
