// Reading typed answers and defaults-file records: (F13.0) and (A20).
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace cuplo::text {

inline constexpr std::size_t kRealField = 13;  // (F13.0)
inline constexpr std::size_t kTextField = 20;  // (A20)

// (F13.0): the first 13 characters, blanks ignored anywhere, an all-blank field reads as 0.
// Accepted: optional sign, digits with an optional decimal point (at least one digit),
// optional exponent E, D, e or d with an optionally signed integer. Anything else gives
// nullopt. A magnitude beyond the float range reads as plus or minus infinity.
std::optional<float> parse_real(std::string_view line);

// (A20): the first 20 characters, padded on the right with blanks.
std::string parse_text(std::string_view line, std::size_t width = kTextField);

// Reads one line (LF-terminated; a CR just before the LF is not part of it). Returns false
// at the end of input with nothing read.
bool read_line(std::istream& in, std::string& line);

// The console's answer reader: every failure ends the run through FatalError. Answers are
// counted from 1, one a line, so that a fault can name the answer the user typed.
class Reader {
 public:
  Reader(std::istream& in, std::string unit) : in_(&in), unit_(std::move(unit)) {}

  // "Bad value during read", reported as: answer 3 is not a number: "abc"; or "End of file".
  float real();
  std::string text();  // "End of file"

 private:
  std::string next();

  std::istream* in_;
  std::string unit_;
  std::string line_;
  std::size_t answers_ = 0;  // lines read so far
};

}  // namespace cuplo::text
