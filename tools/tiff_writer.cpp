// The bytes of a baseline TIFF: an 8-byte header naming the directory's
// offset, the image data in strips from offset 8, one padding byte when the
// data's length is odd (a directory starts on a word boundary), the
// directory, and the values too long for a directory entry.
#include "tiff_writer.h"

#include <cmath>
#include <vector>

namespace zorvik::host {
namespace {

// Rows are grouped into strips of about this many bytes, the size readers
// are made for.
constexpr uint64_t kStripBytes = 64 * 1024;
constexpr uint32_t kHeaderBytes = 8;

enum FieldType : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

// Little-endian bytes, in the order they are appended.
class Bytes {
 public:
  void U16(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
  }
  void U32(uint32_t value) {
    U16(value & 0xFFFF);
    U16(value >> 16);
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// A resolution as a fraction with two decimals.
void Rational(double dpi, Bytes* out) {
  const double stored = dpi > 0 ? dpi : 72;
  out->U32(static_cast<uint32_t>(std::lround(stored * 100)));
  out->U32(100);
}

}  // namespace

TiffWriter::TiffWriter(const TiffImage& image, ByteSink& sink) : image_(image), sink_(sink) {
  const uint64_t row_bits = uint64_t{image.width} * image.samples_per_pixel * image.bits_per_sample;
  const uint64_t row_bytes = (row_bits + 7) / 8;
  const uint64_t data_bytes = row_bytes * image.height;
  // Data, padding, directory and its values, with room to spare.
  fits_ = row_bytes > 0 && image.height > 0 && data_bytes + kHeaderBytes + 1024 <= UINT32_MAX;
  if (!fits_) return;
  row_bytes_ = static_cast<size_t>(row_bytes);
  const uint64_t rows = kStripBytes / row_bytes;
  rows_per_strip_ = static_cast<uint32_t>(rows == 0             ? 1
                                          : rows < image.height ? rows
                                                                : image.height);
}

bool TiffWriter::Put(const uint8_t* bytes, size_t count) {
  if (failed_) return false;
  if (!sink_.Write(bytes, count)) failed_ = true;
  return !failed_;
}

bool TiffWriter::Begin() {
  if (!fits_) return false;
  const uint32_t data_bytes = static_cast<uint32_t>(row_bytes_ * image_.height);
  Bytes header;
  header.U16('I' | 'I' << 8);
  header.U16(42);
  header.U32(kHeaderBytes + data_bytes + data_bytes % 2);
  return Put(header.bytes().data(), header.bytes().size());
}

bool TiffWriter::WriteRows(const uint8_t* rows, size_t stride, uint32_t count) {
  if (count > image_.height - rows_written_) return false;
  if (stride == row_bytes_) {
    if (!Put(rows, row_bytes_ * count)) return false;
  } else {
    for (uint32_t row = 0; row < count; ++row) {
      if (!Put(rows + row * stride, row_bytes_)) return false;
    }
  }
  rows_written_ += count;
  return true;
}

bool TiffWriter::Finish() {
  if (!fits_ || rows_written_ != image_.height) return false;
  const uint32_t data_bytes = static_cast<uint32_t>(row_bytes_ * image_.height);
  const uint32_t strips = (image_.height + rows_per_strip_ - 1) / rows_per_strip_;

  constexpr uint16_t kEntries = 13;
  const uint32_t directory = kHeaderBytes + data_bytes + data_bytes % 2;
  // Values that do not fit in an entry's four bytes follow the directory.
  Bytes values;
  const uint32_t values_at = directory + 2 + kEntries * 12 + 4;
  auto value_offset = [&] { return values_at + static_cast<uint32_t>(values.bytes().size()); };

  Bytes entries;
  auto entry = [&](uint16_t tag, FieldType type, uint32_t count, uint32_t value) {
    entries.U16(tag);
    entries.U16(type);
    entries.U32(count);
    // A single SHORT lies in the first two bytes of the value field.
    entries.U32(value);
  };
  entry(256, kLong, 1, image_.width);
  entry(257, kLong, 1, image_.height);
  if (image_.samples_per_pixel == 1) {
    entry(258, kShort, 1, image_.bits_per_sample);
  } else {
    entry(258, kShort, image_.samples_per_pixel, value_offset());
    for (uint16_t i = 0; i < image_.samples_per_pixel; ++i) values.U16(image_.bits_per_sample);
  }
  entry(259, kShort, 1, 1);  // no compression
  entry(262, kShort, 1, static_cast<uint16_t>(image_.photometric));
  const uint32_t strip_bytes = static_cast<uint32_t>(row_bytes_ * rows_per_strip_);
  const uint32_t last_strip_bytes = data_bytes - strip_bytes * (strips - 1);
  if (strips == 1) {
    entry(273, kLong, 1, kHeaderBytes);
  } else {
    entry(273, kLong, strips, value_offset());
    for (uint32_t i = 0; i < strips; ++i) values.U32(kHeaderBytes + i * strip_bytes);
  }
  entry(277, kShort, 1, image_.samples_per_pixel);
  entry(278, kLong, 1, rows_per_strip_);
  if (strips == 1) {
    entry(279, kLong, 1, data_bytes);
  } else {
    entry(279, kLong, strips, value_offset());
    for (uint32_t i = 0; i + 1 < strips; ++i) values.U32(strip_bytes);
    values.U32(last_strip_bytes);
  }
  entry(282, kRational, 1, value_offset());
  Rational(image_.x_dpi, &values);
  entry(283, kRational, 1, value_offset());
  Rational(image_.y_dpi, &values);
  entry(284, kShort, 1, 1);  // chunky: a pixel's samples side by side
  entry(296, kShort, 1, 2);  // resolution in inches

  std::vector<uint8_t> out;
  if (data_bytes % 2 != 0) out.push_back(0);
  out.push_back(static_cast<uint8_t>(kEntries));
  out.push_back(0);
  out.insert(out.end(), entries.bytes().begin(), entries.bytes().end());
  out.insert(out.end(), 4, 0);  // no next directory
  out.insert(out.end(), values.bytes().begin(), values.bytes().end());
  return Put(out.data(), out.size());
}

}  // namespace zorvik::host
