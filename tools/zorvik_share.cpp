// zorvik_share: shares the 7310 on the network as an eSCL scanner. It is a
// host of the registered Zorvik.Scanner component like zorvik_scan, and
// answers the requests eSCL clients make: the capabilities, the status,
// scan jobs (one at a time) and their documents.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

#include "call_report.h"
#include "console_cancel.h"
#include "console_text.h"
#include "escl_job.h"
#include "escl_route.h"
#include "escl_xml.h"
#include "http_driver_nudge.h"
#include "http_server.h"
#include "scanner_object.h"
#include "scanner_session_guard.h"
#include "share_options.h"
#include "web_page.h"
#include "zorvik.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

constexpr char kXml[] = "text/xml";
constexpr char kText[] = "text/plain";
// Finished jobs the status still lists.
constexpr size_t kJobsRemembered = 8;
// What a busy answer asks the client to wait, in seconds.
constexpr uint32_t kRetryAfterSeconds = 2;
// How long a scanner found held by another host counts as still held.
constexpr std::chrono::seconds kBusyRemembered{4};
// How long a new job waits for an abandoned one to give the scanner back.
constexpr std::chrono::seconds kAbandonedJobEnd{10};
constexpr char kBusyText[] = "another program is using the scanner; try again later\n";

std::string NewUuid() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return "00000000-0000-0000-0000-000000000000";
  char text[40];
  snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
           static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
           guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
           guid.Data4[7]);
  return text;
}

// The scanner's name and limits, read once with the scanner briefly opened
// and locked. False, with `report` saying why, when it could not be read.
bool ReadScannerInfo(const std::wstring& device, CallReport& report, EsclScannerInfo* info) {
  ComPtr<IScanner> scanner;
  if (!CreateScanner(report, &scanner)) return false;
  const ScannerWait wait(0, {});
  std::ostringstream notices;
  OpenedSession session(scanner.Get(), report);
  if (!session.Open(device, wait, {notices, false})) return false;
  HeldLock lock(scanner.Get(), session, report);
  if (!lock.Lock(wait)) return false;
  SCANNER_CAPABILITIES capabilities = {};
  if (!ReadCapabilities(scanner.Get(), session.handle(), report, &capabilities)) {
    return false;
  }
  std::string model(reinterpret_cast<const char*>(capabilities.byModelNumber),
                    strnlen(reinterpret_cast<const char*>(capabilities.byModelNumber),
                            sizeof capabilities.byModelNumber));
  info->make_and_model = "Quennell " + (model.empty() ? std::string("Vistrel 7310") : model);
  info->limits = ScannerLimitsOf(capabilities);
  return true;
}

class EsclServer {
 public:
  EsclServer(const ShareOptions& options, HttpServer& http)
      : options_(options), http_(http), page_([this](bool known) { return ScannerHeld(known); }) {
    info_.uuid = NewUuid();
    info_.serial_number = "zorvik-share";
    info_.formats = options.formats;
  }

  void Serve(const ConsoleCancel& cancel) {
    std::string why;
    if (KnowScanner(&why) == 503) {
      std::cout << "zorvik_share: another program is using the scanner; serving anyway\n"
                << std::flush;
    }
    for (;;) {
      HttpRequest request;
      const ULONG error = http_.Receive(
          kMaxScanSettingsBytes, [&cancel] { return cancel.requested(); }, &request);
      if (error == ERROR_CANCELLED) break;
      if (error != NO_ERROR) {
        std::cerr << "zorvik_share: receiving a request failed: Win32 error " << error << "\n";
        continue;
      }
      Answer(request);
    }
    if (job_) job_->Cancel();
    job_.reset();
  }

 private:
  void Reply(const HttpRequest& request, uint16_t status, const std::string& body,
             const char* type = kText) {
    HttpAnswer answer;
    answer.status = status;
    answer.content_type = type;
    if (status == 503) answer.retry_after_seconds = kRetryAfterSeconds;
    http_.Send(request.id, answer, body);
  }

