// ReadScan throughput in chunks of a given size, and the memcpy of the same
// chunks it is compared with.
#pragma once

#include <cstdint>

#include "bench_path.h"

namespace zorvik::bench {

// A colour window of the default device big enough for every measurement:
// the whole flatbed at 600 dpi, 8 bits per channel (about 107 MB).
SCANNER_PARAMETERS BenchScanWindow();

// MB/s of reading `total` bytes in `chunk`-byte ReadScan calls on `path`, one
// scan per run, the median of `runs` runs; negative when a call fails.
double ReadScanMegabytesPerSecond(BenchPath& path, uint32_t chunk, uint64_t total, int runs);

// MB/s of copying `total` bytes in `chunk`-byte memcpy calls.
double MemcpyMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs);

}  // namespace zorvik::bench
