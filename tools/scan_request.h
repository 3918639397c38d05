// From the parsed options to what the scanner is sent: the scan area in
// 1/300 inch, the SCANNER_PARAMETERS record and the three gamma tables, and
// the check of the options against the limits the scanner reports in its
// capabilities (flatbed size, smallest area, resolutions).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "scan_options.h"
#include "zorvik.h"

namespace zorvik::host {

// The scan area and resolution limits of one scanner, from its capabilities.
// Lengths in 1/300 inch, resolutions in dots per inch.
struct ScannerLimits {
  uint32_t flatbed_width = 0;
  uint32_t flatbed_height = 0;
  uint32_t min_width = 0;
  uint32_t min_height = 0;
  uint16_t min_resolution = 0;
  uint16_t max_x_resolution = 0;
  uint16_t max_y_resolution = 0;
};

ScannerLimits ScannerLimitsOf(const SCANNER_CAPABILITIES& capabilities);

// The scan area in 1/300 inch.
struct AreaIn300ths {
  uint32_t left = 0;
  uint32_t top = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

// The options' area in 1/300 inch. Each edge is rounded to the nearest
// 1/300 inch (halves away from zero) and the size is the distance between
// the rounded edges, so the far edge lands where the user put it. A missing
// left or top is 0; a missing width or height reaches the flatbed's far edge
// (0 when the near edge already lies beyond it).
AreaIn300ths ScanAreaIn300ths(const ScanOptions& options, uint32_t flatbed_width,
                              uint32_t flatbed_height);

// The pixels across that the user asked for: the area's width at the
// resolution across, a part pixel counting whole. The scanner may deliver
// lines longer than this (a Lineart line is padded to whole bytes), and the
// image keeps only these.
uint32_t RequestedPixelWidth(const ScanOptions& options, const ScannerLimits& limits);

// Empty when the options fit the scanner; otherwise one sentence saying what
// does not fit, in the user's unit: a resolution outside the scanner's range,
// an area that starts or ends beyond the flatbed, is smaller than the
// scanner's smallest area, or has more pixels than a scan can carry.
std::wstring CheckAgainstScanner(const ScanOptions& options, const ScannerLimits& limits);

// The record for GetBufferInfo and SetScannerParameters: the area in
// 1/300 inch (no pixel coordinates), the mode (COLOR, GREYSCALE, BW) and bit
// depth, both resolutions, the green channel for grey and black-and-white,
// the flatbed; everything else zero.
SCANNER_PARAMETERS ToScannerParameters(const ScanOptions& options, const ScannerLimits& limits);

using GammaTable = std::array<uint8_t, ZORVIK_GAMMA_TABLE_SIZE>;

// The table for `gamma`: entry i is 255 * (i / 255) ^ (1 / gamma), rounded to
// the nearest whole number. Above 1 brightens the mid-tones, below 1 darkens
// them, and 1 is the identity. The scanner applies it to 8-bit data only.
GammaTable MakeGammaTable(double gamma);

}  // namespace zorvik::host
