// zorvik_scan: a console program that scans one page from a 7310 flatbed
// through the registered Zorvik.Scanner component into a PNG, TIFF or BMP
// file, and offers the scanner's other controls (capabilities, lamp,
// buttons, the component's log).
//
// The places where the scanner is called are marked "SCANNER CALL"; each
// failure goes through CallReport, which names the method, its HRESULT and
// the driver error code, and sets the exit status.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <iostream>
#include <memory>
#include <vector>

#include "call_report.h"
#include "component_log.h"
#include "console_text.h"
#include "image_writer.h"
#include "scan_options.h"
#include "scan_pixels.h"
#include "scan_progress.h"
#include "scan_request.h"
#include "scan_transfer.h"
#include "usage_text.h"
#include "zorvik.h"

namespace zorvik::host {
namespace {

using Microsoft::WRL::ComPtr;

// The lock type that ties the device to this thread.
constexpr WORD kThreadLock = 1;
// The device I/O type of OpenScannerSession: USB.
constexpr DWORD kUsbDevice = 1;
// Bytes asked for per ReadScanEx: small enough for a steady progress bar,
// large enough that the calls cost nothing next to the transfer.
constexpr DWORD kReadChunkBytes = 256 * 1024;

void PrintLine(std::ostream& out, const std::wstring& text) { out << ToUtf8(text) << "\n"; }

// COM on the main thread for as long as the program runs.
class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

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

// Writes a scan of `geometry` into the output file, reading it through
// `read` (which reports its own failures), with the progress bar and the
// summary when asked for. Unused until the scan's scanner calls are in.
[[maybe_unused]] void ReceiveScan(const ScanOptions& options, const BUFFER_INFO& geometry,
                                  const ReadScanPiece& read, CallReport& report) {
  ImageShape shape;
  shape.pixels = ScanPixelsFor(options.mode, options.depth);
  shape.width = geometry.dwPixelWidth;
  shape.height = geometry.dwPixelHeight;
  shape.bytes_per_line = geometry.dwBytesPerLine;
  shape.x_dpi = options.x_resolution;
  shape.y_dpi = options.y_resolution;
  std::unique_ptr<ImageWriter> writer;
  const HRESULT created = ImageWriter::Create(options.output_file, options.format, shape, &writer);
  if (!report.Step(("creating " + ToUtf8(options.output_file)).c_str(), created,
                   kExitOutputFailure)) {
    return;
  }

  const uint64_t total = static_cast<uint64_t>(geometry.dwBytesPerLine) * geometry.dwPixelHeight;
  ProgressBar bar(total);
  TransferProgress progress;
  if (options.progress) {
    progress = [&bar](uint64_t done, double seconds) {
      if (auto text = bar.Update(done, seconds)) std::cerr << "\r" << *text << std::flush;
    };
  }
  const TransferResult result = TransferScan(total, kReadChunkBytes, read, *writer, progress);
  if (options.progress) std::cerr << "\n";
  switch (result.outcome) {
    case TransferOutcome::kComplete:
      if (options.progress) {
        std::cerr << FormatScanSummary({geometry.dwPixelWidth, geometry.dwPixelHeight, result.bytes,
                                        result.seconds})
                  << "\n";
      }
      break;
    case TransferOutcome::kReadFailed:
      break;  // the reader has said why
    case TransferOutcome::kScannerMisbehaved:
      report.Fail("the scanner stopped delivering the image after " + std::to_string(result.bytes) +
                      " of " + std::to_string(total) + " bytes",
                  kExitScannerFailure);
      break;
    case TransferOutcome::kWriteFailed:
      report.Step(("writing " + ToUtf8(options.output_file)).c_str(), result.write_error,
                  kExitOutputFailure);
      break;
  }
}

void RunScannerActions([[maybe_unused]] const ScanOptions& options, CallReport& report) {
  CLSID class_id;
  if (!report.Step("looking up Zorvik.Scanner (is zorvik.dll registered?)",
                   CLSIDFromProgID(L"Zorvik.Scanner", &class_id), kExitScannerFailure)) {
    return;
  }
  ComPtr<IScanner> scanner;
  if (!report.Step(
          "creating Zorvik.Scanner",
          CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scanner)),
          kExitScannerFailure)) {
    return;
  }
  ComPtr<IButton> buttons;
  if (!report.Step("asking Zorvik.Scanner for IButton", scanner.As(&buttons),
                   kExitScannerFailure)) {
    return;
  }

  // SCANNER CALL: -L. List the devices this program can open: the default
  // device (an empty path) and, for each candidate path, whether
  // OpenScannerSession(path, kUsbDevice, ...) succeeds; close each again.

  // SCANNER CALL: OpenScannerSession(options.device, kUsbDevice, &session,
  // &error) -> report.Method("OpenScannerSession", hr, error). From here on
  // every way out must CloseScannerSession(session, &error).

  // SCANNER CALL: LockScanner(session, kThreadLock, options.lock_timeout_ms,
  // &error). From here on every way out must UnlockScanner(session, &error)
  // first.

  // SCANNER CALL: GetScannerCapabilities(session, &capabilities, &error);
  // limits = ScannerLimitsOf(capabilities). --capabilities prints the record;
  // -A prints FormatAllOptions(options, &limits); for a scan, a nonempty
  // CheckAgainstScanner(options, limits) is reported with kExitUsage.

  // SCANNER CALL: --lamp: LampOn, LampOff or GetLampStatus(session, &on, &error).
  // --buttons / --wait-for-button: IButton GetButtonCount, then
  // GetButtonStateEx (polled until a press for --wait-for-button) and
  // ResetButtonsEx after a press.

  // SCANNER CALL: parameters = ToScannerParameters(options, limits);
  // GetBufferInfo(session, &parameters, &geometry, &error), then
  // SetScannerParameters(session, &parameters, &error).

  // SCANNER CALL: with --gamma, table = MakeGammaTable(*options.gamma);
  // SetGammaTable(session, 256, red, green, blue, &error) with the same table
  // three times.

  // SCANNER CALL: StartScan(session, &error); then ReceiveScan(options,
  // geometry, read, report) with `read` calling ReadScanEx(session, buffer,
  // wanted, &got, &error) and returning nullopt after report.Method on
  // failure; StopScan(session, &error) whether or not the transfer succeeded.
  report.Fail("the scanner calls of this program are not wired in yet", kExitScannerFailure);
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

  const ComApartment apartment;
  if (!report.Step("starting COM", apartment.result(), kExitSystemFailure)) {
    return report.exit_status();
  }
  RunScannerActions(options, report);
  return report.exit_status();
}

}  // namespace
}  // namespace zorvik::host

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return zorvik::host::Run(arguments);
}
