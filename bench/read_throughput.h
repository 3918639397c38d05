// The scan windows of the throughput figures, the whole-page read, and the
// memcpy of the same chunks the reads are set beside.
#pragma once

#include <cstdint>

#include "bench_path.h"

namespace zorvik::bench {

// A colour window of the default device big enough for every measurement:
// the whole flatbed at 600 dpi, 8 bits per channel (about 107 MB).
SCANNER_PARAMETERS BenchScanWindow();

// MB/s (10^6 bytes per second) of `bytes` moved in `seconds`.
double MegabytesPerSecond(uint64_t bytes, double seconds);

// One A4 page (210 x 297 mm) at 600 dpi, colour, 8 bits per channel.
SCANNER_PARAMETERS A4PageWindow();

// One whole page read through a path in 1 MiB ReadScan calls.
struct PageRead {
  uint64_t expected_bytes = 0;    // bytes per line x lines, from the window
  bool geometry_matches = false;  // the component's BUFFER_INFO agrees
  uint64_t bytes = 0;             // bytes read
  bool complete = false;          // every read succeeded, bytes == the geometry's size
  double seconds = 0.0;
};
PageRead ReadWholePage(BenchPath& path);

// MB/s of copying `total` bytes in `chunk`-byte memcpy calls.
double MemcpyMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs);

}  // namespace zorvik::bench
