// Observation points of the synthesis searches, for the tests. The public routines of
// design.hpp call these with a trace they throw away; the arithmetic is the same.
#pragma once

#include <cstdint>

#include "models/records.hpp"

namespace cuplo::design::detail {

// What lcws computed on its way: the set-up values, the first estimate of
// g = cosh(pi*s/(2*h)), the g of the first and of the last evaluation, and how many
// evaluations of the odd-mode mismatch it made.
struct LcwsTrace {
  float fe = 0.0f;
  float fo = 0.0f;
  float whe = 0.0f;
  float who = 0.0f;
  float g_estimate = 0.0f;
  float r = 0.0f;
  float g_first = 0.0f;
  float g_last = 0.0f;
  std::int32_t evaluations = 0;
};

void lcws_traced(float er, float h, std::int32_t& iflag, std::int32_t n, float& s, float t,
                 float& wte, float& wto, float zoeap, float zooap, LcwsTrace& trace);

// The trial frequencies of msfsyn: how many it made and the second one (0 if only one).
struct MsfsynTrace {
  std::int32_t trials = 0;
  float second_f = 0.0f;
};

bool msfsyn_traced(float effc, float effe, float effo, float er, float& f, float h, float l,
                   float s, float wte, float wto, models::LcEff1& lceff1, MsfsynTrace& trace);

}  // namespace cuplo::design::detail
