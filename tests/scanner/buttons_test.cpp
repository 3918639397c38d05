// The front-panel buttons through the scanner object: a recorded press seen
// through both state operations, a press without a number, clearing, the
// operation that is not implemented, and the button lines in the log.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "com_apartment.h"
#include "child_checks.h"
#include "child_process.h"
#include "device_test_support.h"
#include "driver_error.h"
#include "log_settings_scope.h"
#include "log_test_files.h"
#include "logger.h"
#include "scanner_lock.h"

namespace zorvik::test {
namespace {

class ButtonsTest : public DeviceOperationTest {};

constexpr BYTE kUntouched = 0xCC;
using States = std::array<BYTE, 6>;
constexpr States kAllUntouched = {kUntouched, kUntouched, kUntouched,
                                  kUntouched, kUntouched, kUntouched};

size_t CountOccurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(ButtonsTest, APressOfButtonTwoIsSeenAtItsNumberOnly) {
  const DWORD handle = OpenLocked("press = 2 after 0\n");
  for (const auto& [index, state] : {std::pair{0, 0}, {1, 0}, {2, 1}, {3, 0}}) {
    SCOPED_TRACE(testing::Message() << "GetButtonState " << index);
    BYTE pressed = kUntouched;
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, scanner_.GetButtonState(handle, static_cast<BYTE>(index), &pressed, &error));
    EXPECT_EQ(kErrNoError, error);
    EXPECT_EQ(state, pressed);
  }
  const struct {
    BYTE count;
    States states;
  } cases[] = {
      {0, kAllUntouched},
      {1, {0, kUntouched, kUntouched, kUntouched, kUntouched, kUntouched}},
      {2, {0, 1, kUntouched, kUntouched, kUntouched, kUntouched}},
      {4, {0, 1, 0, 0, kUntouched, kUntouched}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "GetButtonStateEx " << int{c.count});
    States states = kAllUntouched;
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, scanner_.GetButtonStateEx(handle, c.count, states.data(), &error));
    EXPECT_EQ(kErrNoError, error);
    EXPECT_EQ(c.states, states);
  }
}

TEST_F(ButtonsTest, APressWithoutANumberIsAToolkitError) {
  const DWORD handle = OpenLocked("press = 0 after 0\n");
  for (const BYTE count : {BYTE{0}, BYTE{4}}) {
    SCOPED_TRACE(int{count});
    States states = kAllUntouched;
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(E_FAIL, scanner_.GetButtonStateEx(handle, count, states.data(), &error));
    EXPECT_EQ(kErrUnknownToolkitError, error);
    for (size_t i = 0; i < states.size(); ++i) EXPECT_EQ(i < count ? 0 : kUntouched, states[i]);
  }
}

TEST_F(ButtonsTest, ClearingThePressAndPollingWithoutOne) {
  const DWORD handle = OpenLocked("press = 3 after 1\n");
  BYTE pressed = kUntouched;
  DWORD error = 0;
  // The first poll comes before the press.
  EXPECT_EQ(S_OK, scanner_.GetButtonState(handle, 3, &pressed, &error));
  EXPECT_EQ(0, pressed);
  EXPECT_EQ(S_OK, scanner_.GetButtonState(handle, 3, &pressed, &error));
  EXPECT_EQ(1, pressed);
  EXPECT_EQ(S_OK, scanner_.ResetButtonsEx(handle, &error));
  EXPECT_EQ(kErrNoError, error);
  States states = kAllUntouched;
  EXPECT_EQ(S_OK, scanner_.GetButtonStateEx(handle, 4, states.data(), &error));
  EXPECT_EQ((States{0, 0, 0, 0, kUntouched, kUntouched}), states);
  EXPECT_EQ(
      (std::vector<std::string>{"SetIOHandle", "ReadPushButton", "SetIOHandle", "ReadPushButton",
                                "SetIOHandle", "ResetPushButton", "SetIOHandle", "ReadPushButton"}),
      simulator_.JournalNames());
}

TEST_F(ButtonsTest, OutValuesAreClearedWhenACallFails) {
  const DWORD handle = OpenUnlocked("fail = ReadPushButton status 156\nbutton_count = 7\n");
  WORD count = 0xCCCC;
  BYTE pressed = kUntouched;
  DWORD error = 0;
  EXPECT_EQ(E_FAIL, scanner_.GetButtonCount(handle, &count, &error));
  EXPECT_EQ(kErrScannerNotLocked, error);
  EXPECT_EQ(0, count);
  EXPECT_EQ(E_FAIL, scanner_.GetButtonState(handle, 1, &pressed, &error));
  EXPECT_EQ(0, pressed);

  ASSERT_EQ(kErrNoError, Lock(handle, kLockTypeThread));
  EXPECT_EQ(S_OK, scanner_.GetButtonCount(handle, &count, &error));
  EXPECT_EQ(7, count);
  pressed = kUntouched;
  EXPECT_EQ(E_FAIL, scanner_.GetButtonState(handle, 1, &pressed, &error));
  EXPECT_EQ(kErrCommunicationFailure, error);
  EXPECT_EQ(0, pressed);
  // A refused poll leaves the host's array as it was.
  States states = kAllUntouched;
  EXPECT_EQ(E_FAIL, scanner_.GetButtonStateEx(handle, 4, states.data(), &error));
  EXPECT_EQ(kErrCommunicationFailure, error);
  EXPECT_EQ(kAllUntouched, states);

  EXPECT_EQ(E_POINTER, scanner_.GetButtonCount(handle, nullptr, &error));
  EXPECT_EQ(E_POINTER, scanner_.GetButtonState(handle, 1, nullptr, &error));
  EXPECT_EQ(E_POINTER, scanner_.GetButtonStateEx(handle, 0, nullptr, &error));
}

