// The accuracy limits of the closed-form models: one table, read by every caller that
// judges a design against them (the library's calls, the console's diagnostics and its
// plausibility checks, the command-line tool's warnings); and beside it the plausibility
// bounds of values typed without their unit, read by the readers of typed values (units.hpp).
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>

namespace cuplo {

enum class Limit : std::uint8_t {
  frequency_thickness,  // f*h at most 25 GHz-mm: beyond, dispersion is too strong
  permittivity,         // Er at most 20
  width_ratio,          // W/H at most 3
  width,                // W at least 0.0001 inch
  spacing_ratio,        // S/H at most 8
  spacing,              // S at least 0.00001 inch
  spacing_thickness,    // S/T at least 2 (strips with thickness only)
  coupling,             // coupling from -12 to -1.5 dB (synthesis)
  impedance,            // Zo from 20 to 100 ohms (synthesis)
  synthesis_coupling,   // |coupling| from 1.5 to 10 dB, where the synthesis converges
};

inline constexpr std::size_t kLimitCount = 10;

// One row of the table: the quantity tested and the closed range in which it passes (a value
// that is not a number never passes). Unbounded sides are infinite.
struct LimitSpec {
  Limit limit;
  const char* quantity;  // as the warnings name it, e.g. "W/H"
  float low;
  float high;
};

inline constexpr float kUnbounded = std::numeric_limits<float>::infinity();

inline constexpr std::array<LimitSpec, kLimitCount> kLimitTable{{
    {Limit::frequency_thickness, "F x H (GHz-mm)", -kUnbounded, 25.0f},
    {Limit::permittivity, "Er", -kUnbounded, 20.0f},
    {Limit::width_ratio, "W/H", -kUnbounded, 3.0f},
    {Limit::width, "W (in)", 0.0001f, kUnbounded},
    {Limit::spacing_ratio, "S/H", -kUnbounded, 8.0f},
    {Limit::spacing, "S (in)", 0.00001f, kUnbounded},
    {Limit::spacing_thickness, "S/T", 2.0f, kUnbounded},
    {Limit::coupling, "coupling (dB)", -12.0f, -1.5f},
    {Limit::impedance, "Zo (ohm)", 20.0f, 100.0f},
    {Limit::synthesis_coupling, "|coupling| (dB)", 1.5f, 10.0f},
}};

constexpr const LimitSpec& spec(Limit limit) {
  return kLimitTable[static_cast<std::size_t>(limit)];
}

// How wrong the closed-form models are where a design leaves a limit of the cross-section:
// measured against the field solver over 5,000 couplers (validation/README.md, "The
// closed-form models against the field solver" and its bands of S/T and of the grid's edges;
// median errors of four strips, and of six). A row words the limit while its quantity lies
// from low (inclusive) to high; the field model has none of these limits.
struct ValidatedError {
  Limit limit;
  float low;
  float high;
  const char* words;
};

inline constexpr std::array<ValidatedError, 4> kValidatedErrors{{
    {Limit::spacing_thickness, 1.0f, 2.0f,
     "the closed-form Zoo is high by a median 16 % here (26 % with six strips), the odd-mode "
     "permittivity by 33 %"},
    {Limit::spacing_thickness, -kUnbounded, 1.0f,
     "the closed-form Zoo is high by a median 30 % here (44 % with six strips), the odd-mode "
     "permittivity by 56 %"},
    {Limit::width_ratio, 3.0f, kUnbounded,
     "at W/H = 3, the widest validated, the closed-form Zo is already high by a median 3 % "
     "(18 % with six strips); beyond it the error is unmeasured"},
    {Limit::spacing_ratio, 8.0f, kUnbounded,
     "at S/H = 8, the widest validated, the closed-form coupling is already too strong by a "
     "median 13 dB (18 dB with six strips); beyond it the error is unmeasured"},
}};

// The plausibility bounds of bare values: a number typed without its unit is read in inches
// or GHz (or the length unit the caller chose), and above these bounds it is far more likely a
// value meant in another unit (0.508 meant as mm, 5800 as MHz) than a design. Readers refuse
// it and say how to write either meaning; a value written with its unit is never held to them.
enum class Plausible : std::uint8_t {
  height,     // H at most 0.25 inch
  width,      // W at most 1 inch
  spacing,    // S at most 1 inch
  thickness,  // T at most 1 inch
  length,     // L at most 20 inches
  frequency,  // f at most 300 GHz
};

inline constexpr std::size_t kPlausibleCount = 6;

struct PlausibleSpec {
  Plausible what;
  float high;          // inches, or GHz for the frequency
  const char* beyond;  // what a bare value above it would be, for the message
};

inline constexpr std::array<PlausibleSpec, kPlausibleCount> kPlausibleTable{{
    {Plausible::height, 0.25f, "is thicker than any microstrip substrate"},
    {Plausible::width, 1.0f, "is wider than any strip of a microstrip coupler"},
    {Plausible::spacing, 1.0f, "is wider than any gap of a microstrip coupler"},
    {Plausible::thickness, 1.0f, "is thicker than any strip conductor"},
    {Plausible::length, 20.0f, "is longer than any coupler on a board"},
    {Plausible::frequency, 300.0f, "is above any microstrip coupler's frequency"},
}};

constexpr const PlausibleSpec& spec(Plausible what) {
  return kPlausibleTable[static_cast<std::size_t>(what)];
}

// True when value lies inside the limit's range.
constexpr bool passes(Limit limit, float value) {
  return value >= spec(limit).low && value <= spec(limit).high;
}

// A set of limits, in table order.
class Limits {
 public:
  void add(Limit limit) { bits_ = static_cast<std::uint16_t>(bits_ | bit(limit)); }
  bool contains(Limit limit) const { return (bits_ & bit(limit)) != 0; }
  bool empty() const { return bits_ == 0; }
  Limits& operator|=(Limits other) {
    bits_ = static_cast<std::uint16_t>(bits_ | other.bits_);
    return *this;
  }
  bool operator==(const Limits&) const = default;

 private:
  static std::uint16_t bit(Limit limit) {
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(limit));
  }
  std::uint16_t bits_ = 0;
};

// The design values that the limits judge. Frequency in GHz, lengths in inches; the coupling
// and impedance are tested only for a synthesis.
struct DesignPoint {
  float f = 0.0f;
  float h = 0.0f;
  float er = 0.0f;
  float w = 0.0f;
  float s = 0.0f;
  float t = 0.0f;
  bool synthesis = false;
  float coupling_db = 0.0f;  // negative dB
  float zo = 0.0f;
};

// The value of each limit's quantity at a design point (f*h in GHz-mm as the table gives it).
float quantity(Limit limit, const DesignPoint& point);

// The limits of the table that the design point leaves. synthesis_coupling is left when the
// magnitude of the coupling is outside its range, for a synthesis only.
Limits limits_left(const DesignPoint& point);

// One line for a warning: "W/H = 4 is above 3, the models' limit".
std::string describe(Limit limit, const DesignPoint& point);

}  // namespace cuplo
