// Cost of one report row of the frequency and sensitivity operations, and of one whole
// dispersive synthesis: the model calls each operation makes per sweep point, without the
// rendering. (The impedance-analysis row is BM_AnalysisChain in models_bench.cpp.)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>

#include "design/design.hpp"
#include "models/coupled.hpp"
#include "models/records.hpp"
#include "network/network.hpp"

namespace {

using namespace cuplo;

// Reference design: er 9.8, h 0.025 in, w 0.0015 in, s 0.002 in, t 0.0002 in, N 4, gold
// (2.44 micro-ohm-cm) with 10 micro-inch roughness, loss tangent 0.0005, 50-ohm ports.
constexpr float kEr = 9.8f;
constexpr float kH = 0.025f;
constexpr float kW = 0.0015f;
constexpr float kS = 0.002f;
constexpr float kT = 0.0002f;
constexpr std::int32_t kN = 4;
constexpr float kRes = 2.44f * 0.000001f / 2.54f;  // ohm-inches
constexpr float kSr = 10.0f * 0.000001f;           // inches
constexpr float kTlos = 0.0005f;
constexpr float kL = 0.1225f;
constexpr float kRs = 50.0f;
constexpr float kRl = 50.0f;

// One four-port row at f (GHz): dispersive permittivities, dispersive pair and coupler
// impedances, the losses and the response, as the frequency analysis computes them per
// point; the static values are those of the design, computed once.
void BM_FourPortRow(benchmark::State& state) {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
  network::LcFa1 lcfa1;
  float wte = 0.0f, wto = 0.0f, effc = 0.0f, effe = 0.0f, effo = 0.0f;
  models::lcwta(kEr, kH, kS, kT, kW, wte, wto);
  models::lcpv(effc, effe, effo, kEr, kH, kN, kS, kT, kW, wte, wto, msimp1, nullptr);
  std::int32_t iflag = 0;
  float zoeap = 0.0f, zooap = 0.0f;
  models::lcimp(kEr, kH, iflag, kN, kS, wte, wto, zoeap, zooap, msimp1, nullptr);
  float f = 1.0f;
  for (auto _ : state) {
    f = f < 11.0f ? f + 0.0001f : 1.0f;  // a new frequency on every pass
    lcfa1.f = f;
    models::lceff(effc, effe, effo, kEr, f, kH, models::Modes::both, kS, wte, wto, lceff1);
    models::lcdis(effo, lceff1.effof, kEr, f, kH, kH * 1000.0f, iflag, models::Modes::both, kS, wte,
                  wto, zoeap, zooap, lcdis1, msimp1, mszo1);
    float cc = 0.0f, ko = 0.0f, zof = 0.0f, zoef = 0.0f, zoof = 0.0f;
    models::lczo(cc, ko, kN, zof, zoef, lcdis1.zoeapf, zoof, lcdis1.zooapf);
    float ate = 0.0f, ato = 0.0f;
    network::lclos(ate, ato, kEr, f, kH, kN, kRes, kS, kSr, kT, kTlos, kW, zoef, zoof, lceff1,
                   msimp1, nullptr);
    network::lcfa(ate, ato, lceff1.effef, lceff1.effof, kL, kRl, kRs, zoef, zoof, lcfa1);
    benchmark::DoNotOptimize(lcfa1);
  }
}
BENCHMARK(BM_FourPortRow);

// One sensitivity row: the dispersive impedances at the design and at each of the five
// values enlarged in turn (six analysis chains).
void BM_SensitivityRow(benchmark::State& state) {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
  design::LcSen1 lcsen1;
  design::LcSen2 lcsen2;
  const models::Modes modes =
      state.range(0) == 2 ? models::Modes::odd_only : models::Modes::even_only;
  float f = 1.0f;
  for (auto _ : state) {
    f = f < 11.0f ? f + 0.0001f : 1.0f;
    std::int32_t iflag = 0;
    float zoef = 0.0f, zoof = 0.0f;
    design::lcsen(kEr, f, kH, iflag, modes, kN, kS, kT, kW, zoef, zoof, lcsen1, lcsen2, lceff1,
                  lcdis1, msimp1, mszo1, nullptr);
    benchmark::DoNotOptimize(lcsen1);
    benchmark::DoNotOptimize(lcsen2);
  }
}
BENCHMARK(BM_SensitivityRow)->ArgName("ieoro")->Arg(1)->Arg(2);

// The synthesized dimensions, kept as one record for DoNotOptimize.
struct Dimensions {
  float w;
  float s;
  float wte;
};

// One dispersive synthesis: Zo 50 ohms, -3 dB, N 4, er 9.8, h 0.025 in, t 0.0002 in, 10 GHz.
void BM_DispersiveSynthesis(benchmark::State& state) {
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
  float cc0 = 0.0f, ko0 = -3.0f, zo0 = 50.0f, zoe0 = 0.0f, zoo0 = 0.0f;
  models::sl1zo(cc0, ko0, 1, zo0, zoe0, zoo0);
  std::int32_t failures = 0;
  for (auto _ : state) {
    float cc = cc0, zo = zo0, zoe = zoe0, zoo = zoo0;
    float s = kS, w = kW, wte = 0.0f;
    std::int32_t iflag = 0;
    design::lcsyn(cc, kEr, 10.0f, kH, iflag, kN, s, kT, w, wte, zo, zoe, zoo, lceff1, lcdis1,
                  msimp1, mszo1, nullptr);
    failures += iflag != 0 ? 1 : 0;
    Dimensions found{w, s, wte};  // not DoNotOptimize on a float: see models_bench.cpp
    benchmark::DoNotOptimize(found);
  }
  if (failures != 0) state.SkipWithError("the reference synthesis failed");
}
BENCHMARK(BM_DispersiveSynthesis);

}  // namespace
