// The lock probes: a thread of this process, and a child process served
// through a message pipe, one device name per request, one byte per answer.
#include "lock_probe.h"

#include <atomic>
#include <thread>

#include "../scanner/session_test_support.h"

namespace zorvik::test {

namespace {

constexpr DWORD kConnectTimeoutMs = 20000;
constexpr DWORD kAnswerTimeoutMs = 20000;
constexpr DWORD kMaxName = 1024;

std::wstring NewPipeName() {
  static std::atomic<unsigned> next{0};
  return L"\\\\.\\pipe\\zorvik-lock-probe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(next++);
}

}  // namespace

// The child: serves the pipe named by its argument until the parent goes.
ZORVIK_CHILD_ROLE(lock_probe) {
  UniqueHandle pipe(CreateNamedPipeW(argument.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                                     kMaxName, kMaxName, 0, nullptr));
  if (!pipe.valid()) return 2;
  if (!ConnectNamedPipe(pipe.get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return 3;
  char name[kMaxName];
  DWORD size = 0;
  while (ReadFile(pipe.get(), name, sizeof name, &size, nullptr)) {
    const char answer = DeviceLockFree(std::string(name, size)) ? '1' : '0';
    DWORD written = 0;
    if (!WriteFile(pipe.get(), &answer, 1, &written, nullptr)) break;
  }
  return 0;
}

bool DeviceLockFreeForAnotherThread(const std::string& device_name) {
  bool free = false;
  std::thread other([&] { free = DeviceLockFree(device_name); });
  other.join();
  return free;
}

OtherProcessLockProbe::OtherProcessLockProbe()
    : pipe_name_(NewPipeName()), child_("lock_probe", pipe_name_) {
  if (!child_.started()) return;
  const ULONGLONG deadline = GetTickCount64() + kConnectTimeoutMs;
  while (GetTickCount64() < deadline) {
    pipe_.reset(CreateFileW(pipe_name_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    if (pipe_.valid()) break;
    Sleep(10);
  }
  if (!pipe_.valid()) return;
  DWORD mode = PIPE_READMODE_MESSAGE;
  SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr);
}

bool OtherProcessLockProbe::DeviceLockFree(const std::string& device_name) {
  DWORD written = 0;
  if (!pipe_.valid() || !WriteFile(pipe_.get(), device_name.data(),
                                   static_cast<DWORD>(device_name.size()), &written, nullptr))
    return false;
  // Bounded: the answer is polled for, never waited on without end. Each
  // poll is a request to the platform's kernel process (the wineserver here),
  // so the poll sleeps between requests instead of spinning: a spinning poll
  // floods that one process and slows every other process's kernel calls,
  // the child's answer among them.
  const ULONGLONG deadline = GetTickCount64() + kAnswerTimeoutMs;
  DWORD available = 0;
  while (PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr) && available == 0 &&
         GetTickCount64() < deadline)
    Sleep(1);
  if (available == 0) return false;
  char answer = 0;
  DWORD read = 0;
  return ReadFile(pipe_.get(), &answer, 1, &read, nullptr) && read == 1 && answer == '1';
}

}  // namespace zorvik::test
