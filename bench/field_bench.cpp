// Cost of one field-solved cross-section (field/): both meshes, the substrate and air, the
// extrapolation and the mode values. A six- and a four-strip coupler of a 10-mil alumina
// board, with and without the strips' thickness: W/H 0.6, S/H 0.1, T/H 0.03 (0 without),
// Er 9.8. Each pass nudges the width so that nothing is computed once for all passes.
#include <benchmark/benchmark.h>

#include "cuplo/coupler.hpp"
#include "field/field.hpp"

namespace {

void BM_FieldCrossSection(benchmark::State& state) {
  cuplo::field::Geometry g;
  g.n = static_cast<int>(state.range(0));
  g.w = 0.6;
  g.s = 0.1;
  g.t = state.range(1) != 0 ? 0.03 : 0.0;
  g.h = 1.0;
  g.er = 9.8;
  for (auto _ : state) {
    g.w = g.w < 0.61 ? g.w + 1e-6 : 0.6;
    const cuplo::field::Solution s = cuplo::field::solve(g);
    benchmark::DoNotOptimize(s.modes.zoe);
    if (s.status != cuplo::field::Status::ok) state.SkipWithError(s.message.c_str());
  }
  state.SetLabel(g.t > 0.0 ? "thick" : "no thickness");
}
BENCHMARK(BM_FieldCrossSection)
    ->ArgNames({"n", "thick"})
    ->Args({4, 0})
    ->Args({4, 1})
    ->Args({6, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMillisecond);

// One synthesis on the field model through the library: W and S for 50 ohms and 3 dB, four
// strips static on the same 10-mil alumina board (T 17 um), six strips at 5.8 GHz on a 20-mil
// laminate (Er 3.66, T 35 um; on the alumina no six-strip coupler reaches 50 ohms); a Newton
// search from the closed-form synthesis, a few field solutions a step.
void BM_FieldSynthesis(benchmark::State& state) {
  const cuplo::Substrate alumina{9.8f, 0.01f, 0.00067f};
  const cuplo::Substrate laminate{3.66f, 0.02f, 0.00138f};
  const auto n = static_cast<std::int32_t>(state.range(0));
  const bool dispersive = state.range(1) != 0;
  float zo = 50.0f;
  for (auto _ : state) {
    zo = zo < 50.01f ? zo + 1e-4f : 50.0f;
    const cuplo::Target target = cuplo::Target::zo_and_coupling(zo, 3.0f);
    const cuplo::Result<cuplo::Synthesis> r =
        dispersive ? cuplo::synthesize(laminate, n, target, 5.8f, cuplo::Model::field)
                   : cuplo::synthesize(alumina, n, target, cuplo::Model::field);
    if (!r) {
      state.SkipWithError("the synthesis failed");
      break;
    }
    benchmark::DoNotOptimize(r->section.w);
  }
  state.SetLabel(dispersive ? "laminate, at 5.8 GHz" : "alumina, static");
}
BENCHMARK(BM_FieldSynthesis)
    ->ArgNames({"n", "dispersive"})
    ->Args({4, 0})
    ->Args({6, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
