// The three interface records with the Windows integer types spelled as
// fixed-width types, so that the component's pure logic builds natively for
// the fuzzers. Layouts are checked against the interface's fixed sizes and
// offsets; the Windows build uses the IDL compiler's header instead.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zorvik_contract.h"

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;

typedef struct SCANNER_CAPABILITIES {
  BYTE byModelNumber[16];
  WORD wLampWarmupTime;
  WORD wOpticalResolution;
  WORD wMaximumXResolution;
  WORD wMaximumYResolution;
  WORD wMinimumResolution;
  DWORD dwMaximumWidth;
  DWORD dwMinimumWidth;
  DWORD dwMaximumHeight;
  DWORD dwMinimumHeight;
  WORD wRawPixelOrder;
  WORD wPixelPacking;
  DWORD dwScanModesSupported;
  DWORD dwScanOptionsSupported;
  WORD wGreyChannelsSupported;
  WORD wPaperPath;
  WORD wGammaTableSize;
  BYTE byColorBitsPerChannel[8];
  BYTE byGreyBitsPerChannel[8];
  DWORD dwReserved[11];
} SCANNER_CAPABILITIES;

typedef struct SCANNER_PARAMETERS {
  DWORD dwLeft;
  DWORD dwTop;
  DWORD dwWidth;
  DWORD dwLength;
  DWORD dwScanMode;
  DWORD dwScanOptions;
  BYTE byBitsPerChannel;
  WORD wXResolution;
  WORD wYResolution;
  WORD wGreyChannel;
  WORD wScanMethod;
  DWORD dwReserved[12];
} SCANNER_PARAMETERS;

typedef struct BUFFER_INFO {
  DWORD dwPixelWidth;
  DWORD dwPixelHeight;
  DWORD dwBytesPerLine;
  DWORD dwReserved[10];
} BUFFER_INFO;

static_assert(sizeof(SCANNER_CAPABILITIES) == 124);
static_assert(sizeof(SCANNER_PARAMETERS) == 84);
static_assert(sizeof(BUFFER_INFO) == 52);
static_assert(offsetof(SCANNER_PARAMETERS, wXResolution) == 26);
static_assert(offsetof(SCANNER_PARAMETERS, dwReserved) == 36);
static_assert(offsetof(SCANNER_CAPABILITIES, dwReserved) == 80);
