#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses what was installed (the browser page only
# checked present, where the build made it): cuplo on the installed
# demo defaults file (impedance analysis, every default, no storage, exit), cuplo-calc
# --version, the README's library example built against the installed package with
# find_package(Cuplo) and run, and, where it was built, the Python module imported from its
# installed folder by the Python it was built for.
#   install.sh CMAKE BUILD_DIR SOURCE_DIR BINDIR DATADIR MANDIR DOCDIR LIBDIR [LINKER_FLAGS
#              [PYTHON_DIR PYTHON]]
# Skipped (77) only when cmake or a temporary folder cannot be had; an install that fails or
# leaves out a file, or an installed program that does not run, fails the test.
set -u
cmake=$1 build=$2 source=$3 bindir=$4 datadir=$5 mandir=$6 docdir=$7 libdir=$8 flags=${9:-}
pydir=${10:-} python=${11:-}

"$cmake" --version >/dev/null 2>&1 || { echo "cmake cannot run: skipped"; exit 77; }
top=$(mktemp -d) || { echo "no temporary folder: skipped"; exit 77; }
trap 'rm -rf "$top"' EXIT
prefix=$top/prefix work=$top/work
mkdir "$work"

fail() {
  echo "FAIL: $*" >&2
  for log in log.txt out.txt err.txt; do
    [ -s "$top/$log" ] && { echo "--- $log (tail)" >&2; tail -n 20 "$top/$log" >&2; }
  done
  exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >"$top/log.txt" 2>&1 ||
  fail "cmake --install $build failed"
for file in "$bindir/cuplo" "$bindir/cuplo-calc" "$datadir/cuplo/CuploDEMO.DEF" \
    "$mandir/man1/cuplo.1.gz" "$mandir/man1/cuplo-calc.1.gz" "$docdir/README.md" "$docdir/LICENSE" \
    "$docdir/copyright" "$docdir/changelog.gz" \
    "$libdir/libcuplo.a" "$libdir/cmake/Cuplo/CuploConfig.cmake" include/cuplo/coupler.hpp; do
  [ -f "$prefix/$file" ] || fail "$file was not installed"
done
# The browser page, where the build made it (with Emscripten).
if [ -f "$build/web/dist/index.html" ]; then
  for file in index.html cuplo.css cuplo.js plots.js cuplo-engine.js cuplo.wasm cuplo-wasm.js \
      LICENSE NOTICE; do
    [ -f "$prefix/$datadir/cuplo/web/$file" ] || fail "$datadir/cuplo/web/$file was not installed"
  done
fi

cp "$prefix/$datadir/cuplo/CuploDEMO.DEF" "$work/"
(cd "$work" && printf '1\n1\n1\n\n\n\n\n\n\n\n\n\n\n\n' | "$prefix/$bindir/cuplo") \
  >"$top/out.txt" 2>"$top/err.txt"
status=$?
[ "$status" -eq 0 ] || fail "the installed cuplo ended with status $status, expected 0"
[ -s "$top/err.txt" ] && fail "the installed cuplo reported an error"
grep -q "Program: Cuplo (v. 1.0)" "$top/out.txt" || fail "no banner on the console"
grep -q "OPERATION selected" "$top/out.txt" || fail "the session did not reach the OPERATION menu"
"$prefix/$bindir/cuplo-calc" --version >"$top/out.txt" 2>"$top/err.txt" ||
  fail "the installed cuplo-calc --version ended with status $?"

# The example between the markers of the README's Library section, compiled as it stands.
sed -n '/<!-- library example -->/,/<!-- end of library example -->/p' "$source/README.md" |
  sed '1,/^```cpp$/d; /^```$/,$d' >"$work/main.cpp"
[ -s "$work/main.cpp" ] || fail "no library example in README.md"
cp "$source/tests/packaging/consumer/CMakeLists.txt" "$work/"
"$cmake" -S "$work" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$top/log.txt" 2>&1 &&
  "$cmake" --build "$work/build" >"$top/log.txt" 2>&1 || fail "the library example did not build"
out=$("$work/build/consumer") || fail "the library example ended with status $?"
# The demo coupler at 10 GHz, as the console's impedance analysis prints it.
[ "$out" = "Zo 50.05 ohm, coupling -2.979 dB" ] || fail "the library example printed: $out"

# The Python module: its files in the folder Debian's python3 reads under the prefix, and the
# same coupler from it, run outside the build tree.
if [ -n "$pydir" ]; then
  for file in __init__.py _units.py plot.py py.typed; do
    [ -f "$prefix/$pydir/cuplo/$file" ] || fail "$pydir/cuplo/$file was not installed"
  done
  compgen -G "$prefix/$pydir/cuplo/_core*.so" >/dev/null || fail "the extension was not installed"
  out=$(cd "$work" && PYTHONPATH="$prefix/$pydir" "$python" -c '
import cuplo
z = cuplo.impedance(cuplo.Substrate(er=9.8, h="25mil", t="0.2mil"), n=4, w="1.5mil", s="2mil",
                    f="10GHz")
print(f"Zo {z.zo:.2f} ohm, coupling {z.coupling_db:.3f} dB from {cuplo.__file__}")') ||
    fail "the installed Python module ended with status $?"
  expected="Zo 50.05 ohm, coupling -2.979 dB from $prefix/$pydir/cuplo/__init__.py"
  [ "$out" = "$expected" ] || fail "the installed Python module printed: $out"
fi
echo "ok: installed under $prefix and used"
