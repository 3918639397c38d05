// The module lock count: how many objects and LockServer locks keep
// zorvik.dll in use.  DllCanUnloadNow answers from it.
#pragma once

namespace zorvik {

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

// Holds one module lock for as long as it lives.  An object makes it its
// first member, so the lock is given back only after every other member is
// destroyed and no code of the object runs after the module may be unloaded.
class ModuleReference {
 public:
  ModuleReference() noexcept { LockModule(); }
  ~ModuleReference() { UnlockModule(); }
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;
};

}  // namespace zorvik
