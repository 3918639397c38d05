// The image writer read back by the platform's own imaging component (WIC):
// small images in every scan layout and format, fed in pieces that split
// pixels and lines, decoded pixel for pixel (JPEG within a tolerance), and
// what it refuses to write.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image_test_files.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;
using ImageWriterTest = ImageFileTest;

uint16_t Sample16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

struct DecodedImage {
  GUID container = GUID_NULL;
  UINT width = 0;
  UINT height = 0;
  double x_dpi = 0;
  double y_dpi = 0;
  GUID format = GUID_WICPixelFormatUndefined;
  std::vector<uint8_t> pixels;  // lines `stride` bytes apart
  UINT stride = 0;
};

// Reads the file back; with `as` other than Undefined the pixels are
// converted to that layout by WIC, as a viewer would see them.
DecodedImage Decode(IWICImagingFactory* factory, const std::wstring& path, const GUID& as) {
  DecodedImage image;
  ComPtr<IWICBitmapDecoder> decoder;
  EXPECT_HRESULT_SUCCEEDED(factory->CreateDecoderFromFilename(
      path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, &decoder));
  if (!decoder) return image;
  decoder->GetContainerFormat(&image.container);
  ComPtr<IWICBitmapFrameDecode> frame;
  EXPECT_HRESULT_SUCCEEDED(decoder->GetFrame(0, &frame));
  if (!frame) return image;
  frame->GetSize(&image.width, &image.height);
  frame->GetResolution(&image.x_dpi, &image.y_dpi);
  frame->GetPixelFormat(&image.format);
  ComPtr<IWICBitmapSource> source = frame;
  UINT bits = 0;
  if (!IsEqualGUID(as, GUID_WICPixelFormatUndefined)) {
    ComPtr<IWICFormatConverter> converter;
    EXPECT_HRESULT_SUCCEEDED(factory->CreateFormatConverter(&converter));
    EXPECT_HRESULT_SUCCEEDED(converter->Initialize(frame.Get(), as, WICBitmapDitherTypeNone,
                                                   nullptr, 0, WICBitmapPaletteTypeCustom));
    source = converter;
    image.format = as;
  }
  ComPtr<IWICComponentInfo> info;
  ComPtr<IWICPixelFormatInfo> format_info;
  EXPECT_HRESULT_SUCCEEDED(factory->CreateComponentInfo(image.format, &info));
  if (info) info.As(&format_info);
  if (format_info) format_info->GetBitsPerPixel(&bits);
  image.stride = (image.width * bits + 7) / 8;
  image.pixels.resize(static_cast<size_t>(image.stride) * image.height);
  EXPECT_HRESULT_SUCCEEDED(source->CopyPixels(
      nullptr, image.stride, static_cast<UINT>(image.pixels.size()), image.pixels.data()));
  return image;
}

// Checks every pixel of `image` against the scan it was written from, in the
// colours a viewer shows: 8-bit scans compared as 32-bit BGRA after WIC's
// conversion, 16-bit scans in the 16-bit layout the file holds; each sample
// within `tolerance`.
void ExpectSamePicture(IWICImagingFactory* factory, const std::wstring& path,
                       const ImageShape& shape, const std::vector<uint8_t>& scan,
                       uint32_t tolerance = 0) {
  const bool deep = shape.pixels == ScanPixels::kBgr48 || shape.pixels == ScanPixels::kGrey16;
  const DecodedImage image =
      Decode(factory, path, deep ? GUID_WICPixelFormatUndefined : GUID_WICPixelFormat32bppBGRA);
  ASSERT_EQ(shape.width, image.width);
  ASSERT_EQ(shape.height, image.height);
  EXPECT_NEAR(shape.x_dpi, image.x_dpi, 0.5);
  EXPECT_NEAR(shape.y_dpi, image.y_dpi, 0.5);
  ASSERT_FALSE(image.pixels.empty());

  int mismatches = 0;
  for (uint32_t y = 0; y < shape.height && mismatches < 5; ++y) {
    const uint8_t* line = scan.data() + y * shape.bytes_per_line;
    const uint8_t* seen = image.pixels.data() + y * image.stride;
    for (uint32_t x = 0; x < shape.width && mismatches < 5; ++x) {
      // Expected and seen, channel by channel, as blue-green-red.
      uint32_t want[3] = {};
      uint32_t got[3] = {};
      switch (shape.pixels) {
        case ScanPixels::kBgr24:
          for (int c = 0; c < 3; ++c) want[c] = line[x * 3 + c];
          break;
        case ScanPixels::kGrey8:
          want[0] = want[1] = want[2] = line[x];
          break;
        case ScanPixels::kBlackIsOne1:
          want[0] = want[1] = want[2] = (line[x / 8] >> (7 - x % 8) & 1) ? 0 : 255;
          break;
        case ScanPixels::kBgr48:
          for (int c = 0; c < 3; ++c) want[c] = Sample16(line + x * 6 + c * 2);
          break;
        case ScanPixels::kGrey16:
          want[0] = want[1] = want[2] = Sample16(line + x * 2);
          break;
      }
      if (!deep) {
        for (int c = 0; c < 3; ++c) got[c] = seen[x * 4 + c];
      } else if (IsEqualGUID(image.format, GUID_WICPixelFormat16bppGray)) {
        got[0] = got[1] = got[2] = Sample16(seen + x * 2);
      } else if (IsEqualGUID(image.format, GUID_WICPixelFormat48bppRGB)) {
        for (int c = 0; c < 3; ++c) got[c] = Sample16(seen + x * 6 + (2 - c) * 2);
      } else {
        ADD_FAILURE() << "unexpected 16-bit layout in the file";
        return;
      }
      bool close = true;
      for (int c = 0; c < 3; ++c)
        close = close && std::abs(int(want[c]) - int(got[c])) <= int(tolerance);
      if (!close) {
        ++mismatches;
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): want " << want[0] << "/" << want[1]
                      << "/" << want[2] << " (b/g/r), got " << got[0] << "/" << got[1] << "/"
                      << got[2];
      }
    }
  }
}

