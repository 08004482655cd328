// The whole program as a function over its surroundings: console input, console output, the
// error stream, the clock and the file opener. main wires in the real ones; tests run
// complete dialogues in-process with a fixed date and in-memory files.
#pragma once

#include <iosfwd>

#include "input/platform.hpp"

namespace cuplo::app {

// Returns the exit status: 0 when the run ends through the OPERATION menu, 1 when it ends at a
// faulty defaults file (a missing or faulty entry, named on the console), 2 after a fatal
// error (a failed console read, the end of console input, a file that cannot be opened or
// written), reported on err.
int run(std::istream& in, std::ostream& out, std::ostream& err, const input::Clock& clock,
        input::Files& files);

}  // namespace cuplo::app
