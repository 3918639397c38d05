// How zorvik_scan tells the user that something failed, and the exit status
// that says so: a scanner method's failure names the method, its HRESULT and
// the driver error code with its name; other failures (COM, files, the
// registry) name the step and the HRESULT.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>

namespace zorvik::host {

// zorvik_scan's exit statuses.
enum ExitStatus : int {
  kExitSuccess = 0,
  // A scanner method failed, or the scanner could not be reached.
  kExitScannerFailure = 1,
  // The command line was not understood; nothing was done.
  kExitUsage = 2,
  // The image file could not be written.
  kExitOutputFailure = 3,
  // COM, the registry or another part of the system failed.
  kExitSystemFailure = 4,
  // The user cancelled (Ctrl-C, Ctrl-Break, closing the console); the
  // scanner was stopped and given back, and the output file left as it was.
  kExitCancelled = 5,
};

// The usual name of an HRESULT ("E_FAIL", "REGDB_E_CLASSNOTREG"), or null.
const char* HresultName(uint32_t hresult);

// "0x80004005 (E_FAIL)", or just the number for an HRESULT without a name.
std::string FormatHresult(uint32_t hresult);

// "LockScanner failed: HRESULT 0x80004005 (E_FAIL), driver error 5 (Scanner Lock Failed)".
std::string FormatMethodFailure(const char* method, uint32_t hresult, uint32_t driver_error);

// "creating Zorvik.Scanner failed: HRESULT 0x80040154 (REGDB_E_CLASSNOTREG)",
// followed by ": " and `explanation` when there is one.
std::string FormatStepFailure(const char* step, uint32_t hresult,
                              const std::string& explanation = {});

// Checks the outcome of each call, prints a line to `errors` for each one
// that failed, and remembers the exit status of the first failure.
class CallReport {
 public:
  // Each line starts with `program` and a colon.
  explicit CallReport(std::ostream& errors, std::string program = "zorvik_scan")
      : errors_(errors), program_(std::move(program)) {}

  // Runs `method_call(&driver_error)`, one scanner method given a driver
  // error code that starts at 0, and reports it as Method does. The code is
  // read only once the method has returned: read beside the call, in the
  // same argument list, it may be read before the method wrote it.
  template <typename MethodCall>
  bool Call(const char* method, MethodCall&& method_call) {
    unsigned long driver_error = 0;  // the DWORD the methods take
    const long hresult = method_call(&driver_error);
    return Method(method, static_cast<uint32_t>(hresult), static_cast<uint32_t>(driver_error));
  }
  // A scanner method failed when it returned anything but S_OK or reported a
  // nonzero driver error code. True when it succeeded.
  bool Method(const char* method, uint32_t hresult, uint32_t driver_error);
  // Any other call: failed when the HRESULT says so, reported with the
  // system's own words for it. True when it succeeded.
  bool Step(const char* step, uint32_t hresult, ExitStatus status_if_failed);
  // A failure that has no HRESULT, in the user's words.
  void Fail(const std::string& message, ExitStatus status);

  bool failed() const { return status_ != kExitSuccess; }
  ExitStatus exit_status() const { return status_; }
  // The driver error code of the first failure when that was a scanner
  // method's, else 0 (e.g. 5 when another host holds the scanner).
  uint32_t first_driver_error() const { return first_driver_error_; }

 private:
  void Record(ExitStatus status);

  std::ostream& errors_;
  std::string program_;
  ExitStatus status_ = kExitSuccess;
  uint32_t first_driver_error_ = 0;
};

}  // namespace zorvik::host
