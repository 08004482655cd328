// Reading typed answers and defaults-file records with (F13.0) and (A20).
#include "text/reader.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <limits>
#include <string>
#include <system_error>

#include "text/charconv.hpp"
#include "text/fatal.hpp"

namespace cuplo::text {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The field without its blanks, checked against the accepted form
//   [sign] (digits [. [digits]] | . digits) [(E|e|D|d) [sign] digits]
// and rewritten for from_chars: no leading '+', exponent letter 'e'. Also keeps the decimal
// position of the leading significant digit and the typed exponent, which tell an overflow
// from an underflow when the conversion leaves the float range.
struct Cleaned {
  std::array<char, kRealField> text{};
  std::size_t length = 0;
  bool negative = false;
  bool all_zero = true;
  // Decimal exponent of the leading significant digit, before the typed exponent.
  long lead = 0;
  long exponent = 0;
};

// False when the field is not of the accepted form.
bool clean(std::string_view field, Cleaned& c) {
  std::array<char, kRealField> raw{};
  std::size_t n = 0;
  for (const char ch : field) {
    if (ch != ' ') raw[n++] = ch;
  }
  std::size_t i = 0;
  if (i < n && (raw[i] == '+' || raw[i] == '-')) {
    c.negative = raw[i] == '-';
    if (c.negative) c.text[c.length++] = '-';
    ++i;
  }
  std::size_t mantissa_digits = 0;
  long integer_digits = 0;  // significant integer digits (after leading zeros)
  long leading_fraction_zeros = 0;
  while (i < n && is_digit(raw[i])) {
    if (raw[i] != '0' || !c.all_zero) {
      c.all_zero = false;
      ++integer_digits;
    }
    c.text[c.length++] = raw[i++];
    ++mantissa_digits;
  }
  if (i < n && raw[i] == '.') {
    c.text[c.length++] = raw[i++];
    while (i < n && is_digit(raw[i])) {
      if (c.all_zero && integer_digits == 0) {
        if (raw[i] == '0') {
          ++leading_fraction_zeros;
        } else {
          c.all_zero = false;
        }
      }
      c.text[c.length++] = raw[i++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  if (i < n && (raw[i] == 'E' || raw[i] == 'e' || raw[i] == 'D' || raw[i] == 'd')) {
    c.text[c.length++] = 'e';
    ++i;
    bool exponent_negative = false;
    if (i < n && (raw[i] == '+' || raw[i] == '-')) {
      exponent_negative = raw[i] == '-';
      c.text[c.length++] = raw[i++];
    }
    std::size_t exponent_digits = 0;
    while (i < n && is_digit(raw[i])) {
      // 13 characters hold at most 12 exponent digits: a long cannot overflow.
      c.exponent = c.exponent * 10 + (raw[i] - '0');
      c.text[c.length++] = raw[i++];
      ++exponent_digits;
    }
    if (exponent_digits == 0) return false;
    if (exponent_negative) c.exponent = -c.exponent;
  }
  if (i != n) return false;
  c.lead = integer_digits > 0 ? integer_digits - 1 : -(leading_fraction_zeros + 1);
  return true;
}

}  // namespace

std::optional<float> parse_real(std::string_view line) {
  const std::string_view field = line.substr(0, std::min(line.size(), kRealField));
  Cleaned c;
  if (!clean(field, c)) {
    // Only an all-blank field may fail the form and still be a number: it reads as zero.
    for (const char ch : field) {
      if (ch != ' ') return std::nullopt;
    }
    return 0.0f;
  }
  float value = 0.0f;
  const char* const first = c.text.data();
  const auto [ptr, ec] = from_chars(first, first + c.length, value);
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value untouched when the correctly rounded result is zero or
    // infinite. The leading digit's decimal exponent tells which: a number of magnitude 1 or
    // more overflowed, a smaller one underflowed.
    const float magnitude =
        c.lead + c.exponent >= 0 ? std::numeric_limits<float>::infinity() : 0.0f;
    return c.negative ? -magnitude : magnitude;
  }
  if (ec != std::errc() || ptr != first + c.length) return std::nullopt;
  return value;
}

std::string parse_text(std::string_view line, std::size_t width) {
  std::string text(line.substr(0, std::min(line.size(), width)));
  text.resize(width, ' ');
  return text;
}

bool read_line(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) {
    line.clear();
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string Reader::next() {
  if (!read_line(*in_, line_)) throw FatalError("End of file", unit_);
  ++answers_;
  return line_;
}

float Reader::real() {
  const std::optional<float> value = parse_real(next());
  if (!value) {
    // The whole line as typed, not only the 13 columns read: that is what the user sees.
    throw FatalError("Bad value during read", unit_,
                     "answer " + std::to_string(answers_) + " is not a number: \"" + line_ + '"');
  }
  return *value;
}

std::string Reader::text() {
  return parse_text(next());
}

}  // namespace cuplo::text
