// The coupler's drawing: one geometry model, in integer units of the mask's grid, that the
// footprint, mask and preview writers serialize without computing anything of their own.
//
// The drawing (y up, origin at the coupler's centre): N fingers of width W and gap S along x,
// finger 0 at the bottom. Even fingers form conductor A (port 1 input at x < 0, port 4
// through at x > 0), odd fingers conductor B (port 2 coupled at x < 0, port 3 isolated at
// x > 0). At the left end a copper bar beyond the fingers' ends joins conductor A's fingers
// (B's fingers end a gap S short of it) and straps join B's fingers across A's; at the right
// end the roles swap. Each port is a feed line of the reference width leaving an outer
// finger at right angles, flush with the coupler's end, and a square pad at its far end.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cuplo/coupler.hpp"

namespace cuplo::layout {

// Coordinates in grid units.
struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// An axis-aligned rectangle, lo the lower-left and hi the upper-right corner.
struct Box {
  Point lo;
  Point hi;
};

// A strap (bond wire or air bridge): a straight line of the drawing's strap width between
// two points on copper of one conductor.
struct Strap {
  Point from;
  Point to;
};

struct Port {
  char number = '1';  // '1' input, '2' coupled, '3' isolated, '4' through
  Box pad;
  Point centre;
};

struct Drawing {
  std::string name;          // footprint and top cell name
  std::string description;   // the design in one line
  std::int32_t grid_nm = 1;  // the grid unit, nanometres
  std::int32_t strap_width = 0;
  std::vector<Box> copper;  // abutting rectangles: fingers, bars, feed lines (pads apart)
  std::vector<Strap> straps;
  std::array<Port, 4> ports{};
  Box bounds;  // of all metal, pads included
};

// The design to draw. Lengths in inches, as the library gives them.
struct Design {
  Substrate substrate;
  CrossSection section;
  float length = 0.0f;               // coupled length L
  float reference_impedance = 0.0f;  // ohms, the feed lines' impedance
  float reference_width = 0.0f;      // the feed lines' width
  float feed_length = 0.0f;          // from the coupler's outer edge to the pad
  // The coupler analysed at its centre frequency, for the description.
  float zo = 0.0f;           // ohms
  float zoe = 0.0f;          // ohms
  float zoo = 0.0f;          // ohms
  float coupling_db = 0.0f;  // dB
  float centre_ghz = 0.0f;   // the frequency at which L is a quarter wave
};

// Why a design cannot be drawn, by the design value at fault.
struct Problem {
  enum class What { none, grid, strips, width, spacing, length, feeds, straps, extent };
  What what = What::none;
  std::string message;  // what is wrong, without the option's name
};

struct Built {
  Drawing drawing;
  Problem problem;
  bool ok() const { return problem.what == Problem::What::none; }
};

// The strap width: a 1 mil bond wire, or the finger width where the fingers are narrower
// (and at least one grid unit).
inline constexpr float kStrapWidthInches = 0.001f;

// Why the cross-section cannot be drawn on a grid of grid_nm nanometres (fingers or gaps
// narrower than the grid), or What::none.
Problem on_grid(const CrossSection& section, std::int32_t grid_nm);

// The drawing of the design on a grid of grid_nm nanometres, named name.
Built draw(const Design& design, std::int32_t grid_nm, const std::string& name);

// A length in grid units as a decimal number of millimetres (micrometres), exactly, with no
// trailing zeros: the one place where grid units become text.
std::string millimetres(std::int64_t units, std::int32_t grid_nm);
std::string micrometres(std::int64_t units, std::int32_t grid_nm);

}  // namespace cuplo::layout
