// The image writer under the platform's own imaging component: small images
// in every scan layout and format, fed in pieces that split pixels and lines,
// read back with a WIC decoder pixel for pixel; and the files it must not
// leave behind.
#include "image_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

class ImageWriterTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory_)));
    wchar_t folder[MAX_PATH + 1] = {};
    ASSERT_NE(0u, GetTempPathW(MAX_PATH + 1, folder));
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("zorvik_image_") + test->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::wstring(folder) + std::wstring(name.begin(), name.end());
  }
  void TearDown() override {
    DeleteFileW(path_.c_str());
    factory_.Reset();
    CoUninitialize();
  }

  bool FileExists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  ComPtr<IWICImagingFactory> factory_;
  std::wstring path_;
};

// The bytes a scanner would send for an image of `shape`: every byte of the
// image different from its neighbours, padding bits of 1-bit lines zero.
std::vector<uint8_t> ScanBytes(const ImageShape& shape) {
  std::vector<uint8_t> bytes(static_cast<size_t>(shape.bytes_per_line) * shape.height);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  if (shape.pixels == ScanPixels::kBlackIsOne1 && shape.width % 8 != 0) {
    const uint8_t used = static_cast<uint8_t>(0xFF << (8 - shape.width % 8));
    for (uint32_t line = 0; line < shape.height; ++line) {
      bytes[(line + 1) * shape.bytes_per_line - 1] &= used;
    }
  }
  return bytes;
}

uint16_t Sample16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

struct DecodedImage {
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
// conversion, 16-bit scans in the 16-bit layout the file holds.
void ExpectSamePicture(IWICImagingFactory* factory, const std::wstring& path,
                       const ImageShape& shape, const std::vector<uint8_t>& scan) {
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
      if (std::memcmp(want, got, sizeof want) != 0) {
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
  const GUID* encoder_format;
};

ImageShape ShapeOf(ScanPixels pixels) {
  ImageShape shape;
  shape.pixels = pixels;
  shape.width = 13;  // a 1-bit line of 13 pixels ends inside its second byte
  shape.height = 5;
  shape.bytes_per_line = static_cast<uint32_t>(BytesPerLine(BitsPerPixel(pixels), shape.width));
  shape.x_dpi = 150;
  shape.y_dpi = 600;
  return shape;
}

TEST_F(ImageWriterTest, EveryScanLayoutReadsBackPixelForPixelInEveryFormat) {
  const FormatCase cases[] = {
      {"png colour 8", ImageFormat::kPng, ScanPixels::kBgr24, &GUID_WICPixelFormat24bppBGR},
      {"png colour 16", ImageFormat::kPng, ScanPixels::kBgr48, &GUID_WICPixelFormat48bppRGB},
      {"png grey 8", ImageFormat::kPng, ScanPixels::kGrey8, &GUID_WICPixelFormat8bppGray},
      {"png grey 16", ImageFormat::kPng, ScanPixels::kGrey16, &GUID_WICPixelFormat16bppGray},
      {"png lineart", ImageFormat::kPng, ScanPixels::kBlackIsOne1, &GUID_WICPixelFormatBlackWhite},
      {"tiff colour 8", ImageFormat::kTiff, ScanPixels::kBgr24, &GUID_WICPixelFormat24bppBGR},
      {"tiff colour 16", ImageFormat::kTiff, ScanPixels::kBgr48, &GUID_WICPixelFormat48bppRGB},
      {"tiff grey 8", ImageFormat::kTiff, ScanPixels::kGrey8, &GUID_WICPixelFormat8bppGray},
      // Wine's TIFF encoder takes no 16-bit grey: three equal channels keep every bit.
      {"tiff grey 16", ImageFormat::kTiff, ScanPixels::kGrey16, &GUID_WICPixelFormat48bppRGB},
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
      // Pieces of 7 bytes split pixels and lines; a last piece takes the rest.
      for (size_t at = 0; at < scan.size(); at += 7) {
        ASSERT_HRESULT_SUCCEEDED(
            writer->Append(scan.data() + at, std::min<size_t>(7, scan.size() - at)));
      }
      EXPECT_EQ(shape.height, writer->lines_written());
      ASSERT_HRESULT_SUCCEEDED(writer->Commit());
    }
    ExpectSamePicture(factory_.Get(), path_, shape, scan);
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
  ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), 20));
  EXPECT_EQ(E_BOUNDS, writer->Append(too_much.data() + 20, too_much.size() - 20));
  EXPECT_EQ(1u, writer->lines_written());
  ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data() + 20, scan.size() - 20));
  ASSERT_HRESULT_SUCCEEDED(writer->Commit());
  writer.reset();
  ExpectSamePicture(factory_.Get(), path_, shape, scan);
}

TEST_F(ImageWriterTest, AnUnfinishedImageLeavesNoFile) {
  const ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  for (ImageFormat format : {ImageFormat::kPng, ImageFormat::kTiff, ImageFormat::kBmp}) {
    SCOPED_TRACE(static_cast<int>(format));
    std::unique_ptr<ImageWriter> writer;
    ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, format, shape, &writer));
    EXPECT_TRUE(FileExists());
    ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), scan.size() - shape.bytes_per_line));
    EXPECT_EQ(E_UNEXPECTED, writer->Commit());
    writer.reset();
    EXPECT_FALSE(FileExists());
  }
}

TEST_F(ImageWriterTest, RefusesWhatItCannotWrite) {
  std::unique_ptr<ImageWriter> writer;
  ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  shape.bytes_per_line -= 1;
  EXPECT_EQ(E_INVALIDARG, ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  shape = ShapeOf(ScanPixels::kBgr24);
  shape.height = 0;
  EXPECT_EQ(E_INVALIDARG, ImageWriter::Create(path_, ImageFormat::kPng, shape, &writer));
  // BMP holds no 16-bit channels.
  EXPECT_EQ(WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT,
            ImageWriter::Create(path_, ImageFormat::kBmp, ShapeOf(ScanPixels::kGrey16), &writer));
  EXPECT_EQ(nullptr, writer);
  EXPECT_FALSE(FileExists());

  const std::wstring nowhere = path_ + L"_missing_folder\\page.png";
  EXPECT_HRESULT_FAILED(
      ImageWriter::Create(nowhere, ImageFormat::kPng, ShapeOf(ScanPixels::kBgr24), &writer));
  EXPECT_EQ(nullptr, writer);
}

}  // namespace
}  // namespace zorvik::host
