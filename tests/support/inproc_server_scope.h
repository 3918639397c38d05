// Registers an in-process COM class in the prefix (HKLM classes, threading
// model Both) for a test and removes it again.
#pragma once

#include <string>

namespace zorvik::test {

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
