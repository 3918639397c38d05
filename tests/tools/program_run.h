// Runs zorvik_scan.exe (beside the test) as a user would and collects what
// it printed and its exit status.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "started_process.h"
#include "unique_resource.h"

namespace zorvik::test {

struct ProgramRun {
  DWORD exit_code = 0xFFFFFFFF;
  // Line ends read as "\n".
  std::string output;  // standard output, then standard error
  std::string errors;  // standard error alone
};

// zorvik_scan.exe running, its output going to temporary files. Killed on
// destruction if it is still running.
class ZorvikScanProcess {
 public:
  explicit ZorvikScanProcess(const std::wstring& arguments);
  ~ZorvikScanProcess();
  ZorvikScanProcess(const ZorvikScanProcess&) = delete;
  ZorvikScanProcess& operator=(const ZorvikScanProcess&) = delete;

  bool started() const { return process_ && process_->started(); }
  DWORD id() const { return process_ ? process_->id() : 0; }
  // True while the program has not ended.
  bool Running() const { return process_ && process_->Running(); }
  // Waits at most `timeout_ms`; a program that does not end in time is
  // terminated and reads as exit code 0xFFFFFFFF.
  ProgramRun Wait(DWORD timeout_ms = 30000);
  // Ends the program at once, as a kill -9 would.
  void Kill() {
    if (process_) process_->Kill();
  }

 private:
  UniqueHandle output_;
  UniqueHandle errors_;
  std::unique_ptr<StartedProcess> process_;
};

// Runs zorvik_scan.exe with `arguments` and waits at most 30 seconds.
ProgramRun RunZorvikScan(const std::wstring& arguments);

}  // namespace zorvik::test
