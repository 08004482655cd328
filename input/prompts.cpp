// The value prompts, their acceptance tests and the plausibility checks with their re-entry
// questions.
#include <cmath>

#include "cuplo/limits.hpp"
#include "cuplo/sweep.hpp"
#include "input/call.hpp"
#include "input/verification.hpp"
#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/numeric.hpp"
#include "network/network.hpp"
#include "ops/operations.hpp"

namespace cuplo::input {
namespace {

using cuplo::Limit;

using text::Format;

const Format kDimensionalHeader("(/,6X,'Please enter the following DIMENSIONAL DATA:')");
const Format kRangeHeader("(/,6X,'Please enter Frequency Range:')");
const Format kTerminationHeader("(/,6X,'Enter Load and Source Terminations:')");

const Format kPromptH("(11X,'-Substrate`s Dielectric Thickness  (H), Inches = ')");
const Format kPromptW("(11X,'-Strip Width of Coupled Strips     (W), Inches = ')");
const Format kPromptWmin("(11X,'-Minimum Strip Width  (Wmin), Inches = ')");
const Format kPromptWmax("(11X,'-Maximum Strip Width  (Wmax), Inches = ')");
const Format kPromptWstep("(11X,'-Strip Width Step Size(Wstep),Inches = ')");
const Format kPromptT("(11X,'-Center Conductor`s Strip Thickness(T), Inches = ')");
const Format kPromptS("(11X,'-Spacing/Gap between Coupled Strips(S), Inches = ')");
const Format kPromptSmin("(11X,'-Minimum Strip Spacing  (Smin), Inches = ')");
const Format kPromptSmax("(11X,'-Maximum Strip Spacing  (Smax), Inches = ')");
const Format kPromptSstep("(11X,'-Strip Spacing Step Size(Sstep),Inches = ')");
const Format kPromptRes("(11X,'-Conductor`s Resistivity (RES),    Mico-Ohm-cm = ')");
const Format kPromptSr("(11X,'-Conductor`s Surface Roughness (SR),Micro-Inch = ')");
const Format kPromptEr("(11X,'-Substrate`s Relative Dielectric Constant (Er) = ')");
const Format kPromptDltan("(11X,'-Substrate`s Dielectric Loss Tangent   (DLTAN) = ')");
const Format kPromptN("(11X,'-Number of Coupled Strips in Coupler,(N=4 or 6)= ')");
const Format kPromptAnyN("(11X,'-Number of Coupled Strips (N = An even integer)= ')");
const Format kPromptImpedanceF("(11X,'-Spot Frequency for Impedance Analysis(F), GHz = ')");
const Format kPromptSensitivityF("(11X,'-Spot Frequency for Sensitivity Analysis(F),GHz= ')");
const Format kPromptL("(11X,'-Length of Cuplo Coupler    (L), Inches = ')");
const Format kPromptFmin("(11X,'-Analysis Start Frequency, GHz = ')");
const Format kPromptFmax("(11X,'-Analysis Stop  Frequency, GHz = ')");
const Format kPromptFstep("(11X,'-Analysis Step  Frequency, GHz = ')");
const Format kPromptFo("(11X,'-Design Center Freq. (Fo), GHz = ')");
const Format kPromptRs("(11X,'-Source Termination (Rs), Ohms = ')");
const Format kPromptRl("(11X,'-Load   Termination (Rl), Ohms = ')");
const Format kPromptSynthesisF("(11X,'-Frequency for Synthesis (F), GHz = ')");
const Format kPromptZo("(11X,'-Impedance of Coupler   (Zo),Ohms = ')");
const Format kPromptCo("(11X,'-Midband Coupling Factor(Co),  dB = ')");
const Format kPromptZoe("(11X,'-Even Mode Impedance(Zoe>Zo),Ohms = ')");
const Format kPromptZoo("(11X,'-Odd  Mode Impedance   (Zoo),Ohms = ')");

const Format kCentreFrequency("(11X,'-Design Center Frequency (Fo),GHz =',F7.3)");
const Format kCoupledLength("(11X,'-Length of Coupler (L), Inches =',F6.4)");
const Format kSynthesisZo("(11X,'-Impedance of Coupler   (Zo),Ohms =',F6.2)");
const Format kSynthesisCo("(11X,'-Midband Coupling Factor(Co),  dB =',F7.3)");
const Format kSynthesisZoe("(11X,'-Even Mode Impedance(Zoe>Zo),Ohms =',F6.2)");
const Format kSynthesisZoo("(11X,'-Odd  Mode Impedance   (Zoo),Ohms =',F6.2)");

const Format kWidthMessage(
    "(/,6X,'ERROR DETECTED: For W/H > 3.0, Coupler Impedance',' level is very low.')");
const Format kWidthQuestion("(14X,'Analysis algorithms may fail. Enter 1 to re-enter H and W : ')");
const Format kThicknessMessage("(/,6X,'ERROR DETECTED: Algorithm accuracy is compromised',' for')");
const Format kThicknessQuestion("(22X,'S < 2.0*T. Enter 1 to re-enter S and T : ')");
const Format kSpacingMessage(
    "(/,6X,'ERROR DETECTED: Coupling is very loose for S/H >',' 8.0. Analysis')");
const Format kSpacingQuestion("(18X,'algorithms may fail. Enter 1 to re-enter H and S : ')");
const Format kErMessage(
    "(/,6X,'ERROR DETECTED: Substrates with Er > 20.0 may ','cause computational')");
const Format kErQuestion("(22X,'difficulties. Enter 1 to re-enter Er : ')");
const Format kFrequencyMessage(
    "(/,6X,'ERROR DETECTED: Input Frequency is too large for',' the Substrate',"
    "/,22X,'Thickness entered. Computational ','difficulties')");
const Format kFrequencyQuestion("(22X,'may occur. Enter 1 to re-enter Frequency : ')");
const Format kLengthMessage(
    "(/,6X,'ERROR DETECTED: The coupler length entered will yield a center frequency',"
    "/,22X,'too large for the substrate thickness entered. Computa-')");
const Format kLengthQuestion("(22X,'tional difficulties may occur. Enter 1 to re-enter L : ')");
const Format kCentreMessage(
    "(/,6X,'ERROR DETECTED: The computed center frequency ','is too large',"
    "/,10X,'for the Substrate Thickness entered above.',' Computational')");
const Format kCentreQuestion("(17X,'difficulties may occur. Enter 1 to re-enter L : ')");
const Format kTypedCouplingMessage(
    "(/,6X,'ERROR DETECTED: Synthesis may not converge for  ','Coupling: Co < -10.0 dB')");
const Format kTypedCouplingQuestion("(22X,'or Co > -1.5 dB. Enter 1 to re-enter Co : ')");
const Format kImpedanceOrderMessage(
    "(/,6X,'ERROR DETECTED: Even Mode Impedance (Zoe) must ','be greater than Odd',"
    "/,22X,'Mode Impedance (Zoo). Please ','re-enter Zoe and Zoo.')");
const Format kComputedCouplingMessage(
    "(/,6X,'ERROR DETECTED: Synthesis may not converge for ','Coupling: Co < -10.0 dB')");
const Format kComputedCouplingQuestion(
    "(15X,'or Co > -1.5 dB. Enter 1 to re-enter Zoe and Zoo : ')");

// Acceptance tests of the prompts.
bool positive(float v) {
  return v > 0.0f;
}
bool nonzero(float v) {
  return v != 0.0f;
}
// The smallest width and spacing taken from an answer are the models' limits.
bool width_ok(float v) {
  return v >= cuplo::spec(Limit::width).low;
}
bool spacing_ok(float v) {
  return v >= cuplo::spec(Limit::spacing).low;
}
bool permittivity_ok(float v) {
  return v >= 1.0f;
}

// The plausibility checks of the design are the models' accuracy limits.
constexpr float kMaxWidthRatio = cuplo::spec(Limit::width_ratio).high;
constexpr float kMaxSpacingRatio = cuplo::spec(Limit::spacing_ratio).high;
constexpr float kMinSpacingThickness = cuplo::spec(Limit::spacing_thickness).low;
constexpr float kMaxPermittivity = cuplo::spec(Limit::permittivity).high;
constexpr float kMaxFrequencyThickness = cuplo::spec(Limit::frequency_thickness).high;

// The number of step intervals of a sweep; the sweep has this many plus one points.
std::int32_t sweep_count(float first, float last, float step) {
  return cuplo::sweep_last_index(first, last, step);
}

// The coupling magnitude (dB) outside the range where the synthesis converges.
bool coupling_implausible(float ko) {
  return ko < cuplo::spec(Limit::synthesis_coupling).low ||
         ko > cuplo::spec(Limit::synthesis_coupling).high;
}

}  // namespace

float Call::read_value(const Format& prompt) {
  io_.console.prompt(prompt);
  return io_.answers.real();
}

void Call::value(const Format& prompt, float& member, float loaded, bool (*accept)(float)) {
  const float temp = read_value(prompt);
  member = loaded;
  if (accept(temp)) member = temp;
}

bool Call::reenter(const Format& message, const Format& question) {
  io_.console.put(message);
  return ask_integer(question) == 1;
}

bool Call::frequency_too_high(float f) const {
  const float fnorm = f * d_.h * models::kMmPerInch;
  return fnorm > kMaxFrequencyThickness;
}

void Call::frequency(const Format& prompt, float& member, float loaded) {
  do {
    value(prompt, member, loaded, positive);
  } while (frequency_too_high(member) && reenter(kFrequencyMessage, kFrequencyQuestion));
}

bool Call::width_sweep() const {
  return (d_.iop == AnalysisOption::impedance && d_.iop1 == ImpedanceSweep::width) ||
         (d_.iop == AnalysisOption::sensitivity && d_.iop3 == SensitivityForm::width);
}

bool Call::spacing_sweep() const {
  return (d_.iop == AnalysisOption::impedance && d_.iop1 == ImpedanceSweep::spacing) ||
         (d_.iop == AnalysisOption::sensitivity && d_.iop3 == SensitivityForm::spacing);
}

bool Call::four_port() const {
  return d_.ifunc == Function::analysis && d_.iop == AnalysisOption::frequency &&
         d_.iop2a == FrequencyAnalysis::four_port;
}

void Call::dimensional_data() {
  io_.console.put(kDimensionalHeader);
  Step step = Step::h;
  while (step != Step::done) {
    switch (step) {
      case Step::h:
        step = prompt_h();
        break;
      case Step::w:
        step = prompt_w();
        break;
      case Step::wmin:
        step = prompt_wmin();
        break;
      case Step::wmax:
        step = prompt_wmax();
        break;
      case Step::wstep:
        step = prompt_wstep();
        break;
      case Step::t:
        step = prompt_t();
        break;
      case Step::s:
        step = prompt_s();
        break;
      case Step::smin:
        step = prompt_smin();
        break;
      case Step::smax:
        step = prompt_smax();
        break;
      case Step::sstep:
        step = prompt_sstep();
        break;
      case Step::conductor:
        step = conductor();
        break;
      case Step::er:
        step = prompt_er();
        break;
      case Step::dltan:
        step = prompt_dltan();
        break;
      case Step::n:
        step = prompt_n();
        break;
      case Step::dispatch:
        step = dispatch();
        break;
      case Step::done:
        break;
    }
  }
}

// H has no loaded default: an answer that fails the test keeps the current height. After a
// re-entry the dialogue jumps straight back to the prompt whose check failed.
Call::Step Call::prompt_h() {
  const float temp = read_value(kPromptH);
  if (temp > 0.0f) d_.h = temp;
  switch (ierror_) {
    case 1:
      return Step::w;
    case 2:
      return Step::wmin;
    case 3:
      return Step::wmax;
    case 4:
      return Step::s;
    case 5:
      return Step::smin;
    case 6:
      return Step::smax;
    default:
      break;
  }
  if (d_.ifunc == Function::synthesis) return Step::t;
  return width_sweep() ? Step::wmin : Step::w;
}

// The three geometry checks. A failure records the prompt to return to after the re-entered
// H or T before the question is asked; each returns true when the user re-enters.
bool Call::width_rejected(float w, std::int32_t target) {
  if (!(w / d_.h > kMaxWidthRatio)) return false;
  ierror_ = target;
  return reenter(kWidthMessage, kWidthQuestion);
}

bool Call::gap_rejected(float s, std::int32_t target) {
  if (!(s < kMinSpacingThickness * d_.t)) return false;
  ierr_ = target;
  return reenter(kThicknessMessage, kThicknessQuestion);
}

bool Call::spacing_rejected(float s, std::int32_t target) {
  if (!(s / d_.h > kMaxSpacingRatio)) return false;
  ierror_ = target;
  return reenter(kSpacingMessage, kSpacingQuestion);
}

Call::Step Call::prompt_w() {
  value(kPromptW, d_.wdef, d_.defaults.w, width_ok);
  return width_rejected(d_.wdef, 1) ? Step::h : Step::t;
}

Call::Step Call::prompt_wmin() {
  value(kPromptWmin, d_.wmin, d_.defaults.wmin, width_ok);
  return width_rejected(d_.wmin, 2) ? Step::h : Step::wmax;
}

Call::Step Call::prompt_wmax() {
  value(kPromptWmax, wmax_, d_.defaults.wmax, positive);
  if (d_.wmin > wmax_) wmax_ = d_.wmin;
  return width_rejected(wmax_, 3) ? Step::h : Step::wstep;
}

Call::Step Call::prompt_wstep() {
  value(kPromptWstep, d_.wstep, d_.defaults.wstep, positive);
  d_.i = sweep_count(d_.wmin, wmax_, d_.wstep);
  return Step::t;
}

Call::Step Call::prompt_t() {
  value(kPromptT, d_.t, d_.defaults.t, positive);
  if (ierr_ == 1) return Step::s;
  if (ierr_ == 2) return Step::smin;
  if (d_.ifunc == Function::synthesis) return Step::er;
  return spacing_sweep() ? Step::smin : Step::s;
}

Call::Step Call::prompt_s() {
  value(kPromptS, d_.sdef, d_.defaults.s, spacing_ok);
  if (gap_rejected(d_.sdef, 1)) return Step::t;
  if (spacing_rejected(d_.sdef, 4)) return Step::h;
  return four_port() ? Step::conductor : Step::er;
}

Call::Step Call::prompt_smin() {
  value(kPromptSmin, d_.smin, d_.defaults.smin, spacing_ok);
  if (gap_rejected(d_.smin, 2)) return Step::t;
  if (spacing_rejected(d_.smin, 5)) return Step::h;
  return Step::smax;
}

Call::Step Call::prompt_smax() {
  value(kPromptSmax, smax_, d_.defaults.smax, positive);
  if (d_.smin > smax_) smax_ = d_.smin;
  return spacing_rejected(smax_, 6) ? Step::h : Step::sstep;
}

Call::Step Call::prompt_sstep() {
  value(kPromptSstep, d_.sstep, d_.defaults.sstep, positive);
  d_.i = sweep_count(d_.smin, smax_, d_.sstep);
  return Step::er;
}

// Resistivity from micro-ohm-centimetres to ohm-inches, roughness from micro-inches to inches.
Call::Step Call::conductor() {
  value(kPromptRes, d_.res1, d_.defaults.res, positive);
  d_.res = network::resistivity_ohm_inch(d_.res1);
  value(kPromptSr, d_.sr1, d_.defaults.sr, positive);
  d_.sr = network::roughness_inch(d_.sr1);
  return Step::er;
}

Call::Step Call::prompt_er() {
  value(kPromptEr, d_.er, d_.defaults.er, permittivity_ok);
  if (d_.er > kMaxPermittivity && reenter(kErMessage, kErQuestion)) return Step::er;
  return four_port() ? Step::dltan : Step::n;
}

Call::Step Call::prompt_dltan() {
  value(kPromptDltan, d_.tlos, d_.defaults.dltan, positive);
  return Step::n;
}

// The number of strips is 4 or 6; the verification-mode code opens a hidden entry that
// takes any positive integer.
Call::Step Call::prompt_n() {
  for (;;) {
    const std::int32_t itemp = ask_integer(kPromptN);
    d_.n = d_.defaults.n;
    if (itemp > 0) d_.n = itemp;
    if (itemp == kVerificationCode) {
      const std::int32_t any = ask_integer(kPromptAnyN);
      d_.n = d_.defaults.n;
      if (any > 0) d_.n = any;
      return Step::dispatch;
    }
    if (d_.n == 4 || d_.n == 6) return Step::dispatch;
  }
}

void Call::spot_frequency(const Format& prompt) {
  frequency(prompt, d_.fdef, d_.defaults.f);
}

Call::Step Call::dispatch() {
  if (d_.ifunc == Function::synthesis) {
    synthesis_values();
  } else if (d_.iop == AnalysisOption::impedance) {
    spot_frequency(kPromptImpedanceF);
  } else if (d_.iop == AnalysisOption::sensitivity) {
    if (d_.iop3 == SensitivityForm::frequency) {
      frequency_range();
    } else {
      spot_frequency(kPromptSensitivityF);
    }
  } else {
    const bool four_port_path = d_.iop2a == FrequencyAnalysis::four_port;
    if (four_port_path && ilength_ == 1) entered_length();
    frequency_range();
    if (four_port_path) {
      if (ilength_ != 1) four_port_completion();
      io_.console.put(kTerminationHeader);
      value(kPromptRs, d_.rs, d_.defaults.rs, positive);
      value(kPromptRl, d_.rl, d_.defaults.rl, positive);
      format_menu();
    }
  }
  return Step::done;
}

// Effective widths and static permittivities of the design, for the four-port paths.
void Call::static_permittivities() {
  const VerificationPrints prints(io_.console.stream());
  ops::static_permittivities(material(), strips(), statics_, msimp1_, observer(d_, prints));
}

ops::Material Call::material() const {
  return {d_.er, d_.h, d_.t};
}

ops::Strips Call::strips() const {
  return {d_.n, d_.wdef, d_.sdef};
}

// The centre frequency of an entered length: the frequency at which the length is a quarter
// wavelength on the coupler. A search that does not settle leaves its last trial frequency,
// which the centre-frequency check then judges as it would any other.
void Call::entered_length() {
  const float c = models::kLightInchNs;
  for (;;) {
    value(kPromptL, d_.l, d_.defaults.l, positive);
    const float fnorm = 25.4f * d_.h * c / (4.0f * d_.l * std::sqrt(d_.er));
    if (fnorm > kMaxFrequencyThickness && reenter(kLengthMessage, kLengthQuestion)) continue;
    static_permittivities();
    static_cast<void>(ops::centre_frequency(material(), strips(), statics_, d_.l, fo_, lceff1_));
    io_.console.put(kCentreFrequency, {fo_});
    if (fo_ * d_.h * models::kMmPerInch > kMaxFrequencyThickness &&
        reenter(kCentreMessage, kCentreQuestion)) {
      continue;
    }
    return;
  }
}

void Call::frequency_range() {
  io_.console.put(kRangeHeader);
  frequency(kPromptFmin, d_.fmin, d_.defaults.fmin);
  do {
    value(kPromptFmax, fmax_, d_.defaults.fmax, positive);
    if (d_.fmin > fmax_) d_.fmin = fmax_;
  } while (frequency_too_high(fmax_) && reenter(kFrequencyMessage, kFrequencyQuestion));
  value(kPromptFstep, d_.fstep, d_.defaults.fstep, positive);
  d_.i = sweep_count(d_.fmin, fmax_, d_.fstep);
}

// The length of a coupler that is a quarter wavelength at the design centre frequency.
void Call::four_port_completion() {
  frequency(kPromptFo, fo_, d_.defaults.f);
  static_permittivities();
  d_.l = ops::quarter_wave_length(material(), strips(), statics_, fo_, lceff1_);
  io_.console.put(kCoupledLength, {d_.l});
}

void Call::synthesis_values() {
  if (d_.iop_synthesis != SynthesisOption::static_impedances) {
    frequency(kPromptSynthesisF, d_.fdef, d_.defaults.f);
  }
  if (d_.iops == SynthesisTarget::zoe_zoo) {
    for (;;) {
      value(kPromptZoe, d_.zoedef, d_.defaults.zoe, positive);
      value(kPromptZoo, d_.zoodef, d_.defaults.zoo, positive);
      if (d_.zoedef <= d_.zoodef) {
        io_.console.put(kImpedanceOrderMessage);
        continue;
      }
      models::sl1zo(d_.ccdef, d_.kodef, code(d_.iops), d_.zodef, d_.zoedef, d_.zoodef);
      io_.console.put(kSynthesisZo, {d_.zodef});
      io_.console.put(kSynthesisCo, {d_.kodef});
      const float magnitude = std::fabs(d_.kodef);
      if (coupling_implausible(magnitude) &&
          reenter(kComputedCouplingMessage, kComputedCouplingQuestion)) {
        continue;
      }
      return;
    }
  }
  value(kPromptZo, d_.zodef, d_.defaults.zo, positive);
  do {
    value(kPromptCo, d_.kodef, d_.defaults.co, nonzero);
    d_.kodef = std::fabs(d_.kodef);
  } while (coupling_implausible(d_.kodef) &&
           reenter(kTypedCouplingMessage, kTypedCouplingQuestion));
  // A typed 3 and a typed -3 both mean a coupling of -3 dB.
  d_.kodef = -d_.kodef;
  models::sl1zo(d_.ccdef, d_.kodef, code(d_.iops), d_.zodef, d_.zoedef, d_.zoodef);
  io_.console.put(kSynthesisZoe, {d_.zoedef});
  io_.console.put(kSynthesisZoo, {d_.zoodef});
}

}  // namespace cuplo::input
