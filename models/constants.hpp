// Physical and conversion constants shared by the models, with the decimals that the 32-bit
// values hold. Written once here; never recomputed from physics.
#pragma once

namespace cuplo::models {

inline constexpr float kPi = 3.1415927f;
inline constexpr float kEta = 376.73047f;          // wave impedance of free space, ohms
inline constexpr float kLightInchNs = 11.802855f;  // speed of light, inches per nanosecond
inline constexpr float kLightMs = 299792512.0f;    // speed of light, metres per second
inline constexpr float kDbPerNeper = 8.686f;
inline constexpr float kMmPerInch = 25.4f;

}  // namespace cuplo::models
