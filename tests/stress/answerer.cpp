#include "answerer.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "models/numeric.hpp"
#include "text/reader.hpp"

namespace cuplo::testing {

enum class Answerer::Kind {
  function,
  analysis_option,
  impedance_sub,
  frequency_sub,
  length_mode,
  sensitivity_sub,
  sensitivity_mode,
  synthesis_option,
  synthesis_sub,
  format,
  storage,
  file_name,
  operation,
  reenter_wh,
  reenter_st,
  reenter_sh,
  reenter_er,
  reenter_frequency,
  reenter_length,
  reenter_centre,
  reenter_typed_co,
  reenter_computed_co,
  h,
  w,
  wmin,
  wmax,
  wstep,
  t,
  s,
  smin,
  smax,
  sstep,
  res,
  sr,
  er,
  dltan,
  n,
  any_n,
  spot_f,
  sensitivity_f,
  l,
  fmin,
  fmax,
  fstep,
  fo,
  rs,
  rl,
  synthesis_f,
  zo,
  co,
  zoe,
  zoo,
};

namespace {

using Kind = Answerer::Kind;

struct Prompt {
  std::string_view tail;  // the end of the pending console line
  Kind kind;
  const char* name;
};

// Longer tails first where one ends another.
constexpr std::array kPrompts = {
    Prompt{"Program FUNCTION selected = ", Kind::function, "FUNCTION"},
    Prompt{" Analysis OPTION selected = ", Kind::analysis_option, "OPTION"},
    Prompt{"Impedance Analysis SUBOPTION selected = ", Kind::impedance_sub, "IMPSUB"},
    Prompt{"Frequency Analysis SUBOPTION selected = ", Kind::frequency_sub, "FREQSUB"},
    Prompt{"Select to enter(=1) or Compute(=2*) Coupler Length: ", Kind::length_mode, "LENGTH"},
    Prompt{"Sensitivity Analysis SUBOPTION selected = ", Kind::sensitivity_sub, "SENSUB"},
    Prompt{"Mode(=2) or Both(=3): ", Kind::sensitivity_mode, "MODE"},
    Prompt{"Synthesis OPTION selected = ", Kind::synthesis_option, "SYNOPTION"},
    Prompt{"Synthesis SUBOPTION selected = ", Kind::synthesis_sub, "SYNSUB"},
    Prompt{"Print FORMAT selected = ", Kind::format, "FORMAT"},
    Prompt{"Is Output Data STORAGE desired? (1=YES)  = ", Kind::storage, "STORAGE"},
    Prompt{"Enter your FILENAME for Output Data Storage: ", Kind::file_name, "FILENAME"},
    Prompt{"OPERATION selected = ", Kind::operation, "OPERATION"},
    Prompt{"Enter 1 to re-enter H and W : ", Kind::reenter_wh, "WH"},
    Prompt{"Enter 1 to re-enter S and T : ", Kind::reenter_st, "ST"},
    Prompt{"Enter 1 to re-enter H and S : ", Kind::reenter_sh, "SH"},
    Prompt{"Enter 1 to re-enter Er : ", Kind::reenter_er, "ER"},
    Prompt{"Enter 1 to re-enter Frequency : ", Kind::reenter_frequency, "FREQ"},
    Prompt{"tional difficulties may occur. Enter 1 to re-enter L : ", Kind::reenter_length, "LEN"},
    Prompt{"difficulties may occur. Enter 1 to re-enter L : ", Kind::reenter_centre, "FO"},
    Prompt{"Enter 1 to re-enter Co : ", Kind::reenter_typed_co, "CO"},
    Prompt{"Enter 1 to re-enter Zoe and Zoo : ", Kind::reenter_computed_co, "ZOEZOO"},
    Prompt{"(H), Inches = ", Kind::h, "H"},
    Prompt{"(W), Inches = ", Kind::w, "W"},
    Prompt{"(Wmin), Inches = ", Kind::wmin, "Wmin"},
    Prompt{"(Wmax), Inches = ", Kind::wmax, "Wmax"},
    Prompt{"(Wstep),Inches = ", Kind::wstep, "Wstep"},
    Prompt{"Thickness(T), Inches = ", Kind::t, "T"},
    Prompt{"(S), Inches = ", Kind::s, "S"},
    Prompt{"(Smin), Inches = ", Kind::smin, "Smin"},
    Prompt{"(Smax), Inches = ", Kind::smax, "Smax"},
    Prompt{"(Sstep),Inches = ", Kind::sstep, "Sstep"},
    Prompt{"(RES),    Mico-Ohm-cm = ", Kind::res, "RES"},
    Prompt{"(SR),Micro-Inch = ", Kind::sr, "SR"},
    Prompt{"Constant (Er) = ", Kind::er, "Er"},
    Prompt{"(DLTAN) = ", Kind::dltan, "DLTAN"},
    Prompt{"(N=4 or 6)= ", Kind::n, "N"},
    Prompt{"(N = An even integer)= ", Kind::any_n, "anyN"},
    Prompt{"Impedance Analysis(F), GHz = ", Kind::spot_f, "F"},
    Prompt{"Sensitivity Analysis(F),GHz= ", Kind::sensitivity_f, "senF"},
    Prompt{"(L), Inches = ", Kind::l, "L"},
    Prompt{"Start Frequency, GHz = ", Kind::fmin, "Fmin"},
    Prompt{"Stop  Frequency, GHz = ", Kind::fmax, "Fmax"},
    Prompt{"Step  Frequency, GHz = ", Kind::fstep, "Fstep"},
    Prompt{"(Fo), GHz = ", Kind::fo, "Fo"},
    Prompt{"(Rs), Ohms = ", Kind::rs, "Rs"},
    Prompt{"(Rl), Ohms = ", Kind::rl, "Rl"},
    Prompt{"for Synthesis (F), GHz = ", Kind::synthesis_f, "synF"},
    Prompt{"(Zo),Ohms = ", Kind::zo, "Zo"},
    Prompt{"(Co),  dB = ", Kind::co, "Co"},
    Prompt{"(Zoe>Zo),Ohms = ", Kind::zoe, "Zoe"},
    Prompt{"(Zoo),Ohms = ", Kind::zoo, "Zoo"},
};

// Typical values of a quantity and the values at and around its limits (the demo design
// has H = 0.025 inch, so W/H = 3 at 0.075, S/H = 8 at 0.2, F x H = 25 GHz-mm at 39.37 GHz).
struct Range {
  Kind kind;
  double lo, hi;
  bool logarithmic;
  std::vector<double> edges;
};

const std::vector<Range> kRanges = {
    {Kind::h, 0.005, 0.1, true, {0.0, -0.025, 1e-30, 0.0001, 1e30, 0.025}},
    {Kind::w, 0.0005, 0.06, true, {0.0001, 0.0000999, 0.075, 0.07500001, 0.075000003}},
    {Kind::wmin, 0.0005, 0.05, true, {0.0001, 0.0000999, 0.075, 0.0751}},
    {Kind::wmax, 0.001, 0.08, true, {0.075, 0.0751, 0.0001}},
    {Kind::wstep, 0.0005, 0.02, true, {1e-30, 1e-7, 0.0, -0.001, 1e30}},
    {Kind::t, 0.00005, 0.002, true, {0.0, 0.001, 0.0049, 1e30, 1e-30}},
    {Kind::s, 0.0005, 0.03, true, {0.00001, 0.0000099, 0.2, 0.2000001, 0.0004, 0.0003999}},
    {Kind::smin, 0.0005, 0.02, true, {0.00001, 0.0000099, 0.2, 0.21, 0.0004}},
    {Kind::smax, 0.001, 0.05, true, {0.2, 0.21, 0.00001}},
    {Kind::sstep, 0.0005, 0.01, true, {1e-30, 1e-8, 0.0, -0.001, 1e30}},
    {Kind::res, 1.0, 10.0, false, {0.0, 1e-30, 1e30}},
    {Kind::sr, 0.0, 100.0, false, {0.0, 1e-30, 1e30, 10000.0}},
    {Kind::er, 1.0, 15.0, false, {1.0, 0.999, 20.0, 20.0001, 1e30, 1e-30}},
    {Kind::dltan, 0.0, 0.01, false, {0.0, 1e-30, 1.0, 1e30}},
    {Kind::spot_f, 0.1, 30.0, true, {39.0, 40.0, 39.37, 1e30, 1e-30, 0.0}},
    {Kind::sensitivity_f, 0.1, 30.0, true, {39.0, 40.0, 1e30, 1e-30, 0.0}},
    {Kind::l, 0.02, 0.5, true, {1e-30, 1e30, 0.01, 0.002}},
    {Kind::fmin, 0.1, 20.0, true, {0.0, 39.0, 40.0, 1e30, 1e-30}},
    {Kind::fmax, 1.0, 30.0, true, {39.0, 40.0, 1e30, 1e-30, 0.0}},
    {Kind::fstep, 0.2, 5.0, true, {1e-30, 1e-6, 0.0, -1.0, 1e30}},
    {Kind::fo, 1.0, 20.0, true, {39.0, 40.0, 1e30, 1e-30}},
    {Kind::rs, 10.0, 100.0, false, {0.0, -50.0, 1e30, 1e-30}},
    {Kind::rl, 10.0, 100.0, false, {0.0, -50.0, 1e30, 1e-30}},
    {Kind::synthesis_f, 0.5, 30.0, true, {39.0, 40.0, 1e30, 1e-30}},
    {Kind::zo, 20.0, 120.0, false, {0.0, -50.0, 1e30, 1e-30, 1.0, 1000.0}},
    {Kind::co, 1.5, 10.0, false, {1.5, -10.0, 1.4, -10.5, 0.0, 1e30, -3.0, 20.0}},
    {Kind::zoe, 30.0, 300.0, true, {0.0, 1e30, 1e-30, 50.0}},
    {Kind::zoo, 5.0, 100.0, true, {0.0, 1e30, 1e-30, 50.0}},
};

// Far outside every range, for every prompt.
const std::vector<double> kWild = {0.0,  -1.0, 1e-30, 1e30,  -1e30,        1e-5,          1e5,
                                   3e38, 1e39, -1e39, 1e-45, 2147483647.0, -2147483648.0, 1e-38};

const std::vector<std::string> kNotNumbers = {"abc", "1..2", "--1",  "1e",  ".",   "+",
                                              "1,5", "0x10", "1e5e", "2-3", "NaN", "inf"};

const std::string kBlank20(input::kNameLength, ' ');

std::string pad20(std::string_view name) {
  std::string text(name.substr(0, input::kNameLength));
  text.resize(input::kNameLength, ' ');
  return text;
}

std::string trimmed(const std::string& name) {
  const std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

bool ends_with(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::int64_t sweep_count(float first, float last, float step) {
  return models::int_trunc((last - first) / step + 0.0001f);
}

}  // namespace

Answerer::Answerer(std::uint64_t seed, const Profile& profile, const input::DesignState& loaded)
    : rng_(seed), profile_(profile), loaded_(loaded), fn_(loaded.fn) {
  passes_wanted_ = 1 + static_cast<int>(below(static_cast<std::uint64_t>(profile.max_passes)));
  if (chance(profile.truncate)) cut_at_ = static_cast<int>(below(70));
  if (chance(profile.bad_value)) bad_at_ = static_cast<int>(below(60));
  flood_allowed_ = chance(profile.flood);
  passes_.push_back({});
}

bool Answerer::chance(double p) {
  return static_cast<double>(rng_() >> 11) * 0x1.0p-53 < p;
}

std::uint64_t Answerer::below(std::uint64_t n) {
  return rng_() % n;
}

double Answerer::uniform(double lo, double hi) {
  return lo + (hi - lo) * static_cast<double>(rng_() >> 11) * 0x1.0p-53;
}

double Answerer::log_uniform(double lo, double hi) {
  return std::exp(uniform(std::log(lo), std::log(hi)));
}

double Answerer::pick(const std::vector<double>& values) {
  return values[below(values.size())];
}

// A typed number as a person might type it: plain, with a D exponent, with blanks inside or
// in front, or with a note after the 13-character field.
std::string Answerer::number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*g", 1 + static_cast<int>(below(7)), v);
  std::string text = buffer;
  const std::uint64_t style = below(10);
  if (style == 0) {
    for (char& c : text) {
      if (c == 'e') c = 'D';
    }
  } else if (style == 1 && text.size() < 13) {
    text.insert(below(text.size() + 1), " ");
  } else if (style == 2 && text.size() < 13) {
    text.insert(0, 13 - text.size(), ' ');
  } else if (style == 3 && text.size() <= 13) {
    text.resize(13, ' ');
    text += "  typed note";
  } else if (style == 4 && v >= 0.0 && text.size() < 13) {
    text.insert(0, "+");
  }
  return text;
}

std::string Answerer::menu(const char* name, int items) {
  std::string line;
  const std::uint64_t roll = below(20);
  if (roll < 14) {
    line = std::to_string(1 + below(static_cast<std::uint64_t>(items)));
  } else if (roll < 16) {
    line = "";
  } else {
    const std::vector<std::string> odd = {"0",    "-1",   "4",   "2.5", "1.6",   "0.5",
                                          "1e30", "-417", "3.4", "  2", "1.4999"};
    line = odd[below(odd.size())];
  }
  const std::optional<float> v = text::parse_real(line);
  const std::int32_t itemp = models::nint(*v);
  note(std::string("menu:") + name + "=" +
       (itemp >= 1 && itemp <= items ? std::to_string(itemp) : "preset"));
  return line;
}

std::string Answerer::yes_no(const char* name) {
  std::string line;
  if (reentries_ < 4 && chance(0.4)) {
    line = chance(0.8) ? "1" : (chance(0.5) ? "1.4" : "0.5");
    ++reentries_;
  } else {
    const std::vector<std::string> no = {"", "2", "0", "-1", "1.5", "3", "1e30"};
    line = no[below(no.size())];
  }
  const bool yes = models::nint(*text::parse_real(line)) == 1;
  note(std::string("reenter:") + name + (yes ? "=yes" : "=no"));
  return line;
}

std::string Answerer::value(Kind kind) {
  if (kind == Kind::n) {
    // The prompt repeats until N is 4 or 6: after a few rounds give a valid answer.
    if (++n_repeats_ > 3) return "4";
    const std::vector<std::string> answers = {"4", "6",  "",  "5",    "4.4", "4.6",  "6.49",
                                              "0", "-1", "8", "-417", "2",   "1e30", "-417.4"};
    return answers[below(answers.size())];
  }
  if (kind == Kind::any_n) {
    const std::vector<std::string> answers = {"1",  "2",  "3",          "4",    "5",    "6",
                                              "8",  "10", "12",         "100",  "1000", "0",
                                              "-2", "",   "2147483647", "1e30", "65536"};
    return answers[below(answers.size())];
  }
  if (kind == Kind::zoe && ++zoe_rounds_ > 2) return "";  // the defaults satisfy Zoe > Zoo
  if (kind == Kind::zoo && zoe_rounds_ > 2) return "";

  const Range* range = nullptr;
  for (const Range& r : kRanges) {
    if (r.kind == kind) range = &r;
  }
  const std::uint64_t roll = below(20);
  if (roll < 3) return "";
  if (roll < 12) {
    const double v =
        range->logarithmic ? log_uniform(range->lo, range->hi) : uniform(range->lo, range->hi);
    return number(kind == Kind::co && chance(0.5) ? -v : v);
  }
  if (roll < 16) return number(pick(range->edges));
  return number(pick(kWild));
}

std::string Answerer::storage_question() {
  const std::vector<std::string> answers = {"",       "0",   "2",   "-1",   "-417",
                                            "-417.4", "0.5", "1.4", "1e30", "1.5"};
  std::string line = chance(profile_.store) ? "1" : answers[below(answers.size())];
  const std::int32_t itemp = models::nint(*text::parse_real(line));
  PassPlan& pass = passes_.back();
  pass.stored = itemp == 1;
  note(itemp == 1 ? "storage:on" : itemp == -417 ? "storage:verify" : "storage:off");
  // The verification mode prints the pair model's intermediate values several times per
  // sweep point: far more lines per point.
  const std::int64_t limit = itemp == -417 ? profile_.max_rows / 24 : profile_.max_rows;
  if (!pass.stored && count_ > limit) {
    // A huge sweep would print for hours: end the input before the operation runs.
    if (flood_allowed_) {
      prediction_.may_flood = true;
      note("sweep:flood");
    } else {
      note("sweep:cut");
      return "\x04";  // marker: end of input
    }
  }
  return line;
}

std::string Answerer::file_name() {
  std::vector<std::string> names = {"",
                                    "",
                                    "a.txt",
                                    "b.txt",
                                    "c.doc",
                                    "Cuplo.DEF",
                                    "Cuplo.EXE",
                                    "CuploDEMO.DEF",
                                    "cuplo.exe",
                                    " lead.txt",
                                    "a_very_long_file_name_over_20.txt"};
  std::string line = names[below(names.size())];
  if (chance(profile_.odd_names)) line = chance(0.5) ? "full.txt" : "locked.txt";
  const std::string typed = pad20(line);
  if (typed != kBlank20) fn_ = typed;
  if (fn_ == pad20("Cuplo.DEF") || fn_ == pad20("Cuplo.EXE") || fn_ == pad20("CuploDEMO.DEF")) {
    fn_ = pad20("Cuplo.DAT");
    note("storage:protected");
  }
  passes_.back().name = fn_;
  const std::string opened = trimmed(fn_);
  if (opened == "full.txt") {
    prediction_ = {2, "Write failed on unit 3 (full.txt)", false};
    note("storage:full");
  } else if (opened == "locked.txt") {
    prediction_ = {2, "Cannot open file locked.txt", false};
    note("storage:locked");
  }
  if (count_ > profile_.max_rows && prediction_.status < 0) {
    if (flood_allowed_) {
      prediction_.may_flood = true;
      note("sweep:flood");
    } else {
      note("sweep:cut");
      return "\x04";
    }
  }
  return line;
}

std::string Answerer::operation() {
  const bool more = static_cast<int>(passes_.size()) < passes_wanted_;
  std::string line;
  if (more) {
    const std::vector<std::string> again = {"1", "1", "2", "2", "1.4", "0.5", "1.5", "2.4"};
    line = again[below(again.size())];
  } else {
    const std::vector<std::string> stop = {"",   "3",    "0",    "7",   "2.5",
                                           "-1", "1e30", "-417", "3.4", "-0.4"};
    line = stop[below(stop.size())];
  }
  const std::int32_t isel = models::nint(*text::parse_real(line));
  if (isel == 1 || isel == 2) {
    note(std::string("operation:") + std::to_string(isel));
    passes_.push_back({});
    reentries_ = 0;
    zoe_rounds_ = 0;
    count_ = 0;
  } else {
    note("operation:exit");
    prediction_ = {0, "", prediction_.may_flood};
    ended_ = true;
  }
  return line;
}

// Keeps the values that decide the sweep count, by the prompts' own acceptance rules.
void Answerer::track(Kind kind, float typed) {
  const input::DesignState& d = loaded_;
  switch (kind) {
    case Kind::wmin:
      wmin_ = typed >= 0.0001f ? typed : d.wmindef;
      break;
    case Kind::wmax:
      wmax_ = typed > 0.0f ? typed : d.wmaxdef;
      if (wmin_ > wmax_) wmax_ = wmin_;
      break;
    case Kind::wstep:
      wstep_ = typed > 0.0f ? typed : d.wstepdef;
      count_ = sweep_count(wmin_, wmax_, wstep_);
      break;
    case Kind::smin:
      smin_ = typed >= 0.00001f ? typed : d.smindef;
      break;
    case Kind::smax:
      smax_ = typed > 0.0f ? typed : d.smaxdef;
      if (smin_ > smax_) smax_ = smin_;
      break;
    case Kind::sstep:
      sstep_ = typed > 0.0f ? typed : d.sstepdef;
      count_ = sweep_count(smin_, smax_, sstep_);
      break;
    case Kind::fmin:
      fmin_ = typed > 0.0f ? typed : d.fmindef;
      break;
    case Kind::fmax:
      fmax_ = typed > 0.0f ? typed : d.fmaxdef;
      if (fmin_ > fmax_) fmin_ = fmax_;
      break;
    case Kind::fstep:
      fstep_ = typed > 0.0f ? typed : d.fstepdef;
      count_ = sweep_count(fmin_, fmax_, fstep_);
      break;
    default:
      break;
  }
}

std::optional<std::string> Answerer::respond(Kind kind) {
  if (kind != Kind::n) n_repeats_ = 0;
  switch (kind) {
    case Kind::function:
      return menu("FUNCTION", 2);
    case Kind::analysis_option:
      return menu("OPTION", 3);
    case Kind::impedance_sub:
      return menu("IMPSUB", 2);
    case Kind::frequency_sub:
      return menu("FREQSUB", 2);
    case Kind::length_mode:
      return menu("LENGTH", 2);
    case Kind::sensitivity_sub:
      return menu("SENSUB", 3);
    case Kind::sensitivity_mode:
      return menu("MODE", 3);
    case Kind::synthesis_option:
      return menu("SYNOPTION", 2);
    case Kind::synthesis_sub:
      return menu("SYNSUB", 2);
    case Kind::format:
      return menu("FORMAT", 2);
    case Kind::storage:
      return storage_question();
    case Kind::file_name:
      return file_name();
    case Kind::operation:
      return operation();
    case Kind::reenter_wh:
      return yes_no("WH");
    case Kind::reenter_st:
      return yes_no("ST");
    case Kind::reenter_sh:
      return yes_no("SH");
    case Kind::reenter_er:
      return yes_no("ER");
    case Kind::reenter_frequency:
      return yes_no("FREQ");
    case Kind::reenter_length:
      return yes_no("LEN");
    case Kind::reenter_centre:
      return yes_no("FO");
    case Kind::reenter_typed_co:
      return yes_no("CO");
    case Kind::reenter_computed_co:
      return yes_no("ZOEZOO");
    default:
      break;
  }
  const std::string line = value(kind);
  track(kind, *text::parse_real(line));
  return line;
}

std::optional<std::string> Answerer::answer(std::string_view console) {
  const std::size_t end = console.rfind("\r\n");
  const std::string_view pending =
      end == std::string_view::npos ? console : console.substr(end + 2);
  if (ended_ || prediction_.status == 2) {
    problems_.push_back("read after the run should have ended, at: " + std::string(pending));
    return std::nullopt;
  }
  const Prompt* prompt = nullptr;
  for (const Prompt& p : kPrompts) {
    if (ends_with(pending, p.tail)) {
      prompt = &p;
      break;
    }
  }
  if (prompt == nullptr) {
    problems_.push_back("read at an unknown prompt: '" + std::string(pending) + "'");
    return std::nullopt;
  }
  note(std::string("prompt:") + prompt->name);

  if (cut_at_ && answers_ >= *cut_at_) {
    note("input:truncated");
    prediction_ = {2, "End of file on unit 5 (console input)", prediction_.may_flood};
    return std::nullopt;
  }
  const bool numeric = prompt->kind != Kind::file_name;
  if (bad_at_ && answers_ >= *bad_at_ && numeric) {
    note("input:not-a-number");
    const std::string line = kNotNumbers[below(kNotNumbers.size())];
    prediction_ = {2, "Bad value during read on unit 5 (console input)", prediction_.may_flood};
    transcript_ += line + '\n';
    return line + '\n';
  }

  std::optional<std::string> line = respond(prompt->kind);
  if (line && *line == "\x04") {
    prediction_ = {2, "End of file on unit 5 (console input)", false};
    return std::nullopt;
  }
  ++answers_;
  transcript_ += *line + '\n';
  return *line + (chance(0.1) ? "\r\n" : "\n");
}

Prediction Answerer::prediction() const {
  return prediction_;
}

AnswerStream::int_type AnswerStream::underflow() {
  if (gptr() != nullptr && gptr() < egptr()) return traits_type::to_int_type(*gptr());
  const std::optional<std::string> line = answerer_.answer(console_);
  if (!line) return traits_type::eof();
  line_ = *line;
  setg(line_.data(), line_.data(), line_.data() + line_.size());
  return traits_type::to_int_type(*gptr());
}

}  // namespace cuplo::testing
