// Single microstrip: static (Hammerstad-Jensen) and dispersive (Kirschning-Jansen) models.
#pragma once

#include "models/records.hpp"

namespace cuplo::models {

// Hammerstad-Jensen quasi-static impedance and effective permittivity of one microstrip of
// width w and thickness t on a substrate er, h1, with a cover at h2; results in msimp1.
void msimp(float er, float h1, float h2, float t, float w, MsImp1& msimp1);

// Kirschning-Jansen dispersion of a single microstrip: ef and zo (static, from msimp) to
// their values at f GHz; results in mszo1.
void mszo(float ef, float er, float f, float h1, float w, float zo, MsZo1& mszo1);

}  // namespace cuplo::models
