#!/usr/bin/env bash
# zorvik_share's scan page in a real browser (Debian's chromium, headless,
# driven by puppeteer-core): a preview, an area dragged on it and a PNG scan
# downloaded, equal pixel for pixel to zorvik_scan's image of the same area
# and resolution; the page busy, offering no scan, while an eSCL client's job
# runs and while another host holds the scanner, and ready again after; a
# scanner fault shown in words; requests the page never makes refused.
#
#   scan_page_test.sh <wine-run> <folder of zorvik_share.exe, zorvik_scan.exe and zorvik.dll>
#                     <folder of puppeteer-core's node_modules> <folder for the screenshot>
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
tools_tests="$here/../tools"
. "$tools_tests/host_test_support.sh" "$1" "$2"
export NODE_PATH="$3"
keep="$4"

if [ ! -d "$NODE_PATH/puppeteer-core" ] || [ ! -x /usr/bin/chromium ]; then
  echo "puppeteer-core (in $NODE_PATH) or /usr/bin/chromium is missing:" \
    "'./zorvik.sh setup' installs them for this test" >&2
  exit 1
fi

# One step of scan_page.js; its output in $work/<step>.out.
page_step() {
  local name="$1"
  shift
  timeout -k 5 90 node "$here/scan_page.js" "$@" >"$work/$name.out" 2>&1
  local status=$?
  check "$name ($(tr '\n' ' ' <"$work/$name.out"))" test "$status" -eq 0
  return "$status"
}

prepare_component
start_server page
page="http://127.0.0.1:$port/"

# Requests the page never makes: refused, and the page still served.
expect 405 "POST of the page" -d x "$page"
expect 405 "DELETE of the page's state" -X DELETE "${page}state.json"
expect 404 "a file the page does not have" "${page}scan-page.json"
expect 404 "a path above the page's files" --path-as-is "${page}../index.html"
expect 200 "the page after them" "$page"

mkdir -p "$work/scan"
if page_step scan scan "$page" "$work/scan"; then
  cp "$work/scan/scan-page-after-preview.png" "$keep/"
  area="$(tail -n 1 "$work/scan.out")"
  read -r x y width height < <(python3 -c 'import json, sys
a = json.loads(sys.argv[1]); print(a["x"], a["y"], a["width"], a["height"])' "$area")
  inches() { python3 -c "print(f'{$1 / 300:.6f}')"; }
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --mode Color --resolution 150 --unit in \
    -l "$(inches "$x")" -t "$(inches "$y")" -x "$(inches "$width")" -y "$(inches "$height")" \
    -o "$(windows_path "$work/reference.png")" </dev/null >/dev/null 2>"$work/reference.err"
  check "zorvik_scan of the same area ($area) succeeded ($(cat "$work/reference.err"))" test $? -eq 0
  check "the downloaded scan: $(python3 "$tools_tests/escl_images.py" compare \
    "$work/reference.png" "$work/scan/scan.png" 2>&1)" \
    python3 "$tools_tests/escl_images.py" compare "$work/reference.png" "$work/scan/scan.png"
fi

# An eSCL client's job waits to be fetched: the page is busy, then ready.
url="http://127.0.0.1:$port/eSCL"
post_job RGB24 75 0 0 300 300
check "an eSCL client's job starts ($status)" test "$status" = 201
page_step "busy while an eSCL client scans" busy "$page" "scanning for another client"
expect 200 "the eSCL client cancels its job" -X DELETE "http://127.0.0.1:$port$job"
page_step "ready after the eSCL job" ready "$page"

hold_scanner
page_step "busy while another host holds the scanner" busy "$page" "another program"
stop_process "$holder"
page_step "ready once the other host has gone" ready "$page"

# A scanner whose lamp is off: the scan fails with the reason in words.
stop_process "${servers[0]}"
servers=()
printf 'lamp = off\n' >"$work/7310.txt"
start_server faulty
page_step "a scanner fault" fail "http://127.0.0.1:$port/" "The scan failed: Scanner Lamp is Off."

if [ "$failures" -ne 0 ]; then
  for log in "$work"/*.err; do echo "--- $(basename "$log"):" && cat "$log"; done
fi
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
