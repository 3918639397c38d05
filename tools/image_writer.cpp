// Writing a scan: choosing a pixel layout the encoder takes, converting the
// scanner's lines into it chunk by chunk, checking every write, and publishing
// the file only when it is complete.
#include "image_writer.h"

#include <algorithm>
#include <cstring>

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// Converted lines are handed to the encoder in chunks of about this size.
constexpr size_t kChunkBytes = 1 << 20;

const GUID& ContainerOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::kBmp:
      return GUID_ContainerFormatBmp;
    case ImageFormat::kJpeg:
      return GUID_ContainerFormatJpeg;
    default:
      return GUID_ContainerFormatPng;
  }
}

// One pixel layout an encoder may take for a scan, and how lines get there.
struct EncoderLayout {
  const GUID* format;
  LineConversion conversion;
  // Indexed layouts need this palette; WICBitmapPaletteTypeCustom: none.
  WICBitmapPaletteType palette;
};

// WIC layouts in order of preference: the scanner's own first, then ones an
// encoder that refuses it does take (BMP has no grey or black-and-white
// layout, only palettes; JPEG has no 1-bit one at all).
std::vector<EncoderLayout> LayoutsFor(ScanPixels pixels, ImageFormat format) {
  switch (pixels) {
    case ScanPixels::kBgr24:
      return {{&GUID_WICPixelFormat24bppBGR, LineConversion::kCopy, WICBitmapPaletteTypeCustom},
              {&GUID_WICPixelFormat24bppRGB, LineConversion::kSwapRedBlue8,
               WICBitmapPaletteTypeCustom}};
    case ScanPixels::kBgr48:
      return {{&GUID_WICPixelFormat48bppRGB, LineConversion::kSwapRedBlue16,
               WICBitmapPaletteTypeCustom}};
    case ScanPixels::kGrey8:
      return {{&GUID_WICPixelFormat8bppGray, LineConversion::kCopy, WICBitmapPaletteTypeCustom},
              {&GUID_WICPixelFormat8bppIndexed, LineConversion::kCopy,
               WICBitmapPaletteTypeFixedGray256}};
    case ScanPixels::kGrey16:
      return {{&GUID_WICPixelFormat16bppGray, LineConversion::kCopy, WICBitmapPaletteTypeCustom}};
    case ScanPixels::kBlackIsOne1:
      if (format == ImageFormat::kJpeg) {
        return {{&GUID_WICPixelFormat8bppGray, LineConversion::kBlackIsOneToGrey8,
                 WICBitmapPaletteTypeCustom}};
      }
      // The scanner's 1 is black; both layouts have 0 black (the palette
      // FixedBW lists black first), so every bit is flipped.
      return {
          {&GUID_WICPixelFormatBlackWhite, LineConversion::kInvertBits, WICBitmapPaletteTypeCustom},
          {&GUID_WICPixelFormat1bppIndexed, LineConversion::kInvertBits,
           WICBitmapPaletteTypeFixedBW}};
  }
  return {};
}

// The TIFF our own writer makes of a scan, and how lines get there: TIFF
// orders colour red first and reads 1 as black under WhiteIsZero, so only
// colour is converted.
struct TiffLayout {
  const GUID* format;
  LineConversion conversion;
  uint16_t samples_per_pixel;
  uint16_t bits_per_sample;
  TiffPhotometric photometric;
};

TiffLayout TiffLayoutFor(ScanPixels pixels) {
  switch (pixels) {
    case ScanPixels::kBgr24:
      return {&GUID_WICPixelFormat24bppRGB, LineConversion::kSwapRedBlue8, 3, 8,
              TiffPhotometric::kRgb};
    case ScanPixels::kBgr48:
      return {&GUID_WICPixelFormat48bppRGB, LineConversion::kSwapRedBlue16, 3, 16,
              TiffPhotometric::kRgb};
    case ScanPixels::kGrey8:
      return {&GUID_WICPixelFormat8bppGray, LineConversion::kCopy, 1, 8,
              TiffPhotometric::kBlackIsZero};
    case ScanPixels::kGrey16:
      return {&GUID_WICPixelFormat16bppGray, LineConversion::kCopy, 1, 16,
              TiffPhotometric::kBlackIsZero};
    case ScanPixels::kBlackIsOne1:
      break;
  }
  return {&GUID_WICPixelFormatBlackWhite, LineConversion::kCopy, 1, 1,
          TiffPhotometric::kWhiteIsZero};
}

// The TIFF writer's bytes go into the file stream, whose failure the image
// writer reads back.
class StreamSink : public ByteSink {
 public:
  explicit StreamSink(IStream* stream) : stream_(stream) {}
  bool Write(const uint8_t* bytes, size_t count) override {
    while (count > 0) {
      const ULONG piece = static_cast<ULONG>(std::min<size_t>(count, 1u << 30));
      if (FAILED(stream_->Write(bytes, piece, nullptr))) return false;
      bytes += piece;
      count -= piece;
    }
    return true;
  }

