// The component's log settings in the registry for part of a benchmark run:
// logging on, to one file, for processes started while the scope lives. The
// values found before are put back (or deleted) when it ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zorvik::bench {

class LogSettingsScope {
 public:
  explicit LogSettingsScope(const std::string& log_file);
  ~LogSettingsScope();
  LogSettingsScope(const LogSettingsScope&) = delete;
  LogSettingsScope& operator=(const LogSettingsScope&) = delete;

  bool written() const { return written_; }

 private:
  struct SavedValue {
    const char* name = nullptr;
    bool existed = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };

  std::string key_name_;
  bool key_created_ = false;
  bool written_ = false;
  std::vector<SavedValue> saved_;
};

}  // namespace zorvik::bench
