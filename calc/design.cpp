#include "calc/design.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "cuplo/defaults.hpp"

namespace cuplo::calc {
namespace {

using D = Dimension;
using B = Bound;

using P = cuplo::Plausible;

// In Field order.
constexpr std::array<FieldSpec, kFieldCount> kFields{{
    {Field::n, "--n", "n", {D::plain, B::strips, {}}, "number of strips, 4 or 6"},
    {Field::er,
     "--er",
     "er",
     {D::plain, B::at_least_one, {}},
     "relative permittivity of the substrate"},
    {Field::h, "--h", "h", {D::length, B::positive, P::height}, "substrate height"},
    {Field::t, "--t", "t", {D::length, B::non_negative, P::thickness}, "strip thickness (0: none)"},
    {Field::w, "--w", "w", {D::length, B::positive, P::width}, "strip width"},
    {Field::s, "--s", "s", {D::length, B::positive, P::spacing}, "spacing between adjacent strips"},
    {Field::l, "--l", "l", {D::length, B::positive, P::length}, "coupler length"},
    {Field::f, "--f", "f_ghz", {D::frequency, B::non_negative, P::frequency}, "frequency"},
    {Field::res,
     "--res",
     "res_uohm_cm",
     {D::plain, B::non_negative, {}},
     "conductor resistivity, micro-ohm-cm"},
    {Field::sr,
     "--sr",
     "sr_uin",
     {D::plain, B::non_negative, {}},
     "surface roughness, micro-inches"},
    {Field::dltan, "--dltan", "dltan", {D::plain, B::non_negative, {}}, "dielectric loss tangent"},
    {Field::zo, "--zo", "zo_ohm", {D::impedance, B::positive, {}}, "coupler impedance"},
    {Field::coupling,
     "--coupling",
     "coupling_db",
     {D::decibel, B::nonzero, {}},
     "midband coupling, dB (3 and -3 are the same coupler)"},
    {Field::zoe, "--zoe", "zoe_ohm", {D::impedance, B::positive, {}}, "even-mode impedance"},
    {Field::zoo, "--zoo", "zoo_ohm", {D::impedance, B::positive, {}}, "odd-mode impedance"},
}};

// The defaults file's entry for each field, as the console names it, and its value.
struct DefaultsEntry {
  const char* entry;
  float (*value)(const cuplo::Defaults& d);
};

constexpr std::array<DefaultsEntry, kFieldCount> kDefaults{{
    {"N.", [](const cuplo::Defaults& d) { return static_cast<float>(d.n); }},
    {"Er.", [](const cuplo::Defaults& d) { return d.er; }},
    {"H.", [](const cuplo::Defaults& d) { return d.h; }},
    {"T.", [](const cuplo::Defaults& d) { return d.t; }},
    {"W.", [](const cuplo::Defaults& d) { return d.w; }},
    {"S.", [](const cuplo::Defaults& d) { return d.s; }},
    {"L.", [](const cuplo::Defaults& d) { return d.l; }},
    {"F.", [](const cuplo::Defaults& d) { return d.f; }},
    {"RES.", [](const cuplo::Defaults& d) { return d.res; }},
    {"SR.", [](const cuplo::Defaults& d) { return d.sr; }},
    {"DLTAN.", [](const cuplo::Defaults& d) { return d.dltan; }},
    {"Zo.", [](const cuplo::Defaults& d) { return d.zo; }},
    {"Co.", [](const cuplo::Defaults& d) { return d.co; }},
    {"Zoe.", [](const cuplo::Defaults& d) { return d.zoe; }},
    {"Zoo.", [](const cuplo::Defaults& d) { return d.zoo; }},
}};

// The console's defaults file, read by the library's reader.
cuplo::Defaults load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    throw UsageError("--defaults: cannot read " + in_quotes(path) + ": " + std::strerror(errno));
  const cuplo::DefaultsFile read = cuplo::read_defaults(file);
  if (!read.ok()) {
    const char* what =
        read.fault.kind == cuplo::DefaultsFault::Kind::missing ? "missing" : "faulty";
    throw UsageError("--defaults: " + in_quotes(path) + ": entry " + read.fault.entry + " is " +
                     what);
  }
  return read.values;
}

}  // namespace

const FieldSpec& spec(Field field) {
  return kFields[static_cast<std::size_t>(field)];
}

