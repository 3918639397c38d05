// Writing and restoring the log settings of the ZORVIK class.
#include "log_settings_scope.h"

#include "unique_resource.h"
#include "zorvik.h"

namespace zorvik::bench {
namespace {

constexpr const char* kValueNames[] = {ZORVIK_LOG_ENABLED_VALUE, ZORVIK_LOG_DESTINATION_VALUE,
                                       ZORVIK_LOG_FILTER_VALUE, ZORVIK_LOG_FILE_VALUE};
constexpr DWORD kDestinationFile = LOG_DEST_FILE;

std::string SettingsKeyName() {
  wchar_t class_id[40] = {};
  StringFromGUID2(CLSID_ZORVIK, class_id, 40);
  std::string name = ZORVIK_LOG_SETTINGS_KEY_BASE;
  for (const wchar_t* c = class_id; *c; ++c) name += static_cast<char>(*c);
  return name;
}

bool SetDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

}  // namespace

LogSettingsScope::LogSettingsScope(const std::string& log_file) : key_name_(SettingsKeyName()) {
  HKEY opened = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_name_.c_str(), 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &opened,
                      &disposition) != ERROR_SUCCESS)
    return;
  UniqueRegKey key(opened);
  key_created_ = disposition == REG_CREATED_NEW_KEY;
  for (const char* name : kValueNames) {
    SavedValue saved;
    saved.name = name;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
      saved.data.resize(size);
      saved.existed = RegQueryValueExA(key.get(), name, nullptr, &saved.type, saved.data.data(),
                                       &size) == ERROR_SUCCESS;
    }
    saved_.push_back(std::move(saved));
  }
  RegDeleteValueA(key.get(), "LogFilter");
  written_ = SetDword(key.get(), "LogEnabled", 1) &&
             SetDword(key.get(), "LogDestination", kDestinationFile) &&
             RegSetValueExA(key.get(), "LogFile", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(log_file.c_str()),
                            static_cast<DWORD>(log_file.size() + 1)) == ERROR_SUCCESS;
}

LogSettingsScope::~LogSettingsScope() {
  if (key_created_) {
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key_name_.c_str(), KEY_WOW64_64KEY, 0);
    return;
  }
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key_name_.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                    &opened) != ERROR_SUCCESS)
    return;
  UniqueRegKey key(opened);
  for (const SavedValue& saved : saved_) {
    if (saved.existed)
      RegSetValueExA(key.get(), saved.name, 0, saved.type, saved.data.data(),
                     static_cast<DWORD>(saved.data.size()));
    else
      RegDeleteValueA(key.get(), saved.name);
  }
}

}  // namespace zorvik::bench
