// The design state that parameter entry hands to the driver: the menu selections, the design
// values and the loaded defaults, each a type of its own. Member names are those of the
// program's records.
#pragma once

#include <cstdint>
#include <string>

#include "cuplo/defaults.hpp"

namespace cuplo::input {

inline constexpr std::size_t kNameLength = 20;

// The answer to the storage question that switches on the verification mode: nothing is
// stored, the synthesis re-analyses its result, and lcimp's intermediate values are shown.
inline constexpr std::int32_t kVerificationCode = -417;
inline const std::string kBlankName(kNameLength, ' ');

struct DateTime {
  std::int32_t imon = 0;  // month 1 to 12
  std::int32_t iday = 0;
  std::int32_t iyr = 0;  // four digits
  std::int32_t ihr = 0;  // 0 to 23
  std::int32_t imin = 0;
  std::int32_t isec = 0;
};

// The selections of the menus, each with the code its menu shows and the titles print.
enum class Function : std::int32_t { analysis = 1, synthesis = 2 };
enum class AnalysisOption : std::int32_t { impedance = 1, frequency = 2, sensitivity = 3 };
enum class SynthesisOption : std::int32_t { static_impedances = 1, dispersive_impedances = 2 };
enum class ImpedanceSweep : std::int32_t { width = 1, spacing = 2 };
enum class FrequencyAnalysis : std::int32_t { four_port = 1, dispersion = 2 };
enum class ResponseFormat : std::int32_t { magnitude_phase = 1, quadrature = 2 };
enum class SensitivityForm : std::int32_t { frequency = 1, width = 2, spacing = 3 };
enum class SynthesisTarget : std::int32_t { zo_coupling = 1, zoe_zoo = 2 };
enum class SensitivityModes : std::int32_t { even = 1, odd = 2, both = 3 };
// How much of the dialogue a call of parameter entry shows, and how the last one ended.
enum class Pass : std::int32_t { faulty_defaults = -1, first = 0, new_option = 1, recycle = 2 };
// The answer to the storage question.
enum class Storage : std::int32_t { off = 0, on = 1, verification = kVerificationCode };

// The code of a selection, as its menu numbers it.
template <class Selection>
constexpr std::int32_t code(Selection s) {
  return static_cast<std::int32_t>(s);
}

// blk2, blk3, blk6, blk10: the selections. The option of each function is kept apart; the
// titles print the one of the function selected.
struct Selections {
  Pass isel = Pass::first;
  Function ifunc = Function::analysis;
  AnalysisOption iop = AnalysisOption::impedance;
  SynthesisOption iop_synthesis = SynthesisOption::static_impedances;
  ImpedanceSweep iop1 = ImpedanceSweep::width;
  FrequencyAnalysis iop2a = FrequencyAnalysis::four_port;
  ResponseFormat iop2b = ResponseFormat::magnitude_phase;
  SensitivityForm iop3 = SensitivityForm::frequency;
  SynthesisTarget iops = SynthesisTarget::zo_coupling;
  SensitivityModes ieoro = SensitivityModes::even;
  Storage istore = Storage::off;

  // The option of the function selected, as the titles print it.
  std::int32_t option() const {
    return ifunc == Function::synthesis ? code(iop_synthesis) : code(iop);
  }
  bool verifying() const { return istore == Storage::verification; }
};

// blk2 to blk5: the design values the prompts take, in inches, GHz and ohms.
struct DesignValues {
  float ccdef = 0.0f;  // voltage coupling coefficient used by synthesis
  float er = 0.0f;
  float fdef = 0.0f;  // spot frequency, GHz
  float fmin = 0.0f;
  float fstep = 0.0f;
  float h = 0.0f;      // substrate height, inches
  std::int32_t i = 0;  // index of the last sweep point
  float kodef = 0.0f;  // coupling, dB
  float l = 0.0f;      // coupler length, inches
  std::int32_t n = 0;  // number of strips
  float res = 0.0f;    // resistivity, ohm-inches
  float res1 = 0.0f;   // resistivity as typed, micro-ohm-cm
  float rl = 0.0f;
  float rs = 0.0f;
  float sdef = 0.0f;
  float smin = 0.0f;
  float sr = 0.0f;   // roughness, inches
  float sr1 = 0.0f;  // roughness as typed, micro-inches
  float sstep = 0.0f;
  float t = 0.0f;
  float tlos = 0.0f;
  float wdef = 0.0f;
  float wmin = 0.0f;
  float wstep = 0.0f;
  float zodef = 0.0f;
  float zoedef = 0.0f;
  float zoodef = 0.0f;
};

// The design state: the selections, the design values, the loaded defaults and the storage
// name. One instance for the whole run, owned by the session.
struct DesignState : Selections, DesignValues {
  // blk1: output storage name (20 characters, blank padded)
  std::string fn = kBlankName;
  // blk7, blk8, blk9: defaults loaded from the defaults file, never changed afterwards
  Defaults defaults;
  DateTime datetime;
};

}  // namespace cuplo::input
