// Taking the device back from a lock holder whose process has ended
// (ReleaseEndedOwner, common/ended_owner.h), with the device lock's log lines.
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
