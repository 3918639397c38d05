// Word to the user while the program waits on the scanner. A scanner call
// that usually takes a moment (opening the device) can take most of a
// minute when the scanner is starting up, its start is being retried, or
// another program holds it; without a word the program looks hung.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace zorvik::host {

// From a thread of its own: once the wait has lasted `after`, writes
// `message` on a line of its own to `out`; with `progress`, also a line
// redrawn every second with the seconds waited so far. The wait ends when
// the notice is destroyed, which ends the progress line.
class WaitNotice {
 public:
  WaitNotice(std::ostream& out, std::string message, bool progress,
             std::chrono::milliseconds after = std::chrono::seconds(1));
  ~WaitNotice();
  WaitNotice(const WaitNotice&) = delete;
  WaitNotice& operator=(const WaitNotice&) = delete;

  // Writes `line` now, on a line of its own, without tearing the progress line.
  void Say(const std::string& line);

 private:
  void Watch();
  void EndProgressLine();

  std::ostream& out_;
  const std::string message_;
  const bool progress_;
  const std::chrono::milliseconds after_;
  const std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable finished_changed_;
  bool finished_ = false;
  bool progress_line_open_ = false;
  std::thread watcher_;
};

// "Waiting for the scanner: 12 s".
std::string FormatWaitProgress(std::chrono::seconds waited);

}  // namespace zorvik::host
