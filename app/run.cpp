#include "app/run.hpp"

#include <ostream>

#include "app/driver.hpp"
#include "text/fatal.hpp"

namespace cuplo::app {
namespace {

std::string storage_unit(const std::string& name) {
  return "unit 3 (" + name + ")";
}

}  // namespace

text::Writer& StorageFile::open(const std::string& name) {
  if (writer_ && name == name_) return *writer_;
  flush();
  writer_.reset();
  const bool continued = opened_.count(name) != 0;
  stream_ = continued ? files_.open_append(name) : files_.open_write(name);
  if (!stream_) throw text::FatalError("Cannot open file " + name, storage_unit(name));
  opened_.insert(name);
  name_ = name;
  writer_.emplace(*stream_, storage_unit(name));
  return *writer_;
}

void StorageFile::flush() {
  if (writer_) writer_->flush();
}

int run(std::istream& in, std::ostream& out, std::ostream& err, const input::Clock& clock,
        input::Files& files) {
  text::Writer console(out, "unit 6 (console output)");
  try {
    text::Reader answers(in, "unit 5 (console input)");
    input::Dialogue dialogue{answers, console};
    input::Surroundings surroundings{clock, files};
    StorageFile storage(files);
    Session session;
    const bool completed = cuplo(session, dialogue, surroundings, storage);
    storage.flush();
    console.flush();
    // A faulty defaults file stops the run before any work: a failure, though the console
    // message is all the report it gets.
    return completed ? 0 : 1;
  } catch (const text::FatalError& e) {
    out.flush();
    if (e.report().empty()) {
      err << "cuplo: fatal error: " << e.fault() << " on " << e.unit() << '\n';
    } else {
      err << e.report() << '\n';
    }
    err.flush();
    return 2;
  }
}

}  // namespace cuplo::app
