// The session: the design state and every result record, one instance for the whole run,
// passed explicitly to every routine that reads or writes it.
#pragma once

#include "design/design.hpp"
#include "input/state.hpp"
#include "models/records.hpp"
#include "network/network.hpp"

namespace cuplo::app {

struct Session {
  input::DesignState state;
  models::MsImp1 msimp1;
  models::MsZo1 mszo1;
  models::LcEff1 lceff1;
  models::LcDis1 lcdis1;
  network::LcFa1 lcfa1;
  design::LcSen1 lcsen1;
  design::LcSen2 lcsen2;
};

}  // namespace cuplo::app
