// Formatting of the call trace's entry and exit texts.
#include "trace_text.h"

#include <cstdio>

#include "driver_error.h"
#include "trace_depth.h"

namespace zorvik {

namespace {

const char* NameOrQuery(const char* const* names, int count, int index) {
  return index >= 0 && index < count ? names[index] : "???";
}

}  // namespace

void WriteTraceTime(std::ostream& out, const std::tm& time) {
  static const char* const kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[64];
  // The year is widened before 1900 is added: no clock value can overflow it.
  std::snprintf(text, sizeof(text), "%s %s %02d %02d:%02d:%02d %lld",
                NameOrQuery(kWeekdays, 7, time.tm_wday), NameOrQuery(kMonths, 12, time.tm_mon),
                time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec,
                static_cast<long long>(time.tm_year) + 1900);
  out << text;
}

void WriteTraceEntry(std::ostream& out, const TraceEntryText& entry) {
  out << std::hex;
  if (entry.process_header) out << "\n!!!! Process ID = 0x" << entry.process_id << " !!!!\n";
  if (entry.thread_header) out << "\n&&&& Thread ID = 0x" << entry.thread_id << " &&&&\n";
  out << '\n';
  WriteIndent(out, entry.depth);
  out << "+++" << (entry.label != nullptr ? entry.label : "") << " : ";
  if (entry.session != 0) out << "SessionID=0x" << entry.session << " : ";
  WriteTraceTime(out, entry.local_time);
  out << '\n' << '\0';
}

void WriteTraceExit(std::ostream& out, const TraceExitText& exit) {
  WriteIndent(out, exit.depth);
  out << "---" << (exit.label != nullptr ? exit.label : "");
  if (exit.result != 0) out << " ERROR:";
  out << " Returned 0x" << std::hex << static_cast<uint32_t>(exit.result);
  if (exit.has_error_code) {
    out << ", LarkspurError=" << DriverErrorName(exit.error_code) << " (" << exit.error_code << ")";
  }
  out << ": Elapsed Time = " << std::dec << exit.elapsed_ms << " MS\n\n" << '\0';
}

}  // namespace zorvik
