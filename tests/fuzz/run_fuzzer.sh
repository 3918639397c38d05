#!/bin/sh
# Runs one libFuzzer target for a fixed time on the kept seed corpus plus the
# corpus this build tree has grown, then prints what it ran as a figure line.
#
#   run_fuzzer.sh FUZZER SEED_CORPUS WORK_CORPUS CI_SECONDS LONG_SECONDS
#
# ZORVIK_LONG_RUN=1 selects LONG_SECONDS. A broken property or a sanitizer
# report ends the run with a failure and leaves the input as crash-* in the
# working directory.
set -eu
fuzzer="$1" seeds="$2" work="$3" ci_seconds="$4" long_seconds="$5"
seconds="$ci_seconds"
[ "${ZORVIK_LONG_RUN:-0}" = 1 ] && seconds="$long_seconds"
mkdir -p "$work"
log="$work.log"
status=0
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work-" \
  "$work" "$seeds" >"$log" 2>&1 || status=$?
name="$(basename "$fuzzer")"
runs="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1/p' "$log")"
took="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\2/p' "$log")"
corpus="$(ls "$work" | wc -l)"
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "[  FIGURE  ] fuzz $name: FAILED after ${seconds} s (exit $status), see $log"
  exit "$status"
fi
echo "[  FIGURE  ] fuzz $name: ${runs:-0} executions in ${took:-?} s, corpus $corpus inputs, no crash, no sanitizer report, no broken property"
