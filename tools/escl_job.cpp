// The thread of one scan job: scanner set-up, the wait for the fetch, the
// scan encoded into memory, and the answer.
#include "escl_job.h"

#include <objbase.h>
#include <wrl/client.h>

#include <iostream>
#include <sstream>

#include "call_report.h"
#include "console_text.h"
#include "image_writer.h"
#include "pdf_writer.h"
#include "scan_setup.h"
#include "scanner_object.h"
#include "scanner_session_guard.h"
#include "zorvik_contract.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

constexpr uint32_t kReadChunkBytes = 256 * 1024;
// How often a scan asks whether its client is still there.
constexpr std::chrono::milliseconds kClientCheckInterval{200};

const char* FailureReason(uint32_t driver_error) {
  switch (driver_error) {
    case ZORVIK_ERROR_LAMP_OFF:
      return "ScannerLampOff";
    case ZORVIK_ERROR_CALIBRATION_FAILED:
      return "ScannerCalibrationFailed";
    case ZORVIK_ERROR_CARRIAGE_NOT_HOME:
      return "ScannerCarriageFailed";
    default:
      return "JobFailed";
  }
}

// The writer of the document the client asked for, into `stream`.
HRESULT CreateDocumentWriter(IStream* stream, EsclFormat format, const ScanOptions& options,
                             const ImageShape& shape, std::unique_ptr<ScanSink>* writer) {
  HRESULT hr = S_OK;
  if (format == EsclFormat::kPdf) {
    std::unique_ptr<PdfWriter> pdf;
    hr = PdfWriter::CreateInStream(stream, shape, &pdf);
    *writer = std::move(pdf);
  } else {
    std::unique_ptr<ImageWriter> image;
    hr = ImageWriter::CreateInStream(stream, options.format, shape, &image);
    *writer = std::move(image);
  }
  return hr;
}

}  // namespace

ScanJob::ScanJob(ScanJobSetup setup) : setup_(std::move(setup)) {
  std::promise<void> started;
  std::future<void> ready = started.get_future();
  thread_ = std::thread([this, &started] { Run(&started); });
  ready.wait();
}

ScanJob::~ScanJob() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

bool ScanJob::Fetch(HTTP_REQUEST_ID request) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (start_ != JobStart::kReady || fetch_taken_ || cancelled_ || finished_) return false;
  fetch_taken_ = true;
  fetch_ = request;
  changed_.notify_all();
  return true;
}

void ScanJob::Cancel() {
  std::lock_guard<std::mutex> hold(mutex_);
  cancelled_ = true;
  changed_.notify_all();
}

bool ScanJob::EndIfClientGone(std::chrono::milliseconds wait) {
  std::optional<HTTP_REQUEST_ID> fetch;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (finished_) return true;
    fetch = fetch_;
  }
  if (!fetch || setup_.http->ClientConnected(*fetch)) return false;
  std::unique_lock<std::mutex> hold(mutex_);
  CancelForGoneClient();
  return changed_.wait_for(hold, wait, [this] { return finished_; });
}

bool ScanJob::ClientGone() {
  HTTP_REQUEST_ID fetch = HTTP_NULL_ID;
  {
    std::lock_guard<std::mutex> hold(mutex_);
    if (client_gone_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (!fetch_ || now - client_checked_ < kClientCheckInterval) return false;
    client_checked_ = now;
    fetch = *fetch_;
  }
  if (setup_.http->ClientConnected(fetch)) return false;
  std::lock_guard<std::mutex> hold(mutex_);
  CancelForGoneClient();
  return true;
}

void ScanJob::CancelForGoneClient() {
  cancelled_ = true;
  client_gone_ = true;
  changed_.notify_all();
}

bool ScanJob::finished() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return finished_;
}

std::optional<EsclImageInfo> ScanJob::ImageInfo() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return image_;
}

