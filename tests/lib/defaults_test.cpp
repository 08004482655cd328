// The defaults file: each record's rule at and just past its boundary, files that end early,
// blank fields, line ends and labels; a file written from values reads back as those values.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cuplo/defaults.hpp"
#include "shipped_defaults.hpp"

namespace cuplo {
namespace {

using Records = testing::DefaultsFile;  // the shipped file as records to vary
using testing::kEntryNames;

struct Loaded {
  std::string verdict;  // "" for a complete load, else "missing X" or "faulty X"
  Defaults values;
};

Loaded load(const std::string& text) {
  std::istringstream in(text);
  const DefaultsFile read = read_defaults(in);
  Loaded l{"", read.values};
  if (!read.ok()) {
    l.verdict = (read.fault.kind == DefaultsFault::Kind::missing ? "missing " : "faulty ") +
                std::string(read.fault.entry);
  }
  return l;
}

Loaded load(std::size_t k, std::string text) {
  return load(Records().set(k, std::move(text)).text());
}

// LF and CR LF read alike, labels after column 13 are ignored, records after the 28th are
// never read and the last one may lack its line end.
TEST(Defaults, ShippedFile) {
  std::string unended = Records().text("\n");
  unended.pop_back();
  for (const std::string& text :
       {Records().text() + "a 29th record\r\n", Records().text("\n"), unended}) {
    const Loaded l = load(text);
    EXPECT_EQ(l.verdict, "");
    const Defaults& d = l.values;
    EXPECT_EQ(d.dltan, 0.0002f);
    EXPECT_EQ(d.zoo, 20.68f);
    EXPECT_EQ(d.h, 0.025f);
    EXPECT_EQ(d.wstep, 0.0005f);
    EXPECT_EQ(d.n, 4);
    EXPECT_EQ(d.fn, "Cuplo.OUT           ");
  }
}

// A file written from values reads back as the same values, bit for bit, the smallest and
// largest floats included, and one whose shortest form is longer than the reader's 13
// columns.
TEST(Defaults, WrittenFileReadsBack) {
  Defaults d = load(Records().text()).values;
  d.dltan = 1.1754944e-38f;
  d.f = 3.4028235e38f;
  d.w = 0.0015000001f;
  d.zo = 1.11111114e14f;  // nine digits and an exponent: written as 111111114e6
  d.fn = "a name";
  std::istringstream in(write_defaults(d));
  const DefaultsFile again = read_defaults(in);
  ASSERT_TRUE(again.ok()) << again.fault.entry;
  EXPECT_EQ(write_defaults(again.values), write_defaults(d));
  EXPECT_EQ(again.values.dltan, d.dltan);
  EXPECT_EQ(again.values.f, d.f);
  EXPECT_EQ(again.values.w, d.w);
  EXPECT_EQ(again.values.zo, d.zo);
  EXPECT_EQ(again.values.fn, "a name              ");
}

TEST(Defaults, FileEndingEarlyNamesTheNextEntry) {
  EXPECT_EQ(load("").verdict, "missing 1st line.");
  for (const std::size_t k : {1u, 2u, 5u, 11u, 19u, 26u, 27u}) {
    EXPECT_EQ(load(Records().keep(k).text()).verdict, "missing " + std::string(kEntryNames[k]))
        << k << " records";
  }
}

// Each record's rule at and just past its boundary (the shipped file has Fmax 14, Smax and
// Wmax 0.004, Zoe 120.91); a faulty record names its own entry. A label starting in column 13
// is read as part of the number, a digit in column 14 is not.
TEST(Defaults, RecordRules) {
  struct Row {
    std::size_t k;
    std::string_view text;
    bool ok;
  };
  const Row rows[] = {{2, "0", true},           {2, "-0.0001", false},    {3, "1.0", true},
                      {3, "0.9999", false},     {4, "0", true},           {4, "-0.001", false},
                      {5, "-0.001", false},     {6, "14.0", true},        {6, "14.001", false},
                      {7, "0.001", true},       {7, "0", false},          {8, "0.0001", true},
                      {8, "0", false},          {9, "1.0", true},         {9, "-1.0", true},
                      {9, "0.999", false},      {9, "-0.999", false},     {10, "0.001", true},
                      {10, "0", false},         {11, "4.4", true},        {11, "3.5", true},
                      {11, "6.49", true},       {11, "4.6", false},       {12, "0", true},
                      {12, "-0.01", false},     {13, "0", true},          {13, "-0.01", false},
                      {14, "0.01", true},       {14, "0", false},         {15, "0.01", true},
                      {15, "0", false},         {16, "0.00001", true},    {16, "0", false},
                      {17, "0", false},         {18, "0.004", true},      {18, "0.00401", false},
                      {19, "0", false},         {20, "0", true},          {20, "-0.0001", false},
                      {21, "0", false},         {22, "0", false},         {23, "0.004", true},
                      {23, "0.0041", false},    {24, "0", false},         {25, "0.01", true},
                      {25, "0", false},         {26, "0", false},         {27, "120.9", true},
                      {27, "120.91", false},    {3, "abc", false},        {8, "1+5", false},
                      {28, "", false},          {28, "Cuplo.DEF", false}, {28, "Cuplo.EXE", false},
                      {28, " Cuplo.DEF", true}, {28, "cuplo.def", true}};
  const Row labels_and_names[] = {
      {3, "9.8         Er", false}, {3, "9.8          Er", true}, {28, "CuploDEMO.DEF", false}};
  const auto check = [](const Row& row) {
    const std::string faulty = "faulty " + std::string(kEntryNames[row.k - 1]);
    EXPECT_EQ(load(row.k, std::string(row.text)).verdict, row.ok ? "" : faulty)
        << '"' << row.text << "\" in record " << row.k;
  };
  for (const Row& row : rows) check(row);
  for (const Row& row : labels_and_names) check(row);
  // Stored values: N rounded, the coupling as its magnitude, the name as A20.
  EXPECT_EQ(load(11, "4.4").values.n, 4);
  EXPECT_EQ(load(11, "6.49").values.n, 6);
  EXPECT_EQ(load(9, "-3").values.co, 3.0f);
  EXPECT_EQ(load(8, "0.02500000000999").values.h, 0.025f);
  EXPECT_EQ(load(28, " Cuplo.DEF").values.fn, " Cuplo.DEF          ");
  EXPECT_EQ(load(28, "a name of twenty-five char").values.fn, "a name of twenty-fiv");
}

// 13 blanks and a comment read as 0: accepted where the rule allows 0. (A zero stop frequency
// is sound, but the start frequency 6 then lies above it.)
TEST(Defaults, BlankFieldReadsZero) {
  const std::set<std::string_view> zero_allowed = {"DLTAN.", "F.",  "Fmax.", "Fmin.",
                                                   "RES.",   "SR.", "T."};
  for (std::size_t k = 2; k <= 27; ++k) {
    const std::string_view entry = kEntryNames[k - 1];
    std::string verdict = zero_allowed.count(entry) != 0 ? "" : "faulty " + std::string(entry);
    if (entry == "Fmax.") verdict = "faulty Fmin.";
    EXPECT_EQ(load(k, "             ; no value").verdict, verdict) << entry;
  }
}

}  // namespace
}  // namespace cuplo
