// Writes a scanned page as a one-page PDF into a stream, line by line as the
// scan delivers them, like ImageWriter does for the image formats: the
// page's head first, then the image as it is encoded, then the tail with
// the cross-reference table (see pdf_page.h). 8-bit colour and grey go in as
// a JPEG made by ImageWriter (PDF reads JPEG itself, and there is no other
// compression at hand); black and white goes in as its own 1-bit samples,
// which are exact and as small as a JPEG of the page. 16-bit scans are not
// taken: a PDF holds them only as raw samples, hundreds of megabytes a page.
// The caller's thread must have COM initialised.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>

#include "image_writer.h"
#include "pdf_page.h"
#include "scan_sink.h"

namespace zorvik::host {

class PdfWriter : public ScanSink {
 public:
  // Prepares the page for an image of `shape`, to be written into `stream`
  // from its current position; the caller reads the stream once Commit has
  // succeeded. E_INVALIDARG for an empty image or a line too short for its
  // pixels, WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT for 16-bit scans, other
  // failures as the stream or WIC reports them.
  static HRESULT CreateInStream(IStream* stream, const ImageShape& shape,
                                std::unique_ptr<PdfWriter>* writer);

  // As ImageWriter::Append: E_BOUNDS past the image's last line, and a
  // failure is returned again by every later call.
  HRESULT Append(const uint8_t* bytes, size_t count) override;
  // Finishes the image and writes the tail. E_UNEXPECTED while lines are
  // still missing.
  HRESULT Commit() override;

 private:
  PdfWriter(IStream* stream, const ImageShape& shape);
  HRESULT Open();
  HRESULT AppendSamples(const uint8_t* bytes, size_t count);
  HRESULT Write(const void* bytes, size_t count);
  // The stream's position; its end once the image is written.
  HRESULT Position(DWORD origin, uint64_t* position);

  Microsoft::WRL::ComPtr<IStream> stream_;
  const ImageShape shape_;
  PdfPageImage page_;
  // Where the image's bytes start in the stream.
  uint64_t image_start_ = 0;
  // The JPEG of an 8-bit scan; null for black and white.
  std::unique_ptr<ImageWriter> jpeg_;
  // The scan's bytes taken so far.
  uint64_t received_ = 0;
  HRESULT failure_ = S_OK;
  bool committed_ = false;
};

}  // namespace zorvik::host
