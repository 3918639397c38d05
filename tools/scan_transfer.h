// The read loop of a scan: asks the scanner for the image piece by piece and
// hands each piece to the image writer, which encodes it on a thread of its
// own while the next piece is read, until every byte has arrived, a read
// fails, or the scanner keeps answering with nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "image_writer.h"

namespace zorvik::host {

// Fills `buffer` with up to `wanted` bytes of the scan and returns how many
// it filled; nullopt when the read failed (the reader reports why).
using ReadScanPiece = std::function<std::optional<uint32_t>(uint8_t* buffer, uint32_t wanted)>;

// Told the bytes received so far and the seconds since the transfer began
// (on the reading thread).
using TransferProgress = std::function<void(uint64_t done, double seconds)>;

// Asked before every read; true stops the transfer (the user cancelled).
using TransferCancelled = std::function<bool()>;

// Consecutive reads that deliver nothing before the scanner counts as stalled.
constexpr int kMaxEmptyReads = 100;

enum class TransferOutcome {
  kComplete,
  kReadFailed,
  // The reader answered with no bytes kMaxEmptyReads times in a row, or with
  // more than it was asked for.
  kScannerMisbehaved,
  kWriteFailed,
  // Stopped on request before the image was complete; nothing committed.
  kCancelled,
};

struct TransferResult {
  TransferOutcome outcome = TransferOutcome::kComplete;
  // The writer's failure with kWriteFailed, else S_OK.
  HRESULT write_error = S_OK;
  uint64_t bytes = 0;  // received from the scanner
  double seconds = 0;
};

// Reads `total_bytes` in pieces of at most `piece_bytes` into `writer` and,
// when every byte arrived and was written, commits the image. Reads,
// `progress` and `cancelled` run on the calling thread; `writer` appends on
// another thread (with COM of its own) and commits on the calling thread.
// `progress` and `cancelled` may be empty.
TransferResult TransferScan(uint64_t total_bytes, uint32_t piece_bytes, const ReadScanPiece& read,
                            ScanSink& writer, const TransferProgress& progress,
                            const TransferCancelled& cancelled = {});

}  // namespace zorvik::host
