// The interdigitated coupler as values: N parallel microstrip strips (N = 4 or 6) on a
// substrate, alternate strips tied together. Closed-form models in 32-bit floats
// (Hammerstad-Jensen static microstrip, the equivalent single-strip method for the coupled
// pair, Kirschning-Jansen dispersion, even/odd-mode four-port analysis).
//
// Units everywhere: lengths in inches, frequencies in GHz, impedances in ohms, coupling in dB
// (negative for a passive coupler), conductor resistivity in micro-ohm-centimetres, surface
// roughness in micro-inches.
//
// Nothing here prints, reads a file, exits or throws: a call that cannot give its values
// returns a Result holding the reason. Every result also carries the accuracy limits of the
// models that the design left (see limits.hpp); the values are computed all the same.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "cuplo/limits.hpp"
#include "cuplo/result.hpp"

namespace cuplo {

// Which model computes the cross-section's static values. closed_form: the closed-form
// microstrip models in 32-bit floats, the console program's numbers (N = 4 or 6). field: the
// cross-section solved as a 2-D quasi-static field problem (any even N from 2 to 12), with the
// same dispersion and losses taken from the solution.
enum class Model : std::uint8_t { closed_form, field };

struct Substrate {
  float er = 1.0f;            // relative permittivity
  float h = 0.0f;             // height, inches
  float t = 0.0f;             // strip thickness, inches (0: zero-thickness strips)
  float loss_tangent = 0.0f;  // dielectric loss tangent (0: lossless dielectric)
  float resistivity = 0.0f;   // conductor resistivity, micro-ohm-cm (0: lossless conductor)
  float roughness = 0.0f;     // conductor surface roughness, micro-inches
};

struct CrossSection {
  std::int32_t n = 4;  // number of strips, 4 or 6
  float w = 0.0f;      // strip width, inches
  float s = 0.0f;      // spacing between adjacent strips, inches
};

struct Coupler {
  CrossSection section;
  float length = 0.0f;  // inches
};

// The coupler's impedances, coupling and effective permittivities at one frequency (static
// when the frequency is 0).
struct Impedances {
  float zo = 0.0f;           // coupler impedance sqrt(zoe*zoo), ohms
  float zoe = 0.0f;          // even-mode impedance of the coupler, ohms
  float zoo = 0.0f;          // odd-mode impedance of the coupler, ohms
  float coupling_db = 0.0f;  // midband coupling 20*log10(cc), dB (negative)
  float eeff_even = 0.0f;    // even-mode effective permittivity
  float eeff_odd = 0.0f;     // odd-mode effective permittivity
};

// The cross-section at one frequency: effective permittivities and impedances.
struct DispersionPoint {
  float f = 0.0f;  // GHz
  float eeff_even = 0.0f;
  float eeff_odd = 0.0f;
  float eeff_coupler = 0.0f;  // 2*even*odd/(even + odd)
  float zoe = 0.0f;           // ohms
  float zoo = 0.0f;           // ohms
  float zo = 0.0f;            // ohms
};

// What a synthesis aims at: the coupler impedance and coupling, or the even- and odd-mode
// impedances of the coupler. The coupling may be given with either sign (3 and -3 dB are the
// same coupler).
struct Target {
  enum class Kind { zo_coupling, zoe_zoo };
  Kind kind = Kind::zo_coupling;
  float zo = 0.0f;           // ohms (zo_coupling)
  float coupling_db = 0.0f;  // dB (zo_coupling)
  float zoe = 0.0f;          // ohms (zoe_zoo)
  float zoo = 0.0f;          // ohms (zoe_zoo)

