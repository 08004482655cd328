// Properties of whole reports, read back from the printed records: the loss columns of the
// four-port response agree with its port amplitudes; the both-modes sensitivity report has
// one title block and its two tables in order, on the console and in the storage file alike;
// a 3 dB design synthesized at 10 GHz splits the power equally and in quadrature there.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialogue.hpp"

namespace cuplo::testing {
namespace {

// The shipped defaults file with some records (1 to 28) replaced.
std::string shipped_defaults(std::initializer_list<std::pair<std::size_t, std::string>> changes) {
  std::ifstream in(CUPLO_DEMO_DEFAULTS, std::ios::binary);
  std::vector<std::string> records;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    records.push_back(line);
  }
  for (const auto& [k, text] : changes) records.at(k - 1) = text;
  std::string all;
  for (const std::string& record : records) all += record + "\r\n";
  return all;
}
constexpr std::size_t kDltanRecord = 2;
constexpr std::size_t kResRecord = 12;

std::string answers(std::initializer_list<std::string_view> typed) {
  std::string all;
  for (const std::string_view answer : typed) all += std::string(answer) + "\n";
  return all;
}

std::vector<std::string> records_of(const std::string& text) {
  std::vector<std::string> records;
  std::size_t from = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       end = text.find("\r\n", from)) {
    records.push_back(text.substr(from, end - from));
    from = end + 2;
  }
  records.push_back(text.substr(from));  // an open prompt, or empty
  return records;
}

const std::string kRule = "      " + std::string(72, '-');
const std::string kHeadsRule = "      " + std::string(71, '-');

// The report of the last operation of a run: the records after the run banner (7 records, the
// last of them empty) up to the rule line of the closing block, the last rule line of the run
// (the dimension-form sensitivity heads end in a rule line of the same length).
std::vector<std::string> report_of(const std::vector<std::string>& records) {
  std::size_t date = records.size();
  for (std::size_t k = 0; k < records.size(); ++k) {
    if (records[k].rfind("      Cuplo (v. 1.0) ", 0) == 0) date = k;
  }
  if (date == records.size()) return {};
  std::size_t end = records.size();
  while (end > date + 5 && records[end - 1] != kRule) --end;
  if (end == date + 5) return {};
  --end;
  return {records.begin() + static_cast<std::ptrdiff_t>(date + 5),
          records.begin() + static_cast<std::ptrdiff_t>(end)};
}

// The number in columns [start, start + width) of a fixed-format record.
double field(const std::string& record, std::size_t start, std::size_t width) {
  return std::stod(record.substr(start, width));
}

// Print format 2 of the four-port response: 1X, F13.4, F7.3, F9.3, F8.1, F7.3, F8.2, F7.2,
// F9.4, F8.4.
struct QuadratureRow {
  double f, vswr, coupled, isolated, thru, phi, err, dissipative, total;
};
std::vector<QuadratureRow> quadrature_rows(const std::vector<std::string>& report) {
  std::vector<QuadratureRow> rows;
  std::size_t k = 0;
  while (k < report.size() && report[k] != kHeadsRule) ++k;
  for (++k; k < report.size() && report[k].size() == 77; ++k) {
    const std::string& r = report[k];
    rows.push_back({field(r, 1, 13), field(r, 14, 7), field(r, 21, 9), field(r, 30, 8),
                    field(r, 38, 7), field(r, 45, 8), field(r, 53, 7), field(r, 60, 9),
                    field(r, 69, 8)});
  }
  return rows;
}

double power(double db) {
  return std::pow(10.0, db / 10.0);
}

// Shipped defaults, every value accepted as loaded (length mode, nine dimensions and
// materials, four frequencies, two terminations): the four-port response of a 4-strip 3 dB
// design from 6 to 14 GHz in steps of 0.5 GHz, Rs = Rl = 50 ohms, in print format 2.
const std::string kFourPortFormat2 =
    answers({"1", "2", "1"}) + std::string(16, '\n') + answers({"2", "", ""});

