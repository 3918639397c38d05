// The log file destination: the bytes a logger stores, and appends from
// several processes at once or after a process died holding the file's lock.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "log_file_append.h"
#include "log_file_lock.h"
#include "log_settings.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "logger.h"
#include "trace_depth.h"
#include "zorvik.h"
#include "test_text.h"

namespace zorvik {
namespace {

TEST(LogFileSemaphoreName, DropsBackslashesAndColons) {
  EXPECT_EQ("DLogslarkspur.log", LogFileSemaphoreName("D:\\Logs\\larkspur.log"));
  EXPECT_EQ("Cuserstester.1Templarkspur.log",
            LogFileSemaphoreName("C:\\users\\tester.1\\Temp\\larkspur.log"));
  EXPECT_EQ("", LogFileSemaphoreName(""));
}

TEST(ToTextModeLineEnds, EveryNewlineBecomesCarriageReturnNewline) {
  EXPECT_EQ("a\r\n\r\nb\r\n", ToTextModeLineEnds("a\n\nb\n"));
  EXPECT_EQ("no newline", ToTextModeLineEnds("no newline"));
  EXPECT_EQ("x\r\r\n", ToTextModeLineEnds("x\r\n")) << "as a text-mode file stores it";
}

// Starts a child that logs to `file` (destination: the file only).
class LogFileTest : public testing::Test {
 protected:
  test::TempLogFile file_{"file"};
  test::ScopedLogSettings settings_{
      {.enabled = 1, .destination = LOG_DEST_FILE, .file = file_.path()}};
};

ZORVIK_CHILD_ROLE(write_log_texts) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(CLogSettings::Instance(CLSID_ZORVIK) != nullptr);
  {
    SetLastError(ERROR_ACCESS_DENIED);
    CLogger logger(LOG_ATTR_DETAIL);
    CHILD_CHECK(logger.IsEnabled());
    logger.WriteLine("first line");
    CHILD_CHECK(GetLastError() == ERROR_ACCESS_DENIED);  // the caller's error survives

    std::ostringstream* block = logger.GetStream();
    CHILD_CHECK(block != nullptr);
    *block << "block line 1\nblock line 2\n" << '\0' << "after the zero\n";
    logger.Write(block);
    logger.Write(block);  // already written and freed: ignored

    logger.WriteFormatted("%s=%d, 0x%lx", "value", -5, 0xBEEFul);

    EnterTraceLevel();
    EnterTraceLevel();
    logger.WriteLine("two levels deep");
    LeaveTraceLevel();
    LeaveTraceLevel();

    std::ostringstream* forgotten = logger.GetStream();
    CHILD_CHECK(forgotten != nullptr);
    *forgotten << "taken, filled, never written\n" << '\0';
    logger.WriteLine("last explicit line");
  }
  return 0;
}

TEST_F(LogFileTest, StoresEachTextWithCrLfIndentedAndWritesForgottenStreamsAtTheEnd) {
  EXPECT_CHILD_PASSES(test::RunChild("write_log_texts"));
  EXPECT_EQ(
      "first line\r\n"
      "block line 1\r\nblock line 2\r\n"
      "value=-5, 0xbeef\r\n"
      "          two levels deep\r\n"
      "last explicit line\r\n"
      "taken, filled, never written\r\n",
      file_.Read());
}

constexpr int kTextsPerProcess = 500;

std::wstring ReadyName(const std::wstring& start_name) { return start_name + L".ready"; }

// Reports ready, waits for the start event named in its argument, then appends
// kTextsPerProcess three-line texts, each line naming the process and the text.
ZORVIK_CHILD_ROLE(append_many_texts) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(CLogSettings::Instance(CLSID_ZORVIK) != nullptr);
  UniqueHandle start(OpenEventW(SYNCHRONIZE, FALSE, argument.c_str()));
  UniqueHandle ready(OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(argument).c_str()));
  CHILD_CHECK(start.valid() && ready.valid());
  ReleaseSemaphore(ready.get(), 1, nullptr);
  CHILD_CHECK(WaitForSingleObject(start.get(), 30000) == WAIT_OBJECT_0);
  const DWORD process_id = GetCurrentProcessId();
  for (int i = 0; i < kTextsPerProcess; ++i) {
    CLogger logger(LOG_ATTR_DETAIL);
    std::ostringstream* text = logger.GetStream();
    CHILD_CHECK(text != nullptr);
    for (int line = 1; line <= 3; ++line)
      *text << process_id << " text " << i << " line " << line << "\n";
    *text << '\0';
    logger.Write(text);
  }
  return 0;
}

