// The host program's hold on the scanner: an open session and the device
// lock taken on it, each given back when its owner goes out of scope, so a
// failure anywhere between open and close still unlocks and closes.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "call_report.h"
#include "zorvik.h"

namespace zorvik::host {

// How long the program may wait for a scanner that another program holds,
// all told: opening (which itself waits a few seconds for the device lock of
// a device no session of this process has open) and locking share one
// deadline. A user's cancel ends the wait early.
class ScannerWait {
 public:
  ScannerWait(uint32_t timeout_ms, std::function<bool()> cancelled);

  uint32_t timeout_ms() const { return timeout_ms_; }
  uint32_t RemainingMs() const;
  bool Cancelled() const { return cancelled_ && cancelled_(); }
  // Sleeps up to `ms`, never past the deadline; false when the wait is over
  // (deadline reached or cancelled).
  bool Pause(uint32_t ms) const;

 private:
  uint32_t timeout_ms_;
  std::chrono::steady_clock::time_point deadline_;
  std::function<bool()> cancelled_;
};

// Whether `error`, from opening or locking the scanner, means that another
// program holds it. A program that gives the scanner back unlocks before it
// closes the device, which cannot be opened until then: "not found" counts
// too once the scanner is known to be there (it was busy a moment ago, or
// was reached before).
bool HeldByAnotherProgram(uint32_t error, bool known_to_be_there);

// Where the waiting notices go: the user's terminal, and whether -p asked
// for a progress line.
struct WaitOutput {
  std::ostream& out;
  bool progress = false;
};

// A session on one device; CloseScannerSession when it ends. Open reports its
// own failure through `report`.
class OpenedSession {
 public:
  OpenedSession(IScanner* scanner, CallReport& report) : scanner_(scanner), report_(report) {}
  ~OpenedSession();
  OpenedSession(const OpenedSession&) = delete;
  OpenedSession& operator=(const OpenedSession&) = delete;

  // An empty `device` opens the toolkit's default device. While another
  // program holds the scanner the open is retried until `wait` runs out,
  // saying so once; an open that takes longer than a second is announced.
  // False when it did not open; after a cancel, without a failure line.
  bool Open(const std::wstring& device, const ScannerWait& wait, const WaitOutput& output);
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

  // Waits for the lock in short slices until `wait` runs out, so that a
  // cancel is noticed. False when it was not taken; after a cancel, without
  // a failure line.
  bool Lock(const ScannerWait& wait);

 private:
  IScanner* scanner_;
  const OpenedSession& session_;
  CallReport& report_;
  bool held_ = false;
};

}  // namespace zorvik::host
