#include "input/defaults.hpp"

#include <array>
#include <cmath>

#include "models/numeric.hpp"
#include "text/reader.hpp"

namespace cuplo::input {
namespace {

std::string padded(std::string_view name) {
  std::string text(name.substr(0, kNameLength));
  text.resize(kNameLength, ' ');
  return text;
}

// The values a record's rule may compare with: the stop values of the three ranges are
// loaded defaults without a working member of their own.
struct Loading {
  DesignState& d;
  float& fo;
  float fmax = 0.0f;
  float smax = 0.0f;
  float wmax = 0.0f;
};

// A numeric record: its entry name, the test that makes its value faulty, and where a
// sound value goes.
struct NumericRecord {
  const char* entry;
  bool (*faulty)(const Loading& l, float v);
  void (*store)(Loading& l, float v);
};

bool negative(const Loading&, float v) {
  return v < 0.0f;
}
bool not_positive(const Loading&, float v) {
  return v <= 0.0f;
}

// The records 2 to 27 in file order.
constexpr std::array<NumericRecord, 26> kRecords{{
    {"DLTAN.", negative, [](Loading& l, float v) { l.d.tlos = l.d.tlosdef = v; }},
    {"Er.", [](const Loading&, float v) { return v < 1.0f; },
     [](Loading& l, float v) { l.d.er = l.d.erdef = v; }},
    {"F.", negative, [](Loading& l, float v) { l.d.fdef = l.d.fdefdef = l.fo = v; }},
    {"Fmax.", negative, [](Loading& l, float v) { l.fmax = l.d.fmaxdef = v; }},
    {"Fmin.", [](const Loading& l, float v) { return v < 0.0f || v > l.fmax; },
     [](Loading& l, float v) { l.d.fmin = l.d.fmindef = v; }},
    {"Fstep.", not_positive, [](Loading& l, float v) { l.d.fstep = l.d.fstepdef = v; }},
    {"H.", not_positive, [](Loading& l, float v) { l.d.h = l.d.hdef = v; }},
    // The sign of the coupling is ignored: the file holds its magnitude in dB.
    {"Co.", [](const Loading&, float v) { return std::fabs(v) < 1.0f; },
     [](Loading& l, float v) { l.d.kodef = l.d.kodefdef = std::fabs(v); }},
    {"L.", not_positive, [](Loading& l, float v) { l.d.l = l.d.ldef = v; }},
    {"N.",
     [](const Loading&, float v) {
       const std::int32_t n = models::nint(v);
       return n != 4 && n != 6;
     },
     [](Loading& l, float v) { l.d.n = l.d.ndef = models::nint(v); }},
    {"RES.", negative, [](Loading& l, float v) { l.d.res1 = l.d.res1def = v; }},
    {"SR.", negative, [](Loading& l, float v) { l.d.sr1 = l.d.sr1def = v; }},
    {"Rl.", not_positive, [](Loading& l, float v) { l.d.rl = l.d.rldef = v; }},
    {"Rs.", not_positive, [](Loading& l, float v) { l.d.rs = l.d.rsdef = v; }},
    {"S.", not_positive, [](Loading& l, float v) { l.d.sdef = l.d.sdefdef = v; }},
    {"Smax.", not_positive, [](Loading& l, float v) { l.smax = l.d.smaxdef = v; }},
    {"Smin.", [](const Loading& l, float v) { return v <= 0.0f || v > l.smax; },
     [](Loading& l, float v) { l.d.smin = l.d.smindef = v; }},
    {"Sstep.", not_positive, [](Loading& l, float v) { l.d.sstep = l.d.sstepdef = v; }},
    {"T.", negative, [](Loading& l, float v) { l.d.t = l.d.tdef = v; }},
    {"W.", not_positive, [](Loading& l, float v) { l.d.wdef = l.d.wdefdef = v; }},
    {"Wmax.", not_positive, [](Loading& l, float v) { l.wmax = l.d.wmaxdef = v; }},
    {"Wmin.", [](const Loading& l, float v) { return v <= 0.0f || v > l.wmax; },
     [](Loading& l, float v) { l.d.wmin = l.d.wmindef = v; }},
    {"Wstep.", not_positive, [](Loading& l, float v) { l.d.wstep = l.d.wstepdef = v; }},
    {"Zo.", not_positive, [](Loading& l, float v) { l.d.zodef = l.d.zodefdef = v; }},
    {"Zoe.", not_positive, [](Loading& l, float v) { l.d.zoedef = l.d.zoedefdef = v; }},
    {"Zoo.", [](const Loading& l, float v) { return v <= 0.0f || v >= l.d.zoedef; },
     [](Loading& l, float v) { l.d.zoodef = l.d.zoodefdef = v; }},
}};

}  // namespace

bool is_protected_name(const std::string& name20) {
  const std::string name = padded(name20);
  // The defaults file itself is protected too: writing a report over it would make every
  // later run fail.
  return name == padded("Cuplo.DEF") || name == padded("Cuplo.EXE") ||
         name == padded("CuploDEMO.DEF");
}

std::string file_name(const std::string& name20) {
  const std::size_t end = name20.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name20.substr(0, end + 1);
}

std::optional<DefaultsFault> load_defaults(std::istream& file, DesignState& state, float& fo) {
  using Kind = DefaultsFault::Kind;
  std::string line;
  if (!text::read_line(file, line)) return DefaultsFault{Kind::missing, "1st line."};

  Loading loading{state, fo};
  for (const NumericRecord& record : kRecords) {
    if (!text::read_line(file, line)) return DefaultsFault{Kind::missing, record.entry};
    const std::optional<float> value = text::parse_real(line);
    if (!value || record.faulty(loading, *value)) return DefaultsFault{Kind::faulty, record.entry};
    record.store(loading, *value);
  }

  if (!text::read_line(file, line)) return DefaultsFault{Kind::missing, "FN."};
  const std::string name = text::parse_text(line);
  if (name == kBlankName || is_protected_name(name)) return DefaultsFault{Kind::faulty, "FN."};
  state.fn = name;
  return std::nullopt;
}

}  // namespace cuplo::input
