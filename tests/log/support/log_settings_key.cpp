#include "log_settings_key.h"

#include "log_settings.h"
#include "unique_resource.h"

namespace zorvik::test {

namespace {

constexpr char kVendorKey[] = "Software\\Quennell";
constexpr const char* kValueNames[] = {"LogEnabled", "LogFilter", "LogDestination", "LogFile"};

bool KeyExists(const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

UniqueRegKey CreateKey(const char* name) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return UniqueRegKey(key);
}

void SetNumber(HKEY key, const char* name, DWORD value) {
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

void SetString(HKEY key, const char* name, const std::string& value) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
}

}  // namespace

ScopedLogSettings::ScopedLogSettings() {
  Save();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey);
}

ScopedLogSettings::ScopedLogSettings(const LogSettingsValues& values) {
  Save();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey);
  UniqueRegKey key = CreateKey(kZorvikLogSettingsKey);
  if (values.enabled) SetNumber(key.get(), "LogEnabled", *values.enabled);
  if (values.filter) SetNumber(key.get(), "LogFilter", *values.filter);
  if (values.destination) SetNumber(key.get(), "LogDestination", *values.destination);
  if (values.file) SetString(key.get(), "LogFile", *values.file);
}

void ScopedLogSettings::Save() {
  vendor_key_existed_ = KeyExists(kVendorKey);
  key_existed_ = KeyExists(kZorvikLogSettingsKey);
  if (!key_existed_) return;
  HKEY opened = nullptr;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey, 0, KEY_READ, &opened);
  UniqueRegKey key(opened);
  for (const char* name : kValueNames) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      continue;
    SavedValue saved{name, type, std::vector<BYTE>(size)};
    RegQueryValueExA(key.get(), name, nullptr, &type, saved.data.data(), &size);
    saved_.push_back(std::move(saved));
  }
}

ScopedLogSettings::~ScopedLogSettings() {
  if (!vendor_key_existed_) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kVendorKey);
    return;
  }
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey);
  if (!key_existed_) return;
  UniqueRegKey key = CreateKey(kZorvikLogSettingsKey);
  for (const SavedValue& saved : saved_) {
    RegSetValueExA(key.get(), saved.name.c_str(), 0, saved.type, saved.data.data(),
                   static_cast<DWORD>(saved.data.size()));
  }
}

ScopedInprocServer::ScopedInprocServer(const char* class_id, const std::wstring& dll_path)
    : key_(std::string("Software\\Classes\\CLSID\\") + class_id) {
  UniqueRegKey server = CreateKey((key_ + "\\InprocServer32").c_str());
  RegSetValueExW(server.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll_path.c_str()),
                 static_cast<DWORD>((dll_path.size() + 1) * sizeof(wchar_t)));
  SetString(server.get(), "ThreadingModel", "Both");
}

ScopedInprocServer::~ScopedInprocServer() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key_.c_str()); }

void EnableProcessLogForTesting(REFCLSID class_id, const std::string& log_path) {
  wchar_t wide_id[64];
  StringFromGUID2(class_id, wide_id, 64);
  const std::string key_name =
      std::string(ZORVIK_LOG_SETTINGS_KEY_BASE) + std::string(wide_id, wide_id + 38);
  {
    UniqueRegKey key = CreateKey(key_name.c_str());
    SetNumber(key.get(), "LogEnabled", 1);
    SetNumber(key.get(), "LogDestination", 1);
    SetString(key.get(), "LogFile", log_path);
  }
  CLogSettings::Instance(class_id);
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_name.c_str());
}

}  // namespace zorvik::test
