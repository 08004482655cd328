// Monte Carlo of a coupler over its manufacturing tolerances: every sample a coupler with its
// design values drawn independently around the nominal ones, analysed as the nominal one is;
// percentiles of what it does and the share of samples within limits.
//
// Reproducible: sample k's values come from its own random stream, a function of (seed, k)
// alone (SplitMix64), and a normal deviate is made from one uniform deviate by a fixed
// algorithm in IEEE arithmetic (the inverse of the normal distribution, Wichura's AS 241,
// with a logarithm computed here rather than by the C library), so that the same seed gives
// the same samples on every machine, and any number of threads the same result.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/result.hpp"
#include "cuplo/units.hpp"

namespace cuplo {

// A tolerance: absolute (in the value's unit: inches, or none for Er) or a fraction of the
// nominal value (relative: 0.05 is 5 %). For a normal distribution it is three standard
// deviations; for a uniform one the half-width.
struct Tolerance {
  float value = 0.0f;
  bool relative = false;
};

enum class Distribution : std::uint8_t { normal, uniform };

// What each sample reports, in this order.
enum class Quantity : std::uint8_t {
  zo,              // ohms, at the operating frequency
  coupling_db,     // midband coupling 20 log10((Zoe - Zoo)/(Zoe + Zoo)) there, dB (negative)
  fo_ghz,          // the sample's own centre frequency: where its length is a quarter wave
  balance_db,      // |S21|/|S41| at the operating frequency, dB
  phase_deg,       // the phase difference of ports 2 and 4 there, 0 to 180 degrees
  isolation_db,    // -20 log10 |S31| there, dB
  return_loss_db,  // -20 log10 |S11| there, dB
};
inline constexpr std::size_t kQuantityCount = 7;

// The name of each quantity as a column or key of every face, by Quantity.
inline constexpr std::array<const char*, kQuantityCount> kQuantityKeys{
    "zo_ohm", "coupling_db", "fo_ghz", "balance_db", "phase_deg", "isolation_db", "return_loss_db"};

// The percentiles reported, in percent.
inline constexpr std::array<double, 5> kPercentiles{1.0, 5.0, 50.0, 95.0, 99.0};

// A closed range a quantity must lie in for a sample to pass (unbounded sides infinite).
struct Window {
  bool given = false;
  float low = -std::numeric_limits<float>::infinity();
  float high = std::numeric_limits<float>::infinity();
};

struct ToleranceRequest {
  Substrate substrate;          // nominal; its losses are the samples' too
  Coupler coupler;              // nominal cross-section and coupled length, inches
  float operating_ghz = 0.0f;   // where the samples are judged; 0: the nominal centre frequency
  float reference_ohm = 50.0f;  // every port's termination
  Model model = Model::closed_form;
  // Tolerances of W, S, H, Er, T, and of the etch (width lost per edge: W - 2e, S + 2e
  // together; a relative one is a fraction of nominal_etch).
  Tolerance w, s, h, er, t, etch;
  float nominal_etch = 0.0f;  // inches
  Distribution distribution = Distribution::normal;
  std::int64_t samples = 10'000;  // 1 to kMaxSamples
  std::uint64_t seed = 0;
  std::uint32_t threads = 0;                  // 0: every core
  std::array<Window, kQuantityCount> spec{};  // by Quantity
  bool keep_samples = false;                  // return every sample (ToleranceResult::drawn)
};

inline constexpr std::int64_t kMaxSamples = 1'000'000;

// One sample: its design values and what it does (NaN where the analysis failed).
struct Sample {
  float w = 0.0f;  // inches, on the board
  float s = 0.0f;
  float h = 0.0f;
  float er = 0.0f;
  float t = 0.0f;
  std::array<float, kQuantityCount> values{};
  bool ok = false;  // the models took the sample and every analysis succeeded
};

// The spread of one quantity over the samples that were analysed.
struct Spread {
  float nominal = 0.0f;
  std::array<double, kPercentiles.size()> percentile{};  // linear between order statistics
  double mean = 0.0;
  double sd = 0.0;  // sample standard deviation
};

struct ToleranceResult {
  std::int64_t samples = 0;
  std::int64_t failed = 0;  // could not be analysed (a value outside the models' range...)
  float operating_ghz = 0.0f;
  Sample nominal;
  std::array<Spread, kQuantityCount> spread{};
  // Samples within each given window (failed ones are not), and within all of them.
  std::array<std::int64_t, kQuantityCount> passing{};
  std::int64_t passing_all = 0;
  std::vector<Sample> drawn;  // by index, when kept
};

// Why a request cannot be sampled, or nullptr: a tolerance negative or not a number, one as
// large as its value's distance to the edge of its range (W, S, H: the value; Er: Er - 1;
// T: T; the etch: half the narrower of W and S), a relative etch tolerance without an etch,
// a sample count outside 1 to kMaxSamples.
[[nodiscard]] const char* invalid(const ToleranceRequest& request) noexcept;

// The Monte Carlo. Fails as the nominal design's analysis does (its limits are the result's);
// a sample that fails is counted, not fatal.
Result<ToleranceResult> tolerance(const ToleranceRequest& request);

// The deviates of sample index under seed, for W, S, H, Er, T and the etch in that order:
// standard normal, or uniform on [-1, 1).
[[nodiscard]] std::array<double, 6> deviates(std::uint64_t seed, std::int64_t index,
                                             Distribution distribution) noexcept;

// A tolerance as people type it: "5%" of the value, or an absolute value of the dimension
// with its unit (a bare length in bare_length); 0 or more. The message names `name`.
Parsed<Tolerance> parse_tolerance(std::string_view name, std::string_view text, Dimension dimension,
                                  LengthUnit bare_length = LengthUnit::in);
// The same with a bare number in the named unit of the dimension, or a percentage when the
// unit is "%" (a face that shows a unit beside the field).
Parsed<Tolerance> parse_tolerance(std::string_view name, std::string_view text, Dimension dimension,
                                  std::string_view bare_unit);

// Limits of a quantity as people type them, "CENTRE+-TOLERANCE" (the tolerance with its unit
// or in % of the centre: "3+-0.5dB", "90+-3deg", "5.8GHz+-2%"), or for the amplitude balance
// one largest value X for -X to X ("0.5dB"). The coupling's limits are of its magnitude: the
// window is of the negative dB the samples report. Only the coupling, the balance, the phase
// and the centre frequency take limits.
Parsed<Window> parse_limits(std::string_view name, std::string_view text, Quantity quantity);

}  // namespace cuplo
