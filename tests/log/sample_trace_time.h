// The local time the trace tests write: Saturday, 5 December 2026, 01:38:57,
// which asctime gives as "Sat Dec 05 01:38:57 2026".
#pragma once

#include <ctime>

namespace zorvik::test {

inline std::tm SampleTraceTime() {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 11;
  time.tm_mday = 5;
  time.tm_wday = 6;
  time.tm_hour = 1;
  time.tm_min = 38;
  time.tm_sec = 57;
  return time;
}

}  // namespace zorvik::test
