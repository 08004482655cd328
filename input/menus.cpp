// The start of a call of parameter entry and the selection menus.
#include <string>

#include "input/call.hpp"
#include "input/defaults.hpp"
#include "models/numeric.hpp"
#include "text/fatal.hpp"

namespace cuplo::input {
namespace {

using text::Format;

const Format kStartBanner("(///,16X,'" + std::string(kMakerNotice) +
                          "',/,16X,'   RF/Microwave Computer-Aided Engineering Software',"
                          "/,16X,'      Program: Cuplo (v. 1.0)   Date:',I2,'/',I2,'/',I4)");
const Format kDescription(
    "(/,6X,'This program performs Impedance ANALYSIS, Dimensional SYNTHESIS and ',"
    "/,6X,'Frequency RESPONSE for Microstrip Interdigitated (Cuplo) Couplers.')");
const Format kMissingEntry(
    "(6X,'End of file in Cuplo COUPLER default value data ',"
    "/,6X,'file (Cuplo.DEF). Entry missing for variable ',A11)");
const Format kFaultyEntry(
    "(6X,'Error exists in Cuplo COUPLER default value data ',"
    "/,6X,'file (Cuplo.DEF). Fix entry for variable ',A11)");

const Format kFunctionMenu(
    "(/,6X,'Please select a Program FUNCTION:',"
    "/,10X,'*1 : ANALYSIS  of Impedances from known Dimensions.',"
    "/,11X,'2 : SYNTHESIS of Dimensions from known Impedances.')");
const Format kFunctionPrompt("(6X,'Program FUNCTION selected = ')");

const Format kAnalysisMenu(
    "(/,6X,'Please select an Analysis OPTION:',"
    "/,10X,'*Option 1: Impedance   Analysis from Strip Dimensions.',"
    "/,11X,'Option 2: Frequency   Analysis of Coupler.',"
    "/,11X,'Option 3: Sensitivity Analysis of Coupler Impedances.')");
const Format kAnalysisPrompt("(6X,' Analysis OPTION selected = ')");

const Format kImpedanceMenu(
    "(/,6X,'Select an Impedance Analysis SUBOPTION:',"
    "/,10X,'*Suboption 1: Impedance Analysis for a range of Strip Widths (W).',"
    "/,11X,'Suboption 2: Impedance Analysis for a range of Strip Spacings(S).')");
const Format kImpedancePrompt("(6X,'Impedance Analysis SUBOPTION selected = ')");

const Format kFrequencyMenu(
    "(/,6X,'Select Frequency Analysis SUBOPTION:',"
    "/,10X,'*Suboption 1: Four port Coupler Response.',"
    "/,11X,'Suboption 2: Dispersion of Cross section.')");
const Format kFrequencyPrompt("(6X,'Frequency Analysis SUBOPTION selected = ')");
const Format kLengthModePrompt("(/,6X,'Select to enter(=1) or Compute(=2*) Coupler Length: ')");

const Format kSensitivityMenu(
    "(/,6X,'Select Sensitivity Analysis SUBOPTION:',"
    "/,10X,'*Suboption 1: Versus Frequency for one value of S and W.',"
    "/,11X,'Suboption 2: At one Frequency for a range of Strip Widths (W).',"
    "/,11X,'Suboption 3: At one Frequency for a range of Strip Spacings(S).')");
const Format kSensitivityPrompt("(6X,'Sensitivity Analysis SUBOPTION selected = ')");
const Format kModePrompt(
    "(/,6X,'Select Sensitivity of Even Mode(=1*), Odd ','Mode(=2) or Both(=3): ')");

const Format kSynthesisMenu(
    "(/,6X,'Please select a Synthesis OPTION:',"
    "/,10X,'*Option 1: Synthesis of S and W from D.C. Impedances.',"
    "/,11X,'Option 2: Synthesis of S and W from Dispersive Impedances.')");
const Format kSynthesisPrompt("(6X,'Synthesis OPTION selected = ')");
const Format kSynthesisSubMenu(
    "(/,6X,'Please select a Synthesis SUBOPTION:',"
    "/,10X,'*Suboption 1: Synthesis of S and W from Zo and Coupling.',"
    "/,11X,'Suboption 2: Synthesis of S and W from Zoe and Zoo.')");
const Format kSynthesisSubPrompt("(6X,'Synthesis SUBOPTION selected = ')");

const Format kFormatMenu(
    "(/,6X,'Select output data print FORMAT:',"
    "/,10X,'*1: Magnitude (dB) and Phase (Degrees) at each port.',"
    "/,11X,'2: VSWR, Losses (dB) and Phase Quadrature.')");
const Format kFormatPrompt("(6X,'Print FORMAT selected = ')");

std::string entry_name(const std::string& entry) {
  std::string name = entry;
  name.resize(kNameLength, ' ');
  return name;
}

}  // namespace

std::int32_t Call::ask_integer(const Format& question) {
  io_.console.prompt(question);
  return models::nint(io_.answers.real());
}

bool Call::start() {
  d_.iop = AnalysisOption::impedance;
  d_.iop_synthesis = SynthesisOption::static_impedances;
  d_.i = 0;
  ierror_ = 0;
  ierr_ = 0;
  // A new option keeps the function of the previous operation and skips the banner.
  if (d_.isel == Pass::new_option) return true;

  d_.ifunc = Function::analysis;
  if (d_.isel != Pass::recycle) {
    const std::string name(kDefaultsName);
    std::unique_ptr<std::istream> file = env_.files.open_read(name);
    if (!file) throw text::FatalError("Cannot open file " + name, "unit 2 (" + name + ")");
    if (const std::optional<DefaultsFault> fault = load_defaults(*file, d_)) {
      d_.isel = Pass::faulty_defaults;
      const bool missing = fault->kind == DefaultsFault::Kind::missing;
      io_.console.put(missing ? kMissingEntry : kFaultyEntry, {entry_name(fault->entry)});
      return false;
    }
    capture_date();
  }
  start_banner();
  io_.console.put(kDescription);
  io_.console.put(kFunctionMenu);
  // No range test: 2 selects synthesis, every other answer analysis.
  d_.ifunc = ask_integer(kFunctionPrompt) == code(Function::synthesis) ? Function::synthesis
                                                                       : Function::analysis;
  return true;
}

void Call::start_banner() {
  const DateTime& t = d_.datetime;
  io_.console.put(kStartBanner, {t.imon, t.iday, t.iyr});
}

void Call::analysis_menus() {
  d_.ifunc = Function::analysis;
  d_.iop =
      menu(kAnalysisMenu, kAnalysisPrompt, AnalysisOption::impedance, AnalysisOption::sensitivity);
  switch (d_.iop) {
    case AnalysisOption::impedance:
      d_.iop1 =
          menu(kImpedanceMenu, kImpedancePrompt, ImpedanceSweep::width, ImpedanceSweep::spacing);
      break;
    case AnalysisOption::frequency:
      d_.iop2a = menu(kFrequencyMenu, kFrequencyPrompt, FrequencyAnalysis::four_port,
                      FrequencyAnalysis::dispersion);
      if (d_.iop2a == FrequencyAnalysis::four_port) {
        // Only an answer of exactly 1 selects entry; every other answer computes the length.
        ilength_ = ask_integer(kLengthModePrompt) == 1 ? 1 : 2;
      }
      break;
    case AnalysisOption::sensitivity:
      d_.iop3 = menu(kSensitivityMenu, kSensitivityPrompt, SensitivityForm::frequency,
                     SensitivityForm::spacing);
      d_.ieoro = pick(ask_integer(kModePrompt), SensitivityModes::even, SensitivityModes::both);
      break;
  }
}

void Call::synthesis_menus() {
  d_.ifunc = Function::synthesis;
  d_.iop_synthesis = menu(kSynthesisMenu, kSynthesisPrompt, SynthesisOption::static_impedances,
                          SynthesisOption::dispersive_impedances);
  d_.iops = menu(kSynthesisSubMenu, kSynthesisSubPrompt, SynthesisTarget::zo_coupling,
                 SynthesisTarget::zoe_zoo);
}

void Call::format_menu() {
  d_.iop2b =
      menu(kFormatMenu, kFormatPrompt, ResponseFormat::magnitude_phase, ResponseFormat::quadrature);
}

}  // namespace cuplo::input
