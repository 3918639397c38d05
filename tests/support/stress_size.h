// The size of a stress run. CI runs every stress test at a small size; the
// long run (`./zorvik.sh reliability`) sets ZORVIK_LONG_RUN=1 for the same
// tests, which then run at the size the reliability figures are taken from.
#pragma once

#include <cstddef>
#include <string>

namespace zorvik::test {

// True when the tests run at the long size.
bool IsLongRun();

// `ci` in a CI run, `long_run` in a long run.
std::size_t StressCount(std::size_t ci, std::size_t long_run);

// Prints one figure of a stress run as a line of its own,
// "[  FIGURE  ] <category>: <text>", which the long run collects.
void ReportFigure(const std::string& category, const std::string& text);

}  // namespace zorvik::test
