// Reading ScanSettings and writing the server's documents with XmlLite.
#include "escl_xml.h"

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <cstring>
#include <optional>

#include "call_report.h"
#include "console_text.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// Deeper documents are not ScanSettings; the bound also keeps the reader's
// own stack small.
constexpr UINT kMaxElementDepth = 16;
// Numbers in a ScanSettings document: plain decimals below ten million.
constexpr size_t kMaxDigits = 7;
constexpr char kThreeHundredths[] = "escl:ThreeHundredthsOfInches";

std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string Trimmed(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<uint32_t> PlainNumber(const std::string& text) {
  if (text.empty() || text.size() > kMaxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value;
}

// A stream over a copy of `size` bytes at `data`, positioned at the start.
HRESULT MemoryStreamOf(const void* data, size_t size, ComPtr<IStream>* stream) {
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream->ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr) && size > 0) hr = (*stream)->Write(data, static_cast<ULONG>(size), nullptr);
  const LARGE_INTEGER start = {};
  if (SUCCEEDED(hr)) hr = (*stream)->Seek(start, STREAM_SEEK_SET, nullptr);
  return hr;
}

// Fills `read` from one element's text; `path` names the element, root first.
void TakeValue(const std::vector<std::string>& path, const std::string& value, int* regions,
               ReadSettings* read) {
  auto fail = [read](SettingsProblem problem, std::string error) {
    if (read->problem != SettingsProblem::kNone) return;
    read->problem = problem;
    read->error = std::move(error);
  };
  auto number = [&](const std::string& name) -> std::optional<uint32_t> {
    const std::optional<uint32_t> parsed = PlainNumber(value);
    if (!parsed)
      fail(SettingsProblem::kMalformed, name + " is not a whole number: '" + value + "'");
    return parsed;
  };
  EsclScanSettings& settings = read->settings;
  const std::string& name = path.back();
  if (path.size() == 4 && path[1] == "ScanRegions" && path[2] == "ScanRegion") {
    if (*regions > 1) return;  // refused once the region ends
    if (name == "XOffset") {
      if (auto v = number(name)) settings.x_offset = *v;
    } else if (name == "YOffset") {
      if (auto v = number(name)) settings.y_offset = *v;
    } else if (name == "Width") {
      if (auto v = number(name)) settings.width = *v;
    } else if (name == "Height") {
      if (auto v = number(name)) settings.height = *v;
    } else if (name == "ContentRegionUnits" && value != kThreeHundredths) {
      fail(SettingsProblem::kUnsupported,
           "regions are measured in " + std::string(kThreeHundredths));
    }
    return;
  }
  if (path.size() != 2) return;
  if (name == "XResolution") {
    settings.x_resolution = number(name);
  } else if (name == "YResolution") {
    settings.y_resolution = number(name);
  } else if (name == "ColorMode") {
    const std::optional<EsclColorMode> mode = EsclColorModeNamed(value);
    if (mode) {
      settings.color_mode = *mode;
    } else {
      fail(SettingsProblem::kUnsupported, "colour mode '" + value + "' is not offered");
    }
  } else if (name == "DocumentFormat" || name == "DocumentFormatExt") {
    const std::optional<EsclFormat> format = EsclFormatOfMime(value);
    if (format) {
      settings.format = *format;
    } else {
      fail(SettingsProblem::kUnsupported, "document format '" + value + "' is not offered");
    }
  } else if (name == "InputSource" && value != "Platen") {
    fail(SettingsProblem::kUnsupported, "this scanner has only the platen, not '" + value + "'");
  }
}

// Writes one document into memory: elements by prefix ("pwg", "scan"),
// the two namespaces declared on the root.
class DocumentWriter {
 public:
  DocumentWriter() {
    hr_ = CreateStreamOnHGlobal(nullptr, TRUE, &stream_);
    if (SUCCEEDED(hr_)) hr_ = CreateXmlWriter(IID_PPV_ARGS(&writer_), nullptr);
    if (SUCCEEDED(hr_)) hr_ = writer_->SetOutput(stream_.Get());
    if (SUCCEEDED(hr_)) hr_ = writer_->WriteStartDocument(XmlStandalone_Omit);
  }

