// Typed values read into the library's units, and lengths written in a person's unit.
#include "cuplo/units.hpp"

#include "text/charconv.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <vector>

namespace cuplo {
namespace {

struct Unit {
  Dimension dimension;
  std::string_view name;  // matched without regard to case
  double per_unit;        // how many make one library unit: the number is divided by it
};

// Divisors rather than factors: 1 mil is 1/1000 inch exactly as typed, 1 mm 1/25.4 inch,
// 1 MHz 1/1000 GHz. One division in double, one rounding to float.
constexpr std::array<Unit, 12> kUnits{{
    {Dimension::length, "in", 1.0},
    {Dimension::length, "mil", 1000.0},
    {Dimension::length, "mm", 25.4},
    {Dimension::length, "um", 25400.0},
    {Dimension::length, "nm", 25.4e6},
    {Dimension::frequency, "GHz", 1.0},
    {Dimension::frequency, "MHz", 1.0e3},
    {Dimension::frequency, "kHz", 1.0e6},
    {Dimension::frequency, "Hz", 1.0e9},
    {Dimension::impedance, "ohm", 1.0},
    {Dimension::impedance, "ohms", 1.0},
    {Dimension::decibel, "dB", 1.0},
}};

// A bare value above its plausibility bound: the units it was more likely meant in, in the
// order they are offered, and how its own unit is called when it was meant after all.
struct Slip {
  std::string_view unit;
  std::string_view called;
  std::array<std::string_view, 3> instead;
};

constexpr std::array<Slip, 5> kSlips{{
    {"in", "inches", {"mm", "mil", "um"}},
    {"mil", "mils", {"um", "nm", {}}},
    {"mm", "mm", {"mil", "um", {}}},
    {"um", "um", {"nm", {}, {}}},
    {"GHz", "GHz", {"MHz", "kHz", "Hz"}},
}};

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool same_letters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const Unit* find_unit(Dimension dimension, std::string_view name) {
  for (const Unit& u : kUnits) {
    if (u.dimension == dimension && same_letters(u.name, name)) return &u;
  }
  return nullptr;
}

std::string shown(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c == 0x7f ? '?' : text[i];
  }
  if (text.size() > kShown) out += "...";
  return out;
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

const char* describe(Bound bound) noexcept {
  switch (bound) {
    case Bound::positive:
      return "is not positive";
    case Bound::non_negative:
      return "is negative";
    case Bound::at_least_one:
      return "is below 1";
    case Bound::nonzero:
      return "is zero";
    case Bound::strips:
      return "is not an even number from 2 to 12";
  }
  return "is out of range";
}

namespace {

// The unit of a bare value of this dimension: its name (empty: none) and divisor.
Unit bare_unit(Dimension dimension, LengthUnit bare_length) {
  if (dimension == Dimension::length) {
    return {dimension, name(bare_length), per_inch(bare_length)};
  }
  if (dimension == Dimension::frequency) return {dimension, "GHz", 1.0};
  return {dimension, {}, 1.0};
}

// The number in library units (double division, one rounding to float), or nothing when it
// lies beyond the float range or would vanish in it.
std::optional<float> to_float(double number, double per_unit) {
  const double value = number / per_unit;
  constexpr auto kMax = static_cast<double>(std::numeric_limits<float>::max());
  constexpr auto kMin = static_cast<double>(std::numeric_limits<float>::denorm_min());
  if (!std::isfinite(value) || std::fabs(value) > kMax ||
      (value != 0.0 && std::fabs(value) < kMin)) {
    return std::nullopt;
  }
  return static_cast<float>(value);
}

// The message for a bare number above its plausibility bound: the slip it probably is, and
// how to write it if it was meant.
std::string implausible(std::string_view name, std::string_view number, const Unit& unit,
                        const PlausibleSpec& bound, std::string_view where) {
  std::string out = std::string(name) + ": " + shown(number) + " " + std::string(unit.name);
  if (!where.empty()) out += " in " + quoted(where);
  out += " ";
  out += bound.beyond;
  std::string_view called = unit.name;
  std::string_view instead;
  for (const Slip& slip : kSlips) {
    if (slip.unit != unit.name) continue;
    called = slip.called;
    double typed = 0.0;
    text::from_chars(number.data(), number.data() + number.size(), typed);
    for (const std::string_view other : slip.instead) {
      if (other.empty()) break;
      const std::optional<float> v = to_float(typed, find_unit(unit.dimension, other)->per_unit);
      if (v && *v <= bound.high) {
        instead = other;
        break;
      }
    }
  }
  const std::string n = shown(number);
  if (instead.empty()) {
    return out + "; if it is meant, write " + n + std::string(unit.name);
  }
  return out + "; for " + n + " " + std::string(instead) + " write " + n + std::string(instead) +
         ", for " + std::string(called) + " " + n + std::string(unit.name);
}

// Reads the values of one text for one name.
class Reader {
 public:
  Reader(std::string_view name, std::string_view whole, const ValueKind& kind, const Unit& bare)
      : name_(name), whole_(whole), kind_(kind), bare_(bare) {}

