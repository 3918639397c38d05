// One eSCL scan job of zorvik_share, on a thread of its own: the thread
// opens and locks the scanner and sets the scan up (so a busy scanner is
// known when the job is asked for), then waits for the client to fetch the
// document, scans while encoding, gives the scanner back and only then
// answers: a complete image or an error status, never a broken image. A
// job that is cancelled, or not fetched in time, stops the scanner and
// gives it back at once, and so does a job whose client goes away while
// the document is scanned.
#pragma once

#include <objidl.h>
#include <wrl/client.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <future>
#include <optional>
#include <string>
#include <thread>

#include "escl_settings.h"
#include "escl_xml.h"
#include "call_report.h"
#include "http_server.h"

namespace zorvik::host {

struct ScanJobSetup {
  uint32_t number = 0;
  std::string uuid;
  // Empty: the toolkit's default device.
  std::wstring device;
  EsclScanSettings settings;
  // How long the job waits for its document to be fetched.
  std::chrono::milliseconds fetch_timeout{60000};
  HttpServer* http = nullptr;
  // The server has reached this scanner before, so a scanner that cannot be
  // opened now is held by another host rather than missing.
  bool scanner_known = false;
};

enum class JobStart {
  kReady,
  // Another host holds the scanner (answered 503).
  kBusy,
  // The scanner cannot make this scan (409).
  kRefused,
  // The scanner failed (500).
  kFailed,
};

class ScanJob {
 public:
  // Starts the job's thread and waits until the scan is set up or failed.
  explicit ScanJob(ScanJobSetup setup);
  // Cancels the job if it still runs, and waits for its thread.
  ~ScanJob();
  ScanJob(const ScanJob&) = delete;
  ScanJob& operator=(const ScanJob&) = delete;

  JobStart start() const { return start_; }
  // Why the job did not start, for the client and the server's log.
  const std::string& message() const { return message_; }
  uint32_t number() const { return setup_.number; }

  // Hands a NextDocument request to the job, which answers it. False, with
  // the request left to the caller, when the job has no document to give.
  bool Fetch(HTTP_REQUEST_ID request);
  // Asks the job to stop; the scanner is stopped and given back.
  void Cancel();
  // When the client that fetched the document has gone (killed, say, in the
  // middle of the scan), stops the job and waits up to `wait` for the
  // scanner to be given back. True when the job has ended by then.
  bool EndIfClientGone(std::chrono::milliseconds wait);
  // True once the scanner has been given back.
  bool finished() const;
  EsclJobInfo Info() const;
  // The geometry of the image, once the scan is set up.
  std::optional<EsclImageInfo> ImageInfo() const;

 private:
  void Run(std::promise<void>* started);
  // Everything done with the scanner open and locked; `image` is the
  // encoded image when the scan succeeded, `fetch` the request to answer.
  void ScanInSession(CallReport& report, std::promise<void>* started, HTTP_REQUEST_ID* fetch,
                     Microsoft::WRL::ComPtr<IStream>* image);
  void Refuse(JobStart start, const std::string& why);
  bool Cancelled() const;
  // True when the document's client has gone; the job is then cancelled.
  // Asks the HTTP driver at most every kClientCheckInterval.
  bool ClientGone();
  // Marks the job cancelled because its client has gone; mutex_ is held.
  void CancelForGoneClient();
  void SetState(EsclJobState state, const std::string& reason);

  const ScanJobSetup setup_;
  const std::chrono::steady_clock::time_point created_ = std::chrono::steady_clock::now();
  JobStart start_ = JobStart::kFailed;
  std::string message_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  EsclJobState state_ = EsclJobState::kPending;
  std::string reason_ = "JobQueued";
  bool fetch_taken_ = false;
  std::optional<HTTP_REQUEST_ID> fetch_;
  bool cancelled_ = false;
  bool client_gone_ = false;
  std::chrono::steady_clock::time_point client_checked_;
  bool finished_ = false;
  std::optional<EsclImageInfo> image_;
  std::thread thread_;
};

}  // namespace zorvik::host
