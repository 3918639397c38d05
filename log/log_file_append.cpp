// One append to the log file: lock, open, one write, close.
#include "log_file_append.h"

#include <windows.h>

#include "log_file_lock.h"
#include "unique_resource.h"

namespace zorvik {

std::string ToTextModeLineEnds(std::string_view text) {
  std::string converted;
  converted.reserve(text.size() + text.size() / 16 + 2);
  for (char c : text) {
    if (c == '\n') converted += '\r';
    converted += c;
  }
  return converted;
}

void AppendToLogFile(const char* file_path, std::string_view text) {
  if (file_path == nullptr || *file_path == '\0') return;
  const std::string stored = ToTextModeLineEnds(text);
  CLogFileLock lock(file_path);
  lock.Acquire(kLogFileLockTimeoutMs);
  // Append-only access makes the system place every write at the current end
  // of the file, so a text stays whole even when the lock could not be had.
  UniqueHandle file(CreateFileA(file_path, FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), stored.data(), static_cast<DWORD>(stored.size()), &written, nullptr);
}

}  // namespace zorvik
