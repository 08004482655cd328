// Result records of the coupled-strip models. One instance of each lives in the session;
// each is written only by the routine named after it and read by its callers.
#pragma once

namespace cuplo::models {

// msimp: static single microstrip.
struct MsImp1 {
  float ef = 0.0f;    // static effective permittivity
  float u = 0.0f;     // w/h1 of the physical width
  float weff = 0.0f;  // width after the thickness correction
  float zo = 0.0f;    // characteristic impedance, ohms
  float zoa = 0.0f;   // air impedance after the cover correction, ohms
};

// mszo: dispersive single microstrip.
struct MsZo1 {
  float eff = 0.0f;  // effective permittivity at f
  float zof = 0.0f;  // impedance at f, ohms
};

// lceff: coupler effective permittivities at frequency.
struct LcEff1 {
  float effcf = 0.0f;
  float effef = 0.0f;
  float effof = 0.0f;
};

// lcdis: even- and odd-mode pair impedances at frequency.
struct LcDis1 {
  float zoeapf = 0.0f;
  float zooapf = 0.0f;
};

}  // namespace cuplo::models
