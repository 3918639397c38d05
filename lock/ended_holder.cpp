// The takeover of a device semaphore left taken by an ended process, with
// the lock's log lines.
#include "ended_holder.h"

#include "ended_owner.h"
#include "logger.h"

namespace zorvik {

bool ReleaseEndedHolder(LockOwnerRecord& record, HANDLE device_semaphore, CLogger& log) {
  const EndedOwnerRelease release = ReleaseEndedOwner(record, device_semaphore);
  if (release.unit_released) {
    if (release.owner.empty()) {
      log.WriteLine(
          "Lock holder process ended while changing the Lock owner, releasing its Lock "
          "Semaphore");
    } else {
      log.WriteFormatted("Lock holder process (%lx) has ended, releasing its Lock Semaphore",
                         release.owner.process_id);
    }
  }
  return release.cleared;
}

}  // namespace zorvik
