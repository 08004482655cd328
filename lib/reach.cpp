// What a synthesis can reach: each end of the range found by bisection on a logarithmic grid,
// every trial a closed-form synthesis.
#include "cuplo/reach.hpp"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cuplo/touchstone.hpp"

namespace cuplo {
namespace {

// The searches run on a logarithmic scale between these limits.
constexpr float kLowestZo = 1.0f;  // ohms
constexpr float kHighestZo = 1000.0f;
constexpr float kWeakestDb = 60.0f;  // dB of coupling
constexpr float kStrongestDb = 0.05f;
constexpr int kGridPoints = 25;  // tried across the limits for a first value that reaches
constexpr int kHalvings = 16;    // of each end's bracket: well inside the 3 digits shown

std::string number(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", static_cast<double>(v));
  return text;
}

// The interval of x in [low, high] around target's nearest value that reaches, each end
// found by halving its bracket (in log x); an end at a limit is open (nothing beyond it was
// tried). Nothing when no value of the grid reaches.
struct Reach {
  float low = 0.0f;
  float high = 0.0f;
  bool low_open = false;
  bool high_open = false;
};

std::optional<Reach> reach(const std::function<bool(float)>& reaches, float low, float high,
                           float target) {
  // The grid, evenly spaced in log x from low to high.
  std::vector<float> grid;
  const double ratio = static_cast<double>(high) / static_cast<double>(low);
  for (int i = 0; i < kGridPoints; ++i) {
    grid.push_back(static_cast<float>(static_cast<double>(low) *
                                      std::pow(ratio, i / double{kGridPoints - 1})));
  }
  const auto distance = [&](float x) {
    return std::fabs(std::log(static_cast<double>(x) / static_cast<double>(target)));
  };
  // The value of the grid that reaches nearest the target.
  std::size_t seed = grid.size();
  for (std::size_t i = 0; i < grid.size(); ++i) {
    if ((seed == grid.size() || distance(grid[i]) < distance(grid[seed])) && reaches(grid[i])) {
      seed = i;
    }
  }
  if (seed == grid.size()) return std::nullopt;
  // Out from the seed along the grid to the first value that fails, then halved between the
  // last that reaches and it; open when the grid ends first.
  const auto end = [&](bool up) {
    std::size_t i = seed;
    const auto next = [&] { return up ? i + 1 : i - 1; };
    while ((up ? i + 1 < grid.size() : i > 0) && reaches(grid[next()])) i = next();
    if (up ? i + 1 == grid.size() : i == 0) return std::pair<float, bool>{grid[i], true};
    float in = grid[i];
    float out = grid[next()];
    for (int k = 0; k < kHalvings; ++k) {
      const auto mid =
          static_cast<float>(std::sqrt(static_cast<double>(in) * static_cast<double>(out)));
      (reaches(mid) ? in : out) = mid;
    }
    return std::pair<float, bool>{in, false};
  };
  const auto [lo, lo_open] = end(false);
  const auto [hi, hi_open] = end(true);
  return Reach{lo, hi, lo_open, hi_open};
}

// "from 12.3 to 109 ohm", "up to 109 ohm", "from 12.3 ohm up".
std::string range(const Reach& r, const char* unit) {
  if (r.low_open && !r.high_open) return "up to " + number(r.high) + " " + unit;
  if (r.high_open && !r.low_open) return "from " + number(r.low) + " " + unit + " up";
  return "from " + number(r.low) + " to " + number(r.high) + " " + unit;
}

}  // namespace

std::string unreachable(const Substrate& substrate, std::int32_t n, const Target& target,
                        std::optional<float> f, Naming naming) {
  // "--zo 500" or "zo=500", the value as it was given.
  const auto named = [naming](const char* name, float v) {
    char text[32];
    const std::string given(text, shortest_float(text, v));
    return naming == Naming::option ? std::string("--") + name + " " + given
                                    : std::string(name) + "=" + given;
  };
  float zo = target.zo;
  float db = std::fabs(target.coupling_db);
  std::string asked;
  if (target.kind == Target::Kind::zoe_zoo) {
    // The same coupler as a Zo and a coupling.
    zo = std::sqrt(target.zoe * target.zoo);
    db = std::fabs(20.0f * std::log10((target.zoe - target.zoo) / (target.zoe + target.zoo)));
    asked = named("zoe", target.zoe) + ", " + named("zoo", target.zoo) + ": Zo " + number(zo) +
            " ohm at " + number(db) + " dB; ";
  }
  const auto reaches = [&](float z, float c) {
    const Target t = Target::zo_and_coupling(z, c);
    return (f ? synthesize(substrate, n, t, *f) : synthesize(substrate, n, t)).ok();
  };
  if (const std::optional<Reach> r =
          reach([&](float z) { return reaches(z, db); }, kLowestZo, kHighestZo, zo)) {
    if (zo >= r->low && zo <= r->high) return {};
    const std::string head = asked.empty() ? named("zo", zo) + ": " : asked;
    return head + "the widest and narrowest strips on this substrate give Zo " + range(*r, "ohm") +
           " at " + number(db) + " dB";
  }
  if (const std::optional<Reach> r =
          reach([&](float c) { return reaches(zo, c); }, kStrongestDb, kWeakestDb, db)) {
    if (db >= r->low && db <= r->high) return {};
    const std::string head = asked.empty() ? named("coupling", db) + ": " : asked;
    return head + "the narrowest and widest gaps on this substrate give a coupling " +
           range(*r, "dB") + " at " + number(zo) + " ohm";
  }
  return {};
}

}  // namespace cuplo
