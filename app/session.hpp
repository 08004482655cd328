// The session: the design state and every result record, one instance for the whole run,
// passed explicitly to every routine that reads or writes it.
#pragma once

#include "input/state.hpp"
#include "network/network.hpp"
#include "ops/operations.hpp"

namespace cuplo::app {

struct Session {
  input::DesignState state;
  ops::Records records;  // msimp1, mszo1, lceff1, lcdis1
  network::LcFa1 lcfa1;
  ops::Sensitivity sensitivity;  // lcsen1, lcsen2 and the impedances they were taken at
};

}  // namespace cuplo::app