struct FormatCase {
  const char* label;
  ImageFormat format;
  ScanPixels pixels;
  // The layout the file holds, as WIC names it.
  const GUID* encoder_format;
};

// The container of each ImageFormat, in the enum's order.
const GUID* const kContainers[] = {&GUID_ContainerFormatPng, &GUID_ContainerFormatTiff,
                                   &GUID_ContainerFormatBmp, &GUID_ContainerFormatJpeg};

TEST_F(ImageWriterTest, EveryScanLayoutReadsBackPixelForPixelInEveryFormat) {
  const FormatCase cases[] = {
      {"png colour 8", ImageFormat::kPng, ScanPixels::kBgr24, &GUID_WICPixelFormat24bppBGR},
      {"png colour 16", ImageFormat::kPng, ScanPixels::kBgr48, &GUID_WICPixelFormat48bppRGB},
      {"png grey 8", ImageFormat::kPng, ScanPixels::kGrey8, &GUID_WICPixelFormat8bppGray},
      {"png grey 16", ImageFormat::kPng, ScanPixels::kGrey16, &GUID_WICPixelFormat16bppGray},
      {"png lineart", ImageFormat::kPng, ScanPixels::kBlackIsOne1, &GUID_WICPixelFormatBlackWhite},
      {"tiff colour 8", ImageFormat::kTiff, ScanPixels::kBgr24, &GUID_WICPixelFormat24bppRGB},
      {"tiff colour 16", ImageFormat::kTiff, ScanPixels::kBgr48, &GUID_WICPixelFormat48bppRGB},
      {"tiff grey 8", ImageFormat::kTiff, ScanPixels::kGrey8, &GUID_WICPixelFormat8bppGray},
      // One 16-bit grey sample per pixel (BlackIsZero), not three equal ones.
      {"tiff grey 16", ImageFormat::kTiff, ScanPixels::kGrey16, &GUID_WICPixelFormat16bppGray},
      {"tiff lineart", ImageFormat::kTiff, ScanPixels::kBlackIsOne1,
       &GUID_WICPixelFormatBlackWhite},
      {"bmp colour 8", ImageFormat::kBmp, ScanPixels::kBgr24, &GUID_WICPixelFormat24bppBGR},
      {"bmp grey 8", ImageFormat::kBmp, ScanPixels::kGrey8, &GUID_WICPixelFormat8bppIndexed},
      {"bmp lineart", ImageFormat::kBmp, ScanPixels::kBlackIsOne1, &GUID_WICPixelFormat1bppIndexed},
  };
  for (const FormatCase& test : cases) {
    SCOPED_TRACE(test.label);
    const ImageShape shape = ShapeOf(test.pixels);
    const std::vector<uint8_t> scan = ScanBytes(shape);
    {
      std::unique_ptr<ImageWriter> writer;
      ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, test.format, shape, &writer));
      EXPECT_TRUE(IsEqualGUID(*test.encoder_format, writer->encoder_pixel_format()));
      for (size_t at = 0; at < scan.size(); at += 7) {
        ASSERT_HRESULT_SUCCEEDED(
            writer->Append(scan.data() + at, std::min<size_t>(7, scan.size() - at)));
      }
      EXPECT_EQ(shape.height, writer->lines_written());
      ASSERT_HRESULT_SUCCEEDED(writer->Commit());
    }
    EXPECT_EQ(0, Temporaries(path_));
    ExpectSamePicture(factory_.Get(), path_, shape, scan);
    const DecodedImage file = Decode(factory_.Get(), path_, GUID_WICPixelFormatUndefined);
    EXPECT_TRUE(IsEqualGUID(*kContainers[static_cast<int>(test.format)], file.container));
    if (test.pixels == ScanPixels::kBgr48 || test.pixels == ScanPixels::kGrey16) {
      // 16-bit samples are read back as they are in the file.
      EXPECT_TRUE(IsEqualGUID(*test.encoder_format, file.format));
    }
    if (test.format == ImageFormat::kBmp) {
      // The file header's bfSize, at offset 2, states the file's length.
      const std::string bytes = Contents(path_);
      ASSERT_GE(bytes.size(), 6u);
      uint32_t stated = 0;
      std::memcpy(&stated, bytes.data() + 2, 4);
      EXPECT_EQ(bytes.size(), stated);
    }
    DeleteFileW(path_.c_str());
  }
}

