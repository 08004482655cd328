// In-process runs of the whole program for tests: in-memory files, a fixed clock, captured
// console and error streams.
#pragma once

#include <map>
#include <set>
#include <string>

#include "input/platform.hpp"

namespace cuplo::testing {

// The clock of every test: 2026-03-07 09:05:04.
input::DateTime fixed_time();

// A working folder held in memory. Names listed in `full` open but refuse every write (a
// full disk); names listed in `locked` cannot be opened at all.
class MemoryFiles : public input::Files {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> full;
  std::set<std::string> locked;
  std::set<std::string> written;  // names opened for writing during the run

  std::unique_ptr<std::istream> open_read(const std::string& name) override;
  std::unique_ptr<std::ostream> open_write(const std::string& name) override;
  std::unique_ptr<std::ostream> open_append(const std::string& name) override;
  // Names are one file when their normal forms agree ("./a" and "a").
  bool same_file(const std::string& a, const std::string& b) override;
};

struct Outcome {
  int status = -1;
  std::string console;
  std::string error;
};

// Runs the program on the answers with the given working folder.
Outcome run_dialogue(const std::string& answers, MemoryFiles& folder);

// The same with a folder holding only the defaults file.
Outcome run_dialogue(const std::string& answers, const std::string& defaults);

}  // namespace cuplo::testing
