// The program's main loop: parameter entry, run banner, one operation, closing block and the
// OPERATION menu, until the user ends the run.
#pragma once

#include "app/output.hpp"
#include "app/session.hpp"
#include "input/lcinput.hpp"

namespace cuplo::app {

// Returns false when the run ended at a faulty defaults file, true when it ended through the
// OPERATION menu.
bool cuplo(Session& session, input::Dialogue& dialogue, input::Surroundings& surroundings,
           StorageFile& storage);

}  // namespace cuplo::app
