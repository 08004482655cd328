// Sensitivity analysis: how strongly the dispersive even- or odd-mode impedance reacts to
// Er, H, S, W and T, versus frequency or over a range of W or S at one frequency.
#include "app/operations.hpp"

namespace cuplo::app {
namespace {

using text::Format;

// The dimension form: a range of W or S at one frequency.
const Format kDimensionTitle(
    "(10X,'Er =',F6.2,11X,'Sensitivity Analysis',8X,'H =',F7.4,'\"',"
    "/,11X,'N =',I2,1X,'Strips',7X,22(1H=),7X,'T =',F7.6,'\"',"
    "/,11X,'F =',F7.3,' GHz',10X,'(Option ',I1,'.',I1,')')");
const Format kDimensionEven(
    "(/,26X,'Dispersive',/,26X,'Impedances',4X,'Freq. Dependent Sensitivity of Zoe to:')");
const Format kDimensionOdd(
    "(/,26X,'Dispersive',/,26X,'Impedances',4X,'Freq. Dependent Sensitivity of Zoo to:')");
const Format kDimensionHeads(
    "(7X,'Strip Dimensions ',14(1H-),2X,38(1H-),"
    "/,6X,17(1H-),2X,'Even',4X,'Odd',14X,'Sub-',19X,'Strip',"
    "/,8X,'Width',3X,'Spacing',2X,'Mode',4X,'Mode',4X,'Dielec.',1X,'strate',2X,'Strip',3X,"
    "'Strip',3X,'Thick',"
    "/,10X,'W',8X,'S',5X,'Zoe',5X,'Zoo',5X,'Const.',2X,'Thick.',2X,'Spacing',1X,'Width',3X,"
    "'-ness',"
    "/,4X,2(4X,'(In.)'),2(2X,'(Ohms)'),5X,'Er',6X,'H',7X,'S',7X,'W',7X,'T',"
    "/,6X,72(1H-))");
const Format kDimensionRow("(1X,F12.5,F9.5,F8.2,F8.2,F8.3,F8.3,F8.3,F8.3,F8.3)");

// The frequency form: one W and S over a frequency range.
const Format kFrequencyTitle(
    "(10X,'Er =',F6.2,12X,'Sensitivity ','Analysis',10X,'S =',F8.5,'\"',"
    "/,11X,'H =',F7.4,'\"',9X,22(1H=),9X,'W =',F8.5,'\"',"
    "/,11X,'N =',I2,' Strips',13X,'(Option ',I1,'.',I1,')',14X,'T =',F7.6,'\"')");
const Format kFrequencyEven(
    "(/,21X,'Dispersive',/,21X,'Impedances',5X,'Freq. Dependent Sensitivity of ','Zoe to:')");
const Format kFrequencyOdd(
    "(/,21X,'Dispersive',/,21X,'Impedances',5X,'Freq. Dependent Sensitivity of ','Zoo to:')");
const Format kFrequencyHeads(
    "(20X,13(1H-),3X,38(1H-),"
    "/,21X,'Even',3X,'Odd',5X,'Dielec',3X,'Sub-',19X,'Strip',"
    "/,10X,'Analysis',3X,'Mode',3X,'Mode',5X,'-tric',2X,'strate',2X,'Strip',3X,'Strip',3X,"
    "'Thick',"
    "/,10X,'Frequency',2X,'Zoe',4X,'Zoo',5X,'Const.',2X,'Thick.',1X,'Spacing',2X,'Width',3X,"
    "'-ness',"
    "/,12X,'(GHz)',3X,'(Ohms)',1X,'(Ohms)',5X,'Er',6X,'H',7X,'S',7X,'W',7X,'T',"
    "/,10X,64(1H-))");
const Format kFrequencyRow("(1X,F17.4,F8.2,F7.2,F8.3,F8.3,F8.3,F8.3,F8.3)");

// One table: the rows of every sweep point for the mode in ieoro (2 odd, otherwise even), at
// the spot frequency f or over the frequency sweep. False when a model leaves its range of
// accuracy.
bool table(Session& session, Work& work, Output& out, float f) {
  input::DesignState& d = session.state;
  using input::SensitivityForm;
  const bool versus_frequency = d.iop3 == SensitivityForm::frequency;
  ops::Sensitivity& r = session.sensitivity;
  for (std::int64_t ii = 0; ii <= d.i; ++ii) {
    if (d.iop3 == SensitivityForm::width) {
      work.w = sweep_value(d.wmin, ii, d.wstep);
    } else if (d.iop3 == SensitivityForm::spacing) {
      work.s = sweep_value(d.smin, ii, d.sstep);
    } else {
      f = sweep_value(d.fmin, ii, d.fstep);
    }
    ops::sensitivity(material(d), strips(d, work), f, input::dispersed_modes(d), r, session.records,
                     out.observer(d));
    work.iflag = r.iflag;
    if (r.iflag != 0) {
      diagnostics(session, work, out, f);
      return false;
    }
    const design::LcSen1& e = r.even;
    const design::LcSen2& o = r.odd;
    const bool odd = d.ieoro == input::SensitivityModes::odd;
    const float er = odd ? o.szooer : e.szoeer;
    const float h = odd ? o.szooh : e.szoeh;
    const float s = odd ? o.szoos : e.szoes;
    const float w = odd ? o.szoow : e.szoew;
    const float t = odd ? o.szoot : e.szoet;
    if (versus_frequency) {
      out.both(kFrequencyRow, {f, r.zoef, r.zoof, er, h, s, w, t});
    } else {
      out.both(kDimensionRow, {work.w, work.s, r.zoef, r.zoof, er, h, s, w, t});
    }
  }
  return true;
}

}  // namespace

void sensitivity_analysis(Session& session, Work& work, Output& out, float f) {
  input::DesignState& d = session.state;
  const bool versus_frequency = d.iop3 == input::SensitivityForm::frequency;
  const Format& heads = versus_frequency ? kFrequencyHeads : kDimensionHeads;
  const Format& odd_title = versus_frequency ? kFrequencyOdd : kDimensionOdd;
  const Format& even_title = versus_frequency ? kFrequencyEven : kDimensionEven;

  if (versus_frequency) {
    out.both(kFrequencyTitle, {d.er, work.s, d.h, work.w, d.n, d.option(), code(d.iop3), d.t});
  } else {
    out.both(kDimensionTitle, {d.er, d.h, d.n, d.t, f, d.option(), code(d.iop3)});
  }
  out.both(d.ieoro == input::SensitivityModes::odd ? odd_title : even_title);
  out.both(heads);
  if (!table(session, work, out, f)) return;

  // Both modes: the odd-mode table follows under the same title block.
  if (d.ieoro == input::SensitivityModes::both) {
    d.ieoro = input::SensitivityModes::odd;
    out.both(odd_title);
    out.both(heads);
    table(session, work, out, f);
  }
}

}  // namespace cuplo::app
