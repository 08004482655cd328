#include "cuplo/layout.hpp"
#include "lib/layout/units.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <system_error>

#include "text/charconv.hpp"

namespace cuplo::layout {
namespace {

constexpr double kNanometresPerInch = 25.4e6;
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
// KiCad holds coordinates as 32-bit nanometres; the courtyard and texts lie up to a few
// millimetres outside the metal, so the metal keeps 10 mm clear of that range.
constexpr std::int64_t kMaxMetalNm = kInt32Max - 10'000'000;

// The one conversion of a length in inches into grid units: to the nearest unit, or no
// value when the result would not fit in 32 bits (never saturated).
std::optional<std::int64_t> grid_units(float inches, std::int32_t grid_nm) {
  const double units = static_cast<double>(inches) * kNanometresPerInch / grid_nm;
  if (!std::isfinite(units) || std::fabs(units) > static_cast<double>(kInt32Max)) {
    return std::nullopt;
  }
  return std::llround(units);
}

// The shortest decimal that reads back to x, without an exponent.
std::string shortest(float x) {
  char buf[64];
  const auto r = text::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

std::string fixed(float x, int decimals) {
  char buf[64];
  const auto r = text::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
  return r.ec == std::errc() ? std::string(buf, r.ptr) : shortest(x);
}

// A length in inches as micrometres for a message.
std::string um_of_inches(float inches) {
  return shortest(inches * 25400.0f);
}

std::string decimal(std::int64_t units, std::int32_t grid_nm, std::int64_t per_unit, int digits) {
  const std::int64_t nm = units * grid_nm;
  const std::int64_t magnitude = nm < 0 ? -nm : nm;
  std::string text(nm < 0 ? "-" : "");
  text += std::to_string(magnitude / per_unit);
  std::string fraction = std::to_string(magnitude % per_unit);
  fraction.insert(0, static_cast<std::size_t>(digits) - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

Built refused(Problem::What what, std::string message) {
  Built b;
  b.problem = {what, std::move(message)};
  return b;
}

std::string describe(const Design& d) {
  const Substrate& sub = d.substrate;
  return "Interdigitated quadrature coupler: N = " + std::to_string(d.section.n) +
         ", W = " + shortest(d.section.w) + " in, S = " + shortest(d.section.s) +
         " in, L = " + shortest(d.length) + " in; substrate Er = " + shortest(sub.er) +
         ", H = " + shortest(sub.h) + " in, T = " + shortest(sub.t) +
         " in; Zo = " + fixed(d.zo, 2) + " ohm, coupling " + fixed(d.coupling_db, 2) +
         " dB, centre frequency " + fixed(d.centre_ghz, 3) + " GHz; " +
         fixed(d.reference_impedance, 1) + " ohm feeds " + shortest(d.reference_width) +
         " in wide" +
         (d.etch != 0.0f ? "; mask drawn for an etch of " + shortest(d.etch) + " in per edge" : "");
}

Box box(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
  // Every coordinate lies within the drawing's extent, checked against the 32-bit range
  // before any box is made.
  return {{static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0)},
          {static_cast<std::int32_t>(x1), static_cast<std::int32_t>(y1)}};
}

Point point(std::int64_t x, std::int64_t y) {
  return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

}  // namespace

std::string millimetres(std::int64_t units, std::int32_t grid_nm) {
  return decimal(units, grid_nm, 1'000'000, 6);
}

std::string micrometres(std::int64_t units, std::int32_t grid_nm) {
  return decimal(units, grid_nm, 1'000, 3);
}

Problem on_grid(const CrossSection& xs, std::int32_t grid_nm) {
  using W = Problem::What;
  if (grid_nm < 1) return {W::grid, "the grid is not a positive number of nanometres"};
  // Alternate fingers form the two conductors: an even number of them, as the field model
  // takes (the closed-form models four or six).
  if (xs.n < 2 || xs.n > 12 || xs.n % 2 != 0) {
    return {W::strips, "the coupler has an even number of fingers from 2 to 12"};
  }
  const double grid_inches = grid_nm / kNanometresPerInch;
  if (!(static_cast<double>(xs.w) >= grid_inches)) {
    return {W::width, "the fingers (" + um_of_inches(xs.w) + " um) are narrower than the grid (" +
                          micrometres(1, grid_nm) + " um)"};
  }
  if (!(static_cast<double>(xs.s) >= grid_inches)) {
    return {W::spacing, "the gaps (" + um_of_inches(xs.s) + " um) are narrower than the grid (" +
                            micrometres(1, grid_nm) + " um)"};
  }
  return {};
}

namespace {

constexpr std::uint8_t kA = 0;  // conductor A: the even fingers, ports 1 and 4
constexpr std::uint8_t kB = 1;  // conductor B: the odd fingers, ports 2 and 3

// The design's lengths in whole grid units.
struct Units {
  std::int32_t n = 0;
  std::int64_t w = 0;     // finger width
  std::int64_t s = 0;     // gap
  std::int64_t half = 0;  // half the coupled length
  std::int64_t wref = 0;  // feed width, an even number
  std::int64_t feed = 0;  // feed length
  std::int64_t ws = 0;    // strap width
  std::int64_t straps_per_end = 0;
  std::int64_t etch = 0;  // every copper edge drawn this far outward
};

// The design on the grid, or why it cannot be drawn there: what the grid cannot resolve, what
// does not fit the coordinates, feeds or straps that leave the coupler's end quarters.
Problem to_units(const Design& d, std::int32_t grid_nm, Units& u) {
  using W = Problem::What;
  if (Problem p = on_grid(d.section, grid_nm); p.what != W::none) return p;
  const std::string grid_text = micrometres(1, grid_nm) + " um";
  if (!(static_cast<double>(d.reference_width) >= grid_nm / kNanometresPerInch)) {
    return {W::grid, "the feed lines (" + um_of_inches(d.reference_width) +
                         " um) are narrower than the grid (" + grid_text + ")"};
  }
  if (!(d.feed_length >= 0.0f)) return {W::feeds, "the feed length is negative"};

  const auto w = grid_units(d.section.w, grid_nm);
  const auto s = grid_units(d.section.s, grid_nm);
  const auto half = grid_units(0.5f * d.length, grid_nm);
  // The feed width is an even number of grid units, so that each pad's centre lies on the
  // grid: the footprint places a pad by its centre.
  const auto wref_half = grid_units(0.5f * d.reference_width, grid_nm);
  const auto feed = grid_units(d.feed_length, grid_nm);
  const auto ws = grid_units(std::fmin(d.section.w, kStrapWidthInches), grid_nm);
  const auto etch = grid_units(d.etch, grid_nm);
  if (!w || !s || !half || !wref_half || !feed || !ws || !etch) {
    return {W::extent,
            "the drawing does not fit the 32-bit coordinates of a " + grid_text + " grid"};
  }
  if (*half < 1) return {W::length, "the coupler is shorter than the grid"};
  u.n = d.section.n;
  u.w = *w;
  u.s = *s;
  u.half = *half;
  u.wref = 2 * *wref_half;
  u.feed = *feed;
  u.ws = std::max<std::int64_t>(*ws, 1);  // a grid coarser than a bond wire: one grid unit
  u.straps_per_end = u.n / 2 - 1;
  if (*etch < 0) return {W::etch, "the etch is negative"};
  u.etch = *etch;
  // The mask pre-compensated for the etch: the gaps between the conductors are drawn 2e
  // narrower, the fingers 2e wider. A gap that closes would join the two conductors.
  if (u.s - 2 * u.etch < 1) {
    return {W::etch, "compensated for an etch of " + micrometres(u.etch, grid_nm) +
                         " um per edge, the gaps (" + micrometres(u.s, grid_nm) +
                         " um) would be drawn " + micrometres(u.s - 2 * u.etch, grid_nm) +
                         " um wide: the mask cannot be pre-compensated, the etch closes the gap"};
  }

  // The feeds leave the outer fingers flush with the coupler's ends and must stay within the
  // end quarters, so that the middle half of the coupler is fingers only.
  if (u.wref > u.half) {
    return {W::feeds, "the feed lines, " + micrometres(u.wref, grid_nm) +
                          " um wide, overlap: the feeds of ports 1 and 4, and of 2 and 3, need "
                          "twice that along a coupler " +
                          micrometres(2 * u.half, grid_nm) + " um long"};
  }
  if (2 * u.wref > u.half) {
    return {W::feeds, "the feed lines, " + micrometres(u.wref, grid_nm) +
                          " um wide, do not fit within the coupler's end quarters (L/4 = " +
                          micrometres(u.half / 2, grid_nm) +
                          " um): they would reach into the middle half, which is fingers only"};
  }
  // The straps of one end, one per gap between fingers of the strapped conductor, are
  // staggered by two strap widths so that no strap lands on or passes over another's
  // landing; they too stay within the end quarter.
  const std::int64_t strap_reach = u.ws * (2 * u.straps_per_end - 1) + (u.ws + 1) / 2;
  if (2 * strap_reach > u.half) {
    return {W::straps,
            "the " + std::to_string(u.straps_per_end) +
                " straps at each end need more than a quarter of the coupler's length (" +
                micrometres(u.half / 2, grid_nm) + " um)"};
  }
  return {};
}

// The fingers across y: finger k spans bottom(k) to bottom(k) + w, widths and gaps exact to the
// grid, the centre within half a grid unit of y = 0.
struct Stack {
  std::int64_t y0 = 0;
  std::int64_t top = 0;
  std::int64_t pitch = 0;
  std::int64_t w = 0;
  explicit Stack(const Units& u)
      : y0(-((u.n * u.w + (u.n - 1) * u.s) / 2)),
        top(y0 + u.n * u.w + (u.n - 1) * u.s),
        pitch(u.w + u.s),
        w(u.w) {}
  std::int64_t bottom(std::int64_t k) const { return y0 + k * pitch; }
  std::int64_t centre(std::int64_t k) const { return bottom(k) + w / 2; }
};

// The fingers and the end bars: conductor A's fingers (even k) run into the left bar, B's
// into the right one; each bar lies a gap beyond the other conductor's finger ends.
void add_fingers(Drawing& dr, const Units& u, const Stack& y) {
  const std::int64_t bar = u.half + u.s;  // inner edge of the end bars
  for (std::int64_t k = 0; k < u.n; ++k) {
    const bool a = k % 2 == 0;
    dr.copper.push_back(
        {box(a ? -bar : -u.half, y.bottom(k), a ? u.half : bar, y.bottom(k) + u.w), a ? kA : kB});
  }
  dr.copper.push_back({box(-(bar + u.w), y.bottom(0), -bar, y.bottom(u.n - 2) + u.w), kA});
  dr.copper.push_back({box(bar, y.bottom(1), bar + u.w, y.top), kB});
}

// Ports: 1 and 4 below finger 0 (conductor A), 2 and 3 above finger n - 1 (conductor B), each a
// feed line leaving the outer finger at right angles, flush with the coupler's end, and a
// square pad at its far end.
void add_ports(Drawing& dr, const Units& u, const Stack& y) {
  struct Feed {
    char number;
    std::int64_t x0;  // left edge
    bool up;
  };
  const std::array<Feed, 4> feeds{{{'1', -u.half, false},
                                   {'2', -u.half, true},
                                   {'3', u.half - u.wref, true},
                                   {'4', u.half - u.wref, false}}};
  for (std::size_t i = 0; i < feeds.size(); ++i) {
    const Feed& f = feeds[i];
    const std::int64_t x1 = f.x0 + u.wref;
    const std::int64_t edge = f.up ? y.top : y.y0;
    const std::int64_t end = f.up ? y.top + u.feed : y.y0 - u.feed;
    const std::int64_t outer = f.up ? end + u.wref : end - u.wref;
    if (u.feed > 0) {
      dr.copper.push_back(
          {box(f.x0, std::min(edge, end), x1, std::max(edge, end)), f.up ? kB : kA});
    }
    Port& p = dr.ports[i];
    p.number = f.number;
    p.pad = box(f.x0, std::min(end, outer), x1, std::max(end, outer));
    p.centre = point((f.x0 + x1) / 2, (end + outer) / 2);
  }
}

// Straps: at the left end between B's fingers (1-3, 3-5), at the right end between A's (0-2,
// 2-4), each from finger centre to finger centre, the first one strap width in from the
// strapped fingers' ends.
void add_straps(Drawing& dr, const Units& u, const Stack& y) {
  for (std::int64_t j = 0; j < u.straps_per_end; ++j) {
    const std::int64_t inset = u.ws * (1 + 2 * j);
    dr.straps.push_back(
        {point(-u.half + inset, y.centre(2 * j + 1)), point(-u.half + inset, y.centre(2 * j + 3))});
    dr.straps.push_back(
        {point(u.half - inset, y.centre(2 * j)), point(u.half - inset, y.centre(2 * j + 2))});
  }
}

}  // namespace

Built draw(const Design& d, std::int32_t grid_nm, const std::string& name) {
  Units u;
  if (Problem p = to_units(d, grid_nm, u); p.what != Problem::What::none) {
    return refused(p.what, std::move(p.message));
  }
  const Stack y(u);
  const std::int64_t reach_x = u.half + u.s + u.w + u.etch;
  const std::int64_t reach_y = std::max(-y.y0, y.top) + u.feed + u.wref + u.etch;
  if ((std::max(reach_x, reach_y) + 1) * grid_nm > kMaxMetalNm) {
    return refused(Problem::What::extent,
                   "the drawing does not fit the 32-bit nanometre coordinates of a footprint");
  }
  Built b;
  Drawing& dr = b.drawing;
  dr.name = name;
  dr.description = describe(d);
  dr.grid_nm = grid_nm;
  dr.strap_width = static_cast<std::int32_t>(u.ws);
  dr.gap = static_cast<std::int32_t>(u.s - 2 * u.etch);
  add_fingers(dr, u, y);
  add_ports(dr, u, y);
  add_straps(dr, u, y);
  dr.bounds = box(-(u.half + u.s + u.w), y.y0 - u.feed - u.wref, u.half + u.s + u.w,
                  y.top + u.feed + u.wref);
  if (u.etch != 0) {
    const auto grown = [e = static_cast<std::int32_t>(u.etch)](Box& r) {
      r.lo.x -= e;
      r.lo.y -= e;
      r.hi.x += e;
      r.hi.y += e;
    };
    for (Piece& piece : dr.copper) grown(piece.box);
    for (Port& port : dr.ports) grown(port.pad);
    grown(dr.bounds);
  }
  return b;
}

}  // namespace cuplo::layout
