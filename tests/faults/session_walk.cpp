// The steps of a whole session and the walk through them.
#include "session_walk.h"

#include "../scanner/scan_parameter_row.h"
#include "driver_error.h"
#include "scanner_lock.h"

namespace zorvik::test {

namespace {

// A one-inch colour window at the lowest resolution: a small image, so a
// walk costs little, read in two pieces of kReadBytes.
constexpr DWORD kReadBytes = 64;

SCANNER_PARAMETERS SmallScan() { return ToParameters({kColor, 0, 8, 75, 75, 0, 0, 300, 300}); }

ToolkitCall Mapped(const char* entry_point) { return ToolkitCall{entry_point}; }

ToolkitCall Ignored(const char* entry_point) {
  ToolkitCall call{entry_point};
  call.outcome = FailureOutcome::kResultIgnored;
  return call;
}

ToolkitCall Read(FaultForm form, uint32_t image_offset) {
  ToolkitCall call{"ReadScan"};
  call.form = form;
  call.image_offset = image_offset;
  return call;
}

std::vector<SessionStep> MakeSteps() {
  using Walk = SessionWalk;
  ToolkitCall initialize_scanner = Mapped("InitializeScanner");
  initialize_scanner.calls_when_failing = 10;  // the open's retries
  ToolkitCall clear_io_handle = Mapped("ClearIOHandle");
  clear_io_handle.outcome = FailureOutcome::kUnknownError;

  return {
      {{"open",
        "OpenScannerSession",
        {Ignored("SetIOHandle"), Mapped("InitializeDriver"), initialize_scanner,
         Mapped("InitialButton"), Mapped("GetScannerAbilityEx")}},
       [](Walk& w, DWORD* e) {
         return w.scanner().OpenScannerSession(w.device_path().data(), 1, &w.handle, e);
       }},
      {{"lock", "LockScanner", {}},
       [](Walk& w, DWORD* e) { return w.scanner().LockScanner(w.handle, kLockTypeThread, 0, e); }},
      {{"capabilities", "GetScannerCapabilities", {}},
       [](Walk& w, DWORD* e) {
         SCANNER_CAPABILITIES capabilities;
         return w.scanner().GetScannerCapabilities(w.handle, &capabilities, e);
       }},
      {{"parameters", "GetBufferInfo", {}},
       [](Walk& w, DWORD* e) {
         SCANNER_PARAMETERS params = SmallScan();
         BUFFER_INFO info;
         return w.scanner().GetBufferInfo(w.handle, &params, &info, e);
       }},
      {{"parameters", "SetScannerParameters", {}},
       [](Walk& w, DWORD* e) {
         SCANNER_PARAMETERS params = SmallScan();
         return w.scanner().SetScannerParameters(w.handle, &params, e);
       }},
      {{"gamma", "SetGammaTable", {}},
       [](Walk& w, DWORD* e) {
         BYTE table[256];
         for (int i = 0; i < 256; ++i) table[i] = static_cast<BYTE>(i);
         return w.scanner().SetGammaTable(w.handle, sizeof table, table, table, table, e);
       }},
      {{"lamp", "LampOn", {Mapped("LampOn")}},
       [](Walk& w, DWORD* e) { return w.scanner().LampOn(w.handle, e); }},
      {{"lamp", "GetLampStatus", {Mapped("GetLightStatus")}},
       [](Walk& w, DWORD* e) {
         BYTE lamp = 0;
         return w.scanner().GetLampStatus(w.handle, &lamp, e);
       }},
      // The three gamma tables, red, green, blue, go to the toolkit here.
      {{"scan start",
        "StartScan",
        {Mapped("SetScanParameter"), Mapped("SetGammaTable"), Mapped("SetGammaTable"),
         Mapped("SetGammaTable"), Mapped("StartScan")}},
       [](Walk& w, DWORD* e) { return w.scanner().StartScan(w.handle, e); }},
      {{"scan read",
        "ReadScan",
        {Mapped("ReadScan"), Read(FaultForm::kReadStatusByte, 0),
         Read(FaultForm::kReadFailsPartWay, 0)}},
       [](Walk& w, DWORD* e) {
         BYTE image[kReadBytes];
         return w.scanner().ReadScan(w.handle, image, sizeof image, e);
       }},
      {{"scan read",
        "ReadScanEx",
        {Mapped("ReadScan"), Read(FaultForm::kReadStatusByte, kReadBytes),
         Read(FaultForm::kReadFailsPartWay, kReadBytes)}},
       [](Walk& w, DWORD* e) {
         BYTE image[kReadBytes];
         DWORD read = 0xDEADBEEF;
         const HRESULT result = w.scanner().ReadScanEx(w.handle, image, sizeof image, &read, e);
         // A failed read reports no bytes; a good one the whole request.
         if (read != (SUCCEEDED(result) ? kReadBytes : 0)) return E_UNEXPECTED;
         return result;
       }},
      {{"scan stop", "StopScan", {Mapped("StopScan")}},
       [](Walk& w, DWORD* e) { return w.scanner().StopScan(w.handle, e); }},
      {{"lamp", "LampOff", {Mapped("LampOff")}},
       [](Walk& w, DWORD* e) { return w.scanner().LampOff(w.handle, e); }},
      {{"reset", "ResetScanner", {Mapped("ResetScanner")}},
       [](Walk& w, DWORD* e) { return w.scanner().ResetScanner(w.handle, e); }},
      {{"buttons", "GetButtonCount", {}},
       [](Walk& w, DWORD* e) {
         WORD count = 0;
         return w.scanner().GetButtonCount(w.handle, &count, e);
       }},
      {{"buttons", "GetButtonState", {Mapped("ReadPushButton")}},
       [](Walk& w, DWORD* e) {
         BYTE state = 0xEE;
         const HRESULT result = w.scanner().GetButtonState(w.handle, 1, &state, e);
         // Cleared before the checks, so 0 after a failure too.
         return state == 0 ? result : E_UNEXPECTED;
       }},
      {{"buttons", "GetButtonStateEx", {Mapped("ReadPushButton")}},
       [](Walk& w, DWORD* e) {
         BYTE states[4] = {};
         return w.scanner().GetButtonStateEx(w.handle, sizeof states, states, e);
       }},
      {{"buttons", "ResetButtonsEx", {Mapped("ResetPushButton")}},
       [](Walk& w, DWORD* e) { return w.scanner().ResetButtonsEx(w.handle, e); }},
      {{"unlock", "UnlockScanner", {}},
       [](Walk& w, DWORD* e) { return w.scanner().UnlockScanner(w.handle, e); }},
      {{"close", "CloseScannerSession", {clear_io_handle, Ignored("TerminateDriver")}},
       [](Walk& w, DWORD* e) { return w.scanner().CloseScannerSession(w.handle, e); }},
  };
}

}  // namespace

const std::vector<SessionStep>& SessionSteps() {
  static const std::vector<SessionStep> kSteps = MakeSteps();
  return kSteps;
}

std::vector<StepCalls> SessionStepCalls() {
  std::vector<StepCalls> calls;
  for (const SessionStep& step : SessionSteps()) calls.push_back(step.calls);
  return calls;
}

WalkOutcome SessionWalk::Run() {
  WalkOutcome outcome;
  const std::vector<SessionStep>& steps = SessionSteps();
  handle = 0;
  for (size_t i = 0; i < steps.size(); ++i) {
    DWORD error = 0xDEADBEEF;
    const HRESULT result = steps[i].run(*this, &error);
    if (result != S_OK || error != kErrNoError) {
      outcome.failing_step = static_cast<int>(i);
      outcome.result = result;
      outcome.error = error;
      break;
    }
  }
  const bool ended_by_close =
      outcome.failing_step == -1 || outcome.failing_step == static_cast<int>(steps.size()) - 1;
  if (handle != 0 && !ended_by_close) {
    DWORD error = 0;
    scanner_.UnlockScanner(handle, &error);
    outcome.teardown_result = scanner_.CloseScannerSession(handle, &outcome.teardown_error);
  }
  if (handle != 0) {
    DWORD error = 0;
    scanner_.CloseScannerSession(handle, &error);
    outcome.had_handle = true;
    outcome.stale_handle_error = error;
  }
  return outcome;
}

}  // namespace zorvik::test
