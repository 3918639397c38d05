// zorvik_share's command line.
#include "share_options.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace zorvik::host {
namespace {

bool WholeNumber(const std::wstring& text, uint32_t low, uint32_t high, uint32_t* value) {
  if (text.empty() || text.size() > 9) return false;
  uint32_t parsed = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    parsed = parsed * 10 + static_cast<uint32_t>(c - L'0');
  }
  if (parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

// A host name, an IPv4 address, "+" or "*" (every address), or an IPv6
// address in brackets.
bool GoodAddress(const std::wstring& address) {
  if (address.empty()) return false;
  if (address.front() == L'[') {
    if (address.size() < 3 || address.back() != L']') return false;
    for (size_t i = 1; i + 1 < address.size(); ++i) {
      const wchar_t c = address[i];
      if (!iswxdigit(c) && c != L':' && c != L'.') return false;
    }
    return true;
  }
  if (address == L"+" || address == L"*") return true;
  for (wchar_t c : address) {
    if (!iswalnum(c) && c != L'.' && c != L'-') return false;
  }
  return true;
}

std::wstring ParseListen(const std::wstring& value, ShareOptions* options) {
  const size_t colon = value.rfind(L':');
  const std::wstring bad =
      L"--listen takes ADDRESS:PORT (e.g. 127.0.0.1:8090), not '" + value + L"'";
  if (colon == std::wstring::npos) return bad;
  const std::wstring address = value.substr(0, colon);
  uint32_t port = 0;
  if (!GoodAddress(address) || !WholeNumber(value.substr(colon + 1), 1, 65535, &port)) return bad;
  options->address = address;
  options->port = static_cast<uint16_t>(port);
  return L"";
}

// Names of kEsclFormats, comma-separated, each once.
std::wstring ParseFormats(const std::wstring& value, ShareOptions* options) {
  auto wide = [](const char* name) { return std::wstring(name, name + strlen(name)); };
  std::wstring known;
  for (const EsclFormatEntry& entry : kEsclFormats) {
    known += (known.empty() ? L"" : L", ") + wide(entry.name);
  }
  std::vector<EsclFormat> formats;
  size_t start = 0;
  for (;;) {
    const size_t comma = value.find(L',', start);
    const std::wstring name =
        value.substr(start, comma == std::wstring::npos ? comma : comma - start);
    std::optional<EsclFormat> format;
    for (const EsclFormatEntry& entry : kEsclFormats) {
      if (name == wide(entry.name)) format = entry.format;
    }
    if (!format || std::find(formats.begin(), formats.end(), *format) != formats.end()) {
      return L"--formats takes a comma-separated list of " + known + L", each once, not '" + value +
             L"'";
    }
    formats.push_back(*format);
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  options->formats = formats;
  return L"";
}

}  // namespace

ParsedShareOptions ParseShareOptions(const std::vector<std::wstring>& arguments) {
  ParsedShareOptions parsed;
  ShareOptions& options = parsed.options;
  for (size_t i = 0; i < arguments.size() && parsed.ok(); ++i) {
    std::wstring name = arguments[i];
    std::wstring value;
    bool has_value = false;
    const size_t equals = name.find(L'=');
    if (name.rfind(L"--", 0) == 0 && equals != std::wstring::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      has_value = true;
    }
    if (name == L"-h" || name == L"--help") {
      options.help = true;
      continue;
    }
    if (name != L"--listen" && name != L"-d" && name != L"--device" && name != L"--job-timeout" &&
        name != L"--formats") {
      parsed.error = L"unknown option '" + arguments[i] + L"'";
      break;
    }
    if (!has_value) {
      if (i + 1 >= arguments.size()) {
        parsed.error = name + L" needs a value";
        break;
      }
      value = arguments[++i];
    }
    if (name == L"--listen") {
      parsed.error = ParseListen(value, &options);
    } else if (name == L"--job-timeout") {
      if (!WholeNumber(value, 1, kMaxJobTimeoutSeconds, &options.job_timeout_seconds)) {
        parsed.error = L"--job-timeout takes whole seconds from 1 to " +
                       std::to_wstring(kMaxJobTimeoutSeconds) + L", not '" + value + L"'";
      }
    } else if (name == L"--formats") {
      parsed.error = ParseFormats(value, &options);
    } else {
      options.device = value;
    }
  }
  return parsed;
}

std::wstring ShareRootUrl(const ShareOptions& options) {
  return L"http://" + options.address + L":" + std::to_wstring(options.port) + L"/";
}

std::wstring ShareUrl(const ShareOptions& options) { return ShareRootUrl(options) + L"eSCL/"; }

std::wstring ShareUsageText() {
  return LR"(Usage: zorvik_share [OPTION]...
Shares the 7310 on the network as an eSCL (AirScan, Mopria) scanner, so the
scanning tools of Linux (sane-airscan), macOS, Windows and Android can use it.
It serves until it is stopped with Ctrl-C.

  --listen=ADDRESS:PORT  the address and port to serve (default 127.0.0.1:8090,
                         this computer only; eSCL has no authentication, so
                         serve another address only on a network you trust)
  -d, --device=PATH      the scanner's device path (default: the toolkit's
                         default device)
  --job-timeout=SECONDS  cancel a scan job whose image is not fetched within
                         this time and give the scanner back (default 60)
  --formats=LIST         the document formats offered, comma-separated: png,
                         jpeg, pdf (default png,jpeg,pdf)
  -h, --help             this help

One scan job runs at a time; a job asked for while another runs, or while
another program holds the scanner, is answered "busy" (HTTP 503).
)";
}

}  // namespace zorvik::host
