// Simulated scanners' device files (docs/simulator.md) for tests: a
// description written to a fresh file in the temporary folder, deleted with
// the object.
#pragma once

#include <windows.h>

#include <string>

#include "unique_resource.h"

namespace zorvik::test {

// A closed device file: its path is what a host passes to OpenScannerSession
// or to zorvik_scan's -d. The file name holds `stem`, this process's ID and a
// count, so no two files (nor the device locks named after them) meet.
class TempDeviceFile {
 public:
  explicit TempDeviceFile(const std::string& description = "", const char* stem = "device");
  ~TempDeviceFile();
  TempDeviceFile(const TempDeviceFile&) = delete;
  TempDeviceFile& operator=(const TempDeviceFile&) = delete;

  const std::string& path() const { return path_; }
  std::wstring wide_path() const;
  // True when nothing holds the file open: it can be opened unshared again.
  bool IsClosed() const;

 private:
  std::string path_;
};

// A device file opened the way the component opens a device (read and write,
// not shared), so that its handle can go to the toolkit's SetIOHandle.
class OpenedDeviceFile {
 public:
  explicit OpenedDeviceFile(const std::string& description);

  HANDLE handle() const { return handle_.get(); }
  std::wstring path() const { return file_.wide_path(); }

 private:
  TempDeviceFile file_;  // deleted after the handle is closed
  UniqueHandle handle_;
};

}  // namespace zorvik::test
