#!/usr/bin/env bash
# The Debian package of this build, laid out under /usr as scripts/package lays it out (that
# script configures the prefix /usr, which the program also names for its demo file; here the
# build's prefix is only overridden for the package), and lintian's report on it: no error
# and no warning.
#   lintian.sh CPACK BUILD_DIR
# Skipped (77) when lintian or dpkg-shlibdeps (dpkg-dev) is not installed.
set -u
cpack=$1 build=$2
for tool in lintian dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
work=$(mktemp -d) || { echo "no temporary folder: skipped"; exit 77; }
trap 'rm -rf "$work"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" \
    -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >"$work/cpack.log" 2>&1; then
  echo "FAIL: the package did not build" >&2
  tail -n 30 "$work/cpack.log" >&2
  exit 1
fi
shopt -s nullglob
debs=("$work"/cuplo_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: expected one cuplo_*.deb" >&2; exit 1; }
report=$(lintian --tag-display-limit 0 "${debs[0]}" 2>&1)
status=$?
findings=$(grep -E '^[EW]: ' <<<"$report")
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
  echo "FAIL: lintian on the package (status $status)" >&2
  echo "$report" >&2
  exit 1
fi
echo "ok: lintian finds no error and no warning in the package"
