// Process identity and liveness from the kernel's process objects.
#include "process_identity.h"

#include <windows.h>

#include "unique_resource.h"

namespace zorvik {

namespace {

uint64_t CreationTimeOf(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Both parts are fixed for the life of the process, so they are read once,
// when the module loads. A namespace-scope constant rather than a
// function-local static: a host may load and unload the component many
// times, and with this toolchain each guarded function-local static costs the
// process a TLS slot at every unload.
const ProcessIdentity this_process{GetCurrentProcessId(), CreationTimeOf(GetCurrentProcess())};

}  // namespace

ProcessIdentity CurrentProcessIdentity() { return this_process; }

bool IsProcessRunning(const ProcessIdentity& identity) {
  if (identity.empty()) return false;
  if (identity.process_id == GetCurrentProcessId()) {
    return identity.creation_time == CurrentProcessIdentity().creation_time;
  }
  const UniqueHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, identity.process_id));
  if (!process) {
    // No process has this ID any more. Any other refusal (access denied to
    // another account's process, say) leaves the holder alone: waiting out a
    // time-out is better than a second owner.
    return GetLastError() != ERROR_INVALID_PARAMETER;
  }
  // An exited process stays openable while anyone holds a handle to it; its
  // object is signalled then. The exit code test covers a handle without
  // SYNCHRONIZE rights, should a system grant less than asked.
  if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
  DWORD exit_code = 0;
  if (GetExitCodeProcess(process.get(), &exit_code) && exit_code != STILL_ACTIVE) return false;
  const uint64_t creation_time = CreationTimeOf(process.get());
  return creation_time == 0 || creation_time == identity.creation_time;
}

bool IsThreadRunning(uint32_t thread_id) {
  const UniqueHandle thread(OpenThread(SYNCHRONIZE, FALSE, thread_id));
  if (!thread) return GetLastError() != ERROR_INVALID_PARAMETER;
  return WaitForSingleObject(thread.get(), 0) != WAIT_OBJECT_0;
}

}  // namespace zorvik
