// FormatMessage for zorvik_scan's failure lines.
#include "system_message.h"

#include <windows.h>

#include "console_text.h"

namespace zorvik::host {

std::string SystemMessage(uint32_t hresult) {
  // Win32 errors wrapped as HRESULTs are looked up as the plain error, which
  // every system has words for.
  const DWORD code = HRESULT_FACILITY(hresult) == FACILITY_WIN32 ? HRESULT_CODE(hresult) : hresult;
  wchar_t text[512] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, static_cast<DWORD>(sizeof text / sizeof text[0]), nullptr);
  std::wstring message(text, length);
  // One line: no line breaks inside, no trailing break or full stop.
  for (wchar_t& c : message) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  while (!message.empty() && (message.back() == L' ' || message.back() == L'.')) {
    message.pop_back();
  }
  return ToUtf8(message);
}

}  // namespace zorvik::host
