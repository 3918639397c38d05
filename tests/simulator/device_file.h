// A simulated scanner's device file for tests: the description text written
// to a temporary file, which is then opened the way the component opens a
// device (read and write, not shared), so its handle can go to SetIOHandle.
// The file is closed and deleted with the object.
#pragma once

#include <windows.h>

#include <string>

#include "unique_resource.h"

namespace zorvik::test {

class DeviceFile {
 public:
  explicit DeviceFile(const std::string& description);
  ~DeviceFile();
  DeviceFile(const DeviceFile&) = delete;
  DeviceFile& operator=(const DeviceFile&) = delete;

  HANDLE handle() const { return handle_.get(); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  UniqueHandle handle_;
};

}  // namespace zorvik::test
