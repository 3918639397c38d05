// UTF-16 to UTF-8 for zorvik_scan's output.
#include "console_text.h"

#include <windows.h>

namespace zorvik::host {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string converted(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), converted.data(),
                      size, nullptr, nullptr);
  return converted;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace zorvik::host
