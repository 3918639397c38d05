#include "registry_values.h"

namespace zorvik::test {

bool MachineKeyExists(const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  UniqueRegKey key(opened);
  return true;
}

UniqueRegKey CreateMachineKey(const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return UniqueRegKey();
  return UniqueRegKey(key);
}

bool SetNumberValue(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

bool SetStringValue(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace zorvik::test
