// The host program's memory while it scans a whole page: zorvik_scan scanning
// the A4 600 dpi colour page to a PNG file.
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

}  // namespace zorvik::bench
