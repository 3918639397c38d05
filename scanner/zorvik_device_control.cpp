// The lamp, the device's reset and initialisation check, and the session's
// gamma tables.
#include <cstring>

#include "device_call.h"
#include "driver_error.h"
#include "session_call.h"
#include "toolkit_records.h"
#include "toolkit_step.h"
#include "zorvik_object.h"

namespace zorvik {

HRESULT zorvik::GetLampStatus(DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode) {
  // The toolkit stores the lamp state straight through the host's pointer,
  // so a null one is refused before the toolkit sees it.
  return RunDeviceCall(
      "zorvik::GetLampStatus", hSession, pdwErrorCode, 0, {pbLampOn},
      [pbLampOn](CToolkitInterface& toolkit) { return toolkit.GetLightStatus(pbLampOn); });
}

HRESULT zorvik::LampOn(DWORD hSession, DWORD* pdwErrorCode) {
  return RunDeviceCall("zorvik::LampOn", hSession, pdwErrorCode, 0, {},
                       [](CToolkitInterface& toolkit) { return toolkit.LampOn(); });
}

HRESULT zorvik::LampOff(DWORD hSession, DWORD* pdwErrorCode) {
  return RunDeviceCall("zorvik::LampOff", hSession, pdwErrorCode, 0, {},
                       [](CToolkitInterface& toolkit) { return toolkit.LampOff(); });
}

HRESULT zorvik::InitializeScanner(DWORD hSession, DWORD* pdwErrorCode) {
  // The toolkit's InitializeScanner, with its retries, belongs to the
  // session's first open; here the host only learns whether its handle is
  // good and whether it holds the lock.
  CSessionCall call("zorvik::InitializeScanner", hSession, pdwErrorCode);
  call.BeginDeviceCall();
  return call.result();
}

HRESULT zorvik::ResetScanner(DWORD hSession, DWORD* pdwErrorCode) {
  return RunDeviceCall("zorvik::ResetScanner", hSession, pdwErrorCode, 0, {},
                       [](CToolkitInterface& toolkit) {
                         // The toolkit may write here; nothing in it is used.
                         uint8_t scratch[kResetScratchSize];
                         return toolkit.ResetScanner(scratch);
                       });
}

HRESULT zorvik::SetGammaTable(DWORD hSession, DWORD uSz, BYTE* pbyRed, BYTE* pbyGreen,
                              BYTE* pbyBlue, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::SetGammaTable", hSession, pdwErrorCode);
  if (!call.BeginDeviceCall({pbyRed, pbyGreen, pbyBlue})) return call.result();
  // Each table has kGammaTableSize entries; a longer one would overrun the
  // session record, so it is refused whole rather than cut.
  if (uSz > kGammaTableSize) {
    call.Fail(kErrInvalidParameter);
    return call.result();
  }
  CScannerSession& session = call.session();
  // StartScan sends the tables inside a ToolkitStep; writing them in one
  // keeps another thread's StartScan (under a PROCESS lock) from sending a
  // table half old and half new.
  const ToolkitStep step;
  std::memcpy(session.red_gamma(), pbyRed, uSz);
  std::memcpy(session.green_gamma(), pbyGreen, uSz);
  std::memcpy(session.blue_gamma(), pbyBlue, uSz);
  return call.result();
}

}  // namespace zorvik
