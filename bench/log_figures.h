// The cost of logging to a file: device calls with logging on, and traced
// calls beside the bare appends they require. Every logged figure comes from
// children started while a ScopedLogSettings with LoggingToFile is in force,
// since the component reads its settings once per process.
#pragma once

#include <string>

#include "log_settings_scope.h"

namespace zorvik::bench {

// The settings every logged figure is taken with: logging on, every line (no
// filter), into `log_file`.
test::LogSettingsValues LoggingToFile(const std::string& log_file);

enum class LoggedPath { kScannerObject = 0, kComInApartment = 1, kComAcrossApartments = 2 };

// Microseconds per GetLampStatus (lock held) on `path` in a fresh process
// with logging on; negative on failure.
double LoggedLampMicroseconds(LoggedPath path);

struct LogFigures {
  int processes = 0;
  double untraced_call = -1.0;    // us per the same call with logging off
  double traced_call = -1.0;      // us per traced GetLampStatus, median over the processes
  double locked_append = -1.0;    // us per bare append under the file's named semaphore
  double reopened_append = -1.0;  // the same, opening the semaphore for each append
  double plain_append = -1.0;
  double local_time_us = -1.0;  // one std::time + localtime_s in this process
  // (Traced call - untraced call) / (texts per call x locked append), the
  // median of the ratios of rounds that alternate them.
  double ratio = -1.0;
};

// Rounds of the log measurement.
constexpr int kLogRounds = 5;

// Texts one traced call writes: its entry line and its exit line.
constexpr int kTextsPerTracedCall = 2;

// Runs `processes` processes at once, each making the same calls on a device
// of its own with logging off, then again with logging on to `log_file` (it
// writes the settings itself), then as many doing each kind of bare append
// to that file; several rounds of that.
LogFigures MeasureLog(const std::string& log_file, int processes);

// Log lines that name the traced call per call in the last single-process
// run (a check on kTextsPerTracedCall), and the mean bytes per text there.
struct TracedText {
  double lines_per_call = 0.0;
  double bytes_per_text = 0.0;
};
TracedText LastTracedText();

}  // namespace zorvik::bench
