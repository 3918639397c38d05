#include "lock_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "enable_process_log.h"
#include "test_paths.h"

namespace zorvik::test {

namespace {

// The log settings of this test executable live under a class identifier of
// its own, so no other suite running beside it sees them.
constexpr CLSID kLockTestLogClass = {
    0x5b1f0c2e, 0x7a43, 0x4d52, {0x9e, 0x61, 0x3c, 0x0d, 0x7f, 0x25, 0x88, 0x14}};

std::string g_log_path;

// Switches the log on for this process, to a file of its own, before the
// first logger reads the settings.
class LockLogEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    g_log_path =
        TempFolder() + "zorvik-lock-tests-" + std::to_string(GetCurrentProcessId()) + ".log";
    DeleteFileA(g_log_path.c_str());
    EnableProcessLogForTesting(kLockTestLogClass, g_log_path);
  }

  void TearDown() override { DeleteFileA(g_log_path.c_str()); }
};

const bool kEnvironmentAdded = (testing::AddGlobalTestEnvironment(new LockLogEnvironment), true);

std::string ReadLogSince(size_t from) {
  std::ifstream file(g_log_path, std::ios::binary);
  if (!file) return {};
  file.seekg(static_cast<std::streamoff>(from));
  std::stringstream text;
  text << file.rdbuf();
  std::string lines;
  // The file stores CR LF; compare with plain newlines.
  for (char c : text.str()) {
    if (c != '\r') lines += c;
  }
  return lines;
}

bool IsTraceLine(const std::string& line) {
  const size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) return true;  // empty lines frame the trace lines
  const std::string head = line.substr(start, 4);
  return head.rfind("+++", 0) == 0 || head.rfind("---", 0) == 0 || head == "!!!!" || head == "&&&&";
}

}  // namespace

std::string UniqueDeviceName(const char* tag) {
  static std::atomic<int> counter{0};
  return std::string("\\\\.\\zorvik\\lock-test-") + tag + "-" +
         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

std::wstring EventName(const std::wstring& device, const wchar_t* what) {
  return L"zorvik-lock-test-" + device.substr(device.find_last_of(L'\\') + 1) + what;
}

LockThread::LockThread(std::function<int()> work)
    : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this, work] {
        result_ = work();
        SetEvent(done_.get());
      }) {}

LockThread::~LockThread() {
  if (thread_.joinable()) thread_.join();
}

bool LockThread::WaitDone(DWORD timeout_ms) {
  return WaitForSingleObject(done_.get(), timeout_ms) == WAIT_OBJECT_0;
}

size_t LogFileSize() {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(g_log_path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return data.nFileSizeLow;
}

std::string AllLinesSince(size_t from) { return ReadLogSince(from); }

std::string DetailLinesSince(size_t from) {
  std::istringstream all(ReadLogSince(from));
  std::string details;
  for (std::string line; std::getline(all, line);) {
    if (!IsTraceLine(line)) details += line + "\n";
  }
  return details;
}

}  // namespace zorvik::test
