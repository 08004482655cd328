// Rendering of fixed-format records: the F, I and A field rules, the CR LF record end, the
// non-advancing prompt and the checked write to a destination.
#include "text/render.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ios>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "text/charconv.hpp"
#include "text/fatal.hpp"

namespace cuplo::text {
namespace {

void fill_asterisks(std::string& out, std::int32_t width) {
  out.append(static_cast<std::size_t>(width), '*');
}

// NaN and the infinities: the word right-justified, asterisks when not even the short form fits.
void render_word(std::string& out, std::string_view word, std::int32_t width) {
  if (std::cmp_greater(word.size(), width)) {
    fill_asterisks(out, width);
    return;
  }
  out.append(static_cast<std::size_t>(width) - word.size(), ' ');
  out.append(word);
}

// A finite float's magnitude as m * 2^e with an integer significand m.
struct Binary {
  std::uint32_t mantissa;
  int exponent;
};

Binary binary(float value) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const std::uint32_t biased = (bits >> 23) & 0xFFu;
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  if (biased == 0) return {fraction, -149};  // subnormal
  return {fraction | 0x800000u, static_cast<int>(biased) - 150};
}

// The number of decimal fraction digits of a float's exact value. With m odd (or zero), an
// exponent e < 0 gives exactly -e fraction digits (at most 149, for the smallest subnormal).
int exact_fraction_digits(float value) {
  const Binary b = binary(value);
  if (b.mantissa == 0) return 0;
  const int exponent = b.exponent + std::countr_zero(b.mantissa);
  return exponent < 0 ? -exponent : 0;
}

// Largest exact text of a float magnitude: 39 integer digits, a point, 149 fraction digits,
// and one slot in front for the carry of rounding.
constexpr std::size_t kDigitBuffer = 1 + 39 + 1 + 149 + 2;

// Powers of ten that fit in 64 bits.
constexpr std::array<std::uint64_t, 20> kPowersOfTen = {1u,
                                                        10u,
                                                        100u,
                                                        1000u,
                                                        10000u,
                                                        100000u,
                                                        1000000u,
                                                        10000000u,
                                                        100000000u,
                                                        1000000000u,
                                                        10000000000u,
                                                        100000000000u,
                                                        1000000000000u,
                                                        10000000000000u,
                                                        100000000000000u,
                                                        1000000000000000u,
                                                        10000000000000000u,
                                                        100000000000000000u,
                                                        1000000000000000000u,
                                                        10000000000000000000u};

// Fraction lengths for which the 24-bit significand times 10^d fits in 64 bits.
constexpr std::int32_t kScaledDecimals = 12;

// The number of decimal digits of x; none for 0.
std::int32_t decimal_length(std::uint64_t x) {
  std::int32_t n = 0;
  while (n < 20 && x >= kPowersOfTen[static_cast<std::size_t>(n)]) ++n;
  return n;
}

// The magnitude of a finite float times 10^decimals, rounded to an integer with ties away
// from zero, computed exactly: a float is m * 2^e, so |value| * 10^d = (m * 10^d) / 2^-e,
// whose integer part is a shift and whose dropped fraction is one half or more exactly when
// the first dropped decimal digit is 5 or more. False when the result does not fit in 64 bits
// (more than 12 decimals, or a magnitude near 2^64 / 10^d); the caller then takes the long
// road through the full decimal text.
bool scaled_magnitude(float value, std::int32_t decimals, std::uint64_t& scaled) {
  if (decimals > kScaledDecimals) return false;
  const auto [mantissa, exponent] = binary(value);
  const std::uint64_t q =
      std::uint64_t{mantissa} * kPowersOfTen[static_cast<std::size_t>(decimals)];
  if (q == 0) {
    scaled = 0;
    return true;
  }
  if (exponent >= 0) {
    if (static_cast<int>(std::bit_width(q)) + exponent > 64) return false;
    scaled = q << exponent;
    return true;
  }
  const int shift = -exponent;
  if (shift > 64) {
    scaled = 0;  // q < 2^64 <= 2^(shift - 1): less than one half
  } else if (shift == 64) {
    scaled = q >> 63;  // one half or more rounds up to 1
  } else {
    scaled = q >> shift;
    const std::uint64_t dropped = q & ((std::uint64_t{1} << shift) - 1);
    if (dropped >= std::uint64_t{1} << (shift - 1)) ++scaled;
  }
  return true;
}

// Lays out a rounded magnitude in a field of width characters: its integer digits (the
// single digit 0 when the integer part is zero), then the fraction digits given and zeros
// more zeros. The leading 0 is dropped when only that makes the field fit; asterisks fill a
// field that even the short form overflows.
void place_real(std::string& out, std::int32_t width, bool negative, std::string_view integer,
                std::string_view fraction, std::int32_t zeros) {
  const bool zero_integer = integer == "0";
  const auto decimals = static_cast<std::int64_t>(fraction.size()) + zeros;
  // Text length with the integer digits, and without the optional leading 0.
  const std::int64_t full =
      (negative ? 1 : 0) + static_cast<std::int64_t>(integer.size()) + 1 + decimals;
  const std::int64_t shortest = zero_integer ? full - 1 : full;
  if (shortest > width) {
    fill_asterisks(out, width);
    return;
  }
  const bool with_zero = !zero_integer || full <= width;
  // The field is laid out in place: one append of blanks, then the text at its right end.
  const std::size_t start = out.size();
  out.append(static_cast<std::size_t>(width), ' ');
  char* p = out.data() + start + (width - (with_zero ? full : shortest));
  if (negative) *p++ = '-';
  if (with_zero) {
    for (const char c : integer) *p++ = c;
  }
  *p++ = '.';
  for (const char c : fraction) *p++ = c;
  for (std::int32_t k = 0; k < zeros; ++k) *p++ = '0';
}

// The long road, for magnitudes and fraction lengths beyond 64-bit scaling: the exact
// digits come from a fixed conversion at a precision no smaller than the float's own
// fraction length (the conversion then never rounds), and the first dropped digit decides.
void render_exact_text(std::string& out, float value, std::int32_t width, std::int32_t decimals,
                       bool negative) {
  std::array<char, kDigitBuffer> buffer{};
  char* first = buffer.data() + 1;
  const int exact = exact_fraction_digits(value);
  const double magnitude = std::fabs(static_cast<double>(value));
  const auto [last, ec] = text::to_chars(first, buffer.data() + buffer.size(), magnitude,
                                        std::chars_format::fixed, exact);
  (void)ec;  // the buffer holds the longest exact text of any float
  char* point = last;
  for (char* p = first; p != last; ++p) {
    if (*p == '.') {
      point = p;
      break;
    }
  }

  // Fraction digits taken from the exact text; the rest of the d digits are zeros.
  std::int32_t kept = exact;
  if (decimals < exact) {
    kept = decimals;
    char* const cut = point + 1 + decimals;
    if (*cut >= '5') {
      char* p = cut;
      bool carry = true;
      while (carry && p != first) {
        --p;
        if (*p == '.') continue;
        if (*p == '9') {
          *p = '0';
        } else {
          ++*p;
          carry = false;
        }
      }
      if (carry) *--first = '1';
    }
  }
  const char* const fraction = kept > 0 ? point + 1 : point;
  place_real(out, width, negative, std::string_view(first, static_cast<std::size_t>(point - first)),
             std::string_view(fraction, static_cast<std::size_t>(kept)), decimals - kept);
}

}  // namespace

