// Writes a scanned page into a PNG, TIFF, BMP or JPEG file (or any stream), line by line as
// the scan delivers them: each Append hands the encoder the complete lines it
// has, so the page is never held in memory here. PNG, BMP and JPEG go through
// the platform's imaging component (WIC); TIFF through our own baseline
// writer, since WIC's TIFF encoder under Wine takes no 16-bit grey and
// ignores failed writes. The file appears under its name only when Commit
// succeeds (see staged_file.h), and every failed write is reported, whatever
// the encoder made of it. The caller's thread must have COM initialised.
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "file_stream.h"
#include "scan_options.h"
#include "scan_pixels.h"
#include "scan_sink.h"
#include "staged_file.h"
#include "tiff_writer.h"

// Not every SDK's headers name this one.
#ifndef E_BOUNDS
#define E_BOUNDS _HRESULT_TYPEDEF_(0x8000000BL)
#endif

namespace zorvik::host {

// The image a scan delivers: its layout, size and resolution. bytes_per_line
// is the scanner's line length (BUFFER_INFO::dwBytesPerLine); width is the
// pixels of a line the image keeps, which may be fewer than the line holds
// (a 1-bit line padded to whole bytes), never more.
struct ImageShape {
  ScanPixels pixels = ScanPixels::kBgr24;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytes_per_line = 0;
  double x_dpi = 0;
  double y_dpi = 0;
};

class ImageWriter : public ScanSink {
 public:
  // Prepares an encoder of `format` for an image of `shape`, to be written
  // into a temporary file beside `path`. E_INVALIDARG for an empty image or a
  // line length too short for its pixels; WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT
  // when the encoder takes none of the layouts this scan converts to;
  // HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED) for a read-only target; other
  // failures as the file system or WIC reports them.
  static HRESULT Create(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                        std::unique_ptr<ImageWriter>* writer);

  // As Create, but the image goes into `stream` (from its current position),
  // which the caller keeps and reads once Commit has succeeded; nothing is
  // published anywhere.
  static HRESULT CreateInStream(IStream* stream, ImageFormat format, const ImageShape& shape,
                                std::unique_ptr<ImageWriter>* writer);

  // As Create, on a disk with room for a file of `disk_bytes` only: writes
  // past it fail with ERROR_DISK_FULL.
  static HRESULT CreateOnSmallDiskForTesting(const std::wstring& path, ImageFormat format,
                                             const ImageShape& shape, uint64_t disk_bytes,
                                             std::unique_ptr<ImageWriter>* writer);

  // An image that was not committed is not a picture anyone can open: its
  // temporary file goes, and the target stays as it was.
  ~ImageWriter() override = default;
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  // Takes the next `count` bytes of the scan, split anywhere (even inside a
  // pixel), and encodes every line they complete. E_BOUNDS, with nothing of
  // these bytes taken, when they would run past the image's last line. A
  // failed write is returned as the system reported it (e.g.
  // HRESULT_FROM_WIN32(ERROR_DISK_FULL)), and returned again by every later
  // call.
  HRESULT Append(const uint8_t* bytes, size_t count) override;

  // Finishes the file, flushes it to disk and moves it over the target.
  // E_UNEXPECTED, with nothing written, while lines are still missing. On
  // any failure the target is as it was and the temporary file is gone.
  HRESULT Commit() override;

  uint32_t lines_written() const { return lines_written_; }
  // The layout of the file's pixels as WIC names it, e.g.
  // GUID_WICPixelFormat24bppBGR.
  const GUID& encoder_pixel_format() const { return encoder_format_; }

 private:
  ImageWriter(ImageFormat format, const ImageShape& shape);
  static HRESULT CreateLimited(const std::wstring& path, ImageFormat format,
                               const ImageShape& shape, uint64_t disk_bytes,
                               std::unique_ptr<ImageWriter>* writer);
  static bool FitsShape(const ImageShape& shape);
  HRESULT Open(const std::wstring& path, uint64_t disk_bytes);
  HRESULT OpenEncoder();
  HRESULT OpenWic();
  HRESULT OpenTiff();
  HRESULT ChooseEncoderLayout(IWICImagingFactory* factory);
  HRESULT CheckSampleOrder(IWICImagingFactory* factory);
  HRESULT WriteLines(const uint8_t* lines, uint32_t count);
  HRESULT EncodeLines(const uint8_t* lines, uint32_t stride, uint32_t count);
  HRESULT FinishEncoding();
  HRESULT CorrectBmpFileSize();
  // The stream's first failure if it had one, else `hr`; a failure is kept
  // as the writer's for good.
  HRESULT Checked(HRESULT hr);

  ImageFormat format_;
  ImageShape shape_;
  // Declared first, so released last: everything below writes into it.
  std::unique_ptr<StagedFile> file_;
  // The file's own stream, which remembers its failures; null when the
  // image goes into a caller's stream.
  Microsoft::WRL::ComPtr<FileStream> stream_;
  // Where the encoder writes: stream_, or the caller's stream.
  Microsoft::WRL::ComPtr<IStream> sink_;
  std::unique_ptr<ByteSink> tiff_sink_;
  std::unique_ptr<TiffWriter> tiff_;
  Microsoft::WRL::ComPtr<IWICBitmapEncoder> encoder_;
  Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame_;
  HRESULT failure_ = S_OK;
  GUID encoder_format_ = GUID_WICPixelFormatUndefined;
  LineConversion conversion_ = LineConversion::kCopy;
  // The encoder stores 16-bit samples as they lie in memory; see
  // PngKeepsSampleValues.
  bool swap_samples_ = false;
  uint32_t encoder_stride_ = 0;
  uint32_t lines_written_ = 0;
  bool committed_ = false;
  // The start of a line whose rest has not arrived yet.
  std::vector<uint8_t> partial_line_;
  // Converted lines on their way to the encoder; a bounded chunk, not a page.
  std::vector<uint8_t> converted_;
};

}  // namespace zorvik::host
