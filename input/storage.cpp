// The run's date and time, and the storage question that ends every call.
#include "input/call.hpp"
#include "input/defaults.hpp"
#include "models/constants.hpp"

namespace cuplo::input {
namespace {

using text::Format;

const Format kStorageQuestion("(/,6X,'Is Output Data STORAGE desired? (1=YES)  = ')");
const Format kNameAdvice(
    "(6X,'Enter a FILENAME (up to 20 characters) for Output Data storage: ',"
    "/,10X,'-Enter: Filename.xls for storage in a spreadsheet',"
    "/,10X,'-Enter: Filename.doc for storage in a word processor',"
    "/,10X,'-Enter: Filename.txt for storage as a text document')");
const Format kNamePrompt("(11X,'Enter your FILENAME for Output Data Storage: ')");

// The program's own files are never overwritten: such a name is silently replaced.
const std::string kReplacementName = [] {
  std::string name = "Cuplo.DAT";
  name.resize(kNameLength, ' ');
  return name;
}();

}  // namespace

// Taken once, at the first call: every banner of the run shows the same time.
void Call::capture_date() {
  d_.datetime = env_.clock();
}

void Call::storage_question() {
  d_.istore = Storage::off;
  const std::int32_t itemp = ask_integer(kStorageQuestion);
  if (itemp == code(Storage::verification)) d_.istore = Storage::verification;
  if (itemp != 1) return;

  io_.console.put(kNameAdvice);
  io_.console.prompt(kNamePrompt);
  const std::string fname = io_.answers.text();
  if (fname != kBlankName) d_.fn = fname;
  // The defaults file is protected under any spelling of its name as well.
  if (is_protected_name(d_.fn) ||
      env_.files.same_file(file_name(d_.fn), std::string(kDefaultsName))) {
    d_.fn = kReplacementName;
  }
  d_.istore = Storage::on;
}

}  // namespace cuplo::input
