// Fuzz target: the whole program, in process, on an arbitrary defaults file and an arbitrary
// answer stream.
//
// Input: the bytes before the first 0x00 are the defaults file CuploDEMO.DEF and the bytes
// after it the console input. Without a 0x00 byte all of it is console input and the folder
// holds the shipped defaults, so the fuzzer explores the dialogue without first having to
// build a valid defaults file. The folder refuses writes to "full.txt" (a full disk) and
// cannot open "locked.txt".
//
// Bound: a sweep of up to 2^31 - 1 points is a legal answer that would print for hours, so
// the console refuses every write beyond 256 KiB. The text layer then reports its
// "Write failed" fatal error on the console and the run ends with status 2.
//
// Checked on every input: the exit status is 0 or 2; status 2 comes with one error report
// and status 0 with none; a run that ends with status 0 ends at the OPERATION prompt or
// after a defaults-file message; every console line ends in CR LF; the defaults file is
// never written; a storage file holds whole records from a run banner on.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "app/run.hpp"
#include "bounded_console.hpp"
#include "dialogue.hpp"
#include "input/lcinput.hpp"

namespace {

constexpr std::size_t kConsoleBudget = 256 * 1024;

constexpr std::string_view kShippedDefaults =
    "Cuplo defaults\n0.0002\n9.8\n10.0\n14.0\n6.0\n0.5\n0.025\n3.0\n0.115\n4\n2.44\n4.0\n"
    "50.0\n50.0\n0.002\n0.004\n0.001\n0.0005\n0.0002\n0.0015\n0.004\n0.001\n0.0005\n50.0\n"
    "120.91\n20.68\nCuplo.OUT\n";

// The first two records of a run banner.
const std::string kBannerStart = "\r\n      " + std::string(72, '-') + "\r\n";

[[noreturn]] void fail(const char* what) {
  std::fputs(what, stderr);
  std::fputc('\n', stderr);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

bool ends_with(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\0');
  const std::string_view defaults =
      split == std::string_view::npos ? kShippedDefaults : bytes.substr(0, split);
  const std::string_view answers =
      split == std::string_view::npos ? bytes : bytes.substr(split + 1);

  cuplo::testing::MemoryFiles folder;
  folder.files[std::string(cuplo::input::kDefaultsName)] = std::string(defaults);
  folder.full.insert("full.txt");
  folder.locked.insert("locked.txt");

  std::istringstream in{std::string(answers)};
  cuplo::testing::BoundedConsole out(kConsoleBudget);
  std::ostringstream err;
  const int status = cuplo::app::run(in, out, err, cuplo::testing::fixed_time, folder);

  check(status == 0 || status == 2, "exit status other than 0 or 2");
  const std::string report = err.str();
  if (status == 2) {
    check(report.rfind("cuplo: fatal error: ", 0) == 0 && report.back() == '\n' &&
              report.find('\n') == report.size() - 1,
          "status 2 without exactly one error report");
  } else {
    check(report.empty(), "status 0 with an error report");
    check(!out.exhausted(), "status 0 after the console refused a write");
    const std::string& console = out.text();
    check(ends_with(console, "OPERATION selected = ") ||
              console.find("COUPLER default value data") != std::string::npos,
          "status 0 without the OPERATION prompt or a defaults-file message");
  }
  // The program never writes its defaults file, and a storage file holds whole records,
  // starting with a run banner.
  check(folder.files.at(std::string(cuplo::input::kDefaultsName)) == defaults,
        "the defaults file was changed");
  for (const std::string& name : folder.written) {
    const std::string& stored = folder.files.at(name);
    if (stored.empty()) continue;
    check(stored.rfind(kBannerStart, 0) == 0, "a storage file does not start with a run banner");
    check(ends_with(stored, "\r\n"), "a storage file ends inside a record");
  }

  const std::string& console = out.text();
  for (std::size_t at = console.find('\n'); at != std::string::npos;
       at = console.find('\n', at + 1)) {
    check(at > 0 && console[at - 1] == '\r', "a console record does not end in CR LF");
  }
  return 0;
}
