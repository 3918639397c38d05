// What a process holds that a leak would make grow: kernel handles, memory,
// TLS slots, and whether the toolkit library is mapped and sessions are open.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zorvik::test {

struct ProcessFootprint {
  DWORD handles = 0;           // GetProcessHandleCount
  uint64_t private_bytes = 0;  // GetProcessMemoryInfo PrivateUsage
  uint64_t working_set = 0;    // GetProcessMemoryInfo WorkingSetSize
  // Committed memory by VirtualQuery: private (heaps, stacks) and mapped
  // images (loaded modules). Wine 8 reports PrivateUsage as 0.
  uint64_t committed_private = 0;
  uint64_t committed_image = 0;
  DWORD first_free_tls = 0;     // the TLS index TlsAlloc hands out next
  bool toolkit_loaded = false;  // KELMARTK.DLL mapped
  size_t open_sessions = 0;     // entries of the session table

  static ProcessFootprint Take();
};

// The number of handles the process holds: GetProcessHandleCount where it
// answers (Wine 8 reports 0), otherwise the process's entries of the system
// handle table. 0 when neither can say.
DWORD ProcessHandleCount();
// Which of the two ProcessHandleCount used, for figure lines.
const char* HandleCountSource();

// "<before> -> <after>" for figure lines.
std::string Change(uint64_t before, uint64_t after);

}  // namespace zorvik::test
