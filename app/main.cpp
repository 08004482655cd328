// Entry point: wires the real console, clock and files into the program.
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "app/run.hpp"
#include "input/lcinput.hpp"

namespace {

class WorkingFolder : public cuplo::input::Files {
 public:
  bool defaults_missing = false;  // the defaults file could not be opened

  std::unique_ptr<std::istream> open_read(const std::string& name) override {
    auto file = std::make_unique<std::ifstream>(name, std::ios::binary);
    if (!file->is_open()) {
      if (name == cuplo::input::kDefaultsName) defaults_missing = true;
      return nullptr;
    }
    return file;
  }
  std::unique_ptr<std::ostream> open_write(const std::string& name) override {
    auto file = std::make_unique<std::ofstream>(name, std::ios::binary | std::ios::trunc);
    if (!file->is_open()) return nullptr;
    return file;
  }
  bool same_file(const std::string& a, const std::string& b) override {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
  }
  std::unique_ptr<std::ostream> open_append(const std::string& name) override {
    auto file = std::make_unique<std::ofstream>(name, std::ios::binary | std::ios::app);
    if (!file->is_open()) return nullptr;
    return file;
  }
};

cuplo::input::DateTime local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return {t.tm_mon + 1, t.tm_mday, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec};
}

}  // namespace

int main() {
  std::ios::sync_with_stdio(false);
  WorkingFolder files;
  const int status = cuplo::app::run(std::cin, std::cout, std::cerr, local_time, files);
  // A first run in an empty folder: say where the demo defaults file was installed.
  if (status == 2 && files.defaults_missing) {
    std::cerr << "cuplo: the demo defaults file is installed as " CUPLO_INSTALLED_DEMO
                 "; copy it into the working folder to start from it\n";
  }
  return status;
}
