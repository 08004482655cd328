// Fuzz target: the defaults-file loader on arbitrary bytes.
//
// Checked on every input:
//  - a "missing entry" fault names the record after the file's last line, and only a file of
//    fewer than 28 lines has one; a "faulty entry" fault names a record the file has;
//  - after a successful load: every number is the (F13.0) reading of its own record (the
//    coupling as its magnitude, N rounded), the working members equal the loaded defaults,
//    and the documented invariants hold: Fmin <= Fmax, Smin <= Smax, Wmin <= Wmax,
//    Zoo < Zoe, N is 4 or 6, steps, H, L, Rs, Rl, S, W and Zo are positive, Er >= 1, no value
//    is NaN, the storage name is 20 characters, not blank and not a protected name;
//  - loading the same bytes twice gives the same state.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "input/defaults.hpp"
#include "models/numeric.hpp"
#include "text/reader.hpp"

namespace {

using cuplo::input::DefaultsFault;
using cuplo::input::DesignState;

[[noreturn]] void fail(const char* what) {
  std::fputs(what, stderr);
  std::fputc('\n', stderr);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

// Record order of the file, title first and storage name last.
constexpr std::array<const char*, 28> kEntries = {
    "1st line.", "DLTAN.", "Er.",   "F.",     "Fmax.", "Fmin.", "Fstep.", "H.",    "Co.",    "L.",
    "N.",        "RES.",   "SR.",   "Rl.",    "Rs.",   "S.",    "Smax.",  "Smin.", "Sstep.", "T.",
    "W.",        "Wmax.",  "Wmin.", "Wstep.", "Zo.",   "Zoe.",  "Zoo.",   "FN."};

// The loaded default of each numeric record 2 to 27 (N and Co are checked on their own).
constexpr std::array<float DesignState::*, 26> kLoaded = {
    &DesignState::tlosdef,   &DesignState::erdef,
    &DesignState::fdefdef,   &DesignState::fmaxdef,
    &DesignState::fmindef,   &DesignState::fstepdef,
    &DesignState::hdef,      nullptr,
    &DesignState::ldef,      nullptr,
    &DesignState::res1def,   &DesignState::sr1def,
    &DesignState::rldef,     &DesignState::rsdef,
    &DesignState::sdefdef,   &DesignState::smaxdef,
    &DesignState::smindef,   &DesignState::sstepdef,
    &DesignState::tdef,      &DesignState::wdefdef,
    &DesignState::wmaxdef,   &DesignState::wmindef,
    &DesignState::wstepdef,  &DesignState::zodefdef,
    &DesignState::zoedefdef, &DesignState::zoodefdef};

std::vector<std::string> split_lines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    const std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
    std::string line(bytes.substr(start, stop - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

std::size_t entry_index(const std::string& entry) {
  for (std::size_t k = 0; k < kEntries.size(); ++k) {
    if (entry == kEntries[k]) return k;
  }
  fail("fault names an unknown entry");
}

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

struct Load {
  DesignState state;
  float fo = -1.0f;
  std::optional<DefaultsFault> fault;
};

Load load(std::string_view bytes) {
  Load l;
  std::istringstream file{std::string(bytes)};
  l.fault = cuplo::input::load_defaults(file, l.state, l.fo);
  return l;
}

void check_loaded(const DesignState& d, float fo, const std::vector<std::string>& lines) {
  for (std::size_t k = 0; k < kLoaded.size(); ++k) {
    const std::optional<float> typed = cuplo::text::parse_real(lines[k + 1]);
    check(typed.has_value(), "a loaded record does not read as a number");
    if (kLoaded[k] != nullptr) check(same_bits(d.*kLoaded[k], *typed), "record loaded wrongly");
  }
  check(same_bits(d.kodefdef, std::fabs(*cuplo::text::parse_real(lines[8]))), "Co loaded wrongly");
  check(d.ndef == cuplo::models::nint(*cuplo::text::parse_real(lines[10])), "N loaded wrongly");

  // Working members start at the loaded defaults.
  check(same_bits(d.tlos, d.tlosdef) && same_bits(d.er, d.erdef) && same_bits(d.fdef, d.fdefdef) &&
            same_bits(fo, d.fdefdef) && same_bits(d.fmin, d.fmindef) &&
            same_bits(d.fstep, d.fstepdef) && same_bits(d.h, d.hdef) &&
            same_bits(d.kodef, d.kodefdef) && same_bits(d.l, d.ldef) && d.n == d.ndef &&
            same_bits(d.res1, d.res1def) && same_bits(d.sr1, d.sr1def) &&
            same_bits(d.rl, d.rldef) && same_bits(d.rs, d.rsdef) && same_bits(d.sdef, d.sdefdef) &&
            same_bits(d.smin, d.smindef) && same_bits(d.sstep, d.sstepdef) &&
            same_bits(d.t, d.tdef) && same_bits(d.wdef, d.wdefdef) &&
            same_bits(d.wmin, d.wmindef) && same_bits(d.wstep, d.wstepdef) &&
            same_bits(d.zodef, d.zodefdef) && same_bits(d.zoedef, d.zoedefdef) &&
            same_bits(d.zoodef, d.zoodefdef),
        "working member differs from its loaded default");

  for (std::size_t k = 0; k < kLoaded.size(); ++k) {
    if (kLoaded[k] != nullptr) check(!std::isnan(d.*kLoaded[k]), "a loaded value is NaN");
  }
  check(d.fmindef <= d.fmaxdef, "Fmin above Fmax");
  check(d.smindef <= d.smaxdef, "Smin above Smax");
  check(d.wmindef <= d.wmaxdef, "Wmin above Wmax");
  check(d.zoodefdef < d.zoedefdef, "Zoo not below Zoe");
  check(d.ndef == 4 || d.ndef == 6, "N neither 4 nor 6");
  check(d.fstepdef > 0.0f && d.sstepdef > 0.0f && d.wstepdef > 0.0f, "a step is not positive");
  check(d.hdef > 0.0f && d.ldef > 0.0f && d.rsdef > 0.0f && d.rldef > 0.0f && d.sdefdef > 0.0f &&
            d.wdefdef > 0.0f && d.zodefdef > 0.0f && d.smindef > 0.0f && d.wmindef > 0.0f,
        "a value that must be positive is not");
  check(d.tlosdef >= 0.0f && d.fdefdef >= 0.0f && d.fmindef >= 0.0f && d.res1def >= 0.0f &&
            d.sr1def >= 0.0f && d.tdef >= 0.0f,
        "a value that must not be negative is");
  check(d.erdef >= 1.0f, "Er below 1");
  check(d.kodefdef >= 1.0f, "coupling magnitude below 1 dB");

  check(d.fn.size() == cuplo::input::kNameLength, "storage name not 20 characters");
  check(d.fn != cuplo::input::kBlankName, "storage name blank");
  check(!cuplo::input::is_protected_name(d.fn), "storage name is a protected name");
  check(d.fn == cuplo::text::parse_text(lines[27]), "storage name is not record 28");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = split_lines(bytes);
  const Load first = load(bytes);

  if (first.fault) {
    const std::size_t k = entry_index(first.fault->entry);
    if (first.fault->kind == DefaultsFault::Kind::missing) {
      check(lines.size() == k, "missing entry is not the record after the last line");
    } else {
      check(k > 0 && k < lines.size(), "faulty entry names a record the file lacks");
    }
  } else {
    check(lines.size() >= kEntries.size(), "a file of fewer than 28 lines loaded");
    check_loaded(first.state, first.fo, lines);
  }

  const Load second = load(bytes);
  check(first.fault.has_value() == second.fault.has_value(), "second load differs");
  if (!first.fault) {
    check(std::memcmp(&first.fo, &second.fo, sizeof first.fo) == 0 &&
              first.state.fn == second.state.fn && first.state.zoodef == second.state.zoodef,
          "second load differs");
  }
  return 0;
}
