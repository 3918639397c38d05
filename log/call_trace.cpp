// The call trace: entry and exit texts, the process-wide depth and the last
// process and thread that wrote an entry line.
#include "call_trace.h"

#include <atomic>

#include "trace_depth.h"
#include "trace_environment.h"
#include "trace_text.h"

namespace zorvik {

namespace {

// The identities written in the last process and thread headers.  Exchanging
// them tells the writer in one atomic step whether its header is due.
std::atomic<uint32_t> g_last_process_id{0};
std::atomic<uint32_t> g_last_thread_id{0};

}  // namespace

CCallTrace::CCallTrace(const char* label, DWORD session, DWORD* error_code, DWORD category)
    : label_(label != nullptr ? label : ""),
      session_(session),
      error_code_(error_code),
      logger_(category | LOG_ATTR_TRACE | LOG_ATTR_DETAIL) {
  if (logger_.IsEnabled()) WriteEntry();
  EnterTraceLevel();
}

CCallTrace::~CCallTrace() {
  const int32_t depth = LeaveTraceLevel();
  if (logger_.IsEnabled()) WriteExit(depth);
}

void CCallTrace::WriteEntry() {
  const TraceEnvironment& environment = CurrentTraceEnvironment();
  start_tick_ = environment.tick_count();
  std::ostringstream* stream = logger_.GetStream();
  if (stream == nullptr) return;
  TraceEntryText entry{};
  entry.label = label_;
  entry.session = session_;
  entry.depth = CurrentTraceDepth();
  entry.process_id = environment.process_id();
  entry.process_header = g_last_process_id.exchange(entry.process_id) != entry.process_id;
  entry.thread_id = environment.thread_id();
  entry.thread_header = g_last_thread_id.exchange(entry.thread_id) != entry.thread_id;
  environment.local_time(&entry.local_time);
  WriteTraceEntry(*stream, entry);
  logger_.Write(stream);
}

void CCallTrace::WriteExit(int32_t depth) {
  const TraceEnvironment& environment = CurrentTraceEnvironment();
  // Unsigned 32-bit subtraction stays right across the tick counter's wrap.
  const uint32_t elapsed = environment.tick_count() - start_tick_;
  std::ostringstream* stream = logger_.GetStream();
  if (stream == nullptr) return;
  TraceExitText exit{};
  exit.label = label_;
  exit.depth = depth;
  exit.result = result_;
  exit.has_error_code = error_code_ != nullptr;
  exit.error_code = error_code_ != nullptr ? *error_code_ : 0;
  exit.elapsed_ms = elapsed;
  WriteTraceExit(*stream, exit);
  logger_.Write(stream);
}

}  // namespace zorvik
