// The console control handler of zorvik_scan.
#include "console_cancel.h"

#include <windows.h>

#include <atomic>

namespace zorvik::host {
namespace {

// The handler runs on a thread the system starts, so the request is shared
// through these two, set up once by the one ConsoleCancel.
std::atomic<bool> g_cancel_requested{false};
std::atomic<HANDLE> g_cleaned_up{nullptr};

// The system ends the process as soon as the handler of a console-close
// event returns (and at the latest after 5 seconds), so that handler waits
// for the clean-up, a little less than the system does.
constexpr DWORD kCloseCleanUpMs = 4500;

BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      g_cancel_requested = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_cancel_requested = true;
      if (HANDLE cleaned_up = g_cleaned_up) WaitForSingleObject(cleaned_up, kCloseCleanUpMs);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

ConsoleCancel::ConsoleCancel() : cleaned_up_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  g_cleaned_up = cleaned_up_.get();
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

ConsoleCancel::~ConsoleCancel() {
  if (cleaned_up_) SetEvent(cleaned_up_.get());
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  g_cleaned_up = nullptr;
}

bool ConsoleCancel::requested() const { return g_cancel_requested; }

}  // namespace zorvik::host
