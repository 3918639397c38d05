// The command line of zorvik_share. No Windows types, so every rule is
// unit-tested alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "escl_settings.h"

namespace zorvik::host {

constexpr uint16_t kDefaultSharePort = 8090;
constexpr uint32_t kDefaultJobTimeoutSeconds = 60;
constexpr uint32_t kMaxJobTimeoutSeconds = 3600;

struct ShareOptions {
  // The address served; loopback unless the user names another.
  std::wstring address = L"127.0.0.1";
  uint16_t port = kDefaultSharePort;
  // Empty: the toolkit's default device.
  std::wstring device;
  // A job whose document is not fetched within this time is cancelled.
  uint32_t job_timeout_seconds = kDefaultJobTimeoutSeconds;
  // The document formats offered, in the order clients are told them.
  std::vector<EsclFormat> formats = AllEsclFormats();
  bool help = false;
};

struct ParsedShareOptions {
  ShareOptions options;
  // Empty when the command line is good; otherwise one sentence for the user.
  std::wstring error;
  bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name: --listen ADDR:PORT,
// -d/--device PATH, --job-timeout SECONDS, --formats png,jpeg,pdf, -h/--help
// (also as --name=value).
ParsedShareOptions ParseShareOptions(const std::vector<std::wstring>& arguments);

// "http://127.0.0.1:8090/", the prefix the server registers: the scan page
// for browsers lives at its root.
std::wstring ShareRootUrl(const ShareOptions& options);
// "http://127.0.0.1:8090/eSCL/", the root of the eSCL resources.
std::wstring ShareUrl(const ShareOptions& options);

std::wstring ShareUsageText();

}  // namespace zorvik::host