 private:
  IStream* stream_;
};

// True when a 16-bit sample of `layout` comes back from a PNG written by
// this encoder as the value it was given. PNG stores samples big-endian and
// WIC hands them over little-endian, so the encoder must swap them; Wine 8's
// does not, and its files show other readers every sample byte-swapped,
// while its decoder reads files correctly. One pixel through both tells.
HRESULT PngKeepsSampleValues(IWICImagingFactory* factory, const GUID& layout, bool* keeps) {
  *keeps = true;
  ComPtr<IStream> memory;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &memory);
  if (FAILED(hr)) return hr;

  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(memory.Get(), WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, nullptr);
  if (SUCCEEDED(hr)) hr = frame->Initialize(nullptr);
  if (SUCCEEDED(hr)) hr = frame->SetSize(1, 1);
  GUID format = layout;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  // Three samples 0x0102, 0x0304, 0x0506; a grey pixel uses the first.
  BYTE written[6] = {0x02, 0x01, 0x04, 0x03, 0x06, 0x05};
  if (SUCCEEDED(hr)) hr = frame->WritePixels(1, sizeof written, sizeof written, written);
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  if (FAILED(hr)) return hr;

  const LARGE_INTEGER start = {};
  hr = memory->Seek(start, STREAM_SEEK_SET, nullptr);
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> decoded;
  if (SUCCEEDED(hr)) {
    hr = factory->CreateDecoderFromStream(memory.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                          &decoder);
  }
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &decoded);
  BYTE read[6] = {};
  const UINT size = IsEqualGUID(layout, GUID_WICPixelFormat16bppGray) ? 2 : 6;
  if (SUCCEEDED(hr)) hr = decoded->CopyPixels(nullptr, size, size, read);
  if (FAILED(hr)) return hr;
  *keeps = std::memcmp(read, written, size) == 0;
  return S_OK;
}

}  // namespace

ImageWriter::ImageWriter(ImageFormat format, const ImageShape& shape)
    : format_(format), shape_(shape) {}

HRESULT ImageWriter::Create(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                            std::unique_ptr<ImageWriter>* writer) {
  return CreateLimited(path, format, shape, UINT64_MAX, writer);
}

HRESULT ImageWriter::CreateOnSmallDiskForTesting(const std::wstring& path, ImageFormat format,
                                                 const ImageShape& shape, uint64_t disk_bytes,
                                                 std::unique_ptr<ImageWriter>* writer) {
  return CreateLimited(path, format, shape, disk_bytes, writer);
}

HRESULT ImageWriter::CreateLimited(const std::wstring& path, ImageFormat format,
                                   const ImageShape& shape, uint64_t disk_bytes,
                                   std::unique_ptr<ImageWriter>* writer) {
  if (writer == nullptr) return E_POINTER;
  writer->reset();
  if (!FitsShape(shape)) return E_INVALIDARG;
  std::unique_ptr<ImageWriter> created(new ImageWriter(format, shape));
  const HRESULT hr = created->Open(path, disk_bytes);
  if (FAILED(hr)) return hr;  // the temporary file goes with `created`
  *writer = std::move(created);
  return S_OK;
}

HRESULT ImageWriter::CreateInStream(IStream* stream, ImageFormat format, const ImageShape& shape,
                                    std::unique_ptr<ImageWriter>* writer) {
  if (writer == nullptr) return E_POINTER;
  writer->reset();
  if (stream == nullptr) return E_POINTER;
  if (!FitsShape(shape)) return E_INVALIDARG;
  std::unique_ptr<ImageWriter> created(new ImageWriter(format, shape));
  created->sink_ = stream;
  const HRESULT hr = created->OpenEncoder();
  if (FAILED(hr)) return hr;
  *writer = std::move(created);
  return S_OK;
}

bool ImageWriter::FitsShape(const ImageShape& shape) {
  return shape.width != 0 && shape.height != 0 &&
         shape.bytes_per_line >= BytesPerLine(BitsPerPixel(shape.pixels), shape.width);
}

HRESULT ImageWriter::Open(const std::wstring& path, uint64_t disk_bytes) {
  HRESULT hr = StagedFile::Create(path, &file_);
  if (FAILED(hr)) return hr;
  stream_.Attach(new FileStream(file_->handle()));
  if (disk_bytes != UINT64_MAX) stream_->LimitSizeForTesting(disk_bytes);
  sink_ = stream_;
  return OpenEncoder();
}

