// Writes the ZORVIK log settings into HKLM for a test and puts the registry
// back as it was afterwards.  Tests using it carry RESOURCE_LOCK registry.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>
#include "zorvik_contract.h"

namespace zorvik::test {

// The key the component reads for the coclass ZORVIK.
inline constexpr char kZorvikLogSettingsKey[] = ZORVIK_LOG_SETTINGS_KEY;

// A missing field is a missing value.
struct LogSettingsValues {
  std::optional<DWORD> enabled = std::nullopt;
  std::optional<DWORD> filter = std::nullopt;
  std::optional<DWORD> destination = std::nullopt;
  std::optional<std::string> file = std::nullopt;
};

class ScopedLogSettings {
 public:
  // No settings key at all.
  ScopedLogSettings();
  // A settings key holding exactly `values`.
  explicit ScopedLogSettings(const LogSettingsValues& values);
  ~ScopedLogSettings();
  ScopedLogSettings(const ScopedLogSettings&) = delete;
  ScopedLogSettings& operator=(const ScopedLogSettings&) = delete;

 private:
  struct SavedValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
  };
  void Save();

  bool vendor_key_existed_ = false;
  bool key_existed_ = false;
  std::vector<SavedValue> saved_;
};

// Switches logging to the file `log_path` on for this whole process, under a
// settings key of the test suite's own `class_id`, so that no other suite
// running beside it sees the settings and the ZORVIK key is never touched.
// Must run before the first logger of the process; the key is removed again
// at once, since the settings are read only once per process.
void EnableProcessLogForTesting(REFCLSID class_id, const std::string& log_path);

// Registers an in-process COM class in the test prefix (HKLM classes, threading
// model Both) and removes it again.
class ScopedInprocServer {
 public:
  ScopedInprocServer(const char* class_id, const std::wstring& dll_path);
  ~ScopedInprocServer();
  ScopedInprocServer(const ScopedInprocServer&) = delete;
  ScopedInprocServer& operator=(const ScopedInprocServer&) = delete;

 private:
  std::string key_;
};

}  // namespace zorvik::test
