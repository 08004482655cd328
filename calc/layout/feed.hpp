// The feed lines' width: a single microstrip of the reference impedance on the substrate.
#pragma once

#include "cuplo/coupler.hpp"

namespace cuplo::layout {

// Width, inches, of a single microstrip of impedance z ohms (static Hammerstad-Jensen model
// with the strip thickness t, no cover); failed (no_solution) when no width between 1/10000
// and 100 substrate heights has that impedance.
Result<float> feed_width(const Substrate& substrate, float z);

}  // namespace cuplo::layout
