// Writes a scanned page into a PNG, TIFF or BMP file through the platform's
// imaging component (WIC), line by line as the scan delivers them: each
// Append hands the encoder the complete lines it has, so the page is never
// held in memory here. The caller's thread must have COM initialised.
#pragma once

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan_options.h"
#include "scan_pixels.h"

// Not every SDK's headers name this one.
#ifndef E_BOUNDS
#define E_BOUNDS _HRESULT_TYPEDEF_(0x8000000BL)
#endif

namespace zorvik::host {

// The image a scan delivers: its layout, size and resolution. bytes_per_line
// is the scanner's line length (BUFFER_INFO::dwBytesPerLine); it may exceed
// the pixels' own bytes but not fall short of them.
struct ImageShape {
  ScanPixels pixels = ScanPixels::kBgr24;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytes_per_line = 0;
  double x_dpi = 0;
  double y_dpi = 0;
};

class ImageWriter {
 public:
  // Creates (or replaces) the file at `path` and prepares an encoder of
  // `format` for an image of `shape`. E_INVALIDARG for an empty image or a
  // line length too short for its pixels; WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT
  // when the encoder takes none of the layouts this scan converts to; other
  // failures as the file system or WIC reports them. On failure no file is
  // left behind.
  static HRESULT Create(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                        std::unique_ptr<ImageWriter>* writer);

  // An image that was not committed is not a picture anyone can open: its
  // file is closed and deleted.
  ~ImageWriter();
  ImageWriter(const ImageWriter&) = delete;
  ImageWriter& operator=(const ImageWriter&) = delete;

  // Takes the next `count` bytes of the scan, split anywhere (even inside a
  // pixel), and encodes every line they complete. E_BOUNDS, with nothing of
  // these bytes taken, when they would run past the image's last line.
  HRESULT Append(const uint8_t* bytes, size_t count);

  // Finishes the file. E_UNEXPECTED, with nothing written, while lines are
  // still missing; after a failed Commit the file is deleted on destruction.
  HRESULT Commit();

  uint32_t lines_written() const { return lines_written_; }
  // The layout the encoder was given, e.g. GUID_WICPixelFormat24bppBGR.
  const GUID& encoder_pixel_format() const { return encoder_format_; }

 private:
  ImageWriter(const std::wstring& path, const ImageShape& shape);
  HRESULT Open(ImageFormat format);
  HRESULT ChooseEncoderLayout(IWICImagingFactory* factory);
  HRESULT CheckSampleOrder(IWICImagingFactory* factory, ImageFormat format);
  HRESULT WriteLines(const uint8_t* lines, uint32_t count);

  std::wstring path_;
  ImageShape shape_;
  Microsoft::WRL::ComPtr<IWICStream> stream_;
  Microsoft::WRL::ComPtr<IWICBitmapEncoder> encoder_;
  Microsoft::WRL::ComPtr<IWICBitmapFrameEncode> frame_;
  GUID encoder_format_ = GUID_WICPixelFormatUndefined;
  LineConversion conversion_ = LineConversion::kCopy;
  // The encoder stores 16-bit samples as they lie in memory; see
  // EncoderSwapsSamples.
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
