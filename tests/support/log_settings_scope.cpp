#include "log_settings_scope.h"

#include "registry_values.h"
#include "unique_resource.h"

namespace zorvik::test {

namespace {

constexpr char kVendorKey[] = "Software\\Quennell";
constexpr const char* kValueNames[] = {"LogEnabled", "LogFilter", "LogDestination", "LogFile"};

}  // namespace

ScopedLogSettings::ScopedLogSettings() {
  Save();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey);
  written_ = !MachineKeyExists(kZorvikLogSettingsKey);
}

ScopedLogSettings::ScopedLogSettings(const LogSettingsValues& values) {
  Save();
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kZorvikLogSettingsKey);
  UniqueRegKey key = CreateMachineKey(kZorvikLogSettingsKey);
  written_ = key.valid();
  if (values.enabled) written_ &= SetNumberValue(key.get(), "LogEnabled", *values.enabled);
  if (values.filter) written_ &= SetNumberValue(key.get(), "LogFilter", *values.filter);
  if (values.destination)
    written_ &= SetNumberValue(key.get(), "LogDestination", *values.destination);
  if (values.file) written_ &= SetStringValue(key.get(), "LogFile", *values.file);
}

void ScopedLogSettings::Save() {
  vendor_key_existed_ = MachineKeyExists(kVendorKey);
  key_existed_ = MachineKeyExists(kZorvikLogSettingsKey);
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
  UniqueRegKey key = CreateMachineKey(kZorvikLogSettingsKey);
  for (const SavedValue& saved : saved_) {
    RegSetValueExA(key.get(), saved.name.c_str(), 0, saved.type, saved.data.data(),
                   static_cast<DWORD>(saved.data.size()));
  }
}

}  // namespace zorvik::test