  void Answer(const HttpRequest& request) {
    if (page_.Answer(request, http_, PageView())) return;
    const EsclRoute route = RouteOf(request.path);
    if (route.resource == EsclResource::kUnknown) {
      return Reply(request, 404, "no such eSCL resource: " + request.path + "\n");
    }
    if (request.method != MethodOf(route.resource)) {
      HttpAnswer answer;
      answer.status = 405;
      answer.content_type = kText;
      answer.allow = MethodOf(route.resource);
      http_.Send(request.id, answer, request.path + " takes " + answer.allow + " only\n");
      return;
    }
    if (request.body_too_large) {
      return Reply(
          request, 413,
          "a request body may hold at most " + std::to_string(kMaxScanSettingsBytes) + " bytes\n");
    }
    switch (route.resource) {
      case EsclResource::kScannerCapabilities:
        return AnswerCapabilities(request);
      case EsclResource::kScannerStatus:
        return Reply(request, 200, WriteScannerStatus(Status()), kXml);
      case EsclResource::kScanJobs:
        return CreateJob(request);
      case EsclResource::kJob:
        return CancelJob(request, route.job);
      case EsclResource::kNextDocument:
        if (job_ && job_->number() == route.job && job_->Fetch(request.id)) return;
        return Reply(request, 404, "job " + std::to_string(route.job) + " has no more documents\n");
      case EsclResource::kScanImageInfo:
        if (job_ && job_->number() == route.job) {
          if (auto image = job_->ImageInfo()) {
            return Reply(request, 200, WriteScanImageInfo(*image), kXml);
          }
        }
        return Reply(request, 404, "no such job\n");
      case EsclResource::kUnknown:
        break;
    }
  }

  // The scanner's capabilities, read when the server starts and, if another
  // host held the scanner then, at the first request that needs them.
  // 0 when they are known, else the status to answer (503 while another
  // host holds the scanner) with `why` for the client.
  uint16_t KnowScanner(std::string* why) {
    if (known_) return 0;
    page_.Settle();  // the scan page's look at the scanner ends first
    std::ostringstream lines;
    CallReport report(lines, "zorvik_share");
    known_ = ReadScannerInfo(options_.device, report, &info_);
    if (known_) return 0;
    if (HeldByAnotherProgram(report.first_driver_error(), false)) {
      *why = kBusyText;
      return 503;
    }
    *why = lines.str();
    std::cerr << *why << std::flush;
    return 500;
  }

  void AnswerCapabilities(const HttpRequest& request) {
    std::string why;
    if (const uint16_t status = KnowScanner(&why)) return Reply(request, status, why);
    Reply(request, 200, WriteScannerCapabilities(info_), kXml);
  }

  EsclStatus Status() const {
    EsclStatus status;
    status.processing = job_ && !job_->finished();
    if (job_) status.jobs.push_back(job_->Info());
    status.jobs.insert(status.jobs.end(), history_.begin(), history_.end());
    return status;
  }

  void CreateJob(const HttpRequest& request) {
    const ReadSettings read = ReadScanSettings(request.body.data(), request.body.size());
    if (read.problem != SettingsProblem::kNone) {
      return Reply(request, read.problem == SettingsProblem::kMalformed ? 400 : 409,
                   read.error + "\n");
    }
    // A job whose client went away mid-scan is ended first: the scanner is
    // free for the next job at once rather than after the whole scan.
    if (job_ && !job_->finished() && !job_->EndIfClientGone(kAbandonedJobEnd)) {
      return Reply(request, 503,
                   "the scanner is busy with job " + std::to_string(job_->number()) + "\n");
    }
    // Finding another host's hold takes the component's own five-second
    // wait; a client asking again soon after is told at once.
    if (std::chrono::steady_clock::now() < busy_until_) return Reply(request, 503, kBusyText);
    std::string why;
    if (const uint16_t status = KnowScanner(&why)) return Reply(request, status, why);
    std::string misfit = CheckScanSettings(read.settings, info_.limits);
    if (std::find(info_.formats.begin(), info_.formats.end(), read.settings.format) ==
        info_.formats.end()) {
      misfit = std::string("this server does not offer ") + EsclFormatMime(read.settings.format);
    }
    if (!misfit.empty()) return Reply(request, 409, misfit + "\n");
    page_.Settle();
    Remember();
    ScanJobSetup setup;
    setup.number = ++jobs_started_;
    setup.uuid = NewUuid();
    setup.device = options_.device;
    setup.settings = read.settings;
    setup.fetch_timeout = std::chrono::seconds(options_.job_timeout_seconds);
    setup.http = &http_;
    setup.scanner_known = known_;
    auto job = std::make_unique<ScanJob>(setup);
    switch (job->start()) {
      case JobStart::kReady: {
        job_ = std::move(job);
        HttpAnswer answer;
        answer.status = 201;
        answer.location = EsclJobPath(job_->number());
        http_.Send(request.id, answer, nullptr, 0);
        return;
      }
      case JobStart::kBusy:
        busy_until_ = std::chrono::steady_clock::now() + kBusyRemembered;
        return Reply(request, 503, kBusyText);
      case JobStart::kRefused:
        return Reply(request, 409, job->message() + "\n");
      case JobStart::kFailed:
        std::cerr << job->message();
        return Reply(request, 500, job->message());
    }
  }

