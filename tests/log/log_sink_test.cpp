// The log sink destination: the settings create the sink once, and texts
// reach it from the creating thread and, through the global interface table,
// from any other thread.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "inproc_server_scope.h"
#include "log_settings.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "logger.h"
#include "test_paths.h"
#include "zorvik.h"

namespace zorvik {
namespace {

constexpr char kSinkClassId[] = "{6AD93CD3-430A-46D4-AA03-BA0F9BCF489A}";
constexpr char kSinkRecordVariable[] = "ZORVIK_TEST_SINK_RECORD";

// Logs one line on its (single-threaded apartment) main thread, which creates
// the sink, and one from a multithreaded-apartment thread.
ZORVIK_CHILD_ROLE(log_to_sink) {
  ComApartment com(COINIT_APARTMENTTHREADED);
  CHILD_CHECK(CLogSettings::Instance(CLSID_ZORVIK) != nullptr);
  CLogger(LOG_ATTR_DETAIL).WriteLine("from the creating thread");
  std::thread other([] {
    ComApartment other_com(COINIT_MULTITHREADED);
    CLogger logger(LOG_ATTR_DETAIL);
    if (std::ostringstream* stream = logger.GetStream()) {
      *stream << "from another thread\nsecond line\n" << '\0';
      logger.Write(stream);
    }
  });
  other.join();
  return 0;
}

struct SinkRecord {
  DWORD process_id = 0;
  DWORD thread_id = 0;
  DWORD bytes = 0;
  std::string text;
};

std::vector<SinkRecord> ReadSinkRecords(const std::string& content) {
  std::vector<SinkRecord> records;
  std::istringstream in(content);
  SinkRecord record;
  size_t length = 0;
  while (in >> record.process_id >> record.thread_id >> record.bytes >> length) {
    in.get();  // the header's newline
    record.text.assign(length, '\0');
    in.read(record.text.data(), static_cast<std::streamsize>(length));
    records.push_back(record);
  }
  return records;
}

class LogSinkTest : public testing::Test {
 protected:
  void SetUp() override { SetEnvironmentVariableA(kSinkRecordVariable, record_.path().c_str()); }
  void TearDown() override { SetEnvironmentVariableA(kSinkRecordVariable, nullptr); }

  test::TempLogFile record_{"sink-record"};
  test::TempLogFile log_file_{"sink-log"};
};

TEST_F(LogSinkTest, TextsReachTheSinkWithProcessIdAndByteCountFromEveryThread) {
  test::ScopedInprocServer sink(kSinkClassId, test::BesideExecutable(L"recording_log_sink.dll"));
  test::ScopedLogSettings settings({.enabled = 1, .destination = LOG_DEST_SINK});
  test::ChildProcess child("log_to_sink");
  EXPECT_CHILD_PASSES(child.Wait(30000));

  const std::vector<SinkRecord> records = ReadSinkRecords(record_.Read());
  ASSERT_EQ(2u, records.size()) << record_.Read();
  EXPECT_EQ("from the creating thread\n", records[0].text);
  EXPECT_EQ("from another thread\nsecond line\n", records[1].text);
  for (const SinkRecord& record : records) {
    EXPECT_EQ(child.id(), record.process_id);
    EXPECT_EQ(record.text.size() + 1, record.bytes) << "the count includes the closing zero";
  }
  EXPECT_NE(records[0].thread_id, records[1].thread_id);
}

TEST_F(LogSinkTest, WithoutASinkComponentTheOtherDestinationsStillWork) {
  test::ScopedLogSettings settings(
      {.enabled = 1, .destination = LOG_DEST_FILE | LOG_DEST_SINK, .file = log_file_.path()});
  test::ChildProcess child("log_to_sink");
  EXPECT_CHILD_PASSES(child.Wait(30000));

  EXPECT_EQ("from the creating thread\r\nfrom another thread\r\nsecond line\r\n", log_file_.Read());
  EXPECT_EQ("", record_.Read());
}

}  // namespace
}  // namespace zorvik
