// A scan written as a one-page PDF into a stream: the page's head, then the
// image, then the tail that PdfPageTail computes for the image's length. 8-bit
// colour and grey go in as a JPEG of the page that WIC decodes at the scan's
// size; black and white as the scan's own bits, each line without the
// scanner's padding bytes. 16-bit scans are refused, and so are bytes past
// the last line and a commit before it.
#include <gtest/gtest.h>

#include <cstring>

#include "image_test_files.h"
#include "pdf_writer.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

std::string StreamBytes(IStream* stream) {
  HGLOBAL memory = nullptr;
  STATSTG stat = {};
  if (FAILED(GetHGlobalFromStream(stream, &memory)) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)))
    return "";
  std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  if (const void* data = GlobalLock(memory)) {
    std::memcpy(bytes.data(), data, bytes.size());
    GlobalUnlock(memory);
  }
  return bytes;
}

// Writes `scan` in pieces of 7 bytes; the PDF, or empty on any failure.
std::string WritePdf(const ImageShape& shape, const std::vector<uint8_t>& scan) {
  ComPtr<IStream> stream;
  std::unique_ptr<PdfWriter> writer;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(PdfWriter::CreateInStream(stream.Get(), shape, &writer)))
    return "";
  for (size_t at = 0; at < scan.size(); at += 7) {
    if (FAILED(writer->Append(scan.data() + at, std::min<size_t>(7, scan.size() - at)))) return "";
  }
  if (FAILED(writer->Commit())) return "";
  return StreamBytes(stream.Get());
}

// The image between `page`'s head and its tail, checking both.
std::string ImageOf(const std::string& pdf, const PdfPageImage& page) {
  const std::string head = PdfPageHead(page);
  EXPECT_EQ(pdf.compare(0, head.size(), head), 0);
  const size_t tail_at = pdf.rfind("\nendstream\nendobj\n6 0 obj");
  if (tail_at == std::string::npos || tail_at < head.size()) return "";
  const std::string image = pdf.substr(head.size(), tail_at - head.size());
  EXPECT_EQ(pdf.substr(tail_at), PdfPageTail(page, image.size()));
  return image;
}

class PdfWriterTest : public ImageFileTest {};

TEST_F(PdfWriterTest, EightBitScansGoInAsAJpegOfThePage) {
  const struct {
    const char* label;
    ScanPixels pixels;
    uint32_t components;
  } cases[] = {{"colour 8", ScanPixels::kBgr24, 3}, {"grey 8", ScanPixels::kGrey8, 1}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.label);
    ImageShape shape = ShapeOf(test.pixels, 29, 16);
    shape.x_dpi = 150;
    shape.y_dpi = 300;
    const std::string pdf = WritePdf(shape, ScanBytes(shape));
    ASSERT_FALSE(pdf.empty());
    const PdfPageImage page = {29,  16, test.components, 8, false, PdfImageEncoding::kJpeg,
                               150, 300};
    const std::string jpeg = ImageOf(pdf, page);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");

    ComPtr<IStream> stream;
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_HRESULT_SUCCEEDED(stream->Write(jpeg.data(), static_cast<ULONG>(jpeg.size()), nullptr));
    const LARGE_INTEGER start = {};
    ASSERT_HRESULT_SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr));
    ComPtr<IWICBitmapDecoder> decoder;
    ASSERT_HRESULT_SUCCEEDED(factory_->CreateDecoderFromStream(
        stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder));
    ComPtr<IWICBitmapFrameDecode> frame;
    ASSERT_HRESULT_SUCCEEDED(decoder->GetFrame(0, &frame));
    UINT width = 0, height = 0;
    ASSERT_HRESULT_SUCCEEDED(frame->GetSize(&width, &height));
    EXPECT_EQ(width, 29u);
    EXPECT_EQ(height, 16u);
    WICPixelFormatGUID layout = {};
    ASSERT_HRESULT_SUCCEEDED(frame->GetPixelFormat(&layout));
    EXPECT_EQ(IsEqualGUID(layout, GUID_WICPixelFormat8bppGray), test.components == 1);
  }
}

TEST_F(PdfWriterTest, BlackAndWhiteGoesInAsItsOwnBitsWithoutThePadding) {
  // 13 pixels of lines of 24: two bytes of each three-byte line are kept.
  ImageShape shape = ShapeOf(ScanPixels::kBlackIsOne1);
  shape.x_dpi = shape.y_dpi = 600;
  const std::vector<uint8_t> scan = ScanBytes(shape);
  const std::string pdf = WritePdf(shape, scan);
  ASSERT_FALSE(pdf.empty());
  std::string rows;
  for (uint32_t y = 0; y < shape.height; ++y) {
    rows.append(reinterpret_cast<const char*>(scan.data()) + y * shape.bytes_per_line, 2);
  }
  const PdfPageImage page = {13, 5, 1, 1, true, PdfImageEncoding::kSamples, 600, 600};
  EXPECT_EQ(ImageOf(pdf, page), rows);
}

TEST_F(PdfWriterTest, RefusesWhatItCannotWrite) {
  ComPtr<IStream> stream;
  ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  std::unique_ptr<PdfWriter> writer;
  for (ScanPixels deep : {ScanPixels::kBgr48, ScanPixels::kGrey16}) {
    EXPECT_EQ(PdfWriter::CreateInStream(stream.Get(), ShapeOf(deep), &writer),
              WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT);
    EXPECT_EQ(writer, nullptr);
  }
  ImageShape short_lines = ShapeOf(ScanPixels::kBgr24);
  short_lines.bytes_per_line = 3 * short_lines.width - 1;
  EXPECT_EQ(PdfWriter::CreateInStream(stream.Get(), short_lines, &writer), E_INVALIDARG);

  for (ScanPixels pixels : {ScanPixels::kGrey8, ScanPixels::kBlackIsOne1}) {
    const ImageShape shape = ShapeOf(pixels);
    const std::vector<uint8_t> scan = ScanBytes(shape);
    ASSERT_HRESULT_SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    ASSERT_HRESULT_SUCCEEDED(PdfWriter::CreateInStream(stream.Get(), shape, &writer));
    ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), scan.size() - 1));
    EXPECT_EQ(writer->Commit(), E_UNEXPECTED);
    EXPECT_EQ(writer->Append(scan.data(), 2), E_BOUNDS);
    ASSERT_HRESULT_SUCCEEDED(writer->Append(scan.data(), 1));
    EXPECT_HRESULT_SUCCEEDED(writer->Commit());
  }
}

}  // namespace
}  // namespace zorvik::host
