// The steps every scan of a host takes with the session open and locked:
// the parameters, the gamma tables, and the reader of the image that
// reports a failed read. Shared by zorvik_scan and zorvik_share.
#pragma once

#include "call_report.h"
#include "scan_request.h"
#include "scan_transfer.h"
#include "zorvik.h"

namespace zorvik::host {

// GetBufferInfo (into `geometry`), SetScannerParameters and SetGammaTable
// (the identity unless `options` asks for a gamma). False when one failed;
// `report` says which.
bool SetUpScan(IScanner* scanner, DWORD session, const ScanOptions& options,
               const ScannerLimits& limits, CallReport& report, BUFFER_INFO* geometry);

// Reads the image through ReadScanEx; a failed read is reported and ends
// the transfer.
ReadScanPiece ScanReader(IScanner* scanner, DWORD session, CallReport& report);

// The image's shape for the writer: the scanner's geometry, `width` pixels
// kept of each line.
ImageShape ScanImageShape(const ScanOptions& options, const BUFFER_INFO& geometry, uint32_t width);

}  // namespace zorvik::host
