// Fixed-format record layouts: the notation in which every menu, prompt, message, banner and
// report line of the program is written, parsed once into a flat list of items.
//
// Notation: a parenthesised, comma-separated list of items
//   'text' or "text"   literal (a doubled delimiter stands for itself)
//   nHc...             Hollerith literal: the n characters after H
//   nX                 n blanks
//   Fw.d  Iw  Aw       a real, integer or text value in a field of w characters
//   /                  end of the current record (//, /// end that many)
//   n(...)  n(item)    the group repeated n times
// Blanks and tabs between items mean nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cuplo::text {

// One item after parsing. Repeat groups are expanded and adjacent literals and blanks are
// merged when the layout is parsed, so rendering a record is a single pass over these.
struct Item {
  enum class Kind : std::uint8_t { literal, real, integer, chars, slash };
  Kind kind;
  std::int32_t width = 0;     // Fw.d, Iw, Aw
  std::int32_t decimals = 0;  // Fw.d
  std::uint32_t offset = 0;   // literal: its characters in Format::literals()
  std::uint32_t length = 0;
};

// A parsed layout. Construction throws std::invalid_argument on a malformed specification;
// layouts are written once as constants, so a fault shows at the first start of any test.
class Format {
 public:
  explicit Format(std::string_view spec);

  std::span<const Item> items() const { return items_; }
  std::string_view literal(const Item& item) const {
    return std::string_view(literals_).substr(item.offset, item.length);
  }
  // The number of values one use of the layout transfers.
  std::size_t value_count() const { return value_count_; }

 private:
  std::string literals_;
  std::vector<Item> items_;
  std::size_t value_count_ = 0;
};

// One value handed to a layout's F, I or A item. Doubles are refused at compile time:
// every real the program prints is a 32-bit float.
class Arg {
 public:
  enum class Kind : std::uint8_t { real, integer, chars };
  Arg(float v) : kind_(Kind::real), real_(v) {}               // NOLINT(google-explicit-constructor)
  Arg(std::int32_t v) : kind_(Kind::integer), integer_(v) {}  // NOLINT(google-explicit-constructor)
  Arg(std::string_view v) : kind_(Kind::chars), chars_(v) {}  // NOLINT(google-explicit-constructor)
  Arg(const std::string& v) : Arg(std::string_view(v)) {}     // NOLINT(google-explicit-constructor)
  Arg(const char* v) : Arg(std::string_view(v)) {}            // NOLINT(google-explicit-constructor)
  Arg(double) = delete;

  Kind kind() const { return kind_; }
  float real() const { return real_; }
  std::int32_t integer() const { return integer_; }
  std::string_view chars() const { return chars_; }

 private:
  Kind kind_;
  float real_ = 0.0f;
  std::int32_t integer_ = 0;
  std::string_view chars_;
};

}  // namespace cuplo::text
