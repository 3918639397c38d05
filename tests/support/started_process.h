// A process that a test or the benchmark starts, waits for and, should it
// still run when the owner goes (a failed test, a time-out), kills.
#pragma once

#include <windows.h>

#include <string>

#include "unique_resource.h"

namespace zorvik::test {

struct ProcessOptions {
  // The program file; null: the first word of the command line.
  const wchar_t* application = nullptr;
  // Null: the starter's current folder.
  const wchar_t* working_directory = nullptr;
  // Inheritable handles for the child's standard output and error; both
  // null: the child shares the starter's.
  HANDLE output = nullptr;
  HANDLE errors = nullptr;
};

class StartedProcess {
 public:
  explicit StartedProcess(std::wstring command_line, const ProcessOptions& options = {});
  ~StartedProcess();
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  bool started() const { return process_.valid(); }
  HANDLE handle() const { return process_.get(); }
  DWORD id() const { return id_; }
  bool Running() const;

  // The exit code, or -1 when the process did not end within `timeout_ms`
  // (it is then killed) or never started.
  int Wait(DWORD timeout_ms);
  void Kill();

 private:
  UniqueHandle process_;
  DWORD id_ = 0;
};

}  // namespace zorvik::test
