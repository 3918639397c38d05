// The fixture of the session suites: a scanner object driven against the
// simulated toolkit, device files written for a test, the open's waits made
// instant through their test seams, and the log of this test executable.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device_files.h"
#include "log_test_files.h"
#include "test_text.h"
#include "zorvik_object.h"

namespace zorvik::test {

// What an OpenScannerSession call gave back.
struct OpenOutcome {
  HRESULT result;
  DWORD handle;
  DWORD error;
};

// Everything the log file holds from `mark` (a byte offset) on, with CR LF
// read as one newline.
std::string LogSince(size_t mark);
size_t LogMark();
// Whether `text` holds `lines` as whole lines, in this order.
testing::AssertionResult HasLinesInOrder(const std::string& text,
                                         const std::vector<std::string>& lines);

// The retry pauses the open asked for since the fixture started, in ms.
std::vector<uint32_t> RecordedPauses();
void ClearRecordedPauses();

// A running session test: seams set, and every session closed at the end.
class SessionTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  OpenOutcome Open(const wchar_t* name, DWORD io_type = 1);
  OpenOutcome Open(const TempDeviceFile& device, DWORD io_type = 1);
  DWORD Close(DWORD handle, HRESULT expected = S_OK);
  DWORD Lock(DWORD handle, WORD type, DWORD timeout = 0);
  DWORD Unlock(DWORD handle);

  ::zorvik::zorvik scanner_;
};

// A device operation written the way the scanner object's operations are:
// the lamp state through the toolkit's GetLightStatus, under the lock.
HRESULT LampStatusOperation(DWORD handle, BYTE* lamp_on, DWORD* error_code);

// True while the toolkit library is mapped into the process.
bool ToolkitLoaded();
// True when a new lock on `device_name` is obtained at once (and given back).
bool DeviceLockFree(const std::string& device_name);

}  // namespace zorvik::test
