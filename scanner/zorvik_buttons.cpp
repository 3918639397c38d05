// The front-panel buttons: their count, the press the toolkit has recorded,
// and clearing it. Every line and trace here carries LOG_ATTR_BUTTON, so a
// host polling in a loop can keep them out of the log.
#include <cstring>

#include "device_call.h"
#include "driver_error.h"
#include "logger.h"
#include "session_call.h"
#include "toolkit_records.h"
#include "zorvik_object.h"

namespace zorvik {
namespace {

// The press the toolkit has recorded, if any; false when the toolkit refused
// the poll (the call then holds the mapped reason).
bool PollButtons(CSessionCall& call, TOOLKIT_BUTTON_EVENT& event) {
  event = {};
  return call.CallToolkit(
      [&event](CToolkitInterface& toolkit) { return toolkit.ReadPushButton(&event); });
}

bool IsPressRecorded(const TOOLKIT_BUTTON_EVENT& event) {
  return (event.Flags & kButtonPressLatched) != 0;
}

}  // namespace

HRESULT zorvik::GetButtonCount(DWORD hSession, WORD* pwButtonCount, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::GetButtonCount", hSession, pdwErrorCode, LOG_ATTR_BUTTON);
  CLogger log(LOG_ATTR_BUTTON);
  if (!call.BeginCall({pwButtonCount})) return call.result();
  *pwButtonCount = 0;
  if (!call.BeginDeviceCall()) return call.result();
  *pwButtonCount = call.session().buttons().ButtonCount;
  log.WriteFormatted("Button count is %d", static_cast<int>(*pwButtonCount));
  return call.result();
}

HRESULT zorvik::GetButtonState(DWORD hSession, BYTE byIndex, BYTE* pbyState, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::GetButtonState", hSession, pdwErrorCode, LOG_ATTR_BUTTON);
  CLogger log(LOG_ATTR_BUTTON);
  if (!call.BeginCall({pbyState})) return call.result();
  *pbyState = 0;
  TOOLKIT_BUTTON_EVENT event;
  if (!call.BeginDeviceCall() || !PollButtons(call, event)) return call.result();
  if (IsPressRecorded(event) && event.Number == byIndex) {
    *pbyState = 1;
    log.WriteFormatted("Button %d has been pressed", static_cast<int>(byIndex));
  }
  return call.result();
}

HRESULT zorvik::GetButtonStateEx(DWORD hSession, BYTE byCount, BYTE* pState, DWORD* pdwErrorCode) {
  CSessionCall call("zorvik::GetButtonStateEx", hSession, pdwErrorCode, LOG_ATTR_BUTTON);
  CLogger log(LOG_ATTR_BUTTON);
  TOOLKIT_BUTTON_EVENT event;
  if (!call.BeginDeviceCall({pState}) || !PollButtons(call, event)) return call.result();
  std::memset(pState, 0, byCount);
  if (IsPressRecorded(event)) {
    // Buttons are numbered from 1: a press without a number names none.
    if (event.Number == 0) {
      call.Fail(kErrUnknownToolkitError);
      return call.result();
    }
    // A button beyond the host's array is left out rather than written past it.
    if (event.Number <= byCount) pState[event.Number - 1] = 1;
  }
  // Log readers have always seen the element number here, counted from 0.
  for (int element = 0; element < byCount; ++element) {
    if (pState[element] != 0) log.WriteFormatted("Button %d has been pressed", element);
  }
  return call.result();
}

HRESULT zorvik::ResetButton(DWORD hSession, BYTE /*byIndex*/, DWORD* pdwErrorCode) {
  // Clearing one button is not supported; the handle is not even looked at.
  CSessionCall call("zorvik::ResetButton", hSession, pdwErrorCode, LOG_ATTR_BUTTON);
  call.SetResult(E_NOTIMPL);
  if (call.BeginCall()) *pdwErrorCode = kErrNotImplemented;
  return call.result();
}

HRESULT zorvik::ResetButtonsEx(DWORD hSession, DWORD* pdwErrorCode) {
  return RunDeviceCall("zorvik::ResetButtonsEx", hSession, pdwErrorCode, LOG_ATTR_BUTTON, {},
                       [](CToolkitInterface& toolkit) { return toolkit.ResetPushButton(); });
}

}  // namespace zorvik
