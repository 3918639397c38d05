// What the host learns and sets before a scan: the scanner's capabilities,
// the geometry of the image a scan request gives, and the translation of the
// request into the toolkit record that StartScan sends.
#include <cstring>

#include "capabilities.h"
#include "driver_error.h"
#include "logger.h"
#include "record_dump_logging.h"
#include "record_dumps.h"
#include "scan_geometry.h"
#include "scan_parameter_translation.h"
#include "session_call.h"
#include "toolkit_step.h"
#include "zorvik_object.h"

namespace zorvik {

HRESULT zorvik::GetScannerCapabilities(DWORD hSession, SCANNER_CAPABILITIES* pScannerCapabilities,
                                       DWORD* pdwErrorCode) {
  // The label's spelling is the one log readers have always searched for.
  CSessionCall call("zorvik::GetScannerCababilities", hSession, pdwErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginCall({pScannerCapabilities})) return call.result();
  // Cleared before the checks: a refused call hands back an all-zero record.
  std::memset(pScannerCapabilities, 0, sizeof *pScannerCapabilities);
  if (!call.BeginDeviceCall()) return call.result();

  FillScannerCapabilities(call.session().ability(), *pScannerCapabilities);
  LogRecordDump(log, DumpScannerCapabilities, *pScannerCapabilities);
  return call.result();
}

HRESULT zorvik::GetBufferInfo(DWORD hSession, SCANNER_PARAMETERS* pScanParam,
                              BUFFER_INFO* pBufferInfo, DWORD* pdwdErrorCode) {
  CSessionCall call("zorvik::GetBufferInfo", hSession, pdwdErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginDeviceCall({pScanParam, pBufferInfo})) return call.result();
  // A toolkit that reported no colour pixel bound cannot be trusted with any
  // geometry.
  if (call.session().ability().ColorPixelBound == 0) {
    call.Fail(kErrUnknownToolkitError);
    return call.result();
  }
  BUFFER_INFO geometry{};
  if (const DriverError error = ComputeScanGeometry(*pScanParam, geometry); error != kErrNoError) {
    call.Fail(error);
    return call.result();
  }
  *pBufferInfo = geometry;
  LogRecordDump(log, DumpBufferInfo, *pBufferInfo);
  return call.result();
}

HRESULT zorvik::SetScannerParameters(DWORD hSession, SCANNER_PARAMETERS* pScanParam,
                                     DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::SetScannerParameters", hSession, pdwErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginDeviceCall({pScanParam})) return call.result();
  // Dumped before any field is checked, so a refused request is in the log
  // as the host sent it.
  LogRecordDump(log, DumpScannerParameters, *pScanParam);
  CScannerSession& session = call.session();
  // Written in a ToolkitStep, as StartScan sends it in one: another thread's
  // StartScan never sends a record half old and half new.
  const ToolkitStep step;
  const DriverError error = TranslateScanParameters(
      *pScanParam, ToolkitModelName(session.ability()), session.scan_parameters());
  if (error != kErrNoError) call.Fail(error);
  return call.result();
}

}  // namespace zorvik
