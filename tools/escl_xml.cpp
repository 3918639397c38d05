// Reading ScanSettings and writing the server's documents with XmlLite.
#include "escl_xml.h"

#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <cstring>

#include "call_report.h"
#include "console_text.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// Deeper documents are not ScanSettings; the bound also keeps the reader's
// own stack small.
constexpr UINT kMaxElementDepth = 16;

std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// A stream over a copy of `size` bytes at `data`, positioned at the start.
HRESULT MemoryStreamOf(const void* data, size_t size, ComPtr<IStream>* stream) {
  HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, stream->ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr) && size > 0) hr = (*stream)->Write(data, static_cast<ULONG>(size), nullptr);
  const LARGE_INTEGER start = {};
  if (SUCCEEDED(hr)) hr = (*stream)->Seek(start, STREAM_SEEK_SET, nullptr);
  return hr;
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
  if (size > kMaxScanSettingsBytes) return MalformedSettings("it is larger than it can be");
  ComPtr<IStream> stream;
  ComPtr<IXmlReader> reader;
  HRESULT hr = MemoryStreamOf(data, size, &stream);
  if (SUCCEEDED(hr)) hr = CreateXmlReader(IID_PPV_ARGS(&reader), nullptr);
  if (SUCCEEDED(hr))
    hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  if (SUCCEEDED(hr)) hr = reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxElementDepth);
  if (SUCCEEDED(hr)) hr = reader->SetInput(stream.Get());
  if (FAILED(hr)) return MalformedSettings("it cannot be read");

  ScanSettingsElements elements;
  XmlNodeType type = XmlNodeType_None;
  while (!elements.stopped() && (hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_Element) {
      const wchar_t* local = nullptr;
      if (FAILED(reader->GetLocalName(&local, nullptr))) {
        return MalformedSettings("an element has no name");
      }
      elements.Start(ToUtf8(local), reader->IsEmptyElement());
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA) {
      const wchar_t* value = nullptr;
      if (SUCCEEDED(reader->GetValue(&value, nullptr))) elements.Text(ToUtf8(value));
    } else if (type == XmlNodeType_EndElement) {
      elements.End();
    }
  }
  if (!elements.stopped() && FAILED(hr)) {
    return MalformedSettings("it is not well-formed XML (" + FormatHresult(hr) + ")");
  }
  return elements.Finish();
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
