// Switching the component's diagnostic log on and off for the whole machine
// (its settings key under HKEY_LOCAL_MACHINE) and telling where the log goes.
// The component reads the key once per process, when the process creates its
// first scanner object: a switch reaches programs started afterwards.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace zorvik::host {

// Destination bits of the component's log.
constexpr uint32_t kLogToFile = 0x1;
constexpr uint32_t kLogToDebugger = 0x2;
constexpr uint32_t kLogToSink = 0x4;

// The component's log settings as a program started now would read them.
struct ComponentLogState {
  bool enabled = false;
  uint32_t destination = 0;
  // The log file the component appends to: the configured path, or the
  // temporary folder's larkspur.log (for a program run like this one).
  std::wstring file;
  bool file_is_default = true;
};

// Reads the settings; a missing key or value reads as its default (off).
HRESULT ReadComponentLog(ComponentLogState* state);

// On: LogEnabled 1 and the file among the destinations (others kept), and
// `log_file` as the file, made absolute, when it is not empty; without one,
// the default file. Off: LogEnabled 0, everything else kept for the next
// switch on. E_INVALIDARG for a log file the component
// could not use (more than 259 bytes, or characters outside the system code
// page); E_ACCESSDENIED without the right to write HKEY_LOCAL_MACHINE.
HRESULT SwitchComponentLog(bool on, const std::wstring& log_file);

// Lines for the user: on or off, where the text goes, which file.
std::wstring DescribeComponentLog(const ComponentLogState& state);

}  // namespace zorvik::host
