// The baseline TIFF writer alone, on a sink in memory: the directory's fields
// read back by tag, the image decoded by the platform's TIFF decoder (WIC)
// from strips of several rows with an odd data length, and a failing sink
// that stops the writer at once.
#include "tiff_writer.h"

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// Keeps what it is given, and fails every write once `capacity` bytes are in.
class MemorySink : public ByteSink {
 public:
  explicit MemorySink(size_t capacity = SIZE_MAX) : capacity_(capacity) {}
  bool Write(const uint8_t* bytes, size_t count) override {
    ++writes_;
    if (count > capacity_ - bytes_.size()) return false;
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    return true;
  }
  std::vector<uint8_t> bytes_;
  int writes_ = 0;

 private:
  size_t capacity_;
};

uint32_t Read16(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
}
uint32_t Read32(const std::vector<uint8_t>& bytes, size_t at) {
  return Read16(bytes, at) | Read16(bytes, at + 2) << 16;
}

// The first value of every field of a little-endian TIFF's first directory,
// by tag; a rational as its numerator divided by its denominator.
std::map<uint16_t, double> Fields(const std::vector<uint8_t>& file) {
  std::map<uint16_t, double> fields;
  if (file.size() < 8 || Read16(file, 0) != 0x4949 || Read16(file, 2) != 42) return fields;
  const uint32_t directory = Read32(file, 4);
  const uint32_t count = Read16(file, directory);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t entry = directory + 2 + i * 12;
    const uint32_t type = Read16(file, entry + 2);
    const uint32_t values = Read32(file, entry + 4);
    const bool inline_values = (type == 3 ? 2 : 4) * values <= 4 && type != 5;
    const size_t at = inline_values ? entry + 8 : Read32(file, entry + 8);
    fields[static_cast<uint16_t>(Read16(file, entry))] =
        type == 3   ? Read16(file, at)
        : type == 5 ? double(Read32(file, at)) / Read32(file, at + 4)
                    : Read32(file, at);
  }
  return fields;
}

TEST(TiffWriter, WritesABaselineImageThatDecodesSampleForSample) {
  struct Case {
    const char* label;
    TiffImage image;
    const GUID* decoded_as;
  };
  const Case cases[] = {
      // 16-bit grey, several strips of 109 rows.
      {"grey 16",
       {300, 250, 1, 16, TiffPhotometric::kBlackIsZero, 300, 600},
       &GUID_WICPixelFormat16bppGray},
      // An odd data length (99 bytes by 701 rows) pads before the directory.
      {"colour 8", {33, 701, 3, 8, TiffPhotometric::kRgb, 150, 150}, &GUID_WICPixelFormat24bppBGR},
  };
  ComPtr<IWICImagingFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_PPV_ARGS(&factory)));
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    MemorySink sink;
    TiffWriter writer(test.image, sink);
    std::vector<uint8_t> rows(writer.row_bytes() * test.image.height);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7 + i / 251);
    ASSERT_TRUE(writer.Begin());
    ASSERT_TRUE(writer.WriteRows(rows.data(), writer.row_bytes(), 100));
    ASSERT_TRUE(writer.WriteRows(rows.data() + 100 * writer.row_bytes(), writer.row_bytes(),
                                 test.image.height - 100));
    ASSERT_TRUE(writer.Finish());

    const std::map<uint16_t, double> fields = Fields(sink.bytes_);
    EXPECT_EQ(test.image.width, fields.at(256));
    EXPECT_EQ(test.image.height, fields.at(257));
    EXPECT_EQ(test.image.bits_per_sample, fields.at(258));
    EXPECT_EQ(1, fields.at(259));  // uncompressed
    EXPECT_EQ(static_cast<int>(test.image.photometric), fields.at(262));
    EXPECT_EQ(test.image.samples_per_pixel, fields.at(277));
    EXPECT_EQ(test.image.x_dpi, fields.at(282));
    EXPECT_EQ(test.image.y_dpi, fields.at(283));
    EXPECT_EQ(2, fields.at(296));  // inches

    ComPtr<IWICStream> stream;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateStream(&stream));
    ASSERT_HRESULT_SUCCEEDED(
        stream->InitializeFromMemory(sink.bytes_.data(), static_cast<DWORD>(sink.bytes_.size())));
    ComPtr<IWICBitmapDecoder> decoder;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateDecoderFromStream(
        stream.Get(), &GUID_VendorMicrosoft, WICDecodeMetadataCacheOnDemand, &decoder));
    ComPtr<IWICBitmapFrameDecode> frame;
    ASSERT_HRESULT_SUCCEEDED(decoder->GetFrame(0, &frame));
    GUID format = {};
    frame->GetPixelFormat(&format);
    ASSERT_TRUE(IsEqualGUID(*test.decoded_as, format));
    const UINT stride = static_cast<UINT>(writer.row_bytes());
    std::vector<uint8_t> decoded(rows.size());
    ASSERT_HRESULT_SUCCEEDED(
        frame->CopyPixels(nullptr, stride, static_cast<UINT>(decoded.size()), decoded.data()));
    if (test.image.samples_per_pixel == 3) {
      // WIC hands 8-bit colour over blue first.
      for (size_t i = 0; i < decoded.size(); i += 3) std::swap(decoded[i], decoded[i + 2]);
    }
    EXPECT_TRUE(rows == decoded);
  }
  factory.Reset();
  CoUninitialize();
}

TEST(TiffWriter, StopsAtTheFirstFailedWriteAndAtRowsThatDoNotFit) {
  const TiffImage image = {8, 4, 1, 8, TiffPhotometric::kBlackIsZero, 100, 100};
  const std::vector<uint8_t> rows(8 * 4);

  MemorySink full(12);  // the header and half a row
  TiffWriter failing(image, full);
  ASSERT_TRUE(failing.Begin());
  EXPECT_FALSE(failing.WriteRows(rows.data(), 8, 4));
  EXPECT_FALSE(failing.WriteRows(rows.data(), 8, 0));
  EXPECT_FALSE(failing.Finish());
  EXPECT_EQ(2, full.writes_);

  MemorySink sink;
  TiffWriter writer(image, sink);
  ASSERT_TRUE(writer.Begin());
  ASSERT_TRUE(writer.WriteRows(rows.data(), 8, 3));
  EXPECT_FALSE(writer.Finish());  // a row is missing
  EXPECT_FALSE(writer.WriteRows(rows.data(), 8, 2));
  EXPECT_TRUE(writer.WriteRows(rows.data(), 8, 1));
  EXPECT_TRUE(writer.Finish());

  // Past a classic TIFF's 4 GiB of offsets.
  TiffWriter huge({65536, 65536, 3, 16, TiffPhotometric::kRgb, 0, 0}, sink);
  EXPECT_FALSE(huge.fits());
  EXPECT_FALSE(huge.Begin());
}

}  // namespace
}  // namespace zorvik::host
