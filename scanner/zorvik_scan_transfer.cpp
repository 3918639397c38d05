// The scan itself: programming and starting the toolkit, moving image bytes
// straight from the toolkit into the host's buffer, and stopping. The object
// keeps no scan state; which call is allowed when is the toolkit's to say.
#include "device_call.h"
#include "logger.h"
#include "record_dump_logging.h"
#include "record_dumps.h"
#include "session_call.h"
#include "toolkit_step.h"
#include "zorvik_object.h"

namespace zorvik {
namespace {

// The toolkit's gamma channel numbers.
constexpr uint8_t kGammaChannelRed = 1;
constexpr uint8_t kGammaChannelGreen = 2;
constexpr uint8_t kGammaChannelBlue = 3;

// Sends the session's scan record and gamma tables and starts the scan, with
// the device already selected; stops at the first request refused.
bool ProgramAndStart(CToolkitInterface& toolkit, CScannerSession& session) {
  const uint16_t entries = kGammaTableSize;
  return toolkit.SetScanParameter(&session.scan_parameters()) != 0 &&
         toolkit.SetGammaTable(session.red_gamma(), kGammaChannelRed, entries) != 0 &&
         toolkit.SetGammaTable(session.green_gamma(), kGammaChannelGreen, entries) != 0 &&
         toolkit.SetGammaTable(session.blue_gamma(), kGammaChannelBlue, entries) != 0 &&
         toolkit.StartScan() != 0;
}

// One toolkit read of exactly `bytes` bytes into the host's buffer. A read
// the toolkit reports done but whose status byte it set has failed too.
bool ReadImageBytes(CSessionCall& call, BYTE* buffer, DWORD bytes) {
  return call.CallToolkit([buffer, bytes](CToolkitInterface& toolkit) {
    uint8_t status = 0;
    return toolkit.ReadScan(&status, buffer, bytes) != 0 && status == 0;
  });
}

}  // namespace

HRESULT zorvik::StartScan(DWORD hSession, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::StartScan", hSession, pdwErrorCode);
  CLogger log(LOG_ATTR_DETAIL);
  if (!call.BeginDeviceCall()) return call.result();

  // The device is selected once for the five requests: they are one
  // ToolkitStep, which also keeps SetScannerParameters and SetGammaTable of
  // other threads (under a PROCESS lock) from changing the record and tables
  // while they are dumped and sent.
  CScannerSession& session = call.session();
  const ToolkitStep step;
  LogRecordDump(log, DumpToolkitScanParameter, session.scan_parameters());
  call.CallToolkit(
      [&](CToolkitInterface& toolkit) { return ProgramAndStart(toolkit, session) ? 1 : 0; });
  return call.result();
}

HRESULT zorvik::StopScan(DWORD hSession, DWORD* pdwErrorCode) {
  return RunDeviceCall("zorvik::StopScan", hSession, pdwErrorCode, 0, {},
                       [](CToolkitInterface& toolkit) { return toolkit.StopScan(); });
}

HRESULT zorvik::ReadScan(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::ReadScan", hSession, pdwErrorCode);
  if (call.BeginDeviceCall({pbyBuffer})) ReadImageBytes(call, pbyBuffer, dwBytes);
  return call.result();
}

HRESULT zorvik::ReadScanEx(DWORD hSession, BYTE* pbyBuffer, DWORD dwBytes, DWORD* pdwBytesRead,
                           DWORD* pdwErrorCode) {
  // Traced under ReadScan's label: in the log the two are one operation.
  CSessionCall call("zorvik::ReadScan", hSession, pdwErrorCode);
  if (!call.BeginCall({pbyBuffer, pdwBytesRead})) return call.result();
  *pdwBytesRead = 0;
  // The toolkit reports no count of its own: a read that succeeds delivered
  // the whole request.
  if (call.BeginDeviceCall() && ReadImageBytes(call, pbyBuffer, dwBytes)) *pdwBytesRead = dwBytes;
  return call.result();
}

}  // namespace zorvik
