// The host program's hold on the scanner: an open session and the device
// lock taken on it, each given back when its owner goes out of scope, so a
// failure anywhere between open and close still unlocks and closes.
#pragma once

#include <windows.h>

#include <string>

#include "call_report.h"
#include "zorvik.h"

namespace zorvik::host {

// The device I/O type of OpenScannerSession: USB.
constexpr DWORD kUsbDevice = 1;
// The lock type that ties the device to this thread.
constexpr WORD kThreadLock = 1;

// A session on one device; CloseScannerSession when it ends. Open reports its
// own failure through `report`.
class OpenedSession {
 public:
  OpenedSession(IScanner* scanner, CallReport& report) : scanner_(scanner), report_(report) {}
  ~OpenedSession();
  OpenedSession(const OpenedSession&) = delete;
  OpenedSession& operator=(const OpenedSession&) = delete;

  // An empty `device` opens the toolkit's default device.
  bool Open(const std::wstring& device);
  DWORD handle() const { return handle_; }

 private:
  IScanner* scanner_;
  CallReport& report_;
  DWORD handle_ = 0;
  bool open_ = false;
};

// The device lock on an open session; UnlockScanner when it ends. A lock that
// times out is reported as another program holding the scanner.
class HeldLock {
 public:
  HeldLock(IScanner* scanner, const OpenedSession& session, CallReport& report)
      : scanner_(scanner), session_(session), report_(report) {}
  ~HeldLock();
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

  bool Lock(DWORD timeout_ms);

 private:
  IScanner* scanner_;
  const OpenedSession& session_;
  CallReport& report_;
  bool held_ = false;
};

}  // namespace zorvik::host