const Sweep& Design::sweep(Field field) const {
  if (!has(field)) {
    const std::string option = spec(field).option;
    throw UsageError(option + ": no value given (give " + option + " or --defaults FILE)");
  }
  return values_[index(field)];
}

void Design::require(std::span<const Field> fields) const {
  std::string missing;
  for (const Field f : fields) {
    if (has(f)) continue;
    if (!missing.empty()) missing += ", ";
    missing += spec(f).option;
  }
  if (missing.empty()) return;
  throw UsageError(missing + ": no value given (give the option, or --defaults FILE)");
}

void Design::at_most_one_sweep(std::span<const Field> fields) const {
  const FieldSpec* first = nullptr;
  for (const Field f : fields) {
    if (!has(f) || !values_[index(f)].swept) continue;
    if (first != nullptr) {
      throw UsageError(std::string(spec(f).option) + ": only one of the values may be a sweep (" +
                       first->option + " is one)");
    }
    first = &spec(f);
  }
}

Field Design::swept(std::initializer_list<Field> fields) const {
  for (const Field f : fields) {
    if (has(f) && values_[index(f)].swept) return f;
  }
  return *fields.begin();
}

cuplo::Substrate Design::substrate() const {
  cuplo::Substrate sub;
  sub.er = value(Field::er);
  sub.h = value(Field::h);
  sub.t = value(Field::t);
  if (has(Field::dltan)) sub.loss_tangent = value(Field::dltan);
  if (has(Field::res)) sub.resistivity = value(Field::res);
  if (has(Field::sr)) sub.roughness = value(Field::sr);
  return sub;
}

std::vector<DesignEntry> Design::entries(std::initializer_list<Field> unused) const {
  std::vector<DesignEntry> out;
  for (const FieldSpec& f : kFields) {
    if (!has(f.field) || std::find(unused.begin(), unused.end(), f.field) != unused.end()) continue;
    DesignEntry e;
    e.key = f.key;
    e.length = f.length();
    e.sweep = values_[index(f.field)];
    e.kind = e.sweep.swept ? DesignEntry::Kind::sweep : DesignEntry::Kind::number;
    if (f.field == Field::n) {
      e.kind = DesignEntry::Kind::integer;
      e.integer = strips();
    }
    // 3 and -3 dB are the same coupler; the rows give its coupling as negative dB.
    if (f.field == Field::coupling) e.sweep = Sweep::single(-std::fabs(e.sweep.start));
    out.push_back(e);
  }
  return out;
}

void DesignOptions::add(CLI::App& app, std::span<const Field> fields,
                        std::span<const Field> sweepable) {
  defaults_option_ = app.add_option("--defaults", defaults_,
                                    "the console's defaults file: every value not given here");
  defaults_option_->type_name("FILE");
  for (const Field f : sweepable) sweepable_[static_cast<std::size_t>(f)] = true;
  for (const Field f : fields) {
    const std::size_t i = static_cast<std::size_t>(f);
    const FieldSpec& s = kFields[i];
    const char* type = sweepable_[i] ? "VALUE|START:STOP:STEP" : "VALUE";
    options_[i] = app.add_option(s.option, text_[i], s.help);
    options_[i]->type_name(type);
  }
}

Design DesignOptions::gather(LengthUnit bare_length) const {
  Design d;
  if (defaults_option_ != nullptr && defaults_option_->count() > 0) {
    const cuplo::Defaults state = load(defaults_);
    for (std::size_t i = 0; i < kFieldCount; ++i) {
      if (options_[i] == nullptr) continue;
      const float v = kDefaults[i].value(state);
      // The loader accepts a magnitude beyond the float range as infinity; these values are
      // held to the same bounds as typed ones.
      if (!within(kFields[i].kind.bound, v)) {
        throw UsageError("--defaults: " + in_quotes(defaults_) + ": entry " + kDefaults[i].entry +
                         " is faulty");
      }
      d.values_[i] = Sweep::single(v);
      d.present_[i] = true;
    }
  }
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (options_[i] == nullptr || options_[i]->count() == 0) continue;
    const FieldSpec& s = kFields[i];
    d.values_[i] = read_sweep(s.option, text_[i], s.kind, bare_length, sweepable_[i]);
    d.present_[i] = true;
    d.given_[i] = true;
  }
  return d;
}

