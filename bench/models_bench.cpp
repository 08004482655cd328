// Cost of the coupled-strip models: one full analysis chain of a sweep point (effective
// widths, static pair impedances, coupler values, permittivities, dispersion), and the two
// single-strip models alone.
//
// Each pass takes a new width (or frequency) computed from the last one, which keeps the
// inputs opaque to the optimizer. Google Benchmark's DoNotOptimize is not used on a float:
// with GCC its register-or-memory constraint handed back a garbage width, and the chain
// then ran on NaN, whose library calls return at once.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <sstream>

#include "models/coupled.hpp"
#include "models/microstrip.hpp"
#include "models/records.hpp"

namespace {

using namespace cuplo::models;

// Reference geometry: er 9.8, h 0.025 in, w 0.002 in, s 0.002 in, t 0.0002 in, N 4, 10 GHz.
constexpr float kEr = 9.8f;
constexpr float kH = 0.025f;
constexpr float kW = 0.002f;
constexpr float kS = 0.002f;
constexpr float kT = 0.0002f;
constexpr std::int32_t kN = 4;
constexpr float kF = 10.0f;

// The next width of a sweep of 100,000 points from 0.001 to 0.011 inch, then over again.
float next_width(float w) {
  return w < 0.011f ? w + 0.0000001f : 0.001f;
}

// What one chain produces, kept as one record for DoNotOptimize.
struct Row {
  float zo;
  float cc;
  float zoe;
  float zoo;
  float effef;
  float effof;
};

void BM_AnalysisChain(benchmark::State& state) {
  MsImp1 msimp1;
  MsZo1 mszo1;
  LcEff1 lceff1;
  LcDis1 lcdis1;
  float w = kW;
  for (auto _ : state) {
    w = next_width(w);
    float wte = 0.0f;
    float wto = 0.0f;
    lcwta(kEr, kH, kS, kT, w, wte, wto);
    std::int32_t iflag = 0;
    float zoeap = 0.0f;
    float zooap = 0.0f;
    lcimp(kEr, kH, iflag, kN, kS, wte, wto, zoeap, zooap, msimp1, nullptr);
    float cc = 0.0f, ko = 0.0f, zo = 0.0f, zoe = 0.0f, zoo = 0.0f;
    lczo(cc, ko, kN, zo, zoe, zoeap, zoo, zooap);
    float effc = 0.0f, effe = 0.0f, effo = 0.0f;
    lcpv(effc, effe, effo, kEr, kH, kN, kS, kT, w, wte, wto, msimp1, nullptr);
    lceff(effc, effe, effo, kEr, kF, kH, Modes::both, kS, wte, wto, lceff1);
    lcdis(effo, lceff1.effof, kEr, kF, kH, 1000.0f * kH, iflag, Modes::both, kS, wte, wto, zoeap,
          zooap, lcdis1, msimp1, mszo1);
    lczo(cc, ko, kN, zo, zoe, lcdis1.zoeapf, zoo, lcdis1.zooapf);
    Row row{zo, cc, zoe, zoo, lceff1.effef, lceff1.effof};
    benchmark::DoNotOptimize(row);
  }
}
BENCHMARK(BM_AnalysisChain);

void BM_Msimp(benchmark::State& state) {
  MsImp1 msimp1;
  float w = kW;
  for (auto _ : state) {
    w = next_width(w);
    msimp(kEr, kH, 1000.0f * kH, kT, w, msimp1);
    benchmark::DoNotOptimize(msimp1);
  }
}
BENCHMARK(BM_Msimp);

void BM_Mszo(benchmark::State& state) {
  MsImp1 msimp1;
  msimp(kEr, kH, 1000.0f * kH, 0.0f, kW, msimp1);
  MsZo1 mszo1;
  float f = kF;
  for (auto _ : state) {
    f = f < 11.0f ? f + 0.0001f : 1.0f;
    mszo(msimp1.ef, kEr, f, kH, kW, msimp1.zo, mszo1);
    benchmark::DoNotOptimize(&mszo1);  // an 8-byte record: passed by address
  }
}
BENCHMARK(BM_Mszo);

}  // namespace
