// Helpers shared by the device lock tests: unique device names, a thread that
// runs one lock call and reports when it is done, and the log file this test
// executable writes to.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "log_test_files.h"
#include "test_text.h"
#include "unique_resource.h"

namespace zorvik::test {

// A device path whose last component is unique to this process and call, so
// no two tests (or test runs) share a named semaphore by accident.
std::string UniqueDeviceName(const char* tag);

// The name of an event that a test and its child share for `device`.
std::wstring EventName(const std::wstring& device, const wchar_t* what);

// Runs `work` on its own thread; `done` is signalled when it returns.
class LockThread {
 public:
  explicit LockThread(std::function<int()> work);
  ~LockThread();
  // Waits at most `timeout_ms` for the work to finish; true if it did.
  bool WaitDone(DWORD timeout_ms);
  int result() const { return result_; }

 private:
  UniqueHandle done_;
  int result_ = -1;
  std::thread thread_;
};

// Everything the log file of this process holds from byte `from` on, with the
// call-trace entry and exit lines (which carry times) left out.
std::string DetailLinesSince(size_t from);
// Every line of the log file from byte `from` on.
std::string AllLinesSince(size_t from);
size_t LogFileSize();

}  // namespace zorvik::test
