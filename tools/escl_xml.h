// The eSCL documents, read and written through the platform's XmlLite: the
// client's ScanSettings, and the server's ScannerCapabilities,
// ScannerStatus and ScanImageInfo, with the namespaces and element order
// real scanners use (clients compare prefixed names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "escl_settings.h"
#include "escl_settings_reader.h"
#include "scan_request.h"

namespace zorvik::host {

inline constexpr char kPwgNamespace[] = "http://www.pwg.org/schemas/2010/12/sm";
inline constexpr char kScanNamespace[] = "http://schemas.hp.com/imaging/escl/2011/05/03";

// The largest ScanSettings document read; a larger body is refused unread.
inline constexpr size_t kMaxScanSettingsBytes = 64 * 1024;

// Reads a ScanSettings document of `size` bytes, by the rules of
// ScanSettingsElements; a DTD, or a body that is not well-formed XML, is
// malformed.
ReadSettings ReadScanSettings(const char* data, size_t size);

struct EsclScannerInfo {
  std::string make_and_model;
  std::string serial_number;
  std::string uuid;
  ScannerLimits limits;
  std::vector<EsclFormat> formats = AllEsclFormats();
};

std::string WriteScannerCapabilities(const EsclScannerInfo& scanner);

enum class EsclJobState { kPending, kProcessing, kCompleted, kCanceled, kAborted };

struct EsclJobInfo {
  uint32_t number = 0;
  std::string uuid;
  uint32_t age_seconds = 0;
  uint32_t images_completed = 0;
  uint32_t images_to_transfer = 1;
  EsclJobState state = EsclJobState::kPending;
  // The pwg:JobStateReason, e.g. "JobScanning", "JobCompletedSuccessfully".
  std::string reason;
};

// The job's path below the server's root: "/eSCL/ScanJobs/<number>".
std::string EsclJobPath(uint32_t number);

struct EsclStatus {
  bool processing = false;
  std::vector<EsclJobInfo> jobs;
};

std::string WriteScannerStatus(const EsclStatus& status);

struct EsclImageInfo {
  uint32_t job_number = 0;
  std::string job_uuid;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t bytes_per_line = 0;
};

std::string WriteScanImageInfo(const EsclImageInfo& info);

}  // namespace zorvik::host
