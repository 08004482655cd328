#include "input/lcinput.hpp"

#include "input/call.hpp"

namespace cuplo::input {

std::optional<FourPortStart> lcinput(DesignState& state, Dialogue& dialogue,
                                     Surroundings& surroundings) {
  return Call(state, dialogue, surroundings).run();
}

std::optional<FourPortStart> Call::run() {
  if (!start()) return std::nullopt;
  if (d_.ifunc == Function::synthesis) {
    synthesis_menus();
  } else {
    analysis_menus();
  }
  dimensional_data();
  storage_question();
  if (!four_port()) return std::nullopt;
  return FourPortStart{statics_, fo_};
}

}  // namespace cuplo::input
