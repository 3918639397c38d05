// The WIC side of writing a scan: choosing a pixel layout the encoder takes,
// converting the scanner's lines into it chunk by chunk, and never leaving a
// half-written file behind.
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
    case ImageFormat::kTiff:
      return GUID_ContainerFormatTiff;
    case ImageFormat::kBmp:
      return GUID_ContainerFormatBmp;
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

// Layouts in order of preference: the scanner's own first, then ones an
// encoder that refuses it does take (BMP has no grey or black-and-white
// layout, only palettes; Wine's TIFF encoder takes no 16-bit grey).
std::vector<EncoderLayout> LayoutsFor(ScanPixels pixels) {
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
      return {{&GUID_WICPixelFormat16bppGray, LineConversion::kCopy, WICBitmapPaletteTypeCustom},
              {&GUID_WICPixelFormat48bppRGB, LineConversion::kGrey16ToRgb48,
               WICBitmapPaletteTypeCustom}};
    case ScanPixels::kBlackIsOne1:
      // The scanner's 1 is black; both layouts have 0 black (the palette
      // FixedBW lists black first), so every bit is flipped.
      return {
          {&GUID_WICPixelFormatBlackWhite, LineConversion::kInvertBits, WICBitmapPaletteTypeCustom},
          {&GUID_WICPixelFormat1bppIndexed, LineConversion::kInvertBits,
           WICBitmapPaletteTypeFixedBW}};
  }
  return {};
}

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

ImageWriter::ImageWriter(const std::wstring& path, const ImageShape& shape)
    : path_(path), shape_(shape) {}

ImageWriter::~ImageWriter() {
  if (committed_ || !stream_) return;
  // Release the encoder's hold on the stream and the stream's on the file
  // before the file can go.
  frame_.Reset();
  encoder_.Reset();
  stream_.Reset();
  DeleteFileW(path_.c_str());
}

HRESULT ImageWriter::Create(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                            std::unique_ptr<ImageWriter>* writer) {
  if (writer == nullptr) return E_POINTER;
  writer->reset();
  if (shape.width == 0 || shape.height == 0 ||
      shape.bytes_per_line < BytesPerLine(BitsPerPixel(shape.pixels), shape.width)) {
    return E_INVALIDARG;
  }
  std::unique_ptr<ImageWriter> created(new ImageWriter(path, shape));
  const HRESULT hr = created->Open(format);
  if (FAILED(hr)) return hr;  // the destructor deletes whatever was created
  *writer = std::move(created);
  return S_OK;
}

HRESULT ImageWriter::Open(ImageFormat format) {
  ComPtr<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateStream(&stream_);
  if (FAILED(hr)) return hr;
  hr = stream_->InitializeFromFilename(path_.c_str(), GENERIC_WRITE);
  if (FAILED(hr)) {
    stream_.Reset();  // no file was made, so none is to be deleted
    return hr;
  }
  hr = factory->CreateEncoder(ContainerOf(format), nullptr, &encoder_);
  if (SUCCEEDED(hr)) hr = encoder_->Initialize(stream_.Get(), WICBitmapEncoderNoCache);
  ComPtr<IPropertyBag2> frame_options;
  if (SUCCEEDED(hr)) hr = encoder_->CreateNewFrame(&frame_, &frame_options);
  if (SUCCEEDED(hr)) hr = frame_->Initialize(frame_options.Get());
  if (SUCCEEDED(hr)) hr = frame_->SetSize(shape_.width, shape_.height);
  if (SUCCEEDED(hr) && shape_.x_dpi > 0 && shape_.y_dpi > 0) {
    hr = frame_->SetResolution(shape_.x_dpi, shape_.y_dpi);
  }
  if (SUCCEEDED(hr)) hr = ChooseEncoderLayout(factory.Get());
  if (SUCCEEDED(hr)) hr = CheckSampleOrder(factory.Get(), format);
  return hr;
}