  void Root(const wchar_t* name) {
    if (SUCCEEDED(hr_))
      hr_ = writer_->WriteStartElement(L"scan", name, Wide(kScanNamespace).c_str());
    if (SUCCEEDED(hr_)) {
      hr_ = writer_->WriteAttributeString(L"xmlns", L"pwg", nullptr, Wide(kPwgNamespace).c_str());
    }
  }
  void Start(const wchar_t* prefix, const wchar_t* name) {
    if (SUCCEEDED(hr_)) hr_ = writer_->WriteStartElement(prefix, name, nullptr);
  }
  void End() {
    if (SUCCEEDED(hr_)) hr_ = writer_->WriteEndElement();
  }
  void Text(const wchar_t* prefix, const wchar_t* name, const std::string& value) {
    if (SUCCEEDED(hr_))
      hr_ = writer_->WriteElementString(prefix, name, nullptr, Wide(value).c_str());
  }
  void Number(const wchar_t* prefix, const wchar_t* name, uint64_t value) {
    Text(prefix, name, std::to_string(value));
  }

  // The document as UTF-8; empty when writing failed.
  std::string Finish() {
    if (SUCCEEDED(hr_)) hr_ = writer_->WriteEndDocument();
    if (SUCCEEDED(hr_)) hr_ = writer_->Flush();
    STATSTG stat = {};
    if (SUCCEEDED(hr_)) hr_ = stream_->Stat(&stat, STATFLAG_NONAME);
    HGLOBAL memory = nullptr;
    if (SUCCEEDED(hr_)) hr_ = GetHGlobalFromStream(stream_.Get(), &memory);
    if (FAILED(hr_)) return "";
    std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    if (const void* bytes = GlobalLock(memory)) {
      std::memcpy(text.data(), bytes, text.size());
      GlobalUnlock(memory);
    }
    return text;
  }

 private:
  HRESULT hr_;
  ComPtr<IStream> stream_;
  ComPtr<IXmlWriter> writer_;
};

const char* JobStateName(EsclJobState state) {
  switch (state) {
    case EsclJobState::kPending:
      return "Pending";
    case EsclJobState::kProcessing:
      return "Processing";
    case EsclJobState::kCompleted:
      return "Completed";
    case EsclJobState::kCanceled:
      return "Canceled";
    case EsclJobState::kAborted:
      return "Aborted";
  }
  return "Aborted";
}

}  // namespace

ReadSettings ReadScanSettings(const char* data, size_t size) {
  ReadSettings read;
  auto malformed = [&read](const std::string& why) {
    read.problem = SettingsProblem::kMalformed;
    read.error = "the body is not a ScanSettings document: " + why;
    return read;
  };
  if (size > kMaxScanSettingsBytes) return malformed("it is larger than it can be");
  ComPtr<IStream> stream;
  ComPtr<IXmlReader> reader;
  HRESULT hr = MemoryStreamOf(data, size, &stream);
  if (SUCCEEDED(hr)) hr = CreateXmlReader(IID_PPV_ARGS(&reader), nullptr);
  if (SUCCEEDED(hr))
    hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxElementDepth);
  if (SUCCEEDED(hr)) hr = reader->SetInput(stream.Get());
  if (FAILED(hr)) return malformed("it cannot be read");

  std::vector<std::string> path;
  std::string text;
  int regions = 0;
  bool seen_root = false;
  XmlNodeType type = XmlNodeType_None;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_Element) {
      const wchar_t* local = nullptr;
      if (FAILED(reader->GetLocalName(&local, nullptr))) return malformed("an element has no name");
      const std::string name = ToUtf8(local);
      if (path.empty()) {
        if (seen_root || name != "ScanSettings") return malformed("its root is not ScanSettings");
        seen_root = true;
      }
      if (path.size() == 2 && path[1] == "ScanRegions" && name == "ScanRegion") ++regions;
      text.clear();
      if (!reader->IsEmptyElement()) path.push_back(name);
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA) {
      const wchar_t* value = nullptr;
      if (SUCCEEDED(reader->GetValue(&value, nullptr))) text += ToUtf8(value);
    } else if (type == XmlNodeType_EndElement) {
      if (path.empty()) return malformed("an element ends that never started");
      TakeValue(path, Trimmed(text), &regions, &read);
      text.clear();
      path.pop_back();
    }
  }
  if (FAILED(hr)) return malformed("it is not well-formed XML (" + FormatHresult(hr) + ")");
  if (!seen_root) return malformed("it is empty");
  if (regions > 1 && read.problem == SettingsProblem::kNone) {
    read.problem = SettingsProblem::kUnsupported;
    read.error = "this scanner scans one region at a time";
  }
  return read;
}

