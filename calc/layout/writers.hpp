// The three serializations of a drawing, each the whole file as bytes. They compute no
// geometry: each converts grid units to its own unit and nothing else.
#pragma once

#include <cstdint>
#include <string>

#include "calc/layout/geometry.hpp"

namespace cuplo::layout {

// KiCad 6 footprint (.kicad_mod): copper polygons and pads 1 to 4 on F.Cu, straps as lines
// of their width on Eco1.User, the outline on F.Fab and the courtyard on F.CrtYd. KiCad's y
// axis points down: the footprint is the drawing as seen from above all the same.
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
