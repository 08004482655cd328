// Temporary: draws a coupler until cuplo-calc's layout command exists.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "calc/layout/feed.hpp"
#include "calc/layout/geometry.hpp"
#include "calc/layout/writers.hpp"

int main(int argc, char** argv) {
  int n = 4;
  std::string out;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--n") n = std::atoi(argv[i + 1]);
    if (std::string(argv[i]) == "-o") out = argv[i + 1];
  }
  cuplo::Substrate sub{9.8f, 0.025f, 0.0002f, 0.0002f, 2.44f, 4.0f};
  auto syn = cuplo::synthesize(sub, n, cuplo::Target::zo_and_coupling(50.0f, 3.0f), 10.0f);
  if (!syn) return 1;
  auto q = cuplo::Analysis(sub, syn->section).quarter_wave_length(10.0f);
  auto wref = cuplo::layout::feed_width(sub, 50.0f);
  cuplo::layout::Design d{sub,           syn->section,           *q,   50.0f, *wref, 3.0f * sub.h,
                          syn->check.zo, syn->check.coupling_db, 10.0f};
  auto b = cuplo::layout::draw(d, 1, "demo");
  if (!b.ok()) {
    std::cerr << b.problem.message << "\n";
    return 2;
  }
  std::string bytes;
  if (out.ends_with(".kicad_mod"))
    bytes = cuplo::layout::kicad_footprint(b.drawing);
  else if (out.ends_with(".gds"))
    bytes = cuplo::layout::gds_stream(b.drawing, {2026, 1, 2, 3, 4, 5});
  else
    bytes = cuplo::layout::svg_preview(b.drawing);
  std::ofstream(out, std::ios::binary) << bytes;
  std::cout.precision(9);
  std::cout << "{\"rows\": [{\"w_in\": " << syn->section.w << ", \"s_in\": " << syn->section.s
            << ", \"l_in\": " << *q << ", \"feed_width_in\": " << *wref << "}]}\n";
  return 0;
}
