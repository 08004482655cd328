// Fuzz target: the whole program, in process, on an arbitrary defaults file and an arbitrary
// answer stream. The bytes before the first 0x00 are the defaults file CuploDEMO.DEF and the
// bytes after it the console input; without a 0x00 all of it is console input and the folder
// holds the shipped defaults. The folder refuses writes to "full.txt" (a full disk) and cannot
// open "locked.txt". A sweep of up to 2^31 - 1 points is a legal answer, so the console
// refuses every write beyond 256 KiB and the run then ends with status 2.
//
// Checked: the exit status is 0, 1 (a faulty defaults file) or 2, and the defaults file is
// never written.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "app/run.hpp"
#include "bounded_console.hpp"
#include "check.hpp"
#include "dialogue.hpp"
#include "input/lcinput.hpp"

namespace {

constexpr std::string_view kShippedDefaults =
    "Cuplo defaults\n0.0002\n9.8\n10.0\n14.0\n6.0\n0.5\n0.025\n3.0\n0.1225\n4\n2.44\n4.0\n"
    "50.0\n50.0\n0.002\n0.004\n0.001\n0.0005\n0.0002\n0.0015\n0.004\n0.001\n0.0005\n50.0\n"
    "120.91\n20.68\nCuplo.OUT\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  const std::string_view defaults =
      split == std::string_view::npos ? kShippedDefaults : bytes.substr(0, split);
  const std::string defaults_name(cuplo::input::kDefaultsName);

  cuplo::testing::MemoryFiles folder;
  folder.files[defaults_name] = std::string(defaults);
  folder.full.insert("full.txt");
  folder.locked.insert("locked.txt");
  std::istringstream in{
      std::string(split == std::string_view::npos ? bytes : bytes.substr(split + 1))};
  cuplo::testing::BoundedConsole out(256 * 1024);
  std::ostringstream err;
  const int status = cuplo::app::run(in, out, err, cuplo::testing::fixed_time, folder);

  check(status == 0 || status == 1 || status == 2, "exit status other than 0, 1 or 2");
  check(folder.files.at(defaults_name) == defaults, "the defaults file was changed");
  for (const std::string& name : folder.written) {
    check(!folder.same_file(name, defaults_name), "the defaults file was opened for writing");
  }
  return 0;
}
