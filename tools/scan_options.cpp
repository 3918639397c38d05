// Parser of zorvik_scan's command line. Long options take their value as
// "--name=value" or "--name value", short ones as "-d value" or "-dvalue";
// short flags may be bundled ("-pA"). A later option overrides an earlier one.
#include "scan_options.h"

#include <cmath>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <span>

namespace zorvik::host {
namespace {

// Thrown inside the parser only, turned into ParsedOptions::error.
struct OptionError {
  std::wstring message;
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring Quoted(const std::wstring& text) { return L"'" + text + L"'"; }

// A whole number in [low, high]; `name` is the option as the user wrote it.
uint32_t ParseWhole(const std::wstring& name, const std::wstring& value, uint32_t low,
                    uint32_t high, const wchar_t* suffix = nullptr) {
  std::wstring digits = value;
  if (suffix != nullptr && digits.size() > wcslen(suffix) && Lower(digits).ends_with(suffix)) {
    digits.resize(digits.size() - wcslen(suffix));
  }
  if (digits.empty() || digits.size() > 10 ||
      digits.find_first_not_of(L"0123456789") != std::wstring::npos) {
    throw OptionError{L"invalid value " + Quoted(value) + L" for " + name +
                      L": expected a whole number"};
  }
  const unsigned long long number = std::wcstoull(digits.c_str(), nullptr, 10);
  if (number < low || number > high) {
    throw OptionError{L"value " + digits + L" for " + name + L" is out of range (" +
                      std::to_wstring(low) + L" to " + std::to_wstring(high) + L")"};
  }
  return static_cast<uint32_t>(number);
}

// A decimal number (point as separator), finite.
double ParseDecimal(const std::wstring& name, const std::wstring& value) {
  const bool plain =
      !value.empty() && value.find_first_not_of(L"0123456789.+-") == std::wstring::npos;
  wchar_t* end = nullptr;
  const double number = plain ? std::wcstod(value.c_str(), &end) : 0.0;
  if (!plain || end != value.c_str() + value.size() || !std::isfinite(number)) {
    throw OptionError{L"invalid value " + Quoted(value) + L" for " + name +
                      L": expected a number such as 12.5"};
  }
  return number;
}

double ParseAreaValue(const std::wstring& name, const std::wstring& value, bool size) {
  const double number = ParseDecimal(name, value);
  if (number < 0 || (size && number == 0)) {
    throw OptionError{L"value " + value + L" for " + name + L" is out of range (" +
                      (size ? L"more than 0" : L"0 or more") + L")"};
  }
  return number;
}

// One of `choices` (compared without case); returns its index.
size_t ParseChoice(const std::wstring& name, const std::wstring& value,
                   std::initializer_list<const wchar_t*> choices) {
  std::wstring listed;
  size_t index = 0;
  for (const wchar_t* choice : choices) {
    if (Lower(value) == Lower(choice)) return index;
    listed += (index == 0 ? L"" : (index + 1 == choices.size() ? L" or " : L", "));
    listed += choice;
    ++index;
  }
  throw OptionError{L"invalid value " + Quoted(value) + L" for " + name + L": use " + listed};
}

SwitchAction ParseSwitch(const std::wstring& name, const std::wstring& value) {
  switch (ParseChoice(name, value, {L"on", L"off", L"status"})) {
    case 0:
      return SwitchAction::kOn;
    case 1:
      return SwitchAction::kOff;
    default:
      return SwitchAction::kStatus;
  }
}

std::optional<ImageFormat> FormatFromExtension(const std::wstring& path) {
  const size_t dot = path.find_last_of(L'.');
  const size_t separator = path.find_last_of(L"\\/");
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
    return std::nullopt;
  }
  const std::wstring extension = Lower(path.substr(dot + 1));
  if (extension == L"png") return ImageFormat::kPng;
  if (extension == L"tif" || extension == L"tiff") return ImageFormat::kTiff;
  if (extension == L"bmp") return ImageFormat::kBmp;
  if (extension == L"jpg" || extension == L"jpeg") return ImageFormat::kJpeg;
  return std::nullopt;
}

// What the options said before the rules that tie them together are applied.
struct RawOptions {
  ScanOptions options;
  std::optional<uint8_t> depth;
  std::optional<uint16_t> resolution;
  std::optional<uint16_t> x_resolution;
  std::optional<uint16_t> y_resolution;
  std::optional<ImageFormat> format;
};

using ValueHandler =
    std::function<void(RawOptions&, const std::wstring& name, const std::wstring& value)>;
using FlagHandler = std::function<void(RawOptions&)>;

struct OptionRow {
  const wchar_t* long_name;  // without the leading "--"
  wchar_t short_name;        // 0: none
  ValueHandler with_value;   // set for options that take a value
  FlagHandler flag;          // set for options that take none
};

uint16_t ParseResolution(const std::wstring& name, const std::wstring& value) {
  return static_cast<uint16_t>(ParseWhole(name, value, 1, 0xFFFF, L"dpi"));
}

const std::vector<OptionRow>& OptionTable() {
  static const std::vector<OptionRow> table = {
      {L"device-name", L'd',
       [](RawOptions& raw, const std::wstring&, const std::wstring& value) {
         raw.options.device = value;
       },
       nullptr},
      {L"device", 0,
       [](RawOptions& raw, const std::wstring&, const std::wstring& value) {
         raw.options.device = value;
       },
       nullptr},
      {L"mode", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.mode =
             static_cast<ScanMode>(ParseChoice(name, value, {L"Color", L"Gray", L"Lineart"}));
       },
       nullptr},
      {L"depth", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         const uint32_t depth = ParseWhole(name, value, 1, 16);
         if (depth != 1 && depth != 8 && depth != 16) {
           throw OptionError{L"invalid value " + Quoted(value) + L" for " + name +
                             L": use 8 or 16 (1 for Lineart)"};
         }
         raw.depth = static_cast<uint8_t>(depth);
       },
       nullptr},
      {L"resolution", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.resolution = ParseResolution(name, value);
       },
       nullptr},
      {L"x-resolution", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.x_resolution = ParseResolution(name, value);
       },
       nullptr},
      {L"y-resolution", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.y_resolution = ParseResolution(name, value);
       },
       nullptr},
      {L"left", L'l',
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.left = ParseAreaValue(name, value, false);
       },
       nullptr},
      {L"top", L't',
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.top = ParseAreaValue(name, value, false);
       },
       nullptr},
      {L"width", L'x',
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.width = ParseAreaValue(name, value, true);
       },
       nullptr},
      {L"height", L'y',
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.height = ParseAreaValue(name, value, true);
       },
       nullptr},
      {L"unit", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.unit = ParseChoice(name, value, {L"mm", L"in"}) == 0 ? LengthUnit::kMillimetre
                                                                          : LengthUnit::kInch;
       },
       nullptr},
      {L"format", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.format =
             static_cast<ImageFormat>(ParseChoice(name, value, {L"png", L"tiff", L"bmp", L"jpeg"}));
       },
       nullptr},
      {L"output-file", L'o',
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         if (value.empty()) throw OptionError{name + L" needs a file name"};
         raw.options.output_file = value;
       },
       nullptr},
      {L"gamma", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         const double gamma = ParseDecimal(name, value);
         if (gamma < kMinGamma || gamma > kMaxGamma) {
           throw OptionError{L"value " + value + L" for " + name + L" is out of range (0.1 to 10)"};
         }
         raw.options.gamma = gamma;
       },
       nullptr},
      {L"lock-timeout", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.lock_timeout_ms = ParseWhole(name, value, 0, kMaxLockTimeoutMs);
       },
       nullptr},
      {L"lamp", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.lamp = ParseSwitch(name, value);
       },
       nullptr},
      {L"log", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         raw.options.log = ParseSwitch(name, value);
       },
       nullptr},
      {L"log-file", 0,
       [](RawOptions& raw, const std::wstring& name, const std::wstring& value) {
         if (value.empty() || value.size() > kMaxLogFilePath) {
           throw OptionError{name + L" needs a path of 1 to 259 characters"};
         }
         raw.options.log_file = value;
       },
       nullptr},
      {L"progress", L'p', nullptr, [](RawOptions& raw) { raw.options.progress = true; }},
      {L"list-devices", L'L', nullptr, [](RawOptions& raw) { raw.options.list_devices = true; }},
      {L"all-options", L'A', nullptr, [](RawOptions& raw) { raw.options.all_options = true; }},
      {L"capabilities", 0, nullptr, [](RawOptions& raw) { raw.options.capabilities = true; }},
      {L"buttons", 0, nullptr,
       [](RawOptions& raw) { raw.options.buttons = ButtonAction::kPollOnce; }},
      {L"wait-for-button", 0, nullptr,
       [](RawOptions& raw) { raw.options.buttons = ButtonAction::kWaitForPress; }},
      {L"help", L'h', nullptr, [](RawOptions& raw) { raw.options.help = true; }},
  };
  return table;
}

