#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "input/defaults.hpp"
#include "scenario.hpp"

namespace cuplo::testing {
namespace {

using input::DefaultsFault;

struct Loaded {
  std::string verdict;  // "" for a complete load, else "missing X" or "faulty X"
  std::string values;   // every loaded value, working member then loaded default
};

std::string summary(const input::DesignState& d, float fo) {
  std::ostringstream s;
  s << "DLTAN " << d.tlos << ' ' << d.tlosdef << "|Er " << d.er << ' ' << d.erdef << "|F " << d.fdef
    << ' ' << d.fdefdef << ' ' << fo << "|Fmax " << d.fmaxdef << "|Fmin " << d.fmin << ' '
    << d.fmindef << "|Fstep " << d.fstep << ' ' << d.fstepdef << "|H " << d.h << ' ' << d.hdef
    << "|Co " << d.kodef << ' ' << d.kodefdef << "|L " << d.l << ' ' << d.ldef << "|N " << d.n
    << ' ' << d.ndef << "|RES " << d.res1 << ' ' << d.res1def << "|SR " << d.sr1 << ' ' << d.sr1def
    << "|Rl " << d.rl << ' ' << d.rldef << "|Rs " << d.rs << ' ' << d.rsdef << "|S " << d.sdef
    << ' ' << d.sdefdef << "|Smax " << d.smaxdef << "|Smin " << d.smin << ' ' << d.smindef
    << "|Sstep " << d.sstep << ' ' << d.sstepdef << "|T " << d.t << ' ' << d.tdef << "|W " << d.wdef
    << ' ' << d.wdefdef << "|Wmax " << d.wmaxdef << "|Wmin " << d.wmin << ' ' << d.wmindef
    << "|Wstep " << d.wstep << ' ' << d.wstepdef << "|Zo " << d.zodef << ' ' << d.zodefdef
    << "|Zoe " << d.zoedef << ' ' << d.zoedefdef << "|Zoo " << d.zoodef << ' ' << d.zoodefdef
    << "|FN [" << d.fn << "]|res " << d.res << " sr " << d.sr << " istore " << d.istore << " ccdef "
    << d.ccdef;
  return s.str();
}

Loaded load(const std::string& text) {
  std::istringstream in(text);
  input::DesignState state;
  float fo = 0.0f;
  const std::optional<DefaultsFault> fault = input::load_defaults(in, state, fo);
  std::string verdict;
  if (fault) {
    verdict = (fault->kind == DefaultsFault::Kind::missing ? "missing " : "faulty ") + fault->entry;
  }
  return {verdict, summary(state, fo)};
}

const std::string kShipped =
    "DLTAN 0.0002 0.0002|Er 9.8 9.8|F 10 10 10|Fmax 14|Fmin 6 6|Fstep 0.5 0.5|H 0.025 0.025"
    "|Co 3 3|L 0.115 0.115|N 4 4|RES 2.44 2.44|SR 4 4|Rl 50 50|Rs 50 50|S 0.002 0.002"
    "|Smax 0.004|Smin 0.001 0.001|Sstep 0.0005 0.0005|T 0.0002 0.0002|W 0.0015 0.0015"
    "|Wmax 0.004|Wmin 0.001 0.001|Wstep 0.0005 0.0005|Zo 50 50|Zoe 120.91 120.91"
    "|Zoo 20.68 20.68|FN [Cuplo.OUT           ]|res 0 sr 0 istore 0 ccdef 0";

// Every record fills its working member and its loaded default; F also the centre frequency;
// the converted conductor values wait for their prompts. LF and CR LF read alike, labels
// after column 13 are ignored and records after the 28th are never read.
TEST(Defaults, ShippedFileFillsEveryValue) {
  ASSERT_EQ(DefaultsFile().size(), 28u);
  for (const char* eol : {"\r\n", "\n"}) {
    const Loaded loaded = load(DefaultsFile().text(eol) + "a 29th record" + eol);
    EXPECT_EQ(loaded.verdict, "");
    EXPECT_EQ(loaded.values, kShipped);
  }
  // The last record may lack its line end.
  std::string unended = DefaultsFile().text("\n");
  unended.pop_back();
  EXPECT_EQ(load(unended).values, kShipped);
}

TEST(Defaults, FileEndingEarlyNamesTheNextEntry) {
  EXPECT_EQ(load("").verdict, "missing 1st line.");
  for (const std::size_t k : {1u, 2u, 5u, 11u, 19u, 26u, 27u}) {
    EXPECT_EQ(load(DefaultsFile().keep(k).text()).verdict, "missing " + std::string(kEntryNames[k]))
        << k << " records";
  }
}

// Each record's rule at and just past its boundary, with the value stored where accepted.
// A faulty record stores nothing and leaves the records before it loaded.
TEST(Defaults, RecordRules) {
  struct Row {
    std::vector<std::pair<std::size_t, std::string>> records;
    std::string verdict;
    std::string values;  // part of the summary
  };
  const Row rows[] = {
      {{{2, "0"}}, "", "DLTAN 0 0|"},
      {{{2, "-0.0001"}}, "faulty DLTAN.", "DLTAN 0 0|Er 0 0|"},
      {{{3, "1.0"}}, "", "Er 1 1|"},
      {{{3, "0.9999"}}, "faulty Er.", "Er 0 0|"},
      {{{4, "0"}}, "", "F 0 0 0|"},
      {{{4, "-0.001"}}, "faulty F.", "F 0 0 0|"},
      {{{5, "0"}, {6, "0"}}, "", "Fmax 0|Fmin 0 0|"},
      {{{5, "-0.001"}}, "faulty Fmax.", "Fmax 0|"},
      {{{6, "14.0"}}, "", "Fmax 14|Fmin 14 14|"},
      {{{6, "14.001"}}, "faulty Fmin.", "Fmax 14|Fmin 0 0|"},
      {{{7, "0.001"}}, "", "Fstep 0.001 0.001|"},
      {{{7, "0"}}, "faulty Fstep.", "Fstep 0 0|"},
      {{{8, "0.0001"}}, "", "H 0.0001 0.0001|"},
      {{{8, "0"}}, "faulty H.", "Fstep 0.5 0.5|H 0 0|Co 0 0|"},
      {{{9, "1.0"}}, "", "Co 1 1|"},
      {{{9, "-1.0"}}, "", "Co 1 1|"},
      {{{9, "-3"}}, "", "Co 3 3|"},
      {{{9, "0.999"}}, "faulty Co.", "Co 0 0|"},
      {{{9, "-0.999"}}, "faulty Co.", "Co 0 0|"},
      {{{10, "0.001"}}, "", "L 0.001 0.001|"},
      {{{10, "0"}}, "faulty L.", "L 0 0|"},
      {{{11, "4.4"}}, "", "N 4 4|"},
      {{{11, "3.5"}}, "", "N 4 4|"},
      {{{11, "6.49"}}, "", "N 6 6|"},
      {{{11, "4.6"}}, "faulty N.", "N 0 0|"},
      {{{12, "0"}}, "", "RES 0 0|"},
      {{{12, "-0.01"}}, "faulty RES.", "RES 0 0|"},
      {{{13, "0"}}, "", "SR 0 0|"},
      {{{13, "-0.01"}}, "faulty SR.", "SR 0 0|"},
      {{{14, "0.01"}}, "", "Rl 0.01 0.01|"},
      {{{14, "0"}}, "faulty Rl.", "Rl 0 0|"},
      {{{15, "0.01"}}, "", "Rs 0.01 0.01|"},
      {{{15, "0"}}, "faulty Rs.", "Rs 0 0|"},
      {{{16, "0.00001"}}, "", "S 1e-05 1e-05|"},
      {{{16, "0"}}, "faulty S.", "S 0 0|"},
      {{{17, "0"}}, "faulty Smax.", "Smax 0|"},
      {{{18, "0.004"}}, "", "Smax 0.004|Smin 0.004 0.004|"},
      {{{18, "0.00401"}}, "faulty Smin.", "Smin 0 0|"},
      {{{19, "0"}}, "faulty Sstep.", "Sstep 0 0|"},
      {{{20, "0"}}, "", "T 0 0|"},
      {{{20, "-0.0001"}}, "faulty T.", "T 0 0|"},
      {{{21, "0"}}, "faulty W.", "W 0 0|"},
      {{{22, "0"}}, "faulty Wmax.", "Wmax 0|"},
      {{{23, "0.004"}}, "", "Wmax 0.004|Wmin 0.004 0.004|"},
      {{{23, "0.0041"}}, "faulty Wmin.", "Wmin 0 0|"},
      {{{24, "0"}}, "faulty Wstep.", "Wstep 0 0|"},
      {{{25, "0.01"}}, "", "Zo 0.01 0.01|"},
      {{{25, "0"}}, "faulty Zo.", "Zo 0 0|"},
      {{{26, "0"}}, "faulty Zoe.", "Zoe 0 0|"},
      {{{27, "120.9"}}, "", "Zoe 120.91 120.91|Zoo 120.9 120.9|"},
      {{{27, "120.91"}}, "faulty Zoo.", "Zoo 0 0|"},
      // Not numbers in the first 13 columns; a label starting in column 13 is read as part
      // of the number, a digit in column 14 is not.
      {{{3, "abc"}}, "faulty Er.", "Er 0 0|"},
      {{{8, "1+5"}}, "faulty H.", "H 0 0|"},
      {{{3, "9.8         Er"}}, "faulty Er.", "Er 0 0|"},
      {{{3, "9.8          Er"}}, "", "Er 9.8 9.8|"},
      {{{8, "0.02500000000999"}}, "", "H 0.025 0.025|"},
      // The storage name: exact and case-sensitive over 20 characters.
      {{{28, ""}}, "faulty FN.", "FN [                    ]"},
      {{{28, "Cuplo.DEF"}}, "faulty FN.", "FN [                    ]"},
      {{{28, "Cuplo.EXE"}}, "faulty FN.", "FN [                    ]"},
      {{{28, "CuploDEMO.DEF"}}, "faulty FN.", "FN [                    ]"},
      {{{28, " Cuplo.DEF"}}, "", "FN [ Cuplo.DEF          ]"},
      {{{28, "cuplo.def"}}, "", "FN [cuplo.def           ]"},
      {{{28, "a name of twenty-five char"}}, "", "FN [a name of twenty-fiv]"},
  };
  for (const Row& row : rows) {
    DefaultsFile file;
    for (const auto& [k, text] : row.records) file.set(k, text);
    const Loaded loaded = load(file.text());
    const std::string what =
        row.records.front().second + " in record " + std::to_string(row.records.front().first);
    EXPECT_EQ(loaded.verdict, row.verdict) << what;
    EXPECT_NE(("|" + loaded.values).find("|" + row.values), std::string::npos) << what << "\n"
                                                                               << loaded.values;
  }
}

// 13 blanks and a comment read as 0: accepted where the rule allows 0.
TEST(Defaults, BlankFieldReadsZero) {
  const std::set<std::string_view> zero_allowed = {"DLTAN.", "F.",  "Fmax.", "Fmin.",
                                                   "RES.",   "SR.", "T."};
  for (std::size_t k = 2; k <= 27; ++k) {
    const std::string_view entry = kEntryNames[k - 1];
    std::string verdict = zero_allowed.count(entry) != 0 ? "" : "faulty " + std::string(entry);
    // A zero stop frequency is sound, but the start frequency 6 then lies above it.
    if (entry == "Fmax.") verdict = "faulty Fmin.";
    EXPECT_EQ(load(DefaultsFile().set(k, "             ; no value").text()).verdict, verdict)
        << entry;
  }
}

std::string message(std::string_view first, std::string_view second, std::string_view entry) {
  return "      " + std::string(first) + " in Cuplo COUPLER default value data \r\n" +
         "      file (Cuplo.DEF). " + std::string(second) + " for variable " + std::string(entry) +
         "\r\n";
}

// Through a whole run: the message alone on the console, exit status 0, no menu shown.
TEST(Defaults, RunStopsWithMessage) {
  const std::pair<std::string, std::string> rows[] = {
      {"", message("End of file", "Entry missing", "1st line.  ")},
      {DefaultsFile().keep(1).text(), message("End of file", "Entry missing", "DLTAN.     ")},
      {DefaultsFile().keep(27).text(), message("End of file", "Entry missing", "FN.        ")},
      {DefaultsFile().set(27, "120.91").text(),
       message("Error exists", "Fix entry", "Zoo.       ")},
      {DefaultsFile().set(2, "-1").text(), message("Error exists", "Fix entry", "DLTAN.     ")},
      {DefaultsFile().set(28, "Cuplo.EXE").text(),
       message("Error exists", "Fix entry", "FN.        ")},
  };
  for (const auto& [defaults, expected] : rows) {
    const Outcome run = run_dialogue(lines({"1", "1", "1"}), defaults);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, expected);
    EXPECT_EQ(run.error, "");
  }
}

// Without the defaults file nothing is assumed: a fatal report naming the file.
TEST(Defaults, MissingFileIsFatal) {
  MemoryFiles absent;
  MemoryFiles locked;
  locked.files["CuploDEMO.DEF"] = DefaultsFile().text();
  locked.locked.insert("CuploDEMO.DEF");
  for (MemoryFiles* folder : {&absent, &locked}) {
    const Outcome run = run_dialogue(lines({"1", "1", "1"}), *folder);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(run.error,
              "cuplo: fatal error: Cannot open file CuploDEMO.DEF on unit 2 (CuploDEMO.DEF)\n");
  }
}

}  // namespace
}  // namespace cuplo::testing