// JPEG holds 8-bit colour and grey; black and white becomes grey 0 and 255.
// On smooth pictures (a gradient, squares on the 8-pixel grid of JPEG's
// blocks) every sample comes back within 6 of the scan (Wine's encoder
// stays within 2).
TEST_F(ImageWriterTest, JpegKeepsEightBitPicturesWithinItsLoss) {
  const struct {
    const char* label;
    ScanPixels pixels;
    const GUID* encoder_format;
  } cases[] = {
      {"colour 8", ScanPixels::kBgr24, &GUID_WICPixelFormat24bppBGR},
      {"grey 8", ScanPixels::kGrey8, &GUID_WICPixelFormat8bppGray},
      {"lineart", ScanPixels::kBlackIsOne1, &GUID_WICPixelFormat8bppGray},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.label);
    const ImageShape shape = ShapeOf(test.pixels, 29, 16);
    std::vector<uint8_t> scan(static_cast<size_t>(shape.bytes_per_line) * shape.height);
    const uint32_t samples = BitsPerPixel(test.pixels) / 8;
    for (uint32_t y = 0; y < shape.height; ++y) {
      uint8_t* line = scan.data() + y * shape.bytes_per_line;
      for (uint32_t x = 0; x < shape.width; ++x) {
        if (samples == 0) {
          if ((x / 8 + y / 8) % 2) line[x / 8] |= static_cast<uint8_t>(0x80 >> x % 8);
          continue;
        }
        for (uint32_t c = 0; c < samples; ++c)
          line[x * samples + c] = uint8_t(x * 4 + y * 3 + c * 40);
      }
    }
    std::unique_ptr<ImageWriter> writer;
    ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, ImageFormat::kJpeg, shape, &writer));
    EXPECT_TRUE(IsEqualGUID(*test.encoder_format, writer->encoder_pixel_format()));
    ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), scan.size()));
    ASSERT_HRESULT_SUCCEEDED(writer->Commit());
    writer.reset();
    EXPECT_TRUE(IsEqualGUID(GUID_ContainerFormatJpeg,
                            Decode(factory_.Get(), path_, GUID_WICPixelFormatUndefined).container));
    ExpectSamePicture(factory_.Get(), path_, shape, scan, 6);
    DeleteFileW(path_.c_str());
  }
}

TEST_F(ImageWriterTest, WholeLinesAndBigPiecesGiveTheSamePicture) {
  ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  shape.height = 40;
  const std::vector<uint8_t> scan = ScanBytes(shape);
  std::unique_ptr<ImageWriter> writer;
  ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  const size_t pieces[] = {shape.bytes_per_line, 3 * shape.bytes_per_line + 1, 0,
                           scan.size() - 4 * shape.bytes_per_line - 1};
  size_t at = 0;
  for (size_t piece : pieces) {
    ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data() + at, piece));
    at += piece;
  }
  ASSERT_EQ(scan.size(), at);
  ASSERT_HRESULT_SUCCEEDED(writer->Commit());
  writer.reset();
  ExpectSamePicture(factory_.Get(), path_, shape, scan);
}

TEST_F(ImageWriterTest, BytesPastTheLastLineAreRefusedWholeAndTheImageStillCompletes) {
  const ImageShape shape = ShapeOf(ScanPixels::kGrey8);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  std::vector<uint8_t> too_much = scan;
  too_much.push_back(0);
  std::unique_ptr<ImageWriter> writer;
  ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), shape.bytes_per_line + 3));
  EXPECT_EQ(E_BOUNDS, writer->Append(too_much.data() + shape.bytes_per_line + 3,
                                     too_much.size() - shape.bytes_per_line - 3));
  EXPECT_EQ(1u, writer->lines_written());
  ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data() + shape.bytes_per_line + 3,
                                          scan.size() - shape.bytes_per_line - 3));
  ASSERT_HRESULT_SUCCEEDED(writer->Commit());
  writer.reset();
  ExpectSamePicture(factory_.Get(), path_, shape, scan);
}

TEST_F(ImageWriterTest, RefusesWhatItCannotWrite) {
  std::unique_ptr<ImageWriter> writer;
  ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  shape.bytes_per_line = 38;
  EXPECT_EQ(E_INVALIDARG, ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  shape = ShapeOf(ScanPixels::kBgr24);
  shape.height = 0;
  EXPECT_EQ(E_INVALIDARG, ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  // BMP and JPEG hold no 16-bit channels.
  for (ImageFormat format : {ImageFormat::kBmp, ImageFormat::kJpeg}) {
    EXPECT_EQ(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT,
              ImageWriter::Create(path_, format, ShapeOf(ScanPixels::kGrey16), &writer));
  }
  EXPECT_EQ(nullptr, writer);
  EXPECT_FALSE(FileExists());
  EXPECT_EQ(0, Temporaries(path_));
}

}  // namespace
}  // namespace zorvik::host