TEST_F(ButtonsTest, ResetButtonIsNotImplementedOnAnyHandle) {
  const DWORD unlocked = OpenUnlocked();
  const DWORD locked = OpenLocked();
  for (const DWORD handle : {DWORD{0}, unlocked, locked, DWORD{0x12345678}}) {
    SCOPED_TRACE(handle);
    const size_t mark = LogMark();
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(E_NOTIMPL, scanner_.ResetButton(handle, 1, &error));
    EXPECT_EQ(kErrNotImplemented, error);
    EXPECT_NE(std::string::npos,
              LogSince(mark).find("---zorvik::ResetButton ERROR: Returned 0x80004001, "
                                  "LarkspurError="))
        << LogSince(mark);
  }
  EXPECT_EQ(E_POINTER, scanner_.ResetButton(locked, 1, nullptr));
  EXPECT_TRUE(simulator_.JournalNames().empty());
}

TEST_F(ButtonsTest, CountAndPressesAreLogged) {
  const DWORD handle = OpenLocked("press = 2 after 0\n");
  const size_t mark = LogMark();
  WORD count = 0;
  BYTE pressed = 0;
  States states{};
  DWORD error = 0;
  EXPECT_EQ(S_OK, scanner_.GetButtonCount(handle, &count, &error));
  EXPECT_EQ(S_OK, scanner_.GetButtonState(handle, 2, &pressed, &error));
  EXPECT_EQ(S_OK, scanner_.GetButtonState(handle, 1, &pressed, &error));
  EXPECT_EQ(S_OK, scanner_.GetButtonStateEx(handle, 4, states.data(), &error));
  const std::string log = LogSince(mark);
  // GetButtonStateEx names the element, counted from 0.
  EXPECT_TRUE(HasLinesInOrder(
      log, {"Button count is 4", "Button 2 has been pressed", "Button 1 has been pressed"}));
  EXPECT_EQ(2u, CountOccurrences(log, "has been pressed")) << log;
}

// A scanner object whose log settings filter LOG_ATTR_BUTTON: the button
// operations leave no line, while the others are still traced.
ZORVIK_CHILD_ROLE(buttons_with_button_lines_filtered) {
  ComApartment com(COINIT_MULTITHREADED);
  const TempDeviceFile device("press = 2 after 0\n");
  ::zorvik::zorvik scanner;
  DWORD handle = 0;
  DWORD error = 0;
  std::wstring path = device.wide_path();
  CHILD_CHECK(scanner.OpenScannerSession(path.data(), 1, &handle, &error) == S_OK);
  CHILD_CHECK(scanner.LockScanner(handle, kLockTypeThread, 1000, &error) == S_OK);
  WORD count = 0;
  BYTE pressed = 0;
  BYTE states[4] = {};
  CHILD_CHECK(scanner.GetButtonCount(handle, &count, &error) == S_OK && count == 4);
  CHILD_CHECK(scanner.GetButtonState(handle, 2, &pressed, &error) == S_OK && pressed == 1);
  CHILD_CHECK(scanner.GetButtonStateEx(handle, 4, states, &error) == S_OK && states[1] == 1);
  CHILD_CHECK(scanner.ResetButtonsEx(handle, &error) == S_OK);
  CHILD_CHECK(scanner.ResetButton(handle, 1, &error) == E_NOTIMPL);
  CHILD_CHECK(scanner.UnlockScanner(handle, &error) == S_OK);
  CHILD_CHECK(scanner.CloseScannerSession(handle, &error) == S_OK);
  return 0;
}

TEST(ButtonLog, AButtonFilterSilencesTheButtonOperations) {
  TempLogFile file("buttons");
  ScopedLogSettings settings(
      {.enabled = 1, .filter = LOG_ATTR_BUTTON, .destination = LOG_DEST_FILE, .file = file.path()});
  EXPECT_CHILD_PASSES(RunChild("buttons_with_button_lines_filtered"));
  const std::string log = file.Read();
  EXPECT_NE(std::string::npos, log.find("---zorvik::LockScanner Returned 0x0")) << log;
  EXPECT_EQ(std::string::npos, log.find("Button")) << log;
}

}  // namespace
}  // namespace zorvik::test
