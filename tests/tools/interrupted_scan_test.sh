#!/usr/bin/env bash
# zorvik_scan under Wine interrupted by real signals, as a user's Ctrl-C
# (SIGINT, which Wine hands to the program as a console Ctrl-C), a service
# manager (SIGTERM) or kill -9 would interrupt it: the file under the output
# name keeps every byte it had, no temporary file is left beside it, the
# scanner is not left locked, and after Ctrl-C the program says that it
# cancelled and exits with status 5.
#
#   interrupted_scan_test.sh <wine-run> <folder of zorvik_scan.exe and zorvik.dll>
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/host_test_support.sh" "$@"

prepare_component
previous="the previous image, which an interrupted scan keeps"

for signal in INT TERM KILL; do
  out="$work/out"
  mkdir -p "$out"
  printf '%s' "$previous" >"$out/keep.png"
  # The whole flatbed in colour at 1200 dpi: four hundred megabytes, long enough
  # to be interrupted.
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --resolution 1200 \
    -o "$(windows_path "$out/keep.png")" </dev/null >"$work/stdout" 2>"$work/stderr" &
  program=$!
  # Interrupted once the image is on its way (a second file in the folder).
  for _ in $(seq 600); do
    [ "$(ls -A "$out" | wc -l)" -gt 1 ] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.05
  done
  kill "-$signal" "$program"
  wait "$program"
  status=$?
  echo "SIG$signal: exit status $status; $(tr -d '\r' <"$work/stderr")"
  check "SIG$signal: the previous file is byte for byte as it was" \
    test "$(cat "$out/keep.png")" = "$previous"
  check "SIG$signal: nothing else is left in the folder ($(ls -A "$out" | tr '\n' ' '))" \
    test "$(ls -A "$out")" = "keep.png"
  if [ "$signal" = INT ]; then
    check "SIGINT: exit status 5" test "$status" -eq 5
    check "SIGINT: the cancel is confirmed" grep -q "zorvik_scan: cancelled: the scanner was stopped and given back; .*keep.png was left as it was" "$work/stderr"
  fi
  rm -rf "$out"
done

# None of them left the scanner locked.
"$wine_run" "$bin/zorvik_scan.exe" -d "$device" --lock-timeout 1000 --lamp status \
  </dev/null >/dev/null 2>"$work/stderr"
status_code=$?
check "the scanner is free afterwards ($(tr -d '\r' <"$work/stderr"))" test "$status_code" -eq 0

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
