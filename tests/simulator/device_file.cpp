// Writes a device description to a temporary file and opens it as a device.
#include "device_file.h"

namespace zorvik::test {

DeviceFile::DeviceFile(const std::string& description) {
  wchar_t folder[MAX_PATH];
  wchar_t file[MAX_PATH];
  if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"dev", 0, file)) return;
  path_ = file;
  {
    UniqueHandle writer(CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!writer || !WriteFile(writer.get(), description.data(),
                              static_cast<DWORD>(description.size()), &written, nullptr)) {
      return;
    }
  }
  handle_.reset(CreateFileW(file, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_SYSTEM, nullptr));
}

DeviceFile::~DeviceFile() {
  handle_.reset();
  if (!path_.empty()) {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_.c_str());
  }
}

}  // namespace zorvik::test
