// Creating the registered scanner object.
#include "scanner_object.h"

namespace zorvik::host {

bool CreateScanner(CallReport& report, Microsoft::WRL::ComPtr<IScanner>* scanner) {
  CLSID class_id = {};
  return report.Step("looking up Zorvik.Scanner (is zorvik.dll registered?)",
                     CLSIDFromProgID(L"Zorvik.Scanner", &class_id), kExitScannerFailure) &&
         report.Step("creating Zorvik.Scanner",
                     CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(scanner->ReleaseAndGetAddressOf())),
                     kExitScannerFailure);
}

bool ReadCapabilities(IScanner* scanner, DWORD session, CallReport& report,
                      SCANNER_CAPABILITIES* capabilities) {
  return report.Call("GetScannerCapabilities", [&](DWORD* error) {
    return scanner->GetScannerCapabilities(session, capabilities, error);
  });
}

}  // namespace zorvik::host
