#!/usr/bin/env bash
# zorvik_share under Wine driven over 127.0.0.1 by an independent eSCL
# client, Debian's scanimage with the sane-airscan backend (a manual device,
# no discovery): the device is listed, its options are what the server
# advertised, its scans are pixel for pixel what zorvik_scan makes of the
# same request (through JPEG within a stated tolerance), a scanner another
# host holds is reported busy, and a client killed mid-scan leaves the
# scanner free for the next scan. Black and white goes through plain HTTP,
# since Debian's sane-airscan offers no Lineart mode.
#
#   escl_share_test.sh <wine-run> <folder of zorvik_share.exe, zorvik_scan.exe and zorvik.dll>
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/host_test_support.sh" "$@"
# Mean sample difference allowed between a scan that went through JPEG and
# the same scan without loss: the chart's sharp grid lines cost most of it.
jpeg_tolerance=4

prepare_component

# sane-airscan's manual device "zorvik" at the server on $port.
configure_client() {
  cat >"$work/sane/airscan.conf" <<CONF
[devices]
"zorvik" = http://127.0.0.1:$port/eSCL, eSCL
[options]
discovery = disable
CONF
}
mkdir "$work/sane"
echo airscan >"$work/sane/dll.conf"
export SANE_CONFIG_DIR="$work/sane"
# One server at a time: all of them share the prefix's one HTTP driver.
start_server png
png_port="$port"
configure_client

timeout -k 5 60 scanimage -L >"$work/list" 2>&1
check "scanimage -L lists the server ($(cat "$work/list"))" grep -q "airscan:e0:zorvik'" "$work/list"

timeout -k 5 60 scanimage -d airscan:e0:zorvik -A >"$work/options" 2>&1
for expected in "--mode Color|Gray " "--resolution 75|100|150|200|300|600|1200dpi" \
  "-l 0..215.9mm" "-t 0..297.18mm" "-x 0..215.9mm" "-y 0..297.18mm"; do
  check "scanimage -A shows '$expected'" grep -qF -- "$expected" "$work/options"
done

# Checks that zorvik_scan's picture $2 and $3 are the same, within the
# mean sample difference $4 if given; $1 names the case.
same_picture() {
  local what="$1" result
  shift
  result="$(python3 "$here/escl_images.py" compare "$@" 2>&1)"
  check "$what: $result" test $? -eq 0
}

# scanimage's request and zorvik_scan's, on the same device, compared.
# Arguments: name, mode (scanimage's), resolution, left, top, width, height
# in millimetres, sane device, tolerance (empty: exact).
compare_scan() {
  local name="$1" mode="$2" dpi="$3" l="$4" t="$5" x="$6" y="$7" sane="$8" tolerance="${9:-}"
  timeout -k 5 120 scanimage -d "$sane" --mode "$mode" --resolution "$dpi" -l "$l" -t "$t" -x "$x" \
    -y "$y" --format=png -o "$work/$name.png" 2>"$work/$name.err"
  status_code=$?
  check "$name: scanimage succeeded ($(cat "$work/$name.err"))" test "$status_code" -eq 0
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --mode "$mode" --resolution "$dpi" -l "$l" \
    -t "$t" -x "$x" -y "$y" -o "$(windows_path "$work/$name-ref.png")" </dev/null \
    >/dev/null 2>"$work/$name-ref.err"
  status_code=$?
  check "$name: zorvik_scan succeeded ($(cat "$work/$name-ref.err"))" test "$status_code" -eq 0
  same_picture "$name" "$work/$name-ref.png" "$work/$name.png" $tolerance
}

compare_scan colour-100-page Color 100 0 0 215.9 297.18 airscan:e0:zorvik
compare_scan colour-150-region Color 150 25.4 50.8 50.8 38.1 airscan:e0:zorvik
compare_scan grey-300-region Gray 300 12.7 76.2 25.4 25.4 airscan:e0:zorvik
compare_scan grey-150-region Gray 150 101.6 152.4 76.2 50.8 airscan:e0:zorvik

# Black and white straight over HTTP: the job, its document, then 404.
url="http://127.0.0.1:$png_port/eSCL"
for dpi in 150 300; do
  post_job BlackAndWhite1 "$dpi" 300 600 450 300
  check "lineart $dpi: the job is created ($status, '$job')" test "$status" = 201 -a -n "$job"
  status="$(curl -s -m 60 -o "$work/bw-$dpi.png" -w '%{http_code}' "http://127.0.0.1:$png_port$job/NextDocument")"
  check "lineart $dpi: the document comes ($status)" test "$status" = 200
  status="$(curl -s -m 60 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$png_port$job/NextDocument")"
  check "lineart $dpi: then the job has no more ($status)" test "$status" = 404
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --mode Lineart --resolution "$dpi" --unit in \
    -l 1 -t 2 -x 1.5 -y 1 -o "$(windows_path "$work/bw-$dpi-ref.png")" </dev/null >/dev/null 2>&1
  same_picture "lineart $dpi" "$work/bw-$dpi-ref.png" "$work/bw-$dpi.png"
done

# PDF straight over HTTP (sane-airscan asks servers for images only, and
# scanimage's own --format=pdf wraps what it decoded): the page is the
# scanned area, and its image rendered at the scan's resolution is
# zorvik_scan's picture of the same request, through JPEG within the
# tolerance, black and white exactly.
check "the capabilities offer PDF" grep -q "<pwg:DocumentFormat>application/pdf<" \
  <(curl -s -m 30 "$url/ScannerCapabilities")
