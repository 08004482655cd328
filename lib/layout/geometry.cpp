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
         fixed(d.reference_impedance, 1) + " ohm feeds " + shortest(d.reference_width) + " in wide";
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
  if (xs.n != 4 && xs.n != 6) return {W::strips, "the coupler has 4 or 6 fingers"};
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

Built draw(const Design& d, std::int32_t grid_nm, const std::string& name) {
  using W = Problem::What;
  const std::int32_t n = d.section.n;
  if (Problem p = on_grid(d.section, grid_nm); p.what != W::none) return refused(p.what, p.message);
  const std::string grid_text = micrometres(1, grid_nm) + " um";
  if (!(static_cast<double>(d.reference_width) >= grid_nm / kNanometresPerInch)) {
    return refused(W::grid, "the feed lines (" + um_of_inches(d.reference_width) +
                                " um) are narrower than the grid (" + grid_text + ")");
  }
  if (!(d.feed_length >= 0.0f)) return refused(W::feeds, "the feed length is negative");

  const auto w = grid_units(d.section.w, grid_nm);
  const auto s = grid_units(d.section.s, grid_nm);
  const auto half = grid_units(0.5f * d.length, grid_nm);
  // The feed width is an even number of grid units, so that each pad's centre lies on the
  // grid: the footprint places a pad by its centre.
  const auto wref_half = grid_units(0.5f * d.reference_width, grid_nm);
  const auto feed = grid_units(d.feed_length, grid_nm);
  auto ws = grid_units(std::fmin(d.section.w, kStrapWidthInches), grid_nm);
  if (!w || !s || !half || !wref_half || !feed || !ws) {
    return refused(W::extent,
                   "the drawing does not fit the 32-bit coordinates of a " + grid_text + " grid");
  }
  if (*half < 1) return refused(W::length, "the coupler is shorter than the grid");
  if (*ws < 1) ws = 1;  // a grid coarser than a bond wire: the strap is one grid unit wide
  const std::int64_t wref = 2 * *wref_half;

  // The feeds leave the outer fingers flush with the coupler's ends and must stay within the
  // end quarters, so that the middle half of the coupler is fingers only.
  if (wref > *half) {
    return refused(W::feeds, "the feed lines, " + micrometres(wref, grid_nm) +
                                 " um wide, overlap: the feeds of ports 1 and 4, and of 2 and "
                                 "3, need twice that along a coupler " +
                                 micrometres(2 * *half, grid_nm) + " um long");
  }
  if (2 * wref > *half) {
    return refused(W::feeds, "the feed lines, " + micrometres(wref, grid_nm) +
                                 " um wide, do not fit within the coupler's end quarters (L/4 = " +
                                 micrometres(*half / 2, grid_nm) +
                                 " um): they would reach into the middle half, which is fingers "
                                 "only");
  }
  // The straps of one end, one per gap between fingers of the strapped conductor, are
  // staggered by two strap widths so that no strap lands on or passes over another's
  // landing; they too stay within the end quarter.
  const std::int64_t straps_per_end = n / 2 - 1;
  const std::int64_t strap_reach = *ws * (2 * straps_per_end - 1) + (*ws + 1) / 2;
  if (2 * strap_reach > *half) {
    return refused(W::straps, "the " + std::to_string(straps_per_end) +
                                  " straps at each end need more than a quarter of the "
                                  "coupler's length (" +
                                  micrometres(*half / 2, grid_nm) + " um)");
  }

  // Finger k spans y0 + k*(w + s) to that + w: widths and gaps exact to the grid, the
  // centre within half a grid unit of y = 0.
  const std::int64_t pitch = *w + *s;
  const std::int64_t total = n * *w + (n - 1) * *s;
  const std::int64_t y0 = -(total / 2);
  const std::int64_t top = y0 + total;
  const auto bottom_of = [&](std::int64_t k) { return y0 + k * pitch; };
  const auto centre_of = [&](std::int64_t k) { return bottom_of(k) + *w / 2; };
  const std::int64_t bar = *half + *s;  // inner edge of the end bars
  const std::int64_t reach_x = bar + *w;
  const std::int64_t reach_y = std::max(-y0, top) + *feed + wref;
  if ((std::max(reach_x, reach_y) + 1) * grid_nm > kMaxMetalNm) {
    return refused(W::extent,
                   "the drawing does not fit the 32-bit nanometre coordinates of a "
                   "footprint");
  }

  Built b;
  Drawing& dr = b.drawing;
  dr.name = name;
  dr.description = describe(d);
  dr.grid_nm = grid_nm;
  dr.strap_width = static_cast<std::int32_t>(*ws);
  for (std::int64_t k = 0; k < n; ++k) {
    // Conductor A's fingers run into the left bar, B's into the right one.
    const bool a = k % 2 == 0;
    dr.copper.push_back(box(a ? -bar : -*half, bottom_of(k), a ? *half : bar, bottom_of(k) + *w));
  }
  dr.copper.push_back(box(-reach_x, bottom_of(0), -bar, bottom_of(n - 2) + *w));
  dr.copper.push_back(box(bar, bottom_of(1), reach_x, top));

  // Ports: 1 and 4 below finger 0 (conductor A), 2 and 3 above finger n - 1 (conductor B).
  struct Feed {
    char number;
    std::int64_t x0;  // left edge
    bool up;
  };
  const std::array<Feed, 4> feeds{{{'1', -*half, false},
                                   {'2', -*half, true},
                                   {'3', *half - wref, true},
                                   {'4', *half - wref, false}}};
  for (std::size_t i = 0; i < feeds.size(); ++i) {
    const Feed& f = feeds[i];
    const std::int64_t x1 = f.x0 + wref;
    const std::int64_t edge = f.up ? top : y0;
    const std::int64_t end = f.up ? top + *feed : y0 - *feed;
    const std::int64_t outer = f.up ? end + wref : end - wref;
    if (*feed > 0) dr.copper.push_back(box(f.x0, std::min(edge, end), x1, std::max(edge, end)));
    Port& p = dr.ports[i];
    p.number = f.number;
    p.pad = box(f.x0, std::min(end, outer), x1, std::max(end, outer));
    p.centre = point((f.x0 + x1) / 2, (end + outer) / 2);
  }

  // Straps: at the left end between B's fingers (1-3, 3-5), at the right end between A's
  // (0-2, 2-4), each from finger centre to finger centre, the first one strap width in from
  // the strapped fingers' ends.
  for (std::int64_t j = 0; j < straps_per_end; ++j) {
    const std::int64_t inset = *ws * (1 + 2 * j);
    dr.straps.push_back(
        {point(-*half + inset, centre_of(2 * j + 1)), point(-*half + inset, centre_of(2 * j + 3))});
    dr.straps.push_back(
        {point(*half - inset, centre_of(2 * j)), point(*half - inset, centre_of(2 * j + 2))});
  }
  dr.bounds = box(-reach_x, y0 - *feed - wref, reach_x, top + *feed + wref);
  return b;
}

}  // namespace cuplo::layout
