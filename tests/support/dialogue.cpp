#include "dialogue.hpp"

#include <filesystem>
#include <sstream>
#include <streambuf>

#include "app/run.hpp"
#include "input/lcinput.hpp"

namespace cuplo::testing {
namespace {

// Appends to a string of the folder; the map's nodes stay where they are while the run goes.
class StringSink : public std::streambuf {
 public:
  StringSink(std::string& target, bool refuse) : target_(target), refuse_(refuse) {}

 protected:
  int_type overflow(int_type c) override {
    if (refuse_) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) target_.push_back(static_cast<char>(c));
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (refuse_) return 0;
    target_.append(s, static_cast<std::size_t>(n));
    return n;
  }

 private:
  std::string& target_;
  bool refuse_;
};

class SinkStream : public std::ostream {
 public:
  SinkStream(std::string& target, bool refuse) : std::ostream(nullptr), sink_(target, refuse) {
    rdbuf(&sink_);
  }

 private:
  StringSink sink_;
};

}  // namespace

input::DateTime fixed_time() {
  return {3, 7, 2026, 9, 5, 4};
}

std::unique_ptr<std::istream> MemoryFiles::open_read(const std::string& name) {
  const auto found = files.find(name);
  if (found == files.end() || locked.count(name) != 0) return nullptr;
  return std::make_unique<std::istringstream>(found->second);
}

std::unique_ptr<std::ostream> MemoryFiles::open_write(const std::string& name) {
  if (locked.count(name) != 0) return nullptr;
  written.insert(name);
  std::string& target = files[name];
  target.clear();
  return std::make_unique<SinkStream>(target, full.count(name) != 0);
}

std::unique_ptr<std::ostream> MemoryFiles::open_append(const std::string& name) {
  if (locked.count(name) != 0) return nullptr;
  written.insert(name);
  return std::make_unique<SinkStream>(files[name], full.count(name) != 0);
}

bool MemoryFiles::same_file(const std::string& a, const std::string& b) {
  const auto normal = [](const std::string& name) {
    return std::filesystem::path(name).lexically_normal();
  };
  return normal(a) == normal(b) && files.count(normal(a).string()) != 0;
}

Outcome run_dialogue(const std::string& answers, MemoryFiles& folder) {
  std::istringstream in(answers);
  std::ostringstream out;
  std::ostringstream err;
  Outcome outcome;
  outcome.status = app::run(in, out, err, fixed_time, folder);
  outcome.console = out.str();
  outcome.error = err.str();
  return outcome;
}

Outcome run_dialogue(const std::string& answers, const std::string& defaults) {
  MemoryFiles folder;
  folder.files[std::string(input::kDefaultsName)] = defaults;
  return run_dialogue(answers, folder);
}

}  // namespace cuplo::testing
