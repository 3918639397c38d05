// The command line of zorvik_scan as one plain struct, and the parser that
// fills it. Options follow scanimage's conventions (-d, --mode, --depth,
// --resolution, -l -t -x -y, --format, -p, -o, -L, -A, -h) plus the
// scanner's own controls (capabilities, lamp, buttons, the component's log,
// the lock wait). No Windows types here, so every rule is unit-tested alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvik::host {

enum class ScanMode { kColor, kGray, kLineart };
enum class ImageFormat { kPng, kTiff, kBmp, kJpeg };
enum class LengthUnit { kMillimetre, kInch };
enum class SwitchAction { kNone, kOn, kOff, kStatus };
enum class ButtonAction { kNone, kPollOnce, kWaitForPress };

constexpr uint16_t kDefaultResolution = 300;
constexpr uint32_t kDefaultLockTimeoutMs = 5000;
constexpr uint32_t kMaxLockTimeoutMs = 3600000;
constexpr double kMinGamma = 0.1;
constexpr double kMaxGamma = 10.0;
// The longest log file path the component accepts; a longer one it ignores.
constexpr size_t kMaxLogFilePath = 259;

struct ScanOptions {
  // Empty: the default device.
  std::wstring device;
  ScanMode mode = ScanMode::kColor;
  // Bits per channel: 8 or 16 for Color and Gray, always 1 for Lineart.
  uint8_t depth = 8;
  uint16_t x_resolution = kDefaultResolution;
  uint16_t y_resolution = kDefaultResolution;

  // The scan area in `unit`; an absent edge or size means the flatbed's own:
  // left and top 0, width and height up to the flatbed's far edge.
  LengthUnit unit = LengthUnit::kMillimetre;
  std::optional<double> left;
  std::optional<double> top;
  std::optional<double> width;
  std::optional<double> height;

  ImageFormat format = ImageFormat::kPng;
  // Never empty after parsing: "scan.png" (or .tiff, .bmp, .jpg) unless -o
  // names one.
  std::wstring output_file;
  bool progress = false;
  std::optional<double> gamma;
  uint32_t lock_timeout_ms = kDefaultLockTimeoutMs;

  bool help = false;
  bool list_devices = false;
  bool all_options = false;
  bool capabilities = false;
  SwitchAction lamp = SwitchAction::kNone;
  ButtonAction buttons = ButtonAction::kNone;
  SwitchAction log = SwitchAction::kNone;
  // With --log on: the file the component is to write; empty keeps the one set.
  std::wstring log_file;

  // True when no action other than a scan was asked for: -L, -A, the
  // capabilities, the lamp, the buttons and the log each replace the scan.
  bool WantsScan() const;
  // True when some asked-for action needs an open scanner session.
  bool NeedsScanner() const;
};

struct ParsedOptions {
  ScanOptions options;
  // Empty when the command line is good; otherwise one sentence for the user.
  std::wstring error;
  bool ok() const { return error.empty(); }
};

// Parses the arguments after the program name.
ParsedOptions ParseScanOptions(const std::vector<std::wstring>& arguments);

// "png", "tiff", "bmp", "jpeg": the format's name as --format takes it.
const wchar_t* ImageFormatName(ImageFormat format);
// "png", "tiff", "bmp", "jpg": the format's usual file extension.
const wchar_t* ImageFormatExtension(ImageFormat format);
const wchar_t* ScanModeName(ScanMode mode);
const wchar_t* LengthUnitName(LengthUnit unit);

}  // namespace zorvik::host