// Fw.d. The magnitude is rounded to d fraction digits on its exact decimal expansion, ties
// away from zero: 5 or more in the first dropped digit rounds the magnitude up, a tie
// included. Library rounding (printf, to_chars at precision d) would round exact ties to even
// instead. Report fields take the short road: the magnitude scaled by 10^d and rounded as
// one 64-bit integer, whose digits are the field's digits.
void render_real(std::string& out, float value, std::int32_t width, std::int32_t decimals) {
  if (width <= 0) return;
  if (decimals < 0) decimals = 0;  // Format never produces this; a direct caller may.
  const bool negative = std::signbit(value);
  if (std::isnan(value)) {
    render_word(out, "NaN", width);
    return;
  }
  if (std::isinf(value)) {
    if (negative) {
      render_word(out, width >= 9 ? "-Infinity" : "-Inf", width);
    } else {
      render_word(out, width >= 8 ? "Infinity" : "Inf", width);
    }
    return;
  }

  std::uint64_t scaled = 0;
  if (!scaled_magnitude(value, decimals, scaled)) {
    render_exact_text(out, value, width, decimals, negative);
    return;
  }
  // The field is laid out in place, right to left: the d fraction digits of the scaled
  // magnitude, the point, its integer digits (0 when there are none), the sign.
  const std::int32_t length = decimal_length(scaled);
  const bool zero_integer = length <= decimals;
  const std::int64_t integer_digits = zero_integer ? 1 : length - decimals;
  // Text length with the integer digits, and without the optional leading 0.
  const std::int64_t full = (negative ? 1 : 0) + integer_digits + 1 + decimals;
  const std::int64_t shortest = zero_integer ? full - 1 : full;
  if (shortest > width) {
    fill_asterisks(out, width);
    return;
  }
  const bool with_zero = !zero_integer || full <= width;
  const std::size_t start = out.size();
  out.append(static_cast<std::size_t>(width), ' ');
  char* p = out.data() + start + width;
  for (std::int32_t k = 0; k < decimals; ++k) {
    *--p = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  }
  *--p = '.';
  if (with_zero) {
    do {
      *--p = static_cast<char>('0' + scaled % 10);
      scaled /= 10;
    } while (scaled != 0);
  }
  if (negative) *--p = '-';
}

