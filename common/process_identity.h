// Who holds a device lock across processes: a process ID together with the
// process's creation time, so that a later process given the same ID is never
// mistaken for the holder.
#pragma once

#include <cstdint>

namespace zorvik {

struct ProcessIdentity {
  uint32_t process_id = 0;  // 0: nobody (no real holder has ID 0)
  uint64_t creation_time = 0;

  bool empty() const { return process_id == 0; }
};

// The identity of the calling process.
ProcessIdentity CurrentProcessIdentity();

// False only when the process is known to have ended: no process has the ID
// any more, the process with the ID has exited, or it was created at another
// time (the ID was reused). A process that cannot be opened for another
// reason counts as running, so a live holder is never robbed of the device.
bool IsProcessRunning(const ProcessIdentity& identity);

// False once no thread of the system has this ID or the thread has exited.
// Any other refusal to open it counts as running.
bool IsThreadRunning(uint32_t thread_id);

}  // namespace zorvik
