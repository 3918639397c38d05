// Listens to the debugger output of every process in the Wine prefix (the
// system's DBWIN buffer protocol) while it lives, and keeps the texts.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "unique_resource.h"

namespace zorvik::test {

class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  bool listening() const { return view_ != nullptr; }

  // The texts that process `process_id` has sent so far, in order, once the
  // text in flight (if any) has been taken in.
  std::vector<std::string> TextsFrom(DWORD process_id);

 private:
  void Listen();
  void WaitUntilIdle();

  struct Text {
    DWORD process_id;
    std::string text;
  };
  UniqueHandle buffer_ready_;
  UniqueHandle data_ready_;
  UniqueHandle mapping_;
  const char* view_ = nullptr;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Text> texts_;
  std::thread listener_;
};

}  // namespace zorvik::test
