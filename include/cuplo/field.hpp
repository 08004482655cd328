// The field model's own results: the cross-section's Maxwell capacitance matrices with and
// without the substrate and its inductance matrix, as the 2-D quasi-static field solution of
// the library's field model gives them (Model::field; the coupler's values come from every
// other call with that model).
#pragma once

#include <cstdint>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/result.hpp"

namespace cuplo {

struct FieldMatrices {
  std::int32_t n = 0;  // strips; every matrix is n x n, row-major
  // Entry (i, j): the charge per metre on strip i with strip j at 1 V and every other strip
  // grounded, F/m; with the substrate, and the same cross-section in air.
  std::vector<double> c;
  std::vector<double> c0;
  std::vector<double> l;     // inductance matrix mu0 eps0 c0^-1, H/m
  double mesh_error = 0.0;   // the solver's estimate of its relative discretization error
  std::int32_t elements = 0;  // boundary elements of its finer mesh
};

// The matrices of a cross-section of any even number of strips from 2 to 12.
Result<FieldMatrices> field_matrices(const Substrate& substrate, const CrossSection& section);

}  // namespace cuplo
