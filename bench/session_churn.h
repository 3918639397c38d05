// Opening and closing sessions beside the bare loading of the toolkit that
// each first open and last close must do.
#pragma once

namespace zorvik::bench {

struct ChurnFigures {
  double session_cycle = -1.0;  // us per OpenScannerSession + CloseScannerSession
  double bare_load = -1.0;      // us per LoadLibrary + 31 GetProcAddress + FreeLibrary
};

// Needs no session of the default device open in this process.
ChurnFigures MeasureSessionChurn();

}  // namespace zorvik::bench
