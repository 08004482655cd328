// The field solver's parts below solve(): the element integrals, the grounded slab's image
// series and its table, the kernels, the mesh and the capacitance solution of one mesh.
// Internal to the library (the tests use it to swap the kernel); nothing here is Eigen.
//
// Every length here is in units of the reference height (the substrate's height H, or half
// the ground-plane spacing of the stripline kernel), so the kernels are free of scale.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace cuplo::field::detail {

// A straight boundary element from (x1, y1) to (x2, y2).
struct Segment {
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
};

double length(const Segment& s);

// The integral of ln|p - q| over the points q of the segment, p = (px, py): in closed form
// (the self and near terms), or by the midpoint rule with its curvature correction when p is
// more than ten element lengths away (error below 3.2e-7 times the length there).
double log_integral(double px, double py, const Segment& s);

// The image series of a unit line charge above a grounded slab of height 1 with
// K = (Er - 1)/(Er + 1), beyond the direct term and the interface image (Silvester 1968):
// (1 - K^2) sum_{j >= 0} (-K)^j ln sqrt(dx^2 + (ysum + 2 j)^2), with ysum = y + y0 >= 2 the
// sum of the heights of the field point and the charge; and its derivative in dx. Twelve
// terms summed, the alternating tail by Euler's transformation over twelve more: about 1e-11
// absolute for every K < 1 (for K near 1 the plain series needs thousands of terms).
struct SeriesValue {
  double value = 0.0;
  double d_dx = 0.0;
};
SeriesValue slab_series(double k, double dx, double ysum);

// slab_series(k, dx, ysum) tabulated once per geometry for 0 <= |dx| <= dx_max and
// ysum_min <= ysum <= ysum_max: cubic Hermite in u = asinh(dx/2) (steps of 1/48), Chebyshev-
// Lobatto nodes in ysum (as many as keep the interpolation within about 1e-10); agrees with
// the series within 1e-9.
class SlabTable {
 public:
  SlabTable(double k, double dx_max, double ysum_min, double ysum_max);
  double operator()(double dx, double ysum) const;
  std::size_t nodes() const { return value_.size(); }

 private:
  double step_ = 1.0 / 48.0;
  std::size_t nu_ = 0;            // nodes in u
  std::vector<double> ysum_;      // Chebyshev-Lobatto nodes in ysum
  std::vector<double> weight_;    // their barycentric weights
  std::vector<double> value_;     // [node in ysum][node in u]
  std::vector<double> slope_;     // d value / du, same layout
};

// 2 pi eps0 times the potential at a field point of a unit line charge, integrated over a
// source element: one interaction of the boundary-element matrix. Each kernel gives the
// value in air (index 0) and with the substrate (index 1); a kernel with one medium gives
// the same value twice.
class Kernel {
 public:
  virtual ~Kernel() = default;
  virtual std::array<double, 2> integral(double px, double py, const Segment& s) const = 0;
  // Whether index 1 differs from index 0 (a substrate other than air).
  virtual bool two_media() const = 0;
};

// Strips in air above a grounded slab of height 1: -ln r + K ln r' + the image series
// (field/README.md derives it), and in air alone (K = 0) -ln r + ln r'' with r'' the
// distance to the image under the ground. The smooth series is integrated by three-point
// Gauss over pieces of at most half the slab's height.
class SlabKernel final : public Kernel {
 public:
  // table: the series for this geometry (null for Er = 1).
  SlabKernel(double k, const SlabTable* table) : k_(k), table_(table) {}
  std::array<double, 2> integral(double px, double py, const Segment& s) const override;
  bool two_media() const override { return table_ != nullptr; }

 private:
  double k_;
  const SlabTable* table_;
};

// Strips of no thickness on the centre plane of a homogeneous stripline (ground planes at
// y = 0 and y = 2, the strips at y = 1): the image sum in closed form,
// -ln tanh(pi |dx| / 4). The logarithmic part in closed form, the smooth rest by Gauss.
class StriplineKernel final : public Kernel {
 public:
  std::array<double, 2> integral(double px, double py, const Segment& s) const override;
  bool two_media() const override { return false; }
};

// N identical strips, their lower faces at y = base (units of the reference height), centred
// on x = 0 as a group. Elements per face: m on the lower and upper faces (cosine spacing,
// m even), m_side on each side face (cosine spacing); no upper or side faces when t = 0.
struct Layout {
  int n = 1;
  double w = 0.0, s = 0.0, t = 0.0, base = 1.0;
  int m = 8;
  int m_side = 0;
};

// One strip's elements, centred on x = 0: the lower face (m elements, left to right), then
// for t > 0 the upper face (m) and the left and right sides (m_side each, bottom to top);
// the index of each element's mirror image through the strip's centre line; and the
// collocation point of each element (a face's Chebyshev points: the midpoints in the angle
// of the cosine spacing).
struct StripMesh {
  std::vector<Segment> segments;
  std::vector<int> mirror;
  std::vector<double> cx, cy;
};
StripMesh strip_mesh(const Layout& layout);

// Maxwell capacitance matrices of one mesh, n x n row-major, F/m: [0] in air, [1] with the
// substrate (equal for a kernel of one medium). ok is false when the system was singular or
// gave a value that is not finite.
struct Capacitances {
  bool ok = false;
  std::array<std::vector<double>, 2> c;
  int elements = 0;
};
Capacitances capacitances(const Layout& layout, const Kernel& kernel);

// The mesh rule for strips of width w, gap s (ignored for n = 1) and thickness t, in units of
// the reference height, at the given density (Options::density): the coarser of the two
// meshes; the finer one has twice the elements on every face.
Layout mesh(int n, double w, double s, double t, double density);

// The capacitances of the mesh and of the mesh halved, and their Richardson extrapolation
// per matrix entry: (8 fine - coarse) / 7 for strips of no thickness (error falling as
// h^3), (4 fine - coarse) / 3 for thick strips (h^2).
struct Extrapolation {
  bool ok = false;
  std::array<std::vector<double>, 2> fine;
  std::array<std::vector<double>, 2> extrapolated;
  int elements = 0;  // of the finer mesh
};
Extrapolation extrapolate(const Layout& coarse, const Kernel& kernel);

}  // namespace cuplo::field::detail
