// A quasi-static field solution of the coupler's cross-section: N identical strips of width W
// and thickness T, S apart, on a substrate of permittivity Er and height H over an infinite
// ground plane, open above.
//
// Boundary elements with the strips' surface charge as the only unknowns and the exact
// Green's function of a line charge above a grounded dielectric slab as an image series
// (Silvester 1968; Bryant and Weiss 1968): the interface and the ground need no unknowns, and
// every face of a thick strip lies in air, so thickness is exact. Pulse elements graded
// towards the edges, collocation at each face's Chebyshev points, the mirror symmetry of
// the cross-section halving the unknowns, and Richardson extrapolation over two meshes.
// Double precision throughout (field/README.md: method, accuracy, convergence study).
//
// Nothing here prints, throws or aborts: a geometry that cannot be solved comes back as a
// Status and a one-line message.
#pragma once

#include <string>
#include <vector>

namespace cuplo::field {

inline constexpr int kMaxStrips = 12;

// The cross-section. Lengths in any one unit (only their ratios matter).
struct Geometry {
  int n = 4;        // number of strips, 1 to 12 (1: a single microstrip)
  double w = 0.0;   // strip width, > 0
  double s = 0.0;   // gap between adjacent strips, > 0 (ignored for n = 1)
  double t = 0.0;   // strip thickness, >= 0 (0, or below 1e-6 of min(W, S, H): no thickness)
  double h = 0.0;   // substrate height, > 0
  double er = 1.0;  // substrate's relative permittivity, >= 1
};

struct Options {
  // Elements per face relative to the default mesh (0.25 to 16). The default (1) keeps the
  // extrapolated values within 0.1 % of the converged solution for 0.05 <= W/H, S/H <= 10,
  // T/H <= 0.3 and Er up to 25 (field/README.md); more is slower and closer.
  double density = 1.0;
  // true: the values extrapolated to zero element size from the mesh and the mesh halved
  // (Richardson, for an error falling as the cube of the element size on strips of no
  // thickness, as its square on thick strips). false: the values of the halved mesh
  // itself. Both meshes are solved either way.
  bool extrapolate = true;
};

enum class Status {
  ok,
  invalid_geometry,   // a value out of its domain (count, sign, not finite, Er < 1)
  out_of_range,       // valid, but a ratio outside what the solver resolves (message says)
  invalid_options,    // Options::density not finite or outside 0.25 to 16
  numerical_failure,  // the linear system gave no finite, positive capacitances
};

// The coupler's two-conductor values: group A is strips 0, 2, 4, ..., group B strips 1, 3,
// 5, ...; with C_AA and C_AB the sums of the Maxwell capacitances within group A and between
// the groups, Ce = C_AA + C_AB and Co = C_AA - C_AB (the same in air).
struct Modes {
  double zoe = 0.0;          // even-mode impedance of group A, ohms
  double zoo = 0.0;          // odd-mode impedance of group A, ohms
  double eeff_even = 0.0;    // Ce / Ce in air
  double eeff_odd = 0.0;     // Co / Co in air
  double zo = 0.0;           // sqrt(zoe zoo), ohms
  double coupling_db = 0.0;  // 20 log10((zoe - zoo) / (zoe + zoo)), dB (negative)
};

struct Solution {
  Status status = Status::ok;
  std::string message;  // one line naming the bad value; empty when status is ok

  int n = 0;
  // Maxwell capacitance matrices, n x n row-major, F/m: entry (i, j) is the charge per metre
  // on strip i with strip j at 1 V and every other strip grounded.
  std::vector<double> c;   // with the substrate
  std::vector<double> c0;  // the same cross-section in air (Er = 1)
  std::vector<double> l;   // inductance matrix mu0 eps0 c0^-1, H/m

  Modes modes;        // n >= 2 (zeros for n = 1)
  double z0 = 0.0;    // n = 1: the single strip's impedance, ohms (0 for n >= 2)
  double eeff = 0.0;  // n = 1: its effective permittivity (0 for n >= 2)

  // The solver's own estimate of its discretization error: the largest relative change that
  // the extrapolation made to any of zoe, zoo, eeff_even, eeff_odd (z0 and eeff for n = 1).
  // It is the error of the unextrapolated values; the extrapolated ones are closer still.
  double mesh_error = 0.0;
  int elements = 0;  // boundary elements of the finer mesh, all strips

  // Entry (i, j) of c, c0 or l, 0 <= i, j < n; only when status is ok (empty matrices else).
  double at(const std::vector<double>& matrix, int i, int j) const {
    return matrix[static_cast<std::size_t>(i * n + j)];
  }
};

// Solves the cross-section. Never throws; see Solution::status.
Solution solve(const Geometry& geometry, const Options& options = {});

}  // namespace cuplo::field
