// What a synthesis can reach on a substrate, for the message of one that found no strips:
// the range of Zo, at the coupling asked for, between the widest and the narrowest strips
// the synthesis finds (or, when no Zo reaches that coupling, the range of coupling at the Zo
// asked for), searched with the library's own synthesis.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cuplo/coupler.hpp"

namespace cuplo::calc {

// One line naming the target's option, its value and the range that is reachable, e.g.
// "--zo 500: the widest and narrowest strips on this substrate give Zo from 12.3 to 109 ohm
// at 3 dB"; empty when the search finds nothing clearer to say (the target lies inside the
// range, or nothing is reachable). f: the frequency of a dispersive synthesis.
std::string unreachable(const cuplo::Substrate& substrate, std::int32_t n,
                        const cuplo::Target& target, std::optional<float> f);

}  // namespace cuplo::calc
