// Loads "KELMARTK.DLL" from the component's folder, the host's folder or the
// system folder, by full path, never through the loader's own search.
#include "toolkit_library.h"

#include <windows.h>

#include <cwctype>

#include "module_path.h"
#include "this_module.h"

namespace zorvik {

namespace {

// The folder part of a file name, with its trailing backslash; empty when the
// name has no folder.
std::wstring FolderOf(const std::wstring& file) {
  const size_t slash = file.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash + 1);
}

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::wstring folder(path, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  }
  return true;
}

// Keeps a failed load from putting up an error box inside the host.
class QuietLoadErrors {
 public:
  QuietLoadErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
  ~QuietLoadErrors() { SetThreadErrorMode(old_, nullptr); }
  QuietLoadErrors(const QuietLoadErrors&) = delete;
  QuietLoadErrors& operator=(const QuietLoadErrors&) = delete;

 private:
  DWORD old_ = 0;
};

}  // namespace

std::vector<std::wstring> ToolkitSearchDirectories() {
  std::vector<std::wstring> folders;
  for (const std::wstring& folder :
       {FolderOf(ModulePath(ThisModule())), FolderOf(ModulePath(nullptr)), SystemFolder()}) {
    if (folder.empty()) continue;
    bool listed = false;
    for (const std::wstring& known : folders) listed = listed || SameFolder(known, folder);
    if (!listed) folders.push_back(folder);
  }
  return folders;
}

UniqueModule LoadToolkitLibrary() {
  QuietLoadErrors quiet;
  for (const std::wstring& folder : ToolkitSearchDirectories()) {
    const std::wstring path = folder + kToolkitLibraryName;
    // The altered search path lets the toolkit find its own dependencies
    // beside itself rather than beside the host.
    UniqueModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (library) return library;
  }
  return UniqueModule();
}

}  // namespace zorvik
