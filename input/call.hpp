// One call of parameter entry. Internal to the input library: the menus, the value prompts
// and the storage question share the call's locals (the re-entry targets, the range ends,
// the coupler-length mode), as the dialogue's steps jump between one another.
#pragma once

#include <cstdint>

#include "input/lcinput.hpp"
#include "ops/operations.hpp"
#include "text/format.hpp"

namespace cuplo::input {

class Call {
 public:
  Call(DesignState& d, Dialogue& io, Surroundings& env) : d_(d), io_(io), env_(env) {}

  // The dialogue; on the four-port path, what it computed for the response.
  std::optional<FourPortStart> run();

 private:
  // The steps of the value prompts; each prompt function returns the step that follows it.
  enum class Step : std::uint8_t {
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
    conductor,
    er,
    dltan,
    n,
    dispatch,
    done
  };

  // menus.cpp
  bool start();  // false after a faulty defaults file
  void start_banner();
  void analysis_menus();
  void synthesis_menus();
  void format_menu();
  // Shows a menu whose member holds `preset` unless the rounded answer is the code of one of
  // its items, 1 to the code of `last`.
  template <class Selection>
  Selection menu(const text::Format& records, const text::Format& question, Selection preset,
                 Selection last) {
    io_.console.put(records);
    return pick(ask_integer(question), preset, last);
  }
  // An answer outside 1 to the last item's code is ignored silently in favour of the preset.
  template <class Selection>
  static Selection pick(std::int32_t answer, Selection preset, Selection last) {
    return answer >= 1 && answer <= code(last) ? static_cast<Selection>(answer) : preset;
  }
  // Writes a question and returns the answer rounded to the nearest integer.
  std::int32_t ask_integer(const text::Format& question);

  // prompts.cpp
  void dimensional_data();
  Step prompt_h();
  Step prompt_w();
  Step prompt_wmin();
  Step prompt_wmax();
  Step prompt_wstep();
  Step prompt_t();
  Step prompt_s();
  Step prompt_smin();
  Step prompt_smax();
  Step prompt_sstep();
  Step conductor();
  Step prompt_er();
  Step prompt_dltan();
  Step prompt_n();
  Step dispatch();
  void static_permittivities();
  ops::Material material() const;
  ops::Strips strips() const;
  void entered_length();
  void frequency_range();
  void four_port_completion();
  void synthesis_values();
  void spot_frequency(const text::Format& prompt);

  float read_value(const text::Format& prompt);
  // The value prompt rule: the member takes its loaded default, then the answer if the
  // answer passes the prompt's acceptance test.
  void value(const text::Format& prompt, float& member, float loaded, bool (*accept)(float));
  // A frequency prompt followed by the frequency check until the user keeps the value.
  void frequency(const text::Format& prompt, float& member, float loaded);
  // A failed check: message, question; true when the user answers 1 (re-enter).
  bool reenter(const text::Format& message, const text::Format& question);
  bool width_rejected(float w, std::int32_t target);    // W/H above 3
  bool gap_rejected(float s, std::int32_t target);      // S below 2 T
  bool spacing_rejected(float s, std::int32_t target);  // S/H above 8
  bool frequency_too_high(float f) const;
  bool width_sweep() const;
  bool spacing_sweep() const;
  bool four_port() const;

  // storage.cpp
  void capture_date();
  void storage_question();

  DesignState& d_;
  Dialogue& io_;
  Surroundings& env_;

  std::int32_t ierror_ = 0;   // prompt that follows a re-entered H: 1 W ... 6 Smax
  std::int32_t ierr_ = 0;     // prompt that follows a re-entered T: 1 S, 2 Smin
  std::int32_t ilength_ = 2;  // coupler length: 1 entered, 2 computed
  float fmax_ = 0.0f;
  float wmax_ = 0.0f;
  float smax_ = 0.0f;
  // The four-port path's widths and static permittivities, its centre frequency, and the
  // scratch records of the routines that compute them.
  models::Statics statics_;
  float fo_ = 0.0f;
  models::LcEff1 lceff1_;
  models::MsImp1 msimp1_;
};

}  // namespace cuplo::input