EsclJobInfo ScanJob::Info() const {
  std::lock_guard<std::mutex> hold(mutex_);
  EsclJobInfo info;
  info.number = setup_.number;
  info.uuid = setup_.uuid;
  info.age_seconds = static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - created_)
          .count());
  info.state = state_;
  info.reason = reason_;
  info.images_completed = state_ == EsclJobState::kCompleted ? 1 : 0;
  info.images_to_transfer = state_ == EsclJobState::kPending || state_ == EsclJobState::kProcessing;
  return info;
}

void ScanJob::SetState(EsclJobState state, const std::string& reason) {
  std::lock_guard<std::mutex> hold(mutex_);
  state_ = state;
  reason_ = reason;
}

bool ScanJob::Cancelled() const {
  std::lock_guard<std::mutex> hold(mutex_);
  return cancelled_;
}

void ScanJob::Refuse(JobStart start, const std::string& why) {
  start_ = start;
  message_ = why;
  SetState(EsclJobState::kAborted, "JobFailed");
}

void ScanJob::Run(std::promise<void>* started) {
  std::ostringstream lines;
  CallReport report(lines, "zorvik_share");
  HTTP_REQUEST_ID fetch = HTTP_NULL_ID;
  ComPtr<IStream> image;
  {
    const ComApartment com(COINIT_MULTITHREADED);
    if (!report.Step("starting COM", com.result(), kExitSystemFailure)) {
      Refuse(JobStart::kFailed, lines.str());
    } else {
      ScanInSession(report, started, &fetch, &image);
    }
  }
  if (start_ != JobStart::kReady) {
    if (message_.empty()) message_ = lines.str();
    std::lock_guard<std::mutex> hold(mutex_);
    finished_ = true;
    started->set_value();
    return;
  }
  // The scanner was given back before the client hears anything, so the
  // next job can start the moment this one is answered.
  if (image != nullptr) {
    STATSTG stat = {};
    HGLOBAL memory = nullptr;
    HRESULT hr = image->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(image.Get(), &memory);
    const void* bytes = SUCCEEDED(hr) ? GlobalLock(memory) : nullptr;
    if (bytes != nullptr) {
      HttpAnswer answer;
      answer.content_type = EsclFormatMime(setup_.settings.format);
      const ULONG sent =
          setup_.http->Send(fetch, answer, bytes, static_cast<size_t>(stat.cbSize.QuadPart));
      GlobalUnlock(memory);
      if (sent == NO_ERROR) {
        SetState(EsclJobState::kCompleted, "JobCompletedSuccessfully");
      } else {
        SetState(EsclJobState::kAborted, "JobFailed");
      }
    } else {
      image.Reset();
    }
  }
  if (image == nullptr && fetch != HTTP_NULL_ID) {
    const bool cancelled = Cancelled();
    bool client_gone = false;
    {
      std::lock_guard<std::mutex> hold(mutex_);
      client_gone = client_gone_;
    }
    SetState(cancelled ? EsclJobState::kCanceled : EsclJobState::kAborted,
             cancelled ? "JobCanceledByUser" : FailureReason(report.first_driver_error()));
    if (client_gone) {
      lines << "zorvik_share: job " << setup_.number
            << ": the client went away during the scan; the scanner was stopped and given back\n";
    } else {
      HttpAnswer answer;
      answer.status = 500;
      answer.content_type = "text/plain";
      setup_.http->Send(fetch, answer,
                        cancelled ? std::string("the job was cancelled\n") : lines.str());
    }
  }
  if (!lines.str().empty()) std::cerr << lines.str() << std::flush;
  std::lock_guard<std::mutex> hold(mutex_);
  finished_ = true;
  changed_.notify_all();
}

