// The run size from the environment, and the figure lines of stress tests.
#include "stress_size.h"

#include <cstdio>
#include <cstdlib>

namespace zorvik::test {

bool IsLongRun() {
  const char* value = std::getenv("ZORVIK_LONG_RUN");
  return value != nullptr && value[0] != '\0' && std::string(value) != "0";
}

std::size_t StressCount(std::size_t ci, std::size_t long_run) {
  return IsLongRun() ? long_run : ci;
}

void ReportFigure(const std::string& category, const std::string& text) {
  std::printf("[  FIGURE  ] %s: %s\n", category.c_str(), text.c_str());
  std::fflush(stdout);
}

}  // namespace zorvik::test
