// One run of a row-producing command: the rows going out, the accuracy limits met on the way
// (each reported once, at the first point that left it), and the failure that ends the run.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calc/command.hpp"
#include "calc/output.hpp"
#include "cuplo/coupler.hpp"
#include "cuplo/limits.hpp"

namespace cuplo::calc {

// One line on standard error: "cuplo-calc: " and the text.
void say(std::string_view text);

// Where in a sweep a failure happened, for its message: the swept key and value (a length's
// key is its stem, written with the run's unit, and its value in inches).
struct Where {
  std::string_view key;  // empty: a single point
  float value = 0.0f;
  bool length = false;
};

class Report {
 public:
  // Chooses the format and opens the output (UsageError for a bad --format or -o), or
  // standard error for a command whose -o is a file of its own. The head goes out with the
  // first row: a run that fails before it writes nothing. Lengths are written in the unit
  // of --units.
  // make, when given, makes the writer of the one format the common writers do not know
  // (Touchstone), for a command that writes it.
  using MakeWriter = std::function<std::unique_ptr<RowWriter>(const Document&, Destination&)>;
  Report(const CommonOptions& common, std::string_view command, std::vector<Column> columns,
         std::vector<DesignEntry> design, const MakeWriter& make = {},
         bool on_standard_error = false);

  // Takes note of a result: its new limits are warned about (errors with --strict), its
  // failure reported. False when the run stops; status() then says how.
  // failure_line, when not empty, is the line that reports a failure (one that says what to
  // do) in place of the library's.
  template <class T>
  bool accept(const cuplo::Result<T>& result, Where where = {},
              const std::string& failure_line = {}) {
    return accept(result.ok(), result.failure(), result.detail(), result.limits(), result.point(),
                  where, failure_line);
  }

  // A warning of the run's own (a process rule that binds or is broken): said once, and
  // among the warnings of the output; with --strict an error that stops the run with status
  // 3. False when the run stops.
  bool caution(const std::string& text);

  void row(std::initializer_list<Cell> cells) { row(std::span(cells.begin(), cells.size())); }
  void row(std::span<const Cell> cells) {
    if (!begun_) begin();
    writer_->row(cells);
  }

  // After the last row: the tail, and the output put in place. The exit status.
  int finish();
  Format format() const { return format_; }
  // A further member of the JSON object, after the rows: its key and its value as JSON text.
  void add_member(std::string key, std::string json) {
    document_.members.emplace_back(std::move(key), std::move(json));
  }
  int status() const { return status_; }

 private:
  bool accept(bool ok, cuplo::Failure failure, const char* detail, cuplo::Limits limits,
              const cuplo::DesignPoint& point, Where where, const std::string& failure_line);
  void begin() {
    writer_->begin();
    begun_ = true;
  }

  bool strict_;
  LengthUnit units_;
  Format format_;
  Document document_;
  Destination destination_;
  std::unique_ptr<RowWriter> writer_;
  cuplo::Limits seen_;
  std::vector<std::string> warnings_;
  int status_ = kSuccess;
  bool begun_ = false;
};

}  // namespace cuplo::calc
