// Serving the scan page's files and its state.
#include "web_page.h"

#include <objbase.h>

#include "scanner_object.h"

namespace zorvik::host {
namespace {

constexpr char kStatePath[] = "/state.json";
// A check of the scanner is this old before the state asks again: the
// check opens the scanner, so a page left open does not do it often.
constexpr std::chrono::seconds kCheckValid{5};

const char* StateName(WebScannerState state) {
  switch (state) {
    case WebScannerState::kIdle:
      return "idle";
    case WebScannerState::kScanning:
      return "scanning";
    case WebScannerState::kHeld:
      return "held";
    case WebScannerState::kChecking:
      break;
  }
  return "checking";
}

void Reply(HttpServer& http, const HttpRequest& request, uint16_t status, const char* type,
           const void* body, size_t size, const char* allow = "") {
  HttpAnswer answer;
  answer.status = status;
  answer.content_type = type;
  answer.allow = allow;
  http.Send(request.id, answer, body, size);
}

}  // namespace

const WebAsset* WebAssetAt(const std::string& path) {
  const std::string wanted = path == "/" ? "/index.html" : path;
  for (size_t i = 0; i < kWebAssetCount; ++i) {
    if (wanted == kWebAssets[i].path) return &kWebAssets[i];
  }
  return nullptr;
}

std::string WriteWebState(WebScannerState state, uint32_t job) {
  return std::string("{\"state\":\"") + StateName(state) + "\",\"job\":" + std::to_string(job) +
         "}\n";
}

ScanPage::ScanPage(std::function<bool(bool)> scanner_held)
    : scanner_held_(std::move(scanner_held)) {}

ScanPage::~ScanPage() { Settle(); }

bool ScanPage::Answer(const HttpRequest& request, HttpServer& http, const WebServerView& view) {
  const WebAsset* asset = WebAssetAt(request.path);
  if (asset == nullptr && request.path != kStatePath) return false;
  if (request.method != "GET") {
    const std::string text = request.path + " takes GET only\n";
    Reply(http, request, 405, "text/plain", text.data(), text.size(), "GET");
    return true;
  }
  if (asset != nullptr) {
    Reply(http, request, 200, asset->content_type, asset->bytes, asset->size);
    return true;
  }
  const std::string state = WriteWebState(State(view), view.running_job);
  Reply(http, request, 200, "application/json", state.data(), state.size());
  return true;
}

WebScannerState ScanPage::State(const WebServerView& view) {
  TakeCheck();
  if (view.running_job != 0) return WebScannerState::kScanning;
  if (view.held_recently) return WebScannerState::kHeld;
  // Only between jobs, and never two at once: the check opens the scanner.
  const bool stale = !held_ || std::chrono::steady_clock::now() - checked_ >= kCheckValid;
  if (stale && !check_.valid()) {
    check_ = std::async(std::launch::async, [this, known = view.scanner_known] {
      const ComApartment com(COINIT_MULTITHREADED);
      const bool held = SUCCEEDED(com.result()) && scanner_held_(known);
      return Check{held, std::chrono::steady_clock::now()};
    });
  }
  if (!held_) return WebScannerState::kChecking;
  return *held_ ? WebScannerState::kHeld : WebScannerState::kIdle;
}

void ScanPage::TakeCheck() {
  if (!check_.valid() || check_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    return;
  }
  const Check check = check_.get();
  held_ = check.held;
  checked_ = check.finished;
}

void ScanPage::Settle() {
  if (!check_.valid()) return;
  check_.wait();
  TakeCheck();
}

}  // namespace zorvik::host
