// Cost of the fixed-format renderer: single F fields of the widths the reports use, over
// values of the sizes that appear in those columns, and whole report rows written through
// text::Writer to a stream that discards the bytes.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "text/format.hpp"
#include "text/render.hpp"

namespace {

using namespace cuplo::text;

constexpr std::size_t kValues = 1024;  // a power of two: the index wraps with a mask

// Values spread evenly over [lo, hi] on a fixed, irregular grid (no two share many digits).
std::array<float, kValues> spread(float lo, float hi) {
  std::array<float, kValues> values{};
  std::uint32_t x = 2463534242u;
  for (float& v : values) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    const float unit = static_cast<float>(x >> 8) / 16777216.0f;
    v = lo + (hi - lo) * unit;
  }
  return values;
}

// One F field: width and decimals of a report column, values of that column's size.
void BM_RenderReal(benchmark::State& state, std::int32_t width, std::int32_t decimals, float lo,
                   float hi) {
  const std::array<float, kValues> values = spread(lo, hi);
  std::string out;
  std::size_t k = 0;
  for (auto _ : state) {
    out.clear();
    render_real(out, values[k++ & (kValues - 1)], width, decimals);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(BM_RenderReal, width_F16_5, 16, 5, 0.001f, 0.03f);
BENCHMARK_CAPTURE(BM_RenderReal, spacing_F9_5, 9, 5, 0.001f, 0.03f);
BENCHMARK_CAPTURE(BM_RenderReal, impedance_F8_2, 8, 2, 10.0f, 150.0f);
BENCHMARK_CAPTURE(BM_RenderReal, coupling_F8_3, 8, 3, -10.0f, -1.5f);
BENCHMARK_CAPTURE(BM_RenderReal, permittivity_F7_2, 7, 2, 5.0f, 9.8f);
BENCHMARK_CAPTURE(BM_RenderReal, frequency_F13_4, 13, 4, 1.0f, 11.0f);
BENCHMARK_CAPTURE(BM_RenderReal, phase_F8_1, 8, 1, -180.0f, 180.0f);
BENCHMARK_CAPTURE(BM_RenderReal, loss_F9_4, 9, 4, -1.0f, 0.0f);
BENCHMARK_CAPTURE(BM_RenderReal, sensitivity_F8_3, 8, 3, -2.0f, 2.0f);
BENCHMARK_CAPTURE(BM_RenderReal, tiny_F8_4, 8, 4, -1e-6f, 1e-6f);

// A stream buffer that accepts and drops everything.
class Discard : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// The impedance-analysis row: W, S, Zo, Zoe, Zoo, Co, effective Er even and odd.
void BM_WriteImpedanceRow(benchmark::State& state) {
  const Format row("(1X,F16.5,F9.5,F9.2,F8.2,F8.2,F8.3,F7.2,F8.2)");
  const std::array<float, kValues> w = spread(0.001f, 0.03f);
  const std::array<float, kValues> z = spread(10.0f, 150.0f);
  const std::array<float, kValues> co = spread(-10.0f, -1.5f);
  const std::array<float, kValues> ef = spread(5.0f, 9.8f);
  Discard sink;
  std::ostream os(&sink);
  Writer writer(os, "bench");
  std::size_t k = 0;
  for (auto _ : state) {
    const std::size_t i = k++ & (kValues - 1);
    const std::size_t j = (i * 7 + 3) & (kValues - 1);
    writer.put(row, {w[i], w[j], z[i], z[j], z[(i + 1) & (kValues - 1)], co[i], ef[i], ef[j]});
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["fields/s"] = benchmark::Counter(8.0 * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteImpedanceRow);

// The four-port row in the magnitude-and-phase format: f, then dB and degrees at 4 ports.
void BM_WriteFourPortRow(benchmark::State& state) {
  const Format row("(1X,F13.4,F7.1,F8.1,F9.3,F7.1,F8.1,F8.1,F9.3,F7.1)");
  const std::array<float, kValues> f = spread(1.0f, 11.0f);
  const std::array<float, kValues> db = spread(-60.0f, 0.0f);
  const std::array<float, kValues> deg = spread(-180.0f, 180.0f);
  Discard sink;
  std::ostream os(&sink);
  Writer writer(os, "bench");
  std::size_t k = 0;
  for (auto _ : state) {
    const std::size_t i = k++ & (kValues - 1);
    const std::size_t j = (i * 7 + 3) & (kValues - 1);
    const std::size_t m = (i * 13 + 5) & (kValues - 1);
    writer.put(row, {f[i], db[i], deg[i], db[j], deg[j], db[m], deg[m], db[i ^ 1], deg[i ^ 1]});
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["fields/s"] = benchmark::Counter(9.0 * static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteFourPortRow);

}  // namespace
