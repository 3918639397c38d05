// A simulated scanner's device file: the description text (docs/simulator.md)
// written to a fresh temporary file and closed, so that a session can open it
// unshared. Deleted with the object.
#pragma once

#include <string>

#include "log_test_files.h"

namespace zorvik::test {

class DeviceDescriptionFile {
 public:
  explicit DeviceDescriptionFile(const std::string& description = "");

  std::wstring wide_path() const { return file_.wide_path(); }

 private:
  TempLogFile file_;
};

}  // namespace zorvik::test
