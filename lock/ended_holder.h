// Taking the device back from a lock holder whose process has ended.
//
// A semaphore has no owner, so a process that dies holding the device
// semaphore never gives it back. A waiter whose wait slice ran out calls
// ReleaseEndedHolder: if the owner record names a process that has ended, or
// the guard was abandoned by a process that died while changing the record,
// it gives the semaphore unit back on the dead process's behalf.
#pragma once

#include <windows.h>

#include "lock_owner_record.h"

namespace zorvik {

class CLogger;

// Returns true when it cleared the record of an ended holder (the caller
// should try its wait again at once), false when the device is held by a
// running process, is free, or the guard is busy.
bool ReleaseEndedHolder(LockOwnerRecord& record, HANDLE device_semaphore, CLogger& log);

}  // namespace zorvik
