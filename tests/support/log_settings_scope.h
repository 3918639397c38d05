// Writes the ZORVIK log settings into HKLM for a test or part of a benchmark
// run, and puts the registry back as it was afterwards. Processes that start
// while the scope lives read these settings. Tests using it carry
// RESOURCE_LOCK registry.
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

  // True when the key holds the values asked for: it was created and every
  // value written.
  bool written() const { return written_; }

 private:
  struct SavedValue {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
  };
  void Save();

  bool vendor_key_existed_ = false;
  bool key_existed_ = false;
  bool written_ = false;
  std::vector<SavedValue> saved_;
};

}  // namespace zorvik::test
