// The module lock count, changed only atomically: objects and server locks
// come and go on any thread.
#include "module_lock.h"

#include <atomic>

namespace zorvik {
namespace {
std::atomic<long> g_module_locks{0};
}

void LockModule() noexcept { ++g_module_locks; }
void UnlockModule() noexcept { --g_module_locks; }
long ModuleLockCount() noexcept { return g_module_locks.load(); }

}  // namespace zorvik
