// Session churn on the scanner object (logging off) against the toolkit's
// bare load, resolve and unload.
#include "session_churn.h"

#include <windows.h>

#include "stopwatch.h"
#include "toolkit_entry_points.h"
#include "unique_resource.h"
#include "zorvik_object.h"

namespace zorvik::bench {
namespace {

constexpr int kRuns = 5;
constexpr int kCycles = 100;
constexpr DWORD kUsb = ZORVIK_DEVICE_IO_USB;
// The component loads the toolkit by this name, found beside the program.
constexpr char kToolkitName[] = "KELMARTK.DLL";

bool SessionCycle(zorvik& object) {
  DWORD session = 0, error = 0;
  return SUCCEEDED(object.OpenScannerSession(nullptr, kUsb, &session, &error)) &&
         SUCCEEDED(object.CloseScannerSession(session, &error));
}

bool BareLoad() {
  UniqueModule toolkit(LoadLibraryA(kToolkitName));
  if (!toolkit) return false;
  bool resolved = true;
  for (const char* name : kToolkitEntryPointNames)
    resolved &= GetProcAddress(toolkit.get(), name) != nullptr;
  return resolved;
}

double Microseconds(double seconds) { return seconds < 0 ? -1.0 : seconds * 1e6; }

}  // namespace

ChurnFigures MeasureSessionChurn() {
  ChurnFigures figures;
  zorvik object;
  figures.session_cycle =
      Microseconds(SecondsPerCall(kRuns, kCycles, [&] { return SessionCycle(object); }));
  figures.bare_load = Microseconds(SecondsPerCall(kRuns, kCycles, BareLoad));
  return figures;
}

}  // namespace zorvik::bench
