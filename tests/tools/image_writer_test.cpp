// The image writer read back by the platform's own imaging component (WIC):
// small images in every scan layout and format, fed in pieces that split
// pixels and lines, decoded pixel for pixel (JPEG within a tolerance); and
// the files it must not leave behind or touch: a target is replaced only by a
// complete image, whether the write fails, the writer is dropped or its
// process is killed.
#include "image_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "child_process.h"
#include "unique_resource.h"

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
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
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

// The file's bytes; empty when there is none.
std::string Contents(const std::wstring& path) {
  std::string bytes;
  const UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  char buffer[4096];
  DWORD got = 0;
  while (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

void Put(const std::wstring& path, const std::string& bytes) {
  const UniqueHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  DWORD put = 0;
  ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr));
}

// The temporary files of `target` in its folder.
int Temporaries(const std::wstring& target) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((StagedFile::TemporaryMarker(target) + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

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

// A small image whose scan lines hold more pixels than it keeps, as a 1-bit
// line padded to whole bytes does: 13 pixels of lines of 24.
ImageShape ShapeOf(ScanPixels pixels, uint32_t width = 13, uint32_t height = 5) {
  ImageShape shape;
  shape.pixels = pixels;
  shape.width = width;
  shape.height = height;
  shape.bytes_per_line =
      static_cast<uint32_t>(BytesPerLine(BitsPerPixel(pixels), (width + 8) / 8 * 8 + 8));
  shape.x_dpi = 150;
  shape.y_dpi = 600;
  return shape;
}

// Writes `scan` whole: the first failure of Create, Append or Commit.
HRESULT WriteImage(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                   const std::vector<uint8_t>& scan, uint64_t disk_bytes = UINT64_MAX) {
  std::unique_ptr<ImageWriter> writer;
  HRESULT hr = ImageWriter::CreateOnSmallDiskForTesting(path, format, shape, disk_bytes, &writer);
  // Pieces of 7 bytes split pixels and lines; a last piece takes the rest.
  for (size_t at = 0; SUCCEEDED(hr) && at < scan.size(); at += 7) {
    hr = writer->Append(scan.data() + at, std::min<size_t>(7, scan.size() - at));
  }
  return SUCCEEDED(hr) ? writer->Commit() : hr;
}

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

const ImageFormat kEveryFormat[] = {ImageFormat::kPng, ImageFormat::kTiff, ImageFormat::kBmp,
                                    ImageFormat::kJpeg};
const char kPreviousFile[] = "the previous scan, which must survive";

// Until Commit succeeds the target is what it was, existing or missing, and
// the scan lies in a temporary file beside it; a writer dropped before then
// leaves nothing of it.
TEST_F(ImageWriterTest, AnUncommittedImageLeavesTheTargetAsItWas) {
  const ImageShape shape = ShapeOf(ScanPixels::kBgr24);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  for (bool existed : {false, true}) {
    for (ImageFormat format : kEveryFormat) {
      SCOPED_TRACE(testing::Message() << "format " << static_cast<int>(format)
                                      << (existed ? ", over a file" : ", no file"));
      if (existed) Put(path_, kPreviousFile);
      const std::string before = Contents(path_);
      std::unique_ptr<ImageWriter> writer;
      ASSERT_HRESULT_SUCCEEDED(ImageWriter::Create(path_, format, shape, &writer));
      ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), scan.size() - shape.bytes_per_line));
      EXPECT_EQ(1, Temporaries(path_));
      EXPECT_EQ(before, Contents(path_));
      EXPECT_EQ(existed, FileExists());
      EXPECT_EQ(E_UNEXPECTED, writer->Commit());
      writer.reset();
      EXPECT_EQ(before, Contents(path_));
      EXPECT_EQ(existed, FileExists());
      EXPECT_EQ(0, Temporaries(path_));
      DeleteFileW(path_.c_str());
    }
  }
}

