// The rules of a ScanSettings document's elements.
#include "escl_settings_reader.h"

#include <optional>

namespace zorvik::host {
namespace {

// Numbers in a ScanSettings document: plain decimals below ten million.
constexpr size_t kMaxDigits = 7;
constexpr char kThreeHundredths[] = "escl:ThreeHundredthsOfInches";

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

}  // namespace

ReadSettings MalformedSettings(const std::string& why) {
  ReadSettings read;
  read.problem = SettingsProblem::kMalformed;
  read.error = "the body is not a ScanSettings document: " + why;
  return read;
}

void ScanSettingsElements::Malformed(const std::string& why) {
  if (!stopped()) read_ = MalformedSettings(why);
}

void ScanSettingsElements::Start(const std::string& local_name, bool empty) {
  if (stopped()) return;
  if (path_.empty()) {
    if (seen_root_ || local_name != "ScanSettings")
      return Malformed("its root is not ScanSettings");
    seen_root_ = true;
  }
  if (path_.size() == 2 && path_[1] == "ScanRegions" && local_name == "ScanRegion") ++regions_;
  text_.clear();
  if (!empty) path_.push_back(local_name);
}

void ScanSettingsElements::Text(const std::string& text) {
  if (!stopped()) text_ += text;
}

void ScanSettingsElements::End() {
  if (stopped()) return;
  if (path_.empty()) return Malformed("an element ends that never started");
  TakeValue(Trimmed(text_));
  text_.clear();
  path_.pop_back();
}

ReadSettings ScanSettingsElements::Finish() const {
  if (stopped()) return read_;
  if (!seen_root_) return MalformedSettings("it is empty");
  if (!path_.empty()) return MalformedSettings("it ends inside " + path_.back());
  ReadSettings read = read_;
  if (regions_ > 1 && read.problem == SettingsProblem::kNone) {
    read.problem = SettingsProblem::kUnsupported;
    read.error = "this scanner scans one region at a time";
  }
  return read;
}

// Fills the settings from the text of the element that ends.
void ScanSettingsElements::TakeValue(const std::string& value) {
  auto fail = [this](SettingsProblem problem, std::string error) {
    if (read_.problem != SettingsProblem::kNone) return;
    read_.problem = problem;
    read_.error = std::move(error);
  };
  auto number = [&](const std::string& name) -> std::optional<uint32_t> {
    const std::optional<uint32_t> parsed = PlainNumber(value);
    if (!parsed)
      fail(SettingsProblem::kMalformed, name + " is not a whole number: '" + value + "'");
    return parsed;
  };
  EsclScanSettings& settings = read_.settings;
  const std::string& name = path_.back();
  if (path_.size() == 4 && path_[1] == "ScanRegions" && path_[2] == "ScanRegion") {
    if (regions_ > 1) return;  // refused once the document ends
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
  if (path_.size() != 2) return;
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

}  // namespace zorvik::host
