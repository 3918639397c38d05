// The module-wide semaphore that lets at most one session of this process
// hold a device lock at a time, whatever its device.
#pragma once

#include <windows.h>

namespace zorvik {

// The unnamed semaphore (count 1) shared by every CScannerLock of the module.
// It is created by the module's static initialisation, before any lock can
// exist, and closed by its static termination.
HANDLE ModuleLockSemaphore();

}  // namespace zorvik
