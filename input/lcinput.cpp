#include "input/lcinput.hpp"

#include "input/call.hpp"

namespace cuplo::input {

void lcinput(models::Statics& statics, float& fo, DesignState& state, models::LcEff1& lceff1,
             models::MsImp1& msimp1, Dialogue& dialogue, Surroundings& surroundings) {
  Call call(statics, fo, state, lceff1, msimp1, dialogue, surroundings);
  call.run();
}

void Call::run() {
  if (!start()) return;
  if (d_.ifunc == 2) {
    synthesis_menus();
  } else {
    analysis_menus();
  }
  dimensional_data();
  storage_question();
}

}  // namespace cuplo::input
