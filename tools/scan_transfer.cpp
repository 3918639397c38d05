// The scan's read loop.
#include "scan_transfer.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace zorvik::host {

TransferResult TransferScan(uint64_t total_bytes, uint32_t piece_bytes, const ReadScanPiece& read,
                            ScanSink& writer, const TransferProgress& progress,
                            const TransferCancelled& cancelled) {
  TransferResult result;
  const auto start = std::chrono::steady_clock::now();
  auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  std::vector<uint8_t> buffer(std::max<uint32_t>(piece_bytes, 1));
  int empty_reads = 0;
  while (result.bytes < total_bytes) {
    if (cancelled && cancelled()) {
      result.outcome = TransferOutcome::kCancelled;
      break;
    }
    const uint32_t wanted =
        static_cast<uint32_t>(std::min<uint64_t>(buffer.size(), total_bytes - result.bytes));
    const std::optional<uint32_t> got = read(buffer.data(), wanted);
    if (!got) {
      result.outcome = TransferOutcome::kReadFailed;
      break;
    }
    if (*got > wanted || (*got == 0 && ++empty_reads >= kMaxEmptyReads)) {
      result.outcome = TransferOutcome::kScannerMisbehaved;
      break;
    }
    if (*got == 0) continue;
    empty_reads = 0;
    result.write_error = writer.Append(buffer.data(), *got);
    if (FAILED(result.write_error)) {
      result.outcome = TransferOutcome::kWriteFailed;
      break;
    }
    result.bytes += *got;
    if (progress) progress(result.bytes, seconds());
  }
  if (result.outcome == TransferOutcome::kComplete) {
    result.write_error = writer.Commit();
    if (FAILED(result.write_error)) result.outcome = TransferOutcome::kWriteFailed;
  }
  result.seconds = seconds();
  return result;
}

}  // namespace zorvik::host
