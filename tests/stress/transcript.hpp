// The console transcript cut into the passes of the OPERATION loop, and the check that every
// storage file holds exactly the report records that went to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "answerer.hpp"
#include "dialogue.hpp"

namespace cuplo::testing {

// One completed pass: the console records from the run banner through the rule line of the
// closing block. The banner's first record is empty; on the console it ends the pending
// prompt line, so the segment starts with that CR LF.
struct ConsolePass {
  std::string segment;
  std::optional<std::string> stored_name;  // from the stored-output notice (20 characters)
};

// The completed passes in order; a pass cut short (no OPERATION menu after it) is left out.
std::vector<ConsolePass> console_passes(const std::string& console);

// The records a storage file must receive for a pass: the segment, or, where the operation
// ends in the accuracy-limit diagnostics before its first stored record, the banner and the
// diagnostics only (the title records of the synthesis and of the frequency analysis go to
// the console only until the operation has a result).
std::vector<std::string> stored_forms(const std::string& segment);

// Empty when the folder is consistent with the transcript: each pass stored under the name
// the user gave (plans) and the notice shows, each storage file holding exactly the passes
// stored under its name in the run, in order, nothing written under any other name, and the
// defaults file untouched.
std::string check_storage(const std::vector<ConsolePass>& passes,
                          const std::vector<PassPlan>& plans, const MemoryFiles& folder,
                          const std::string& defaults);

}  // namespace cuplo::testing
