// KiCad 6 footprint in the S-expression form of that version (20211014), numbers in
// millimetres as KiCad writes them: up to six decimals, no trailing zeros. The coupler is
// printed copper: nothing to buy or place, so it stays out of the BOM and the position files.
#include <cstdint>
#include <string>

#include "cuplo/layout.hpp"
#include "lib/layout/units.hpp"

namespace cuplo::layout {
namespace {

// KiCad's conventions for a footprint's auxiliary layers, in nanometres: courtyard 0.25 mm
// clear of the metal on a 0.01 mm grid; fabrication and courtyard line widths.
constexpr std::int64_t kCourtyardClearance = 250'000;
constexpr std::int64_t kCourtyardGrid = 10'000;
constexpr std::int64_t kFabWidth = 100'000;
constexpr std::int64_t kCourtyardWidth = 50'000;
constexpr std::int64_t kTextGap = 1'500'000;  // from the courtyard to the texts' centre

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Writes coordinates in millimetres, y turned to KiCad's downward axis.
class Writer {
 public:
  explicit Writer(std::int32_t grid_nm) : grid_nm_(grid_nm) {}
  std::string x(std::int64_t units) const { return millimetres(units, grid_nm_); }
  std::string y(std::int64_t units) const { return millimetres(-units, grid_nm_); }
  std::string xy(Point p) const { return x(p.x) + " " + y(p.y); }
  std::string nm(std::int64_t nanometres) const { return millimetres(nanometres, 1); }

 private:
  std::int32_t grid_nm_;
};

// A rectangle as a filled polygon primitive of a pad at centre: coordinates relative to the
// pad, in KiCad's axes.
std::string polygon(const Writer& w, const Box& b, Point centre) {
  const auto x = [&](std::int64_t v) { return w.x(v - centre.x); };
  const auto y = [&](std::int64_t v) { return w.y(v - centre.y); };
  return "(gr_poly (pts (xy " + x(b.lo.x) + " " + y(b.lo.y) + ") (xy " + x(b.hi.x) + " " +
         y(b.lo.y) + ") (xy " + x(b.hi.x) + " " + y(b.hi.y) + ") (xy " + x(b.lo.x) + " " +
         y(b.hi.y) + ")) (width 0) (fill yes))";
}

std::int64_t floor_to(std::int64_t v, std::int64_t step) {
  const std::int64_t r = v % step;
  return r < 0 ? v - r - step : v - r;
}

}  // namespace

std::string kicad_footprint(const Drawing& d) {
  const Writer w(d.grid_nm);
  const std::int64_t g = d.grid_nm;
  // The courtyard in nanometres, in KiCad's axes (y down): bounds widened and rounded outward.
  const std::int64_t left = floor_to(d.bounds.lo.x * g - kCourtyardClearance, kCourtyardGrid);
  const std::int64_t right = -floor_to(-(d.bounds.hi.x * g + kCourtyardClearance), kCourtyardGrid);
  const std::int64_t upper = floor_to(-d.bounds.hi.y * g - kCourtyardClearance, kCourtyardGrid);
  const std::int64_t lower = -floor_to(d.bounds.lo.y * g - kCourtyardClearance, kCourtyardGrid);
  const std::string font = "    (effects (font (size 1 1) (thickness 0.15)))\n";

  std::string out = "(footprint " + quoted(d.name) + " (version 20211014) (generator cuplo-calc)\n";
  out += "  (layer \"F.Cu\")\n  (tedit 0)\n";
  out += "  (descr " + quoted(d.description) + ")\n";
  // KiCad lets the pads of a footprint whose keywords begin with "net tie" carry different nets
  // on one piece of copper: ports 1 and 4 are the ends of one conductor, 2 and 3 of the other.
  out += "  (tags \"net tie RF coupler interdigitated quadrature microstrip\")\n";
  out += "  (attr smd exclude_from_pos_files exclude_from_bom)\n";
  out += "  (fp_text reference \"REF**\" (at 0 " + w.nm(upper - kTextGap) +
         ") (layer \"F.SilkS\")\n" + font + "  )\n";
  out += "  (fp_text value " + quoted(d.name) + " (at 0 " + w.nm(lower + kTextGap) +
         ") (layer \"F.Fab\")\n" + font + "  )\n";
  out += "  (fp_rect (start " + w.xy(d.bounds.lo) + ") (end " + w.xy(d.bounds.hi) +
         ") (layer \"F.Fab\") (width " + w.nm(kFabWidth) + ") (fill none))\n";
  out += "  (fp_rect (start " + w.nm(left) + " " + w.nm(upper) + ") (end " + w.nm(right) + " " +
         w.nm(lower) + ") (layer \"F.CrtYd\") (width " + w.nm(kCourtyardWidth) + ") (fill none))\n";

  for (const Strap& s : d.straps) {
    out += "  (fp_line (start " + w.xy(s.from) + ") (end " + w.xy(s.to) +
           ") (layer \"Eco1.User\") (width " + w.x(d.strap_width) + "))\n";
  }
  // The copper belongs to the pads: pad 1 (2) carries all of conductor A's (B's) copper as
  // the primitives of a custom pad; pads 4 and 3 are squares on that copper. Each pad's local
  // clearance is the coupler's gap, so that a board's wider default clearance does not apply
  // between the coupler's own conductors.
  const std::string clearance = w.x(d.gap);
  for (const Port& p : d.ports) {
    const std::uint8_t conductor = p.number == '1' || p.number == '4' ? 0 : 1;
    const bool carrier = p.number == '1' || p.number == '2';
    const std::string size = w.x(std::int64_t{p.pad.hi.x} - p.pad.lo.x) + " " +
                             w.x(std::int64_t{p.pad.hi.y} - p.pad.lo.y);
    out += "  (pad \"" + std::string(1, p.number) + "\" smd " + (carrier ? "custom" : "rect") +
           " (at " + w.xy(p.centre) + ") (size " + size + ") (layers \"F.Cu\")\n";
    out += "    (clearance " + clearance + ")\n";
    if (carrier) {
      out += "    (options (clearance outline) (anchor rect))\n    (primitives\n";
      for (const Piece& piece : d.copper) {
        if (piece.conductor != conductor) continue;
        out += "      " + polygon(w, piece.box, p.centre) + "\n";
      }
      out += "    )\n";
    }
    out += "  )\n";
  }
  return out + ")\n";
}

}  // namespace cuplo::layout
