#include "app/driver.hpp"

#include <string>

#include "app/operations.hpp"
#include "input/defaults.hpp"
#include "models/numeric.hpp"

namespace cuplo::app {
namespace {

using text::Format;

const Format kRunBanner(
    "(/,6X,72(1H-),"
    "/,6X,'Cuplo (v. 1.0)',26X,'Date:',I2,'/',I2,'/',I4,' at ',I2,':',I2,':',I2,'Hours',"
    "/,16X,'" +
    std::string(input::kMakerNotice) +
    "',"
    "/,16X,'RF/Microwave Computer-Aided Engineering Design Data For',"
    "/,16X,'     Microstrip Interdigitated (Cuplo) Couplers:',/)");
const Format kRule("(6X,72(1H-))");
const Format kStoredNotice("(6X,'Output data stored in User filename: ',A20)");
const Format kOperationMenu(
    "(/,6X,'Interdigitated Coupler calculations',' completed. Select next OPERATION:',"
    "/,15X,'1. Select ','new OPTION.',"
    "/,15X,'2. RECYCLE and CONTINUE.',"
    "/,14X,'*3. EXIT to operating system.')");
const Format kOperationPrompt("(6X,'OPERATION selected = ')");

void run_banner(text::Writer& writer, const input::DateTime& t) {
  writer.put(kRunBanner, {t.imon, t.iday, t.iyr, t.ihr, t.imin, t.isec});
}

void dispatch(Session& session, Work& work, Output& out) {
  const input::DesignState& d = session.state;
  const float f = d.fdef;
  using input::AnalysisOption;
  if (d.ifunc == input::Function::synthesis) {
    if (d.iop_synthesis == input::SynthesisOption::dispersive_impedances) {
      dispersive_synthesis(session, work, out, f);
    } else {
      static_synthesis(session, work, out, f);
    }
  } else if (d.iop == AnalysisOption::frequency) {
    if (d.iop2a == input::FrequencyAnalysis::dispersion) {
      dispersion_table(session, work, out);
    } else {
      four_port_response(session, work, out);
    }
  } else if (d.iop == AnalysisOption::sensitivity) {
    sensitivity_analysis(session, work, out, f);
  } else {
    impedance_analysis(session, work, out, f);
  }
}

}  // namespace

bool cuplo(Session& session, input::Dialogue& dialogue, input::Surroundings& surroundings,
           StorageFile& storage) {
  input::DesignState& d = session.state;
  d.isel = input::Pass::first;
  d.ccdef = 0.0f;
  d.istore = input::Storage::off;
  Work work;

  for (;;) {
    if (const auto start = input::lcinput(d, dialogue, surroundings)) {
      work.statics = start->statics;
      work.fo = start->fo;
    }
    if (d.isel == input::Pass::faulty_defaults) return false;

    work.coupler = {d.ccdef, d.kodef, d.zodef, d.zoedef, d.zoodef};
    work.s = d.sdef;
    work.w = d.wdef;

    run_banner(dialogue.console, d.datetime);
    text::Writer* stored = nullptr;
    if (d.istore == input::Storage::on) {
      stored = &storage.open(input::file_name(d.fn));
      run_banner(*stored, d.datetime);
    }
    Output out(dialogue.console, stored);
    dispatch(session, work, out);

    // Closing block.
    out.storage(kRule);
    dialogue.console.put(kRule);
    if (stored != nullptr) {
      // The records reach the file before the notice says so: a device that refuses them
      // (a full disk) ends the run without a claim that the output was stored.
      storage.flush();
      dialogue.console.put(kStoredNotice, {d.fn});
    }
    dialogue.console.put(kOperationMenu);
    dialogue.console.prompt(kOperationPrompt);
    // 1 a new option, 2 recycle; every other answer ends the run.
    const std::int32_t next = models::nint(dialogue.answers.real());
    if (next != code(input::Pass::new_option) && next != code(input::Pass::recycle)) return true;
    d.isel = static_cast<input::Pass>(next);
  }
}

}  // namespace cuplo::app
