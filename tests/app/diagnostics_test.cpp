// The accuracy-limit diagnostics: each limit at and just past its boundary, values that are
// not numbers, and the numbering of several failures.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "app/operations.hpp"

namespace cuplo::app {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kFnorm25 = 3.9370079f;  // (f x 0.25) x 25.4 is exactly 25.0 in single precision

float above(float x) {
  return std::nextafter(x, 1000.0f);
}
float below(float x) {
  return std::nextafter(x, -1000.0f);
}

// A synthesis inside every limit: F X H = 6.35 GHz-mm, W/H 2, S/H 1, S = 4 T, Co -3 dB,
// Zo 50 ohms.
struct Values {
  float f = 1.0f, h = 0.25f, er = 9.8f, w = 0.5f, s = 0.25f, t = 0.0625f, ko = -3.0f;
  float zo = 50.0f;
  input::Function ifunc = input::Function::synthesis;
};

struct Printed {
  std::string console;
  std::string storage;
  std::int32_t i = 0;
};

Printed diagnose(const Values& v, bool storing = true) {
  Session session;
  Work work;
  input::DesignState& d = session.state;
  d.h = v.h;
  d.er = v.er;
  d.t = v.t;
  d.ifunc = v.ifunc;
  work.w = v.w;
  work.s = v.s;
  work.coupler.ko = v.ko;
  work.coupler.zo = v.zo;
  std::ostringstream console_text;
  std::ostringstream storage_text;
  text::Writer console(console_text, "console");
  text::Writer storage(storage_text, "storage");
  Output out(console, storing ? &storage : nullptr);
  const std::int32_t lines = diagnostics(session, work, out, v.f);
  return {console_text.str(), storage_text.str(), lines};
}

// Each limit at and just past its boundary; a value that is not a number never passes. The
// lines after the heading, without their 20 leading blanks; console and storage alike, and
// the number of them returned.
TEST(Diagnostics, Limits) {
  struct Row {
    Values v;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {{}, {}},
      {{.f = kFnorm25}, {}},
      {{.f = above(kFnorm25)}, {"1. F X H =   0.98 GHz-In. (Strong Dispersion)"}},
      {{.f = 10.0f, .h = 0.1f, .w = 0.1f, .s = 0.1f, .t = 0.0f},
       {"1. F X H =   1.00 GHz-In. (Strong Dispersion)"}},
      {{.er = 20.0f}, {}},
      {{.er = 20.01f}, {"1. Er = 20.010"}},
      {{.w = 0.75f}, {}},
      {{.w = above(0.75f)}, {"1. W/H =  3.00"}},
      {{.w = 0.0001f}, {}},
      {{.w = below(0.0001f)}, {"1. W =0.000100\""}},
      {{.s = 2.0f}, {}},
      {{.s = above(2.0f)}, {"1. S/H =  8.00"}},
      {{.s = 0.00001f, .t = 0.0f}, {}},
      {{.s = below(0.00001f), .t = 0.0f}, {"1. S =0.0000100\""}},
      {{.t = 0.125f}, {}},
      {{.t = above(0.125f)}, {"1. S = 2.000*T."}},
      {{.s = 0.001f, .t = 0.001f}, {"1. S = 1.000*T."}},
      {{.s = 0.001f, .t = 0.0f}, {}},
      {{.s = 0.0f, .t = 0.0f}, {"1. S =0.0000000\""}},  // S/T not tested, though not a number
      {{.ko = -12.0f}, {}},
      {{.ko = -1.5f}, {}},
      {{.ko = -1.4f}, {"1. Co =  -1.40 dB"}},
      {{.ko = -12.5f}, {"1. Co = -12.50 dB"}},
      {{.zo = 20.0f}, {}},
      {{.zo = 100.0f}, {}},
      {{.zo = 19.99f}, {"1. Zo =  19.99 Ohms"}},
      {{.zo = 100.01f}, {"1. Zo = 100.01 Ohms"}},
      {{.f = kNaN}, {"1. F X H =    NaN GHz-In. (Strong Dispersion)"}},
      {{.w = kNaN}, {"1. W/H =   NaN", "2. W =     NaN\""}},
      {{.t = kNaN}, {"1. S =   NaN*T."}},
      // Coupling and impedance are tested for the synthesis only.
      {{.ko = -20.0f, .zo = 5.0f, .ifunc = input::Function::analysis}, {}},
      {{.ko = -20.0f, .zo = 5.0f}, {"1. Co = -20.00 dB", "2. Zo =   5.00 Ohms"}},
      // Numbered over the failed limits only.
      {{.er = 25.0f, .s = 2.5f}, {"1. Er = 25.000", "2. S/H = 10.00"}},
      {{.f = 10000000.0f,
        .h = 0.000001f,
        .er = 25.0f,
        .w = 0.00005f,
        .s = 0.000009f,
        .t = 0.00001f,
        .ko = -20.0f,
        .zo = 5.0f},
       {"1. F X H =  10.00 GHz-In. (Strong Dispersion)", "2. Er = 25.000", "3. W/H = 50.00",
        "4. W =0.000050\"", "5. S/H =  9.00", "6. S =0.0000090\"", "7. S = 0.900*T.",
        "8. Co = -20.00 dB", "9. Zo =   5.00 Ohms"}},
  };
  for (const Row& row : rows) {
    const Printed printed = diagnose(row.v);
    std::string expected;
    for (const std::string& line : row.lines) expected += std::string(20, ' ') + line + "\r\n";
    const std::size_t body = printed.console.find("by:\r\n");
    ASSERT_NE(body, std::string::npos);
    const std::string what = row.lines.empty() ? "passing row" : row.lines.front();
    EXPECT_EQ(printed.console.substr(body + 5), expected) << what;
    EXPECT_EQ(printed.storage, printed.console) << what;
    EXPECT_EQ(printed.i, static_cast<std::int32_t>(row.lines.size())) << what;
  }
}

}  // namespace
}  // namespace cuplo::app