TEST(ReportProperties, FourPortLossColumnsAgreeWithThePortAmplitudes) {
  struct Case {
    const char* name;
    std::string defaults;
    bool lossless;
  };
  const Case cases[] = {
      {"no conductor or dielectric loss",
       shipped_defaults({{kDltanRecord, "0            DLTAN"}, {kResRecord, "0            RES"}}),
       true},
      {"shipped losses", shipped_defaults({}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome run = run_dialogue(kFourPortFormat2, c.defaults);
    ASSERT_EQ(run.status, 0);
    const std::vector<QuadratureRow> rows = quadrature_rows(report_of(records_of(run.console)));
    ASSERT_EQ(rows.size(), 17u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const QuadratureRow& r = rows[k];
      SCOPED_TRACE(r.f);
      EXPECT_NEAR(r.f, 6.0 + 0.5 * static_cast<double>(k), 1e-9);
      // Total loss: the power of the coupled and through ports together. The amplitudes are
      // printed to 0.0005 dB, the loss to 0.00005 dB.
      EXPECT_NEAR(10.0 * std::log10(power(r.coupled) + power(r.thru)), r.total, 7e-4);
      // Dissipative (I*I*R) loss: the power leaving all four ports, the input reflection
      // taken from the VSWR; the isolated port is printed to 0.05 dB only.
      const double gamma = (r.vswr - 1.0) / (r.vswr + 1.0);
      EXPECT_NEAR(power(r.total) + gamma * gamma + power(r.isolated), power(r.dissipative), 2e-4);
      EXPECT_NEAR(r.err, r.phi - 90.0, 0.011);
      if (c.lossless) {
        // Rs = Rl and no loss: the four port powers add up to one.
        EXPECT_NEAR(r.dissipative, 0.0, 1e-4);
        EXPECT_LT(r.total, 0.0);
      } else {
        EXPECT_LT(r.dissipative, -0.001);
        EXPECT_LT(r.total, r.dissipative);
      }
    }
  }
}

// The sensitivity report for both modes: each suboption at the shipped defaults, stored
// under the defaults file's name.
TEST(ReportProperties, BothModesSensitivityHasOneTitleBlockThenTheEvenAndTheOddTable) {
  struct Case {
    std::string_view suboption;
    std::size_t rows;  // points of the shipped range
    std::size_t title_records;
  };
  const Case cases[] = {
      {"1", 17, 3},  // 6 to 14 GHz by 0.5
      {"2", 7, 3},   // W from 0.001 to 0.004 by 0.0005
      {"3", 7, 3},   // S from 0.001 to 0.004 by 0.0005
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.suboption);
    MemoryFiles folder;
    folder.files["CuploDEMO.DEF"] = shipped_defaults({});
    const Outcome run = run_dialogue(
        answers({"1", "3", c.suboption, "3", "", "", "", "", "", "", "", "", "", "1", "", ""}),
        folder);
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> report = report_of(records_of(run.console));
    ASSERT_EQ(folder.written.count("Cuplo.OUT"), 1u);
    const std::vector<std::string> stored = report_of(records_of(folder.files["Cuplo.OUT"]));
    EXPECT_EQ(stored, report);

    std::vector<std::size_t> titles;
    std::vector<std::size_t> even;
    std::vector<std::size_t> odd;
    for (std::size_t k = 0; k < report.size(); ++k) {
      if (report[k].find("Sensitivity Analysis") != std::string::npos) titles.push_back(k);
      if (report[k].find("Sensitivity of Zoe to:") != std::string::npos) even.push_back(k);
      if (report[k].find("Sensitivity of Zoo to:") != std::string::npos) odd.push_back(k);
    }
    ASSERT_EQ(titles, std::vector<std::size_t>{0});
    ASSERT_EQ(even.size(), 1u);
    ASSERT_EQ(odd.size(), 1u);
    // Title block, even-mode title (empty record, two lines), six head records, the rows; then
    // the odd-mode title, the same heads and as many rows.
    const std::size_t even_heads = c.title_records + 3;
    const std::size_t even_rows = even_heads + 6;
    const std::size_t odd_title = even_rows + c.rows;
    EXPECT_EQ(even[0], c.title_records + 2);
    EXPECT_EQ(odd[0], odd_title + 2);
    ASSERT_EQ(report.size(), odd_title + 3 + 6 + c.rows);
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_EQ(report[odd_title + 3 + k], report[even_heads + k]);
    }
    for (std::size_t k = 0; k < c.rows; ++k) {
      const std::string& even_row = report[even_rows + k];
      const std::string& odd_row = report[odd_title + 9 + k];
      // The same sweep point: frequency, or W and S, in the leading columns.
      const std::size_t point = c.suboption == "1" ? 18 : 22;
      EXPECT_EQ(odd_row.substr(0, point), even_row.substr(0, point));
      // The five sensitivities are those of the other impedance.
      EXPECT_NE(odd_row.substr(odd_row.size() - 40), even_row.substr(even_row.size() - 40));
    }
  }
}

// A dispersive synthesis of a 50-ohm 3 dB coupler at 10 GHz (the shipped targets), whose W and
// S are then analysed without losses at 10 GHz with the length computed for that centre
// frequency: the coupled and through ports carry half the power each, in quadrature.
TEST(ReportProperties, SynthesizedThreeDbDesignSplitsEquallyInQuadratureAtItsCentre) {
  const Outcome synthesis = run_dialogue(
      answers({"2", "2", "1", "", "", "", "", "", "", "", "", ""}), shipped_defaults({}));
  ASSERT_EQ(synthesis.status, 0);
  const std::vector<std::string> report = report_of(records_of(synthesis.console));
  ASSERT_FALSE(report.empty());
  // Dispersive synthesis row: 1X, F12.4, F8.5 (W), F8.5 (S), ...
  const std::string& row = report.back();
  ASSERT_EQ(row.substr(0, 13), "      10.0000");
  const std::string w = row.substr(13, 8);
  const std::string s = row.substr(21, 8);

  const Outcome analysis = run_dialogue(
      answers({"1", "2", "1",  "",   "", w,  "", s,  "",  "", "",
               "",  "",  "10", "10", "", "", "", "", "2", "", ""}),
      shipped_defaults({{kDltanRecord, "0            DLTAN"}, {kResRecord, "0            RES"}}));
  ASSERT_EQ(analysis.status, 0);
  const std::vector<QuadratureRow> rows = quadrature_rows(report_of(records_of(analysis.console)));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].f, 10.0);
  EXPECT_NEAR(rows[0].coupled, -3.0, 0.05);
  EXPECT_NEAR(rows[0].thru, -3.0, 0.05);
  EXPECT_NEAR(rows[0].phi, 90.0, 0.25);
  EXPECT_NEAR(rows[0].dissipative, 0.0, 1e-4);
}

}  // namespace
}  // namespace cuplo::testing
