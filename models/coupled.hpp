// Coupled microstrip pair and N-strip interdigitated coupler models.
// Arguments stand in the alphabetical order of their names; inputs by value, outputs by
// reference, then the result records a routine rewrites, then the observer of lcimp's
// intermediate values (null when nobody watches).
#pragma once

#include <cstdint>

#include "models/records.hpp"

namespace cuplo::models {

// Which modes the dispersion models evaluate: both, or one alone (the sensitivities are taken
// one mode at a time; the other mode then keeps its static value).
enum class Modes { both, even_only, odd_only };

// What lcimp computes on its way to the pair impedances: the effective widths it was given,
// the width ratios of the equivalent single strips, and Wheeler's closed-form impedances of
// those strips (H. A. Wheeler, 1977), which are worked out only for an observer.
struct LcImpTrace {
  float wte = 0.0f;
  float wto = 0.0f;
  float whe = 0.0f;
  float who = 0.0f;
  float zoeap_wheeler = 0.0f;
  float zooap_wheeler = 0.0f;
};

// Watches every lcimp evaluation: first the equivalent strips and Wheeler's impedances, then
// the Hammerstad-Jensen pair impedances that lcimp returns.
class LcImpObserver {
 public:
  virtual void equivalent_strips(const LcImpTrace& trace) const = 0;
  virtual void pair_impedances(float zoeap, float zooap) const = 0;

 protected:
  ~LcImpObserver() = default;
};

// Thickness-corrected even- and odd-mode widths of a coupled pair.
void lcwta(float er, float h, float s, float t, float w, float& wte, float& wto);

// Inverse of lcwta for the even mode: the physical width w that gives wte. Returns false
// when the narrow-strip search reaches its bound without converging; w is then its last
// trial width.
[[nodiscard]] bool lcwts(float er, float h, float s, float t, float& w, float wte);

// Static even- and odd-mode impedances of an adjacent pair by the equivalent single strip
// method; iflag = 2 when zooap is not below zoeap. An observer sees the intermediate values.
void lcimp(float er, float h, std::int32_t& iflag, std::int32_t n, float s, float wte, float wto,
           float& zoeap, float& zooap, MsImp1& msimp1, const LcImpObserver* observer);

// Kirschning-Jansen dispersion of the even and odd effective permittivities of coupled
// microstrip; results in lceff1.
void lceff(float effc, float effe, float effo, float er, float f, float h, Modes modes, float s,
           float wte, float wto, LcEff1& lceff1);

// Kirschning-Jansen dispersion of the even- and odd-mode pair impedances; results in
// lcdis1. Nothing is computed when iflag is non-zero on entry.
void lcdis(float effo, float effof, float er, float f, float h, float h2, std::int32_t& iflag,
           Modes modes, float s, float wte, float wto, float zoeap, float zooap, LcDis1& lcdis1,
           MsImp1& msimp1, MsZo1& mszo1);

// Pair impedances and N to the coupler's zo, coupling (cc linear, ko dB), zoe and zoo.
void lczo(float& cc, float& ko, std::int32_t n, float& zo, float& zoe, float zoeap, float& zoo,
          float zooap);

// Coupler zo, cc and N to the pair impedances.
void lczoezoo(float cc, std::int32_t n, float zo, float& zoeap, float& zooap);

// Two-line conversion: m = 2 from zoe and zoo to zo, cc and ko; otherwise from zo and ko to
// cc, zoe and zoo.
void sl1zo(float& cc, float& ko, std::int32_t m, float& zo, float& zoe, float& zoo);

// Static effective permittivities of the coupler (coupler value, even mode, odd mode).
void lcpv(float& effc, float& effe, float& effo, float er, float h, std::int32_t n, float s,
          float t, float w, float wte, float wto, MsImp1& msimp1, const LcImpObserver* observer);

}  // namespace cuplo::models
