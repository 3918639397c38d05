// A baseline TIFF writer for scans: one uncompressed image, samples chunky
// and little-endian, written front to back as the scan arrives. The header
// comes first, then the rows in strips, then the directory. The image's size
// is known before the first row, so every offset is known too and nothing is
// ever written twice. No Windows types, so it is tested alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvik::host {

// How sample values read (TIFF's PhotometricInterpretation).
enum class TiffPhotometric : uint16_t { kWhiteIsZero = 0, kBlackIsZero = 1, kRgb = 2 };

struct TiffImage {
  uint32_t width = 0;
  uint32_t height = 0;
  // 1 (grey or black and white) or 3 (red, green, blue, in that order).
  uint16_t samples_per_pixel = 1;
  // 1, 8 or 16; 16-bit samples little-endian.
  uint16_t bits_per_sample = 8;
  TiffPhotometric photometric = TiffPhotometric::kBlackIsZero;
  // Pixels per inch; 0 or less: unknown, stored as 72.
  double x_dpi = 0;
  double y_dpi = 0;
};

// Where the file's bytes go. Write returns false when they could not be
// written; the writer then stops.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const uint8_t* bytes, size_t count) = 0;
};

class TiffWriter {
 public:
  TiffWriter(const TiffImage& image, ByteSink& sink);

  // Bytes of one row in the file, padded to a whole byte.
  size_t row_bytes() const { return row_bytes_; }
  // False when the image does not fit in a classic TIFF's 4 GiB.
  bool fits() const { return fits_; }

  // Writes the header. False when the sink failed or the image does not fit.
  bool Begin();
  // Writes the next `count` rows of row_bytes() each, lying `stride` bytes
  // apart from `rows`. False when the sink failed or the rows would run past
  // the image's last one.
  bool WriteRows(const uint8_t* rows, size_t stride, uint32_t count);
  // Writes the directory that makes the rows an image. False when rows are
  // still missing or the sink failed.
  bool Finish();

 private:
  bool Put(const uint8_t* bytes, size_t count);

  TiffImage image_;
  ByteSink& sink_;
  size_t row_bytes_ = 0;
  uint32_t rows_per_strip_ = 1;
  bool fits_ = false;
  bool failed_ = false;
  uint32_t rows_written_ = 0;
};

}  // namespace zorvik::host