void ScanJob::ScanInSession(CallReport& report, std::promise<void>* started, HTTP_REQUEST_ID* fetch,
                            ComPtr<IStream>* image) {
  ComPtr<IScanner> scanner;
  if (!CreateScanner(report, &scanner)) return Refuse(JobStart::kFailed, "");
  // No waiting beyond the open's own: a client asks again after a 503.
  const ScannerWait wait(0, [this] { return Cancelled(); });
  std::ostringstream notices;  // the open's waiting notices: nobody to read them
  OpenedSession session(scanner.Get(), report);
  const bool opened = session.Open(setup_.device, wait, {notices, false});
  HeldLock lock(scanner.Get(), session, report);
  if (!opened || !lock.Lock(wait)) {
    const bool busy = HeldByAnotherProgram(report.first_driver_error(), setup_.scanner_known);
    return Refuse(busy ? JobStart::kBusy : JobStart::kFailed, "");
  }
  SCANNER_CAPABILITIES capabilities = {};
  if (!ReadCapabilities(scanner.Get(), session.handle(), report, &capabilities)) {
    return Refuse(JobStart::kFailed, "");
  }
  const ScannerLimits limits = ScannerLimitsOf(capabilities);
  std::string misfit = CheckScanSettings(setup_.settings, limits);
  const ScanOptions options = ToScanOptions(setup_.settings, limits);
  if (misfit.empty()) misfit = ToUtf8(CheckAgainstScanner(options, limits));
  if (!misfit.empty()) return Refuse(JobStart::kRefused, misfit);
  BUFFER_INFO geometry = {};
  if (!SetUpScan(scanner.Get(), session.handle(), options, limits, report, &geometry)) {
    return Refuse(JobStart::kFailed, "");
  }
  const ImageShape shape = ScanImageShape(options, geometry, RequestedPixelWidth(options, limits));
  {
    std::lock_guard<std::mutex> hold(mutex_);
    image_ =
        EsclImageInfo{setup_.number, setup_.uuid, shape.width, shape.height, shape.bytes_per_line};
    start_ = JobStart::kReady;
  }
  started->set_value();

  {
    std::unique_lock<std::mutex> hold(mutex_);
    const bool asked = changed_.wait_for(hold, setup_.fetch_timeout,
                                         [this] { return fetch_.has_value() || cancelled_; });
    if (!asked || cancelled_) {
      state_ = EsclJobState::kCanceled;
      reason_ = asked ? "JobCanceledByUser" : "JobTimedOut";
      return;  // the lock and the session are given back on the way out
    }
    *fetch = *fetch_;
    state_ = EsclJobState::kProcessing;
    reason_ = "JobScanning";
  }
  if (!report.Call("StartScan",
                   [&](DWORD* error) { return scanner->StartScan(session.handle(), error); })) {
    return;
  }
  ComPtr<IStream> encoded;
  std::unique_ptr<ScanSink> writer;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &encoded);
  if (SUCCEEDED(hr))
    hr = CreateDocumentWriter(encoded.Get(), setup_.settings.format, options, shape, &writer);
  bool complete = false;
  if (report.Step("preparing the image encoder", hr, kExitSystemFailure)) {
    const uint64_t total = static_cast<uint64_t>(geometry.dwBytesPerLine) * geometry.dwPixelHeight;
    const TransferResult result =
        TransferScan(total, kReadChunkBytes, ScanReader(scanner.Get(), session.handle(), report),
                     *writer, {}, [this] { return Cancelled() || ClientGone(); });
    complete = result.outcome == TransferOutcome::kComplete;
    if (result.outcome == TransferOutcome::kWriteFailed) {
      report.Step("encoding the image", result.write_error, kExitSystemFailure);
    } else if (result.outcome == TransferOutcome::kScannerMisbehaved) {
      report.Fail("the scanner stopped delivering the image", kExitScannerFailure);
    }
  }
  // Stopped whether or not the image arrived, so the scanner is ready again;
  // a fault at the stop fails the job too, as the image may be wrong.
  const bool stopped = report.Call(
      "StopScan", [&](DWORD* error) { return scanner->StopScan(session.handle(), error); });
  if (complete && stopped) *image = encoded;
}

}  // namespace zorvik::host
