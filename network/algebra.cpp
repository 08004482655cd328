// Complex two-port arithmetic of the frequency analysis: complex product, four-quadrant
// arctangent, chain matrix of a lossy uniform line and its scattering coefficients between
// real terminations. Complex values are pairs of floats, multiplied out term by term so that
// every stored 32-bit value is the one the formulas give.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "models/constants.hpp"
#include "network/network.hpp"

namespace cuplo::network {

using models::kPi;

// Complex product, or product with the conjugate of the second factor when ltype is 2.
void nmult(std::int32_t ltype, float& xt, float& yt, float x1, float y1, float x2, float y2) {
  if (ltype == 2) {
    xt = x1 * x2 + y1 * y2;
    yt = x2 * y1 - x1 * y2;
  } else {
    xt = x1 * x2 - y1 * y2;
    yt = x2 * y1 + x1 * y2;
  }
}

// Four-quadrant arctangent of (x, y) built on the single-precision arctangent of |y/x|.
// A negative zero counts as zero, so the negative real axis gives +pi, never -pi.
float atn2(float x, float y) {
  // A point with a NaN coordinate lies in no quadrant: its phase is NaN rather than an
  // arbitrary axis value, so a failed upstream computation stays visible in the report.
  if (std::isnan(x) || std::isnan(y)) return x + y;
  if (x > 0.0f) {
    const float a = std::atan(std::fabs(y / x));
    if (y > 0.0f) return a;
    if (y == 0.0f) return 0.0f;
    return -a;
  }
  if (x < 0.0f) {
    const float a = std::atan(std::fabs(y / x));
    if (y > 0.0f) return kPi - a;
    if (y == 0.0f) return kPi;
    return a - kPi;
  }
  if (y > 0.0f) return kPi / 2.0f;
  if (y == 0.0f) return 0.0f;
  return -kPi / 2.0f;
}

// Chain matrix of a uniform line of impedance z with complex propagation sigma + j theta over
// its length: A = D = cosh(sigma + j theta), B = z sinh(sigma + j theta), C = sinh(...)/z.
// The hyperbolic functions of sigma are formed from two exponentials.
void xline(float z, float theta, float sigma, Abcd& abcd) {
  const float sint = std::sin(theta);
  const float cost = std::cos(theta);
  const float sinhs = (std::exp(sigma) - std::exp(-sigma)) * 0.5f;
  const float coshs = (std::exp(sigma) + std::exp(-sigma)) * 0.5f;
  const float rz = 1.0f / z;
  auto& re = abcd[0];
  auto& im = abcd[1];
  re[0] = coshs * cost;
  im[0] = sinhs * sint;
  re[1] = z * sinhs * cost;
  im[1] = z * coshs * sint;
  re[2] = sinhs * cost * rz;
  im[2] = coshs * sint * rz;
  re[3] = re[0];
  im[3] = im[0];
}

// Input reflection gamma and forward transmission tau of a two-port between a source zs and
// a load zl (both real): gamma = (A zl + B - C zs zl - D zs)/(A zl + B + C zs zl + D zs),
// tau = 2 sqrt(zs zl)/(A zl + B + C zs zl + D zs), each normalised by zl.
void taugam(Complex& tau, Complex& gamma, const Abcd& abcd, float zl, float zs) {
  Complex top{};
  Complex bottom{};
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& row = abcd[i];
    top[i] = row[0] + row[1] / zl - row[2] * zs - row[3] * zs / zl;
    bottom[i] = row[0] + row[1] / zl + row[2] * zs + row[3] * zs / zl;
  }
  float temp = 0.0f;
  for (std::size_t i = 0; i < 2; ++i) temp = bottom[i] * bottom[i] + temp;
  temp = 1.0f / temp;
  float xt = 0.0f;
  float yt = 0.0f;
  nmult(2, xt, yt, top[0], top[1], bottom[0], bottom[1]);
  gamma[0] = xt * temp;
  gamma[1] = yt * temp;
  const float r = std::sqrt(zs / zl);
  tau[0] = (r + r) * bottom[0] * temp;
  tau[1] = -((r + r) * bottom[1] * temp);
}

}  // namespace cuplo::network
