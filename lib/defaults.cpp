// The console's defaults file: its 28 records read with the console's own field readers and
// checked record by record, and written back in the same layout.
#include "cuplo/defaults.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "models/numeric.hpp"
#include "text/charconv.hpp"
#include "text/reader.hpp"

namespace cuplo {
namespace {

constexpr std::size_t kNameLength = 20;

std::string padded(std::string_view name) {
  std::string text(name.substr(0, std::min(name.size(), kNameLength)));
  text.resize(kNameLength, ' ');
  return text;
}

// A numeric record: its entry name, the test that makes its value faulty (given the values
// read before it), and its member.
struct NumericRecord {
  const char* entry;
  bool (*faulty)(const Defaults& read, float v);
  float Defaults::*member;  // null for N, an integer
};

bool negative(const Defaults&, float v) {
  return v < 0.0f;
}
bool not_positive(const Defaults&, float v) {
  return v <= 0.0f;
}

// The records 2 to 27 in file order.
constexpr std::array<NumericRecord, 26> kRecords{{
    {"DLTAN.", negative, &Defaults::dltan},
    {"Er.", [](const Defaults&, float v) { return v < 1.0f; }, &Defaults::er},
    {"F.", negative, &Defaults::f},
    {"Fmax.", negative, &Defaults::fmax},
    {"Fmin.", [](const Defaults& d, float v) { return v < 0.0f || v > d.fmax; }, &Defaults::fmin},
    {"Fstep.", not_positive, &Defaults::fstep},
    {"H.", not_positive, &Defaults::h},
    // The sign of the coupling is ignored: the file holds its magnitude in dB.
    {"Co.", [](const Defaults&, float v) { return std::fabs(v) < 1.0f; }, &Defaults::co},
    {"L.", not_positive, &Defaults::l},
    {"N.",
     [](const Defaults&, float v) {
       const std::int32_t n = models::nint(v);
       return n != 4 && n != 6;
     },
     nullptr},
    {"RES.", negative, &Defaults::res},
    {"SR.", negative, &Defaults::sr},
    {"Rl.", not_positive, &Defaults::rl},
    {"Rs.", not_positive, &Defaults::rs},
    {"S.", not_positive, &Defaults::s},
    {"Smax.", not_positive, &Defaults::smax},
    {"Smin.", [](const Defaults& d, float v) { return v <= 0.0f || v > d.smax; }, &Defaults::smin},
    {"Sstep.", not_positive, &Defaults::sstep},
    {"T.", negative, &Defaults::t},
    {"W.", not_positive, &Defaults::w},
    {"Wmax.", not_positive, &Defaults::wmax},
    {"Wmin.", [](const Defaults& d, float v) { return v <= 0.0f || v > d.wmax; }, &Defaults::wmin},
    {"Wstep.", not_positive, &Defaults::wstep},
    {"Zo.", not_positive, &Defaults::zo},
    {"Zoe.", not_positive, &Defaults::zoe},
    {"Zoo.", [](const Defaults& d, float v) { return v <= 0.0f || v >= d.zoe; }, &Defaults::zoo},
}};

// A number as text of at most 13 characters, the field the reader takes, that reads back to
// the same float: the shortest form ("0.0015"), or else its significant digits as an integer
// with an exponent ("123456789e-46": at most 13 characters for any positive float). Only a
// negative number with nine significant digits and a two-digit negative exponent needs
// fewer digits than it has; no sound defaults file holds one. The reader takes a magnitude
// beyond the float range as infinity: 1e39 stands for it.
std::string field_text(float v) {
  if (std::isinf(v)) return v > 0.0f ? "1e39" : "-1e39";
  char text[32];
  const auto shortest = text::to_chars(text, text + sizeof text, v);
  if (shortest.ptr - text <= static_cast<std::ptrdiff_t>(text::kRealField)) {
    return {text, shortest.ptr};
  }
  for (int digits = 9; digits >= 1; --digits) {
    const auto e =
        text::to_chars(text, text + sizeof text, v, std::chars_format::scientific, digits - 1);
    // "d.ddddddddde-xx" to "ddddddddde-(xx + digits - 1)".
    const std::string sci(text, e.ptr);
    const std::size_t at = sci.find('e');
    std::string mantissa = sci.substr(0, at);
    mantissa.erase(std::remove(mantissa.begin(), mantissa.end(), '.'), mantissa.end());
    const int exponent = std::stoi(sci.substr(at + 1)) - (digits - 1);
    const std::string compact = mantissa + "e" + std::to_string(exponent);
    if (compact.size() <= text::kRealField) return compact;
  }
  return "0";
}

DefaultsFile fault(DefaultsFault::Kind kind, const char* entry) {
  DefaultsFile f;
  f.fault = {kind, entry};
  return f;
}

}  // namespace

bool is_program_file(std::string_view name20) noexcept {
  // The defaults file itself is protected too: writing a report over it would make every
  // later run fail. A name is one of them when it is that name followed by blanks only.
  const std::string_view name = name20.substr(0, std::min(name20.size(), kNameLength));
  for (const std::string_view own : {"Cuplo.DEF", "Cuplo.EXE", "CuploDEMO.DEF"}) {
    if (name.substr(0, own.size()) == own &&
        name.find_first_not_of(' ', own.size()) == std::string_view::npos) {
      return true;
    }
  }
  return false;
}

DefaultsFile read_defaults(std::istream& file) {
  using Kind = DefaultsFault::Kind;
  std::string line;
  DefaultsFile out;
  Defaults& d = out.values;
  if (!text::read_line(file, line)) return fault(Kind::missing, "1st line.");
  d.title = line;
  for (const NumericRecord& record : kRecords) {
    if (!text::read_line(file, line)) return fault(Kind::missing, record.entry);
    const std::optional<float> value = text::parse_real(line);
    if (!value || record.faulty(d, *value)) return fault(Kind::faulty, record.entry);
    if (record.member == nullptr) {
      d.n = models::nint(*value);
    } else if (record.member == &Defaults::co) {
      d.co = std::fabs(*value);
    } else {
      d.*record.member = *value;
    }
  }
  if (!text::read_line(file, line)) return fault(Kind::missing, "FN.");
  d.fn = text::parse_text(line);
  if (d.fn == std::string(kNameLength, ' ') || is_program_file(d.fn)) {
    return fault(Kind::faulty, "FN.");
  }
  return out;
}

std::string write_defaults(const Defaults& d) {
  std::string out = d.title + "\r\n";
  for (const NumericRecord& record : kRecords) {
    std::string field =
        field_text(record.member == nullptr ? static_cast<float>(d.n) : d.*record.member);
    field.resize(std::max<std::size_t>(field.size() + 1, text::kRealField), ' ');
    std::string_view entry = record.entry;
    entry.remove_suffix(1);  // the trailing full stop of the entry's name
    out += field + std::string(entry) + "\r\n";
  }
  out += padded(d.fn) + "\r\n";
  return out;
}

}  // namespace cuplo
