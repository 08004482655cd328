// Width and spacing synthesis, centre frequency of a given length, and sensitivities.
#pragma once

#include <cstdint>

#include "models/coupled.hpp"
#include "models/records.hpp"

namespace cuplo::design {

// Sensitivities of the even-mode impedance (lcsen1) and odd-mode impedance (lcsen2) to
// er, h, s, t and w, in that order.
struct LcSen1 {
  float szoeer = 0.0f;
  float szoeh = 0.0f;
  float szoes = 0.0f;
  float szoet = 0.0f;
  float szoew = 0.0f;
};
struct LcSen2 {
  float szooer = 0.0f;
  float szooh = 0.0f;
  float szoos = 0.0f;
  float szoot = 0.0f;
  float szoow = 0.0f;
};

// Static synthesis of spacing and effective widths for wanted pair impedances;
// iflag = 1 when the search leaves its valid range or reaches its bound.
void lcws(float er, float h, std::int32_t& iflag, std::int32_t n, float& s, float t, float& wte,
          float& wto, float zoeap, float zooap);

// Dispersive synthesis at f GHz: corrects the static targets until the dispersive coupler
// impedances equal the wanted ones to 0.01 %. Leaves the last pass in lceff1 and lcdis1.
void lcsyn(float& cc, float er, float f, float h, std::int32_t& iflag, std::int32_t n, float& s,
           float t, float& w, float& wte, float& zo, float& zoe, float& zoo, models::LcEff1& lceff1,
           models::LcDis1& lcdis1, models::MsImp1& msimp1, models::MsZo1& mszo1,
           const models::LcImpObserver* observer);

// Centre frequency at which a coupler of length l is a quarter wavelength long; lceff1 holds
// the dispersive permittivities at the returned f. False when the search reaches its bound
// without matching l; f is then the last trial frequency.
bool msfsyn(float effc, float effe, float effo, float er, float& f, float h, float l, float s,
            float wte, float wto, models::LcEff1& lceff1);

// The length of a coupler that is a quarter wavelength at fo GHz on the coupler effective
// permittivity effcf at fo, inches.
float quarter_wave_length(float fo, float effcf);

// Normalized sensitivities of the dispersive coupler impedances, with the modes that the
// dispersion evaluates; zoef and zoof are the impedances at the given values.
void lcsen(float er, float f, float h, std::int32_t& iflag, models::Modes modes, std::int32_t n,
           float s, float t, float w, float& zoef, float& zoof, LcSen1& lcsen1, LcSen2& lcsen2,
           models::LcEff1& lceff1, models::LcDis1& lcdis1, models::MsImp1& msimp1,
           models::MsZo1& mszo1, const models::LcImpObserver* observer);

}  // namespace cuplo::design
