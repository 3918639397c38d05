// Timing of image reads: only the ReadScan loop is timed; setting up and
// stopping the scan are outside the clock.
#include "read_throughput.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "zorvik_contract.h"
#include "stopwatch.h"

namespace zorvik::bench {
namespace {

constexpr double kMegabyte = 1e6;
constexpr uint32_t kPageChunk = 1024 * 1024;

}  // namespace

double MegabytesPerSecond(uint64_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / kMegabyte / seconds : 0.0;
}

SCANNER_PARAMETERS BenchScanWindow() {
  SCANNER_PARAMETERS params{};
  params.dwWidth = 2550;   // 8.5 inch in 1/300 inch
  params.dwLength = 3510;  // 11.7 inch
  params.dwScanMode = ZORVIK_SCAN_MODE_COLOR;
  params.byBitsPerChannel = 8;
  params.wXResolution = 600;
  params.wYResolution = 600;
  params.wScanMethod = ZORVIK_SCAN_METHOD_FLATBED;
  return params;
}

double MemcpyMegabytesPerSecond(uint32_t chunk, uint64_t total, int runs) {
  std::vector<uint8_t> source(chunk, 0x5a), target(chunk);
  return MedianOfRuns(runs, [&] {
    const double start = NowSeconds();
    for (uint64_t done = 0; done < total; done += chunk) {
      std::memcpy(target.data(), source.data(), chunk);
      // Keeps the compiler from dropping copies whose result is never read.
      asm volatile("" : : "r"(target.data()) : "memory");
    }
    return MegabytesPerSecond(total, NowSeconds() - start);
  });
}

}  // namespace zorvik::bench

namespace zorvik::bench {

SCANNER_PARAMETERS A4PageWindow() {
  SCANNER_PARAMETERS params = BenchScanWindow();
  params.dwWidth = 2480;   // 210 mm in 1/300 inch
  params.dwLength = 3508;  // 297 mm
  return params;
}

PageRead ReadWholePage(BenchPath& path) {
  PageRead page;
  const SCANNER_PARAMETERS window = A4PageWindow();
  BUFFER_INFO info{};
  if (!path.BufferInfo(window, &info)) return page;
  // The geometry worked out here from the window alone: 600 dpi is two
  // pixels per 1/300 inch, three bytes per colour pixel.
  const uint64_t pixels = uint64_t{window.dwWidth} * window.wXResolution / 300;
  const uint64_t lines = uint64_t{window.dwLength} * window.wYResolution / 300;
  page.expected_bytes = pixels * 3 * lines;
  const uint64_t image_bytes = uint64_t{info.dwBytesPerLine} * info.dwPixelHeight;
  page.geometry_matches = image_bytes == page.expected_bytes && info.dwPixelWidth == pixels &&
                          info.dwPixelHeight == lines;

  std::vector<uint8_t> buffer(kPageChunk);
  if (!path.StartScan(window)) return page;
  const double start = NowSeconds();
  bool failed = false;
  while (page.bytes < image_bytes && !failed) {
    const uint32_t chunk =
        static_cast<uint32_t>(std::min<uint64_t>(kPageChunk, image_bytes - page.bytes));
    failed = !path.ReadScan(buffer.data(), chunk);
    if (!failed) page.bytes += chunk;
  }
  page.seconds = NowSeconds() - start;
  page.complete = !failed && path.StopScan() && page.bytes == image_bytes;
  return page;
}

}  // namespace zorvik::bench
