// Several processes, each with several threads, append ILog texts and traced
// calls to one log file at the same moment. Afterwards the file must hold
// every text exactly once, whole, and each writer's texts in the order it
// wrote them.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "enable_process_log.h"
#include "log_bits.h"
#include "log_load_text.h"
#include "log_test_files.h"
#include "stress_size.h"
#include "unique_resource.h"
#include "zorvik_object.h"
#include "test_text.h"

namespace zorvik {
namespace {

// Each child logs under a settings key of its own: this identifier with the
// child's number added to its first field.
constexpr GUID kLogLoadClassBase = {
    0x5d1e0a40, 0x7c2b, 0x4e61, {0x9a, 0x33, 0x0b, 0x6f, 0x21, 0xc4, 0x58, 0x90}};

// What a child is told: "<start event>|<process>|<threads>|<steps>|<log file>".
struct LoadOrder {
  std::wstring start_event;
  uint32_t process = 0;
  uint32_t threads = 0;
  uint32_t steps = 0;
  std::string log_file;
};

std::wstring ReadyName(const std::wstring& start_event) { return start_event + L".ready"; }

std::wstring FormatOrder(const LoadOrder& order) {
  return order.start_event + L"|" + std::to_wstring(order.process) + L"|" +
         std::to_wstring(order.threads) + L"|" + std::to_wstring(order.steps) + L"|" +
         test::Widen(order.log_file);
}

bool ParseOrder(const std::wstring& text, LoadOrder* order) {
  std::vector<std::wstring> fields;
  std::wstringstream stream(text);
  for (std::wstring field; std::getline(stream, field, L'|');) fields.push_back(field);
  if (fields.size() != 5) return false;
  order->start_event = fields[0];
  order->process = static_cast<uint32_t>(std::stoul(fields[1]));
  order->threads = static_cast<uint32_t>(std::stoul(fields[2]));
  order->steps = static_cast<uint32_t>(std::stoul(fields[3]));
  order->log_file = test::Narrow(fields[4]);
  return true;
}

// One writer: every step an ILog text, then a traced call whose session
// handle names the writer and the step (the handle is no session, so the
// call fails and its exit line is written as well).
bool RunWriter(::zorvik::zorvik& scanner, uint32_t writer, uint32_t steps, HANDLE start) {
  if (WaitForSingleObject(start, 60000) != WAIT_OBJECT_0) return false;
  bool all_as_expected = true;
  for (uint32_t step = 0; step < steps; ++step) {
    std::wstring text = test::Widen(test::LoadText(writer, step));
    all_as_expected &= scanner.LogString(LOG_ATTR_DETAIL, text.data()) == S_OK;
    DWORD code = 0;
    all_as_expected &= scanner.LampOn(test::LoadSessionHandle(writer, step), &code) == E_FAIL;
    all_as_expected &= code == 1;
  }
  return all_as_expected;
}

ZORVIK_CHILD_ROLE(log_load_writer) {
  LoadOrder order;
  CHILD_CHECK(ParseOrder(argument, &order));
  ComApartment com(COINIT_MULTITHREADED);
  GUID class_id = kLogLoadClassBase;
  class_id.Data1 += order.process;
  test::EnableProcessLogForTesting(class_id, order.log_file);

  ::zorvik::zorvik scanner;
  UniqueHandle start(OpenEventW(SYNCHRONIZE, FALSE, order.start_event.c_str()));
  UniqueHandle ready(
      OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, ReadyName(order.start_event).c_str()));
  CHILD_CHECK(start.valid() && ready.valid());

