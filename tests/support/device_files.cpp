#include "device_files.h"

#include <atomic>

#include "test_paths.h"
#include "test_text.h"

namespace zorvik::test {

TempDeviceFile::TempDeviceFile(const std::string& description, const char* stem) {
  static std::atomic<int> counter{0};
  path_ = TempFolder() + "zorvik-" + stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(counter++) + ".txt";
  UniqueHandle file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    WriteFile(file.get(), description.data(), static_cast<DWORD>(description.size()), &written,
              nullptr);
  }
}

TempDeviceFile::~TempDeviceFile() {
  // A device opened by the component carries the system attribute.
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path_.c_str());
}

std::wstring TempDeviceFile::wide_path() const { return Widen(path_); }

bool TempDeviceFile::IsClosed() const {
  UniqueHandle file(CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid();
}

OpenedDeviceFile::OpenedDeviceFile(const std::string& description)
    : file_(description),
      handle_(CreateFileA(file_.path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_SYSTEM, nullptr)) {}

}  // namespace zorvik::test
