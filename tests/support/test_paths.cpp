#include "test_paths.h"

#include <windows.h>

namespace zorvik::test {

std::wstring ExecutableDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L'\\') + 1);
}

std::wstring BesideExecutable(const wchar_t* file_name) { return ExecutableDir() + file_name; }

std::string TempFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH + 1, folder);
  return std::string(folder, length);
}

}  // namespace zorvik::test
