// A scanned page as a one-page PDF: the head, the image (JPEG or 1-bit
// samples) and the tail, written into one stream.
#include "pdf_writer.h"

#include <algorithm>
#include <string>

namespace zorvik::host {

HRESULT PdfWriter::CreateInStream(IStream* stream, const ImageShape& shape,
                                  std::unique_ptr<PdfWriter>* writer) {
  if (writer == nullptr) return E_POINTER;
  writer->reset();
  if (stream == nullptr) return E_POINTER;
  if (shape.width == 0 || shape.height == 0 ||
      shape.bytes_per_line < BytesPerLine(BitsPerPixel(shape.pixels), shape.width)) {
    return E_INVALIDARG;
  }
  std::unique_ptr<PdfWriter> created(new PdfWriter(stream, shape));
  const HRESULT hr = created->Open();
  if (FAILED(hr)) return hr;
  *writer = std::move(created);
  return S_OK;
}

PdfWriter::PdfWriter(IStream* stream, const ImageShape& shape) : stream_(stream), shape_(shape) {
  page_.width = shape.width;
  page_.height = shape.height;
  page_.x_dpi = shape.x_dpi;
  page_.y_dpi = shape.y_dpi;
  page_.components = shape.pixels == ScanPixels::kBgr24 ? 3 : 1;
  if (shape.pixels == ScanPixels::kBlackIsOne1) {
    page_.encoding = PdfImageEncoding::kSamples;
    page_.bits_per_component = 1;
    page_.one_is_black = true;
  }
}

HRESULT PdfWriter::Open() {
  if (shape_.pixels == ScanPixels::kBgr48 || shape_.pixels == ScanPixels::kGrey16) {
    return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  }
  const std::string head = PdfPageHead(page_);
  HRESULT hr = Write(head.data(), head.size());
  if (SUCCEEDED(hr)) hr = Position(STREAM_SEEK_CUR, &image_start_);
  if (FAILED(hr) || page_.encoding == PdfImageEncoding::kSamples) return hr;
  hr = ImageWriter::CreateInStream(stream_.Get(), ImageFormat::kJpeg, shape_, &jpeg_);
  if (FAILED(hr)) return hr;
  // The head names the JPEG's colour space: the encoder must have kept it.
  const GUID& layout = jpeg_->encoder_pixel_format();
  const bool grey = IsEqualGUID(layout, GUID_WICPixelFormat8bppGray);
  if (grey != (page_.components == 1)) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  return S_OK;
}

HRESULT PdfWriter::Append(const uint8_t* bytes, size_t count) {
  if (FAILED(failure_)) return failure_;
  if (received_ + count > static_cast<uint64_t>(shape_.bytes_per_line) * shape_.height) {
    return E_BOUNDS;
  }
  const HRESULT hr = jpeg_ ? jpeg_->Append(bytes, count) : AppendSamples(bytes, count);
  if (FAILED(hr)) {
    failure_ = hr;
    return hr;
  }
  received_ += count;
  return S_OK;
}

// Each scan line keeps the bytes of its pixels; the scanner's padding
// beyond them is left out, as PDF rows end at the byte of their last pixel.
HRESULT PdfWriter::AppendSamples(const uint8_t* bytes, size_t count) {
  const uint64_t stride = shape_.bytes_per_line;
  const uint64_t row = PdfSampleRowBytes(page_);
  for (uint64_t at = received_; count > 0;) {
    const uint64_t in_line = at % stride;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(count, stride - in_line));
    if (in_line < row) {
      const HRESULT hr = Write(bytes, static_cast<size_t>(std::min<uint64_t>(take, row - in_line)));
      if (FAILED(hr)) return hr;
    }
    at += take;
    bytes += take;
    count -= take;
  }
  return S_OK;
}

HRESULT PdfWriter::Commit() {
  if (FAILED(failure_)) return failure_;
  if (committed_) return E_UNEXPECTED;
  if (received_ != static_cast<uint64_t>(shape_.bytes_per_line) * shape_.height) {
    return E_UNEXPECTED;
  }
  HRESULT hr = jpeg_ ? jpeg_->Commit() : S_OK;
  uint64_t end = 0;
  if (SUCCEEDED(hr)) hr = Position(STREAM_SEEK_END, &end);
  if (SUCCEEDED(hr)) {
    const std::string tail = PdfPageTail(page_, end - image_start_);
    hr = Write(tail.data(), tail.size());
  }
  if (FAILED(hr)) {
    failure_ = hr;
    return hr;
  }
  committed_ = true;
  return S_OK;
}

HRESULT PdfWriter::Write(const void* bytes, size_t count) {
  ULONG written = 0;
  const HRESULT hr = stream_->Write(bytes, static_cast<ULONG>(count), &written);
  if (FAILED(hr)) return hr;
  return written == count ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT PdfWriter::Position(DWORD origin, uint64_t* position) {
  const LARGE_INTEGER none = {};
  ULARGE_INTEGER at = {};
  const HRESULT hr = stream_->Seek(none, origin, &at);
  *position = at.QuadPart;
  return hr;
}

}  // namespace zorvik::host
