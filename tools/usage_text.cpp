// Help and option listing of zorvik_scan.
#include "usage_text.h"

#include <cwchar>

#include "length_units.h"

namespace zorvik::host {
namespace {

// A length in 1/300 inch in the options' unit.
std::wstring Length(uint32_t length300ths, LengthUnit unit) {
  return DecimalText(From300ths(length300ths, unit));
}

std::wstring OrDefault(const std::optional<double>& value, const wchar_t* otherwise) {
  return value ? DecimalText(*value) : std::wstring(otherwise);
}

const wchar_t* SwitchName(SwitchAction action) {
  switch (action) {
    case SwitchAction::kOn:
      return L"on";
    case SwitchAction::kOff:
      return L"off";
    case SwitchAction::kStatus:
      return L"status";
    default:
      return L"(not asked)";
  }
}

std::wstring Row(const wchar_t* option, const std::wstring& accepts, const std::wstring& value) {
  wchar_t text[512];
  swprintf(text, 512, L"  %-22ls %-34ls [%ls]\n", option, accepts.c_str(), value.c_str());
  return text;
}

}  // namespace

std::wstring UsageText() {
  return LR"(Usage: zorvik_scan [OPTION]...
Scans one page from a 7310 flatbed scanner into an image file.

Scan options:
  -d, --device=PATH          the scanner's device path (default: the default device)
      --mode=Color|Gray|Lineart   scan mode (default Color)
      --depth=8|16           bits per channel for Color and Gray (default 8);
                             Lineart always has 1
      --resolution=DPI       resolution across and down (default 300)
      --x-resolution=DPI     resolution across only
      --y-resolution=DPI     resolution down only
  -l, --left=N               left edge of the area (default 0)
  -t, --top=N                top edge of the area (default 0)
  -x, --width=N              width of the area (default: up to the flatbed's right edge)
  -y, --height=N             height of the area (default: up to the flatbed's bottom edge)
      --unit=mm|in           unit of -l -t -x -y (default mm); edges are rounded
                             to the nearest 1/300 inch
      --gamma=G              gamma correction, 0.1 to 10 (above 1 brightens);
                             the scanner applies it to 8-bit scans only
      --lock-timeout=MS      how long to wait for a scanner another program
                             is using, in milliseconds (default 5000)

Output:
  -o, --output-file=FILE     the image file (default scan.png, .tiff, .bmp or .jpg)
      --format=png|tiff|bmp|jpeg
                             image format (default: from FILE's extension, else png);
                             bmp and jpeg take 8-bit scans only
  -p, --progress             show a progress bar and a summary

Other actions (instead of scanning):
  -L, --list-devices         list the scanners
  -A, --all-options          list every option with its range and value
      --capabilities         print what the scanner can do
      --lamp=on|off|status   switch the lamp, or say whether it is on
      --buttons              read the front-panel buttons once
      --wait-for-button      wait until a front-panel button is pressed
      --log=on|off|status    switch the scanner component's log for this machine,
                             or say whether it is on and where the log file is
      --log-file=PATH        with --log on: the file to log to (default: larkspur.log
                             in the temporary folder of the program that logs)
  -h, --help, /?             show this help

The image file is replaced only once the whole image is written. Ctrl-C
stops the scan, gives the scanner back and leaves the file as it was.

Exit status: 0 success, 1 a scanner call failed, 2 bad options,
3 the image file could not be written, 4 a system failure, 5 cancelled.
)";
}

std::wstring FormatAllOptions(const ScanOptions& options, const ScannerLimits* limits) {
  const std::wstring unit = LengthUnitName(options.unit);
  std::wstring resolutions = L"1..65535 dpi";
  std::wstring across = L"0 or more " + unit;
  std::wstring down = across;
  if (limits != nullptr) {
    resolutions = std::to_wstring(limits->min_resolution) + L".." +
                  std::to_wstring(limits->max_x_resolution) + L" dpi";
    across = L"0.." + Length(limits->flatbed_width, options.unit) + L" " + unit;
    down = L"0.." + Length(limits->flatbed_height, options.unit) + L" " + unit;
  }
  std::wstring y_resolutions = resolutions;
  if (limits != nullptr) {
    y_resolutions = std::to_wstring(limits->min_resolution) + L".." +
                    std::to_wstring(limits->max_y_resolution) + L" dpi";
  }

  std::wstring text = L"Options of zorvik_scan:\n";
  text += Row(L"-d, --device", L"a device path",
              options.device.empty() ? L"the default device" : options.device);
  text += Row(L"--mode", L"Color|Gray|Lineart", ScanModeName(options.mode));
  text += Row(L"--depth", L"8|16 (Lineart: 1)", std::to_wstring(options.depth));
  text += Row(L"--x-resolution", resolutions, std::to_wstring(options.x_resolution));
  text += Row(L"--y-resolution", y_resolutions, std::to_wstring(options.y_resolution));
  text += Row(L"--unit", L"mm|in", unit);
  text += Row(L"-l, --left", across, OrDefault(options.left, L"0"));
  text += Row(L"-t, --top", down, OrDefault(options.top, L"0"));
  text += Row(L"-x, --width", across, OrDefault(options.width, L"to the right edge"));
  text += Row(L"-y, --height", down, OrDefault(options.height, L"to the bottom edge"));
  text += Row(L"--gamma", L"0.1..10", options.gamma ? DecimalText(*options.gamma) : L"none");
  text += Row(L"--format", L"png|tiff|bmp|jpeg", ImageFormatName(options.format));
  text += Row(L"-o, --output-file", L"a file name", options.output_file);
  text += Row(L"-p, --progress", L"flag", options.progress ? L"yes" : L"no");
  text += Row(L"--lock-timeout", L"0..3600000 ms", std::to_wstring(options.lock_timeout_ms));
  text += Row(L"--lamp", L"on|off|status", SwitchName(options.lamp));
  text += Row(L"--log", L"on|off|status", SwitchName(options.log));
  return text;
}

}  // namespace zorvik::host
