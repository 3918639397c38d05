// Bringing a new session's device up, step by step; each step that fails
// names its reason in the driver error code and in the log.
#include "device_set_up.h"

#include <memory>
#include <new>

#include "driver_error.h"
#include "toolkit_failure_reason.h"
#include "open_timing.h"
#include "record_dump_logging.h"
#include "record_dumps.h"
#include "toolkit_step.h"

namespace zorvik {

namespace {

constexpr DWORD kDeviceAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kDeviceSharing = 0;
constexpr DWORD kUsbDeviceType = ZORVIK_DEVICE_IO_USB;

HRESULT Fail(DWORD* error_code, DWORD code) {
  *error_code = code;
  return E_FAIL;
}

void LogWhyToolkitIsUnusable(const CToolkitInterface* toolkit, DWORD io_type, CLogger& log) {
  if (toolkit == nullptr) {
    log.WriteLine("No memory for the toolkit interface");
  } else if (toolkit->IoType() != kToolkitUsbIoType) {
    log.WriteFormatted("DeviceType 0x%lx is not USB, the toolkit is not loaded", io_type);
  } else if (toolkit->MissingEntryPoint() != nullptr) {
    log.WriteFormatted("KELMARTK.DLL lacks the entry point %s", toolkit->MissingEntryPoint());
  } else {
    log.WriteLine("KELMARTK.DLL could not be loaded");
  }
}

enum class StartUpOutcome { kDone, kFailed, kAskScannerAgain };

// The start-up requests from call `attempt` of InitializeScanner on (1:
// InitializeDriver first), made as one request: one selection, one
// ToolkitStep, so that no other thread's selection comes between them, and
// a failure's reason asked in the same step. The scanner may need several
// calls to come up: after a failed first call it is asked again, after a
// pause outside the step, until it answers exactly 1 or ten calls were made;
// the last answer counts as success unless it is 0.
StartUpOutcome StartUpFrom(int attempt, CScannerSession& session, DWORD* error_code) {
  const ToolkitStep step;
  bool ask_again = false;
  const int32_t done = session.MakeRequest([&](CToolkitInterface& toolkit) {
    if (attempt == 1 && toolkit.InitializeDriver() == 0) return false;
    const int32_t answer = toolkit.InitializeScanner();
    ask_again = attempt == 1 ? answer == 0 : answer != 1 && attempt <= kInitializeRetries;
    return !ask_again && answer != 0 && toolkit.InitialButton(&session.buttons()) != 0 &&
           toolkit.GetScannerAbilityEx(&session.ability()) != 0;
  });
  if (ask_again) return StartUpOutcome::kAskScannerAgain;
  if (done != 0) return StartUpOutcome::kDone;
  MapToolkitStatus(session, error_code);
  return StartUpOutcome::kFailed;
}

// The binding for `io_type`, kept in the session when it is usable. Loading
// is a ToolkitStep: a binding that turns out unusable ends the toolkit as it
// goes, and that is a request too.
bool BindToolkit(CScannerSession& session, DWORD io_type, CLogger& log) {
  const ToolkitStep step;
  std::unique_ptr<CToolkitInterface> binding(new (std::nothrow) CToolkitInterface(LOWORD(io_type)));
  if (!binding || !binding->IsValid()) {
    LogWhyToolkitIsUnusable(binding.get(), io_type, log);
    return false;
  }
  session.set_toolkit(std::move(binding));
  return true;
}

}  // namespace

HRESULT SetUpDevice(CScannerSession& session, const char* device_path, DWORD io_type, CLogger& log,
                    DWORD* error_code) {
  if (!session.lock().Lock(kLockTypeThread, OpenLockTimeoutMs()))
    return Fail(error_code, kErrScannerLockFailed);

  if (!BindToolkit(session, io_type, log)) return Fail(error_code, kErrToolkitOpenFailure);

  if (device_path != nullptr) {
    UniqueHandle device(CreateFileA(device_path, kDeviceAccess, kDeviceSharing, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr));
    if (!device) {
      log.WriteFormatted("Cannot open device %s, error %d", device_path,
                         static_cast<int>(GetLastError()));
      return Fail(error_code, kErrScannerNotFound);
    }
    session.set_device(std::move(device));
    log.WriteFormatted("I/O DevName is %s, DeviceType is %s", device_path,
                       io_type == kUsbDeviceType ? "USB" : "Parallel");
  }

  StartUpOutcome outcome = StartUpFrom(1, session, error_code);
  if (outcome == StartUpOutcome::kAskScannerAgain)
    log.WriteLine("First call to InitializeScanner() failed, trying again");
  for (int attempt = 2; outcome == StartUpOutcome::kAskScannerAgain; ++attempt) {
    PauseBeforeInitializeRetry();
    log.WriteFormatted("IntializeScanner() attempt #%d", attempt);
    outcome = StartUpFrom(attempt, session, error_code);
  }
  if (outcome == StartUpOutcome::kFailed) return E_FAIL;

  LogRecordDump(log, DumpToolkitAbility, session.ability());
  session.lock().Unlock();
  return S_OK;
}

}  // namespace zorvik