void render_integer(std::string& out, std::int32_t value, std::int32_t width) {
  if (width <= 0) return;
  std::array<char, 12> buffer{};
  const auto [last, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  (void)ec;  // 11 characters hold any 32-bit integer
  const auto length = static_cast<std::int32_t>(last - buffer.data());
  if (length > width) {
    fill_asterisks(out, width);
    return;
  }
  out.append(static_cast<std::size_t>(width - length), ' ');
  out.append(buffer.data(), last);
}

void render_chars(std::string& out, std::string_view value, std::int32_t width) {
  if (width <= 0) return;
  const auto w = static_cast<std::size_t>(width);
  if (value.size() >= w) {
    out.append(value.substr(0, w));
    return;
  }
  out.append(w - value.size(), ' ');
  out.append(value);
}

void render(std::string& out, const Format& format, std::span<const Arg> args, Advance advance) {
  if (args.size() != format.value_count()) {
    throw std::logic_error("layout takes " + std::to_string(format.value_count()) +
                           " values, given " + std::to_string(args.size()));
  }
  const std::size_t start = out.size();
  std::size_t next = 0;
  const auto take = [&](Arg::Kind kind) -> const Arg& {
    const Arg& arg = args[next];
    if (arg.kind() != kind) {
      out.resize(start);  // a half-rendered statement is never left behind
      throw std::logic_error("value " + std::to_string(next + 1) + " has the wrong kind");
    }
    ++next;
    return arg;
  };
  for (const Item& item : format.items()) {
    switch (item.kind) {
      case Item::Kind::literal:
        out.append(format.literal(item));
        break;
      case Item::Kind::slash:
        out.append(kRecordEnd);
        break;
      case Item::Kind::real:
        render_real(out, take(Arg::Kind::real).real(), item.width, item.decimals);
        break;
      case Item::Kind::integer:
        render_integer(out, take(Arg::Kind::integer).integer(), item.width);
        break;
      case Item::Kind::chars:
        render_chars(out, take(Arg::Kind::chars).chars(), item.width);
        break;
    }
  }
  if (advance == Advance::yes) out.append(kRecordEnd);
}

namespace {

constexpr std::string_view kConsole = "console output";
constexpr std::string_view kWriteFailed = "Write failed";

// Sends the bytes to the stream and, when asked, pushes them to the device. A stream left in
// a failed state (a full disk, a closed pipe) ends the run: output must never be lost silently.
// A stream set to throw on failure is treated the same way.
void send(std::ostream& os, std::string_view bytes, bool flush, std::string_view name) {
  try {
    os.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (flush) os.flush();
  } catch (const std::ios_base::failure&) {
    throw FatalError(std::string(kWriteFailed), std::string(name));
  }
  if (!os) throw FatalError(std::string(kWriteFailed), std::string(name));
}

}  // namespace

void write(std::ostream& os, const Format& format, std::initializer_list<Arg> args) {
  std::string out;
  render(out, format, std::span<const Arg>(args.begin(), args.size()), Advance::yes);
  send(os, out, false, kConsole);
}

void prompt(std::ostream& os, const Format& format, std::initializer_list<Arg> args) {
  std::string out;
  render(out, format, std::span<const Arg>(args.begin(), args.size()), Advance::no);
  send(os, out, true, kConsole);
}

void Writer::put(const Format& format, std::initializer_list<Arg> args) {
  buffer_.clear();
  render(buffer_, format, std::span<const Arg>(args.begin(), args.size()), Advance::yes);
  emit();
}

void Writer::prompt(const Format& format, std::initializer_list<Arg> args) {
  buffer_.clear();
  render(buffer_, format, std::span<const Arg>(args.begin(), args.size()), Advance::no);
  emit();
  flush();
}

void Writer::put_bytes(std::string_view bytes) {
  send(*os_, bytes, false, name_);
}

void Writer::flush() {
  send(*os_, {}, true, name_);
}

void Writer::emit() {
  send(*os_, buffer_, false, name_);
}

}  // namespace cuplo::text
