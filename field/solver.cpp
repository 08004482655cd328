// The boundary-element solution of the cross-section: mesh, matrix, the two mirror-symmetric
// systems, capacitances, Richardson extrapolation and the coupler's mode values.
#include <Eigen/Dense>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "field/field.hpp"
#include "field/internal.hpp"

namespace cuplo::field {

namespace {

constexpr double kEps0 = 8.8541878128e-12;  // F/m (CODATA 2018)
constexpr double kC0 = 299792458.0;         // m/s
// Mesh rule: elements on a lower or upper face of width W, with a = min(W, S, H), are
// scale sqrt(W/a), at least a minimum: cosine spacing puts the first element near
// 2.5 W/m^2, a fifth of a or less. After the extrapolation the error falls as h^3
// (field/README.md); strips of no thickness get more elements (they are cheap: one face),
// which keeps them within 0.01 % of Cohn's exact stripline; thick strips within 0.1 %.
constexpr double kFaceScale = 3.5;
constexpr double kMinFace = 8.0;
constexpr double kFlatScale = 3.5;
constexpr double kMinFlat = 8.0;
constexpr double kMinSide = 2.0;
// The largest half system of the finer mesh (each of its up to four LU factorizations then
// takes about a second on one core).
constexpr int kMaxUnknowns = 1500;
// Accepted ratios: beyond them the mesh rule or the tabulated series would need more than
// the bounds here, and nothing of a printed coupler lies there.
constexpr double kMinRatio = 0.01;   // W/H, S/H
constexpr double kMaxRatio = 100.0;  // W/H, S/H
constexpr double kMaxThickness = 1.0;  // T/H
constexpr double kMaxEr = 1000.0;

Solution failure(Status status, const char* format, double value) {
  Solution out;
  out.status = status;
  char text[160];
  std::snprintf(text, sizeof text, format, value);
  out.message = text;
  return out;
}

bool positive_finite(double v) { return std::isfinite(v) && v > 0.0; }

// An element count from a real target: rounded up, at least `least`, saturating.
int count(double wanted, int least, bool even) {
  const double lowest = static_cast<double>(least);
  const double v = std::ceil(wanted >= lowest ? std::min(wanted, 1e6) : lowest);  // NaN: lowest
  int out = static_cast<int>(v);
  if (even && out % 2 != 0) ++out;
  return out;
}

struct Groups {
  double ce = 0.0;  // C_AA + C_AB
  double co = 0.0;  // C_AA - C_AB
};

Groups groups(const std::vector<double>& c, int n) {
  double aa = 0.0;
  double ab = 0.0;
  for (int i = 0; i < n; i += 2) {
    for (int j = 0; j < n; ++j) {
      const double v = c[static_cast<std::size_t>(i * n + j)];
      (j % 2 == 0 ? aa : ab) += v;
    }
  }
  return {aa + ab, aa - ab};
}

double impedance(double c, double c_air) { return 1.0 / (kC0 * std::sqrt(c * c_air)); }

// The values reported for the matrices c (substrate) and c0 (air): zoe, zoo, eeff_even,
// eeff_odd (n >= 2) or z0, eeff (n = 1, the rest zero).
std::array<double, 4> reported(const std::vector<double>& c, const std::vector<double>& c0,
                               int n) {
  if (n == 1) return {impedance(c[0], c0[0]), c[0] / c0[0], 0.0, 0.0};
  const Groups g = groups(c, n);
  const Groups g0 = groups(c0, n);
  return {impedance(g.ce, g0.ce), impedance(g.co, g0.co), g.ce / g0.ce, g.co / g0.co};
}

}  // namespace

namespace detail {

namespace {

// Cosine spacing of [-half, half] in m elements (nodes denser towards both ends).
std::vector<double> graded(double half, int m) {
  std::vector<double> x(static_cast<std::size_t>(m) + 1);
  for (int i = 0; i <= m; ++i) {
    x[static_cast<std::size_t>(i)] = -half * std::cos(std::numbers::pi * i / m);
  }
  return x;
}

using Matrix = Eigen::MatrixXd;

}  // namespace

StripMesh strip_mesh(const Layout& layout) {
  StripMesh out;
  const double half = 0.5 * layout.w;
  const std::vector<double> x = graded(half, layout.m);
  const double top = layout.base + layout.t;
  const int m = layout.m;
  for (int i = 0; i < m; ++i) {
    out.segments.push_back({x[static_cast<std::size_t>(i)], layout.base,
                            x[static_cast<std::size_t>(i) + 1], layout.base});
    out.mirror.push_back(m - 1 - i);
    out.cx.push_back(-half * std::cos(std::numbers::pi * (i + 0.5) / m));
    out.cy.push_back(layout.base);
  }
  if (layout.t > 0.0) {
    for (int i = 0; i < m; ++i) {
      out.segments.push_back(
          {x[static_cast<std::size_t>(i)], top, x[static_cast<std::size_t>(i) + 1], top});
      out.mirror.push_back(m + m - 1 - i);
      out.cx.push_back(-half * std::cos(std::numbers::pi * (i + 0.5) / m));
      out.cy.push_back(top);
    }
    const int ms = layout.m_side;
    const std::vector<double> y = graded(0.5 * layout.t, ms);
    const double mid = layout.base + 0.5 * layout.t;
    for (int side = 0; side < 2; ++side) {
      const double xs = side == 0 ? -half : half;
      for (int i = 0; i < ms; ++i) {
        out.segments.push_back({xs, mid + y[static_cast<std::size_t>(i)], xs,
                                mid + y[static_cast<std::size_t>(i) + 1]});
        out.mirror.push_back(2 * m + (1 - side) * ms + i);
        out.cx.push_back(xs);
        out.cy.push_back(mid - 0.5 * layout.t * std::cos(std::numbers::pi * (i + 0.5) / ms));
      }
    }
  }
  return out;
}

Capacitances capacitances(const Layout& layout, const Kernel& kernel) {
  Capacitances out;
  const int n = layout.n;
  const StripMesh strip = strip_mesh(layout);
  const int e = static_cast<int>(strip.segments.size());
  const double pitch = layout.w + layout.s;
  const int media = kernel.two_media() ? 2 : 1;
  out.elements = n * e;

  // The interaction blocks: block d holds field points on a strip d pitches to the right of
  // the source strip. The kernel depends on x only through the difference, so n blocks make
  // the whole matrix; a field strip left of the source is the mirror image of one right of it.
  const auto ue = static_cast<std::size_t>(e);
  std::vector<std::array<std::vector<double>, 2>> blocks(static_cast<std::size_t>(n));
  for (int d = 0; d < n; ++d) {
    auto& b = blocks[static_cast<std::size_t>(d)];
    b[0].resize(ue * ue);
    b[1].resize(ue * ue);
    for (std::size_t p = 0; p < ue; ++p) {
      const double px = strip.cx[p] + d * pitch;
      const double py = strip.cy[p];
      for (std::size_t q = 0; q < ue; ++q) {
        if (d == 0) {
          // Within one strip, the mirror pair (p', q') of (p, q) has the same interaction.
          const auto pm = static_cast<std::size_t>(strip.mirror[p]);
          const auto qm = static_cast<std::size_t>(strip.mirror[q]);
          if (pm * ue + qm < p * ue + q) {
            b[0][p * ue + q] = b[0][pm * ue + qm];
            b[1][p * ue + q] = b[1][pm * ue + qm];
            continue;
          }
        }
        const std::array<double, 2> v = kernel.integral(px, py, strip.segments[q]);
        b[0][p * ue + q] = v[0];
        b[1][p * ue + q] = v[1];
      }
    }
  }
  auto entry = [&](int medium, int i, int p, int j, int q) {
    const auto um = static_cast<std::size_t>(medium);
    if (i >= j) {
      return blocks[static_cast<std::size_t>(i - j)][um][static_cast<std::size_t>(p * e + q)];
    }
    const int pm = strip.mirror[static_cast<std::size_t>(p)];
    const int qm = strip.mirror[static_cast<std::size_t>(q)];
    return blocks[static_cast<std::size_t>(j - i)][um][static_cast<std::size_t>(pm * e + qm)];
  };

  // The unknowns of the left half (element midpoints at x < 0); each has its mirror image
  // (strip n - 1 - j, element mirror[q]) in the right half. m is even, so no element
  // straddles the centre line.
  std::vector<int> rs;  // strip
  std::vector<int> rq;  // element
  for (int j = 0; j < n; ++j) {
    const double centre = (j - 0.5 * (n - 1)) * pitch;
    for (int q = 0; q < e; ++q) {
      const Segment& s = strip.segments[static_cast<std::size_t>(q)];
      if (centre + 0.5 * (s.x1 + s.x2) < 0.0) {
        rs.push_back(j);
        rq.push_back(q);
      }
    }
  }
  const auto mu = rs.size();
  const auto m = static_cast<Eigen::Index>(mu);
  if (2 * mu != static_cast<std::size_t>(n * e)) return out;

  // Right-hand sides: strip j at 1 V, the others at 0, split into the parts even (+) and
  // odd (-) under the mirror.
  Matrix v_even(m, n);
  Matrix v_odd(m, n);
  for (std::size_t r = 0; r < mu; ++r) {
    const int own = rs[r];
    const int image = n - 1 - own;
    for (int j = 0; j < n; ++j) {
      const double a = own == j ? 1.0 : 0.0;
      const double b = image == j ? 1.0 : 0.0;
      v_even(static_cast<Eigen::Index>(r), j) = 0.5 * (a + b);
      v_odd(static_cast<Eigen::Index>(r), j) = 0.5 * (a - b);
    }
  }

  for (int medium = 0; medium < media; ++medium) {
    Matrix a_even(m, m);
    Matrix a_odd(m, m);
    for (std::size_t r = 0; r < mu; ++r) {
      for (std::size_t c = 0; c < mu; ++c) {
        const double direct = entry(medium, rs[r], rq[r], rs[c], rq[c]);
        const double image = entry(medium, rs[r], rq[r], n - 1 - rs[c],
                                   strip.mirror[static_cast<std::size_t>(rq[c])]);
        a_even(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(c)) = direct + image;
        a_odd(static_cast<Eigen::Index>(r), static_cast<Eigen::Index>(c)) = direct - image;
      }
    }
    const Eigen::PartialPivLU<Matrix> lu_even(a_even);
    const Eigen::PartialPivLU<Matrix> lu_odd(a_odd);
    if (!(lu_even.rcond() > 1e-14) || !(lu_odd.rcond() > 1e-14)) return out;
    const Matrix x_even = lu_even.solve(v_even);
    const Matrix x_odd = lu_odd.solve(v_odd);

    // 2 pi eps0 phi = integral of G sigma: the charges are 2 pi eps0 times the solution's.
    std::vector<double>& c = out.c[static_cast<std::size_t>(medium)];
    c.assign(static_cast<std::size_t>(n * n), 0.0);
    const double scale = 2.0 * std::numbers::pi * kEps0;
    for (std::size_t r = 0; r < mu; ++r) {
      const double len = length(strip.segments[static_cast<std::size_t>(rq[r])]);
      const int own = rs[r];
      const int image = n - 1 - own;
      for (int j = 0; j < n; ++j) {
        const double se = x_even(static_cast<Eigen::Index>(r), j);
        const double so = x_odd(static_cast<Eigen::Index>(r), j);
        c[static_cast<std::size_t>(own * n + j)] += scale * len * (se + so);
        c[static_cast<std::size_t>(image * n + j)] += scale * len * (se - so);
      }
    }
    for (double v : c) {
      if (!std::isfinite(v)) return out;
    }
  }
  if (media == 1) out.c[1] = out.c[0];
  out.ok = true;
  return out;
}

Layout mesh(int n, double w, double s, double t, double density) {
  const double a = n > 1 ? std::min({w, s, 1.0}) : std::min(w, 1.0);
  Layout out{n, w, n > 1 ? s : 0.0, t, 1.0, 0, 0};
  const bool flat = !(t > 0.0);
  out.m = count(density * std::max(flat ? kMinFlat : kMinFace,
                                   (flat ? kFlatScale : kFaceScale) * std::sqrt(w / a)),
                2, true);
  if (t > 0.0) {
    out.m_side = count(density * std::max(kMinSide, kFaceScale * std::sqrt(t / a)), 1, false);
  }
  return out;
}

Extrapolation extrapolate(const Layout& coarse, const Kernel& kernel) {
  Extrapolation out;
  Layout fine = coarse;
  fine.m = 2 * coarse.m;
  fine.m_side = 2 * coarse.m_side;
  const Capacitances cc = capacitances(coarse, kernel);
  const Capacitances cf = capacitances(fine, kernel);
  if (!cc.ok || !cf.ok) return out;
  // The error falls as h^3 for strips of no thickness (collocation at the Chebyshev points
  // of each face), as h^2 with the corners of thick strips (field/README.md).
  const double gain = coarse.t > 0.0 ? 4.0 : 8.0;
  out.fine = cf.c;
  for (std::size_t medium = 0; medium < 2; ++medium) {
    std::vector<double>& e = out.extrapolated[medium];
    e.resize(cf.c[medium].size());
    for (std::size_t i = 0; i < e.size(); ++i) {
      e[i] = (gain * cf.c[medium][i] - cc.c[medium][i]) / (gain - 1.0);
    }
  }
  out.elements = cf.elements;
  out.ok = true;
  return out;
}

}  // namespace detail

Solution solve(const Geometry& g, const Options& options) {
  if (g.n < 1 || g.n > kMaxStrips) {
    return failure(Status::invalid_geometry, "N = %g strips: the solver takes 1 to 12",
                   static_cast<double>(g.n));
  }
  if (!positive_finite(g.h)) {
    return failure(Status::invalid_geometry, "H = %g: the substrate height must be positive",
                   g.h);
  }
  if (!positive_finite(g.w)) {
    return failure(Status::invalid_geometry, "W = %g: the strip width must be positive", g.w);
  }
  if (g.n > 1 && !positive_finite(g.s)) {
    return failure(Status::invalid_geometry, "S = %g: the gap must be positive", g.s);
  }
  if (!std::isfinite(g.t) || g.t < 0.0) {
    return failure(Status::invalid_geometry,
                   "T = %g: the strip thickness must be zero or positive", g.t);
  }
  if (!std::isfinite(g.er) || g.er < 1.0) {
    return failure(Status::invalid_geometry, "Er = %g: the permittivity must be at least 1",
                   g.er);
  }
  if (!std::isfinite(options.density) || options.density < 0.25 || options.density > 16.0) {
    return failure(Status::invalid_options, "density = %g: the mesh density must be 0.25 to 16",
                   options.density);
  }
  const double w = g.w / g.h;
  const double s = g.n > 1 ? g.s / g.h : 1.0;
  // A thickness below a millionth of the smallest of W, S and H changes no value by more
  // than about 1e-6, and the faces of a strip that thin would make the system singular: it
  // is solved as no thickness.
  const double t = g.t / g.h < 1e-6 * std::min({w, s, 1.0}) ? 0.0 : g.t / g.h;
  if (!(w >= kMinRatio && w <= kMaxRatio)) {
    return failure(Status::out_of_range, "W/H = %g: the solver takes 0.01 to 100", w);
  }
  if (!(s >= kMinRatio && s <= kMaxRatio)) {
    return failure(Status::out_of_range, "S/H = %g: the solver takes 0.01 to 100", s);
  }
  if (!(t <= kMaxThickness)) {
    return failure(Status::out_of_range, "T/H = %g: the solver takes 0 to 1", t);
  }
  if (!(g.er <= kMaxEr)) {
    return failure(Status::out_of_range, "Er = %g: the solver takes 1 to 1000", g.er);
  }

  const detail::Layout coarse = detail::mesh(g.n, w, s, t, options.density);
  const int fine_faces = t > 0.0 ? 4 * coarse.m + 4 * coarse.m_side : 2 * coarse.m;
  const int unknowns = g.n * fine_faces / 2;
  if (unknowns > kMaxUnknowns) {
    return failure(Status::out_of_range,
                   "the geometry needs %g unknowns, more than the solver's 1500: a ratio of "
                   "W, S and T too extreme",
                   static_cast<double>(unknowns));
  }

  const double k = (g.er - 1.0) / (g.er + 1.0);
  const double span = g.n * w + (g.n - 1) * (g.n > 1 ? s : 0.0);
  std::optional<detail::SlabTable> table;
  if (k > 0.0) table.emplace(k, span, 2.0, 2.0 + 2.0 * t);
  const detail::SlabKernel kernel(k, table ? &*table : nullptr);

  const detail::Extrapolation x = detail::extrapolate(coarse, kernel);
  if (!x.ok) {
    return failure(Status::numerical_failure,
                   "the boundary-element system was singular (Er = %g)", g.er);
  }

  Solution out;
  out.n = g.n;
  out.elements = x.elements;
  out.c = options.extrapolate ? x.extrapolated[1] : x.fine[1];
  out.c0 = options.extrapolate ? x.extrapolated[0] : x.fine[0];
  const std::array<double, 4> extrapolated = reported(x.extrapolated[1], x.extrapolated[0], g.n);
  const std::array<double, 4> raw = reported(x.fine[1], x.fine[0], g.n);
  const std::array<double, 4> value = options.extrapolate ? extrapolated : raw;
  for (std::size_t i = 0; i < 4; ++i) {
    if (extrapolated[i] != 0.0) {
      out.mesh_error = std::max(out.mesh_error, std::fabs(raw[i] / extrapolated[i] - 1.0));
    }
  }
  const auto nn = static_cast<std::size_t>(g.n * g.n);

  // L = mu0 eps0 c0^-1.
  Eigen::MatrixXd c0(g.n, g.n);
  for (int i = 0; i < g.n; ++i) {
    for (int j = 0; j < g.n; ++j) c0(i, j) = out.c0[static_cast<std::size_t>(i * g.n + j)];
  }
  const Eigen::MatrixXd l = c0.partialPivLu().inverse() / (kC0 * kC0);
  out.l.resize(nn);
  for (int i = 0; i < g.n; ++i) {
    for (int j = 0; j < g.n; ++j) out.l[static_cast<std::size_t>(i * g.n + j)] = l(i, j);
  }

  if (g.n == 1) {
    out.z0 = value[0];
    out.eeff = value[1];
  } else {
    Modes& md = out.modes;
    md.zoe = value[0];
    md.zoo = value[1];
    md.eeff_even = value[2];
    md.eeff_odd = value[3];
    md.zo = std::sqrt(md.zoe * md.zoo);
    md.coupling_db = 20.0 * std::log10((md.zoe - md.zoo) / (md.zoe + md.zoo));
  }

  // A solution that is not physical is reported as a failure, never as a value.
  bool sound = std::isfinite(out.mesh_error);
  for (int i = 0; i < g.n; ++i) {
    sound = sound && out.at(out.c, i, i) > 0.0 && out.at(out.c0, i, i) > 0.0 &&
            std::isfinite(out.at(out.l, i, i));
  }
  for (double v : value) sound = sound && std::isfinite(v);
  const double eeff_lo = g.n == 1 ? value[1] : std::min(value[2], value[3]);
  const double eeff_hi = g.n == 1 ? value[1] : std::max(value[2], value[3]);
  sound = sound && eeff_lo > 1.0 - 1e-6 && eeff_hi < g.er + 1e-6;
  if (!sound) {
    return failure(Status::numerical_failure,
                   "the solution is not physical (Er = %g): capacitances not positive or an "
                   "effective permittivity outside 1 to Er",
                   g.er);
  }
  return out;
}

}  // namespace cuplo::field