std::string WriteScannerCapabilities(const EsclScannerInfo& scanner) {
  const ScannerLimits& limits = scanner.limits;
  DocumentWriter xml;
  xml.Root(L"ScannerCapabilities");
  xml.Text(L"pwg", L"Version", "2.63");
  xml.Text(L"pwg", L"MakeAndModel", scanner.make_and_model);
  xml.Text(L"pwg", L"SerialNumber", scanner.serial_number);
  xml.Text(L"scan", L"UUID", scanner.uuid);
  xml.Start(L"scan", L"Platen");
  xml.Start(L"scan", L"PlatenInputCaps");
  xml.Number(L"scan", L"MinWidth", std::max<uint32_t>(limits.min_width, 1));
  xml.Number(L"scan", L"MaxWidth", limits.flatbed_width);
  xml.Number(L"scan", L"MinHeight", std::max<uint32_t>(limits.min_height, 1));
  xml.Number(L"scan", L"MaxHeight", limits.flatbed_height);
  xml.Number(L"scan", L"MaxScanRegions", 1);
  xml.Start(L"scan", L"SettingProfiles");
  xml.Start(L"scan", L"SettingProfile");
  xml.Start(L"scan", L"ColorModes");
  for (EsclColorMode mode : kEsclColorModes)
    xml.Text(L"scan", L"ColorMode", EsclColorModeName(mode));
  xml.End();
  xml.Start(L"scan", L"DocumentFormats");
  for (EsclFormat format : scanner.formats) {
    xml.Text(L"pwg", L"DocumentFormat", EsclFormatMime(format));
  }
  for (EsclFormat format : scanner.formats) {
    xml.Text(L"scan", L"DocumentFormatExt", EsclFormatMime(format));
  }
  xml.End();
  xml.Start(L"scan", L"SupportedResolutions");
  xml.Start(L"scan", L"DiscreteResolutions");
  for (uint16_t dpi : OfferedResolutions(limits)) {
    xml.Start(L"scan", L"DiscreteResolution");
    xml.Number(L"scan", L"XResolution", dpi);
    xml.Number(L"scan", L"YResolution", dpi);
    xml.End();
  }
  xml.End();
  xml.End();
  xml.Start(L"scan", L"ColorSpaces");
  xml.Text(L"scan", L"ColorSpace", "RGB");
  xml.End();
  xml.End();  // SettingProfile
  xml.End();  // SettingProfiles
  xml.Start(L"scan", L"SupportedIntents");
  for (const char* intent : {"Document", "TextAndGraphic", "Photo", "Preview"}) {
    xml.Text(L"scan", L"Intent", intent);
  }
  xml.End();
  xml.Number(L"scan", L"MaxOpticalXResolution", limits.max_x_resolution);
  xml.Number(L"scan", L"MaxOpticalYResolution", limits.max_y_resolution);
  xml.End();  // PlatenInputCaps
  xml.End();  // Platen
  return xml.Finish();
}

std::string EsclJobPath(uint32_t number) { return "/eSCL/ScanJobs/" + std::to_string(number); }

std::string WriteScannerStatus(const EsclStatus& status) {
  DocumentWriter xml;
  xml.Root(L"ScannerStatus");
  xml.Text(L"pwg", L"Version", "2.63");
  xml.Text(L"pwg", L"State", status.processing ? "Processing" : "Idle");
  xml.Start(L"scan", L"Jobs");
  for (const EsclJobInfo& job : status.jobs) {
    xml.Start(L"scan", L"JobInfo");
    xml.Text(L"pwg", L"JobUri", EsclJobPath(job.number));
    xml.Text(L"pwg", L"JobUuid", job.uuid);
    xml.Number(L"scan", L"Age", job.age_seconds);
    xml.Number(L"pwg", L"ImagesCompleted", job.images_completed);
    xml.Number(L"pwg", L"ImagesToTransfer", job.images_to_transfer);
    xml.Text(L"pwg", L"JobState", JobStateName(job.state));
    xml.Start(L"pwg", L"JobStateReasons");
    xml.Text(L"pwg", L"JobStateReason", job.reason);
    xml.End();
    xml.End();
  }
  xml.End();
  return xml.Finish();
}

std::string WriteScanImageInfo(const EsclImageInfo& info) {
  DocumentWriter xml;
  xml.Root(L"ScanImageInfo");
  xml.Text(L"pwg", L"JobUri", EsclJobPath(info.job_number));
  xml.Text(L"pwg", L"JobUuid", info.job_uuid);
  xml.Number(L"scan", L"ActualWidth", info.width);
  xml.Number(L"scan", L"ActualHeight", info.height);
  xml.Number(L"scan", L"ActualBytesPerLine", info.bytes_per_line);
  return xml.Finish();
}

}  // namespace zorvik::host
