// One owning wrapper for every kind of Windows handle the component holds.
// Each handle type gets a traits struct that fixes its invalid values and its
// close function; the owner closes exactly once and keeps the thread's last
// error intact, so closing on a failure path never hides the error being
// reported.
#pragma once

#include <windows.h>

#include <utility>

namespace zorvik {

template <typename Traits>
class UniqueResource {
 public:
  using Type = typename Traits::Type;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Type value) noexcept : value_(value) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  bool valid() const noexcept { return Traits::IsValid(value_); }
  explicit operator bool() const noexcept { return valid(); }
  Type get() const noexcept { return value_; }

  // Gives up ownership without closing.
  Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

  // Closes the current value (if any) and takes ownership of `value`.
  void reset(Type value = Traits::Invalid()) noexcept {
    Type old = std::exchange(value_, value);
    if (Traits::IsValid(old)) {
      const DWORD last_error = GetLastError();
      Traits::Close(old);
      SetLastError(last_error);
    }
  }

 private:
  Type value_ = Traits::Invalid();
};

// Kernel objects: semaphores, files, processes, threads, events. Both null and
// INVALID_HANDLE_VALUE mean "no handle", since the creating functions disagree.
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) noexcept { CloseHandle(h); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

struct ModuleTraits {
  using Type = HMODULE;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static void Close(Type h) noexcept { FreeLibrary(h); }
};
using UniqueModule = UniqueResource<ModuleTraits>;

struct RegKeyTraits {
  using Type = HKEY;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static void Close(Type h) noexcept { RegCloseKey(h); }
};
using UniqueRegKey = UniqueResource<RegKeyTraits>;

struct LocalMemoryTraits {
  using Type = HLOCAL;
  static Type Invalid() noexcept { return nullptr; }
  static bool IsValid(Type h) noexcept { return h != nullptr; }
  static void Close(Type h) noexcept { LocalFree(h); }
};
using UniqueLocalMemory = UniqueResource<LocalMemoryTraits>;

}  // namespace zorvik