  void CancelJob(const HttpRequest& request, uint32_t number) {
    if (!job_ || job_->number() != number) return Reply(request, 404, "no such job\n");
    job_->Cancel();
    Reply(request, 200, "");
  }

  WebServerView PageView() const {
    WebServerView view;
    view.running_job = job_ && !job_->finished() ? job_->number() : 0;
    view.held_recently = std::chrono::steady_clock::now() < busy_until_;
    view.scanner_known = known_;
    return view;
  }

  // For the scan page, on its own thread: the scanner briefly opened and
  // locked, and held by another host when that fails as a job's would.
  bool ScannerHeld(bool known) const {
    std::ostringstream lines;
    CallReport report(lines, "zorvik_share");
    EsclScannerInfo info;
    if (ReadScannerInfo(options_.device, report, &info)) return false;
    return HeldByAnotherProgram(report.first_driver_error(), known);
  }

  // The finished job goes into the status's history.
  void Remember() {
    if (!job_) return;
    history_.push_front(job_->Info());
    if (history_.size() > kJobsRemembered) history_.pop_back();
    job_.reset();
  }

  const ShareOptions& options_;
  HttpServer& http_;
  EsclScannerInfo info_;
  bool known_ = false;
  // Until then a new job is refused as busy without asking the scanner.
  std::chrono::steady_clock::time_point busy_until_;
  uint32_t jobs_started_ = 0;
  std::unique_ptr<ScanJob> job_;
  std::deque<EsclJobInfo> history_;
  ScanPage page_;
};

int Run(const std::vector<std::wstring>& arguments) {
  UseUtf8Console();
  const ParsedShareOptions parsed = ParseShareOptions(arguments);
  if (!parsed.ok()) {
    std::cerr << "zorvik_share: " << ToUtf8(parsed.error) << "\n"
              << "Try 'zorvik_share --help' for more information.\n";
    return kExitUsage;
  }
  const ShareOptions& options = parsed.options;
  if (options.help) {
    std::cout << ToUtf8(ShareUsageText());
    return kExitSuccess;
  }
  const ConsoleCancel cancel;
  const ComApartment com(COINIT_MULTITHREADED);
  CallReport report(std::cerr, "zorvik_share");
  if (!report.Step("starting COM", com.result(), kExitSystemFailure)) return report.exit_status();

  const std::wstring url = ShareUrl(options);
  std::unique_ptr<HttpServer> http;
  const ULONG error = HttpServer::Start(ShareRootUrl(options), &http);
  if (error != NO_ERROR) {
    report.Step(("serving " + ToUtf8(url)).c_str(), HRESULT_FROM_WIN32(error), kExitSystemFailure);
    return report.exit_status();
  }
  const std::unique_ptr<HttpDriverNudge> nudge = HttpDriverNudge::StartUnderWine();
  const std::string shown = ToUtf8(url.substr(0, url.size() - 1));
  std::cout << "zorvik_share: sharing the 7310 at " << shown << "/\n"
            << "zorvik_share: the scan page for browsers is at " << ToUtf8(ShareRootUrl(options))
            << "\n"
            << "zorvik_share: for sane-airscan, put under [devices] in airscan.conf:\n"
            << "  \"Vistrel 7310 (zorvik)\" = " << shown << ", eSCL\n"
            << "zorvik_share: not announced by DNS-SD (no registration service on this system); "
               "add the address to the client by hand\n"
            << "zorvik_share: Ctrl-C stops\n"
            << std::flush;
  EsclServer server(options, *http);
  server.Serve(cancel);
  std::cout << "zorvik_share: stopped\n";
  return kExitSuccess;
}

}  // namespace
}  // namespace zorvik::host

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return zorvik::host::Run(arguments);
}