const OptionRow* FindLong(const std::wstring& name) {
  for (const OptionRow& row : OptionTable()) {
    if (name == row.long_name) return &row;
  }
  return nullptr;
}

const OptionRow* FindShort(wchar_t letter) {
  for (const OptionRow& row : OptionTable()) {
    if (row.short_name != 0 && row.short_name == letter) return &row;
  }
  return nullptr;
}

std::wstring MissingValue(const std::wstring& name) {
  return L"option " + name + L" needs a value";
}

// Reads every argument into `raw`; throws OptionError on the first bad one.
void ReadArguments(std::span<const std::wstring> arguments, RawOptions& raw) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    auto next_value = [&](const std::wstring& name) -> const std::wstring& {
      // "--mode --depth 8" lacks the mode rather than asking for mode "--depth".
      if (i + 1 >= arguments.size() || arguments[i + 1].starts_with(L"--")) {
        throw OptionError{MissingValue(name)};
      }
      return arguments[++i];
    };

    if (argument == L"/?") {
      raw.options.help = true;
    } else if (argument.starts_with(L"--") && argument.size() > 2) {
      const size_t equals = argument.find(L'=');
      const std::wstring name = argument.substr(0, equals);
      const OptionRow* row = FindLong(name.substr(2));
      if (row == nullptr) throw OptionError{L"unknown option " + Quoted(name)};
      if (row->flag) {
        if (equals != std::wstring::npos) {
          throw OptionError{L"option " + name + L" takes no value"};
        }
        row->flag(raw);
      } else {
        const std::wstring& value =
            equals != std::wstring::npos ? argument.substr(equals + 1) : next_value(name);
        row->with_value(raw, name, value);
      }
    } else if (argument.size() > 1 && argument[0] == L'-' && argument[1] != L'-') {
      for (size_t at = 1; at < argument.size(); ++at) {
        const std::wstring name = std::wstring(L"-") + argument[at];
        const OptionRow* row = FindShort(argument[at]);
        if (row == nullptr) throw OptionError{L"unknown option " + Quoted(name)};
        if (row->flag) {
          row->flag(raw);
          continue;
        }
        const std::wstring value =
            at + 1 < argument.size() ? argument.substr(at + 1) : next_value(name);
        row->with_value(raw, name, value);
        break;
      }
    } else {
      throw OptionError{L"unexpected argument " + Quoted(argument) +
                        L" (options start with - or --)"};
    }
  }
}

