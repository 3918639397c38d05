// The log settings as the registry gives them.  The settings are read once
// per process, so every case runs in a fresh child process.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "debug_output_capture.h"
#include "log_settings.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "logger.h"
#include "zorvik.h"
#include "test_text.h"

namespace zorvik {
namespace {

constexpr uint32_t kProbedAttributes[] = {0xA, 0xB, 0x8, 0x1};
constexpr int kNoSettings = 100;

// Answers with one bit per probed attribute (bit 0 for 0xA ... bit 3 for 1)
// and writes its argument as a line with attribute 0, which no filter stops.
ZORVIK_CHILD_ROLE(settings_probe) {
  ComApartment com(COINIT_MULTITHREADED);
  const CLogSettings* settings = CLogSettings::Instance(CLSID_ZORVIK);
  if (settings == nullptr) return kNoSettings;
  int enabled_bits = 0;
  for (size_t i = 0; i < std::size(kProbedAttributes); ++i) {
    if (settings->IsEnabledFor(kProbedAttributes[i])) enabled_bits |= 1 << i;
  }
  CLogger(0).WriteLine(test::Narrow(argument).c_str());
  return enabled_bits;
}

enum class FileValue { kNone, kOwnFile, kTooLong };

struct SettingsCase {
  const char* name;
  bool key_present;
  std::optional<DWORD> enabled, filter, destination;
  FileValue file;
  int enabled_bits;  // bit i: IsEnabledFor(kProbedAttributes[i])
  bool to_own_file, to_default_file, to_debugger;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(LogSettings, RegistryValuesDecideWhatIsWrittenAndWhere) {
  const SettingsCase cases[] = {
      {"no key", false, {}, {}, {}, FileValue::kNone, 0x0, false, false, false},
      {"enabled, destination 0", true, 1, {}, 0, FileValue::kOwnFile, 0x0, false, false, false},
      {"destination 1 but not enabled",
       true,
       0,
       {},
       1,
       FileValue::kOwnFile,
       0x0,
       false,
       false,
       false},
      {"file", true, 1, {}, 1, FileValue::kOwnFile, 0xF, true, false, false},
      {"debugger", true, 1, {}, 2, FileValue::kOwnFile, 0xF, false, false, true},
      {"file and debugger", true, 1, {}, 3, FileValue::kOwnFile, 0xF, true, false, true},
      {"filter 0x2", true, 1, 2, 1, FileValue::kOwnFile, 0xC, true, false, false},
      {"default path", true, 1, {}, 1, FileValue::kNone, 0xF, false, true, false},
      {"LogFile of 300 characters", true, 1, {}, 1, FileValue::kTooLong, 0xF, false, true, false},
  };
  const std::string default_file = test::DefaultLogFilePath();
  for (const SettingsCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempLogFile own_file("settings");
    DeleteFileA(default_file.c_str());
    std::optional<test::ScopedLogSettings> settings;
    if (c.key_present) {
      test::LogSettingsValues values{c.enabled, c.filter, c.destination, {}};
      if (c.file == FileValue::kOwnFile) values.file = own_file.path();
      if (c.file == FileValue::kTooLong) values.file = "C:\\" + std::string(292, 'x') + ".log";
      settings.emplace(values);
    } else {
      settings.emplace();
    }
    const std::string marker = std::string("settings case: ") + c.name;
    test::DebugOutputCapture debugger;
    ASSERT_TRUE(debugger.listening());
    test::ChildProcess child("settings_probe", test::Widen(marker));
    ASSERT_EQ(c.enabled_bits, child.Wait(30000));

    EXPECT_EQ(c.to_own_file, own_file.Read() == marker + "\r\n") << own_file.Read();
    const std::string default_text = test::ReadWholeFile(default_file);
    EXPECT_EQ(c.to_default_file, Contains(default_text, marker + "\r\n")) << default_text;
    const auto sent = debugger.TextsFrom(child.id());
    EXPECT_EQ(c.to_debugger, sent.size() == 1 && sent[0] == marker + "\n") << sent.size();
    DeleteFileA(default_file.c_str());
  }
}

// Eight threads ask for the settings at the same moment; all get one instance.
ZORVIK_CHILD_ROLE(settings_instance_race) {
  constexpr int kThreads = 8;
  UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  CHILD_CHECK(start.valid());
  CLogSettings* seen[kThreads] = {};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      ComApartment com(COINIT_MULTITHREADED);
      WaitForSingleObject(start.get(), 10000);
      seen[i] = CLogSettings::Instance(CLSID_ZORVIK);
    });
  }
  SetEvent(start.get());
  for (std::thread& thread : threads) thread.join();
  for (CLogSettings* settings : seen) CHILD_CHECK(settings != nullptr && settings == seen[0]);
  CHILD_CHECK(CLogSettings::Instance(GUID_NULL) == seen[0]);
  return 0;
}

TEST(LogSettings, ThreadsAskingAtOnceShareOneInstance) {
  test::ScopedLogSettings settings({.enabled = 1, .destination = LOG_DEST_DEBUGGER});
  EXPECT_CHILD_PASSES(test::RunChild("settings_instance_race"));
}

}  // namespace
}  // namespace zorvik
