#include "calc/report.hpp"

#include <cstdio>

namespace cuplo::calc {

void say(std::string_view text) {
  std::string line = "cuplo-calc: ";
  line += text;
  line += '\n';
  std::fputs(line.c_str(), stderr);
}

Report::Report(const CommonOptions& common, std::string_view command, std::vector<Column> columns,
               std::vector<DesignEntry> design, const MakeWriter& make, bool on_standard_error)
    : strict_(common.strict),
      units_(common.length_unit()),
      format_(choose_format(common.format, common.output, common.terminal, command,
                            static_cast<bool>(make))),
      document_{command, std::move(design), std::move(columns), units_, {}},
      // With --strict a limit met late in a sweep must still leave no output: standard
      // output is held back until the run has succeeded.
      destination_(on_standard_error ? Destination(Destination::StandardError{})
                                     : Destination(common.output, common.strict)) {
  // The values of the field model are named as such in every file; the closed-form models'
  // files are as they always were.
  if (common.model_choice() == cuplo::Model::field) {
    document_.design.push_back(DesignEntry::of_word("model", "field"));
  }
  for (const DesignEntry& e : common.process) document_.design.push_back(e);
  for (const std::string& line : common.breaches) (void)caution(line);
  writer_ = format_ == Format::touchstone ? make(document_, destination_)
                                          : make_writer(format_, document_, destination_);
}

bool Report::accept(bool ok, cuplo::Failure failure, const char* detail, cuplo::Limits limits,
                    const cuplo::DesignPoint& point, Where where, const std::string& failure_line) {
  cuplo::Limits all = seen_;
  all |= limits;
  if (!(all == seen_)) {
    for (const cuplo::LimitSpec& row : cuplo::kLimitTable) {
      if (!limits.contains(row.limit) || seen_.contains(row.limit)) continue;
      const std::string text = cuplo::describe(row.limit, point);
      say(strict_ && ok ? "error: " + text + " (--strict)" : "warning: " + text);
      warnings_.push_back(text);
    }
    seen_ = all;
  }
  if (!ok) {
    std::string line = cuplo::describe(failure);
    if (detail != nullptr) line += std::string(": ") + detail;
    if (!where.key.empty()) {
      char value[kMaxValueText];
      line += " (at " + written_key(where.key, where.length, units_) + " = " +
              std::string(value, write_value(value, where.value, where.length, units_)) + ")";
    }
    say(failure_line.empty() ? line : failure_line);
    status_ = failure == cuplo::Failure::invalid_input ? kBadInput : kModelFailure;
    return false;
  }
  if (strict_ && !limits.empty()) {
    status_ = kAccuracyLimit;
    return false;
  }
  return true;
}

bool Report::caution(const std::string& text) {
  say(strict_ ? "error: " + text + " (--strict)" : "warning: " + text);
  warnings_.push_back(text);
  if (!strict_) return true;
  status_ = kAccuracyLimit;
  return false;
}

int Report::finish() {
  if (!begun_) begin();
  writer_->end(warnings_);
  destination_.commit();
  return status_;
}

}  // namespace cuplo::calc
