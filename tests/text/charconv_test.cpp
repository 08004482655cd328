// The portable float conversions, which the WebAssembly build uses, against the standard
// library's own: the same characters and the same values, or the page's files would differ
// from the command-line tool's.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "text/charconv.hpp"

namespace cuplo::text {
namespace {

float from_bits(std::uint32_t bits) {
  float v = 0.0f;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Floats that try every branch: powers of two (an asymmetric rounding interval) and their
// neighbours, powers of ten, integers past 2^24 (written with their exact digits), the
// smallest and largest values, decimal ties, and a spread over all bit patterns.
std::vector<float> hard_floats() {
  std::vector<float> out{0.0f, -0.0f, 1.0f, 0.1f, 1e20f, 123456792.0f, 16777216.0f, 1e-45f,
                         3.4028235e38f, 0.0015f, 9.5f, -2.5f, 1e-4f, 1e-3f, 1e6f, 1e7f};
  for (int e = -149; e <= 127; ++e) {
    const float p = std::ldexp(1.0f, e);
    out.insert(out.end(), {p, std::nextafter(p, 0.0f), std::nextafter(p, 1e38f)});
  }
  for (int e = -44; e <= 38; ++e) {
    const auto p = static_cast<float>(std::pow(10.0, e));
    out.insert(out.end(), {p, std::nextafter(p, 0.0f), std::nextafter(p, 1e38f)});
  }
  for (std::uint64_t bits = 0; bits < (std::uint64_t{1} << 32); bits += 65537) {
    const float v = from_bits(static_cast<std::uint32_t>(bits));
    if (!std::isnan(v)) out.push_back(v);
  }
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    const float v = from_bits(static_cast<std::uint32_t>(random()));
    if (!std::isnan(v)) out.push_back(v);
  }
  return out;
}

std::string text_of(std::to_chars_result r, const char* first) {
  return r.ec == std::errc() ? std::string(first, static_cast<const char*>(r.ptr)) : "error";
}

TEST(PortableCharconv, WritesEveryFloatAsTheStandardLibraryDoes) {
  int differences = 0;
  for (const float v : hard_floats()) {
    char a[64];
    char b[64];
    const std::string plain = text_of(std::to_chars(a, a + 64, v), a);
    const std::string fixed = text_of(std::to_chars(a, a + 64, v, std::chars_format::fixed), a);
    const std::string sci =
        text_of(std::to_chars(a, a + 64, v, std::chars_format::scientific), a);
    differences += plain != text_of(portable::to_chars(b, b + 64, v), b);
    differences += fixed != text_of(portable::to_chars(b, b + 64, v, std::chars_format::fixed), b);
    differences +=
        sci != text_of(portable::to_chars(b, b + 64, v, std::chars_format::scientific), b);
    if (differences > 0) {
      ADD_FAILURE() << "first difference at " << plain;
      break;
    }
  }
}

TEST(PortableCharconv, WritesAtAPrecisionAsTheStandardLibraryDoes) {
  // Exact ties (round to even), a value whose exact digits run to 149 places, the largest
  // double, and negative zero.
  const struct {
    double value;
    int precision;
  } cases[] = {{0.125, 2},  {0.375, 2},      {2.5, 0},   {3.5, 0},  {-2.5, 0},
               {1e-45, 149}, {1.7976931348623157e308, 3}, {-0.0, 4}, {1e22, 0}, {0.1, 30}};
  for (const auto& c : cases) {
    for (const auto format : {std::chars_format::fixed, std::chars_format::scientific}) {
      std::vector<char> a(1200);
      std::vector<char> b(1200);
      const char* first_a = a.data();
      const char* first_b = b.data();
      EXPECT_EQ(text_of(std::to_chars(a.data(), a.data() + a.size(), c.value, format, c.precision),
                        first_a),
                text_of(portable::to_chars(b.data(), b.data() + b.size(), c.value, format,
                                           c.precision),
                        first_b))
          << c.value << " at " << c.precision;
    }
  }
}

TEST(PortableCharconv, RefusesABufferTooSmall) {
  char out[4];
  EXPECT_EQ(portable::to_chars(out, out + 4, 123456.0f).ec, std::errc::value_too_large);
  EXPECT_EQ(portable::to_chars(out, out + 4, 0.5, std::chars_format::fixed, 6).ec,
            std::errc::value_too_large);
}

TEST(PortableCharconv, ReadsAsTheStandardLibraryDoes) {
  // Where the number ends, the error, and the value: a trailing unit or a bare exponent
  // letter stops it; inf, infinity and nan in any case; what leaves the float range.
  const char* texts[] = {"1e",     "1e+",      ".5",       "5.",       "-.5",   "-",
                         "+1",     "inf",      "-INF",     "infinity", "infx",  "nan",
                         "nan(x)", "nan(",     "1e-50",    "1e39",     "-1e39", "0e999",
                         "1e-45",  "7e-46",    "0x10",     "00012",    "1.5mm", "e5",
                         ".",      "1..2",     "3.4028235e38",         "3.40282357e38",
                         "0.0015", "123456792"};
  for (const char* t : texts) {
    const char* last = t + std::strlen(t);
    float a = -7.0f;
    float b = -7.0f;
    const std::from_chars_result r = std::from_chars(t, last, a);
    const std::from_chars_result s = portable::from_chars(t, last, b);
    EXPECT_EQ(r.ptr - t, s.ptr - t) << t;
    EXPECT_EQ(r.ec, s.ec) << t;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << t;
  }
}

}  // namespace
}  // namespace cuplo::text
