// The design a command works on: the console's defaults file (--defaults) first, then the
// options given, each read with its unit and checked where it enters. A command names the
// inputs it takes; only those become its options, so nothing typed is silently ignored.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "calc/output.hpp"
#include "calc/quantity.hpp"
#include "cuplo/coupler.hpp"

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
  const char* key;     // in the JSON design, with its unit: "w_in"
  Dimension dimension;
  Bound bound;
  const char* help;
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
  void require(std::initializer_list<Field> fields) const;
  // UsageError when more than one of the fields is a sweep.
  void at_most_one_sweep(std::initializer_list<Field> fields) const;
  // The swept field among these, or the first of them when none is swept.
  Field swept(std::initializer_list<Field> fields) const;

  // Er, H and T, with RES, SR and DLTAN where the command took them (otherwise lossless).
  cuplo::Substrate substrate() const;

  // Every input present but the unused ones, for the JSON "design" object, in field order.
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
  void add(CLI::App& app, std::initializer_list<Field> fields,
           std::initializer_list<Field> sweepable = {});
  // The defaults file, then the options given; UsageError on any bad value.
  Design gather() const;

 private:
  std::string defaults_;
  CLI::Option* defaults_option_ = nullptr;
  std::array<std::string, kFieldCount> text_{};
  std::array<CLI::Option*, kFieldCount> options_{};
  std::array<bool, kFieldCount> sweepable_{};
};

}  // namespace cuplo::calc
