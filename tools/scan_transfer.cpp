// The scan's read loop. The reads stay on the caller's thread (the scanner's
// session and lock belong to it); the image writer encodes on a thread of its
// own, so that encoding a piece overlaps reading the next one. At most
// kPiecesInFlight pieces exist at once, so memory stays bounded whichever
// side is slower.
#include "scan_transfer.h"

#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace zorvik::host {

namespace {

constexpr size_t kPiecesInFlight = 3;

struct Piece {
  explicit Piece(uint32_t capacity) : bytes(capacity) {}
  std::vector<uint8_t> bytes;
  uint32_t size = 0;  // bytes filled
};

// Hands filled pieces from the reading thread to the encoding thread and
// empty ones back.
class PiecePipe {
 public:
  explicit PiecePipe(uint32_t piece_bytes) {
    for (size_t i = 0; i < kPiecesInFlight; ++i)
      empty_.push_back(std::make_unique<Piece>(piece_bytes));
  }

  // For the reader: an empty piece, or null once the writer has failed.
  std::unique_ptr<Piece> TakeEmpty() {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return !empty_.empty() || FAILED(write_error_); });
    return FAILED(write_error_) ? nullptr : Pop(empty_);
  }
  void GiveBack(std::unique_ptr<Piece> piece) { Push(empty_, std::move(piece)); }
  void PassFilled(std::unique_ptr<Piece> piece) { Push(filled_, std::move(piece)); }
  // No more pieces will be filled.
  void Finish() {
    const std::lock_guard<std::mutex> hold(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  // For the writer: the next filled piece, or null when the reader has
  // finished and every piece has been written.
  std::unique_ptr<Piece> TakeFilled() {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return !filled_.empty() || finished_; });
    return filled_.empty() ? nullptr : Pop(filled_);
  }
  void Fail(HRESULT error) {
    const std::lock_guard<std::mutex> hold(mutex_);
    write_error_ = error;
    changed_.notify_all();
  }
  HRESULT write_error() {
    const std::lock_guard<std::mutex> hold(mutex_);
    return write_error_;
  }

 private:
  using Pieces = std::deque<std::unique_ptr<Piece>>;
  static std::unique_ptr<Piece> Pop(Pieces& pieces) {
    std::unique_ptr<Piece> piece = std::move(pieces.front());
    pieces.pop_front();
    return piece;
  }
  void Push(Pieces& pieces, std::unique_ptr<Piece> piece) {
    const std::lock_guard<std::mutex> hold(mutex_);
    pieces.push_back(std::move(piece));
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  Pieces empty_, filled_;
  bool finished_ = false;
  HRESULT write_error_ = S_OK;
};

// Writes every filled piece until the reader finishes or a write fails.
void EncodePieces(PiecePipe& pipe, ScanSink& writer) {
  // The encoders are COM objects; this thread needs COM of its own.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  while (std::unique_ptr<Piece> piece = pipe.TakeFilled()) {
    const HRESULT written = writer.Append(piece->bytes.data(), piece->size);
    if (FAILED(written)) {
      pipe.Fail(written);
      break;
    }
    pipe.GiveBack(std::move(piece));
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace

TransferResult TransferScan(uint64_t total_bytes, uint32_t piece_bytes, const ReadScanPiece& read,
                            ScanSink& writer, const TransferProgress& progress,
                            const TransferCancelled& cancelled) {
  TransferResult result;
  const auto start = std::chrono::steady_clock::now();
  auto seconds = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  const uint32_t capacity = std::max<uint32_t>(piece_bytes, 1);
  PiecePipe pipe(capacity);
  std::thread encoder([&] { EncodePieces(pipe, writer); });
  int empty_reads = 0;
  while (result.bytes < total_bytes) {
    if (cancelled && cancelled()) {
      result.outcome = TransferOutcome::kCancelled;
      break;
    }
    std::unique_ptr<Piece> piece = pipe.TakeEmpty();
    if (!piece) {
      result.outcome = TransferOutcome::kWriteFailed;
      break;
    }
    const uint32_t wanted =
        static_cast<uint32_t>(std::min<uint64_t>(capacity, total_bytes - result.bytes));
    const std::optional<uint32_t> got = read(piece->bytes.data(), wanted);
    if (!got) {
      result.outcome = TransferOutcome::kReadFailed;
      break;
    }
    if (*got > wanted || (*got == 0 && ++empty_reads >= kMaxEmptyReads)) {
      result.outcome = TransferOutcome::kScannerMisbehaved;
      break;
    }
    if (*got == 0) {
      pipe.GiveBack(std::move(piece));
      continue;
    }
    empty_reads = 0;
    piece->size = *got;
    pipe.PassFilled(std::move(piece));
    result.bytes += *got;
    if (progress) progress(result.bytes, seconds());
  }
  pipe.Finish();
  encoder.join();
  // A write that failed after the last read still fails the transfer; a
  // failed read or a cancel that came first stands as it is.
  result.write_error = pipe.write_error();
  if (FAILED(result.write_error) && result.outcome == TransferOutcome::kComplete)
    result.outcome = TransferOutcome::kWriteFailed;
  if (result.outcome == TransferOutcome::kComplete) {
    result.write_error = writer.Commit();
    if (FAILED(result.write_error)) result.outcome = TransferOutcome::kWriteFailed;
  }
  result.seconds = seconds();
  return result;
}

}  // namespace zorvik::host
