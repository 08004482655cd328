// What a synthesis can reach on a substrate, for the message of one that found no strips: the
// range of Zo, at the coupling asked for, between the widest and the narrowest strips the
// synthesis finds (or, when no Zo reaches that coupling, the range of coupling at the Zo asked
// for), searched with the closed-form synthesis itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cuplo/coupler.hpp"
#include "cuplo/process.hpp"
#include "cuplo/result.hpp"

namespace cuplo {

// How the line names the targets: as cuplo-calc's options ("--zo 500") or as keyword
// arguments ("zo=500").
enum class Naming : std::uint8_t { option, keyword };

// One line naming the target, its value and the range that is reachable, e.g.
// "--zo 500: the widest and narrowest strips on this substrate give Zo from 13.3 to 109 ohm
// at 3 dB". Empty when the search finds nothing clearer to say than the failure itself: the
// target lies inside the range, or nothing is reachable. f: the frequency of a dispersive
// synthesis. Each call runs a few hundred closed-form syntheses (milliseconds).
[[nodiscard]] std::string unreachable(const Substrate& substrate, std::int32_t n,
                                      const Target& target, std::optional<float> f,
                                      Naming naming = Naming::option);

// The line above for a synthesis that failed, when its failure is one the line explains: a
// closed-form search that reached its bound (a field-model search's range would take many
// field solutions; a search stopped by a process's minimums words itself). Empty otherwise.
template <class T>
[[nodiscard]] std::string unreachable(const Result<T>& failed, const Substrate& substrate,
                                      std::int32_t n, const Target& target, std::optional<float> f,
                                      Model model, Naming naming = Naming::option) {
  if (failed.ok() || failed.failure() != Failure::search_bound || model != Model::closed_form ||
      beyond_process(failed)) {
    return {};
  }
  return unreachable(substrate, n, target, f, naming);
}

}  // namespace cuplo