TEST_F(LogFileTest, TwoProcessesAppendingAtOnceLoseAndInterleaveNothing) {
  const std::wstring start_name = L"zorvik-append-start-" + std::to_wstring(GetCurrentProcessId());
  UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, start_name.c_str()));
  UniqueHandle ready(CreateSemaphoreW(nullptr, 0, 2, ReadyName(start_name).c_str()));
  ASSERT_TRUE(start.valid() && ready.valid());
  test::ChildProcess first("append_many_texts", start_name);
  test::ChildProcess second("append_many_texts", start_name);
  // Both children wait at the gate, so that they append at the same time.
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 30000));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 30000));
  SetEvent(start.get());
  EXPECT_CHILD_PASSES(first.Wait(60000));
  EXPECT_CHILD_PASSES(second.Wait(60000));

  std::istringstream lines(file_.Read());
  std::map<DWORD, int> next_text;  // per process: the text expected next
  std::string line1, line2, line3;
  int texts = 0;
  while (std::getline(lines, line1) && std::getline(lines, line2) && std::getline(lines, line3)) {
    std::istringstream fields(line1);
    DWORD process_id = 0;
    std::string word;
    int index = -1;
    fields >> process_id >> word >> index;
    const std::string prefix = std::to_string(process_id) + " text " + std::to_string(index);
    ASSERT_EQ(prefix + " line 1\r", line1);
    ASSERT_EQ(prefix + " line 2\r", line2) << "texts interleaved";
    ASSERT_EQ(prefix + " line 3\r", line3) << "texts interleaved";
    ASSERT_EQ(next_text[process_id]++, index) << "a text lost or repeated";
    ++texts;
  }
  EXPECT_EQ(2 * kTextsPerProcess, texts);
  EXPECT_EQ(2u, next_text.size());
  EXPECT_EQ(1u, next_text.count(first.id()));
  EXPECT_EQ(1u, next_text.count(second.id()));
}

std::string HeldEventName(const std::string& log_path) {
  return LogFileSemaphoreName(log_path) + ".held";
}

// Takes the log file's semaphore, says so, and waits to be killed.
ZORVIK_CHILD_ROLE(hold_log_file_lock) {
  const std::string path = test::Narrow(argument);
  CLogFileLock lock(path.c_str());
  CHILD_CHECK(lock.Acquire(10000));
  UniqueHandle held(OpenEventA(EVENT_MODIFY_STATE, FALSE, HeldEventName(path).c_str()));
  CHILD_CHECK(held.valid());
  SetEvent(held.get());
  Sleep(60000);
  return 0;
}

ZORVIK_CHILD_ROLE(append_one_line) {
  ComApartment com(COINIT_MULTITHREADED);
  CHILD_CHECK(CLogSettings::Instance(CLSID_ZORVIK) != nullptr);
  CLogger(LOG_ATTR_DETAIL).WriteLine("written after the holder died");
  return 0;
}

TEST_F(LogFileTest, AnAppendTakesTheFileLockBackFromAProcessThatDiedHoldingIt) {
  // Our own lock, never acquired, keeps the semaphore (and whatever the lock
  // keeps beside it) alive after its holder dies, as any other logging
  // process would; the handle lets the test look at the semaphore.
  const CLogFileLock other_writer(file_.path().c_str());
  UniqueHandle semaphore(
      CreateSemaphoreA(nullptr, 1, 1, LogFileSemaphoreName(file_.path()).c_str()));
  UniqueHandle held(CreateEventA(nullptr, TRUE, FALSE, HeldEventName(file_.path()).c_str()));
  ASSERT_TRUE(semaphore.valid() && held.valid());
  test::ChildProcess holder("hold_log_file_lock", file_.wide_path());
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held.get(), 30000));
  holder.Kill();
  ASSERT_EQ(WAIT_TIMEOUT, WaitForSingleObject(semaphore.get(), 0))
      << "the unit died with its holder";

  EXPECT_CHILD_PASSES(test::RunChild("append_one_line", L"", 30000));
  EXPECT_EQ("written after the holder died\r\n", file_.Read());
  // The append took the dead writer's unit back, and gave it back when done:
  // later appends do not wait for it.
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(semaphore.get(), 0))
      << "the dead writer's unit is still taken";
  ReleaseSemaphore(semaphore.get(), 1, nullptr);
}

}  // namespace
}  // namespace zorvik
