// The module that holds the calling code, found from the code's own address:
// zorvik.dll for the component's code, the program itself for code linked
// statically into a program. Each module gets its own copy of these inline
// functions, so the address always lies in the caller's module.
#pragma once

#include <windows.h>

namespace zorvik {

inline HMODULE ThisModule() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// Keeps the module that holds the calling code loaded until the process ends.
inline void PinThisModule() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&PinThisModule), &module);
}

}  // namespace zorvik
