#include "debug_output_capture.h"

#include <cstring>

namespace zorvik::test {

namespace {
// The shared buffer: the writer's process ID, then its zero-terminated text.
constexpr DWORD kBufferSize = 4096;
}  // namespace

DebugOutputCapture::DebugOutputCapture()
    : buffer_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY")),
      data_ready_(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY")),
      mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                  "DBWIN_BUFFER")) {
  if (!buffer_ready_ || !data_ready_ || !mapping_) return;
  view_ = static_cast<const char*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
  if (view_ != nullptr) listener_ = std::thread([this] { Listen(); });
}

DebugOutputCapture::~DebugOutputCapture() {
  stop_ = true;
  if (listener_.joinable()) listener_.join();
  if (view_ != nullptr) UnmapViewOfFile(view_);
}

void DebugOutputCapture::Listen() {
  SetEvent(buffer_ready_.get());
  while (!stop_) {
    if (WaitForSingleObject(data_ready_.get(), 50) != WAIT_OBJECT_0) continue;
    Text text;
    std::memcpy(&text.process_id, view_, sizeof(DWORD));
    text.text.assign(view_ + sizeof(DWORD), strnlen(view_ + sizeof(DWORD), kBufferSize - 4));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      texts_.push_back(std::move(text));
    }
    SetEvent(buffer_ready_.get());
  }
}

void DebugOutputCapture::WaitUntilIdle() {
  // While a writer holds the buffer the ready event is taken; once the
  // listener has copied the text it sets the event again.
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (GetTickCount64() < deadline) {
    if (WaitForSingleObject(buffer_ready_.get(), 0) == WAIT_OBJECT_0) {
      SetEvent(buffer_ready_.get());
      return;
    }
    Sleep(10);
  }
}

std::vector<std::string> DebugOutputCapture::TextsFrom(DWORD process_id) {
  if (view_ != nullptr) WaitUntilIdle();
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> texts;
  for (const Text& text : texts_) {
    if (text.process_id == process_id) texts.push_back(text.text);
  }
  return texts;
}

}  // namespace zorvik::test
