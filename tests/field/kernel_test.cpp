// The solver's parts against independent evaluations: the grounded slab's image series
// against the spectral-domain integral it was derived from, its accelerated sum and its table
// against the plain sum, and the closed-form element integral against quadrature.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "field/internal.hpp"

namespace {

using namespace cuplo::field::detail;

// Composite three-point Gauss-Legendre of f over [a, b] in `pieces` pieces.
template <typename F>
double quadrature(const F& f, double a, double b, int pieces) {
  const double h = (b - a) / pieces;
  const double x = 0.5 * h * std::sqrt(0.6);
  double sum = 0.0;
  for (int i = 0; i < pieces; ++i) {
    const double m = a + (i + 0.5) * h;
    sum += (8.0 * f(m) + 5.0 * (f(m - x) + f(m + x))) / 9.0;
  }
  return 0.5 * h * sum;
}

struct GreenCase {
  double er, dx, y, y0;
};

// 2 pi eps0 phi of a unit line charge at (0, y0) above the slab (ground y = 0, surface
// y = 1) at (dx, y), by the spectral integral
//   int_0^inf cos(k dx)/k [exp(-k|y - y0|) + R(k) exp(-k (y + y0 - 2))] dk,
//   R = (1 - Er coth k)/(1 + Er coth k),
// from continuity of phi and eps dphi/dy at y = 1 (Bryant and Weiss 1968).
double spectral(const GreenCase& c) {
  const double a = std::fabs(c.y - c.y0);
  const double b = c.y + c.y0 - 2.0;
  auto f = [&](double k) {
    const double coth = 1.0 / std::tanh(k);
    const double r = (1.0 - c.er * coth) / (1.0 + c.er * coth);
    return std::cos(k * c.dx) / k * (std::exp(-k * a) + r * std::exp(-k * b));
  };
  const double top = 40.0 / std::min(a, b);
  return quadrature(f, 0.0, top, static_cast<int>(top * 200.0));
}

class GreenFunction : public ::testing::TestWithParam<GreenCase> {};

TEST_P(GreenFunction, ImageSeriesEqualsSpectralIntegral) {
  const GreenCase c = GetParam();
  const double k = (c.er - 1.0) / (c.er + 1.0);
  const double r = std::hypot(c.dx, c.y - c.y0);
  const double r_surface = std::hypot(c.dx, c.y - (2.0 - c.y0));
  const double images = -std::log(r) + k * std::log(r_surface) + slab_series(k, c.dx, c.y + c.y0).value;
  EXPECT_NEAR(images, spectral(c), 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Slab, GreenFunction,
                         ::testing::Values(GreenCase{1.0, 0.7, 1.5, 1.0},
                                           GreenCase{2.2, 0.0, 1.5, 1.0},
                                           GreenCase{9.8, 0.7, 1.6, 1.2},
                                           GreenCase{9.8, 3.0, 1.3, 1.3 + 0.3},
                                           GreenCase{25.0, 1.5, 1.0, 1.4},
                                           GreenCase{100.0, 0.2, 1.8, 1.1}));

struct SeriesCase {
  double k, dx, ysum;
};

class Series : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(Series, AcceleratedSumEqualsPlainSum) {
  const SeriesCase c = GetParam();
  double value = 0.0;
  double d_dx = 0.0;
  double coef = 1.0 - c.k * c.k;
  for (int j = 0; j < 20000 && std::fabs(coef) > 1e-20; ++j) {
    const double y = c.ysum + 2.0 * j;
    value += coef * 0.5 * std::log(c.dx * c.dx + y * y);
    d_dx += coef * c.dx / (c.dx * c.dx + y * y);
    coef *= -c.k;
  }
  const SeriesValue s = slab_series(c.k, c.dx, c.ysum);
  EXPECT_NEAR(s.value, value, 1e-10);
  EXPECT_NEAR(s.d_dx, d_dx, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(Slab, Series,
                         ::testing::Values(SeriesCase{0.0, 1.0, 2.0}, SeriesCase{0.3, 0.0, 2.0},
                                           SeriesCase{0.8, 5.0, 2.4}, SeriesCase{0.923, 0.3, 2.0},
                                           SeriesCase{0.923, 300.0, 2.6},
                                           SeriesCase{0.99, 2.0, 2.2},
                                           SeriesCase{0.998, 40.0, 2.0}));

TEST(SlabTable, InterpolatesTheSeriesEverywhereInItsRange) {
  for (const double k : {0.1, 0.82, 0.96}) {
    for (const double t : {0.0, 0.05, 0.3, 1.0}) {
      const double span = 150.0;
      const SlabTable table(k, span, 2.0, 2.0 + 2.0 * t);
      for (int i = 0; i <= 400; ++i) {
        // Points between the nodes, over the whole range of dx and of ysum.
        const double dx = span * std::pow(i / 400.0, 3.0) * (i % 2 == 0 ? 1.0 : -1.0);
        const double ysum = 2.0 + 2.0 * t * std::fmod(i * 0.618034, 1.0);
        ASSERT_NEAR(table(dx, ysum), slab_series(k, std::fabs(dx), ysum).value, 1e-9)
            << "K " << k << " T " << t << " dx " << dx << " ysum " << ysum;
      }
    }
  }
}

struct ElementCase {
  Segment s;
  double px, py;
  double tolerance;  // relative to the element's length
};

class LogIntegral : public ::testing::TestWithParam<ElementCase> {};

TEST_P(LogIntegral, EqualsQuadrature) {
  const ElementCase c = GetParam();
  const Segment& s = c.s;
  const double len = length(s);
  auto f = [&](double u) {
    return std::log(std::hypot(s.x1 + u * (s.x2 - s.x1) - c.px, s.y1 + u * (s.y2 - s.y1) - c.py));
  };
  EXPECT_NEAR(log_integral(c.px, c.py, s), len * quadrature(f, 0.0, 1.0, 4000), c.tolerance * len);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, LogIntegral,
    ::testing::Values(ElementCase{{0.0, 1.0, 0.1, 1.0}, 0.05, 1.001, 1e-10},  // just above
                      ElementCase{{0.0, 1.0, 0.1, 1.0}, 0.3, 1.0, 1e-10},  // on its line, beyond
                      ElementCase{{0.2, 1.0, 0.2, 1.3}, 0.25, 1.15, 1e-10},  // beside a side
                      ElementCase{{0.0, 0.0, 0.3, 0.4}, 1.0, -0.5, 1e-10},   // slanted
                      // Far: the midpoint rule with its correction (stated 3.2e-7).
                      ElementCase{{0.0, 1.0, 0.1, 1.0}, 1.1, 1.0, 3.2e-7},
                      ElementCase{{0.0, 1.0, 0.1, 1.0}, 0.75, 1.8, 3.2e-7},
                      ElementCase{{0.0, 1.0, 0.01, 1.0}, 3.0, -1.0, 3.2e-7}));

TEST(LogIntegral, SelfTermIsClosedForm) {
  // At the element's own midpoint: 2 int_0^(L/2) ln x dx = L ln(L/2) - L.
  for (const double len : {1e-4, 0.03, 2.0}) {
    EXPECT_NEAR(log_integral(0.5 * len, 1.0, {0.0, 1.0, len, 1.0}), len * std::log(len / 2.0) - len,
                1e-14);
  }
}

}  // namespace

namespace {

using cuplo::field::detail::Layout;
using cuplo::field::detail::StripMesh;

class Mesh : public ::testing::TestWithParam<Layout> {};

TEST_P(Mesh, CollocationPointsLieInsideTheirElementsAndMirror) {
  const Layout layout = GetParam();
  const StripMesh mesh = cuplo::field::detail::strip_mesh(layout);
  const std::size_t faces = layout.t > 0.0 ? 2 : 1;
  ASSERT_EQ(mesh.segments.size(),
            faces * static_cast<std::size_t>(layout.m) +
                (layout.t > 0.0 ? 2 * static_cast<std::size_t>(layout.m_side) : 0));
  double perimeter = 0.0;
  for (std::size_t i = 0; i < mesh.segments.size(); ++i) {
    const Segment& s = mesh.segments[i];
    perimeter += length(s);
    // Strictly between the element's ends, on its line.
    const double u = ((mesh.cx[i] - s.x1) * (s.x2 - s.x1) + (mesh.cy[i] - s.y1) * (s.y2 - s.y1)) /
                     (length(s) * length(s));
    EXPECT_GT(u, 0.0) << i;
    EXPECT_LT(u, 1.0) << i;
    EXPECT_NEAR((mesh.cx[i] - s.x1) * (s.y2 - s.y1) - (mesh.cy[i] - s.y1) * (s.x2 - s.x1), 0.0,
                1e-15);
    // The mirror image through x = 0 is the element's partner, collocation point included.
    const auto j = static_cast<std::size_t>(mesh.mirror[i]);
    EXPECT_EQ(static_cast<std::size_t>(mesh.mirror[j]), i);
    EXPECT_NEAR(mesh.cx[j], -mesh.cx[i], 1e-15);
    EXPECT_NEAR(mesh.cy[j], mesh.cy[i], 1e-15);
    EXPECT_NEAR(length(mesh.segments[j]), length(s), 1e-15);
  }
  EXPECT_NEAR(perimeter, layout.t > 0.0 ? 2.0 * (layout.w + layout.t) : layout.w, 1e-14);
}

INSTANTIATE_TEST_SUITE_P(Strips, Mesh,
                         ::testing::Values(Layout{1, 0.6, 0.0, 0.0, 1.0, 8, 0},
                                           Layout{4, 2.0, 0.1, 0.03, 1.0, 10, 2},
                                           Layout{2, 0.05, 0.05, 0.3, 1.0, 16, 9}));

}  // namespace

namespace {

TEST(SlabKernel, IntegratesTheSeriesOverLongElements) {
  // Elements of wide strips reach several substrate heights; the series, smooth but varying
  // on the scale of 2H, is integrated in pieces. Against a fine quadrature of the same terms.
  const double k = 0.8;
  const SlabTable table(k, 20.0, 2.0, 2.6);
  const cuplo::field::detail::SlabKernel kernel(k, &table);
  const cuplo::field::detail::SlabKernel air(0.0, nullptr);
  struct Case {
    Segment s;
    double px, py;
  };
  for (const Case c : {Case{{0.0, 1.0, 6.0, 1.0}, -0.5, 1.0}, Case{{0.0, 1.3, 3.0, 1.3}, 3.2, 1.0},
                       Case{{0.0, 1.0, 0.2, 1.0}, 0.1, 1.3}}) {
    const Segment& s = c.s;
    const double len = length(s);
    auto series = [&](double u) {
      return table(c.px - (s.x1 + u * (s.x2 - s.x1)), c.py + s.y1 + u * (s.y2 - s.y1));
    };
    const Segment surface{s.x1, 2.0 - s.y1, s.x2, 2.0 - s.y2};
    const Segment ground{s.x1, -s.y1, s.x2, -s.y2};
    const double direct = log_integral(c.px, c.py, s);
    const double substrate = -direct + k * log_integral(c.px, c.py, surface) +
                             len * quadrature(series, 0.0, 1.0, 2000);
    EXPECT_NEAR(kernel.integral(c.px, c.py, s)[1], substrate, 1e-7 * len) << c.px;
    EXPECT_NEAR(air.integral(c.px, c.py, s)[0], -direct + log_integral(c.px, c.py, ground),
                1e-12 * len);
  }
  // The side face of a strip as thick as the substrate, in pieces too.
  const SlabTable tall(k, 5.0, 2.0, 4.0);
  const cuplo::field::detail::SlabKernel side(k, &tall);
  const Segment s{1.0, 1.0, 1.0, 2.0};
  auto series = [&](double u) { return tall(0.7 - 1.0, 1.1 + 1.0 + u); };
  const double expected = -log_integral(0.7, 1.1, s) +
                          k * log_integral(0.7, 1.1, {1.0, 1.0, 1.0, 0.0}) +
                          quadrature(series, 0.0, 1.0, 2000);
  EXPECT_NEAR(side.integral(0.7, 1.1, s)[1], expected, 1e-7);
}

}  // namespace
