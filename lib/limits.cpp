// The accuracy limits of the models, judged at a design point.
#include <cmath>
#include <cstdio>
#include <string>

#include "cuplo/limits.hpp"
#include "models/constants.hpp"

namespace cuplo {

float quantity(Limit limit, const DesignPoint& p) {
  switch (limit) {
    case Limit::frequency_thickness:
      return p.f * p.h * models::kMmPerInch;
    case Limit::permittivity:
      return p.er;
    case Limit::width_ratio:
      return p.w / p.h;
    case Limit::width:
      return p.w;
    case Limit::spacing_ratio:
      return p.s / p.h;
    case Limit::spacing:
      return p.s;
    case Limit::spacing_thickness:
      return p.s / p.t;
    case Limit::coupling:
      return p.coupling_db;
    case Limit::impedance:
      return p.zo;
    case Limit::synthesis_coupling:
      return std::fabs(p.coupling_db);
  }
  return 0.0f;
}

Limits limits_left(const DesignPoint& p) {
  Limits left;
  for (const LimitSpec& row : kLimitTable) {
    // The thickness ratio holds for strips with thickness; coupling and impedance for a
    // synthesis.
    if (row.limit == Limit::spacing_thickness && p.t == 0.0f) continue;
    const bool synthesis_only = row.limit == Limit::coupling || row.limit == Limit::impedance ||
                                row.limit == Limit::synthesis_coupling;
    if (synthesis_only && !p.synthesis) continue;
    if (!passes(row.limit, quantity(row.limit, p))) left.add(row.limit);
  }
  return left;
}

std::string describe(Limit limit, const DesignPoint& p) {
  const LimitSpec& row = spec(limit);
  const float value = quantity(limit, p);
  char text[160];
  if (std::isnan(value)) {
    std::snprintf(text, sizeof text, "%s is not a number: outside the models' accuracy limits",
                  row.quantity);
  } else if (!(value >= row.low)) {
    std::snprintf(text, sizeof text, "%s = %.6g is below %g, the models' accuracy limit",
                  row.quantity, static_cast<double>(value), static_cast<double>(row.low));
  } else {
    std::snprintf(text, sizeof text, "%s = %.6g is above %g, the models' accuracy limit",
                  row.quantity, static_cast<double>(value), static_cast<double>(row.high));
  }
  std::string line = text;
  for (const ValidatedError& band : kValidatedErrors) {
    if (band.limit == limit && value >= band.low && value < band.high) {
      line += std::string(": ") + band.words + "; the field model does not have this limit";
      break;
    }
  }
  return line;
}

}  // namespace cuplo
