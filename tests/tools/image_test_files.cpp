// The image writer's shared test fixture and helpers.
#include "image_test_files.h"

#include "unique_resource.h"

namespace zorvik::host {

void ImageFileTest::SetUp() {
  ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_PPV_ARGS(&factory_)));
  wchar_t folder[MAX_PATH + 1] = {};
  ASSERT_NE(0u, GetTempPathW(MAX_PATH + 1, folder));
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("zorvik_image_") + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  path_ = std::wstring(folder) + std::wstring(name.begin(), name.end());
}

void ImageFileTest::TearDown() {
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path_.c_str());
  factory_.Reset();
  CoUninitialize();
}

std::vector<uint8_t> ScanBytes(const ImageShape& shape) {
  std::vector<uint8_t> bytes(static_cast<size_t>(shape.bytes_per_line) * shape.height);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

ImageShape ShapeOf(ScanPixels pixels, uint32_t width, uint32_t height) {
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

HRESULT WriteImage(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                   const std::vector<uint8_t>& scan, uint64_t disk_bytes) {
  std::unique_ptr<ImageWriter> writer;
  HRESULT hr = ImageWriter::CreateOnSmallDiskForTesting(path, format, shape, disk_bytes, &writer);
  for (size_t at = 0; SUCCEEDED(hr) && at < scan.size(); at += 7) {
    hr = writer->Append(scan.data() + at, std::min<size_t>(7, scan.size() - at));
  }
  return SUCCEEDED(hr) ? writer->Commit() : hr;
}

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

}  // namespace zorvik::host
