#!/usr/bin/env bash
# End-to-end runs of the real program in a fresh working folder.
#   end_to_end.sh CASE CUPLO DEFAULTS_FILE
# Cases:
#   storage_dev_full   storage asked under /dev/full: the write must fail with exit status 2
#                      and a report on the error stream, never a silent success
#   missing_defaults   no defaults file: exit status 2, a report naming CuploDEMO.DEF and a
#                      line naming the installed demo file
#   storage_file       the same dialogue under an ordinary name: status 0 and the report in
#                      the file (shows that the first case fails for the right reason)
#   defaults_spelled   storage asked under ./CuploDEMO.DEF: the defaults file stays as it was
#                      and the report goes to Cuplo.DAT
#   faulty_defaults    a defaults file with a faulty entry: the console names the entry and
#                      the run ends with exit status 1, a failure, never 0
set -u
case_name=$1
cuplo=$2
defaults=$3

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1

fail() {
  echo "FAIL ($case_name): $*" >&2
  echo "--- stdout (tail)" >&2
  tail -n 20 out.txt >&2
  echo "--- stderr" >&2
  cat err.txt >&2
  exit 1
}

# Impedance analysis over the default widths, storage under the name given, then exit.
answers() {
  printf '1\n1\n1\n\n\n\n\n\n\n\n\n\n1\n%s\n3\n' "$1"
}

case $case_name in
  storage_dev_full)
    [ -c /dev/full ] || { echo "no /dev/full on this machine: skipped"; exit 77; }
    cp "$defaults" CuploDEMO.DEF
    answers /dev/full | "$cuplo" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 2 ] || fail "exit status $status, expected 2"
    grep -q "Write failed" err.txt || fail "no write-failure report on the error stream"
    grep -q "/dev/full" err.txt || fail "the report does not name /dev/full"
    grep -q "Output data stored" out.txt && fail "the console claims the output was stored"
    [ "$(wc -l <err.txt)" -eq 1 ] || fail "more than the one report line: the defaults file is there"
    ;;
  missing_defaults)
    answers out.dat | "$cuplo" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 2 ] || fail "exit status $status, expected 2"
    grep -q "CuploDEMO.DEF" err.txt || fail "the report does not name CuploDEMO.DEF"
    grep -q "installed as /.*/share/cuplo/CuploDEMO.DEF; copy it" err.txt ||
      fail "no line tells where the installed demo defaults file is"
    grep -q "Program FUNCTION" out.txt && fail "a menu was shown without defaults"
    ;;
  storage_file)
    cp "$defaults" CuploDEMO.DEF
    answers report.txt | "$cuplo" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
    [ -s err.txt ] && fail "error report after a clean run"
    grep -q "Impedance Analysis" report.txt || fail "the storage file lacks the report"
    cmp -s "$defaults" CuploDEMO.DEF || fail "the defaults file was changed"
    ;;
  defaults_spelled)
    cp "$defaults" CuploDEMO.DEF
    answers ./CuploDEMO.DEF | "$cuplo" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 0 ] || fail "exit status $status, expected 0"
    cmp -s "$defaults" CuploDEMO.DEF || fail "the defaults file was overwritten"
    grep -q "Impedance Analysis" Cuplo.DAT || fail "the report is not in Cuplo.DAT"
    ;;
  faulty_defaults)
    sed 's/^0\.025 /0.025in/' "$defaults" >CuploDEMO.DEF
    grep -q '^0.025in' CuploDEMO.DEF || fail "could not make the H entry faulty"
    answers out.dat | "$cuplo" >out.txt 2>err.txt
    status=$?
    [ "$status" -eq 1 ] || fail "exit status $status, expected 1"
    grep -q "Fix entry for variable H\." out.txt || fail "the console does not name the H entry"
    grep -q "Program FUNCTION" out.txt && fail "a menu was shown after a faulty defaults file"
    ;;
  *)
    echo "unknown case $case_name" >&2
    exit 1
    ;;
esac
echo "ok ($case_name)"
