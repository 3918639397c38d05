// The one-page PDF around an image: read back as a PDF reader reads it, from
// the end: startxref leads to the cross-reference table, every entry to its
// object, the trailer's /Size counts the entries, and the image's stream
// holds exactly the image's bytes, as long as its /Length says. The page is
// the scanned area: pixels * 72 / dpi points.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "pdf_page.h"

namespace zorvik::host {
namespace {

// The number after `key` in `text` at or after `from`; -1 when absent.
long long NumberAfter(const std::string& text, const std::string& key, size_t from = 0) {
  const size_t at = text.find(key, from);
  if (at == std::string::npos) return -1;
  return std::strtoll(text.c_str() + at + key.size(), nullptr, 10);
}

// The body of object `number` found through the cross-reference table, up to
// its "endobj" (or its "stream" keyword); fails the test when the table does
// not lead to it.
std::string ObjectThroughTable(const std::string& pdf, int number) {
  const long long xref = NumberAfter(pdf, "startxref\n", pdf.rfind("startxref"));
  EXPECT_EQ(pdf.compare(static_cast<size_t>(xref), 5, "xref\n"), 0);
  // "xref", the line "0 <count>", then 20 bytes an entry.
  const size_t entry =
      pdf.find('\n', static_cast<size_t>(xref) + 5) + 1 + static_cast<size_t>(number) * 20;
  EXPECT_EQ(pdf.compare(entry + 10, 10, " 00000 n \n"), 0) << "entry of object " << number;
  const size_t offset = std::strtoull(pdf.substr(entry, 10).c_str(), nullptr, 10);
  const std::string start = std::to_string(number) + " 0 obj\n";
  EXPECT_EQ(pdf.compare(offset, start.size(), start), 0) << "object " << number;
  const size_t body = offset + start.size();
  return pdf.substr(body, std::min(pdf.find("endobj", body), pdf.find("stream\n", body)) - body);
}

TEST(PdfPage, ReadsBackThroughItsCrossReferenceTable) {
  struct Case {
    const char* what;
    PdfPageImage image;
    std::string media_box;
    std::string image_keys;
  } const cases[] = {
      {"a letter page of colour at 300 dpi, as JPEG",
       {2550, 3300, 3, 8, false, PdfImageEncoding::kJpeg, 300, 300},
       "[0 0 612 792]",
       "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode"},
      {"grey at 75 by 150 dpi, as JPEG",
       {100, 301, 1, 8, false, PdfImageEncoding::kJpeg, 75, 150},
       "[0 0 96 144.48]",
       "/ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode"},
      {"black and white samples, 1 meaning black",
       {13, 2, 1, 1, true, PdfImageEncoding::kSamples, 600, 600},
       "[0 0 1.56 0.24]",
       "/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]"},
      {"a 1x1 image at 7 dpi",
       {1, 1, 3, 8, false, PdfImageEncoding::kJpeg, 7, 7},
       "[0 0 10.2857 10.2857]",
       "/DeviceRGB"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    // Bytes a reader must take as they are, whatever they look like.
    const std::string image = "\xFF\xD8 endstream\nendobj 5 0 obj\n xref \xFF\xD9";
    const std::string head = PdfPageHead(test.image);
    const std::string pdf = head + image + PdfPageTail(test.image, image.size());

    ASSERT_EQ(pdf.compare(0, 9, "%PDF-1.4\n"), 0);
    ASSERT_EQ(pdf.compare(pdf.size() - 6, 6, "%%EOF\n"), 0);
    const size_t trailer = pdf.rfind("trailer");
    ASSERT_NE(trailer, std::string::npos);
    EXPECT_EQ(NumberAfter(pdf, "/Size ", trailer), 7);
    EXPECT_EQ(NumberAfter(pdf, "xref\n0 ", pdf.rfind("xref\n0 ")), 7);
    EXPECT_NE(pdf.find("0000000000 65535 f \n"), std::string::npos);

    EXPECT_NE(ObjectThroughTable(pdf, 1).find("/Type /Catalog /Pages 2 0 R"), std::string::npos);
    EXPECT_NE(ObjectThroughTable(pdf, 2).find("/Kids [3 0 R] /Count 1"), std::string::npos);
    const std::string page = ObjectThroughTable(pdf, 3);
    EXPECT_NE(page.find("/MediaBox " + test.media_box), std::string::npos) << page;
    EXPECT_NE(page.find("/Im0 5 0 R"), std::string::npos);
    EXPECT_NE(page.find("/Contents 4 0 R"), std::string::npos);

    // The drawing scales the image (a unit square) to the whole page.
    const std::string drawing_object = ObjectThroughTable(pdf, 4);
    const long long drawing_length = NumberAfter(drawing_object, "/Length ");
    const size_t drawing_start = pdf.find("stream\n", pdf.find("4 0 obj\n")) + 7;
    const std::string drawing = pdf.substr(drawing_start, static_cast<size_t>(drawing_length));
    const std::string size = test.media_box.substr(5, test.media_box.size() - 6);
    EXPECT_EQ(drawing, "q " + size.substr(0, size.find(' ')) + " 0 0 " +
                           size.substr(size.find(' ') + 1) + " 0 0 cm /Im0 Do Q");
    EXPECT_EQ(pdf.compare(drawing_start + drawing.size(), 10, "\nendstream"), 0);

    const std::string image_object = ObjectThroughTable(pdf, 5);
    EXPECT_NE(image_object.find("/Subtype /Image /Width " + std::to_string(test.image.width) +
                                " /Height " + std::to_string(test.image.height)),
              std::string::npos);
    EXPECT_NE(image_object.find(test.image_keys), std::string::npos) << image_object;
    EXPECT_NE(image_object.find("/Length 6 0 R"), std::string::npos);
    EXPECT_EQ(std::strtoll(ObjectThroughTable(pdf, 6).c_str(), nullptr, 10),
              static_cast<long long>(image.size()));
    EXPECT_EQ(pdf.substr(head.size(), image.size()), image);
    EXPECT_EQ(head.compare(head.size() - 7, 7, "stream\n"), 0);
    EXPECT_EQ(pdf.compare(head.size() + image.size(), 11, "\nendstream\n"), 0);
  }
}

TEST(PdfPage, HeadDoesNotDependOnTheImageLength) {
  const PdfPageImage image = {640, 480, 3, 8, false, PdfImageEncoding::kJpeg, 150, 150};
  const std::string head = PdfPageHead(image);
  const std::string short_tail = PdfPageTail(image, 10);
  const std::string long_tail = PdfPageTail(image, 10'000'000'000ULL);
  EXPECT_NE(short_tail, long_tail);
  EXPECT_NE(long_tail.find("\n10000000000\nendobj"), std::string::npos);
  EXPECT_NE(long_tail.find("startxref\n" + std::to_string(head.size() + 10'000'000'000ULL +
                                                          long_tail.find("xref\n0 "))),
            std::string::npos);
}

TEST(PdfPage, SampleRowsArePaddedToWholeBytes) {
  const struct {
    uint32_t width, components, bits;
    uint64_t row;
  } cases[] = {{1, 1, 1, 1}, {8, 1, 1, 1}, {9, 1, 1, 2}, {5, 3, 8, 15}, {5, 3, 16, 30}};
  for (const auto& test : cases) {
    PdfPageImage image;
    image.width = test.width;
    image.components = test.components;
    image.bits_per_component = test.bits;
    image.encoding = PdfImageEncoding::kSamples;
    EXPECT_EQ(PdfSampleRowBytes(image), test.row) << test.width << "x" << test.bits;
  }
}

}  // namespace
}  // namespace zorvik::host