  std::vector<std::thread> threads;
  std::unique_ptr<bool[]> succeeded(new bool[order.threads]());
  for (uint32_t t = 0; t < order.threads; ++t) {
    const uint32_t writer = order.process * test::kWritersPerProcess + t;
    threads.emplace_back(
        [&, t, writer] { succeeded[t] = RunWriter(scanner, writer, order.steps, start.get()); });
  }
  ReleaseSemaphore(ready.get(), 1, nullptr);
  for (std::thread& thread : threads) thread.join();
  for (uint32_t t = 0; t < order.threads; ++t) CHILD_CHECK(succeeded[t]);
  return 0;
}

TEST(LogLoad, ProcessesAndThreadsAppendingAtOnceKeepEveryTextWholeOnceAndInOrder) {
  const uint32_t processes = static_cast<uint32_t>(test::StressCount(3, 6));
  const uint32_t threads = static_cast<uint32_t>(test::StressCount(3, 4));
  const uint32_t steps = static_cast<uint32_t>(test::StressCount(150, 800));
  test::TempLogFile file("logload");
  const std::wstring start_event =
      L"zorvik-log-load-start-" + std::to_wstring(GetCurrentProcessId());
  UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, start_event.c_str()));
  UniqueHandle ready(
      CreateSemaphoreW(nullptr, 0, static_cast<LONG>(processes), ReadyName(start_event).c_str()));
  ASSERT_TRUE(start.valid() && ready.valid());

  std::vector<std::unique_ptr<test::ChildProcess>> children;
  std::vector<uint32_t> writers;
  for (uint32_t p = 0; p < processes; ++p) {
    children.push_back(std::make_unique<test::ChildProcess>(
        "log_load_writer", FormatOrder({start_event, p, threads, steps, file.path()})));
    ASSERT_TRUE(children.back()->started());
    for (uint32_t t = 0; t < threads; ++t) writers.push_back(p * test::kWritersPerProcess + t);
  }
  // Every child waits at the gate with its threads, so that all append at once.
  for (uint32_t p = 0; p < processes; ++p)
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready.get(), 60000)) << "a child never got ready";
  const auto started = std::chrono::steady_clock::now();
  SetEvent(start.get());
  for (auto& child : children)
    EXPECT_CHILD_PASSES(child->Wait(test::IsLongRun() ? 600000 : 120000));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  const std::string content = file.Read();
  const test::LoadLogCount count = test::CheckLoadLog(content, writers, steps);
  for (const std::string& fault : count.faults) ADD_FAILURE() << fault;
  const uint64_t expected = static_cast<uint64_t>(writers.size()) * steps;
  EXPECT_EQ(expected, count.texts);
  EXPECT_EQ(expected, count.entries);
  EXPECT_EQ(expected, count.exits);

  const uint64_t appends = count.texts + count.entries + count.exits;
  char figure[256];
  std::snprintf(figure, sizeof(figure),
                "%u processes x %u threads, %u steps each: %llu ILog texts, %llu traced calls "
                "(entry and exit), %llu appends in %.1f s (%.0f appends/s), %zu bytes",
                processes, threads, steps, static_cast<unsigned long long>(count.texts),
                static_cast<unsigned long long>(count.entries),
                static_cast<unsigned long long>(appends), seconds, appends / seconds,
                content.size());
  test::ReportFigure("log load", figure);
  std::snprintf(figure, sizeof(figure), "torn, interleaved, lost, repeated or reordered texts: %zu",
                count.faults.size());
  test::ReportFigure("log load", figure);
}

// The check itself must see the faults it is there to find.
TEST(LogLoadCheck, FindsTornLostRepeatedAndReorderedTexts) {
  auto entry = [](uint32_t writer, uint32_t step) {
    char line[128];
    std::snprintf(line, sizeof(line),
                  "+++zorvik::LampOn : SessionID=0x%x : Thu Dec 10 01:40:29 2026\r\n",
                  test::LoadSessionHandle(writer, step));
    return std::string(line);
  };
  const std::string exit_line =
      "---zorvik::LampOn ERROR: Returned 0x80004005, LarkspurError=Invalid Session (1): "
      "Elapsed Time = 0 MS\r\n\r\n";
  auto step = [&](uint32_t writer, uint32_t n) {
    return test::LoadText(writer, n) + "\r\n\r\n" + entry(writer, n) + "     " + exit_line;
  };
  const std::string whole = step(0, 0) + step(1, 0) + step(0, 1) + step(1, 1);
  const std::string text = test::LoadText(1, 0);
  struct Case {
    const char* name;
    std::string file;
    bool faulty;
  };
  const Case cases[] = {
      {"whole", whole, false},
      {"torn", step(0, 0) + text.substr(0, 40) + step(0, 1) + text.substr(40) + "\r\n" + step(1, 1),
       true},
      {"lost", step(0, 0) + step(0, 1) + step(1, 1), true},
      {"repeated", whole + test::LoadText(0, 1) + "\r\n", true},
      {"reordered", step(0, 1) + step(0, 0) + step(1, 0) + step(1, 1), true},
      {"no line end", whole + "half a line", true},
  };
  for (const Case& c : cases) {
    const test::LoadLogCount count = test::CheckLoadLog(c.file, {0, 1}, 2);
    EXPECT_EQ(c.faulty, !count.faults.empty()) << c.name;
  }
}

}  // namespace
}  // namespace zorvik
