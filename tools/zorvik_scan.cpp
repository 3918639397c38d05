// zorvik_scan: a console program that scans one page from a 7310 flatbed
// through the registered Zorvik.Scanner component into a PNG, TIFF, BMP or
// JPEG file, and offers the scanner's other controls (capabilities, lamp,
// buttons, the component's log).
//
// Every failure of a scanner call goes through CallReport, which names the
// method, its HRESULT and the driver error code, and sets the exit status.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "call_report.h"
#include "component_log.h"
#include "console_cancel.h"
#include "console_text.h"
#include "image_writer.h"
#include "scan_options.h"
#include "scan_pixels.h"
#include "scan_progress.h"
#include "scan_request.h"
#include "scan_setup.h"
#include "scan_transfer.h"
#include "scanner_object.h"
#include "scanner_session_guard.h"
#include "scanner_text.h"
#include "usage_text.h"
#include "zorvik.h"
#include "zorvik_contract.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// How often --wait-for-button looks at the buttons.
constexpr DWORD kButtonPollMs = 100;
// Bytes asked for per ReadScanEx: small enough for a steady progress bar,
// large enough that the calls cost nothing next to the transfer.
constexpr DWORD kReadChunkBytes = 256 * 1024;

void PrintLine(std::ostream& out, const std::wstring& text) { out << ToUtf8(text) << "\n"; }

void RunLogAction(const ScanOptions& options, CallReport& report) {
  if (options.log == SwitchAction::kOn || options.log == SwitchAction::kOff) {
    const HRESULT hr = SwitchComponentLog(options.log == SwitchAction::kOn, options.log_file);
    if (hr == E_ACCESSDENIED) {
      report.Fail(
          "switching the component's log needs the right to write "
          "HKEY_LOCAL_MACHINE: run as administrator",
          kExitSystemFailure);
      return;
    }
    if (hr == E_INVALIDARG) {
      report.Fail(
          "the component cannot use that log file: the path must fit in 259 "
          "characters of the system code page",
          kExitUsage);
      return;
    }
    if (!report.Step("writing the component's log settings", hr, kExitSystemFailure)) return;
  }
  ComponentLogState state;
  if (!report.Step("reading the component's log settings", ReadComponentLog(&state),
                   kExitSystemFailure)) {
    return;
  }
  std::cout << ToUtf8(DescribeComponentLog(state));
}

// What became of the image.
enum class ImageOutcome { kWritten, kNotWritten, kCancelled };

// Writes a scan of `geometry`, `width` pixels of each line, into the output
// file, reading it through `read` (which reports its own failures), with the
// progress bar and the summary when asked for.
ImageOutcome ReceiveScan(const ScanOptions& options, const BUFFER_INFO& geometry, uint32_t width,
                         const ReadScanPiece& read, const ConsoleCancel& cancel,
                         CallReport& report) {
  const ImageShape shape = ScanImageShape(options, geometry, width);
  const std::string file = ToUtf8(options.output_file);
  std::unique_ptr<ImageWriter> writer;
  const HRESULT created = ImageWriter::Create(options.output_file, options.format, shape, &writer);
  if (!report.Step(("creating " + file).c_str(), created, kExitOutputFailure)) {
    return ImageOutcome::kNotWritten;
  }

  const uint64_t total = static_cast<uint64_t>(geometry.dwBytesPerLine) * geometry.dwPixelHeight;
  ProgressBar bar(total);
  TransferProgress progress;
  if (options.progress) {
    progress = [&bar](uint64_t done, double seconds) {
      if (auto text = bar.Update(done, seconds)) std::cerr << "\r" << *text << std::flush;
    };
  }
  const TransferResult result = TransferScan(total, kReadChunkBytes, read, *writer, progress,
                                             [&cancel] { return cancel.requested(); });
  if (options.progress) std::cerr << "\n";
  switch (result.outcome) {
    case TransferOutcome::kComplete:
      if (options.progress) {
        std::cerr << FormatScanSummary(
                         {shape.width, geometry.dwPixelHeight, result.bytes, result.seconds})
                  << ", written to " << file << "\n";
      }
      return ImageOutcome::kWritten;
    case TransferOutcome::kReadFailed:
      break;  // the reader has said why
    case TransferOutcome::kScannerMisbehaved:
      report.Fail("the scanner stopped delivering the image after " + std::to_string(result.bytes) +
                      " of " + std::to_string(total) + " bytes",
                  kExitScannerFailure);
      break;
    case TransferOutcome::kWriteFailed:
      report.Step(("writing " + file).c_str(), result.write_error, kExitOutputFailure);
      break;
    case TransferOutcome::kCancelled:
      return ImageOutcome::kCancelled;
  }
  return ImageOutcome::kNotWritten;
}

