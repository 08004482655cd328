// cuplo::microstrip_width starts its bisection at H/10000, where the thickness correction of a
// strip with T > 0 gives a negative effective width and a NaN impedance, so that it fails for
// every substrate with thick strips. This is the same bounded bisection with the model's own
// edge taken into account; it can give way to the library's once that accepts T > 0.
#include "calc/layout/feed.hpp"

#include <cmath>

#include "models/microstrip.hpp"

namespace cuplo::layout {

Result<float> feed_width(const Substrate& sub, float z) {
  if (!std::isfinite(sub.er) || sub.er < 1.0f || !std::isfinite(sub.h) || sub.h <= 0.0f ||
      !std::isfinite(sub.t) || sub.t < 0.0f || !std::isfinite(z) || z <= 0.0f) {
    return Result<float>::failed(Failure::invalid_input);
  }
  models::MsImp1 m;
  const float h2 = 1000.0f * sub.h;  // no cover: far above the strip
  auto zo = [&](float w) {
    models::msimp(sub.er, sub.h, h2, sub.t, w, m);
    return m.zo;
  };
  // The impedance falls as the strip widens; a strip too narrow for the thickness correction
  // (NaN) counts as too narrow. Bounded at 200 halvings.
  float lo = sub.h * 0.0001f;
  float hi = sub.h * 100.0f;
  if (!(zo(hi) <= z)) return Result<float>::failed(Failure::no_solution);
  for (int k = 0; k < 200 && hi - lo > lo * 1e-7f; ++k) {
    const float mid = 0.5f * (lo + hi);
    if (zo(mid) <= z) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  const float w = 0.5f * (lo + hi);
  // Above the highest impedance the model reaches, the search ends at the model's edge.
  if (!(std::fabs(zo(w) - z) <= 1e-4f * z)) return Result<float>::failed(Failure::no_solution);
  return Result<float>(w);
}

}  // namespace cuplo::layout
