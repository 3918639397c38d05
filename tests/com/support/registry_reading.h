// Reading what registration left under HKEY_CLASSES_ROOT.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace zorvik::test {

// "{XXXXXXXX-...}" as the registry spells class and interface IDs.
std::wstring GuidText(const GUID& guid);

bool ClassesKeyExists(const std::wstring& key);

// A string value (null name: the default value); empty when the key or
// value is missing or not a string.
std::optional<std::wstring> ClassesString(const std::wstring& key, const wchar_t* value_name);

// The names of the key's subkeys, sorted.
std::vector<std::wstring> ClassesSubkeys(const std::wstring& key);

}  // namespace zorvik::test
