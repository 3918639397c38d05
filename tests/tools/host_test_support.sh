# Shared by the scripts that test the host programs from the Linux side:
# sourced with the script's arguments, <wine-run> and the folder of the
# programs and zorvik.dll. Checks counted, the component registered for the
# test and unregistered after it, zorvik_share started on a free port and
# stopped, another host holding the scanner, and eSCL requests made with
# curl.
wine_run="$1"
bin="$2"
work="$(mktemp -d)"
failures=0
passes=0
servers=()

windows_path() { "$wine_run" winepath.exe -w "$1" 2>/dev/null | tr -d '\r'; }

# Ctrl-C (SIGINT) stops a server cleanly; one that does not stop in ten
# seconds is killed.
stop_process() {
  local pid="$1"
  kill -INT "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 0; }
    sleep 0.2
  done
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

cleanup() {
  for pid in "${servers[@]}"; do stop_process "$pid"; done
  # What the servers said, when something failed.
  if [ "$failures" -ne 0 ]; then
    for log in "$work"/*.out "$work"/*.err; do
      [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; } >&2
    done
  fi
  "$wine_run" regsvr32.exe /u /s "$(windows_path "$bin/zorvik.dll")" </dev/null >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

check() {
  local what="$1"
  shift
  if "$@"; then
    passes=$((passes + 1))
  else
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

# Registers zorvik.dll for the test; sets $device to a default 7310 of the
# test's own (an empty device description), so no other suite waits for it.
prepare_component() {
  "$wine_run" regsvr32.exe /s "$(windows_path "$bin/zorvik.dll")" </dev/null >/dev/null 2>&1 ||
    { echo "registering zorvik.dll failed" >&2; exit 1; }
  : >"$work/7310.txt"
  device="$(windows_path "$work/7310.txt")"
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Starts a server on a free port with the options given; sets $port. Ready
# once it answers a status request (the first start of a prefix is slow).
start_server() {
  local name="$1"
  shift
  port="$(free_port)"
  "$wine_run" "$bin/zorvik_share.exe" --listen "127.0.0.1:$port" -d "$device" "$@" \
    </dev/null >"$work/$name.out" 2>"$work/$name.err" &
  servers+=($!)
  for _ in $(seq 240); do
    curl -sf -m 2 -o /dev/null "http://127.0.0.1:$port/eSCL/ScannerStatus" && return 0
    sleep 0.25
  done
  echo "zorvik_share ($name) did not start: $(cat "$work/$name.err")" >&2
  exit 1
}

# A ScanSettings document.
settings() { # mode resolution xoffset yoffset width height (1/300 inch) format
  cat <<XML
<?xml version="1.0" encoding="UTF-8"?>
<scan:ScanSettings xmlns:pwg="http://www.pwg.org/schemas/2010/12/sm" xmlns:scan="http://schemas.hp.com/imaging/escl/2011/05/03">
<pwg:Version>2.0</pwg:Version>
<pwg:ScanRegions><pwg:ScanRegion><pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches</pwg:ContentRegionUnits>
<pwg:XOffset>$3</pwg:XOffset><pwg:YOffset>$4</pwg:YOffset><pwg:Width>$5</pwg:Width><pwg:Height>$6</pwg:Height>
</pwg:ScanRegion></pwg:ScanRegions>
<pwg:InputSource>Platen</pwg:InputSource><scan:ColorMode>$1</scan:ColorMode>
<pwg:DocumentFormat>${7:-image/png}</pwg:DocumentFormat>
<scan:XResolution>$2</scan:XResolution><scan:YResolution>$2</scan:YResolution>
</scan:ScanSettings>
XML
}
# Posts a job to the server at $url; sets $job to its location, $status to
# the HTTP status.
post_job() {
  settings "$@" >"$work/settings.xml"
  status="$(curl -s -m 60 -o /dev/null -D "$work/headers" -w '%{http_code}' \
    -H 'Content-Type: text/xml' --data-binary @"$work/settings.xml" "$url/ScanJobs")"
  job="$(tr -d '\r' <"$work/headers" | sed -n 's/^Location: *//Ip')"
}

# Answers `curl ARGS...` with its HTTP status; the body lands in $work/body.
status_of() { curl -s -m 30 -o "$work/body" -w '%{http_code}' "$@"; }
# A request, the status it must get, and what it is.
expect() {
  local want="$1" what="$2"
  shift 2
  local got
  got="$(status_of "$@")"
  check "$what: $want expected, got $got ($(head -c 200 "$work/body" | tr -d '\0'))" \
    test "$got" = "$want"
}

# Another host holds the scanner: zorvik_scan waiting for a button press,
# started as $holder (stop it with stop_process "$holder").
hold_scanner() {
  "$wine_run" "$bin/zorvik_scan.exe" -d "$device" --wait-for-button </dev/null \
    >/dev/null 2>"$work/holder.err" &
  holder=$!
  # A loaded machine may take many seconds to start a Wine program.
  for _ in $(seq 600); do
    grep -q "Waiting for a front-panel button" "$work/holder.err" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "zorvik_scan did not take the scanner: $(cat "$work/holder.err")" >&2
}
