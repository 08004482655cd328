#include "text/charconv.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <version>

namespace cuplo::text {
namespace portable {
namespace {

std::to_chars_result put(char* first, char* last, std::string_view text) {
  if (std::cmp_greater(text.size(), last - first)) return {last, std::errc::value_too_large};
  std::memcpy(first, text.data(), text.size());
  return {first + text.size(), std::errc()};
}

// printf of one value at a precision ("%.*f" or "%.*e").
std::string printed(const char* format, int precision, double value) {
  const int n = std::snprintf(nullptr, 0, format, precision, value);
  if (n < 0) return {};
  std::string out(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, precision, value);
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// The words the standard writes for values that are not numbers, or nullptr.
const char* word(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  return nullptr;
}

// A positive decimal: significant digits d1 d2 ... dn, worth d1.d2...dn x 10^exponent.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

std::string scientific_text(const Decimal& d) {
  std::string out(1, d.digits[0]);
  if (d.digits.size() > 1) {
    out += '.';
    out.append(d.digits, 1);
  }
  out += d.exponent < 0 ? "e-" : "e+";
  const int magnitude = d.exponent < 0 ? -d.exponent : d.exponent;
  if (magnitude < 10) out += '0';
  out += std::to_string(magnitude);
  return out;
}

// strtof or strtod: the nearest value of the type to a decimal text.
template <class T>
T read_text(const char* text) {
  if constexpr (std::is_same_v<T, float>) {
    return std::strtof(text, nullptr);
  } else {
    return std::strtod(text, nullptr);
  }
}

template <class T>
bool reads_back(const Decimal& d, T value) {
  return read_text<T>(scientific_text(d).c_str()) == value;
}

// The neighbour of d one unit in its last digit away, up or down, with as many digits.
Decimal neighbour(Decimal d, bool up) {
  std::string& s = d.digits;
  if (up) {
    std::size_t i = s.size();
    while (i > 0 && s[i - 1] == '9') s[--i] = '0';
    if (i == 0) {
      s.insert(s.begin(), '1');  // 99..9 + 1: one more decade
      s.pop_back();
      ++d.exponent;
    } else {
      ++s[i - 1];
    }
    return d;
  }
  if (s[0] == '1' && s.find_first_not_of('0', 1) == std::string::npos) {
    s.assign(s.size(), '9');  // below a power of ten the digits are a decade finer
    --d.exponent;
    return d;
  }
  std::size_t i = s.size();
  while (s[i - 1] == '0') s[--i] = '9';
  --s[i - 1];
  return d;
}

Decimal without_trailing_zeros(Decimal d) {
  const std::size_t last = d.digits.find_last_not_of('0');
  d.digits.resize(last == std::string::npos ? 1 : last + 1);
  return d;
}

// The shortest decimal that reads back to a positive finite float (double); among those of
// that length, the nearest. For each length the nearest decimal comes from printf; where the
// value's rounding interval is narrower on that side (at a power of two), the nearest
// decimal on the other side may read back while it does not.
template <class T>
Decimal shortest(T value) {
  // Nine significant digits tell any two floats apart, seventeen any two doubles.
  constexpr int kLastPrecision = std::is_same_v<T, float> ? 8 : 16;
  for (int precision = 0;; ++precision) {
    const std::string text = printed("%.*e", precision, static_cast<double>(value));
    const std::size_t e = text.find('e');
    Decimal nearest;
    for (std::size_t i = 0; i < e; ++i) {
      if (text[i] != '.') nearest.digits += text[i];
    }
    nearest.exponent = std::atoi(text.c_str() + e + 1);
    if (precision == kLastPrecision || reads_back(nearest, value)) {
      return without_trailing_zeros(nearest);
    }
    const bool above = std::strtod(text.c_str(), nullptr) > static_cast<double>(value);
    const Decimal other = neighbour(nearest, !above);
    if (reads_back(other, value)) return without_trailing_zeros(other);
  }
}

// The shortest decimal in fixed notation. A value whose shortest digits make an integer is
// written with its exact integer digits, as the standard libraries do.
template <class T>
std::string fixed_text(const Decimal& d, T value) {
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent >= n - 1) return printed("%.*f", 0, static_cast<double>(value));
  if (d.exponent >= 0) {
    const auto point = static_cast<std::size_t>(d.exponent) + 1;
    return d.digits.substr(0, point) + '.' + d.digits.substr(point);
  }
  return "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
}

template <class T>
std::string shortest_text(T value, bool fixed, bool scientific) {
  if (const char* w = word(static_cast<double>(value))) return w;
  const std::string sign = std::signbit(value) ? "-" : "";
  const T magnitude = std::fabs(value);
  if (magnitude == T{0}) return sign + (fixed || !scientific ? "0" : "0e+00");
  const Decimal d = shortest(magnitude);
  if (!fixed) return sign + scientific_text(d);
  std::string f = fixed_text(d, magnitude);
  if (!scientific) return sign + f;
  std::string s = scientific_text(d);
  return sign + (f.size() <= s.size() ? f : s);
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The length of a case-insensitive word at the start of [p, last), or 0.
std::size_t starts_with(const char* p, const char* last, std::string_view word) {
  if (std::cmp_less(last - p, word.size())) return 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = p[i] >= 'A' && p[i] <= 'Z' ? static_cast<char>(p[i] + 32) : p[i];
    if (c != word[i]) return 0;
  }
  return word.size();
}

}  // namespace

std::to_chars_result to_chars(char* first, char* last, float value) {
  return put(first, last, shortest_text(value, true, true));
}

std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format) {
  if (format != std::chars_format::fixed && format != std::chars_format::scientific) {
    return {last, std::errc::invalid_argument};
  }
  return put(first, last,
             shortest_text(value, format == std::chars_format::fixed,
                           format == std::chars_format::scientific));
}

std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision) {
  if (const char* w = word(value)) return put(first, last, w);
  if (format == std::chars_format::fixed)
    return put(first, last, printed("%.*f", precision, value));
  if (format == std::chars_format::scientific) {
    return put(first, last, printed("%.*e", precision, value));
  }
  return {last, std::errc::invalid_argument};
}

