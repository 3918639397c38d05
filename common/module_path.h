// The full file name of a loaded module, however long.
#pragma once

#include <windows.h>

#include <string>

namespace zorvik {

// The full path of `module` (null: the host executable); empty when it
// cannot be read. GetModuleFileNameW truncates silently, so a full buffer
// means trying a larger one, up to the longest path Windows allows.
inline std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace zorvik