// The lamp action of --lamp.
void RunLampAction(IScanner* scanner, DWORD session, SwitchAction lamp, CallReport& report) {
  if (lamp == SwitchAction::kOn) {
    report.Call("LampOn", [&](DWORD* error) { return scanner->LampOn(session, error); });
  } else if (lamp == SwitchAction::kOff) {
    report.Call("LampOff", [&](DWORD* error) { return scanner->LampOff(session, error); });
  }
  if (report.failed()) return;
  BYTE on = 0;
  if (report.Call("GetLampStatus",
                  [&](DWORD* error) { return scanner->GetLampStatus(session, &on, error); })) {
    std::cout << FormatLampStatus(on != 0);
  }
}

// --buttons reads the buttons once; --wait-for-button polls until one is
// pressed, prints the states and clears the presses.
void RunButtonAction(IButton* buttons, DWORD session, ButtonAction action,
                     const ConsoleCancel& cancel, CallReport& report) {
  WORD count = 0;
  if (!report.Call("GetButtonCount",
                   [&](DWORD* error) { return buttons->GetButtonCount(session, &count, error); })) {
    return;
  }
  // GetButtonStateEx counts buttons in a byte.
  std::vector<uint8_t> states(count > 255 ? 255 : count);
  if (action == ButtonAction::kWaitForPress && !states.empty()) {
    std::cerr << "Waiting for a front-panel button...\n";
  }
  for (;;) {
    const BYTE asked = static_cast<BYTE>(states.size());
    if (!states.empty() && !report.Call("GetButtonStateEx", [&](DWORD* error) {
          return buttons->GetButtonStateEx(session, asked, states.data(), error);
        })) {
      return;
    }
    if (action != ButtonAction::kWaitForPress || states.empty() || AnyButtonPressed(states)) break;
    if (cancel.requested()) return;
    Sleep(kButtonPollMs);
  }
  std::cout << FormatButtonStates(states);
  if (AnyButtonPressed(states)) {
    report.Call("ResetButtonsEx",
                [&](DWORD* error) { return buttons->ResetButtonsEx(session, error); });
  }
}

// -L: whether the device (without -d, the toolkit's default device) is a
// scanner this program can open. One that is missing or held by another
// program is a failure, on standard error like every other.
void ListDevices(IScanner* scanner, const ScanOptions& options, const ScannerWait& wait,
                 CallReport& report) {
  OpenedSession session(scanner, report);
  const std::wstring name = options.device.empty() ? L"(default device)" : options.device;
  if (session.Open(options.device, wait, {std::cerr, options.progress})) {
    std::cout << "device '" << ToUtf8(name) << "' is a scanner zorvik_scan can open\n";
  } else if (!wait.Cancelled()) {
    report.Fail("no scanner zorvik_scan can open at '" + ToUtf8(name) + "'", kExitScannerFailure);
  }
}

// A scan with the session open and locked: the parameters, the gamma
// tables, then start, read and stop. True when the image file was written.
bool RunScan(IScanner* scanner, DWORD session, const ScanOptions& options,
             const ScannerLimits& limits, const ConsoleCancel& cancel, CallReport& report) {
  BUFFER_INFO geometry = {};
  if (!SetUpScan(scanner, session, options, limits, report, &geometry)) return false;
  if (cancel.requested()) return false;
  if (!report.Call("StartScan", [&](DWORD* error) { return scanner->StartScan(session, error); })) {
    return false;
  }
  const ReadScanPiece read = ScanReader(scanner, session, report);
  const ImageOutcome image =
      ReceiveScan(options, geometry, RequestedPixelWidth(options, limits), read, cancel, report);
  // Stopped whether or not the image arrived, so the scanner is ready again.
  const bool stopped =
      report.Call("StopScan", [&](DWORD* error) { return scanner->StopScan(session, error); });
  if (!stopped && image == ImageOutcome::kWritten) {
    report.Fail("the image is complete and was written to " + ToUtf8(options.output_file) +
                    ", but the scanner reported a fault when the scan was stopped",
                kExitScannerFailure);
  }
  return image == ImageOutcome::kWritten;
}

