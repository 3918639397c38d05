#include "log_test_files.h"

#include <windows.h>

#include <atomic>

#include "test_paths.h"
#include "test_text.h"
#include "unique_resource.h"
#include "zorvik_contract.h"

namespace zorvik::test {

TempLogFile::TempLogFile(const char* stem) {
  static std::atomic<int> counter{0};
  path_ = TempFolder() + "zorvik-" + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(counter++) + ".log";
  DeleteFileA(path_.c_str());
}

TempLogFile::~TempLogFile() { DeleteFileA(path_.c_str()); }

std::wstring TempLogFile::wide_path() const { return Widen(path_); }

std::string TempLogFile::Read() const { return ReadWholeFile(path_); }

std::string ReadWholeFile(const std::string& path) {
  UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string content;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
    content.append(buffer, read);
  return content;
}

std::string DefaultLogFilePath() { return TempFolder() + ZORVIK_DEFAULT_LOG_FILE_NAME; }

}  // namespace zorvik::test
