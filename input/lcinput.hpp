// Parameter entry: the start banner, the selection menus, the value prompts with their
// checks, the defaults file and the storage question.
#pragma once

#include <optional>
#include <string_view>

#include "input/platform.hpp"
#include "input/state.hpp"
#include "models/chain.hpp"
#include "models/records.hpp"
#include "text/reader.hpp"
#include "text/render.hpp"

namespace cuplo::input {

inline constexpr std::string_view kDefaultsName = "CuploDEMO.DEF";

// The free text of the banners' fourth line.
inline constexpr std::string_view kMakerNotice = "Design software for microstrip couplers";

// The console as parameter entry sees it.
struct Dialogue {
  text::Reader& answers;
  text::Writer& console;
};

// What parameter entry needs from outside besides the console.
struct Surroundings {
  const Clock& clock;
  Files& files;
};

// What parameter entry computes for the four-port response: the thickness-corrected widths
// and static permittivities of the design (wte, wto, effc, effe, effo; no pair impedances) and
// its centre frequency fo, GHz.
struct FourPortStart {
  models::Statics statics;
  float fo = 0.0f;
};

// One call of parameter entry; `state.isel` says how much of the dialogue to show (first
// call, new option, recycle). Leaves isel = faulty_defaults after a faulty defaults file.
// Returns what it computed on the four-port path, nothing on every other.
std::optional<FourPortStart> lcinput(DesignState& state, Dialogue& dialogue,
                                     Surroundings& surroundings);

}  // namespace cuplo::input
