// CToolkitInterface: one session's binding to the scanner toolkit
// "KELMARTK.DLL". It loads the library, resolves all 31 entry points and
// offers one thin call per entry point the component uses. The binding is
// usable only when every entry point was found; until then every call
// answers 0 without reaching the library.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit_entry_points.h"
#include "toolkit_records.h"
#include "unique_resource.h"
#include "zorvik_contract.h"

namespace zorvik {

// The device I/O type for which the toolkit is loaded; every other type
// leaves the binding unloaded and invalid.
constexpr uint16_t kToolkitUsbIoType = ZORVIK_DEVICE_IO_USB;

class CToolkitInterface {
 public:
  // Loads the toolkit when io_type is USB (1); see toolkit_library.h for
  // where it is looked for.
  explicit CToolkitInterface(uint16_t io_type);
  // Calls TerminateDriver when the library has it, valid or not, and unloads
  // the library whenever it was loaded.
  virtual ~CToolkitInterface();
  CToolkitInterface(const CToolkitInterface&) = delete;
  CToolkitInterface& operator=(const CToolkitInterface&) = delete;

  // 1 when the library loaded and all 31 entry points were found, else 0.
  int IsValid() const { return valid_; }

  uint16_t IoType() const { return io_type_; }

  // The first entry point the loaded library lacks, or null when the library
  // was not loaded or has them all; for the log that explains an open failure.
  const char* MissingEntryPoint() const { return missing_entry_point_; }

  // One thin call per entry point the component uses (the CALLED rows of
  // toolkit_entry_points.h, e.g. int32_t ReadScan(uint8_t* status,
  // uint8_t* buffer, uint32_t bytes)), with the entry point's own arguments:
  // 0 at once when the binding is invalid, otherwise the entry point's result
  // unchanged.
#define ZORVIK_TOOLKIT_DECLARE_CALL(name, parameters, arguments) int32_t name parameters;
#define ZORVIK_TOOLKIT_NO_CALL(name, parameters, arguments)
  ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_DECLARE_CALL, ZORVIK_TOOLKIT_NO_CALL)
#undef ZORVIK_TOOLKIT_DECLARE_CALL
#undef ZORVIK_TOOLKIT_NO_CALL

 private:
  // The entry table, in table order; an entry the library lacks stays null.
  struct EntryTable {
#define ZORVIK_TOOLKIT_TABLE_FIELD(name, parameters, ...) \
  int32_t(WINAPI* name) parameters = nullptr;
    ZORVIK_TOOLKIT_ENTRY_POINTS(ZORVIK_TOOLKIT_TABLE_FIELD, ZORVIK_TOOLKIT_TABLE_FIELD)
#undef ZORVIK_TOOLKIT_TABLE_FIELD
  };

  // Fills the entry table from `library` and returns the valid value.
  int Resolve(HMODULE library);

  EntryTable entries_;
  int valid_ = 0;
  UniqueModule library_;
  uint16_t io_type_;
  const char* missing_entry_point_ = nullptr;
};

}  // namespace zorvik
