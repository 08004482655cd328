// The rules of the process that makes the coupler: the narrowest line and gap it etches, and
// the width the etch takes from each edge. A synthesis held to the rules gives the nearest
// design the process can make; a drawing pre-compensates its mask for the etch (layout.hpp).
//
// Lengths in inches. The minimums judge the copper on the board (the design's W and S); the
// etch acts on the drawing: a drawn width W gives W - 2 etch on the board, a drawn gap S gives
// S + 2 etch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cuplo/coupler.hpp"
#include "cuplo/result.hpp"
#include "cuplo/units.hpp"

namespace cuplo {

struct Process {
  float min_w = 0.0f;  // the narrowest line the process makes, inches (0: no rule)
  float min_s = 0.0f;  // the narrowest gap, inches (0: no rule)
  float etch = 0.0f;   // width lost per edge by the etch, inches (0 or more)
};

// Why a process cannot be taken (a value negative or not a number), or nullptr.
[[nodiscard]] const char* invalid(const Process& process) noexcept;

// Which minimum a synthesis held to the rules stopped at.
enum class Binding : std::uint8_t {
  none,     // the design met the rules as synthesized
  width,    // W held at the narrowest line, S found for Zo
  spacing,  // S held at the narrowest gap, W found for Zo
};

// What the rules did to a synthesis: the design asked for, and what the one the process can
// make reaches (the same values when nothing binds).
struct Fit {
  Binding binding = Binding::none;
  CrossSection asked;        // the synthesis without the rules
  float zo = 0.0f;           // ohms: the target's
  float coupling_db = 0.0f;  // dB, negative: the target's
  float reached_zo = 0.0f;   // ohms: the design's, analysed as the synthesis judges it
  float reached_coupling_db = 0.0f;
  Process process;
};

struct FittedSynthesis {
  Synthesis synthesis;  // the design the process can make
  Fit fit;
};

// The synthesis of synthesize(), held to the process's minimums. When the synthesized W and S
// meet them, the result is that synthesis unchanged. Otherwise it is the design of the
// target's Zo whose coupling lies nearest the target among those with W >= min_w and
// S >= min_s: one of the two minimums binds (S at min_s and W found for Zo, or W at min_w and
// S found), the one whose coupling comes nearer. Its values (zo, zoe, zoo, coupling_db, the
// permittivities and the check) are the design's own, analysed as the synthesis judges it
// (static, or at f). search_bound when no design the process makes has the target's Zo.
Result<FittedSynthesis> synthesize(const Substrate& substrate, std::int32_t n, const Target& target,
                                   const Process& process, Model model = Model::closed_form);
Result<FittedSynthesis> synthesize(const Substrate& substrate, std::int32_t n, const Target& target,
                                   float f, const Process& process,
                                   Model model = Model::closed_form);

// The detail of that search_bound: the synthesis found strips, but none the process makes.
inline constexpr std::string_view kBeyondProcess =
    "process: no design with W and S at or above its minimums has the Zo asked";

// Whether a synthesis failed because its strips lie beyond the process's minimums.
template <class T>
[[nodiscard]] bool beyond_process(const Result<T>& r) noexcept {
  return !r.ok() && r.detail() != nullptr && std::string_view(r.detail()) == kBeyondProcess;
}

// One line for a fit whose rules bound, lengths in unit: "S = 53.3 um is below the process's
// narrowest gap, 100 um: the nearest design it makes, W = 96.1 um and S = 100 um, holds Zo =
// 50 ohm and reaches a coupling of -3.62 dB (asked: -3 dB)". Empty when nothing bound.
[[nodiscard]] std::string describe(const Fit& fit, LengthUnit unit);

// One line for each rule that a given cross-section breaks ("W = 50 um is below the process's
// narrowest line, 100 um"), lengths in unit.
[[nodiscard]] std::vector<std::string> breaches(const Process& process, const CrossSection& section,
                                                LengthUnit unit);

// Why a mask drawn for the etch cannot be made from this cross-section (the compensated gap
// S - 2 etch not above zero: the etch would close or invert it), or an empty text. Lengths
// in unit.
[[nodiscard]] std::string uncompensable(const Process& process, const CrossSection& section,
                                        LengthUnit unit);

}  // namespace cuplo
