// Fuzzes the scan geometry, the translation into the toolkit record and the
// dumps of SCANNER_PARAMETERS, BUFFER_INFO and TOOLKIT_SCAN_PARAMETER with
// arbitrary records, checking each answer against the rules as scan_rules.h
// and dump_rules.h state them. Input: a SCANNER_PARAMETERS, one byte that
// picks the toolkit model, and the toolkit record the session held before.
#include <cstdint>
#include <sstream>
#include <string>

#include "dump_rules.h"
#include "fuzz_input.h"
#include "record_dumps.h"
#include "scan_geometry.h"
#include "scan_parameter_translation.h"
#include "scan_rules.h"

using namespace zorvik;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const SCANNER_PARAMETERS params = input.Take<SCANNER_PARAMETERS>();
  const bool vistrel = (input.Take<uint8_t>() & 1) != 0;
  const TOOLKIT_SCAN_PARAMETER before = input.Take<TOOLKIT_SCAN_PARAMETER>();
  const rules::ExpectedScan expected = rules::Expect(params, vistrel, before);

  BUFFER_INFO geometry;
  std::memset(&geometry, 0xA5, sizeof geometry);
  const BUFFER_INFO untouched = geometry;
  const DriverError buffer_error = ComputeScanGeometry(params, geometry);
  fuzz::Require(buffer_error == expected.buffer_error, "geometry error code",
                std::to_string(buffer_error));
  if (buffer_error == kErrNoError) {
    fuzz::Require(geometry.dwPixelWidth == expected.pixel_width &&
                      geometry.dwPixelHeight == expected.pixel_height &&
                      geometry.dwBytesPerLine == expected.bytes_per_line,
                  "geometry values");
    fuzz::Require(
        std::memcmp(geometry.dwReserved, untouched.dwReserved, sizeof geometry.dwReserved) == 0,
        "geometry leaves dwReserved alone");
    std::ostringstream dump;
    DumpBufferInfo(dump, geometry);
    fuzz::Require(dump.str() == rules::ExpectedBufferInfoDump(geometry), "buffer-info dump");
  } else {
    fuzz::Require(std::memcmp(&geometry, &untouched, sizeof geometry) == 0,
                  "refused geometry untouched");
  }

  TOOLKIT_SCAN_PARAMETER record = before;
  const DriverError set_error =
      TranslateScanParameters(params, vistrel ? "Vistrel 6610X" : "Vistrel 7310", record);
  fuzz::Require(set_error == expected.set_error, "translation error code",
                std::to_string(set_error));
  fuzz::Require(rules::SameRecord(record, expected.record, expected.positions_exact),
                "toolkit record");

  std::ostringstream parameters_dump;
  DumpScannerParameters(parameters_dump, params);
  fuzz::Require(parameters_dump.str() == rules::ExpectedParametersDump(params),
                "scanner-parameters dump", parameters_dump.str());

  std::ostringstream record_dump;
  DumpToolkitScanParameter(record_dump, record);
  const std::string text = record_dump.str();
  fuzz::Require(
      !text.empty() && text.back() == '\0' &&
          text.find("Pixel Num=" + std::to_string(record.PixelNum) + "\n") != std::string::npos &&
          text.find("Y Res=" + std::to_string(record.YRes) + "\n") != std::string::npos,
      "toolkit scan-parameter dump");
  return 0;
}
