// What the image writer's tests share: a fixture with a file path of its
// own in the temporary folder, a scan's bytes and shapes, writing a whole
// image, and reading what is on disk.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_writer.h"

namespace zorvik::host {

class ImageFileTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  bool FileExists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
  // Named after the test, so no two tests share a file.
  std::wstring path_;
};

// The bytes a scanner would send for an image of `shape`: every byte
// different from its neighbours, the pixels past the image's width too.
std::vector<uint8_t> ScanBytes(const ImageShape& shape);

// A small image whose scan lines hold more pixels than it keeps, as a 1-bit
// line padded to whole bytes does: by default 13 pixels of lines of 24.
ImageShape ShapeOf(ScanPixels pixels, uint32_t width = 13, uint32_t height = 5);

// Writes `scan` whole, in pieces of 7 bytes that split pixels and lines, on a
// disk with room for `disk_bytes`: the first failure of Create, Append or
// Commit.
HRESULT WriteImage(const std::wstring& path, ImageFormat format, const ImageShape& shape,
                   const std::vector<uint8_t>& scan, uint64_t disk_bytes = UINT64_MAX);

// The file's bytes; empty when there is none.
std::string Contents(const std::wstring& path);
void Put(const std::wstring& path, const std::string& bytes);

// How many temporary files of `target` lie in its folder.
int Temporaries(const std::wstring& target);

}  // namespace zorvik::host
