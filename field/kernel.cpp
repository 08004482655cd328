// The element integrals and the Green's functions of the field solver.
//
// Grounded slab (Silvester 1968; Bryant and Weiss 1968). Ground at y = 0, the slab's surface
// at y = 1, K = (Er - 1)/(Er + 1). For a unit line charge at (x0, y0), y0 >= 1, the potential
// at a point in the air is, in the spectral domain (Fourier variable k of x),
//   2 eps0 |k| phi = exp(-|k| |y - y0|) + R(k) exp(-|k| (y + y0 - 2)),
//   R = (1 - Er coth|k|) / (1 + Er coth|k|) = -(K + q) / (1 + K q),  q = exp(-2 |k|),
// from continuity of phi and of eps dphi/dy at y = 1 with phi = A sinh(|k| y) in the slab.
// Expanded in q, R = -K - (1 - K^2) sum_{n >= 1} (-K)^(n-1) q^n, and each power of q is a line
// charge at (x0, -y0 - 2 (n - 1)), each -K one at (x0, 2 - y0):
//   2 pi eps0 phi = -ln r(x0, y0) + K ln r(x0, 2 - y0)
//                   + (1 - K^2) sum_{n >= 1} (-K)^(n-1) ln r(x0, -y0 - 2 (n - 1)).
// The weights add up to zero (-1 + K + (1 - K^2)/(1 + K) = 0), so the kernel is free of the
// logarithm's scale, and for K = 0 it is a charge and its image in the ground. The test
// checks it against the spectral integral.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "field/internal.hpp"