namespace {

template <class T>
std::from_chars_result read_number(const char* first, const char* last, T& value) {
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;
  if (const std::size_t n = starts_with(p, last, "inf")) {
    p += n;
    p += starts_with(p, last, "inity");
    value = negative ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
    return {p, std::errc()};
  }
  if (const std::size_t n = starts_with(p, last, "nan")) {
    p += n;
    if (p != last && *p == '(') {
      const char* q = p + 1;
      while (q != last &&
             (is_digit(*q) || *q == '_' || (*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) {
        ++q;
      }
      if (q != last && *q == ')') p = q + 1;
    }
    value = negative ? -std::numeric_limits<T>::quiet_NaN() : std::numeric_limits<T>::quiet_NaN();
    return {p, std::errc()};
  }
  std::size_t digits = 0;
  bool nonzero = false;
  const auto digit_run = [&] {
    for (; p != last && is_digit(*p); ++p, ++digits) nonzero = nonzero || *p != '0';
  };
  digit_run();
  if (p != last && *p == '.') {
    ++p;
    digit_run();
  }
  if (digits == 0) return {first, std::errc::invalid_argument};
  if (p != last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q != last && (*q == '+' || *q == '-')) ++q;
    if (q != last && is_digit(*q)) {
      while (q != last && is_digit(*q)) ++q;
      p = q;
    }
  }
  const std::string text(first, p);
  const T read = read_text<T>(text.c_str());
  if (std::isinf(read) || (read == T{0} && nonzero)) return {p, std::errc::result_out_of_range};
  value = read;
  return {p, std::errc()};
}

}  // namespace

std::to_chars_result to_chars(char* first, char* last, double value) {
  return put(first, last, shortest_text(value, true, true));
}

std::from_chars_result from_chars(const char* first, const char* last, float& value) {
  return read_number(first, last, value);
}

std::from_chars_result from_chars(const char* first, const char* last, double& value) {
  return read_number(first, last, value);
}

}  // namespace portable

#if defined(__cpp_lib_to_chars)

std::to_chars_result to_chars(char* first, char* last, double value) {
  return std::to_chars(first, last, value);
}
std::from_chars_result from_chars(const char* first, const char* last, double& value) {
  return std::from_chars(first, last, value);
}

std::to_chars_result to_chars(char* first, char* last, float value) {
  return std::to_chars(first, last, value);
}
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format) {
  return std::to_chars(first, last, value, format);
}
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format,
                              int precision) {
  return std::to_chars(first, last, value, format, precision);
}
std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision) {
  return std::to_chars(first, last, value, format, precision);
}
std::from_chars_result from_chars(const char* first, const char* last, float& value) {
  return std::from_chars(first, last, value);
}

#else

std::to_chars_result to_chars(char* first, char* last, double value) {
  return portable::to_chars(first, last, value);
}
std::from_chars_result from_chars(const char* first, const char* last, double& value) {
  return portable::from_chars(first, last, value);
}

std::to_chars_result to_chars(char* first, char* last, float value) {
  return portable::to_chars(first, last, value);
}
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format) {
  return portable::to_chars(first, last, value, format);
}
std::to_chars_result to_chars(char* first, char* last, float value, std::chars_format format,
                              int precision) {
  return portable::to_chars(first, last, static_cast<double>(value), format, precision);
}
std::to_chars_result to_chars(char* first, char* last, double value, std::chars_format format,
                              int precision) {
  return portable::to_chars(first, last, value, format, precision);
}
std::from_chars_result from_chars(const char* first, const char* last, float& value) {
  return portable::from_chars(first, last, value);
}

#endif

}  // namespace cuplo::text
