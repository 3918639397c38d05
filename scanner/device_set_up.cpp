// Bringing a new session's device up, step by step; each step that fails
// names its reason in the driver error code and in the log.
#include "device_set_up.h"

#include <memory>
#include <new>

#include "driver_error.h"
#include "map_toolkit_status.h"
#include "open_timing.h"
#include "record_dump_logging.h"
#include "record_dumps.h"

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

// The scanner may need several calls to come up: after a failed first call
// it is asked again, after a pause, until it answers exactly 1 or ten calls
// were made. True when the last answer was not 0.
bool InitializeScannerWithRetries(CToolkitInterface& toolkit, CLogger& log) {
  int32_t answer = toolkit.InitializeScanner();
  if (answer != 0) return true;
  log.WriteLine("First call to InitializeScanner() failed, trying again");
  for (int attempt = 2; attempt <= kInitializeRetries + 1 && answer != 1; ++attempt) {
    PauseBeforeInitializeRetry();
    log.WriteFormatted("IntializeScanner() attempt #%d", attempt);
    answer = toolkit.InitializeScanner();
  }
  return answer != 0;
}

}  // namespace

HRESULT SetUpDevice(CScannerSession& session, const char* device_path, DWORD io_type, CLogger& log,
                    DWORD* error_code) {
  if (!session.lock().Lock(kLockTypeThread, OpenLockTimeoutMs()))
    return Fail(error_code, kErrScannerLockFailed);

  std::unique_ptr<CToolkitInterface> binding(new (std::nothrow) CToolkitInterface(LOWORD(io_type)));
  if (!binding || !binding->IsValid()) {
    LogWhyToolkitIsUnusable(binding.get(), io_type, log);
    return Fail(error_code, kErrToolkitOpenFailure);
  }
  session.set_toolkit(std::move(binding));
  CToolkitInterface& toolkit = *session.toolkit();

  if (device_path != nullptr) {
    UniqueHandle device(CreateFileA(device_path, kDeviceAccess, kDeviceSharing, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr));
    if (!device) {
      log.WriteFormatted("Cannot open device %s, error %d", device_path,
                         static_cast<int>(GetLastError()));
      return Fail(error_code, kErrScannerNotFound);
    }
    session.set_device(std::move(device), io_type);
    log.WriteFormatted("I/O DevName is %s, DeviceType is %s", device_path,
                       io_type == kUsbDeviceType ? "USB" : "Parallel");
  }

  session.SelectDevice();
  if (toolkit.InitializeDriver() == 0 || !InitializeScannerWithRetries(toolkit, log) ||
      toolkit.InitialButton(&session.buttons()) == 0 ||
      toolkit.GetScannerAbilityEx(&session.ability()) == 0)
    return MapToolkitStatus(session, error_code);

  LogRecordDump(log, DumpToolkitAbility, session.ability());
  session.lock().Unlock();
  return S_OK;
}

}  // namespace zorvik
