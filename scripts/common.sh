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

# What building Cuplo needs (Eigen for the field solver): with pybind11 and the headers of
# Debian's python3, the Python module is built too.
build_packages=(cmake g++ make libcli11-dev libeigen3-dev pybind11-dev python3-dev)
# What building the browser page needs: Emscripten (its Node.js and Python come with it).
web_packages=(emscripten python3)
# What the tests and benchmarks need on top: GoogleTest, Google Benchmark, groff and mandoc for
# the man pages, pytest for the Python module, lintian for the Debian package (and what
# building one needs), the outside readers and field solvers that check Cuplo's files and
# numbers, and a headless browser for the page.
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev groff mandoc python3-pytest lintian
               dpkg-dev file python3-scikit-rf python3-numpy python3-matplotlib atlc klayout kicad
               "${web_packages[@]}" chromium chromium-driver python3-selenium)
# What building the Debian package needs on top (dpkg-shlibdeps, and file to find the binaries).
package_packages=(dpkg-dev file "${web_packages[@]}")

# configure_and_build BUILD_DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
