#include "calc/quantity.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace cuplo::calc {
namespace {

struct Unit {
  Dimension dimension;
  std::string_view name;  // matched without regard to case
  double per_unit;        // how many make one library unit: the number is divided by it
};

// Divisors rather than factors: 1 mil is 1/1000 inch exactly as typed, 1 mm 1/25.4 inch,
// 1 MHz 1/1000 GHz. One division in double, one rounding to float.
constexpr std::array<Unit, 11> kUnits{{
    {Dimension::length, "in", 1.0},
    {Dimension::length, "mil", 1000.0},
    {Dimension::length, "mm", 25.4},
    {Dimension::length, "um", 25400.0},
    {Dimension::frequency, "GHz", 1.0},
    {Dimension::frequency, "MHz", 1.0e3},
    {Dimension::frequency, "kHz", 1.0e6},
    {Dimension::frequency, "Hz", 1.0e9},
    {Dimension::impedance, "ohm", 1.0},
    {Dimension::impedance, "ohms", 1.0},
    {Dimension::decibel, "dB", 1.0},
}};

std::string shown(std::string_view text) {
  constexpr std::size_t kShown = 60;
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    out += c < 0x20 || c == 0x7f ? '?' : text[i];
  }
  if (text.size() > kShown) out += "...";
  return out;
}

bool same_letters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

[[noreturn]] void refuse(std::string_view option, const std::string& why) {
  throw UsageError(std::string(option) + ": " + why);
}

// The number and unit of one part, in library units, without the bound.
float read_number(std::string_view option, std::string_view whole, std::string_view part,
                  Dimension dimension) {
  std::string_view text = trimmed(part);
  // A leading '+' is accepted as a sign; from_chars takes only '-'.
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
  double number = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::general);
  if (end == text.data()) refuse(option, in_quotes(whole) + " is not a number");
  const std::string_view unit = trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
  if (ec == std::errc::result_out_of_range || !std::isfinite(number)) {
    refuse(option, in_quotes(whole) + " is out of range");
  }
  double per_unit = 1.0;
  if (!unit.empty()) {
    bool known = false;
    for (const Unit& u : kUnits) {
      if (u.dimension == dimension && same_letters(u.name, unit)) {
        per_unit = u.per_unit;
        known = true;
        break;
      }
    }
    if (!known) refuse(option, "unknown unit " + in_quotes(unit) + " in " + in_quotes(whole));
  }
  const double value = number / per_unit;
  // Round once to float; a magnitude beyond the float range, or a nonzero one that would
  // vanish in it, is refused rather than turned into infinity or zero.
  constexpr auto kMax = static_cast<double>(std::numeric_limits<float>::max());
  constexpr auto kMin = static_cast<double>(std::numeric_limits<float>::denorm_min());
  if (std::fabs(value) > kMax || (value != 0.0 && std::fabs(value) < kMin)) {
    refuse(option, in_quotes(whole) + " is out of range");
  }
  return static_cast<float>(value);
}

}  // namespace

const char* bound_text(Bound bound) {
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
      return "is not 4 or 6";
  }
  return "is out of range";
}

bool within(Bound bound, float v) {
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
      return v == 4.0f || v == 6.0f;
  }
  return false;
}

std::string in_quotes(std::string_view text) {
  return '"' + shown(text) + '"';
}

float parse_value(std::string_view option, std::string_view text, Dimension dimension,
                  Bound bound) {
  const float value = read_number(option, text, text, dimension);
  if (!within(bound, value)) refuse(option, shown(trimmed(text)) + " " + bound_text(bound));
  return value;
}

Sweep parse_sweep(std::string_view option, std::string_view text, Dimension dimension, Bound bound,
                  bool sweep_allowed) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos)
    return Sweep::single(parse_value(option, text, dimension, bound));
  if (!sweep_allowed) refuse(option, "takes one value, not the sweep " + in_quotes(text));
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
    refuse(option, in_quotes(text) + " is not START:STOP:STEP");
  }
  Sweep sweep;
  sweep.swept = true;
  const std::string_view parts[3] = {
      text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
  sweep.start = read_number(option, text, parts[0], dimension);
  sweep.stop = read_number(option, text, parts[1], dimension);
  sweep.step = read_number(option, text, parts[2], dimension);
  for (std::size_t i = 0; i < 2; ++i) {
    if (!within(bound, i == 0 ? sweep.start : sweep.stop)) {
      refuse(option, shown(trimmed(parts[i])) + " in " + in_quotes(text) + " " + bound_text(bound));
    }
  }
  const bool towards =
      sweep.stop == sweep.start || (sweep.stop > sweep.start) == (sweep.step > 0.0f);
  if (sweep.step == 0.0f) refuse(option, "the step of " + in_quotes(text) + " is zero");
  // The console's count: the integer part of (stop - start)/step + 0.0001, in float.
  const std::int32_t last = sweep_last_index(sweep.start, sweep.stop, sweep.step);
  if (!towards || last < 0) {
    refuse(option, "the step of " + in_quotes(text) + " does not go from START towards STOP");
  }
  if (std::int64_t{last} + 1 > kMaxSweepPoints) {
    refuse(option,
           in_quotes(text) + " has more than " + std::to_string(kMaxSweepPoints) + " points");
  }
  sweep.last = last;
  // The points are monotonic in k (k*step, then start + k*step, each rounded once), so for
  // the bounds that are intervals the last point is the only other that can leave it (a
  // step that overshoots a stop near zero). "4 or 6" and "not zero" are not intervals: every
  // point is tested, which stops at the first one outside.
  const bool interval =
      bound == Bound::positive || bound == Bound::non_negative || bound == Bound::at_least_one;
  for (std::int64_t k = interval ? last : 1; k <= last; ++k) {
    const float point = sweep.at(k);
    if (!within(bound, point)) {
      refuse(option,
             "point " + std::to_string(k) + " of " + in_quotes(text) + " " + bound_text(bound));
    }
  }
  return sweep;
}

}  // namespace cuplo::calc
