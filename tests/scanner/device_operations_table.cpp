// The rows of the device-operation table.
#include "device_operations_table.h"

#include "scan_parameter_row.h"

namespace zorvik::test {

std::vector<DeviceOperation> DeviceOperations() {
  // Out-values nobody reads; shared by the rows.
  static BYTE byte = 0;
  static WORD word = 0;
  static DWORD dword = 0;
  static SCANNER_CAPABILITIES capabilities;
  static BUFFER_INFO buffer_info;
  static SCANNER_PARAMETERS params = ToParameters({kColor, 0, 8, 300, 300, 0, 0, 300, 300});
  static BYTE table[256];
  static BYTE image[64];
  using Scanner = ::zorvik::zorvik;
  return {
      {"zorvik::GetLampStatus",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetLampStatus(h, &byte, e); }},
      {"zorvik::LampOn", [](Scanner& s, DWORD h, DWORD* e) { return s.LampOn(h, e); }},
      {"zorvik::LampOff", [](Scanner& s, DWORD h, DWORD* e) { return s.LampOff(h, e); }},
      {"zorvik::GetScannerCababilities",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetScannerCapabilities(h, &capabilities, e); }},
      {"zorvik::GetBufferInfo",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetBufferInfo(h, &params, &buffer_info, e); }},
      {"zorvik::InitializeScanner",
       [](Scanner& s, DWORD h, DWORD* e) { return s.InitializeScanner(h, e); }},
      {"zorvik::ResetScanner", [](Scanner& s, DWORD h, DWORD* e) { return s.ResetScanner(h, e); }},
      {"zorvik::SetScannerParameters",
       [](Scanner& s, DWORD h, DWORD* e) { return s.SetScannerParameters(h, &params, e); }},
      {"zorvik::SetGammaTable",
       [](Scanner& s, DWORD h, DWORD* e) {
         return s.SetGammaTable(h, sizeof table, table, table, table, e);
       }},
      {"zorvik::StartScan", [](Scanner& s, DWORD h, DWORD* e) { return s.StartScan(h, e); }},
      {"zorvik::StopScan", [](Scanner& s, DWORD h, DWORD* e) { return s.StopScan(h, e); }},
      {"zorvik::ReadScan",
       [](Scanner& s, DWORD h, DWORD* e) { return s.ReadScan(h, image, sizeof image, e); }},
      // Traced under ReadScan's label.
      {"zorvik::ReadScan",
       [](Scanner& s, DWORD h, DWORD* e) {
         return s.ReadScanEx(h, image, sizeof image, &dword, e);
       }},
      {"zorvik::GetButtonCount",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetButtonCount(h, &word, e); }},
      {"zorvik::GetButtonState",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetButtonState(h, 1, &byte, e); }},
      {"zorvik::GetButtonStateEx",
       [](Scanner& s, DWORD h, DWORD* e) { return s.GetButtonStateEx(h, 1, &byte, e); }},
      {"zorvik::ResetButtonsEx",
       [](Scanner& s, DWORD h, DWORD* e) { return s.ResetButtonsEx(h, e); }},
  };
}

}  // namespace zorvik::test
