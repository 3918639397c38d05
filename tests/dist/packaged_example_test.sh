#!/usr/bin/env bash
# The package is all a host developer needs: the example host is built from a
# copy of the package folder alone (its include folder and the example's
# source, nothing of the source tree), the package's zorvik.dll is registered
# in a Wine prefix of the test's own, the example scans, and the bytes it
# wrote are the simulated scanner's chart.
#
#   packaged_example_test.sh <build dir> <mingw C compiler> <wine64> <wineserver>
set -eu
build="$1"
compiler="$2"
wine64="$3"
wineserver="$4"

cmake --build "$build" --target dist >/dev/null
work="$(mktemp -d)"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$build/dist/zorvik" "$work/zorvik"
cd "$work/zorvik"
"$compiler" -Wall -Wextra -Werror -Iinclude example/example_host.c include/zorvik_i.c \
  -lole32 -luuid -static -o example_host.exe
echo "built example_host.exe from the package alone"

"$wine64" wineboot.exe </dev/null >/dev/null 2>&1 || true
"$wine64" regsvr32.exe /s zorvik.dll </dev/null
# Z: is the root of the Linux file system in every Wine prefix.
raw="Z:$(echo "$work/scan.raw" | tr / '\\')"
"$wine64" example_host.exe "$raw" </dev/null
"$wine64" regsvr32.exe /u /s zorvik.dll </dev/null
"$wineserver" -k 2>/dev/null || true

# The chart is checked by the test suite's own program, in the build's prefix.
unset WINEPREFIX
"$build/wine-run" "$build/bin/dist_tests.exe" --child=check_example_scan "$raw"
echo "1 passed, 0 failed"
