#include "module_semaphore.h"

#include "unique_resource.h"

namespace zorvik {

namespace {
const UniqueHandle g_module_lock_semaphore(CreateSemaphoreW(nullptr, 1, 1, nullptr));
}  // namespace

HANDLE ModuleLockSemaphore() { return g_module_lock_semaphore.get(); }

}  // namespace zorvik
