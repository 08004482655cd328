#include "models/chain.hpp"

namespace cuplo::models {

void static_chain(float er, float h, std::int32_t& iflag, std::int32_t n, float s, float t, float w,
                  Statics& st, CouplerValues& coupler, MsImp1& msimp1,
                  const LcImpObserver* observer) {
  lcwta(er, h, s, t, w, st.wte, st.wto);
  lcimp(er, h, iflag, n, s, st.wte, st.wto, st.zoeap, st.zooap, msimp1, observer);
  lczo(coupler.cc, coupler.ko, n, coupler.zo, coupler.zoe, st.zoeap, coupler.zoo, st.zooap);
  lcpv(st.effc, st.effe, st.effo, er, h, n, s, t, w, st.wte, st.wto, msimp1, observer);
}

bool dispersive_chain(const Statics& st, float er, float f, float h, std::int32_t& iflag,
                      Modes modes, std::int32_t n, float s, CouplerValues& coupler, LcEff1& lceff1,
                      LcDis1& lcdis1, MsImp1& msimp1, MsZo1& mszo1) {
  lceff(st.effc, st.effe, st.effo, er, f, h, modes, s, st.wte, st.wto, lceff1);
  // The cover of the single-strip models is out of reach: 1000 substrate heights.
  const float h2 = h * 1000.0f;
  lcdis(st.effo, lceff1.effof, er, f, h, h2, iflag, modes, s, st.wte, st.wto, st.zoeap, st.zooap,
        lcdis1, msimp1, mszo1);
  lczo(coupler.cc, coupler.ko, n, coupler.zo, coupler.zoe, lcdis1.zoeapf, coupler.zoo,
       lcdis1.zooapf);
  return iflag == 0;
}

}  // namespace cuplo::models
