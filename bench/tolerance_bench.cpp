// The Monte Carlo of the tolerance command: 10,000 samples of the demo design with every
// tolerance given, closed-form on one core (aim: under 0.5 s) and the field model on every
// core (aim: under 30 s), and the field model's cost per sample on one core.
#include <benchmark/benchmark.h>

#include "cuplo/tolerance.hpp"

namespace {

using namespace cuplo;

ToleranceRequest demo(Model model, std::int64_t samples, std::uint32_t threads) {
  ToleranceRequest q;
  q.substrate = {9.8f, 0.025f, 0.0002f};
  q.coupler = {{4, 0.0015f, 0.002f}, 0.115f};
  q.model = model;
  q.w = {0.0001f, false};
  q.s = {0.0001f, false};
  q.h = {0.02f, true};
  q.er = {0.01f, true};
  q.t = {0.1f, true};
  q.samples = samples;
  q.seed = 1;
  q.threads = threads;
  return q;
}

void run(benchmark::State& state, Model model, std::uint32_t threads) {
  const ToleranceRequest q = demo(model, state.range(0), threads);
  for (auto _ : state) {
    const Result<ToleranceResult> r = tolerance(q);
    benchmark::DoNotOptimize(r.ok());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ToleranceClosedFormOneCore(benchmark::State& state) {
  run(state, Model::closed_form, 1);
}
void BM_ToleranceFieldAllCores(benchmark::State& state) {
  run(state, Model::field, 0);
}
void BM_ToleranceFieldOneCore(benchmark::State& state) {
  run(state, Model::field, 1);
}

BENCHMARK(BM_ToleranceClosedFormOneCore)->Arg(10'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToleranceFieldAllCores)
    ->Arg(10'000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToleranceFieldOneCore)->Arg(500)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
