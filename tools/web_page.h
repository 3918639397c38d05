// The scan page zorvik_share serves at "/" for any browser: its static files
// (tools/web/, compiled into the program at build time) and the small JSON
// state the page polls. The page scans through the eSCL resources, so a
// page's scan and an eSCL client's job share the one-job-at-a-time rule.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "http_server.h"

namespace zorvik::host {

struct WebAsset {
  const char* path;  // "/index.html", "/scan-page.js", ...
  const char* content_type;
  const unsigned char* bytes;
  size_t size;
};

// The generated table of the page's files (web_assets.cpp in the build tree).
extern const WebAsset kWebAssets[];
extern const size_t kWebAssetCount;

// The file served at `path` ("/" is the page itself); null when none.
const WebAsset* WebAssetAt(const std::string& path);

// What the page shows of the scanner.
enum class WebScannerState {
  kChecking,  // not known yet
  kIdle,
  kScanning,  // a job of this server runs (the page's own or an eSCL client's)
  kHeld,      // another program holds the scanner
};

// {"state":"idle","job":0}: `job` is the running job's number, 0 when none.
std::string WriteWebState(WebScannerState state, uint32_t job);

// What the server knows when the page asks for the state.
struct WebServerView {
  // The running job's number; 0 when none runs.
  uint32_t running_job = 0;
  // A job found the scanner held a moment ago.
  bool held_recently = false;
  // The server has reached the scanner before (see ScanJobSetup).
  bool scanner_known = false;
};

class ScanPage {
 public:
  // `scanner_held(known)` opens and locks the scanner briefly and tells
  // whether another host holds it; it runs on a thread of its own with COM
  // started, since a held lock costs the component's five-second wait.
  explicit ScanPage(std::function<bool(bool scanner_known)> scanner_held);
  ~ScanPage();
  ScanPage(const ScanPage&) = delete;
  ScanPage& operator=(const ScanPage&) = delete;

  // Answers `request` when its path is the page's (a file or the state);
  // false leaves it to the eSCL resources.
  bool Answer(const HttpRequest& request, HttpServer& http, const WebServerView& view);

  // Waits for a running check of the scanner: a job must not open the
  // scanner beside it.
  void Settle();

 private:
  WebScannerState State(const WebServerView& view);
  void TakeCheck();

  struct Check {
    bool held;
    std::chrono::steady_clock::time_point finished;
  };

  std::function<bool(bool)> scanner_held_;
  std::future<Check> check_;
  std::optional<bool> held_;
  std::chrono::steady_clock::time_point checked_;
};

}  // namespace zorvik::host
