// The page's float functions against the host C library's, which cuplo-calc calls: a value
// that differs in its last bit would make the page's Touchstone file differ from the tool's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "web/compat/float_math.hpp"

namespace {

namespace m = cuplo::web::math;

// Each function over the arguments the models give it and beyond: the branches of the
// argument reduction (|x| below 2^-12, pi/4, 120 and above for sine and cosine; 0.4375 to 2^25
// for the arctangent; 0.5 ln 2 to 89 for the hyperbolic functions), log-spaced for log10.
struct Range {
  const char* name;
  float (*page)(float);
  float (*host)(float);
  float low;
  float high;
  bool logarithmic;
};

float host_log10(float x) { return std::log10(x); }
float host_cosh(float x) { return std::cosh(x); }
float host_tanh(float x) { return std::tanh(x); }
float host_atan(float x) { return std::atan(x); }
float host_sin(float x) { return std::sin(x); }
float host_cos(float x) { return std::cos(x); }

const Range kRanges[] = {
    {"log10", m::log10f, host_log10, 1e-40f, 1e38f, true},
    {"cosh", m::coshf, host_cosh, -95.0f, 95.0f, false},
    {"tanh", m::tanhf, host_tanh, -30.0f, 30.0f, false},
    {"tanh near 0", m::tanhf, host_tanh, -0.6f, 0.6f, false},
    {"atan", m::atanf, host_atan, -3.0f, 3.0f, false},
    {"atan wide", m::atanf, host_atan, -1e9f, 1e9f, false},
    {"sin", m::sinf, host_sin, -130.0f, 130.0f, false},
    {"cos", m::cosf, host_cos, -130.0f, 130.0f, false},
    {"sin near 0", m::sinf, host_sin, -1.0f, 1.0f, false},
    {"cos large", m::cosf, host_cos, -1e7f, 1e7f, false},
};

TEST(PageFloatMath, EveryBitAsTheHostLibrary) {
  std::mt19937 random(11);
  for (const Range& r : kRanges) {
    int differences = 0;
    for (int i = 0; i < 300000 && differences == 0; ++i) {
      const float u = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
      const float x = r.logarithmic ? std::exp(std::log(r.low) + u * (std::log(r.high) - std::log(r.low)))
                                    : r.low + u * (r.high - r.low);
      const float a = r.page(x);
      const float b = r.host(x);
      if (std::memcmp(&a, &b, sizeof a) != 0) {
        ++differences;
        ADD_FAILURE() << r.name << "(" << x << "): " << a << " against " << b;
      }
    }
  }
}

TEST(PageFloatMath, SineAndCosineTogetherAsApart) {
  std::mt19937 random(12);
  for (int i = 0; i < 100000; ++i) {
    const float x = std::uniform_real_distribution<float>(-300.0f, 300.0f)(random);
    float s = 0.0f;
    float c = 0.0f;
    m::sincosf(x, &s, &c);
    ASSERT_EQ(s, host_sin(x)) << x;
    ASSERT_EQ(c, host_cos(x)) << x;
  }
}

TEST(PageFloatMath, SpecialValues) {
  const float inf = INFINITY;
  EXPECT_EQ(m::log10f(0.0f), -inf);
  EXPECT_TRUE(std::isnan(m::log10f(-1.0f)));
  EXPECT_EQ(m::coshf(inf), inf);
  EXPECT_EQ(m::tanhf(-inf), -1.0f);
  EXPECT_EQ(m::atanf(inf), host_atan(inf));
  EXPECT_TRUE(std::isnan(m::sinf(inf)));
  EXPECT_TRUE(std::isnan(m::cosf(NAN)));
}

}  // namespace
