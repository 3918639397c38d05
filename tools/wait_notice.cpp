// The waiting notice's thread.
#include "wait_notice.h"

namespace zorvik::host {

WaitNotice::WaitNotice(std::ostream& out, std::string message, bool progress,
                       std::chrono::milliseconds after)
    : out_(out),
      message_(std::move(message)),
      progress_(progress),
      after_(after),
      start_(std::chrono::steady_clock::now()),
      watcher_([this] { Watch(); }) {}

WaitNotice::~WaitNotice() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    EndProgressLine();
  }
  finished_changed_.notify_all();
  watcher_.join();
}

void WaitNotice::Say(const std::string& line) {
  const std::lock_guard<std::mutex> lock(mutex_);
  EndProgressLine();
  out_ << line << "\n" << std::flush;
}

void WaitNotice::EndProgressLine() {
  if (!progress_line_open_) return;
  out_ << "\n" << std::flush;
  progress_line_open_ = false;
}

void WaitNotice::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (finished_changed_.wait_for(lock, after_, [this] { return finished_; })) return;
  out_ << message_ << "\n" << std::flush;
  while (progress_) {
    const auto waited =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_);
    out_ << "\r" << FormatWaitProgress(waited) << std::flush;
    progress_line_open_ = true;
    if (finished_changed_.wait_for(lock, std::chrono::seconds(1), [this] { return finished_; })) {
      return;
    }
  }
}

std::string FormatWaitProgress(std::chrono::seconds waited) {
  return "Waiting for the scanner: " + std::to_string(waited.count()) + " s";
}

}  // namespace zorvik::host