HRESULT ImageWriter::OpenEncoder() {
  HRESULT hr = format_ == ImageFormat::kTiff ? OpenTiff() : OpenWic();
  if (SUCCEEDED(hr)) {
    encoder_stride_ = static_cast<uint32_t>(BytesPerLine(
        ConvertedBitsPerPixel(conversion_, BitsPerPixel(shape_.pixels)), shape_.width));
  }
  return Checked(hr);
}

HRESULT ImageWriter::OpenTiff() {
  const TiffLayout layout = TiffLayoutFor(shape_.pixels);
  encoder_format_ = *layout.format;
  conversion_ = layout.conversion;
  const TiffImage image = {shape_.width,
                           shape_.height,
                           layout.samples_per_pixel,
                           layout.bits_per_sample,
                           layout.photometric,
                           shape_.x_dpi,
                           shape_.y_dpi};
  tiff_sink_ = std::make_unique<StreamSink>(sink_.Get());
  tiff_ = std::make_unique<TiffWriter>(image, *tiff_sink_);
  if (!tiff_->fits()) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
  return tiff_->Begin() ? S_OK : E_FAIL;
}

HRESULT ImageWriter::OpenWic() {
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(ContainerOf(format_), nullptr, &encoder_);
  if (SUCCEEDED(hr)) hr = encoder_->Initialize(sink_.Get(), WICBitmapEncoderNoCache);
  ComPtr<IPropertyBag2> frame_options;
  if (SUCCEEDED(hr)) hr = encoder_->CreateNewFrame(&frame_, &frame_options);
  if (SUCCEEDED(hr)) hr = frame_->Initialize(frame_options.Get());
  if (SUCCEEDED(hr)) hr = frame_->SetSize(shape_.width, shape_.height);
  if (SUCCEEDED(hr) && shape_.x_dpi > 0 && shape_.y_dpi > 0) {
    hr = frame_->SetResolution(shape_.x_dpi, shape_.y_dpi);
  }
  if (SUCCEEDED(hr)) hr = ChooseEncoderLayout(factory.Get());
  if (SUCCEEDED(hr)) hr = CheckSampleOrder(factory.Get());
  return hr;
}

HRESULT ImageWriter::CheckSampleOrder(IWICImagingFactory* factory) {
  const bool deep = IsEqualGUID(encoder_format_, GUID_WICPixelFormat16bppGray) ||
                    IsEqualGUID(encoder_format_, GUID_WICPixelFormat48bppRGB);
  if (format_ != ImageFormat::kPng || !deep) return S_OK;
  bool keeps = true;
  const HRESULT hr = PngKeepsSampleValues(factory, encoder_format_, &keeps);
  if (FAILED(hr)) return hr;
  // Swapped once here, the encoder's missing swap is made up for.
  swap_samples_ = !keeps;
  return S_OK;
}

HRESULT ImageWriter::ChooseEncoderLayout(IWICImagingFactory* factory) {
  for (const EncoderLayout& layout : LayoutsFor(shape_.pixels, format_)) {
    // The encoder answers with the layout it will really take, which may be
    // another one than asked for.
    GUID offered = *layout.format;
    const HRESULT hr = frame_->SetPixelFormat(&offered);
    if (FAILED(hr)) return hr;
    if (!IsEqualGUID(offered, *layout.format)) continue;

    if (layout.palette != WICBitmapPaletteTypeCustom) {
      ComPtr<IWICPalette> palette;
      HRESULT palette_hr = factory->CreatePalette(&palette);
      if (SUCCEEDED(palette_hr)) palette_hr = palette->InitializePredefined(layout.palette, FALSE);
      if (SUCCEEDED(palette_hr)) palette_hr = frame_->SetPalette(palette.Get());
      if (FAILED(palette_hr)) return palette_hr;
    }
    encoder_format_ = offered;
    conversion_ = layout.conversion;
    return S_OK;
  }
  return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
}

HRESULT ImageWriter::Checked(HRESULT hr) {
  if (stream_ && FAILED(stream_->first_failure())) hr = stream_->first_failure();
  if (FAILED(hr) && SUCCEEDED(failure_)) failure_ = hr;
  return hr;
}

HRESULT ImageWriter::EncodeLines(const uint8_t* lines, uint32_t stride, uint32_t count) {
  if (tiff_) return tiff_->WriteRows(lines, stride, count) ? S_OK : E_FAIL;
  return frame_->WritePixels(count, stride, stride * count, const_cast<BYTE*>(lines));
}