// The rules that tie options together, applied once everything is read.
void Resolve(RawOptions& raw) {
  ScanOptions& options = raw.options;

  if (options.mode == ScanMode::kLineart) {
    if (raw.depth && *raw.depth != 1) {
      throw OptionError{L"--depth " + std::to_wstring(*raw.depth) +
                        L" does not apply to Lineart, which has 1 bit per pixel"};
    }
    options.depth = 1;
  } else {
    if (raw.depth && *raw.depth == 1) {
      throw OptionError{L"--depth 1 applies to Lineart only; use 8 or 16 for " +
                        std::wstring(ScanModeName(options.mode))};
    }
    options.depth = raw.depth.value_or(8);
  }

  const uint16_t both = raw.resolution.value_or(kDefaultResolution);
  options.x_resolution = raw.x_resolution.value_or(both);
  options.y_resolution = raw.y_resolution.value_or(both);

  if (raw.format) {
    options.format = *raw.format;
  } else if (!options.output_file.empty()) {
    // A name whose extension no encoder serves would otherwise get an image
    // its name does not promise.
    const std::optional<ImageFormat> format = FormatFromExtension(options.output_file);
    if (!format) {
      throw OptionError{L"cannot tell the image format from " + Quoted(options.output_file) +
                        L": name the file .png, .tif, .tiff, .bmp, .jpg or .jpeg, or give "
                        L"--format"};
    }
    options.format = *format;
  }
  if (options.output_file.empty()) {
    options.output_file = std::wstring(L"scan.") + ImageFormatExtension(options.format);
  }
  if ((options.format == ImageFormat::kBmp || options.format == ImageFormat::kJpeg) &&
      options.depth == 16) {
    throw OptionError{std::wstring(options.format == ImageFormat::kBmp ? L"BMP" : L"JPEG") +
                      L" holds at most 8 bits per channel; use --format png or tiff "
                      L"for --depth 16"};
  }

  if (!options.log_file.empty() && options.log != SwitchAction::kOn) {
    throw OptionError{L"--log-file goes with --log on"};
  }
}

}  // namespace

bool ScanOptions::WantsScan() const {
  return !list_devices && !all_options && !capabilities && lamp == SwitchAction::kNone &&
         buttons == ButtonAction::kNone && log == SwitchAction::kNone;
}

bool ScanOptions::NeedsScanner() const {
  return WantsScan() || list_devices || all_options || capabilities ||
         lamp != SwitchAction::kNone || buttons != ButtonAction::kNone;
}

ParsedOptions ParseScanOptions(const std::vector<std::wstring>& arguments) {
  RawOptions raw;
  try {
    ReadArguments(arguments, raw);
    if (raw.options.help) return {raw.options, L""};
    Resolve(raw);
  } catch (const OptionError& error) {
    return {ScanOptions{}, error.message};
  }
  return {raw.options, L""};
}

const wchar_t* ImageFormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::kTiff:
      return L"tiff";
    case ImageFormat::kBmp:
      return L"bmp";
    case ImageFormat::kJpeg:
      return L"jpeg";
    default:
      return L"png";
  }
}

const wchar_t* ImageFormatExtension(ImageFormat format) {
  return format == ImageFormat::kJpeg ? L"jpg" : ImageFormatName(format);
}

const wchar_t* ScanModeName(ScanMode mode) {
  switch (mode) {
    case ScanMode::kGray:
      return L"Gray";
    case ScanMode::kLineart:
      return L"Lineart";
    default:
      return L"Color";
  }
}

const wchar_t* LengthUnitName(LengthUnit unit) { return unit == LengthUnit::kInch ? L"in" : L"mm"; }

}  // namespace zorvik::host