  static Target zo_and_coupling(float zo, float coupling_db) {
    return {Kind::zo_coupling, zo, coupling_db, 0.0f, 0.0f};
  }
  static Target zoe_and_zoo(float zoe, float zoo) { return {Kind::zoe_zoo, 0.0f, 0.0f, zoe, zoo}; }
};

// A synthesized cross-section: the dimensions, the impedances aimed at (as the synthesis
// left them), the effective permittivities of the result, and the check: the synthesized
// dimensions analysed again (static for a static synthesis, at f for a dispersive one).
struct Synthesis {
  CrossSection section;
  float f = 0.0f;            // GHz; 0 for a synthesis from static impedances
  float zo = 0.0f;           // ohms
  float zoe = 0.0f;          // ohms
  float zoo = 0.0f;          // ohms
  float coupling_db = 0.0f;  // dB (negative)
  float eeff_even = 0.0f;    // static, or at f for a dispersive synthesis
  float eeff_odd = 0.0f;
  Impedances check;
};

// Normalized sensitivities S = (dZ/Z)/(dp/p) of an impedance to each design value.
struct Sensitivities {
  float er = 0.0f;
  float h = 0.0f;
  float s = 0.0f;
  float w = 0.0f;
  float t = 0.0f;  // 0 when the strips have no thickness
};

// Which mode a sensitivity is evaluated for: one mode's dispersion at a time, as the
// one-sided differences are taken, or both in turn.
enum class Mode { even, odd, both };

// Dispersive impedances and their sensitivities. With Mode::even (odd) every value comes
// from the even-mode (odd-mode) evaluation, in which only that mode is dispersed. With
// Mode::both, zoe and zoe_to come from the even-mode evaluation and zoo and zoo_to from the
// odd-mode one.
struct Sensitivity {
  float f = 0.0f;  // GHz
  float zoe = 0.0f;
  float zoo = 0.0f;
  Sensitivities zoe_to;
  Sensitivities zoo_to;
};

// Source and load resistances of the four-port analysis, ohms.
struct Terminations {
  float rs = 50.0f;
  float rl = 50.0f;
};

// The coupler as a four-port at one frequency, for a unit wave entering port 1. Ports:
// 1 input, 2 coupled, 3 isolated, 4 through.
struct FourPort {
  float f = 0.0f;                             // GHz
  std::array<std::complex<float>, 4> wave{};  // wave at ports 1 to 4
  std::array<float, 4> mag_db{};              // amplitude, dB (-inf for a zero wave)
  std::array<float, 4> ang_deg{};             // phase, degrees
  float vswr = 0.0f;                          // input VSWR (+inf for a total reflection)
  float phase_difference = 0.0f;              // ports 2 and 4, 0 to 180 degrees
  float quadrature_error = 0.0f;              // phase_difference - 90, degrees
  float dissipative_loss_db = 0.0f;           // power leaving all four ports, dB
  float total_loss_db = 0.0f;                 // power leaving ports 2 and 4, dB
};

// The scattering matrix of the coupler at one frequency, referred to the impedance of its
// terminations (the same Z at every port). Ports: 1 input, 2 coupled, 3 isolated, 4 through;
// 1 and 2 at one end, 4 and 3 at the other.
using SMatrix = std::array<std::array<std::complex<float>, 4>, 4>;

// The whole matrix from the first column, the waves of a four-port analysis with Rs = Rl = Z.
// The coupler is unchanged by exchanging its two lines (ports 1<->2, 3<->4), by turning it
// end for end (1<->4, 2<->3) and so by both (1<->3, 2<->4); a port permutation p that leaves
// the network unchanged gives S(p(i), p(j)) = S(i, j), so every column is the first one
// permuted: S(i, j) = a(((i - 1) xor (j - 1)) + 1), symmetric as a reciprocal network's is.
[[nodiscard]] SMatrix s_matrix(const FourPort& response) noexcept;

namespace detail {
struct AnalysisState;
}  // namespace detail

// The static analysis of a cross-section on a substrate, made once and then evaluated at any
// frequency: sweeps over frequency do not repeat the static models. Copies share the analysis.
class Analysis {
 public:
  Analysis(const Substrate& substrate, const CrossSection& section,
           Model model = Model::closed_form);

  const Substrate& substrate() const noexcept;
  const CrossSection& section() const noexcept;

  // Impedances, coupling and effective permittivities at f (static at f = 0).
  Result<Impedances> impedances(float f) const noexcept;
  // Effective permittivities and impedances at f.
  Result<DispersionPoint> dispersion(float f) const noexcept;
  // Four-port response of a coupler of this cross-section and the given length at f, with
  // conductor and dielectric losses from the substrate.
  Result<FourPort> four_port(float length, float f, const Terminations& terminations) const;
  // The length that is a quarter wavelength at f on the coupler's dispersive permittivity.
  Result<float> quarter_wave_length(float f) const noexcept;
  // The centre frequency of a coupler of this length: where it is a quarter wavelength.
  Result<float> centre_frequency(float length) const noexcept;

 private:
  std::shared_ptr<const detail::AnalysisState> state_;
};

// One-call forms of the analyses.
Result<Impedances> impedance(const Substrate& substrate, const CrossSection& section, float f,
                             Model model = Model::closed_form);
Result<DispersionPoint> dispersion(const Substrate& substrate, const CrossSection& section, float f,
                                   Model model = Model::closed_form);
Result<FourPort> four_port(const Substrate& substrate, const Coupler& coupler, float f,
                           const Terminations& terminations = {}, Model model = Model::closed_form);

// The four-port response at each frequency, every port terminated in the reference impedance:
// the S-parameters of the coupler referred to it (s_matrix of each). The first frequency that
// fails ends it: its failure is the result.
Result<std::vector<FourPort>> response(const Substrate& substrate, const Coupler& coupler,
                                       std::span<const float> frequencies,
                                       float reference_ohm = 50.0f,
                                       Model model = Model::closed_form);

// Strip width and spacing for a wanted impedance and coupling of an n-strip coupler, from
// static impedances. A failed synthesis carries the limits that the target and the substrate
// decide (its dimensions are not there to judge).
Result<Synthesis> synthesize(const Substrate& substrate, std::int32_t n, const Target& target,
                             Model model = Model::closed_form);
// The same from the dispersive impedances at f.
Result<Synthesis> synthesize(const Substrate& substrate, std::int32_t n, const Target& target,
                             float f, Model model = Model::closed_form);

// Sensitivities of the dispersive impedances at f.
Result<Sensitivity> sensitivity(const Substrate& substrate, const CrossSection& section, float f,
                                Mode mode, Model model = Model::closed_form);

// Width of a single microstrip of impedance z on the substrate (static model, strip
// thickness t), found by a bounded search.
Result<float> microstrip_width(const Substrate& substrate, float z) noexcept;

// The library's version, "major.minor".
[[nodiscard]] const char* version() noexcept;

}  // namespace cuplo
