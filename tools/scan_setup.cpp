// Parameters, gamma tables and the image reader of a scan.
#include "scan_setup.h"

#include <algorithm>

namespace zorvik::host {

bool SetUpScan(IScanner* scanner, DWORD session, const ScanOptions& options,
               const ScannerLimits& limits, CallReport& report, BUFFER_INFO* geometry) {
  SCANNER_PARAMETERS parameters = ToScannerParameters(options, limits);
  if (!report.Call("GetBufferInfo",
                   [&](DWORD* error) {
                     return scanner->GetBufferInfo(session, &parameters, geometry, error);
                   }) ||
      !report.Call("SetScannerParameters", [&](DWORD* error) {
        return scanner->SetScannerParameters(session, &parameters, error);
      })) {
    return false;
  }
  // The component's tables start as zeros, which turns every 8-bit sample
  // black: a scan without a gamma loads the identity.
  GammaTable table = MakeGammaTable(options.gamma.value_or(1.0));
  return report.Call("SetGammaTable", [&](DWORD* error) {
    return scanner->SetGammaTable(session, static_cast<DWORD>(table.size()), table.data(),
                                  table.data(), table.data(), error);
  });
}

ReadScanPiece ScanReader(IScanner* scanner, DWORD session, CallReport& report) {
  return [scanner, session, &report](uint8_t* buffer, uint32_t wanted) -> std::optional<uint32_t> {
    DWORD got = 0;
    if (!report.Call("ReadScanEx", [&](DWORD* error) {
          return scanner->ReadScanEx(session, buffer, wanted, &got, error);
        })) {
      return std::nullopt;
    }
    return got;
  };
}

ImageShape ScanImageShape(const ScanOptions& options, const BUFFER_INFO& geometry, uint32_t width) {
  ImageShape shape;
  shape.pixels = ScanPixelsFor(options.mode, options.depth);
  shape.width = std::min<uint32_t>(width, geometry.dwPixelWidth);
  shape.height = geometry.dwPixelHeight;
  shape.bytes_per_line = geometry.dwBytesPerLine;
  shape.x_dpi = options.x_resolution;
  shape.y_dpi = options.y_resolution;
  return shape;
}

}  // namespace zorvik::host
