# Shared by the build scripts: install what a fresh Debian machine lacks, then configure.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages; the missing ones are installed in one go (one apt-get update first), without
# the packages they merely recommend: some of the test tools recommend gigabytes.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}" >&2
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building Cuplo needs.
build_packages=(cmake g++ make libcli11-dev)
# What the tests and benchmarks need on top: GoogleTest, Google Benchmark, groff and mandoc for
# the man pages, lintian for the Debian package (and what building one needs), and the outside
# readers and field solvers that check Cuplo's files and numbers.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev groff mandoc lintian dpkg-dev file
               python3-scikit-rf python3-numpy python3-matplotlib atlc klayout kicad)
# What building the Debian package needs on top (dpkg-shlibdeps, and file to find the binaries).
package_packages=(dpkg-dev file)

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
