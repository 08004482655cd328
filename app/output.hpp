// Where report records go: every record to the console and, with storage on, the same
// record at once to the storage file.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "input/platform.hpp"
#include "input/verification.hpp"
#include "text/format.hpp"
#include "text/render.hpp"

namespace cuplo::app {

class Output {
 public:
  // storage is null when this pass stores nothing.
  Output(text::Writer& console, text::Writer* storage)
      : console_(console), storage_(storage), prints_(console.stream()) {}

  // Console then storage; the record is rendered once and the same bytes go to both.
  void both(const text::Format& format, std::initializer_list<text::Arg> args = {}) {
    console_.put(format, args);
    if (storage_ != nullptr) storage_->put_bytes(console_.last());
  }
  void console(const text::Format& format, std::initializer_list<text::Arg> args = {}) {
    console_.put(format, args);
  }
  void storage(const text::Format& format, std::initializer_list<text::Arg> args = {}) {
    if (storage_ != nullptr) storage_->put(format, args);
  }
  // Who watches the models in this pass: the verification-mode prints on the console, or
  // nobody.
  const models::LcImpObserver* observer(const input::DesignState& d) const {
    return input::observer(d, prints_);
  }

 private:
  text::Writer& console_;
  text::Writer* storage_;
  input::VerificationPrints prints_;
};

// The storage file of the run. Opening the name already open changes nothing and writing
// continues; a different name closes the open file and opens the new one. A file is started
// afresh (any contents from before the run discarded) the first time the run opens it; a
// name the run has written before is continued after its records, so that switching between
// two names never loses a report. All records are on disk when the run ends.
class StorageFile {
 public:
  explicit StorageFile(input::Files& files) : files_(files) {}

  // name: the file name without trailing blanks. Throws text::FatalError when the file
  // cannot be opened or the previous one cannot be completed.
  text::Writer& open(const std::string& name);
  // Pushes everything written so far to the file; throws text::FatalError on failure.
  void flush();

 private:
  input::Files& files_;
  std::string name_;
  std::set<std::string> opened_;  // every name this run has written to
  std::unique_ptr<std::ostream> stream_;
  std::optional<text::Writer> writer_;
};

}  // namespace cuplo::app