namespace {

struct ProcessOption {
  const char* option;
  const char* key;
  const char* help;
};

constexpr std::array<ProcessOption, 3> kProcessOptions{{
    {"--min-w", "min_w",
     "the narrowest line the process makes (synthesize and layout give the nearest design it "
     "makes)"},
    {"--min-s", "min_s", "the narrowest gap the process makes"},
    {"--etch", "etch",
     "width the etch takes from each edge: a drawn W gives W - 2e, a drawn S gives S + 2e "
     "(layout draws the mask pre-compensated)"},
}};

// The narrowest of a length's values: one value, or a sweep's first and last points.
float least(const Sweep& v) {
  return std::fmin(v.start, v.at(v.last));
}

}  // namespace

void DesignCommand::add_options(CLI::App& app, OptionWords& words) {
  options_.add(app, fields_.taken, fields_.sweepable);
  for (std::size_t i = 0; i < kProcessOptions.size(); ++i) {
    process_options_[i] =
        app.add_option(kProcessOptions[i].option, process_text_[i], kProcessOptions[i].help);
    process_options_[i]->type_name("LENGTH");
  }
  add_own_options(app, words);
}

void DesignCommand::check_output(const CommonOptions& common) const {
  check_output_path(common.output);
  const std::vector<std::string> formats = this->formats();
  const bool touchstone = std::find(formats.begin(), formats.end(), "touchstone") != formats.end();
  (void)choose_format(common.format, common.output, common.terminal, name(), touchstone);
}

int DesignCommand::run(const CommonOptions& common) {
  check_output(common);
  const Design d = options_.gather(common.length_unit());
  d.require(fields_.required);
  // The closed-form models take four or six strips; the field model any even number.
  if (d.has(Field::n) && common.model_choice() == cuplo::Model::closed_form && d.strips() != 4 &&
      d.strips() != 6) {
    throw UsageError("--n: " + std::to_string(d.strips()) +
                     ": the closed-form models take 4 or 6 strips; --model field takes any even "
                     "number from 2 to 12");
  }
  d.at_most_one_sweep(fields_.sweepable);
  CommonOptions with_process = common;
  read_process(d, with_process);
  if (common.strict && !with_process.breaches.empty()) {
    for (const std::string& line : with_process.breaches) say("error: " + line + " (--strict)");
    return kAccuracyLimit;
  }
  return compute(d, with_process);
}

std::string DesignCommand::beyond_process(float zo) const {
  std::string given;
  for (std::size_t i = 0; i < 2; ++i) {
    if (process_options_[i] == nullptr || process_options_[i]->count() == 0) continue;
    if (!given.empty()) given += ", ";
    given += std::string(kProcessOptions[i].option) + " " + in_quotes(process_text_[i]);
  }
  char value[kMaxValueText];
  return given + ": no design with W and S at or above the process's minimums has Zo = " +
         std::string(value, write_float(value, zo)) +
         " ohm on this substrate";
}

void DesignCommand::read_process(const Design& d, CommonOptions& common) {
  const LengthUnit units = common.length_unit();
  std::array<float, 3> value{};
  for (std::size_t i = 0; i < kProcessOptions.size(); ++i) {
    if (process_options_[i] == nullptr || process_options_[i]->count() == 0) continue;
    const cuplo::Plausible plausible = i == 0 ? cuplo::Plausible::width : cuplo::Plausible::spacing;
    value[i] = read_value(kProcessOptions[i].option, process_text_[i],
                          {Dimension::length, Bound::non_negative, plausible}, units);
    common.process.push_back(DesignEntry::of_number(kProcessOptions[i].key, value[i], true));
  }
  process_ = {value[0], value[1], value[2]};
  if (!geometry_given(d)) return;
  // The design as given: its narrowest width and gap.
  const cuplo::CrossSection given{d.has(Field::n) ? d.strips() : 4, least(d.sweep(Field::w)),
                                  least(d.sweep(Field::s))};
  if (const std::string why = cuplo::uncompensable(process_, given, units); !why.empty()) {
    throw UsageError("--etch: " + in_quotes(process_text_[2]) + ": " + why);
  }
  common.breaches = cuplo::breaches(process_, given, units);
}

}  // namespace cuplo::calc
