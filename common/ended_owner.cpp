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
  // the record names the holder of the semaphore, or a process that has given
  // it back and not yet cleared the record, or nobody.
  const ProcessIdentity owner = record.Owner();
  if (!owner.empty() && IsProcessRunning(owner)) {
    // An abandoned guard over a running owner: the dead process either only
    // looked at the record, or took the unit the named process had just
    // given back. Which one shows once the named process clears the record.
    if (abandoned) record.MarkSuspect();
    return {};
  }
  // An empty record under an abandoned (or suspect) guard: its last owner
  // died just after taking the semaphore, or while taking a unit back for an
  // ended holder. Either way the unit is not a running process's.
  if (owner.empty() && !abandoned && !record.Suspect()) return {};

  record.Clear();
  // One unit on the dead process's behalf. If it had given the unit back
  // already, the release fails with ERROR_TOO_MANY_POSTS (maximum count 1),
  // which is the right outcome, so the failure is not an error.
  const bool released = ReleaseSemaphore(semaphore, 1, nullptr) != FALSE;
  return {true, released, owner};
}

}  // namespace zorvik
