// The takeover of a semaphore unit left taken by an ended process.
#include "ended_owner.h"

namespace zorvik {

EndedOwnerRelease ReleaseEndedOwner(LockOwnerRecord& record, HANDLE semaphore) {
  bool abandoned = false;
  // Busy guard: a running process is inside one of its short record updates.
  const OwnerGuardHold hold = record.AcquireGuard(0, &abandoned);
  if (!hold.owned()) return {};

  // The semaphore is only ever taken together with the guard, and the record
  // is written before the guard is given back, so while the guard is free
  // the record names the holder of the semaphore, or nobody when it is free.
  const ProcessIdentity owner = record.Owner();
  if (!owner.empty() && IsProcessRunning(owner)) return {};
  // An empty record under an abandoned guard: its owner died just after
  // taking the semaphore, or while giving it back after clearing the record.
  // Either way the unit is its own, not a running process's.
  if (owner.empty() && !abandoned) return {};

  record.Clear();
  // One unit on the dead process's behalf. If it had given the unit back
  // already, the release fails with ERROR_TOO_MANY_POSTS (maximum count 1),
  // which is the right outcome, so the failure is not an error.
  const bool released = ReleaseSemaphore(semaphore, 1, nullptr) != FALSE;
  return {true, released, owner};
}

OwnerGuardHold ClearOwnRecord(LockOwnerRecord& record, DWORD patience_ms) {
  OwnerGuardHold hold = record.AcquireGuard(patience_ms);
  if (hold.owned() && record.Owner().process_id == GetCurrentProcessId()) record.Clear();
  return hold;
}

}  // namespace zorvik
