#!/usr/bin/env bash
# The one launcher of zorvik: installs what is missing (Debian 12, as root),
# cross-builds the component with mingw-w64 and runs it under Wine.
# `./zorvik.sh` alone lists the commands (usage() below).
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage:
  ./zorvik.sh build            build zorvik.dll, the toolkit and the tests
  ./zorvik.sh test             build, then run the whole test suite under Wine
  ./zorvik.sh setup            only install the packages (and the browser
                               test's puppeteer-core)
  ./zorvik.sh scan [OPTION]... build, register zorvik.dll in the build's Wine
                               prefix and scan a page from the simulated 7310
                               with zorvik_scan (default 150 dpi colour) into
                               the current directory; --help lists the options
  ./zorvik.sh share [OPTION]...
                               build, register zorvik.dll and share the
                               simulated 7310 as an eSCL scanner on
                               http://127.0.0.1:8090/eSCL (Ctrl-C stops);
                               --help lists the options
  ./zorvik.sh dist             build, then assemble the package for host
                               developers in <build>/dist/zorvik (and .zip)
  ./zorvik.sh bench [--reads-only]
                               build, then print the benchmark figures (not
                               tests); --reads-only: the ReadScan throughput only
  ./zorvik.sh reliability      build, then run the stress tests at their long
                               size and collect their figures in
                               <build>/reliability-figures.txt

ZORVIK_BUILD_DIR (default: build) and ZORVIK_BUILD_TYPE (default: Release)
choose the build tree.
USAGE
}

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD_DIR="${ZORVIK_BUILD_DIR:-$ROOT/build}"
BUILD_TYPE="${ZORVIK_BUILD_TYPE:-Release}"

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools libwine-dev wine64 googletest
  clang libclang-rt-14-dev sane-utils sane-airscan curl python3 poppler-utils chromium)

install_packages() {
  local missing=()
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
  done
  # Node.js for the browser test: Debian's nodejs and npm, unless a node
  # with its own npm is installed already (NodeSource's package, say).
  command -v npm >/dev/null || missing+=(nodejs npm)
  if ((${#missing[@]})); then
    echo "zorvik: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# puppeteer-core for the browser test, at the version the lock file pins,
# into the build tree; no browser is downloaded (the test drives Debian's
# chromium). Installed again only when the lock file changes.
install_browser_test() {
  local folder="$BUILD_DIR/browser-test"
  mkdir -p "$folder"
  if ! cmp -s "$ROOT/tests/browser/package-lock.json" "$folder/package-lock.json" ||
    [ ! -d "$folder/node_modules/puppeteer-core" ]; then
    cp "$ROOT/tests/browser/package.json" "$ROOT/tests/browser/package-lock.json" "$folder/"
    (cd "$folder" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  fi
}

# The long run of the stress tests reconfigures the same tree with
# ZORVIK_LONG_RUN=ON; every other command configures it back to OFF.
LONG_RUN=OFF

build() {
  install_packages
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE="$BUILD_TYPE" -DZORVIK_LONG_RUN="$LONG_RUN" >/dev/null
  cmake --build "$BUILD_DIR"
}

run_tests() {
  build
  install_browser_test
  ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
}

# Builds quietly (the log is shown only when the build fails) and registers
# zorvik.dll in the build's private Wine prefix (registering again rewrites
# the same keys, so every run may do it), for a host program to run there.
# Wine starts a program in the caller's directory (as Z:\...), so relative
# output paths land where the caller is.
prepare_host() {
  local build_log
  build_log="$(mktemp)"
  if ! build >"$build_log" 2>&1; then
    cat "$build_log" >&2
    rm -f "$build_log"
    echo "zorvik: the build failed" >&2
    exit 1
  fi
  rm -f "$build_log"
  local wine_run="$BUILD_DIR/wine-run"
  # The first run in a fresh prefix creates it; later runs find it ready.
  "$wine_run" wineboot.exe </dev/null >/dev/null 2>&1 || true
  local dll
  dll="$("$wine_run" winepath.exe -w "$BUILD_DIR/bin/zorvik.dll" 2>/dev/null | tr -d '\r')"
  if ! "$wine_run" regsvr32.exe /s "$dll" </dev/null >/dev/null 2>&1; then
    echo "zorvik: registering $dll failed" >&2
    exit 1
  fi
}

scan() {
  prepare_host
  # A modest resolution keeps the default page quick; the caller's own
  # --resolution (or -x/-y resolutions) comes later and wins.
  exec "$BUILD_DIR/wine-run" "$BUILD_DIR/bin/zorvik_scan.exe" --resolution 150 "$@"
}

# zorvik_share serves until Ctrl-C, which Wine hands to it as a console
# Ctrl-C; it then cancels a running job and gives the scanner back.
share() {
  prepare_host
  exec "$BUILD_DIR/wine-run" "$BUILD_DIR/bin/zorvik_share.exe" "$@"
}

# The benchmark program times the component against the toolkit; it needs
# the build's prefix (it registers zorvik.dll itself for the run).
run_bench() {
  build >/dev/null
  local wine_run="$BUILD_DIR/wine-run"
  "$wine_run" wineboot.exe </dev/null >/dev/null 2>&1 || true
  "$wine_run" "$BUILD_DIR/bin/zorvik_bench.exe" "$@" | tr -d '\r'
  # scanimage is a Linux program: the eSCL table is measured from here.
  if [[ " $* " != *" --reads-only "* ]]; then bash "$ROOT/bench/share_bench.sh" "$BUILD_DIR"; fi
}

# The stress suites (ctest label "reliability") at their long size, one at a
# time so that their figures are not disturbed by each other. Every suite
# prints its figures as "[  FIGURE  ] ..." lines.
run_reliability() {
  LONG_RUN=ON
  build
  local log="$BUILD_DIR/reliability.log"
  local status=0
  ctest --test-dir "$BUILD_DIR" -L reliability --output-on-failure -V >"$log" 2>&1 || status=$?
  grep -o '\[  FIGURE  \].*' "$log" | tr -d '\r' >"$BUILD_DIR/reliability-figures.txt" || true
  cat "$BUILD_DIR/reliability-figures.txt"
  grep -E '^[0-9]+% tests passed|tests failed' "$log" || true
  echo "zorvik: the whole output is in $log"
  return "$status"
}

case "${1:-}" in
  setup)
    install_packages
    install_browser_test
    ;;
  build)
    build
    echo "zorvik: built $BUILD_DIR/bin/zorvik.dll"
    ;;
  test) run_tests ;;
  dist)
    build
    cmake --build "$BUILD_DIR" --target dist
    echo "zorvik: package in $BUILD_DIR/dist/zorvik (zipped: $BUILD_DIR/dist/zorvik.zip)"
    ;;
  bench)
    shift
    run_bench "$@"
    ;;
  reliability) run_reliability ;;
  scan)
    shift
    scan "$@"
    ;;
  share)
    shift
    share "$@"
    ;;
  *)
    usage
    exit 2
    ;;
esac
