// The design a command works on: the console's defaults file (--defaults) first, then the
// options given, each read with its unit and checked where it enters. A command names the
// inputs it takes; only those become its options, so nothing typed is silently ignored.
// DesignCommand is the set-up every such command shares.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "calc/command.hpp"
#include "calc/output.hpp"
#include "calc/quantity.hpp"
#include "calc/report.hpp"
#include "cuplo/coupler.hpp"
#include "cuplo/process.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace cuplo::calc {

enum class Field : std::uint8_t {
  n,
  er,
  h,
  t,
  w,
  s,
  l,
  f,
  res,
  sr,
  dltan,
  zo,
  coupling,
  zoe,
  zoo,
};
inline constexpr std::size_t kFieldCount = 15;

// How a field is typed and where it goes.
struct FieldSpec {
  Field field;
  const char* option;  // "--w"
  const char* key;     // in the JSON design, with its unit ("f_ghz"); a length's stem ("w")
  ValueKind kind;
  const char* help;

  bool length() const { return kind.dimension == Dimension::length; }
  // Where in a sweep of this field a point is, for a failure's message.
  Where at(float value) const { return {key, value, length()}; }
};

const FieldSpec& spec(Field field);

// The values after gathering: each present field as a Sweep (a single value has one point).
class Design {
 public:
  bool has(Field field) const { return present_[index(field)]; }
  // Given as an option (not only by the defaults file).
  bool given(Field field) const { return given_[index(field)]; }
  // The value; UsageError naming the option when there is none.
  const Sweep& sweep(Field field) const;
  float value(Field field) const { return sweep(field).start; }
  std::int32_t strips() const { return static_cast<std::int32_t>(value(Field::n)); }

  // UsageError naming every one of the fields that has no value.
  void require(std::span<const Field> fields) const;
  void require(std::initializer_list<Field> fields) const {
    require(std::span<const Field>(fields.begin(), fields.size()));
  }
  // UsageError when more than one of the fields is a sweep.
  void at_most_one_sweep(std::span<const Field> fields) const;
  // The swept field among these, or the first of them when none is swept.
  Field swept(std::initializer_list<Field> fields) const;

  // Er, H and T, with RES, SR and DLTAN where the command took them (otherwise lossless).
  cuplo::Substrate substrate() const;

  // Every input present but the unused ones, for the JSON "design" object, in field order.
  // The coupling carries the sign of the rows' (negative dB), however it was typed.
  std::vector<DesignEntry> entries(std::initializer_list<Field> unused = {}) const;

 private:
  friend class DesignOptions;
  static std::size_t index(Field field) { return static_cast<std::size_t>(field); }
  std::array<Sweep, kFieldCount> values_{};
  std::array<bool, kFieldCount> present_{};
  std::array<bool, kFieldCount> given_{};
};

class DesignOptions {
 public:
  // Adds --defaults and the fields' options to a command; the sweepable ones take
  // START:STOP:STEP.
  void add(CLI::App& app, std::span<const Field> fields, std::span<const Field> sweepable);
  // The defaults file, then the options given, bare lengths in bare_length; UsageError on
  // any bad value.
  Design gather(LengthUnit bare_length) const;
  // The option of a field the command takes, or nullptr.
  CLI::Option* option(Field field) const { return options_[static_cast<std::size_t>(field)]; }

 private:
  std::string defaults_;
  CLI::Option* defaults_option_ = nullptr;
  std::array<std::string, kFieldCount> text_{};
  std::array<CLI::Option*, kFieldCount> options_{};
  std::array<bool, kFieldCount> sweepable_{};
};

// A command over a design. The fields it takes become its options; a run checks the output
// first (before anything is computed), gathers the design with the --units of bare lengths,
// requires the fields every run needs and allows at most one sweep among the sweepable
// fields, then computes.
class DesignCommand : public Command {
 public:
  struct Fields {
    std::vector<Field> taken;
    std::vector<Field> sweepable;  // START:STOP:STEP, at most one of them in a run
    std::vector<Field> required;   // by every run; a command may require more as it goes
  };
  DesignCommand(std::string_view name, std::string_view summary, Fields fields)
      : name_(name), summary_(summary), fields_(std::move(fields)) {}

  std::string_view name() const final { return name_; }
  std::string_view summary() const final { return summary_; }
  void add_options(CLI::App& app, OptionWords& words) final;
  int run(const CommonOptions& common) final;

 protected:
  // Whether the design's W and S are the coupler's (not only a defaults file's values that
  // targets replace): the process's rules then judge them as given.
  virtual bool geometry_given(const Design& d) const {
    return d.has(Field::w) && d.has(Field::s);
  }
  // The command's options beyond its fields.
  virtual void add_own_options(CLI::App& /*app*/, OptionWords& /*words*/) {}
  // UsageError when the output cannot be written where and as asked: by default -o's folder
  // and the format.
  virtual void check_output(const CommonOptions& common) const;
  // The run after the set-up: computes and writes; returns the exit status.
  virtual int compute(const Design& d, const CommonOptions& common) = 0;

  CLI::Option* option(Field field) const { return options_.option(field); }
  // The process's rules (--min-w, --min-s, --etch; zero where not given), read by run().
  const cuplo::Process& process() const { return process_; }
  // The line for a synthesis that no design within the process's minimums can hold: the
  // minimums given, and the Zo asked.
  std::string beyond_process(float zo) const;

 private:
  // The rules from their options, and what they say of the design as given: a gap the etch's
  // compensation closes is refused (UsageError), a width or gap below its minimum is a
  // breach (a warning; with --strict the run's error).
  void read_process(const Design& d, CommonOptions& common);

  std::string_view name_;
  std::string_view summary_;
  Fields fields_;
  DesignOptions options_;
  std::array<std::string, 3> process_text_{};  // --min-w, --min-s, --etch
  std::array<CLI::Option*, 3> process_options_{};
  cuplo::Process process_;
};

}  // namespace cuplo::calc
