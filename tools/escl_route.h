// Which eSCL resource a request path names, and the one method each takes.
// Pure text work, tested and fuzzed on its own.
#pragma once

#include <cstdint>
#include <string>

namespace zorvik::host {

enum class EsclResource {
  kUnknown,
  kScannerCapabilities,  // GET /eSCL/ScannerCapabilities
  kScannerStatus,        // GET /eSCL/ScannerStatus
  kScanJobs,             // POST /eSCL/ScanJobs
  kJob,                  // DELETE /eSCL/ScanJobs/<n>
  kNextDocument,         // GET /eSCL/ScanJobs/<n>/NextDocument
  kScanImageInfo,        // GET /eSCL/ScanJobs/<n>/ScanImageInfo
};

struct EsclRoute {
  EsclResource resource = EsclResource::kUnknown;
  // The job's number for the job's own resources.
  uint32_t job = 0;
};

// A path such as "/eSCL/ScanJobs/3/NextDocument" (no query). A trailing
// slash is allowed; a job number is 1 to 999999999 without leading zeros.
EsclRoute RouteOf(const std::string& path);

// "GET", "POST" or "DELETE"; empty for kUnknown.
const char* MethodOf(EsclResource resource);

}  // namespace zorvik::host
