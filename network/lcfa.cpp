// Four-port response of a symmetric coupled-line coupler by even/odd-mode decomposition
// (Reed and Wheeler): each mode is a single lossy line between the source and load
// resistances, and the port waves are the half-sums and half-differences of the two modes'
// reflection and transmission coefficients.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "models/constants.hpp"
#include "models/numeric.hpp"
#include "network/detail.hpp"
#include "network/network.hpp"

namespace cuplo::network {

using models::kDbPerNeper;
using models::kLightInchNs;
using models::kPi;

namespace detail {

float quadrature_phase(float ang2, float ang4) {
  float phi = std::fabs(ang2 - ang4);
  const float halfturns = phi / 180.0f;
  const std::int32_t k = models::int_trunc(halfturns);
  phi = phi - static_cast<float>(k) * 180.0f;
  return phi;
}

}  // namespace detail

void lcfa(float ate, float ato, float effe, float effo, float l, float rl, float rs, float zoe,
          float zoo, LcFa1& lcfa1) {
  const float f = lcfa1.f;
  float thetae = 0.0f;
  float thetao = 0.0f;
  if (f != 0.0f) {
    const float wl = kLightInchNs / f;
    thetae = std::sqrt(effe) * ((kPi + kPi) * l) / wl;
    thetao = std::sqrt(effo) * ((kPi + kPi) * l) / wl;
  }
  const float sigmae = ate * l / kDbPerNeper;
  const float sigmao = ato * l / kDbPerNeper;

  Abcd abcdoe{};
  Abcd abcdoo{};
  xline(zoe, thetae, sigmae, abcdoe);
  xline(zoo, thetao, sigmao, abcdoo);
  Complex tauoe{};
  Complex goe{};
  Complex tauoo{};
  Complex goo{};
  taugam(tauoe, goe, abcdoe, rl, rs);
  taugam(tauoo, goo, abcdoo, rl, rs);

  // a[i][p]: row i real or imaginary part, column p the wave at port p + 1 (reflected,
  // coupled, isolated, through).
  std::array<std::array<float, 4>, 2>& a = lcfa1.wave;
  for (std::size_t i = 0; i < 2; ++i) {
    a[i][0] = (goe[i] + goo[i]) * 0.5f;
    a[i][1] = (goe[i] - goo[i]) * 0.5f;
    a[i][2] = (tauoe[i] - tauoo[i]) * 0.5f;
    a[i][3] = (tauoe[i] + tauoo[i]) * 0.5f;
  }

  const float degrees = 180.0f / kPi;
  std::array<float, 4> port{};
  for (std::size_t i = 0; i < 4; ++i) {
    port[i] = std::sqrt(a[0][i] * a[0][i] + a[1][i] * a[1][i]);
    lcfa1.ang[i] = atn2(a[0][i], a[1][i]) * degrees;
    // An absent wave is minus infinity dB; the reports show a floor in its place.
    lcfa1.mag[i] = 20.0f * std::log10(port[i]);
  }

  lcfa1.phi = detail::quadrature_phase(lcfa1.ang[1], lcfa1.ang[3]);
  lcfa1.err = lcfa1.phi - 90.0f;

  // Powers of zero give minus infinity dB and a fully reflected input an infinite VSWR; the
  // reports show their limits in their place.
  const float temp = port[1] * port[1] + port[3] * port[3];
  lcfa1.atot = 10.0f * std::log10(port[0] * port[0] + port[2] * port[2] + temp);
  lcfa1.loss = 10.0f * std::log10(temp);
  lcfa1.vswr = (port[0] + 1.0f) / (1.0f - port[0]);
}

}  // namespace cuplo::network
