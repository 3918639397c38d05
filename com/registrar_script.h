// The registrar script language of the module's REGISTRY resource, read into
// a tree of keys: the subset of the ATL .rgs syntax that the script uses.
//
//   HKCR                                  a root key (HKCR, HKCU, HKLM, HKU)
//   {
//     NoRemove CLSID                      kept when unregistering
//     {
//       ForceRemove {…} = s 'Scanner Class'   deleted with its subtree first
//       {
//         InprocServer32 = s '%MODULE%'       a key and its default value
//         {
//           val ThreadingModel = s 'Both'     a named value
//         }
//       }
//     }
//   }
//
// Tokens are separated by white space; a name or value may be quoted with
// single quotes ('' stands for one quote).  %NAME% is replaced by the named
// replacement and %% by one percent sign; a replacement is inserted as it
// stands, so a quote in a path cannot end a string early.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvik {

enum class KeyRemoval {
  kWhenEmpty,    // unregistering deletes it once its listed subkeys are gone
  kForceRemove,  // deleted with everything below it, before registering and when unregistering
  kNoRemove,     // never deleted; only what is listed below it is
};

struct RegistryNamedValue {
  std::wstring name;
  std::wstring data;
};

struct RegistryKeyEntry {
  std::wstring name;
  KeyRemoval removal = KeyRemoval::kWhenEmpty;
  std::optional<std::wstring> default_value;
  std::vector<RegistryNamedValue> values;
  std::vector<RegistryKeyEntry> subkeys;
};

// The root keys, each named by its short form ("HKCR"), always kept.
struct RegistrarScript {
  std::vector<RegistryKeyEntry> roots;
};

struct RegistrarParseResult {
  std::optional<RegistrarScript> script;
  // What is wrong and where, when `script` is empty.
  std::string error;
};

RegistrarParseResult ParseRegistrarScript(std::wstring_view text,
                                          const std::map<std::wstring, std::wstring>& replacements);

}  // namespace zorvik
