#!/usr/bin/env bash
# The eSCL figures of ./zorvik.sh bench: the A4 600 dpi colour page (210 x
# 297 mm) scanned by Debian's scanimage through sane-airscan from
# zorvik_share over 127.0.0.1, beside zorvik_scan writing the same page to
# the same format (PNG) on the same machine: wall time, and peak memory of
# the server, of scanimage and of zorvik_scan (each process's peak resident
# set, measured by bench/peak_memory.py; "program" is scanimage or
# zorvik_scan). The server is started for these scans only, so its peak is
# theirs.
#
#   share_bench.sh <build folder>
set -u
build="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
wine_run="$build/wine-run"
work="$(mktemp -d)"
server=""
measure() { python3 "$here/peak_memory.py" "$@"; }
windows_path() { "$wine_run" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }
dll="$(windows_path "$build/bin/zorvik.dll")"

cleanup() {
  [ -n "$server" ] && kill -INT "$server" 2>/dev/null && wait "$server" 2>/dev/null
  "$wine_run" regsvr32.exe /u /s "$dll" </dev/null >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

"$wine_run" regsvr32.exe /s "$dll" </dev/null >/dev/null 2>&1 ||
  { echo "share bench: registering zorvik.dll failed" >&2; exit 1; }
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
python3 "$here/peak_memory.py" "$work/server" "$wine_run" "$build/bin/zorvik_share.exe" \
  --listen "127.0.0.1:$port" </dev/null >"$work/server.out" 2>&1 &
server=$!
for _ in $(seq 240); do
  curl -sf -m 2 -o /dev/null "http://127.0.0.1:$port/eSCL/ScannerStatus" && break
  sleep 0.25
done

mkdir "$work/sane"
echo airscan >"$work/sane/dll.conf"
printf '[devices]\n"zorvik" = http://127.0.0.1:%s/eSCL, eSCL\n[options]\ndiscovery = disable\n' \
  "$port" >"$work/sane/airscan.conf"
rounds=3
# One round: scanimage over eSCL, then zorvik_scan, so that a change in the
# machine's load during the run touches both alike.
for round in $(seq "$rounds"); do
  echo "share bench: round $round of $rounds" >&2
  SANE_CONFIG_DIR="$work/sane" measure "$work/client-$round" timeout -k 5 600 scanimage \
    -d airscan:e0:zorvik --mode Color --resolution 600 -l 0 -t 0 -x 210 -y 297 --format=png \
    -o "$work/escl.png" 2>"$work/client.err"
  measure "$work/scan-$round" "$wine_run" "$build/bin/zorvik_scan.exe" --mode=Color --depth=8 \
    --resolution=600 --unit=mm --left=0 --top=0 --width=210 --height=297 \
    --output-file="$(windows_path "$work")\\scan.png" </dev/null >/dev/null 2>"$work/scan.err"
done
kill -INT "$server"
wait "$server"
server=""

# Each result file: status seconds peak_kib. Prints the worst status, the
# median time and the highest peak in MB of the files given.
summary() {
  cat "$@" | sort -k2 -n | awk '
    { status = ($1 != 0 ? $1 : status); time[NR] = $2; if ($3 > peak) peak = $3 }
    END { printf "%d %.2f %.1f\n", status, time[int((NR + 1) / 2)], peak * 1024 / 1e6 }'
}
read -r client_status client_seconds client_mb < <(summary "$work"/client-*)
read -r scan_status scan_seconds scan_mb < <(summary "$work"/scan-*)
read -r server_status _ server_mb < <(summary "$work/server")
file_mb() { awk -v b="$(stat -c %s "$1" 2>/dev/null || echo 0)" 'BEGIN { printf "%.1f", b / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

echo
echo "7. Scanning over eSCL: the A4 600 dpi colour page (4960 x 7016 pixels,"
echo "   104.4 MB of samples) as PNG, scanimage + sane-airscan from zorvik_share"
echo "   over 127.0.0.1 against zorvik_scan; time: median of $rounds rounds, each"
echo "   program from its start to its end; peak: the highest resident set of the"
echo "   process over the rounds (what Wine reports as its peak working set),"
echo "   MB = 10^6 bytes"
echo
row() { printf '%-24s %9s %14s %14s %9s %7s\n' "$@"; }
row "" "time (s)" "server peak" "program peak" "PNG (MB)" "status"
row "scanimage over eSCL" "$client_seconds" "$server_mb" "$client_mb" \
  "$(file_mb "$work/escl.png")" "$client_status/$server_status"
row "zorvik_scan" "$scan_seconds" "-" "$scan_mb" "$(file_mb "$work/scan.png")" "$scan_status"
echo
echo "   eSCL / zorvik_scan: time $(ratio "$client_seconds" "$scan_seconds")," \
  "memory (server / zorvik_scan) $(ratio "$server_mb" "$scan_mb")"
[ "$client_status" = 0 ] || echo "   scanimage failed: $(cat "$work/client.err")"
[ "$scan_status" = 0 ] || echo "   zorvik_scan failed: $(cat "$work/scan.err")"