namespace cuplo::field::detail {

namespace {

// v rounded down into [lo, hi]; lo for a value that is not a number: a float-to-integer
// conversion without undefined behaviour on any input.
std::size_t saturate(double v, std::size_t lo, std::size_t hi) {
  if (!(v >= static_cast<double>(lo))) return lo;
  if (!(v <= static_cast<double>(hi))) return hi;
  return static_cast<std::size_t>(v);
}

// The antiderivative of ln sqrt(xi^2 + d^2) in xi.
double antiderivative(double xi, double d) {
  const double r2 = xi * xi + d * d;
  double value = -xi;
  if (r2 > 0.0) value += 0.5 * xi * std::log(r2);
  if (d != 0.0) value += d * std::atan(xi / d);
  return value;
}

// Three-point Gauss-Legendre on [-1, 1].
constexpr double kGauss3X = 0.7745966692414834;  // sqrt(3/5)
constexpr double kGauss3W0 = 8.0 / 9.0;
constexpr double kGauss3W1 = 5.0 / 9.0;
constexpr double kGauss2X = 0.5773502691896258;  // 1/sqrt(3)

// The integral of f over the segment by Gauss-Legendre: two points on a segment of at most
// `short_piece`, else three points on each of as many equal pieces of at most `piece`
// (bounded count; the segments here are at most a few hundred reference heights long).
template <typename F>
double gauss(const Segment& s, double short_piece, double piece, const F& f) {
  const double len = length(s);
  const double dx = s.x2 - s.x1;
  const double dy = s.y2 - s.y1;
  if (len <= short_piece) {
    const double mx = 0.5 * (s.x1 + s.x2);
    const double my = 0.5 * (s.y1 + s.y2);
    const double a = 0.5 * kGauss2X;
    return 0.5 * len * (f(mx - a * dx, my - a * dy) + f(mx + a * dx, my + a * dy));
  }
  const double wanted = std::ceil(len / piece);
  const auto pieces = static_cast<int>(saturate(wanted, 1, 4096));
  const double px = dx / pieces;
  const double py = dy / pieces;
  double sum = 0.0;
  for (int i = 0; i < pieces; ++i) {
    const double mx = s.x1 + (i + 0.5) * px;
    const double my = s.y1 + (i + 0.5) * py;
    const double a = 0.5 * kGauss3X;
    sum += kGauss3W0 * f(mx, my) + kGauss3W1 * (f(mx - a * px, my - a * py) + f(mx + a * px, my + a * py));
  }
  return 0.5 * (len / pieces) * sum;
}

Segment mirrored(const Segment& s, double about) {
  return {s.x1, 2.0 * about - s.y1, s.x2, 2.0 * about - s.y2};
}

}  // namespace

double length(const Segment& s) { return std::hypot(s.x2 - s.x1, s.y2 - s.y1); }

double log_integral(double px, double py, const Segment& s) {
  const double len = length(s);
  if (!(len > 0.0)) return 0.0;
  const double tx = (s.x2 - s.x1) / len;
  const double ty = (s.y2 - s.y1) / len;
  const double ax = px - s.x1;
  const double ay = py - s.y1;
  const double along = ax * tx + ay * ty;  // from the segment's start, along it
  const double d = ax * ty - ay * tx;      // distance from the segment's line
  const double am = along - 0.5 * len;     // from the segment's midpoint, along it
  const double r2 = am * am + d * d;
  if (r2 > 100.0 * len * len) {
    // Midpoint rule plus (len^2 / 24) times the second derivative along the segment; the
    // next term, len^5 f''''/1920 with |f''''| <= 6/r^4, is below 3.2e-7 len here.
    return len * (0.5 * std::log(r2) + len * len * (d * d - am * am) / (24.0 * r2 * r2));
  }
  return antiderivative(len - along, d) - antiderivative(-along, d);
}

SeriesValue slab_series(double k, double dx, double ysum) {
  constexpr int kDirect = 12;
  constexpr int kEuler = 12;
  SeriesValue out;
  double coef = 1.0;
  const double dx2 = dx * dx;
  for (int j = 0; j < kDirect; ++j) {
    const double y = ysum + 2.0 * j;
    const double r2 = dx2 + y * y;
    out.value += coef * 0.5 * std::log(r2);
    out.d_dx += coef * dx / r2;
    coef *= -k;
  }
  if (std::fabs(coef) > 1e-17) {
    // sum_{j >= J} (-K)^j f_j = (-K)^J sum_i (-1)^i b_i, b_i = K^i f_(J+i); Euler's
    // transformation sum_q (-1)^q (Delta^q b)_0 / 2^(q+1).
    std::array<double, kEuler> bv{};
    std::array<double, kEuler> bd{};
    double ki = 1.0;
    for (int i = 0; i < kEuler; ++i) {
      const double y = ysum + 2.0 * (kDirect + i);
      const double r2 = dx2 + y * y;
      bv[static_cast<std::size_t>(i)] = ki * 0.5 * std::log(r2);
      bd[static_cast<std::size_t>(i)] = ki * dx / r2;
      ki *= k;
    }
    double tv = 0.0;
    double td = 0.0;
    double sign_scale = 0.5;
    for (int q = 0; q < kEuler; ++q) {
      tv += sign_scale * bv[0];
      td += sign_scale * bd[0];
      for (int i = 0; i + 1 < kEuler - q; ++i) {
        const auto u = static_cast<std::size_t>(i);
        bv[u] = bv[u + 1] - bv[u];
        bd[u] = bd[u + 1] - bd[u];
      }
      sign_scale *= -0.5;
    }
    out.value += coef * tv;
    out.d_dx += coef * td;
  }
  const double scale = 1.0 - k * k;
  out.value *= scale;
  out.d_dx *= scale;
  return out;
}

SlabTable::SlabTable(double k, double dx_max, double ysum_min, double ysum_max) {
  const double u_max = std::asinh(0.5 * std::max(0.0, dx_max));
  const double cells = std::ceil(u_max / step_);
  nu_ = saturate(cells, 1, 65536) + 1;
  const double centre = 0.5 * (ysum_min + ysum_max);
  const double half = 0.5 * (ysum_max - ysum_min);
  std::size_t p = 1;
  if (half > 1e-12 * centre) {
    // Chebyshev interpolation converges as rho^-p, rho the Bernstein ellipse through the
    // nearest singularity (ysum = 0 at dx = 0, the image nearest the field point). The
    // Chebyshev-Lobatto nodes, an odd count of them, include both ends and the middle: the
    // sums of two face heights of a thick strip (2, 2 + T, 2 + 2T) fall on nodes.
    const double a = centre / half;
    const double rho = a + std::sqrt(a * a - 1.0);
    p = saturate(std::ceil(24.0 / std::log(rho)), 2, 40);
    p += 1 - p % 2;
  }
  ysum_.resize(p);
  weight_.resize(p);
  for (std::size_t q = 0; q < p; ++q) {
    if (p == 1) {
      ysum_[q] = centre;
      weight_[q] = 1.0;
      continue;
    }
    const double theta = std::numbers::pi * static_cast<double>(q) / static_cast<double>(p - 1);
    ysum_[q] = q == 0 ? ysum_max : q == p - 1 ? ysum_min : 2 * q + 1 == p ? centre
                                                         : centre + half * std::cos(theta);
    weight_[q] = (q % 2 == 0 ? 1.0 : -1.0) * (q == 0 || q == p - 1 ? 0.5 : 1.0);
  }
  value_.resize(p * nu_);
  slope_.resize(p * nu_);
  for (std::size_t q = 0; q < p; ++q) {
    for (std::size_t i = 0; i < nu_; ++i) {
      const double u = step_ * static_cast<double>(i);
      const SeriesValue v = slab_series(k, 2.0 * std::sinh(u), ysum_[q]);
      value_[q * nu_ + i] = v.value;
      slope_[q * nu_ + i] = v.d_dx * 2.0 * std::cosh(u);
    }
  }
}

double SlabTable::operator()(double dx, double ysum) const {
  const double half = 0.5 * std::fabs(dx);
  const double x = std::log(half + std::sqrt(1.0 + half * half)) / step_;  // asinh, cheaper
  const std::size_t i = saturate(x, 0, nu_ - 2);
  const double cell = static_cast<double>(i);
  const double t = x - cell;
  const double t2 = t * t;
  const double h00 = (1.0 + 2.0 * t) * (1.0 - t) * (1.0 - t);
  const double h10 = t * (1.0 - t) * (1.0 - t) * step_;
  const double h01 = t2 * (3.0 - 2.0 * t);
  const double h11 = t2 * (t - 1.0) * step_;
  auto at = [&](std::size_t q) {
    const std::size_t b = q * nu_ + i;
    return h00 * value_[b] + h10 * slope_[b] + h01 * value_[b + 1] + h11 * slope_[b + 1];
  };
  if (ysum_.size() == 1) return at(0);
  for (std::size_t q = 0; q < ysum_.size(); ++q) {
    if (std::fabs(ysum - ysum_[q]) < 1e-12) return at(q);
  }
  double num = 0.0;
  double den = 0.0;
  for (std::size_t q = 0; q < ysum_.size(); ++q) {
    const double w = weight_[q] / (ysum - ysum_[q]);
    num += w * at(q);
    den += w;
  }
  return num / den;
}

std::array<double, 2> SlabKernel::integral(double px, double py, const Segment& s) const {
  const double direct = log_integral(px, py, s);
  const double ground = log_integral(px, py, mirrored(s, 0.0));
  const double air = -direct + ground;
  if (table_ == nullptr) return {air, air};
  // A source on the slab's surface is its own interface image.
  const double surface =
      (s.y1 == 1.0 && s.y2 == 1.0) ? direct : log_integral(px, py, mirrored(s, 1.0));
  const SlabTable& table = *table_;
  const double series = gauss(s, 0.25, 0.5, [&](double qx, double qy) {
    return table(px - qx, py + qy);
  });
  return {air, -direct + k_ * surface + series};
}

std::array<double, 2> StriplineKernel::integral(double px, double py, const Segment& s) const {
  // Ground planes 2 apart: -ln tanh(a |dx|), a = pi / (2 * 2), split into -ln|dx| (closed
  // form) and the smooth g = ln|dx| - ln tanh(a |dx|), whose nearest singularity lies 2 away
  // in the complex plane.
  constexpr double a = std::numbers::pi / 4.0;
  const double direct = log_integral(px, py, s);
  const double smooth = gauss(s, 0.25, 0.25, [&](double qx, double) {
    const double x = a * std::fabs(px - qx);
    if (x < 1e-4) return -std::log(a) + x * x / 3.0;  // -ln(a tanh(x)/x)
    if (x < 0.5) return -std::log(a * std::tanh(x) / x);
    const double e = std::exp(-2.0 * x);  // -ln tanh x = log1p(e) - log1p(-e)
    return std::log(x / a) + std::log1p(e) - std::log1p(-e);
  });
  const double g = -direct + smooth;
  return {g, g};
}

}  // namespace cuplo::field::detail
