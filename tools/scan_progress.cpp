// Text of the progress bar and the end-of-scan summary.
#include "scan_progress.h"

#include <algorithm>
#include <cstdio>

namespace zorvik::host {
namespace {

constexpr double kBytesPerMegabyte = 1e6;
constexpr double kShortestTimedScan = 0.001;

int PercentOf(uint64_t done, uint64_t total) {
  if (total == 0 || done >= total) return 100;
  return static_cast<int>(done * 100 / total);
}

std::string Rate(uint64_t bytes, double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MB/s",
                static_cast<double>(bytes) / kBytesPerMegabyte / seconds);
  return text;
}

}  // namespace

std::string FormatProgressBar(uint64_t done, uint64_t total, double seconds, int width) {
  width = std::max(width, 1);
  const int percent = PercentOf(done, total);
  const int filled = percent * width / 100;
  std::string bar;
  bar.reserve(static_cast<size_t>(width) + 32);
  bar.push_back('[');
  bar.append(static_cast<size_t>(filled), '#');
  bar.append(static_cast<size_t>(width - filled), '-');
  bar.push_back(']');
  char number[8];
  std::snprintf(number, sizeof number, " %3d%%", percent);
  bar += number;
  if (seconds >= kShortestTimedScan) bar += "  " + Rate(std::min(done, total), seconds);
  return bar;
}

std::optional<std::string> ProgressBar::Update(uint64_t done, double seconds) {
  const int percent = PercentOf(done, total_);
  if (percent == last_percent_) return std::nullopt;
  last_percent_ = percent;
  return FormatProgressBar(done, total_, seconds, width_);
}

std::string FormatScanSummary(const ScanStatistics& statistics) {
  char text[160];
  const unsigned long long pixels =
      static_cast<unsigned long long>(statistics.pixels_per_line) * statistics.lines;
  std::snprintf(text, sizeof text, "Scanned %u x %u pixels (%llu), %u lines, %llu bytes in %.2f s",
                statistics.pixels_per_line, statistics.lines, pixels, statistics.lines,
                static_cast<unsigned long long>(statistics.bytes), statistics.seconds);
  std::string summary = text;
  if (statistics.seconds >= kShortestTimedScan) {
    summary += ": " + Rate(statistics.bytes, statistics.seconds);
  }
  return summary;
}

}  // namespace zorvik::host
