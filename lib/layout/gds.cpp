// GDSII stream format: big-endian records of a 2-byte length, a record type and a data type.
// Only the records one flat cell of boundaries, paths and texts needs.
#include <cmath>
#include <cstdint>
#include <string>

#include "cuplo/layout.hpp"
#include "lib/layout/units.hpp"

namespace cuplo::layout {
namespace {

// Record type and data type in one 16-bit word.
enum Record : std::uint16_t {
  kHeader = 0x0002,
  kBgnLib = 0x0102,
  kLibName = 0x0206,
  kUnits = 0x0305,
  kEndLib = 0x0400,
  kBgnStr = 0x0502,
  kStrName = 0x0606,
  kEndStr = 0x0700,
  kBoundary = 0x0800,
  kPath = 0x0900,
  kText = 0x0C00,
  kLayer = 0x0D02,
  kDataType = 0x0E02,
  kWidth = 0x0F03,
  kXy = 0x1003,
  kEndEl = 0x1100,
  kTextType = 0x1602,
  kString = 0x1906,
  kPathType = 0x2102,
};

constexpr std::int16_t kStreamVersion = 600;
constexpr std::int16_t kMetalLayer = 1;
constexpr std::int16_t kStrapLayer = 2;
constexpr std::int16_t kFlushEnds = 0;  // a path ends at its end points
// The longest name the format's strict form allows.
constexpr std::size_t kNameLength = 32;

class Stream {
 public:
  void record(Record type, std::size_t data_bytes) {
    word(static_cast<std::uint16_t>(4 + data_bytes));
    word(type);
  }
  void empty(Record type) { record(type, 0); }
  void int16(Record type, std::int16_t v) {
    record(type, 2);
    word(static_cast<std::uint16_t>(v));
  }
  void int32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    word(static_cast<std::uint16_t>(u >> 16));
    word(static_cast<std::uint16_t>(u & 0xFFFFu));
  }
  // An ASCII string, padded with a NUL to an even length.
  void text(Record type, const std::string& s) {
    const std::size_t padded = s.size() + s.size() % 2;
    record(type, padded);
    bytes_ += s;
    if (padded != s.size()) bytes_ += '\0';
  }
  void time(Record type, const Timestamp& t) {
    record(type, 24);
    for (int copy = 0; copy < 2; ++copy) {  // modification, then access time
      for (const std::int16_t v : {t.year, t.month, t.day, t.hour, t.minute, t.second}) {
        word(static_cast<std::uint16_t>(v));
      }
    }
  }
  void xy(std::initializer_list<Point> points) {
    record(kXy, 8 * points.size());
    for (const Point& p : points) {
      int32(p.x);
      int32(p.y);
    }
  }
  // An 8-byte real: sign bit, 7-bit exponent of 16 in excess 64, 56-bit fraction. The
  // fraction is the double's own 53-bit one shifted, so the conversion is exact.
  void real8(double v) {
    std::uint64_t bits = 0;
    if (v != 0.0 && std::isfinite(v)) {
      const bool negative = v < 0.0;
      int exp2 = 0;
      const double m = std::frexp(std::fabs(v), &exp2);  // |v| = m * 2^exp2, 0.5 <= m < 1
      // exp16 = ceil(exp2 / 4); the fraction m * 2^(exp2 - 4*exp16) lies in [1/16, 1).
      const int exp16 = exp2 > 0 ? (exp2 + 3) / 4 : -((-exp2) / 4);
      const auto fraction = static_cast<std::uint64_t>(std::ldexp(m, 56 + exp2 - 4 * exp16));
      bits = (std::uint64_t{negative} << 63) | (static_cast<std::uint64_t>(exp16 + 64) << 56) |
             fraction;
    }
    for (int shift = 48; shift >= 0; shift -= 16) {
      word(static_cast<std::uint16_t>((bits >> shift) & 0xFFFFu));
    }
  }
  std::string& bytes() { return bytes_; }

 private:
  void word(std::uint16_t w) {
    bytes_ += static_cast<char>(w >> 8);
    bytes_ += static_cast<char>(w & 0xFFu);
  }
  std::string bytes_;
};

// A cell name in the format's character set: letters, digits, '_', '?' and '$'.
std::string cell_name(const std::string& name) {
  std::string out;
  for (const char c : name.substr(0, kNameLength)) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                         (c >= '0' && c <= '9') || c == '_' || c == '?' || c == '$';
    out += allowed ? c : '_';
  }
  return out.empty() ? "COUPLER" : out;
}

}  // namespace

std::string gds_stream(const Drawing& d, const Timestamp& time) {
  Stream s;
  const std::string name = cell_name(d.name);
  s.int16(kHeader, kStreamVersion);
  s.time(kBgnLib, time);
  s.text(kLibName, name);
  s.record(kUnits, 16);
  s.real8(d.grid_nm * 1e-3);  // database unit in user units (micrometres)
  s.real8(d.grid_nm * 1e-9);  // database unit in metres
  s.time(kBgnStr, time);
  s.text(kStrName, name);
  for (const Piece& piece : d.copper) {
    const Box& b = piece.box;
    s.empty(kBoundary);
    s.int16(kLayer, kMetalLayer);
    s.int16(kDataType, 0);
    s.xy({b.lo, {b.hi.x, b.lo.y}, b.hi, {b.lo.x, b.hi.y}, b.lo});
    s.empty(kEndEl);
  }
  for (const Port& p : d.ports) {
    s.empty(kBoundary);
    s.int16(kLayer, kMetalLayer);
    s.int16(kDataType, 0);
    s.xy({p.pad.lo, {p.pad.hi.x, p.pad.lo.y}, p.pad.hi, {p.pad.lo.x, p.pad.hi.y}, p.pad.lo});
    s.empty(kEndEl);
  }
  for (const Strap& st : d.straps) {
    s.empty(kPath);
    s.int16(kLayer, kStrapLayer);
    s.int16(kDataType, 0);
    s.int16(kPathType, kFlushEnds);
    s.record(kWidth, 4);
    s.int32(d.strap_width);
    s.xy({st.from, st.to});
    s.empty(kEndEl);
  }
  for (const Port& p : d.ports) {
    s.empty(kText);
    s.int16(kLayer, kMetalLayer);
    s.int16(kTextType, 0);
    s.xy({p.centre});
    s.text(kString, std::string(1, p.number));
    s.empty(kEndEl);
  }
  s.empty(kEndStr);
  s.empty(kEndLib);
  return std::move(s.bytes());
}

}  // namespace cuplo::layout