// Every way a write fails is reported with the system's error, wherever it
// strikes (creating, appending or committing), and leaves the target as it
// was with no temporary file.
TEST_F(ImageWriterTest, AFailedWriteIsReportedAndLeavesTheTargetAsItWas) {
  const ImageShape shape = ShapeOf(ScanPixels::kBgr24, 40, 30);
  const std::vector<uint8_t> scan = ScanBytes(shape);
  enum class Fault { kNoFolder, kReadOnlyTarget, kFullDisk, kDiskOneByteShort };
  const struct {
    const char* label;
    Fault fault;
    HRESULT expected;
  } cases[] = {
      {"no folder", Fault::kNoFolder, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)},
      {"read-only target", Fault::kReadOnlyTarget, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)},
      {"full disk", Fault::kFullDisk, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
      {"disk one byte short", Fault::kDiskOneByteShort, HRESULT_FROM_WIN32(ERROR_DISK_FULL)},
  };
  for (const auto& test : cases) {
    for (ImageFormat format : kEveryFormat) {
      SCOPED_TRACE(testing::Message() << test.label << ", format " << static_cast<int>(format));
      const std::wstring target =
          test.fault == Fault::kNoFolder ? path_ + L"_no_such_folder\\page" : path_;
      uint64_t disk_bytes = UINT64_MAX;
      if (test.fault == Fault::kFullDisk) disk_bytes = 0;
      if (test.fault == Fault::kDiskOneByteShort) {
        ASSERT_HRESULT_SUCCEEDED(WriteImage(path_, format, shape, scan));
        disk_bytes = Contents(path_).size() - 1;
      }
      if (test.fault != Fault::kNoFolder) Put(path_, kPreviousFile);
      if (test.fault == Fault::kReadOnlyTarget) {
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY);
      }
      const std::string before = Contents(target);

      EXPECT_EQ(test.expected, WriteImage(target, format, shape, scan, disk_bytes));
      EXPECT_EQ(before, Contents(target));
      EXPECT_EQ(test.fault != Fault::kNoFolder,
                GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(0, Temporaries(target));
      SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(path_.c_str());
    }
  }
}

// The name of the event a writer child sets once it is halfway through.
std::wstring HalfwayEventName(const std::wstring& target) {
  std::wstring name = L"zorvik_image_writer_halfway_" + target;
  for (wchar_t& c : name) {
    if (c == L'\\' || c == L':') c = L'_';
  }
  return name;
}

const ImageShape kChildShape = ShapeOf(ScanPixels::kGrey16, 64, 64);

// Writes half an image over `argument`, says so, and waits to be killed.
ZORVIK_CHILD_ROLE(image_writer_killed_halfway) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 2;
  const std::vector<uint8_t> scan = ScanBytes(kChildShape);
  std::unique_ptr<ImageWriter> writer;
  if (FAILED(ImageWriter::Create(argument, ImageFormat::kTiff, kChildShape, &writer))) return 3;
  if (FAILED(writer->Append(scan.data(), scan.size() / 2))) return 4;
  const UniqueHandle halfway(
      OpenEventW(EVENT_MODIFY_STATE, FALSE, HalfwayEventName(argument).c_str()));
  if (!halfway) return 5;
  SetEvent(halfway.get());
  Sleep(60000);
  return 6;
}

// A writer whose process is killed leaves the previous file byte-identical,
// and the system removes its temporary file.
TEST_F(ImageWriterTest, AKilledWriterLeavesThePreviousFileAndNoTemporary) {
  Put(path_, kPreviousFile);
  const UniqueHandle halfway(CreateEventW(nullptr, TRUE, FALSE, HalfwayEventName(path_).c_str()));
  ASSERT_TRUE(halfway);
  test::ChildProcess child("image_writer_killed_halfway", path_);
  ASSERT_TRUE(child.started());
  // The child's end instead of its word means it failed before halfway.
  const HANDLE either[] = {halfway.get(), child.handle()};
  ASSERT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, either, FALSE, 30000));
  EXPECT_EQ(1, Temporaries(path_));
  child.Kill();

  EXPECT_EQ(kPreviousFile, Contents(path_));
  // The system deletes the file as it closes the dead process's handles.
  for (int wait = 0; wait < 50 && Temporaries(path_) > 0; ++wait) Sleep(100);
  EXPECT_EQ(0, Temporaries(path_));
}

// Where the file system has no hard links, the complete file is copied to
// its second name instead; either way the target gets all of it.
TEST_F(ImageWriterTest, PublishingReplacesTheTargetWithLinksOrWithout) {
  for (bool links : {true, false}) {
    SCOPED_TRACE(links ? "hard link" : "copy");
    Put(path_, kPreviousFile);
    std::unique_ptr<StagedFile> file;
    ASSERT_HRESULT_SUCCEEDED(StagedFile::Create(path_, &file));
    if (!links) file->DisableLinksForTesting();
    const std::string image = "a complete image";
    DWORD put = 0;
    ASSERT_TRUE(
        WriteFile(file->handle(), image.data(), static_cast<DWORD>(image.size()), &put, nullptr));
    EXPECT_EQ(kPreviousFile, Contents(path_));
    ASSERT_HRESULT_SUCCEEDED(file->Publish());
    file.reset();
    EXPECT_EQ(image, Contents(path_));
    EXPECT_EQ(0, Temporaries(path_));
  }
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
