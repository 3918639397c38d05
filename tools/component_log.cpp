// The component's log settings key, read and written the way the component
// reads it: HKLM\Software\Quennell\Vistrel\Larkspur\{CLSID of ZORVIK}, the
// 64-bit view, DWORD switches and an ANSI file path of at most 259 bytes.
#include "component_log.h"

#include "unique_resource.h"

namespace zorvik::host {
namespace {

constexpr wchar_t kSettingsKey[] =
    L"Software\\Quennell\\Vistrel\\Larkspur\\{F7E24288-B19F-4614-BFCC-15269A94ADF6}";
constexpr wchar_t kDefaultLogName[] = L"larkspur.log";

// The component reads the file path into a 260-byte ANSI buffer.
constexpr int kMaxAnsiPathBytes = MAX_PATH - 1;

DWORD ReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      size != sizeof value) {
    return 0;
  }
  return value;
}

std::wstring ReadString(HKEY key, const wchar_t* name) {
  wchar_t value[MAX_PATH + 1] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return L"";
  }
  return value;
}

// True when the component, which reads the path in the ANSI code page, gets
// exactly this path and it fits its buffer.
bool ComponentCanUse(const std::wstring& path) {
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(),
                                        static_cast<int>(path.size()), nullptr, 0, nullptr, &lossy);
  return bytes > 0 && bytes <= kMaxAnsiPathBytes && !lossy;
}

std::wstring DefaultLogFile() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return kDefaultLogName;
  return std::wstring(folder) + kDefaultLogName;
}

HRESULT FromWin32(LSTATUS status) { return HRESULT_FROM_WIN32(static_cast<DWORD>(status)); }

// The component opens the path as it stands, in whatever folder the logging
// program runs in: a relative path is made absolute here, once.
HRESULT AbsolutePath(const std::wstring& path, std::wstring* absolute) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return HRESULT_FROM_WIN32(GetLastError());
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return HRESULT_FROM_WIN32(GetLastError());
  full.resize(length);
  *absolute = full;
  return S_OK;
}

}  // namespace

HRESULT ReadComponentLog(ComponentLogState* state) {
  if (state == nullptr) return E_POINTER;
  *state = ComponentLogState{};
  HKEY opened = nullptr;
  const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0,
                                       KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened);
  UniqueRegKey key(opened);
  if (status == ERROR_SUCCESS) {
    state->enabled = ReadDword(key.get(), L"LogEnabled") != 0;
    state->destination = ReadDword(key.get(), L"LogDestination");
    state->file = ReadString(key.get(), L"LogFile");
  } else if (status != ERROR_FILE_NOT_FOUND) {
    return FromWin32(status);
  }
  // The component ignores a path it cannot read whole.
  state->file_is_default = state->file.empty() || !ComponentCanUse(state->file);
  if (state->file_is_default) state->file = DefaultLogFile();
  return S_OK;
}

HRESULT SwitchComponentLog(bool on, const std::wstring& log_file) {
  std::wstring file;
  if (!log_file.empty()) {
    if (FAILED(AbsolutePath(log_file, &file))) return E_INVALIDARG;
    if (!ComponentCanUse(file)) return E_INVALIDARG;
  }
  HKEY created = nullptr;
  const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                         KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                                         &created, nullptr);
  if (status != ERROR_SUCCESS) return FromWin32(status);
  UniqueRegKey key(created);

  auto set_dword = [&](const wchar_t* name, DWORD value) {
    return RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
  };
  LSTATUS written = set_dword(L"LogEnabled", on ? 1 : 0);
  if (written == ERROR_SUCCESS && on) {
    written = set_dword(L"LogDestination", ReadDword(key.get(), L"LogDestination") | kLogToFile);
  }
  if (written == ERROR_SUCCESS && on && !file.empty()) {
    written = RegSetValueExW(key.get(), L"LogFile", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(file.c_str()),
                             static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
  } else if (written == ERROR_SUCCESS && on) {
    // Switched on without a file: the default file, not one an earlier
    // switch left behind.
    written = RegDeleteValueW(key.get(), L"LogFile");
    if (written == ERROR_FILE_NOT_FOUND) written = ERROR_SUCCESS;
  }
  return written == ERROR_SUCCESS ? S_OK : FromWin32(written);
}

std::wstring DescribeComponentLog(const ComponentLogState& state) {
  const bool writes = state.enabled && state.destination != 0;
  std::wstring text = writes ? L"The component's log is on" : L"The component's log is off";
  if (state.enabled && state.destination == 0) text += L" (switched on, but with no destination)";
  text += L".\n";
  if (writes) {
    std::wstring places;
    auto add = [&](uint32_t bit, const wchar_t* place) {
      if ((state.destination & bit) == 0) return;
      places += (places.empty() ? L"" : L", ") + std::wstring(place);
    };
    add(kLogToFile, L"the file");
    add(kLogToDebugger, L"the debugger output");
    add(kLogToSink, L"the log sink");
    text += L"It goes to " + places + L".\n";
  }
  text += L"Log file: " + state.file;
  if (state.file_is_default) text += L" (the temporary folder of the program that logs)";
  text +=
      L"\nPrograms read this when they create their first scanner; running ones keep "
      L"their setting.\n";
  return text;
}

}  // namespace zorvik::host
