// The host program while it scans a whole page: zorvik_scan scanning the A4
// 600 dpi colour page to a PNG file, its memory, and whether it keeps up with
// a scanner on a USB 2.0 bus.
#pragma once

#include <cstdint>

namespace zorvik::bench {

struct HostMemory {
  int exit_code = -1;
  double seconds = 0.0;
  uint64_t peak_working_set = 0;  // bytes
  uint64_t peak_pagefile = 0;     // bytes (private memory committed)
  uint64_t image_file_bytes = 0;  // size of the PNG written
};

// Runs zorvik_scan.exe from the program's folder; zorvik.dll must be
// registered.
HostMemory MeasureHostMemory();

// The same page from a scanner on a USB 2.0 bus (a device file asking the
// simulator for 40 MB/s): read alone through the scanner object, and scanned
// to PNG by zorvik_scan, whose own summary gives its time from the first read
// to the committed file (process start-up and session set-up left out).
struct HostPace {
  double transfer_seconds = -1.0;  // the page read alone
  double scan_seconds = -1.0;      // zorvik_scan, reads and PNG encoding
  int exit_code = -1;
};
HostPace MeasureHostPace();

}  // namespace zorvik::bench
