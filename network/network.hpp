// Line and network algebra, the four-port coupler response and the coupler's losses.
#pragma once

#include <array>
#include <cstdint>

#include "models/coupled.hpp"
#include "models/records.hpp"

namespace cuplo::network {

// A complex number: real part, imaginary part.
using Complex = std::array<float, 2>;
// A chain matrix: [0] real parts, [1] imaginary parts; columns A, B, C, D.
using Abcd = std::array<std::array<float, 4>, 2>;

// Result record of lcfa; f is the analysis frequency, set by the caller.
struct LcFa1 {
  std::array<float, 4> ang{};  // phase at ports 1 to 4, degrees
  float atot = 0.0f;           // dissipative loss, dB
  float err = 0.0f;            // quadrature error, degrees
  float f = 0.0f;              // analysis frequency, GHz
  float loss = 0.0f;           // total loss, dB
  std::array<float, 4> mag{};  // amplitude at ports 1 to 4, dB
  float phi = 0.0f;            // phase difference of ports 2 and 4, degrees
  float vswr = 0.0f;           // input VSWR
  // The complex wave at ports 1 to 4: [0] real parts, [1] imaginary parts.
  std::array<std::array<float, 4>, 2> wave{};
};

// The conductor values as typed (resistivity in micro-ohm-cm, roughness in micro-inches) in
// the units of lclos: ohm-inches and inches.
inline float resistivity_ohm_inch(float res1) {
  return res1 * 0.000001f / 2.54f;
}
inline float roughness_inch(float sr1) {
  return sr1 * 0.000001f;
}

// (xt, yt) = (x1, y1) times (x2, y2), or times its conjugate when ltype is 2.
void nmult(std::int32_t ltype, float& xt, float& yt, float x1, float y1, float x2, float y2);

// Four-quadrant arctangent of the point (x, y), radians.
float atn2(float x, float y);

// Chain matrix of a line section: impedance z, electrical length theta, attenuation sigma.
void xline(float z, float theta, float sigma, Abcd& abcd);

// Transmission and reflection of a two-port between a source zs and a load zl.
void taugam(Complex& tau, Complex& gamma, const Abcd& abcd, float zl, float zs);

// Four-port response of the coupler at lcfa1.f by even/odd-mode decomposition.
void lcfa(float ate, float ato, float effe, float effo, float l, float rl, float rs, float zoe,
          float zoo, LcFa1& lcfa1);

// Conductor (incremental inductance, with roughness) and dielectric attenuation of the even
// and odd modes, dB per inch.
void lclos(float& ate, float& ato, float er, float f, float h, std::int32_t n, float res, float s,
           float sr, float t, float tlos, float w, float zoe, float zoo, models::LcEff1& lceff1,
           models::MsImp1& msimp1, const models::LcImpObserver* observer);

}  // namespace cuplo::network
