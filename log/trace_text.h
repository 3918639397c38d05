// The texts a call trace writes when a call begins and when it ends, built
// from plain values so that they can be checked character for character.
#pragma once

#include <cstdint>
#include <ctime>
#include <ostream>

namespace zorvik {

struct TraceEntryText {
  const char* label;    // e.g. "zorvik::StartScan"
  uint32_t session;     // 0: the call has no session
  int32_t depth;        // traces open before this one
  bool process_header;  // first written entry of the process
  uint32_t process_id;
  bool thread_header;  // first written entry since another thread wrote one
  uint32_t thread_id;
  std::tm local_time;
};

struct TraceExitText {
  const char* label;
  int32_t depth;        // the same depth as the entry line
  int32_t result;       // the HRESULT the caller receives
  bool has_error_code;  // false: the call had no error-code pointer
  uint32_t error_code;
  uint32_t elapsed_ms;
};

// The local time as asctime writes it, without its newline:
// "Sat Dec 05 01:38:57 2026".
void WriteTraceTime(std::ostream& out, const std::tm& time);

// The optional process and thread headers, an empty line, then
// "+++label : [SessionID=0x.. : ]time", ending with "\n" and the closing '\0'.
void WriteTraceEntry(std::ostream& out, const TraceEntryText& entry);

// "---label[ ERROR:] Returned 0x..[, LarkspurError=name (code)]: Elapsed Time
// = n MS", an empty line after it, and the closing '\0'.
void WriteTraceExit(std::ostream& out, const TraceExitText& exit);

}  // namespace zorvik
