#!/usr/bin/env bash
# The Debian package, built as scripts/package builds it (Release, installed under /usr) in a
# build folder of its own, and lintian's report on it: no error and no warning.
#   lintian.sh CMAKE CPACK SOURCE_DIR WORK_DIR
# Skipped (77) when lintian or dpkg-shlibdeps (dpkg-dev) is not installed.
set -u
cmake=$1 cpack=$2 source=$3 work=$4
for tool in lintian dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
mkdir -p "$work"
log=$work/lintian-build.log
if ! { "$cmake" -S "$source" -B "$work" -DCMAKE_BUILD_TYPE=Release -DCUPLO_TESTS=OFF \
         -DCUPLO_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr &&
       "$cmake" --build "$work" -j 2 &&
       (cd "$work" && rm -f cuplo_*.deb && "$cpack" -G DEB); } >"$log" 2>&1; then
  echo "FAIL: the package did not build" >&2
  tail -n 30 "$log" >&2
  exit 1
fi
shopt -s nullglob
debs=("$work"/cuplo_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one cuplo_*.deb in $work" >&2; exit 1; }
report=$(lintian --tag-display-limit 0 "${debs[0]}" 2>&1)
status=$?
findings=$(grep -E '^[EW]: ' <<<"$report")
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
  echo "FAIL: lintian on ${debs[0]} (status $status)" >&2
  echo "$report" >&2
  exit 1
fi
echo "ok: lintian finds no error and no warning in ${debs[0]}"
