#!/usr/bin/env bash
# The one launcher of zorvik: installs what is missing (Debian 12, as root),
# cross-builds the component with mingw-w64 and runs it under Wine.
#
#   ./zorvik.sh build            build zorvik.dll, the toolkit and the tests
#   ./zorvik.sh test             build, then run the whole test suite under Wine
#   ./zorvik.sh setup            only install the packages
#
# ZORVIK_BUILD_DIR (default: build) and ZORVIK_BUILD_TYPE (default: Release)
# choose the build tree.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD_DIR="${ZORVIK_BUILD_DIR:-$ROOT/build}"
BUILD_TYPE="${ZORVIK_BUILD_TYPE:-Release}"

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64 googletest)

install_packages() {
  local missing=()
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "zorvik: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

build() {
  install_packages
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE="$BUILD_TYPE" >/dev/null
  cmake --build "$BUILD_DIR"
}

run_tests() {
  build
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
}

case "${1:-}" in
  setup) install_packages ;;
  build)
    build
    echo "zorvik: built $BUILD_DIR/bin/zorvik.dll"
    ;;
  test) run_tests ;;
  *)
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
