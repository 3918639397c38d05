// Failure lines and exit statuses of zorvik_scan.
#include "call_report.h"

#include <cstdio>

#include "zorvik_contract.h"
#include "system_message.h"

namespace zorvik::host {

const char* HresultName(uint32_t hresult) {
  struct Named {
    uint32_t value;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {0x00000000, "S_OK"},
      {0x00000001, "S_FALSE"},
      {0x80004001, "E_NOTIMPL"},
      {0x80004002, "E_NOINTERFACE"},
      {0x80004003, "E_POINTER"},
      {0x80004004, "E_ABORT"},
      {0x80004005, "E_FAIL"},
      {0x8000FFFF, "E_UNEXPECTED"},
      {0x8000000B, "E_BOUNDS"},
      {0x80070005, "E_ACCESSDENIED"},
      {0x80070006, "E_HANDLE"},
      {0x8007000E, "E_OUTOFMEMORY"},
      {0x80070057, "E_INVALIDARG"},
      {0x80070002, "ERROR_FILE_NOT_FOUND"},
      {0x80070003, "ERROR_PATH_NOT_FOUND"},
      {0x80070020, "ERROR_SHARING_VIOLATION"},
      {0x80070070, "ERROR_DISK_FULL"},
      {0x80070027, "ERROR_HANDLE_DISK_FULL"},
      {0x8007007B, "ERROR_INVALID_NAME"},
      {0x80040154, "REGDB_E_CLASSNOTREG"},
      {0x800401F3, "CO_E_CLASSSTRING"},
      {0x800401F0, "CO_E_NOTINITIALIZED"},
      {0x88982F80, "WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT"},
  };
  for (const Named& named : kNames) {
    if (named.value == hresult) return named.name;
  }
  return nullptr;
}

std::string FormatHresult(uint32_t hresult) {
  char text[80];
  const char* name = HresultName(hresult);
  if (name != nullptr) {
    std::snprintf(text, sizeof text, "0x%08X (%s)", hresult, name);
  } else {
    std::snprintf(text, sizeof text, "0x%08X", hresult);
  }
  return text;
}

std::string FormatMethodFailure(const char* method, uint32_t hresult, uint32_t driver_error) {
  return std::string(method) + " failed: HRESULT " + FormatHresult(hresult) + ", driver error " +
         std::to_string(driver_error) + " (" + ZorvikDriverErrorName(driver_error) + ")";
}

std::string FormatStepFailure(const char* step, uint32_t hresult, const std::string& explanation) {
  std::string text = std::string(step) + " failed: HRESULT " + FormatHresult(hresult);
  if (!explanation.empty()) text += ": " + explanation;
  return text;
}

bool CallReport::Method(const char* method, uint32_t hresult, uint32_t driver_error) {
  if (hresult == 0 && driver_error == ZORVIK_ERROR_NO_ERROR) return true;
  if (!failed()) first_driver_error_ = driver_error;
  errors_ << program_ << ": " << FormatMethodFailure(method, hresult, driver_error) << "\n";
  Record(kExitScannerFailure);
  return false;
}

bool CallReport::Step(const char* step, uint32_t hresult, ExitStatus status_if_failed) {
  if (static_cast<int32_t>(hresult) >= 0) return true;
  errors_ << program_ << ": " << FormatStepFailure(step, hresult, SystemMessage(hresult)) << "\n";
  Record(status_if_failed);
  return false;
}

void CallReport::Fail(const std::string& message, ExitStatus status) {
  errors_ << program_ << ": " << message << "\n";
  Record(status);
}

void CallReport::Record(ExitStatus status) {
  if (status_ == kExitSuccess) status_ = status;
}

}  // namespace zorvik::host
