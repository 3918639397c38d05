// Starts a copy of the test program from another folder and waits for it.
#include "relocated_child.h"

#include <windows.h>

#include "started_process.h"
#include "test_text.h"

namespace zorvik::test {

namespace {

constexpr DWORD kChildTimeoutMs = 60000;

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, length);
}

// Puts a folder in front of PATH for as long as it lives; children inherit it.
class PathPrefix {
 public:
  explicit PathPrefix(const std::wstring& prefix) {
    if (prefix.empty()) return;
    wchar_t old[32767];
    const DWORD length = GetEnvironmentVariableW(L"PATH", old, 32767);
    had_path_ = length > 0 && length < 32767;
    if (had_path_) old_ = old;
    active_ = SetEnvironmentVariableW(L"PATH", (prefix + L";" + old_).c_str()) != FALSE;
  }
  ~PathPrefix() {
    if (active_) SetEnvironmentVariableW(L"PATH", had_path_ ? old_.c_str() : nullptr);
  }
  PathPrefix(const PathPrefix&) = delete;
  PathPrefix& operator=(const PathPrefix&) = delete;

 private:
  std::wstring old_;
  bool had_path_ = false;
  bool active_ = false;
};

}  // namespace

int RunRelocatedChild(const std::wstring& folder, const char* role,
                      const std::wstring& working_directory, const std::wstring& path_prefix) {
  const std::wstring own = OwnPath();
  const std::wstring copy = folder + own.substr(own.find_last_of(L'\\') + 1);
  CreateDirectoryW(folder.c_str(), nullptr);
  if (!CopyFileW(own.c_str(), copy.c_str(), FALSE)) return -1;

  int exit_code = -1;
  {
    PathPrefix path(path_prefix);
    StartedProcess child(
        L"\"" + copy + L"\" --child=" + Widen(role),
        {.application = copy.c_str(), .working_directory = working_directory.c_str()});
    exit_code = child.Wait(kChildTimeoutMs);
  }
  DeleteFileW(copy.c_str());
  return exit_code;
}

}  // namespace zorvik::test
