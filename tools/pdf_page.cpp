// The objects of a one-page PDF and their cross-reference table.
//
// Objects: 1 catalogue, 2 page tree, 3 page, 4 the page's drawing (the image
// scaled to the page), 5 the image, 6 the image's length. The length is an
// object of its own after the image, so the head is fixed before the image
// is encoded.
#include "pdf_page.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

namespace zorvik::host {
namespace {

constexpr int kObjects = 6;
constexpr int kImageObject = 5;
constexpr int kLengthObject = 6;

// A length in points with at most four decimals, without trailing zeros
// (PDF has no exponent notation).
std::string Points(uint32_t pixels, double dpi) {
  const double points = pixels * 72.0 / (dpi > 0 ? dpi : 72.0);
  char text[48];
  snprintf(text, sizeof text, "%.4f", points);
  std::string value = text;
  value.erase(value.find_last_not_of('0') + 1);
  if (value.back() == '.') value.pop_back();
  return value;
}

std::string Object(int number, const std::string& body) {
  return std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
}

// The head, and where each of its objects starts.
std::string Head(const PdfPageImage& image, std::vector<uint64_t>* offsets) {
  const std::string width = Points(image.width, image.x_dpi);
  const std::string height = Points(image.height, image.y_dpi);
  const std::string drawing = "q " + width + " 0 0 " + height + " 0 0 cm /Im0 Do Q";
  std::string image_dictionary = "<< /Type /XObject /Subtype /Image /Width " +
                                 std::to_string(image.width) + " /Height " +
                                 std::to_string(image.height) + " /ColorSpace " +
                                 (image.components == 1 ? "/DeviceGray" : "/DeviceRGB") +
                                 " /BitsPerComponent " + std::to_string(image.bits_per_component);
  if (image.encoding == PdfImageEncoding::kJpeg) image_dictionary += " /Filter /DCTDecode";
  if (image.one_is_black) image_dictionary += " /Decode [1 0]";
  image_dictionary += " /Length " + std::to_string(kLengthObject) + " 0 R >>";

  // The binary comment tells readers and transports the file is not text.
  std::string head = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  const std::string objects[] = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + width + " " + height +
          "] /Resources << /XObject << /Im0 5 0 R >> >> /Contents 4 0 R >>",
      "<< /Length " + std::to_string(drawing.size()) + " >>\nstream\n" + drawing + "\nendstream",
  };
  int number = 1;
  for (const std::string& body : objects) {
    offsets->push_back(head.size());
    head += Object(number++, body);
  }
  offsets->push_back(head.size());
  head += std::to_string(kImageObject) + " 0 obj\n" + image_dictionary + "\nstream\n";
  return head;
}

}  // namespace

std::string PdfPageHead(const PdfPageImage& image) {
  std::vector<uint64_t> offsets;
  return Head(image, &offsets);
}

std::string PdfPageTail(const PdfPageImage& image, uint64_t image_bytes) {
  std::vector<uint64_t> offsets;
  const uint64_t head_bytes = Head(image, &offsets).size();
  std::string tail = "\nendstream\nendobj\n";
  offsets.push_back(head_bytes + image_bytes + tail.size());
  tail += Object(kLengthObject, std::to_string(image_bytes));
  const uint64_t xref = head_bytes + image_bytes + tail.size();
  // Every entry of the table is exactly 20 bytes, its line end included.
  tail += "xref\n0 " + std::to_string(kObjects + 1) + "\n0000000000 65535 f \n";
  for (uint64_t offset : offsets) {
    char entry[32];
    snprintf(entry, sizeof entry, "%010" PRIu64 " 00000 n \n", offset);
    tail += entry;
  }
  tail += "trailer\n<< /Size " + std::to_string(kObjects + 1) + " /Root 1 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n";
  return tail;
}

uint64_t PdfSampleRowBytes(const PdfPageImage& image) {
  return (static_cast<uint64_t>(image.width) * image.components * image.bits_per_component + 7) / 8;
}

}  // namespace zorvik::host
