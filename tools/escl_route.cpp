// Splitting an eSCL path into its resource and job number.
#include "escl_route.h"

#include <vector>

namespace zorvik::host {
namespace {

constexpr size_t kMaxJobDigits = 9;

std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> segments;
  size_t start = 1;
  while (start <= path.size()) {
    const size_t end = path.find('/', start);
    const size_t stop = end == std::string::npos ? path.size() : end;
    segments.push_back(path.substr(start, stop - start));
    start = stop + 1;
  }
  // "/eSCL/ScannerStatus/" ends in an empty segment: the same resource.
  if (!segments.empty() && segments.back().empty()) segments.pop_back();
  return segments;
}

bool JobNumber(const std::string& text, uint32_t* job) {
  if (text.empty() || text.size() > kMaxJobDigits || text[0] == '0') return false;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  *job = value;
  return true;
}

}  // namespace

EsclRoute RouteOf(const std::string& path) {
  EsclRoute route;
  if (path.empty() || path[0] != '/') return route;
  const std::vector<std::string> segments = Segments(path);
  if (segments.size() < 2 || segments.size() > 4 || segments[0] != "eSCL") return route;
  if (segments.size() == 2) {
    if (segments[1] == "ScannerCapabilities") route.resource = EsclResource::kScannerCapabilities;
    if (segments[1] == "ScannerStatus") route.resource = EsclResource::kScannerStatus;
    if (segments[1] == "ScanJobs") route.resource = EsclResource::kScanJobs;
    return route;
  }
  if (segments[1] != "ScanJobs" || !JobNumber(segments[2], &route.job)) return route;
  if (segments.size() == 3) {
    route.resource = EsclResource::kJob;
  } else if (segments[3] == "NextDocument") {
    route.resource = EsclResource::kNextDocument;
  } else if (segments[3] == "ScanImageInfo") {
    route.resource = EsclResource::kScanImageInfo;
  }
  if (route.resource == EsclResource::kUnknown) route.job = 0;
  return route;
}

const char* MethodOf(EsclResource resource) {
  switch (resource) {
    case EsclResource::kScanJobs:
      return "POST";
    case EsclResource::kJob:
      return "DELETE";
    case EsclResource::kUnknown:
      return "";
    default:
      return "GET";
  }
}

}  // namespace zorvik::host
