#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs what was installed: cuplo on the installed
# demo defaults file (impedance analysis, every default, no storage, exit), and cuplo-calc
# --version where it is installed.
#   install.sh CMAKE BUILD_DIR BINDIR DATADIR MANDIR DOCDIR
# Skipped (77) only when cmake or a temporary folder cannot be had; an install that fails or
# leaves out a file, or an installed program that does not run, fails the test.
set -u
cmake=$1
build=$2
bindir=$3
datadir=$4
mandir=$5
docdir=$6

"$cmake" --version >/dev/null 2>&1 || { echo "cmake cannot run: skipped"; exit 77; }
top=$(mktemp -d) || { echo "no temporary folder: skipped"; exit 77; }
trap 'rm -rf "$top"' EXIT
prefix=$top/prefix
work=$top/work
mkdir "$work"

fail() {
  echo "FAIL: $*" >&2
  for log in install.log out.txt err.txt; do
    [ -s "$top/$log" ] && { echo "--- $log (tail)" >&2; tail -n 20 "$top/$log" >&2; }
  done
  exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >"$top/install.log" 2>&1 ||
  fail "cmake --install $build failed"
for file in "$bindir/cuplo" "$datadir/cuplo/CuploDEMO.DEF" "$mandir/man1/cuplo.1" \
    "$docdir/README.md" "$docdir/LICENSE"; do
  [ -f "$prefix/$file" ] || fail "$file was not installed"
done
[ -x "$prefix/$bindir/cuplo" ] || fail "$bindir/cuplo is not executable"

cp "$prefix/$datadir/cuplo/CuploDEMO.DEF" "$work/"
(cd "$work" && printf '1\n1\n1\n\n\n\n\n\n\n\n\n\n\n\n' | "$prefix/$bindir/cuplo") \
  >"$top/out.txt" 2>"$top/err.txt"
status=$?
[ "$status" -eq 0 ] || fail "the installed cuplo ended with status $status, expected 0"
[ -s "$top/err.txt" ] && fail "the installed cuplo reported an error"
grep -q "Program: Cuplo (v. 1.0)" "$top/out.txt" || fail "no banner on the console"
grep -q "OPERATION selected" "$top/out.txt" || fail "the session did not reach the OPERATION menu"

if [ -e "$prefix/$bindir/cuplo-calc" ]; then
  "$prefix/$bindir/cuplo-calc" --version >"$top/out.txt" 2>"$top/err.txt" ||
    fail "the installed cuplo-calc --version ended with status $?"
  echo "ok: cuplo-calc --version"
fi
echo "ok: installed under $prefix and run"
