// What the program needs from its surroundings, injected so that tests run whole dialogues
// in-process with a fixed clock and in-memory files.
#pragma once

#include <functional>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "input/state.hpp"

namespace cuplo::input {

// The local calendar date and time.
using Clock = std::function<DateTime()>;

// Files opened by relative name in the working folder. A null result means the file cannot
// be opened.
class Files {
 public:
  virtual ~Files() = default;
  virtual std::unique_ptr<std::istream> open_read(const std::string& name) = 0;
  // Opens for writing, discarding any earlier contents.
  virtual std::unique_ptr<std::ostream> open_write(const std::string& name) = 0;
  // Opens for writing after the present contents.
  virtual std::unique_ptr<std::ostream> open_append(const std::string& name) = 0;
  // True when both names reach the same existing file (another spelling of its path, a
  // link).
  virtual bool same_file(const std::string& a, const std::string& b) = 0;
};

}  // namespace cuplo::input
