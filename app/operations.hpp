// The four operations of the program with their reports, and the accuracy-limit diagnostics
// that replace the rest of a report when a model leaves its range of accuracy.
#pragma once

#include <cstdint>

#include "app/output.hpp"
#include "app/session.hpp"
#include "cuplo/sweep.hpp"

namespace cuplo::app {

// The driver's working values. effc, effe, effo, fo, wte and wto persist from one pass to
// the next (parameter entry fills them on the four-port path); the others are set by each
// pass and its operation.
struct Work {
  float w = 0.0f;
  float s = 0.0f;
  float cc = 0.0f;
  float ko = 0.0f;
  float kof = 0.0f;
  float zo = 0.0f;
  float zoe = 0.0f;
  float zoo = 0.0f;
  float zof = 0.0f;
  float zoef = 0.0f;
  float zoof = 0.0f;
  float zoeap = 0.0f;
  float zooap = 0.0f;
  float wte = 0.0f;
  float wto = 0.0f;
  float effc = 0.0f;
  float effe = 0.0f;
  float effo = 0.0f;
  float fo = 0.0f;
  float ate = 0.0f;
  float ato = 0.0f;
  std::int32_t iflag = 0;
};

void impedance_analysis(Session& session, Work& work, Output& out);
void four_port_response(Session& session, Work& work, Output& out);
void dispersion_table(Session& session, Work& work, Output& out);
void static_synthesis(Session& session, Work& work, Output& out);
void dispersive_synthesis(Session& session, Work& work, Output& out);
void sensitivity_analysis(Session& session, Work& work, Output& out);

// The accuracy-limit diagnostics: the terminated operation and the design quantities that
// lie outside the models' limits. Leaves state.i holding the number of lines printed.
void diagnostics(Session& session, const Work& work, Output& out);

// The analysis chain on the driver's working values. static_analysis: widths, pair
// impedances, static coupler values and permittivities of work.w and work.s.
// dispersive_analysis: at f from those static values, lceff into lceff1, lcdis into lcdis1
// and the coupler's zof, zoef, zoof and coupling; false when a model leaves its range of
// accuracy.
void static_analysis(Session& session, Work& work, Output& out);
bool dispersive_analysis(Session& session, Work& work, float f, float& coupling);

// Sweeps count their points in 64 bits, so a sweep of the largest 32-bit point count ends
// without overflow.
using cuplo::sweep_value;

}  // namespace cuplo::app
