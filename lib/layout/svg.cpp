// SVG preview: user units are micrometres, y turned to SVG's downward axis.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "cuplo/layout.hpp"
#include "lib/layout/units.hpp"

namespace cuplo::layout {
namespace {

constexpr const char* kCopperColour = "#c06a2b";
constexpr const char* kStrapColour = "#1f5fbf";
constexpr const char* kPadEdgeColour = "#5a2a08";
constexpr const char* kSubstrateColour = "#ece8dc";
constexpr double kDisplayWidthPx = 640.0;  // the picture's width on screen; its height follows

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string svg_preview(const Drawing& d) {
  const auto um = [&](std::int64_t units) { return micrometres(units, d.grid_nm); };
  const std::int64_t width = std::int64_t{d.bounds.hi.x} - d.bounds.lo.x;
  const std::int64_t height = std::int64_t{d.bounds.hi.y} - d.bounds.lo.y;
  const std::int64_t margin = std::max(width, height) / 20;
  const std::int64_t left = d.bounds.lo.x - margin;
  const std::int64_t upper = -std::int64_t{d.bounds.hi.y} - margin;
  const std::int64_t view_w = width + 2 * margin;
  const std::int64_t view_h = height + 2 * margin;
  const long display_h =
      std::lround(kDisplayWidthPx * static_cast<double>(view_h) / static_cast<double>(view_w));
  const auto rect = [&](const Box& b) {
    return "<rect x=\"" + um(b.lo.x) + "\" y=\"" + um(-std::int64_t{b.hi.y}) + "\" width=\"" +
           um(std::int64_t{b.hi.x} - b.lo.x) + "\" height=\"" + um(std::int64_t{b.hi.y} - b.lo.y) +
           "\"/>\n";
  };

  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         std::to_string(static_cast<long>(kDisplayWidthPx)) + "\" height=\"" +
         std::to_string(display_h) + "\" viewBox=\"" + um(left) + " " + um(upper) + " " +
         um(view_w) + " " + um(view_h) + "\">\n";
  out += "<title>" + escaped(d.name + ": " + d.description) + "</title>\n";
  out += "<rect x=\"" + um(left) + "\" y=\"" + um(upper) + "\" width=\"" + um(view_w) +
         "\" height=\"" + um(view_h) + "\" fill=\"" + kSubstrateColour + "\"/>\n";
  out += "<g fill=\"" + std::string(kCopperColour) + "\">\n";
  for (const Piece& p : d.copper) out += rect(p.box);
  // The pads outlined, so that they stand out from their feed lines.
  out += "</g>\n<g fill=\"" + std::string(kCopperColour) + "\" stroke=\"" + kPadEdgeColour +
         "\" stroke-width=\"" + um(d.strap_width) + "\">\n";
  for (const Port& p : d.ports) out += rect(p.pad);
  out += "</g>\n<g stroke=\"" + std::string(kStrapColour) + "\" stroke-width=\"" +
         um(d.strap_width) + "\">\n";
  for (const Strap& s : d.straps) {
    out += "<line x1=\"" + um(s.from.x) + "\" y1=\"" + um(-std::int64_t{s.from.y}) + "\" x2=\"" +
           um(s.to.x) + "\" y2=\"" + um(-std::int64_t{s.to.y}) + "\"/>\n";
  }
  // Port numbers two thirds of a pad high, centred on the pads.
  const std::int64_t pad = std::int64_t{d.ports[0].pad.hi.x} - d.ports[0].pad.lo.x;
  out += "</g>\n<g font-family=\"sans-serif\" font-size=\"" + um(2 * pad / 3) +
         "\" text-anchor=\"middle\" dominant-baseline=\"central\" fill=\"#ffffff\">\n";
  for (const Port& p : d.ports) {
    out += "<text x=\"" + um(p.centre.x) + "\" y=\"" + um(-std::int64_t{p.centre.y}) + "\">" +
           std::string(1, p.number) + "</text>\n";
  }
  return out + "</g>\n</svg>\n";
}

}  // namespace cuplo::layout