  // The unit typed after the number, as the table names it, or nothing.
  static std::optional<std::string_view> typed(std::string_view text, Dimension dimension) {
    text = trimmed(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    double number = 0.0;
    const auto [end, ec] = text::from_chars(text.data(), text.data() + text.size(), number);
    if (end == text.data()) return std::nullopt;
    const std::string_view unit_text =
        trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
    const Unit* u = unit_text.empty() ? nullptr : find_unit(dimension, unit_text);
    if (u == nullptr) return std::nullopt;
    return u->name;
  }

  // One part, in library units, without the bound; in_sweep: a part of a sweep (the message
  // quotes the whole), plausible: held to the bare value's bound.
  std::optional<float> number(std::string_view part, bool in_sweep, bool plausible) {
    std::string_view text = trimmed(part);
    // A leading '+' is accepted as a sign; from_chars takes only '-'.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    double number = 0.0;
    const auto [end, ec] = text::from_chars(text.data(), text.data() + text.size(), number);
    if (end == text.data()) return refuse(quoted(whole_) + " is not a number");
    const std::string_view digits = text.substr(0, static_cast<std::size_t>(end - text.data()));
    const std::string_view unit_text = trimmed(text.substr(digits.size()));
    if (ec == std::errc::result_out_of_range || !std::isfinite(number)) {
      return refuse(quoted(whole_) + " is out of range");
    }
    Unit unit = bare_;
    if (!unit_text.empty()) {
      const Unit* u = find_unit(kind_.dimension, unit_text);
      if (u == nullptr) {
        return refuse("unknown unit " + quoted(unit_text) + " in " + quoted(whole_));
      }
      unit = *u;
    }
    const std::optional<float> value = to_float(number, unit.per_unit);
    if (!value) return refuse(quoted(whole_) + " is out of range");
    if (plausible && unit_text.empty() && kind_.plausible && *value > spec(*kind_.plausible).high) {
      message_ = implausible(name_, digits, unit, spec(*kind_.plausible),
                             in_sweep ? whole_ : std::string_view{});
      return std::nullopt;
    }
    return value;
  }

  std::nullopt_t refuse(const std::string& why) {
    message_ = std::string(name_) + ": " + why;
    return std::nullopt;
  }

  const std::string& message() const { return message_; }

 private:
  std::string_view name_;
  std::string_view whole_;
  ValueKind kind_;
  Unit bare_;
  std::string message_;
};

}  // namespace

namespace detail {

void bad_parsed_access(const std::string& message) noexcept {
  std::fputs("cuplo: the value of a refused text was read (", stderr);
  std::fputs(message.c_str(), stderr);
  std::fputs(")\n", stderr);
  std::abort();
}

}  // namespace detail

const char* name(LengthUnit unit) noexcept {
  switch (unit) {
    case LengthUnit::in:
      return "in";
    case LengthUnit::mil:
      return "mil";
    case LengthUnit::mm:
      return "mm";
    case LengthUnit::um:
      return "um";
  }
  return "in";
}

double per_inch(LengthUnit unit) noexcept {
  return find_unit(Dimension::length, name(unit))->per_unit;
}

std::optional<LengthUnit> length_unit(std::string_view text) noexcept {
  for (const LengthUnit unit : kLengthUnits) {
    if (same_letters(name(unit), text)) return unit;
  }
  return std::nullopt;
}

bool within(Bound bound, float v) noexcept {
  if (!std::isfinite(v)) return false;
  switch (bound) {
    case Bound::positive:
      return v > 0.0f;
    case Bound::non_negative:
      return v >= 0.0f;
    case Bound::at_least_one:
      return v >= 1.0f;
    case Bound::nonzero:
      return v != 0.0f;
    case Bound::strips:
      // A count of strips: the coupler's two groups are alternate strips, so N is even.
      return v >= 2.0f && v <= 12.0f && std::fmod(v, 2.0f) == 0.0f;
  }
  return false;
}

std::string quoted(std::string_view text) {
  return '"' + shown(text) + '"';
}

namespace {

Parsed<float> read_one(std::string_view name, std::string_view text, const ValueKind& kind,
                       const Unit& bare) {
  Reader reader(name, text, kind, bare);
  const std::optional<float> value = reader.number(text, false, true);
  if (!value) return Parsed<float>::refused(reader.message());
  if (!within(kind.bound, *value)) {
    return Parsed<float>::refused(std::string(name) + ": " + shown(trimmed(text)) + " " +
                                  describe(kind.bound));
  }
  return *value;
}

}  // namespace

Parsed<float> parse_value(std::string_view name, std::string_view text, const ValueKind& kind,
                          LengthUnit bare_length) {
  return read_one(name, text, kind, bare_unit(kind.dimension, bare_length));
}

Parsed<float> parse_value(std::string_view name, std::string_view text, const ValueKind& kind,
                          std::string_view bare) {
  const Unit* unit = find_unit(kind.dimension, bare);
  ValueKind shown_unit = kind;
  shown_unit.plausible.reset();
  return read_one(name, text, shown_unit,
                  unit != nullptr ? *unit : bare_unit(kind.dimension, LengthUnit::in));
}

std::vector<std::string_view> unit_names(Dimension dimension) {
  std::vector<std::string_view> names;
  for (const Unit& u : kUnits) {
    if (u.dimension == dimension && u.name != "nm" && u.name != "ohms") names.push_back(u.name);
  }
  return names;
}

std::optional<std::string_view> typed_unit(std::string_view text, Dimension dimension) noexcept {
  return Reader::typed(text, dimension);
}

Parsed<Sweep> parse_sweep(std::string_view name, std::string_view text, const ValueKind& kind,
                          LengthUnit bare_length, bool sweep_allowed) {
  const std::string prefix = std::string(name) + ": ";
  const auto refused = [&](const std::string& why) { return Parsed<Sweep>::refused(prefix + why); };
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) {
    const Parsed<float> one = parse_value(name, text, kind, bare_length);
    if (!one) return Parsed<Sweep>::refused(one.message());
    return Sweep::single(*one);
  }
  if (!sweep_allowed) return refused("takes one value, not the sweep " + quoted(text));
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
    return refused(quoted(text) + " is not START:STOP:STEP");
  }
  const std::string_view parts[3] = {
      text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
  Reader reader(name, text, kind, bare_unit(kind.dimension, bare_length));
  std::optional<float> read[3];
  for (std::size_t i = 0; i < 3; ++i) {
    // START and STOP are values of the design; the step is a difference of two.
    read[i] = reader.number(parts[i], true, i < 2);
    if (!read[i]) return Parsed<Sweep>::refused(reader.message());
  }
  Sweep sweep;
  sweep.swept = true;
  sweep.start = *read[0];
  sweep.stop = *read[1];
  sweep.step = *read[2];
  for (std::size_t i = 0; i < 2; ++i) {
    if (!within(kind.bound, i == 0 ? sweep.start : sweep.stop)) {
      return refused(shown(trimmed(parts[i])) + " in " + quoted(text) + " " + describe(kind.bound));
    }
  }
  const bool towards =
      sweep.stop == sweep.start || (sweep.stop > sweep.start) == (sweep.step > 0.0f);
  if (sweep.step == 0.0f) return refused("the step of " + quoted(text) + " is zero");
  // The console's count: the integer part of (stop - start)/step + 0.0001, in float.
  const std::int32_t last = sweep_last_index(sweep.start, sweep.stop, sweep.step);
  if (!towards || last < 0) {
    return refused("the step of " + quoted(text) + " does not go from START towards STOP");
  }
  if (std::int64_t{last} + 1 > kMaxSweepPoints) {
    return refused(quoted(text) + " has more than " + std::to_string(kMaxSweepPoints) + " points");
  }
  sweep.last = last;
  // The points are monotonic in k (k*step, then start + k*step, each rounded once), so for
  // the bounds that are intervals the last point is the only other that can leave it (a
  // step that overshoots a stop near zero). "4 or 6" and "not zero" are not intervals: every
  // point is tested, which stops at the first one outside.
  const bool interval = kind.bound == Bound::positive || kind.bound == Bound::non_negative ||
                        kind.bound == Bound::at_least_one;
  for (std::int64_t k = interval ? last : 1; k <= last; ++k) {
    if (!within(kind.bound, sweep.at(k))) {
      return refused("point " + std::to_string(k) + " of " + quoted(text) + " " +
                     describe(kind.bound));
    }
  }
  return sweep;
}

char* write_length(char* out, float inches, LengthUnit unit) noexcept {
  char* const last = out + kMaxLengthText;
  if (std::isnan(inches)) return std::copy_n("nan", 3, out);
  if (std::isinf(inches))
    return inches > 0 ? std::copy_n("inf", 3, out) : std::copy_n("-inf", 4, out);
  if (unit == LengthUnit::in) return text::to_chars(out, last, inches).ptr;
  // The fewest significant digits whose decimal reads back, through the reader's own
  // arithmetic, to this float; 17 digits always do (they give back the double itself).
  const double per = per_inch(unit);
  const double scaled = static_cast<double>(inches) * per;
  double decimal = scaled;
  for (int digits = 1; digits <= 17; ++digits) {
    char text[32];
    const char* end =
        text::to_chars(text, text + sizeof text, scaled, std::chars_format::scientific, digits - 1)
            .ptr;
    double back = 0.0;
    text::from_chars(text, end, back);
    if (static_cast<float>(back / per) == inches) {
      decimal = back;
      break;
    }
  }
  // The shortest text of that double: the decimal found, in the form to_chars chooses.
  return text::to_chars(out, last, decimal).ptr;
}

}  // namespace cuplo
