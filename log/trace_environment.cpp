// The system's clock, local time and identities, as the call trace sees them.
#include "trace_environment.h"

#include <windows.h>

namespace zorvik {

namespace {

uint32_t SystemTickCount() { return GetTickCount(); }
uint32_t SystemProcessId() { return GetCurrentProcessId(); }
uint32_t SystemThreadId() { return GetCurrentThreadId(); }

void SystemLocalTime(std::tm* now) {
  const std::time_t seconds = std::time(nullptr);
  if (localtime_s(now, &seconds) != 0) *now = std::tm{};
}

TraceEnvironment g_environment = {SystemTickCount, SystemProcessId, SystemThreadId,
                                  SystemLocalTime};

}  // namespace

const TraceEnvironment& CurrentTraceEnvironment() { return g_environment; }

TraceEnvironment& TraceEnvironmentForTesting() { return g_environment; }

}  // namespace zorvik
