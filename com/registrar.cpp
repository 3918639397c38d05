// The registry side of the registrar: one recursive walk over the key tree
// for registering and one for unregistering.
#include "registrar.h"

#include <string>

#include "first_failure.h"
#include "unique_resource.h"

namespace zorvik {
namespace {

HKEY RootKey(const std::wstring& name) {
  if (name == L"HKCR") return HKEY_CLASSES_ROOT;
  if (name == L"HKCU") return HKEY_CURRENT_USER;
  if (name == L"HKLM") return HKEY_LOCAL_MACHINE;
  return HKEY_USERS;
}

bool IsMissing(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

HRESULT SetString(HKEY key, const wchar_t* name, const std::wstring& data) {
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return HRESULT_FROM_WIN32(
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes));
}

HRESULT RegisterKey(HKEY parent, const RegistryKeyEntry& entry);

// Writes what the script lists in and below `key` (already open).
HRESULT RegisterContents(HKEY key, const RegistryKeyEntry& entry) {
  if (entry.default_value) {
    const HRESULT result = SetString(key, nullptr, *entry.default_value);
    if (FAILED(result)) return result;
  }
  for (const RegistryNamedValue& value : entry.values) {
    const HRESULT result = SetString(key, value.name.c_str(), value.data);
    if (FAILED(result)) return result;
  }
  for (const RegistryKeyEntry& subkey : entry.subkeys) {
    const HRESULT result = RegisterKey(key, subkey);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

HRESULT RegisterKey(HKEY parent, const RegistryKeyEntry& entry) {
  if (entry.removal == KeyRemoval::kForceRemove) {
    const LSTATUS status = RegDeleteTreeW(parent, entry.name.c_str());
    if (status != ERROR_SUCCESS && !IsMissing(status)) return HRESULT_FROM_WIN32(status);
  }
  HKEY raw_key = nullptr;
  const LSTATUS status = RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, 0,
                                         KEY_READ | KEY_WRITE, nullptr, &raw_key, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  UniqueRegKey key(raw_key);
  return RegisterContents(key.get(), entry);
}

bool HasSubkeys(HKEY key) {
  DWORD subkeys = 0;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
         subkeys != 0;
}

// Removes what the script lists below `key` (already open).
HRESULT UnregisterContents(HKEY key, const RegistryKeyEntry& entry) {
  HRESULT first_failure = S_OK;
  for (const RegistryKeyEntry& subkey : entry.subkeys) {
    KeepFirstFailure(&first_failure, [&] {
      if (subkey.removal == KeyRemoval::kForceRemove) {
        const LSTATUS status = RegDeleteTreeW(key, subkey.name.c_str());
        return IsMissing(status) ? S_OK : HRESULT_FROM_WIN32(status);
      }
      HKEY raw_subkey = nullptr;
      LSTATUS status =
          RegOpenKeyExW(key, subkey.name.c_str(), 0, KEY_READ | KEY_WRITE, &raw_subkey);
      if (IsMissing(status)) return S_OK;
      if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
      UniqueRegKey opened(raw_subkey);
      HRESULT result = UnregisterContents(opened.get(), subkey);
      // A key that still holds subkeys the script does not list belongs
      // partly to someone else and stays.
      if (subkey.removal == KeyRemoval::kWhenEmpty && !HasSubkeys(opened.get())) {
        opened.reset();
        status = RegDeleteKeyW(key, subkey.name.c_str());
        if (status != ERROR_SUCCESS && !IsMissing(status))
          KeepFirstFailure(&result, HRESULT_FROM_WIN32(status));
      }
      return result;
    }());
  }
  for (const RegistryNamedValue& value : entry.values) {
    const LSTATUS status = RegDeleteValueW(key, value.name.c_str());
    if (status != ERROR_SUCCESS && !IsMissing(status))
      KeepFirstFailure(&first_failure, HRESULT_FROM_WIN32(status));
  }
  return first_failure;
}

}  // namespace

HRESULT RegisterScript(const RegistrarScript& script) {
  for (const RegistryKeyEntry& root : script.roots) {
    const HRESULT result = RegisterContents(RootKey(root.name), root);
    if (FAILED(result)) return result;
  }
  return S_OK;
}

HRESULT UnregisterScript(const RegistrarScript& script) {
  HRESULT first_failure = S_OK;
  for (const RegistryKeyEntry& root : script.roots)
    KeepFirstFailure(&first_failure, UnregisterContents(RootKey(root.name), root));
  return first_failure;
}

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
  HKEY raw_key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw_key) != ERROR_SUCCESS) return false;
  UniqueRegKey key(raw_key);
  return true;
}

}  // namespace zorvik