// Everything the options ask of the scanner. True when a scan's image file
// was written.
bool RunScannerActions(const ScanOptions& options, const ConsoleCancel& cancel,
                       CallReport& report) {
  ComPtr<IScanner> scanner;
  if (!CreateScanner(report, &scanner)) return false;
  ComPtr<IButton> buttons;
  if (!report.Step("asking Zorvik.Scanner for IButton", scanner.As(&buttons),
                   kExitScannerFailure)) {
    return false;
  }
  // One deadline for the whole wait for a scanner another program holds.
  const ScannerWait wait(options.lock_timeout_ms, [&cancel] { return cancel.requested(); });
  if (options.list_devices) {
    ListDevices(scanner.Get(), options, wait, report);
    return false;
  }

  OpenedSession session(scanner.Get(), report);
  if (!session.Open(options.device, wait, {std::cerr, options.progress})) return false;
  HeldLock lock(scanner.Get(), session, report);
  if (!lock.Lock(wait)) return false;

  SCANNER_CAPABILITIES capabilities = {};
  if (!ReadCapabilities(scanner.Get(), session.handle(), report, &capabilities)) {
    return false;
  }
  const ScannerLimits limits = ScannerLimitsOf(capabilities);
  if (options.capabilities) std::cout << FormatCapabilities(capabilities);
  if (options.all_options) std::cout << ToUtf8(FormatAllOptions(options, &limits));
  if (options.lamp != SwitchAction::kNone) {
    RunLampAction(scanner.Get(), session.handle(), options.lamp, report);
  }
  if (options.buttons != ButtonAction::kNone && !report.failed()) {
    RunButtonAction(buttons.Get(), session.handle(), options.buttons, cancel, report);
  }
  if (!options.WantsScan() || report.failed()) return false;

  const std::wstring misfit = CheckAgainstScanner(options, limits);
  if (!misfit.empty()) {
    report.Fail(ToUtf8(misfit), kExitUsage);
    return false;
  }
  return RunScan(scanner.Get(), session.handle(), options, limits, cancel, report);
}

int Run(const std::vector<std::wstring>& arguments) {
  UseUtf8Console();
  const ParsedOptions parsed = ParseScanOptions(arguments);
  if (!parsed.ok()) {
    PrintLine(std::cerr, L"zorvik_scan: " + parsed.error);
    std::cerr << "Try 'zorvik_scan --help' for more information.\n";
    return kExitUsage;
  }
  const ScanOptions& options = parsed.options;
  if (options.help) {
    std::cout << ToUtf8(UsageText());
    return kExitSuccess;
  }

  CallReport report(std::cerr);
  if (options.log != SwitchAction::kNone) RunLogAction(options, report);
  if (report.failed() || !options.NeedsScanner()) return report.exit_status();

  const ConsoleCancel cancel;
  const ComApartment apartment(COINIT_APARTMENTTHREADED);
  if (!report.Step("starting COM", apartment.result(), kExitSystemFailure)) {
    return report.exit_status();
  }
  // The session and the lock are given back, and an unfinished output file
  // removed, before the cancel is confirmed.
  const bool written = RunScannerActions(options, cancel, report);
  // A cancel that came after the image was complete cancelled nothing.
  if (cancel.requested() && !written) {
    const std::string left =
        options.WantsScan() ? "; " + ToUtf8(options.output_file) + " was left as it was" : "";
    report.Fail("cancelled: the scanner was stopped and given back" + left, kExitCancelled);
    return kExitCancelled;
  }
  return report.exit_status();
}

}  // namespace
}  // namespace zorvik::host

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return zorvik::host::Run(arguments);
}
