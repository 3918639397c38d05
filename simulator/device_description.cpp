// Reads a device description: lines of "setting = value", '#' starts a
// comment. A setting that is unknown or has a bad value is left out and
// reported, never silently ignored.
#include "device_description.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>

namespace zorvik::sim {

namespace {

// Joins the parts of a message (GCC 12 misreads chains of string '+').
std::string Text(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}

std::string_view Trim(std::string_view text) {
  const char* kSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const size_t end = std::min(text.find_first_of(" \t", at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

// A decimal or 0x-prefixed hexadecimal number no larger than `max`.
bool ParseNumber(std::string_view text, uint64_t max, uint64_t* value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  uint64_t parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed, base);
  if (error != std::errc() || end != text.data() + text.size() || parsed > max) return false;
  *value = parsed;
  return true;
}

template <typename Number>
bool ParseField(std::string_view text, Number* field, std::string* error) {
  uint64_t value = 0;
  if (!ParseNumber(text, std::numeric_limits<Number>::max(), &value)) {
    *error =
        Text({"expected a number from 0 to ", std::to_string(std::numeric_limits<Number>::max())});
    return false;
  }
  *field = static_cast<Number>(value);
  return true;
}

bool ParseText(std::string_view text, size_t capacity, std::string* field, std::string* error) {
  // The record keeps a terminating NUL in every text field.
  if (text.size() >= capacity) {
    *error = Text({"longer than ", std::to_string(capacity - 1), " characters"});
    return false;
  }
  *field = std::string(text);
  return true;
}

bool ParseEntryName(std::string_view text, ToolkitEntry* entry, std::string* error) {
  for (size_t i = 0; i < kToolkitEntryPointCount; ++i) {
    if (text == kToolkitEntryPointNames[i]) {
      *entry = static_cast<ToolkitEntry>(i);
      return true;
    }
  }
  *error = Text({"unknown entry point '", text, "'"});
  return false;
}

// "<EntryPoint> status <s> [from <k>] [times <n>]" or, for ReadScan,
// "ReadScan status <s> after <bytes> [status_byte <v>]".
bool ParseFault(std::string_view text, ScriptedFault* fault, std::string* error) {
  const std::vector<std::string_view> words = Words(text);
  if (words.empty() || !ParseEntryName(words[0], &fault->entry, error)) {
    if (words.empty()) *error = "expected an entry point name";
    return false;
  }
  bool has_status = false;
  bool counted = false;
  for (size_t i = 1; i < words.size(); i += 2) {
    if (i + 1 >= words.size()) {
      *error = Text({"'", words[i], "' needs a value"});
      return false;
    }
    const std::string_view word = words[i];
    const std::string_view value = words[i + 1];
    bool parsed = false;
    if (word == "status") {
      parsed = ParseField(value, &fault->status, error);
      has_status = true;
    } else if (word == "from") {
      parsed = ParseField(value, &fault->from, error);
      if (parsed && fault->from == 0) {
        *error = "calls are counted from 1";
        parsed = false;
      }
      counted = true;
    } else if (word == "times") {
      parsed = ParseField(value, &fault->times, error);
      counted = true;
    } else if (word == "after") {
      parsed = ParseField(value, &fault->after_bytes, error);
      fault->has_after_bytes = true;
    } else if (word == "status_byte") {
      parsed = ParseField(value, &fault->status_byte, error);
      fault->leaves_status_byte = true;
    } else {
      *error = Text({"unknown word '", word, "'"});
    }
    if (!parsed) return false;
  }
  if (!has_status) {
    *error = "missing 'status <value>'";
    return false;
  }
  if (fault->has_after_bytes && fault->entry != ToolkitEntry::ReadScan) {
    *error = "'after' applies to ReadScan only";
    return false;
  }
  if (fault->has_after_bytes && counted) {
    *error = "'after' cannot be combined with 'from' or 'times'";
    return false;
  }
  if (fault->leaves_status_byte && !fault->has_after_bytes) {
    *error = "'status_byte' needs 'after <bytes>'";
    return false;
  }
  return true;
}

// "<button> after <polls>".
bool ParsePress(std::string_view text, ScriptedPress* press, std::string* error) {
  const std::vector<std::string_view> words = Words(text);
  if (words.size() != 3 || words[1] != "after") {
    *error = "expected '<button> after <polls>'";
    return false;
  }
  return ParseField(words[0], &press->button, error) &&
         ParseField(words[2], &press->after_polls, error);
}

// "<EntryPoint> <value>", the value not 0.
bool ParseResult(std::string_view text, DeviceDescription* description, std::string* error) {
  const std::vector<std::string_view> words = Words(text);
  ToolkitEntry entry;
  if (words.size() != 2) {
    *error = "expected '<EntryPoint> <value>'";
    return false;
  }
  if (!ParseEntryName(words[0], &entry, error)) return false;
  const bool negative = words[1].front() == '-';
  uint64_t magnitude = 0;
  if (!ParseNumber(negative ? words[1].substr(1) : words[1], 0x7FFFFFFF, &magnitude) ||
      magnitude == 0) {
    *error = "expected a non-zero 32-bit value (a failure is scripted with 'fail')";
    return false;
  }
  const auto value = static_cast<int32_t>(magnitude);
  description->results[static_cast<size_t>(entry)] = negative ? -value : value;
  return true;
}

// "<EntryPoint> <milliseconds>", at most ten seconds.
bool ParseDelay(std::string_view text, DeviceDescription* description, std::string* error) {
  constexpr uint64_t kLongestDelayMs = 10000;
  const std::vector<std::string_view> words = Words(text);
  ToolkitEntry entry;
  if (words.size() != 2) {
    *error = "expected '<EntryPoint> <milliseconds>'";
    return false;
  }
  if (!ParseEntryName(words[0], &entry, error)) return false;
  uint64_t delay = 0;
  if (!ParseNumber(words[1], kLongestDelayMs, &delay)) {
    *error = "expected a delay of 0 to 10000 ms";
    return false;
  }
  description->delays_ms[static_cast<size_t>(entry)] = static_cast<uint32_t>(delay);
  return true;
}

// "<megabytes per second> MB/s", 1 to 10000.
bool ParseBusRate(std::string_view text, DeviceDescription* description, std::string* error) {
  constexpr uint64_t kFastestBusRate = 10000;
  const std::vector<std::string_view> words = Words(text);
  uint64_t rate = 0;
  if (words.size() != 2 || words[1] != "MB/s" || !ParseNumber(words[0], kFastestBusRate, &rate) ||
      rate == 0) {
    *error = "expected '<1 to 10000> MB/s'";
    return false;
  }
  description->bus_rate_mb_per_s = static_cast<uint32_t>(rate);
  return true;
}

bool ParseImage(std::string_view text, ImageSource* image, std::string* error) {
  const std::vector<std::string_view> words = Words(text);
  if (words.size() == 1 && words[0] == "chart") {
    *image = ImageSource{};
    return true;
  }
  if (words.size() == 2 && words[0] == "solid") {
    ImageSource solid{true, 0};
    if (!ParseField(words[1], &solid.value, error)) return false;
    *image = solid;
    return true;
  }
  *error = "expected 'chart' or 'solid <value>'";
  return false;
}

bool ParseLamp(std::string_view text, bool* lamp_on, std::string* error) {
  if (text != "on" && text != "off") {
    *error = "expected 'on' or 'off'";
    return false;
  }
  *lamp_on = text == "on";
  return true;
}

using Setting = std::function<bool(std::string_view, DeviceDescription*, std::string*)>;

template <typename Number>
Setting NumberSetting(Number DeviceDescription::*field) {
  return [field](std::string_view value, DeviceDescription* d, std::string* error) {
    return ParseField(value, &(d->*field), error);
  };
}

Setting TextSetting(std::string DeviceDescription::*field, size_t capacity) {
  return [field, capacity](std::string_view value, DeviceDescription* d, std::string* error) {
    return ParseText(value, capacity, &(d->*field), error);
  };
}

// A namespace-scope table, built when the library loads: a function-local
// static would take a thread-safe initialisation guard, and the runtime
// behind that guard keeps a TLS slot that is never given back when the
// toolkit unloads.
const std::map<std::string_view, Setting> kSettings = {
    {"vendor", TextSetting(&DeviceDescription::vendor, sizeof(TOOLKIT_ABILITY::VendorName))},
    {"model", TextSetting(&DeviceDescription::model, sizeof(TOOLKIT_ABILITY::ModelName))},
    {"firmware",
     TextSetting(&DeviceDescription::firmware, sizeof(TOOLKIT_ABILITY::FirmwareVersion))},
    {"port_type", TextSetting(&DeviceDescription::port_type, sizeof(TOOLKIT_ABILITY::PortType))},
    {"port_address",
     TextSetting(&DeviceDescription::port_address, sizeof(TOOLKIT_ABILITY::PortAddress))},
    {"flatbed_width", NumberSetting(&DeviceDescription::flatbed_width)},
    {"flatbed_length", NumberSetting(&DeviceDescription::flatbed_length)},
    {"adf_width", NumberSetting(&DeviceDescription::adf_width)},
    {"adf_length", NumberSetting(&DeviceDescription::adf_length)},
    {"xpa_width", NumberSetting(&DeviceDescription::xpa_width)},
    {"xpa_length", NumberSetting(&DeviceDescription::xpa_length)},
    {"optical_resolution", NumberSetting(&DeviceDescription::optical_resolution)},
    {"max_x_resolution", NumberSetting(&DeviceDescription::max_x_resolution)},
    {"max_y_resolution", NumberSetting(&DeviceDescription::max_y_resolution)},
    {"max_grey_x_resolution", NumberSetting(&DeviceDescription::max_grey_x_resolution)},
    {"max_grey_y_resolution", NumberSetting(&DeviceDescription::max_grey_y_resolution)},
    {"color_pixel_bound", NumberSetting(&DeviceDescription::color_pixel_bound)},
    {"gray_pixel_bound", NumberSetting(&DeviceDescription::gray_pixel_bound)},
    {"lineart_pixel_bound", NumberSetting(&DeviceDescription::lineart_pixel_bound)},
    {"button_count", NumberSetting(&DeviceDescription::button_count)},
    {"lamp", [](std::string_view value, DeviceDescription* d,
                std::string* error) { return ParseLamp(value, &d->lamp_on, error); }},
    {"image", [](std::string_view value, DeviceDescription* d,
                 std::string* error) { return ParseImage(value, &d->image, error); }},
    {"fail",
     [](std::string_view value, DeviceDescription* d, std::string* error) {
       ScriptedFault fault;
       if (!ParseFault(value, &fault, error)) return false;
       d->faults.push_back(fault);
       return true;
     }},
    {"press",
     [](std::string_view value, DeviceDescription* d, std::string* error) {
       ScriptedPress press{};
       if (!ParsePress(value, &press, error)) return false;
       d->presses.push_back(press);
       return true;
     }},
    {"result", ParseResult},
    {"delay", ParseDelay},
    {"bus_rate", ParseBusRate},
};

void CopyText(const std::string& text, char* field, size_t capacity) {
  std::memset(field, 0, capacity);
  std::memcpy(field, text.data(), std::min(text.size(), capacity - 1));
}

}  // namespace

ParsedDescription ParseDeviceDescription(std::string_view text) {
  ParsedDescription parsed;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  size_t line_number = 0;
  while (!text.empty()) {
    const size_t line_end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, line_end);
    text.remove_prefix(std::min(line_end + 1, text.size()));
    ++line_number;

    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const std::string where = Text({"line ", std::to_string(line_number), ": "});
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      parsed.problems.push_back(where + "expected 'setting = value'");
      continue;
    }
    const std::string_view name = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    const auto setting = kSettings.find(name);
    if (setting == kSettings.end()) {
      parsed.problems.push_back(Text({where, "unknown setting '", name, "'"}));
      continue;
    }
    std::string error;
    if (!setting->second(value, &parsed.description, &error)) {
      parsed.problems.push_back(Text({where, name, ": ", error}));
    }
  }
  return parsed;
}

TOOLKIT_ABILITY AbilityRecord(const DeviceDescription& d) {
  TOOLKIT_ABILITY ability;
  std::memset(&ability, 0, sizeof(ability));
  CopyText(d.vendor, ability.VendorName, sizeof(ability.VendorName));
  CopyText(d.model, ability.ModelName, sizeof(ability.ModelName));
  CopyText(d.firmware, ability.FirmwareVersion, sizeof(ability.FirmwareVersion));
  CopyText(d.port_type, ability.PortType, sizeof(ability.PortType));
  CopyText(d.port_address, ability.PortAddress, sizeof(ability.PortAddress));
  ability.FlatbedMaxWidth = d.flatbed_width;
  ability.FlatbedMaxLength = d.flatbed_length;
  ability.AdfMaxWidth = d.adf_width;
  ability.AdfMaxLength = d.adf_length;
  ability.XpaMaxWidth = d.xpa_width;
  ability.XpaMaxLength = d.xpa_length;
  ability.OpticalRes = d.optical_resolution;
  ability.MaxGreyXRes = d.max_grey_x_resolution;
  ability.MaxGreyYRes = d.max_grey_y_resolution;
  ability.MaxColorXRes = d.max_x_resolution;
  ability.MaxColorYRes = d.max_y_resolution;
  ability.ImageType = 0x7;  // black-and-white, grey and colour
  ability.ScanMethod =
      static_cast<uint16_t>(0x1 | (d.adf_width ? 0x2 : 0) | (d.xpa_width ? 0x4 : 0));
  ability.ChannelsPerPixel = 0xC0;  // three channels
  ability.BitsPerChannel = 16;
  ability.LineartPixelBound = d.lineart_pixel_bound;
  ability.GrayPixelBound = d.gray_pixel_bound;
  ability.ColorPixelBound = d.color_pixel_bound;
  return ability;
}

}  // namespace zorvik::sim
