// Static even- and odd-mode impedances of an adjacent pair of coupled microstrips by the
// equivalent single strip method of Akhtarzad, Rowbotham and Johns: each mode of the pair is
// mapped to a single microstrip of width ratio given in closed form by inverse hyperbolic
// cosines, whose Hammerstad-Jensen impedance (msimp) times a mode factor is the pair's mode
// impedance. The factor is 2 for the pair alone, and an empirical function of er for the
// six-strip coupler. In the verification mode the intermediate widths and Wheeler's
// closed-form impedances of the equivalent strips (H. A. Wheeler, 1977) are printed as well.
#include <cmath>

#include "models/constants.hpp"
#include "models/coupled.hpp"
#include "models/microstrip.hpp"

namespace cuplo::models {

namespace {

// Inverse hyperbolic cosine in its logarithmic form, evaluated in single precision.
float arccosh(float x) {
  return std::log(x + std::sqrt(x * x - 1.0f));
}

}  // namespace

void lcimp(float er, float h, std::int32_t& iflag, std::int32_t n, float s, float wte, float wto,
           float& zoeap, float& zooap, MsImp1& msimp1, const LcImpObserver* observer) {
  // Mode factors: the pair's impedances are twice those of the equivalent single strips; the
  // six-strip coupler uses empirical er-dependent factors.
  float fe = 2.0f;
  float fo = 2.0f;
  if (n == 6) {
    fe = 0.04118f * er + 2.044f;
    fo = 0.01287f * er + 2.11f;
  }
  iflag = 0;
  float a = 1.0f;
  if (er < 6.0f) a = 4.0f / (1.0f + er / 2.0f);

  // Equivalent single-strip width ratios (Akhtarzad, Rowbotham, Johns).
  const float g = std::cosh(kPi * s / (2.0f * h));
  const float he = std::cosh(kPi * wte / h + kPi * s / (2.0f * h));
  const float ho = std::cosh(kPi * wto / h + kPi * s / (2.0f * h));
  const float whe = (2.0f / kPi) * arccosh((2.0f * he - g + 1.0f) / (g + 1.0f));
  const float who = (a / kPi) * arccosh(1.0f + 2.0f * wto / s) +
                    (2.0f / kPi) * arccosh((2.0f * ho - g - 1.0f) / (g - 1.0f));

  if (observer != nullptr) {
    // Wheeler's closed-form impedance of each equivalent strip; shown only.
    const float ae = (whe / 8.0f) * (whe / 8.0f);
    const float ao = (who / 8.0f) * (who / 8.0f);
    const float b = (4.0f / er + 7.0f) / 11.0f;
    const float c = (1.0f / er + 1.0f) / 0.81f;
    const float pe = (b + std::sqrt(b * b + 4.0f * ae * c)) / (2.0f * ae);
    const float po = (b + std::sqrt(b * b + 4.0f * ao * c)) / (2.0f * ao);
    const float k = 42.4f / std::sqrt(er + 1.0f);
    zoeap = k * fe * std::log(pe + 1.0f);
    zooap = k * fo * std::log(po + 1.0f);
    observer->equivalent_strips({wte, wto, whe, who, zoeap, zooap});
  }

  // Hammerstad-Jensen impedances of the equivalent strips, thickness 0, cover out of reach.
  const float we = h * whe;
  const float wo = h * who;
  const float h2 = 1000.0f * h;
  msimp(er, h, h2, 0.0f, we, msimp1);
  zoeap = fe * msimp1.zo;
  msimp(er, h, h2, 0.0f, wo, msimp1);
  zooap = fo * msimp1.zo;

  if (observer != nullptr) observer->pair_impedances(zoeap, zooap);

  if (zooap >= zoeap) iflag = 2;
}

}  // namespace cuplo::models
