// The operations of the field-solved model: the cross-section's static values from the 2-D
// field solution, the conductor and dielectric attenuation of its modes, and the synthesis
// and sensitivities on it. They plug the solution into the same dispersion (Kirschning and
// Jansen's, taking the field-solved static values where the closed-form chain takes its own)
// and the same four-port as the closed-form operations. Inches, GHz and ohms, as there.
#pragma once

#include <cstdint>
#include <string>

#include "field/field.hpp"
#include "ops/operations.hpp"

namespace cuplo::ops {

// The coupler values of a field solution: zo, zoe, zoo, the voltage coupling cc and ko (dB).
models::CouplerValues coupler_values(const field::Modes& modes);

// The static values of a cross-section from its field solution: the coupler's impedances and
// effective permittivities, the pair impedances that give those impedances by Ou's relations
// (lczoezoo: the dispersion acts on the pair values), and the thickness-corrected widths of
// the closed-form chain (lcwta), which the dispersion formulas take. False when the solver
// refuses the cross-section; message then says why.
bool field_statics(const Material& m, const Strips& x, models::Statics& st,
                   models::CouplerValues& coupler, field::Solution& solution, std::string& message);

// The coupler at f from field statics, the given modes dispersed: as dispersive_analysis, but
// at f = 0 the field-solved values themselves (the conversion to pair values and back would
// round them).
bool field_dispersive(const Material& m, const Strips& x, const models::Statics& st,
                      const models::CouplerValues& statics_coupler, float f, models::Modes modes,
                      models::CouplerValues& coupler, Records& r);

// Attenuation of the even and odd modes, dB per inch, at f: the conductor loss by Wheeler's
// incremental-inductance rule with the solver (the mode impedances in air with every
// conductor surface receded by half the skin depth, the ground plane's too, raised by the
// surface roughness correction of Hammerstad and Bekkadal), and the dielectric loss of a
// quasi-TEM mode from its filling factor. zoe, zoo and the permittivities are the modes'
// values at f; base is the cross-section's own solution.
void field_attenuation(const Material& m, const Strips& x, const Losses& losses, float f, float zoe,
                       float zoo, float effe, float effo, const field::Solution& base, float& ate,
                       float& ato);

}  // namespace cuplo::ops
