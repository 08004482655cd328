#include "cuplo/touchstone.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "text/charconv.hpp"

namespace cuplo {

char* shortest_float(char* out, float value) noexcept {
  if (std::isnan(value)) return std::copy_n("nan", 3, out);
  if (std::isinf(value)) {
    return value > 0 ? std::copy_n("inf", 3, out) : std::copy_n("-inf", 4, out);
  }
  return text::to_chars(out, out + 16, value).ptr;
}

const char* touchstone_name(TouchstonePairs pairs) noexcept {
  switch (pairs) {
    case TouchstonePairs::ma:
      return "MA";
    case TouchstonePairs::db:
      return "DB";
    case TouchstonePairs::ri:
      return "RI";
  }
  return "MA";
}

std::string touchstone_comments(std::span<const std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out += "! " + line + "\n";
  return out;
}

std::string touchstone_head(std::span<const std::string> comments, TouchstonePairs pairs,
                            float reference_ohm) {
  std::string head = touchstone_comments(comments);
  head += "# GHz S ";
  head += touchstone_name(pairs);
  head += " R ";
  char number[16];
  head.append(number, shortest_float(number, reference_ohm));
  head += '\n';
  return head;
}

std::array<float, 9> touchstone_numbers(const FourPort& r, TouchstonePairs pairs) noexcept {
  std::array<float, 9> out{};
  out[0] = r.f;
  for (std::size_t p = 0; p < 4; ++p) {
    const float x = r.wave[p].real();
    const float y = r.wave[p].imag();
    switch (pairs) {
      case TouchstonePairs::ma:
        out[2 * p + 1] = std::sqrt(x * x + y * y);
        out[2 * p + 2] = r.ang_deg[p];
        break;
      case TouchstonePairs::db:
        out[2 * p + 1] = r.mag_db[p];
        out[2 * p + 2] = r.ang_deg[p];
        break;
      case TouchstonePairs::ri:
        out[2 * p + 1] = x;
        out[2 * p + 2] = y;
        break;
    }
  }
  return out;
}

void append_touchstone_record(std::string& out, const std::array<float, 9>& numbers) {
  // The nine numbers, each written once into a 16-character slot (shortest_float writes at
  // most 16 characters).
  constexpr std::size_t kSlot = 16;
  std::array<char, 9 * kSlot> text{};
  std::array<std::size_t, 9> size{};
  for (std::size_t k = 0; k < 9; ++k) {
    char* const slot = &text[kSlot * k];
    size[k] = static_cast<std::size_t>(shortest_float(slot, numbers[k]) - slot);
  }
  // The record: the frequency, 16 pairs of numbers each led by a blank, line ends and
  // indents, and room for a whole slot copied at the end. Whole slots are copied and the
  // end moved by the number's length: a fixed-size copy is a few instructions.
  std::array<char, kSlot + 4 * 4 * 2 * (1 + kSlot) + 4 * 2 + kSlot> record;
  char* at = record.data();
  const auto put = [&](std::size_t k) {
    std::memcpy(at, &text[kSlot * k], kSlot);
    at += size[k];
  };
  put(0);
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) {
      *at++ = '\n';
      *at++ = ' ';
    }
    for (std::size_t j = 0; j < 4; ++j) {
      const std::size_t a = 1 + 2 * (i ^ j);
      *at++ = ' ';
      put(a);
      *at++ = ' ';
      put(a + 1);
    }
  }
  *at++ = '\n';
  out.append(record.data(), static_cast<std::size_t>(at - record.data()));
}

}  // namespace cuplo
