#include "session_test_support.h"

#include <mutex>
#include <sstream>

#include "enable_process_log.h"
#include "open_timing.h"
#include "scanner_lock.h"
#include "session_call.h"
#include "session_table.h"
#include "unique_resource.h"

namespace zorvik::test {

namespace {

// The log settings of this process live under a class identifier made fresh
// for it, written and read once before any scanner object exists, so no other
// suite (two executables share this fixture) sees them and the ZORVIK key is
// never touched.
TempLogFile* g_log = nullptr;

class SessionLogEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    g_log = new TempLogFile("session-tests");
    CLSID log_class{};
    ASSERT_EQ(S_OK, CoCreateGuid(&log_class));
    EnableProcessLogForTesting(log_class, g_log->path());
  }

  void TearDown() override {
    delete g_log;
    g_log = nullptr;
  }
};

const bool kEnvironmentAdded = (testing::AddGlobalTestEnvironment(new SessionLogEnvironment), true);

std::mutex g_pauses_guard;
std::vector<uint32_t> g_pauses;

void RecordPause(uint32_t pause_ms) {
  std::lock_guard<std::mutex> hold(g_pauses_guard);
  g_pauses.push_back(pause_ms);
}

// Long enough for a free lock under a loaded machine, short enough that a
// held one fails quickly.
constexpr uint32_t kTestOpenLockTimeoutMs = 300;

}  // namespace

size_t LogMark() { return g_log->Read().size(); }

std::string LogSince(size_t mark) {
  const std::string all = g_log->Read();
  std::string lines;
  for (size_t i = std::min(mark, all.size()); i < all.size(); ++i) {
    if (all[i] != '\r') lines += all[i];
  }
  return lines;
}

testing::AssertionResult HasLinesInOrder(const std::string& text,
                                         const std::vector<std::string>& lines) {
  std::istringstream in(text);
  std::string line;
  size_t next = 0;
  while (next < lines.size() && std::getline(in, line)) {
    // Detail lines are indented by the trace depth.
    const size_t start = line.find_first_not_of(' ');
    const size_t expected_start = lines[next].find_first_not_of(' ');
    if (start != std::string::npos &&
        line.compare(start, std::string::npos, lines[next], expected_start) == 0)
      ++next;
  }
  if (next == lines.size()) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "line \"" << lines[next] << "\" missing or out of order in:\n"
         << text;
}

std::vector<uint32_t> RecordedPauses() {
  std::lock_guard<std::mutex> hold(g_pauses_guard);
  return g_pauses;
}

void ClearRecordedPauses() {
  std::lock_guard<std::mutex> hold(g_pauses_guard);
  g_pauses.clear();
}

void SessionTest::SetUp() {
  ClearRecordedPauses();
  SetRetryPauseForTesting(RecordPause);
  SetOpenLockTimeoutForTesting(kTestOpenLockTimeoutMs);
}

void SessionTest::TearDown() {
  SetRetryPauseForTesting(nullptr);
  SetOpenLockTimeoutForTesting(0);
  EXPECT_EQ(0u, CSessionTable::Instance().SessionCount()) << "a session was left open";
}

OpenOutcome SessionTest::Open(const wchar_t* name, DWORD io_type) {
  OpenOutcome outcome{E_UNEXPECTED, 0xDEADBEEF, 0xDEADBEEF};
  std::wstring writable = name != nullptr ? name : L"";
  outcome.result = scanner_.OpenScannerSession(name != nullptr ? writable.data() : nullptr, io_type,
                                               &outcome.handle, &outcome.error);
  return outcome;
}

OpenOutcome SessionTest::Open(const TempDeviceFile& device, DWORD io_type) {
  return Open(device.wide_path().c_str(), io_type);
}

DWORD SessionTest::Close(DWORD handle, HRESULT expected) {
  DWORD error = 0xDEADBEEF;
  EXPECT_EQ(expected, scanner_.CloseScannerSession(handle, &error));
  return error;
}

DWORD SessionTest::Lock(DWORD handle, WORD type, DWORD timeout) {
  DWORD error = 0xDEADBEEF;
  const HRESULT result = scanner_.LockScanner(handle, type, timeout, &error);
  EXPECT_EQ(error == 0 ? S_OK : E_FAIL, result);
  return error;
}

DWORD SessionTest::Unlock(DWORD handle) {
  DWORD error = 0xDEADBEEF;
  const HRESULT result = scanner_.UnlockScanner(handle, &error);
  EXPECT_EQ(error == 0 ? S_OK : E_FAIL, result);
  return error;
}

HRESULT LampStatusOperation(DWORD handle, BYTE* lamp_on, DWORD* error_code) {
  CSessionCall call("test::LampStatus", handle, error_code);
  if (call.BeginDeviceCall({lamp_on}))
    call.CallToolkit([&](CToolkitInterface& toolkit) { return toolkit.GetLightStatus(lamp_on); });
  return call.result();
}

bool ToolkitLoaded() { return GetModuleHandleW(L"KELMARTK.DLL") != nullptr; }

bool DeviceLockFree(const std::string& device_name) {
  CScannerLock lock(device_name.c_str());
  if (!lock.Lock(kLockTypeThread, 0)) return false;
  lock.Unlock();
  return true;
}

}  // namespace zorvik::test