HRESULT ImageWriter::WriteLines(const uint8_t* lines, uint32_t count) {
  if (conversion_ == LineConversion::kCopy && !swap_samples_) {
    // The encoder reads only the pixels of each line it is given, however
    // far apart the lines lie.
    const HRESULT hr = EncodeLines(lines, shape_.bytes_per_line, count);
    if (SUCCEEDED(hr)) lines_written_ += count;
    return hr;
  }
  const uint32_t source_bits = BitsPerPixel(shape_.pixels);
  const uint32_t lines_per_chunk =
      static_cast<uint32_t>(std::max<size_t>(1, kChunkBytes / encoder_stride_));
  while (count > 0) {
    const uint32_t chunk = std::min(count, lines_per_chunk);
    converted_.resize(static_cast<size_t>(chunk) * encoder_stride_);
    ConvertLines(conversion_, source_bits, lines, shape_.bytes_per_line, converted_.data(),
                 encoder_stride_, shape_.width, chunk);
    if (swap_samples_) SwapSampleBytes(converted_.data(), converted_.size());
    const HRESULT hr = EncodeLines(converted_.data(), encoder_stride_, chunk);
    if (FAILED(hr)) return hr;
    lines_written_ += chunk;
    lines += static_cast<size_t>(chunk) * shape_.bytes_per_line;
    count -= chunk;
  }
  return S_OK;
}

HRESULT ImageWriter::Append(const uint8_t* bytes, size_t count) {
  if (FAILED(failure_)) return failure_;
  if (count == 0) return S_OK;
  if (bytes == nullptr) return E_POINTER;
  const size_t line_bytes = shape_.bytes_per_line;
  const uint64_t image_bytes = static_cast<uint64_t>(line_bytes) * shape_.height;
  const uint64_t taken = static_cast<uint64_t>(lines_written_) * line_bytes + partial_line_.size();
  if (count > image_bytes - taken) return E_BOUNDS;

  if (!partial_line_.empty()) {
    const size_t needed = std::min(line_bytes - partial_line_.size(), count);
    partial_line_.insert(partial_line_.end(), bytes, bytes + needed);
    bytes += needed;
    count -= needed;
    if (partial_line_.size() < line_bytes) return S_OK;
    const HRESULT hr = Checked(WriteLines(partial_line_.data(), 1));
    if (FAILED(hr)) return hr;
    partial_line_.clear();
  }
  const size_t whole_lines = count / line_bytes;
  if (whole_lines > 0) {
    const HRESULT hr = Checked(WriteLines(bytes, static_cast<uint32_t>(whole_lines)));
    if (FAILED(hr)) return hr;
    bytes += whole_lines * line_bytes;
    count -= whole_lines * line_bytes;
  }
  partial_line_.assign(bytes, bytes + count);
  return S_OK;
}

// Wine's BMP encoder leaves the palette out of the file size it states in
// the file header (bfSize, at offset 2); every BMP gets its true length.
HRESULT ImageWriter::CorrectBmpFileSize() {
  STATSTG stat = {};
  HRESULT hr = sink_->Stat(&stat, STATFLAG_NONAME);
  if (FAILED(hr)) return hr;
  if (stat.cbSize.QuadPart > UINT32_MAX) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
  const uint32_t size = static_cast<uint32_t>(stat.cbSize.QuadPart);
  const uint8_t little_endian[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                    static_cast<uint8_t>(size >> 16),
                                    static_cast<uint8_t>(size >> 24)};
  LARGE_INTEGER size_field = {};
  size_field.QuadPart = 2;
  hr = sink_->Seek(size_field, STREAM_SEEK_SET, nullptr);
  if (SUCCEEDED(hr)) hr = sink_->Write(little_endian, sizeof little_endian, nullptr);
  return hr;
}

HRESULT ImageWriter::FinishEncoding() {
  if (tiff_) return tiff_->Finish() ? S_OK : E_FAIL;
  HRESULT hr = frame_->Commit();
  if (SUCCEEDED(hr)) hr = encoder_->Commit();
  if (SUCCEEDED(hr) && format_ == ImageFormat::kBmp) hr = CorrectBmpFileSize();
  return hr;
}

HRESULT ImageWriter::Commit() {
  if (committed_) return S_OK;
  if (FAILED(failure_)) return failure_;
  if (lines_written_ != shape_.height) return E_UNEXPECTED;
  HRESULT hr = FinishEncoding();
  if (SUCCEEDED(hr)) hr = sink_->Commit(STGC_DEFAULT);
  hr = Checked(hr);
  frame_.Reset();
  encoder_.Reset();
  tiff_.reset();
  // A caller's stream is the caller's to publish.
  if (SUCCEEDED(hr) && file_) hr = Checked(file_->Publish());
  // Published or not, the writer is done: a temporary file goes now.
  sink_.Reset();
  stream_.Reset();
  file_.reset();
  if (FAILED(hr)) return hr;
  committed_ = true;
  return S_OK;
}

}  // namespace zorvik::host
