// Parameter entry: the start banner, the selection menus, the value prompts with their
// checks, the defaults file and the storage question.
#pragma once

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

// One call of parameter entry; `state.isel` says how much of the dialogue to show
// (0 first call, 1 new option, 2 recycle). Returns with isel = -1 after a faulty defaults file.
// On the four-port path it computes the widths and static permittivities of the design and
// the centre frequency fo; both belong to the driver and are kept by it between calls.
void lcinput(models::Statics& statics, float& fo, DesignState& state, models::LcEff1& lceff1,
             models::MsImp1& msimp1, Dialogue& dialogue, Surroundings& surroundings);

}  // namespace cuplo::input
