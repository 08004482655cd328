#!/usr/bin/env bash
# The installed package works for a consumer: install the build into an empty prefix, build
# the README's library example against it with find_package(Cuplo), run it.
#   consumer.sh BUILD_DIR SOURCE_DIR [LINKER_FLAGS]
set -euo pipefail
build=$1 source=$2 flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
# The example between the markers of the README's Library section, compiled as it stands.
sed -n '/<!-- library example -->/,/<!-- end of library example -->/p' "$source/README.md" |
  sed '1,/^```cpp$/d; /^```$/,$d' >"$work/main.cpp"
[ -s "$work/main.cpp" ] || { echo "no library example in README.md" >&2; exit 1; }
cp "$source/tests/packaging/consumer/CMakeLists.txt" "$work/"
cmake -S "$work" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/build" >/dev/null
out=$("$work/build/consumer")
echo "$out"
# The demo coupler at 10 GHz, as the console's impedance analysis prints it.
[ "$out" = "Zo 50.05 ohm, coupling -2.979 dB" ]