inches() { awk -v v="$1" 'BEGIN { print v / 300 }'; }
# Arguments: name, eSCL mode, zorvik_scan's mode, resolution, left, top,
# width, height (1/300 inch), tolerance (empty: exact).
compare_pdf() {
  local name="$1" escl_mode="$2" mode="$3" dpi="$4" l="$5" t="$6" x="$7" y="$8" tolerance="${9:-}"
  local grey=()
  [ "$mode" = Color ] || grey=(-gray)
  post_job "$escl_mode" "$dpi" "$l" "$t" "$x" "$y" application/pdf
  check "$name: the job is created ($status, '$job')" test "$status" = 201 -a -n "$job"
  status="$(curl -s -m 60 -o "$work/$name.pdf" -D "$work/$name.headers" -w '%{http_code}' \
    "http://127.0.0.1:$png_port$job/NextDocument")"
  check "$name: the document comes ($status)" test "$status" = 200
  check "$name: as application/pdf" grep -qi "^Content-Type: application/pdf" "$work/$name.headers"
  local size
  size="$(pdfinfo "$work/$name.pdf" 2>&1 | sed -n 's/^Page size: *//p')"
  check "$name: the page is the scanned area ($size)" test "$size" = \
    "$(awk -v x="$x" -v y="$y" 'BEGIN { printf "%g x %g pts", x * 0.24, y * 0.24 }')"
  # Poppler's cairo renderer draws a 1-bit image at its own resolution
  # pixel for pixel (pdftoppm's smooths some edges).
  pdftocairo -r "$dpi" "${grey[@]}" -png -singlefile "$work/$name.pdf" "$work/$name" \
    2>"$work/$name.err"
  check "$name: poppler renders the page ($(cat "$work/$name.err"))" test -s "$work/$name.png"
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --mode "$mode" --resolution "$dpi" --unit in \
    -l "$(inches "$l")" -t "$(inches "$t")" -x "$(inches "$x")" -y "$(inches "$y")" -o "$(windows_path "$work/$name-ref.png")" </dev/null >/dev/null 2>&1
  same_picture "$name" "$work/$name-ref.png" "$work/$name.png" $tolerance
}
compare_pdf pdf-colour-150 RGB24 Color 150 300 600 600 450 "$jpeg_tolerance"
compare_pdf pdf-grey-300 Grayscale8 Gray 300 150 900 375 300 "$jpeg_tolerance"
compare_pdf pdf-lineart-300 BlackAndWhite1 Lineart 300 300 600 450 300

# Another host holds the scanner (zorvik_scan waiting for a button press).
hold_scanner
post_job RGB24 150 0 0 300 300
check "busy: a job while another host holds the scanner gets 503 ($status)" test "$status" = 503
timeout -k 5 150 scanimage -d airscan:e0:zorvik --mode Color --resolution 75 -x 25.4 -y 25.4 \
  --format=png -o "$work/busy.png" 2>"$work/busy.err"
busy_status=$?
check "busy: scanimage fails ($busy_status)" test "$busy_status" -ne 0
check "busy: scanimage says the device is busy ($(cat "$work/busy.err"))" \
  grep -q "Device busy" "$work/busy.err"
stop_process "$holder"
timeout -k 5 120 scanimage -d airscan:e0:zorvik --mode Color --resolution 75 -x 25.4 -y 25.4 \
  --format=png -o "$work/after-busy.png" 2>"$work/after-busy.err"
status_code=$?
check "busy: once the other host has gone, scanimage scans ($(cat "$work/after-busy.err"))" test "$status_code" -eq 0

# scanimage killed in the middle of a scan; the next scan starts at once.
# The server of this case shares a 7310 on a slow bus (a device description
# of its own), so that the scan is still running when the client is killed.
stop_process "${servers[0]}"
servers=()
echo "bus_rate = 20 MB/s" >"$work/slow.txt"
shared_device="$device"
device="$(windows_path "$work/slow.txt")"
start_server slow
configure_client
url="http://127.0.0.1:$port/eSCL"
# Not under timeout(1): the kill must reach scanimage itself.
scanimage -d airscan:e0:zorvik --mode Color --resolution 600 --format=png \
  -o "$work/killed.png" 2>/dev/null &
client=$!
scanning=no
for _ in $(seq 600); do
  curl -s -m 2 "$url/ScannerStatus" | grep -q "<pwg:JobState>Processing</pwg:JobState>" &&
    { scanning=yes; break; }
  sleep 0.1
done
check "killed client: its job was scanning when it was killed" test "$scanning" = yes
kill -KILL "$client"
wait "$client" 2>/dev/null
started=$(date +%s)
timeout -k 5 120 scanimage -d airscan:e0:zorvik --mode Gray --resolution 75 -x 25.4 -y 25.4 \
  --format=png -o "$work/after-kill.png" 2>"$work/after-kill.err"
after_kill=$?
echo "the scan after the killed one took $(($(date +%s) - started)) s"
check "killed client: the next scan succeeds ($(cat "$work/after-kill.err"))" test "$after_kill" -eq 0
check "killed client: the server says the client went away" \
  grep -q "the client went away during the scan" "$work/slow.err"
device="$shared_device"

# JPEG: a server that offers only JPEG, so that sane-airscan (which prefers
# PNG) asks for it.
stop_process "${servers[0]}"
servers=()
start_server jpeg --formats jpeg
configure_client
compare_scan jpeg-colour-150-region Color 150 25.4 50.8 50.8 38.1 airscan:e0:zorvik \
  "$jpeg_tolerance"
compare_scan jpeg-grey-300-region Gray 300 12.7 76.2 25.4 25.4 airscan:e0:zorvik \
  "$jpeg_tolerance"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