HRESULT ImageWriter::CheckSampleOrder(IWICImagingFactory* factory, ImageFormat format) {
  const bool deep = IsEqualGUID(encoder_format_, GUID_WICPixelFormat16bppGray) ||
                    IsEqualGUID(encoder_format_, GUID_WICPixelFormat48bppRGB);
  if (format != ImageFormat::kPng || !deep) return S_OK;
  bool keeps = true;
  const HRESULT hr = PngKeepsSampleValues(factory, encoder_format_, &keeps);
  if (FAILED(hr)) return hr;
  // Swapped once here, the encoder's missing swap is made up for.
  swap_samples_ = !keeps;
  return S_OK;
}

HRESULT ImageWriter::ChooseEncoderLayout(IWICImagingFactory* factory) {
  for (const EncoderLayout& layout : LayoutsFor(shape_.pixels)) {
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
    encoder_stride_ = static_cast<uint32_t>(BytesPerLine(
        ConvertedBitsPerPixel(conversion_, BitsPerPixel(shape_.pixels)), shape_.width));
    return S_OK;
  }
  return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
}

HRESULT ImageWriter::WriteLines(const uint8_t* lines, uint32_t count) {
  const uint32_t source_bits = BitsPerPixel(shape_.pixels);
  if (conversion_ == LineConversion::kCopy && !swap_samples_ &&
      encoder_stride_ == shape_.bytes_per_line) {
    // The encoder only reads the pixels it is given.
    const HRESULT hr = frame_->WritePixels(count, encoder_stride_, encoder_stride_ * count,
                                           const_cast<BYTE*>(lines));
    if (SUCCEEDED(hr)) lines_written_ += count;
    return hr;
  }
  const uint32_t lines_per_chunk =
      static_cast<uint32_t>(std::max<size_t>(1, kChunkBytes / encoder_stride_));
  while (count > 0) {
    const uint32_t chunk = std::min(count, lines_per_chunk);
    converted_.resize(static_cast<size_t>(chunk) * encoder_stride_);
    ConvertLines(conversion_, source_bits, lines, shape_.bytes_per_line, converted_.data(),
                 encoder_stride_, shape_.width, chunk);
    if (swap_samples_) SwapSampleBytes(converted_.data(), converted_.size());
    const HRESULT hr = frame_->WritePixels(chunk, encoder_stride_,
                                           static_cast<UINT>(converted_.size()), converted_.data());
    if (FAILED(hr)) return hr;
    lines_written_ += chunk;
    lines += static_cast<size_t>(chunk) * shape_.bytes_per_line;
    count -= chunk;
  }
  return S_OK;
}

HRESULT ImageWriter::Append(const uint8_t* bytes, size_t count) {
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
    const HRESULT hr = WriteLines(partial_line_.data(), 1);
    if (FAILED(hr)) return hr;
    partial_line_.clear();
  }
  const size_t whole_lines = count / line_bytes;
  if (whole_lines > 0) {
    const HRESULT hr = WriteLines(bytes, static_cast<uint32_t>(whole_lines));
    if (FAILED(hr)) return hr;
    bytes += whole_lines * line_bytes;
    count -= whole_lines * line_bytes;
  }
  partial_line_.assign(bytes, bytes + count);
  return S_OK;
}

HRESULT ImageWriter::Commit() {
  if (committed_) return S_OK;
  if (lines_written_ != shape_.height) return E_UNEXPECTED;
  HRESULT hr = frame_->Commit();
  if (SUCCEEDED(hr)) hr = encoder_->Commit();
  if (SUCCEEDED(hr)) {
    // A file stream that cannot flush on request still flushes on release.
    hr = stream_->Commit(STGC_DEFAULT);
    if (hr == E_NOTIMPL) hr = S_OK;
  }
  if (FAILED(hr)) return hr;
  committed_ = true;
  frame_.Reset();
  encoder_.Reset();
  stream_.Reset();
  return S_OK;
}

}  // namespace zorvik::host
