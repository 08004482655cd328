// Pieces of the coupler response and of the loss routine that are exposed on their own so
// that their edge cases can be checked directly. Not part of the network interface.
#pragma once

namespace cuplo::network::detail {

// Phase difference of the coupled and through waves, |ang2 - ang4| reduced by whole
// half-turns to [0, 180) degrees.
float quadrature_phase(float ang2, float ang4);

// Surface resistance, ohms, of a conductor of resistivity res (ohm-inches) at f (GHz),
// raised by the roughness correction fitted by Hammerstad and Bekkadal to Morgan's data for an rms
// roughness sr (inches).
float surface_resistance(float f, float res, float sr);

}  // namespace cuplo::network::detail
