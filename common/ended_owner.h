// Taking a semaphore unit back from a holder whose process has ended, and the
// wait that does so between its slices.
//
// A semaphore has no owner, so a process that dies holding a unit never gives
// it back. A semaphore shared this way is only ever taken together with its
// owner record's guard mutex, and the record names the holder before the
// guard goes back; a waiter whose wait slice ran out can then see a holder
// that has ended and give the unit back on its behalf. The holder gives its
// unit back first and then clears its record (LockOwnerRecord::ClearHold),
// without the guard: a holder that dies in between leaves a record naming an
// ended process beside a free unit, which a waiter's release cannot add to
// (the semaphores have a maximum count of 1).
#pragma once

#include <windows.h>

#include "lock_owner_record.h"

namespace zorvik {

// What ReleaseEndedOwner did.
struct EndedOwnerRelease {
  // The record of an ended holder was cleared: try the wait again at once.
  bool cleared = false;
  // The unit was given back (false when the holder had given it back already).
  bool unit_released = false;
  // The ended holder, or empty when it died while changing the record.
  ProcessIdentity owner;
};

// If the record names a process that has ended, or is empty while the guard
// was abandoned (or marked suspect, see LockOwnerRecord::MarkSuspect) by a
// process that died inside its wait's record update, clears the record and
// gives one unit of `semaphore` back. Nothing when the semaphore is held by a
// running process, is free, or the guard is busy.
EndedOwnerRelease ReleaseEndedOwner(LockOwnerRecord& record, HANDLE semaphore);

// Waits at most `timeout_ms` (INFINITE: no limit) for all `count` handles at
// once, of which handles[0] is the shared semaphore and handles[count - 1]
// the record's guard. Between slices of `slice_ms`, `release_ended()` (which
// calls ReleaseEndedOwner and may log) is asked to take the unit back from an
// ended holder; when it did, the wait is tried again at once, even when the
// time-out has run out. On success the record names the calling process, the
// guard is given back and `*hold_token` is the token for ClearHold. True when
// the caller took the handles.
template <typename ReleaseEnded>
bool WaitTakingOverEndedOwner(LockOwnerRecord& record, const HANDLE* handles, DWORD count,
                              DWORD timeout_ms, DWORD slice_ms, uint64_t* hold_token,
                              ReleaseEnded&& release_ended) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    DWORD slice = slice_ms;
    bool last_slice = false;
    if (timeout_ms != INFINITE) {
      const ULONGLONG elapsed = GetTickCount64() - start;
      const DWORD remaining = elapsed >= timeout_ms ? 0 : static_cast<DWORD>(timeout_ms - elapsed);
      if (remaining <= slice) {
        slice = remaining;
        last_slice = true;
      }
    }
    const DWORD wait = WaitForMultipleObjects(count, handles, TRUE, slice);
    // An abandoned guard means its last owner died inside a record update;
    // the semaphores were taken all the same.
    if (wait < WAIT_OBJECT_0 + count ||
        (wait >= WAIT_ABANDONED_0 && wait < WAIT_ABANDONED_0 + count)) {
      const OwnerGuardHold hold(record.guard());
      *hold_token = record.SetOwner(CurrentProcessIdentity());
      return true;
    }
    if (wait != WAIT_TIMEOUT) return false;
    const bool released = release_ended();
    if (last_slice && !released) return false;
  }
}

}  // namespace zorvik
