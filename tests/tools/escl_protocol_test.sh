#!/usr/bin/env bash
# zorvik_share's answers to bad and unusual requests, made directly with
# curl: each bad request gets its 4xx and changes nothing, the server keeps
# serving and a good job still runs after all of them; a job never fetched is
# cancelled at its time-out, and a deleted job gives the scanner back, so the
# next job starts at once; scanner faults fail the job, never a broken image.
#
#   escl_protocol_test.sh <wine-run> <folder of zorvik_share.exe and zorvik.dll>
set -u
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/host_test_support.sh" "$@"

prepare_component
start_server protocol --job-timeout 2
url="http://127.0.0.1:$port/eSCL"

post_body() { # status what body
  printf '%s' "$3" >"$work/posted"
  expect "$1" "$2" -H 'Content-Type: text/xml' --data-binary @"$work/posted" "$url/ScanJobs"
}
good="$(settings RGB24 75 0 0 300 300)"

expect 404 "an unknown resource" "$url/Nothing"
expect 404 "an unknown job resource" "$url/ScanJobs/1/Nothing"
expect 404 "a job number with a leading zero" "$url/ScanJobs/01"
expect 405 "PUT of the status" -X PUT "$url/ScannerStatus"
expect 405 "GET of the job list" "$url/ScanJobs"
expect 405 "POST of the capabilities" -d x "$url/ScannerCapabilities"
expect 404 "the next document of a job that never was" "$url/ScanJobs/99/NextDocument"
expect 404 "DELETE of a job that never was" -X DELETE "$url/ScanJobs/99"
post_body 400 "a body that is not XML" "this is not XML"
post_body 400 "XML cut short" "${good:0:200}"
post_body 400 "another root element" '<?xml version="1.0"?><ScanJob/>'
post_body 400 "a DTD with an entity" '<?xml version="1.0"?><!DOCTYPE a [<!ENTITY x "xx">]><scan:ScanSettings xmlns:scan="http://schemas.hp.com/imaging/escl/2011/05/03">&x;</scan:ScanSettings>'
post_body 400 "a resolution that is not a number" "$(settings RGB24 seventy 0 0 300 300)"
post_body 400 "a negative offset" "$(settings RGB24 75 -1 0 300 300)"
post_body 409 "a resolution not offered" "$(settings RGB24 123 0 0 300 300)"
post_body 409 "a colour mode not offered" "$(settings Sepia8 75 0 0 300 300)"
post_body 409 "16-bit colour as JPEG" "$(settings RGB48 75 0 0 300 300 image/jpeg)"
post_body 409 "16-bit grey as PDF" "$(settings Grayscale16 75 0 0 300 300 application/pdf)"
post_body 409 "a format not offered" "$(settings RGB24 75 0 0 300 300 image/tiff)"
post_body 409 "a region starting beyond the platen" "$(settings RGB24 75 2550 0 300 300)"
post_body 409 "a region running past the platen" "$(settings RGB24 75 2000 3000 600 600)"
post_body 409 "an empty region" "$(settings RGB24 75 0 0 0 300)"
head -c 100000 /dev/zero | tr '\0' ' ' >"$work/large"
# Without curl's "Expect: 100-continue", which Wine's HTTP driver never
# answers (eSCL clients post small documents without it). Wine's driver
# reads the whole body before it hands the request over, and at times drops
# the connection of so large a request itself (curl's status 000); either
# way nothing is made and the server keeps serving.
large_status="$(status_of -H 'Content-Type: text/xml' -H 'Expect:' --data-binary @"$work/large" \
  "$url/ScanJobs")"
check "a body over the bound: 413 or dropped, got $large_status" \
  test "$large_status" = 413 -o "$large_status" = 000
expect 200 "the status after all of them" "$url/ScannerStatus"
check "no job was made by them" grep -q "<scan:Jobs */>" "$work/body"

# A good job runs after all of them: 201, its document, then 404.
post_job RGB24 75 0 0 300 300
check "a good job is created ($status, '$job')" test "$status" = 201 -a -n "$job"
expect 200 "its document" "http://127.0.0.1:$port$job/NextDocument"
check "the document is a PNG image" grep -q "PNG" "$work/body"
expect 404 "then no more" "http://127.0.0.1:$port$job/NextDocument"
post_job RGB48 75 0 0 300 300
expect 200 "a 16-bit colour document" "http://127.0.0.1:$port$job/NextDocument"
check "it is a PNG image" grep -q "PNG" "$work/body"

# A second job while one waits for its fetch is busy.
post_job Grayscale8 75 0 0 300 300
first="$job"
post_job Grayscale8 75 0 0 300 300
check "a job while another waits gets 503 ($status)" test "$status" = 503
# The waiting job is not fetched: after its time-out (2 s) it is cancelled
# and the scanner is free again.
sleep 3
expect 200 "the status after the time-out" "$url/ScannerStatus"
check "the job timed out" grep -q "JobTimedOut" "$work/body"
expect 404 "the timed-out job has no document" "http://127.0.0.1:$port$first/NextDocument"
post_job Grayscale8 75 0 0 300 300
check "the next job starts at once ($status)" test "$status" = 201
# Deleted, the job gives the scanner back.
expect 200 "DELETE of a waiting job" -X DELETE "http://127.0.0.1:$port$job"
sleep 0.5
expect 404 "the deleted job has no document" "http://127.0.0.1:$port$job/NextDocument"
post_job RGB24 75 0 0 300 300
check "the job after a deleted one starts at once ($status)" test "$status" = 201
expect 200 "and its document comes" "http://127.0.0.1:$port$job/NextDocument"

# Scanner faults fail the job with an error status and the reason in the
# status, never a 200 with a broken image: the lamp off at the start, and a
# read that fails halfway through the image.
stop_process "${servers[0]}"
servers=()
printf 'lamp = off\n' >"$work/faulty.txt"
device="$(windows_path "$work/faulty.txt")"
start_server faulty
url="http://127.0.0.1:$port/eSCL"
post_job RGB24 75 0 0 300 300
expect 500 "a scan with the lamp off" "http://127.0.0.1:$port$job/NextDocument"
expect 200 "the status after it" "$url/ScannerStatus"
check "the job was aborted for the lamp" grep -q "Aborted</pwg:JobState>.*ScannerLampOff" \
  "$work/body"
printf 'fail = ReadScan status 156 after 75000\n' >"$work/faulty.txt"
stop_process "${servers[0]}"
servers=()
start_server faulty-read
url="http://127.0.0.1:$port/eSCL"
post_job RGB24 75 0 0 900 900
expect 500 "a scan whose read fails halfway" "http://127.0.0.1:$port$job/NextDocument"
post_job RGB24 75 0 0 300 300
check "the next job starts at once ($status)" test "$status" = 201

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
