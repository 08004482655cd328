// Fuzz target: the answer reader, (F13.0) and (A20), on arbitrary bytes.
//
// Checked on every input:
//  - (F13.0) accepts exactly the fields of the form [sign] digits [. digits] [exponent] once
//    blanks are removed (or an all-blank field), judged by an independent recogniser;
//  - a value read is never NaN, carries the typed sign, and equals the correctly rounded
//    value of the typed number (strtof), an overflow reading as infinity and an underflow
//    as a zero or the same subnormal;
//  - an accepted field re-read, alone or without its blanks, gives the same value;
//  - (A20) always gives exactly the width asked for: the line's first characters, then blanks;
//  - the console reader splits a byte stream into the same lines as an independent splitter
//    and ends with "End of file"; a line it rejects is one that (F13.0) rejects.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "text/fatal.hpp"
#include "text/reader.hpp"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fputs(what, stderr);
  std::fputc('\n', stderr);
  std::abort();
}

void check(bool ok, const char* what) {
  if (!ok) fail(what);
}

bool digit(char c) {
  return c >= '0' && c <= '9';
}

// The accepted form, written independently of the reader.
bool well_formed(std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < n && digit(s[i])) ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && digit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    while (i < n && digit(s[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == n;
}

std::string without_blanks(std::string_view s) {
  std::string out;
  for (const char c : s) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

bool same_bits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void check_real(std::string_view line) {
  const std::string_view field = line.substr(0, std::min<std::size_t>(line.size(), 13));
  const std::string compact = without_blanks(field);
  const std::optional<float> value = cuplo::text::parse_real(line);

  if (compact.empty()) {
    check(value.has_value() && same_bits(*value, 0.0f), "blank field must read as +0");
    return;
  }
  check(value.has_value() == well_formed(compact), "acceptance differs from the form");
  if (!value) return;

  const float v = *value;
  check(!std::isnan(v), "a value read is NaN");
  check(std::signbit(v) == (compact[0] == '-'), "sign of the value differs from the typed sign");

  const std::optional<float> again = cuplo::text::parse_real(field);
  check(again.has_value() && same_bits(*again, v), "the 13-character field reads differently");
  const std::optional<float> compacted = cuplo::text::parse_real(compact);
  check(compacted.has_value() && same_bits(*compacted, v), "the field without blanks differs");

  // Reference value: the C library's correctly rounded conversion.
  std::string reference = compact;
  for (char& c : reference) {
    if (c == 'D' || c == 'd') c = 'e';
  }
  char* end = nullptr;
  const float expected = std::strtof(reference.c_str(), &end);
  check(end == reference.c_str() + reference.size(), "reference conversion stopped early");
  if (std::isinf(expected)) {
    check(same_bits(v, expected), "overflow must read as an infinity of the typed sign");
  } else if (expected == 0.0f || !std::isnormal(expected)) {
    check(v == 0.0f || same_bits(v, expected), "underflow must read as zero or the subnormal");
  } else {
    check(same_bits(v, expected), "value differs from the correctly rounded number");
  }
}

void check_text(std::string_view line) {
  for (const std::size_t width : {std::size_t{1}, std::size_t{11}, cuplo::text::kTextField}) {
    const std::string text = cuplo::text::parse_text(line, width);
    check(text.size() == width, "(A) text has the wrong length");
    const std::size_t kept = std::min(line.size(), width);
    check(text.compare(0, kept, line.substr(0, kept)) == 0, "(A) text lost characters");
    check(text.find_first_not_of(' ', kept) == std::string::npos, "(A) padding is not blank");
  }
}

// Lines as the console reader must see them: LF ends a line, a CR before it is dropped, a
// last line without LF counts when it is not empty.
std::vector<std::string> split_lines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    const std::size_t stop = lf == std::string_view::npos ? bytes.size() : lf;
    std::string line(bytes.substr(start, stop - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

void check_console(std::string_view bytes) {
  const std::vector<std::string> lines = split_lines(bytes);

  std::istringstream texts{std::string(bytes)};
  cuplo::text::Reader text_reader(texts, "unit 5");
  std::size_t count = 0;
  try {
    for (;;) {
      const std::string text = text_reader.text();
      check(count < lines.size(), "the reader found more lines than there are");
      check(text == cuplo::text::parse_text(lines[count]), "the reader's line differs");
      ++count;
    }
  } catch (const cuplo::text::FatalError& e) {
    check(e.fault() == "End of file", "text reads end only at the end of input");
  }
  check(count == lines.size(), "the reader lost lines");

  std::istringstream reals{std::string(bytes)};
  cuplo::text::Reader real_reader(reals, "unit 5");
  count = 0;
  try {
    for (;;) {
      const float v = real_reader.real();
      const std::optional<float> expected = cuplo::text::parse_real(lines.at(count));
      check(expected.has_value() && same_bits(*expected, v), "console value differs");
      ++count;
    }
  } catch (const cuplo::text::FatalError& e) {
    if (e.fault() == "End of file") {
      check(count == lines.size(), "end of file before the last line");
    } else {
      check(e.fault() == "Bad value during read", "unexpected fault");
      check(count < lines.size() && !cuplo::text::parse_real(lines[count]),
            "a readable line was rejected");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t lf = bytes.find('\n');
  const std::string_view first = bytes.substr(0, lf);
  check_real(first);
  check_text(first);
  check_console(bytes);
  return 0;
}
