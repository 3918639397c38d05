// What the user sees while a scan runs and when it ends: a one-line terminal
// progress bar, redrawn only when it changes, and the end-of-scan summary.
// Pure text; the caller prints it (the bar after a carriage return).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zorvik::host {

// The bar for `done` of `total` bytes after `seconds`: "[#####-----]  50%"
// with `width` cells, then the rate once time has passed, e.g.
// "[##########----------]  50%  12.6 MB/s". A total of 0 counts as complete;
// `done` beyond `total` shows as 100%.
std::string FormatProgressBar(uint64_t done, uint64_t total, double seconds, int width = 30);

// Keeps the terminal quiet: Update gives the bar's text only when its whole
// percentage has changed since the last text it gave (and always for the
// first update), so a scan of thousands of reads draws at most 101 bars.
class ProgressBar {
 public:
  explicit ProgressBar(uint64_t total, int width = 30) : total_(total), width_(width) {}
  std::optional<std::string> Update(uint64_t done, double seconds);

 private:
  uint64_t total_;
  int width_;
  int last_percent_ = -1;
};

struct ScanStatistics {
  uint32_t pixels_per_line = 0;
  uint32_t lines = 0;
  uint64_t bytes = 0;
  double seconds = 0;
};

// "Scanned 2550 x 3300 pixels (8415000), 3300 lines, 25245000 bytes in 2.50 s: 10.10 MB/s".
// MB are 1,000,000 bytes. Under a millisecond no rate is given.
std::string FormatScanSummary(const ScanStatistics& statistics);

}  // namespace zorvik::host
