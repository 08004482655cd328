// Values as people type them: a number with an optional unit ("25mil", "10GHz", "0.635 mm")
// or a sweep START:STOP:STEP, read into the library's units (inches, GHz, ohms, dB); and
// lengths written back in the unit a person reads them in. Every face of Cuplo reads and
// words typed values through these functions, so that one text gives one value and one
// message everywhere.
//
// Nothing here throws: a text that cannot be read gives a Parsed holding the message, one
// line that starts with the name the caller gave the value ("--h: ...").
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "cuplo/limits.hpp"
#include "cuplo/sweep.hpp"

namespace cuplo {

// What a value measures, and so which units it may carry.
enum class Dimension : std::uint8_t {
  length,     // in, mil, mm, um, nm; bare: the caller's length unit (inches by default)
  frequency,  // GHz (bare), MHz, kHz, Hz
  impedance,  // ohm (bare)
  decibel,    // dB (bare)
  plain,      // no unit
};

// The range a value must lie in.
enum class Bound : std::uint8_t {
  positive,      // > 0
  non_negative,  // >= 0
  at_least_one,  // >= 1 (relative permittivity)
  nonzero,       // != 0 (coupling, either sign)
  strips,        // an even number from 2 to 12 (the closed-form models take 4 or 6)
};

// The units in which bare lengths may be read and every length written.
enum class LengthUnit : std::uint8_t { in, mil, mm, um };

inline constexpr std::array<LengthUnit, 4> kLengthUnits{LengthUnit::in, LengthUnit::mil,
                                                        LengthUnit::mm, LengthUnit::um};

// "in", "mil", "mm" or "um".
[[nodiscard]] const char* name(LengthUnit unit) noexcept;
// How many of the unit make one inch: 1, 1000, 25.4, 25400.
[[nodiscard]] double per_inch(LengthUnit unit) noexcept;
// The unit of that name, matched without regard to case; nothing for any other text.
[[nodiscard]] std::optional<LengthUnit> length_unit(std::string_view text) noexcept;

// What a typed value is: what it measures, its range, and the plausibility bound its bare
// form is held to (none for values such as impedances whose bare form is never a slip).
struct ValueKind {
  Dimension dimension = Dimension::plain;
  Bound bound = Bound::positive;
  std::optional<Plausible> plausible;
};

inline constexpr std::int64_t kMaxSweepPoints = 10'000'000;

// One value, or the points start + k*step, k = 0 .. last (sweep_value).
struct Sweep {
  float start = 0.0f;
  float stop = 0.0f;
  float step = 0.0f;
  std::int32_t last = 0;  // index of the last point
  bool swept = false;     // typed as START:STOP:STEP

  std::int64_t points() const noexcept { return std::int64_t{last} + 1; }
  float at(std::int64_t k) const noexcept { return swept ? sweep_value(start, k, step) : start; }
  static Sweep single(float value) noexcept { return {value, value, 0.0f, 0, false}; }
};

namespace detail {
[[noreturn]] void bad_parsed_access(const std::string& message) noexcept;
}  // namespace detail

// The value read, or the message saying why there is none.
template <class T>
class [[nodiscard]] Parsed {
 public:
  Parsed(T value) noexcept(std::is_nothrow_move_constructible_v<T>) : value_(std::move(value)) {}
  static Parsed refused(std::string message) {
    Parsed p{T{}};
    p.message_ = message.empty() ? std::string("refused") : std::move(message);
    return p;
  }

  bool ok() const noexcept { return message_.empty(); }
  explicit operator bool() const noexcept { return ok(); }
  // The value; reading it from a refusal ends the program, saying so.
  const T& value() const noexcept {
    if (!ok()) detail::bad_parsed_access(message_);
    return value_;
  }
  const T& operator*() const noexcept { return value(); }
  const T* operator->() const noexcept { return &value(); }
  // Empty when the text was read.
  const std::string& message() const noexcept { return message_; }

 private:
  T value_;
  std::string message_;
};

// What a value outside the bound is, for a message: "is not positive".
[[nodiscard]] const char* describe(Bound bound) noexcept;

// True when v is finite and within the bound.
[[nodiscard]] bool within(Bound bound, float v) noexcept;

// A text quoted for a message: control characters shown as '?', long texts shortened.
[[nodiscard]] std::string quoted(std::string_view text);

// A number with an optional unit, in the library's units: converted in double precision and
// rounded once to float, so that 0.0381mm, 1.5mil and 0.0015 give the same float. A bare
// length is in bare_length; a bare value above its plausibility bound is refused with the
// message naming the probable slip and how to write the value if it was meant.
Parsed<float> parse_value(std::string_view name, std::string_view text, const ValueKind& kind,
                          LengthUnit bare_length = LengthUnit::in);
// The same with a bare number read in the named unit of its dimension ("mil", "MHz"; an
// unknown name reads it in inches or GHz), and not held to the plausibility bound: a face
// that shows the unit beside the field has no bare slips to catch.
Parsed<float> parse_value(std::string_view name, std::string_view text, const ValueKind& kind,
                          std::string_view bare_unit);
// The units a face offers for a dimension, in their order: in, mil, mm, um; GHz, MHz, kHz,
// Hz; ohm; dB (nm and "ohms" are read but not offered).
[[nodiscard]] std::vector<std::string_view> unit_names(Dimension dimension);
// The unit typed after the number of a text, as the units' table names it ("mm"), or nothing
// (none typed, or the text cannot be read).
[[nodiscard]] std::optional<std::string_view> typed_unit(std::string_view text,
                                                         Dimension dimension) noexcept;

// A value, or START:STOP:STEP when sweeps are allowed (each part may carry its unit, and
// START and STOP are held to the plausibility bound when bare). The step must be nonzero and
// go from START towards STOP; every point satisfies the bound; at most kMaxSweepPoints points.
Parsed<Sweep> parse_sweep(std::string_view name, std::string_view text, const ValueKind& kind,
                          LengthUnit bare_length, bool sweep_allowed);

// The most characters write_length writes.
inline constexpr std::size_t kMaxLengthText = 24;

// A length in inches as text in unit. In inches: the shortest text that reads back to the
// same float. In another unit: the shortest decimal that parse_value reads back, with that
// unit, to the same float in inches (the decimal divided by per_inch(unit) in double
// precision, rounded once to float), so that a length written in mm and typed back in mm is
// the very value computed, and so rounds to the console's decimals as the console's does.
// "nan", "inf" and "-inf" for the values that are not finite. Returns the end of the text.
char* write_length(char* out, float inches, LengthUnit unit) noexcept;

}  // namespace cuplo
