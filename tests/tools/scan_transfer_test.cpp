// The scan's read loop against a scripted scanner: every byte reaches the
// image whatever sizes the reads come in, and a failed, stalled or
// overrunning read leaves no image file behind.
#include "scan_transfer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zorvik::host {
namespace {

class ScanTransferTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    wchar_t folder[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH + 1, folder));
    path_ = std::wstring(folder) + L"zorvik_transfer_test.png";
    shape_.pixels = ScanPixels::kGrey8;
    shape_.width = 10;
    shape_.height = 8;
    shape_.bytes_per_line = 10;
    for (size_t i = 0; i < image_.size(); ++i) image_[i] = static_cast<uint8_t>(i * 3);
  }
  void TearDown() override {
    DeleteFileW(path_.c_str());
    CoUninitialize();
  }

  std::unique_ptr<ImageWriter> NewWriter() {
    std::unique_ptr<ImageWriter> writer;
    EXPECT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, ImageFormat::kPng, shape_, &writer));
    return writer;
  }
  bool FileExists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  // A scanner that hands out the image in reads of `sizes` bytes (cycled),
  // never more than asked for.
  ReadScanPiece Scanner(std::vector<uint32_t> sizes) {
    return [this, sizes, served = size_t{0}, call = size_t{0}](
               uint8_t* buffer, uint32_t wanted) mutable -> std::optional<uint32_t> {
      const uint32_t size = std::min<uint32_t>(sizes[call++ % sizes.size()], wanted);
      const uint32_t given = std::min<uint32_t>(size, image_.size() - served);
      std::memcpy(buffer, image_.data() + served, given);
      served += given;
      return given;
    };
  }

  std::wstring path_;
  ImageShape shape_;
  std::array<uint8_t, 80> image_{};
};

TEST_F(ScanTransferTest, ShortAndEmptyReadsStillDeliverTheWholeImage) {
  auto writer = NewWriter();
  std::vector<uint64_t> reported;
  const TransferResult result =
      TransferScan(image_.size(), 16, Scanner({7, 0, 16, 3}), *writer,
                   [&](uint64_t done, double) { reported.push_back(done); });
  EXPECT_EQ(TransferOutcome::kComplete, result.outcome);
  EXPECT_EQ(80u, result.bytes);
  EXPECT_EQ(shape_.height, writer->lines_written());
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(80u, reported.back());
  EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
  writer.reset();
  EXPECT_TRUE(FileExists());
}

TEST_F(ScanTransferTest, NeverAsksForMoreThanThePieceOrWhatIsLeft) {
  auto writer = NewWriter();
  std::vector<uint32_t> asked;
  auto scanner = Scanner({100});
  const TransferResult result = TransferScan(
      image_.size(), 32,
      [&](uint8_t* buffer, uint32_t wanted) {
        asked.push_back(wanted);
        return scanner(buffer, wanted);
      },
      *writer, nullptr);
  EXPECT_EQ(TransferOutcome::kComplete, result.outcome);
  EXPECT_EQ((std::vector<uint32_t>{32, 32, 16}), asked);
}

TEST_F(ScanTransferTest, AFailedStalledOverrunningOrCancelledScanLeavesNoFile) {
  struct Case {
    const char* label;
    ReadScanPiece read;
    TransferOutcome outcome;
    TransferCancelled cancelled;
  };
  int calls = 0;
  int reads_before_cancel = 0;
  auto whole_reads = [&](uint8_t* buffer, uint32_t wanted) -> std::optional<uint32_t> {
    ++reads_before_cancel;
    std::memset(buffer, 0, wanted);
    return wanted;
  };
  const Case cases[] = {
      {"read fails midway",
       [&](uint8_t* buffer, uint32_t wanted) -> std::optional<uint32_t> {
         if (++calls > 2) return std::nullopt;
         std::memset(buffer, 0, wanted);
         return wanted;
       },
       TransferOutcome::kReadFailed, nullptr},
      {"nothing ever arrives", [](uint8_t*, uint32_t) { return std::optional<uint32_t>(0); },
       TransferOutcome::kScannerMisbehaved, nullptr},
      {"more than asked for",
       [](uint8_t*, uint32_t wanted) { return std::optional<uint32_t>(wanted + 1); },
       TransferOutcome::kScannerMisbehaved, nullptr},
      {"cancelled after two reads", whole_reads, TransferOutcome::kCancelled,
       [&] { return reads_before_cancel == 2; }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    auto writer = NewWriter();
    const TransferResult result =
        TransferScan(image_.size(), 16, test.read, *writer, nullptr, test.cancelled);
    EXPECT_EQ(test.outcome, result.outcome);
    writer.reset();
    EXPECT_FALSE(FileExists());
  }
}

TEST_F(ScanTransferTest, AWriterThatRefusesTheBytesEndsTheTransfer) {
  auto writer = NewWriter();
  // Told the image is one byte longer than the writer's, the loop reads on
  // past the last line; the writer refuses and no file remains.
  const TransferResult result = TransferScan(
      image_.size() + 1, 81,
      [](uint8_t* buffer, uint32_t wanted) {
        std::memset(buffer, 0, wanted);
        return std::optional<uint32_t>(wanted);
      },
      *writer, nullptr);
  EXPECT_EQ(TransferOutcome::kWriteFailed, result.outcome);
  EXPECT_EQ(E_BOUNDS, result.write_error);
  writer.reset();
  EXPECT_FALSE(FileExists());
}

}  // namespace
}  // namespace zorvik::host
