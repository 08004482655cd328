// The coupler's drawing: one geometry model, in integer units of the mask's grid, that the
// footprint, mask and preview writers serialize without computing anything of their own; and
// the design it draws, found from the coupler's geometry or synthesized from targets.
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
#include "cuplo/process.hpp"
#include "cuplo/result.hpp"

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

// A rectangle of copper and the conductor it belongs to: 0 for A (the even fingers, ports 1
// and 4), 1 for B (the odd fingers, ports 2 and 3).
struct Piece {
  Box box;
  std::uint8_t conductor = 0;
};

struct Drawing {
  std::string name;          // footprint and top cell name
  std::string description;   // the design in one line
  std::int32_t grid_nm = 1;  // the grid unit, nanometres
  std::int32_t strap_width = 0;
  std::int32_t gap = 0;       // the narrowest space between the two conductors' copper
  std::vector<Piece> copper;  // abutting rectangles: fingers, bars, feed lines (pads apart)
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
  // The process's rules: what they did to a synthesized design (Binding::none for a design
  // given by its geometry, which they do not change), and the etch the mask is drawn for:
  // every copper edge drawn this far outward, so that the etched copper is the design.
  Fit fit;
  float etch = 0.0f;  // inches per edge
};

// Why a design cannot be drawn, by the design value at fault.
struct Problem {
  enum class What { none, grid, strips, width, spacing, length, feeds, straps, extent, etch };
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

// The drawing of the design on a grid of grid_nm nanometres, named name. With an etch, every
// rectangle of copper and every pad is drawn that much larger on each side (rounded to the
// grid): fingers W + 2e wide, gaps between the two conductors S - 2e. What::etch when the
// compensated gaps would close or the fingers vanish.
Built draw(const Design& design, std::int32_t grid_nm, const std::string& name);

// What to draw: the coupler's geometry with its length, or with the length a quarter wave at
// a centre frequency, or targets synthesized (as synthesize() does) and made a quarter wave
// at their frequency.
struct Request {
  enum class Kind : std::uint8_t { length, centre_frequency, targets };
  Kind kind = Kind::length;
  CrossSection section;               // length, centre_frequency: N, W and S; targets: N
  float length = 0.0f;                // length: the coupled length, inches
  float frequency = 0.0f;             // centre_frequency, targets: GHz
  Target target;                      // targets: Zo and the coupling (Zoe and Zoo are not drawn)
  bool dispersive = false;            // targets: synthesized from the dispersive impedances
  float reference_impedance = 50.0f;  // ohms, the feed lines' impedance
  float feed_length = -1.0f;          // inches; negative: two substrate heights
  Model model = Model::closed_form;   // of the synthesis and the analyses
  // targets: synthesized held to its minimums (process.hpp); every kind: drawn for its etch.
  Process process;
};

// The design of a request on a substrate: the cross-section, its length and centre frequency,
// the coupler analysed at that frequency, and the feed lines. The result carries the
// accuracy limits that any step left (the synthesis, the length, the analysis), judged at the
// design point of the drawn coupler; a failed step is the failure (invalid_input with
// detail "reference: ..." when no microstrip has the feed impedance).
Result<Design> plan(const Substrate& substrate, const Request& request) noexcept;

// The feed lines reach this many substrate heights out from the coupler when the request does
// not say: the fringing field of the outer fingers has fallen away there.
inline constexpr float kFeedLengthInHeights = 2.0f;

// KiCad 6 footprint (.kicad_mod): the copper belongs to the pads, so that a board whose pads
// carry nets passes KiCad's design-rule check. Pad 1 is a custom pad whose primitives are all
// of conductor A's copper, pad 2 likewise for B; pads 4 and 3 are plain squares on the same
// copper. Input and through (coupled and isolated) are joined by copper, so the footprint is
// a net tie (its keywords begin with "net tie"), and every pad's local clearance is the
// coupler's own gap, below a board's default clearance. Straps as lines of their width on
// Eco1.User, the outline on F.Fab and the courtyard on F.CrtYd. KiCad's y axis points down:
// the footprint is the drawing as seen from above all the same.
std::string kicad_footprint(const Drawing& drawing);

// The time a GDSII library records as its modification and access time, UTC.
struct Timestamp {
  std::int16_t year = 1970;
  std::int16_t month = 1;
  std::int16_t day = 1;
  std::int16_t hour = 0;
  std::int16_t minute = 0;
  std::int16_t second = 0;
};

// GDSII stream (.gds): one cell named after the drawing, metal on layer 1/0 as boundaries,
// straps on layer 2/0 as two-point paths of their width, port numbers as texts on layer 1/0
// at the pads' centres. User unit 1 micrometre, database unit the grid.
std::string gds_stream(const Drawing& drawing, const Timestamp& time);

// SVG preview (.svg): copper and straps in two colours, port numbers on the pads.
std::string svg_preview(const Drawing& drawing);

}  // namespace cuplo::layout
