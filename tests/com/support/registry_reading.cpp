// Registry reads for the registration tests.
#include "registry_reading.h"

#include <objbase.h>

#include <algorithm>

#include "unique_resource.h"

namespace zorvik::test {
namespace {

UniqueRegKey OpenClassesKey(const std::wstring& key) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return {};
  return UniqueRegKey(raw);
}

}  // namespace

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

bool ClassesKeyExists(const std::wstring& key) { return OpenClassesKey(key).valid(); }

std::optional<std::wstring> ClassesString(const std::wstring& key, const wchar_t* value_name) {
  UniqueRegKey opened = OpenClassesKey(key);
  if (!opened) return std::nullopt;
  wchar_t data[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (RegQueryValueExW(opened.get(), value_name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return std::nullopt;
  return std::wstring(data);
}

std::vector<std::wstring> ClassesSubkeys(const std::wstring& key) {
  std::vector<std::wstring> names;
  UniqueRegKey opened = OpenClassesKey(key);
  if (!opened) return names;
  wchar_t name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = 256;
    if (RegEnumKeyExW(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zorvik::test
