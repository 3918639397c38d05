// The takeover of a device semaphore left taken by an ended process.
#include "ended_holder.h"

#include "logger.h"

namespace zorvik {

bool ReleaseEndedHolder(LockOwnerRecord& record, HANDLE device_semaphore, CLogger& log) {
  bool abandoned = false;
  // Busy guard: a running process is inside one of its short record updates.
  const OwnerGuardHold hold = record.AcquireGuard(0, &abandoned);
  if (!hold.owned()) return false;

  // The semaphore is only ever taken together with the guard, and the record
  // is written before the guard is given back, so while the guard is free
  // the record names the holder of the semaphore, or nobody when it is free.
  const ProcessIdentity owner = record.Owner();
  if (!owner.empty() && IsProcessRunning(owner)) return false;
  // An empty record under an abandoned guard: its owner died just after
  // taking the semaphore, or while giving it back after clearing the record.
  // Either way the unit is its own, not a running process's.
  if (owner.empty() && !abandoned) return false;

  record.Clear();
  // One unit on the dead process's behalf. If it had given the unit back
  // already, the release fails with ERROR_TOO_MANY_POSTS (maximum count 1),
  // which is the right outcome, so the failure is not an error.
  if (ReleaseSemaphore(device_semaphore, 1, nullptr)) {
    if (owner.empty()) {
      log.WriteLine(
          "Lock holder process ended while changing the Lock owner, releasing its Lock "
          "Semaphore");
    } else {
      log.WriteFormatted("Lock holder process (%lx) has ended, releasing its Lock Semaphore",
                         owner.process_id);
    }
  }
  return true;
}

}  // namespace zorvik
