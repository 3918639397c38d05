// The text the log's dumps of SCANNER_PARAMETERS and BUFFER_INFO must show,
// stated line by line from the documented dump format rather than from the
// formatters, for the randomized run and the fuzzers.
//
// Pure C++: builds for Windows and natively.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#include "zorvik.h"

namespace zorvik::rules {

inline std::string HexText(uint32_t value) {
  std::ostringstream text;
  text << std::hex << value;
  return text.str();
}

// Lines 1 to 12 of the scanner-parameters dump and its closing zero. An
// unknown scan mode switches the numbers that follow it to hexadecimal.
inline std::string ExpectedParametersDump(const SCANNER_PARAMETERS& p) {
  std::string t = " << SCANNER PARAMETERS >>> \n";
  t += "PixelLeft = " + std::to_string(p.dwLeft) + "\n";
  t += "PixelTop = " + std::to_string(p.dwTop) + "\n";
  t += "PixelWidth = " + std::to_string(p.dwWidth) + "\n";
  t += "PixelLength = " + std::to_string(p.dwLength) + "\n";
  bool hex = false;
  t += "Scan Mode = ";
  switch (p.dwScanMode) {
    case 1:
      t += "COLOR";
      break;
    case 2:
      t += "GREYSCALE";
      break;
    case 4:
      t += "BW";
      break;
    default:
      t += "unknown type: 0x" + HexText(p.dwScanMode);
      hex = true;
  }
  t += "\nScan Options = ";
  if (p.dwScanOptions & 0x1) t += "PREVIEW ";
  if (p.dwScanOptions & 0x2) t += "| Pixel Coordinates";
  auto number = [&](uint32_t v) { return hex ? HexText(v) : std::to_string(v); };
  t += "\nBits Per Channel = " + number(p.byBitsPerChannel) + "\n";
  t += "X Resolution = " + number(p.wXResolution) + "\n";
  t += "Y Resolution = " + number(p.wYResolution) + "\n";
  t += "Grey Channel = ";
  switch (p.wGreyChannel) {
    case 1:
      t += "RED ";
      break;
    case 2:
      t += "GREEN";
      break;
    case 4:
      t += "BLUE ";
      break;
    case 8:
      t += "NTSC ";
      break;
    default:
      t += "unknown type: 0x" + HexText(p.wGreyChannel);
  }
  t += "\nScan Method = ";
  switch (p.wScanMethod) {
    case 0:
      t += "Flatbed";
      break;
    case 1:
      t += "ADF";
      break;
    case 2:
      t += "XPA Positive";
      break;
    case 3:
      t += "XPA Negative";
      break;
    default:
      t += "unknown type: 0x" + HexText(p.wScanMethod);
  }
  t += "\n";
  t += '\0';
  return t;
}

inline std::string ExpectedBufferInfoDump(const BUFFER_INFO& info) {
  std::string t = " << BUFFER_INFO >>> \n";
  t += "Bytes Per Line = " + std::to_string(info.dwBytesPerLine) + "\n";
  t += "Pixel Width = " + std::to_string(info.dwPixelWidth) + "\n";
  t += "Pixel Height = " + std::to_string(info.dwPixelHeight) + "\n";
  t += '\0';
  return t;
}

}  // namespace zorvik::rules
