// Opening and closing sessions: sharing one session per device name, the
// session without a device name, the device I/O types, names the component
// refuses, null pointers, and a last close whose toolkit call fails.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "driver_error.h"
#include "session_table.h"
#include "session_test_support.h"

namespace zorvik::test {
namespace {

class OpenCloseTest : public SessionTest {};

TEST_F(OpenCloseTest, OpensOfOneNameShareOneSessionUntilTheLastClose) {
  TempDeviceFile device;
  for (const bool second_object : {false, true}) {
    SCOPED_TRACE(second_object ? "through two objects" : "through one object");
    ::zorvik::zorvik other;
    ::zorvik::zorvik& second = second_object ? other : scanner_;

    const OpenOutcome first = Open(device);
    ASSERT_EQ(S_OK, first.result);
    EXPECT_EQ(kErrNoError, first.error);
    EXPECT_NE(0u, first.handle);
    std::wstring path = device.wide_path();
    DWORD handle = 0, error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, second.OpenScannerSession(path.data(), 1, &handle, &error));
    EXPECT_EQ(first.handle, handle);
    EXPECT_EQ(2, CSessionTable::Instance().OpenCount(device.path().c_str()));

    // The first close leaves the session to its other opener, usable.
    EXPECT_EQ(kErrNoError, Close(handle));
    EXPECT_EQ(kErrNoError, Lock(first.handle, kLockTypeThread));
    EXPECT_EQ(kErrNoError, Unlock(first.handle));
    EXPECT_FALSE(device.IsClosed());

    EXPECT_EQ(kErrNoError, Close(first.handle));
    EXPECT_TRUE(device.IsClosed());
    EXPECT_FALSE(ToolkitLoaded());
    EXPECT_EQ(kErrInvalidSession, Close(first.handle, E_FAIL));
    EXPECT_EQ(kErrInvalidSession, Lock(first.handle, kLockTypeThread));
  }
}

TEST_F(OpenCloseTest, AReopenedDeviceGetsAHandleNeverSeenBefore) {
  const OpenOutcome first = Open(nullptr);
  EXPECT_EQ(kErrNoError, Close(first.handle));
  const OpenOutcome second = Open(nullptr);
  EXPECT_NE(first.handle, second.handle);
  EXPECT_EQ(kErrInvalidSession, Close(first.handle, E_FAIL));
  EXPECT_EQ(kErrNoError, Close(second.handle));
}

TEST_F(OpenCloseTest, WithoutANameTheObjectsShareTheDefaultDeviceSession) {
  const size_t mark = LogMark();
  const OpenOutcome first = Open(nullptr);
  ASSERT_EQ(S_OK, first.result);
  ::zorvik::zorvik other;
  DWORD handle = 0, error = 0xDEADBEEF;
  // A later open only counts: its device type is not looked at.
  EXPECT_EQ(S_OK, other.OpenScannerSession(nullptr, 2, &handle, &error));
  EXPECT_EQ(first.handle, handle);
  EXPECT_EQ(2, CSessionTable::Instance().OpenCount("zorvik"));
  const std::string log = LogSince(mark);
  EXPECT_EQ(std::string::npos, log.find("I/O DevName")) << log;
  EXPECT_EQ(kErrNoError, Close(handle));
  EXPECT_EQ(kErrNoError, Close(handle));
}

TEST_F(OpenCloseTest, AnEmptyNameOpensTheDeviceNamedZorvik) {
  // The test runs where no file "zorvik" exists.
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("zorvik"));
  const OpenOutcome outcome = Open(L"");
  EXPECT_EQ(E_FAIL, outcome.result);
  EXPECT_EQ(kErrScannerNotFound, outcome.error);
  EXPECT_EQ(0u, outcome.handle);
}

TEST_F(OpenCloseTest, TheToolkitIsLoadedForTheUsbTypeInItsLowWordOnly) {
  const struct {
    DWORD io_type;
    HRESULT result;
    DWORD error;
    const char* device_type;
  } cases[] = {
      {1, S_OK, kErrNoError, "USB"},
      {0x10001, S_OK, kErrNoError, "Parallel"},
      {0, E_FAIL, kErrToolkitOpenFailure, nullptr},
      {2, E_FAIL, kErrToolkitOpenFailure, nullptr},
  };
  TempDeviceFile device;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "dwDevIOType 0x" << std::hex << c.io_type);
    const size_t mark = LogMark();
    const OpenOutcome outcome = Open(device, c.io_type);
    EXPECT_EQ(c.result, outcome.result);
    EXPECT_EQ(c.error, outcome.error);
    if (c.device_type == nullptr) continue;
    EXPECT_TRUE(ToolkitLoaded());
    EXPECT_TRUE(HasLinesInOrder(
        LogSince(mark), {"Session ID is 0x" + Hex(outcome.handle),
                         "I/O DevName is " + device.path() + ", DeviceType is " + c.device_type,
                         " <<< TALON CABABILITY >>> "}));
    EXPECT_EQ(kErrNoError, Close(outcome.handle));
  }
}

TEST_F(OpenCloseTest, NamesThatDoNotFitOrConvertAreRefusedWithoutASession) {
  // 263 bytes fit the name field (there is no such device); 264 do not.
  const std::wstring fits = L"C:\\" + std::wstring(200, L'a') + L"\\" + std::wstring(59, L'b');
  const std::wstring too_long = fits + L"a";
  // The device's lock semaphore is named after the last component, and the
  // platform takes names of at most 259 characters.
  const std::wstring longest_component = L"C:\\" + std::wstring(259, L'c');
  std::vector<std::pair<std::wstring, DWORD>> cases = {
      {fits, kErrScannerNotFound},
      {too_long, kErrInvalidParameter},
      {longest_component, kErrScannerNotFound},
      {longest_component + L"c", kErrInvalidParameter},
      {std::wstring(260, L'c'), kErrInvalidParameter}};
  // A character the ANSI code page lacks would become '?' or a look-alike.
  if (GetACP() != CP_UTF8) cases.push_back({L"C:\\scanner-\u4e00.txt", kErrInvalidParameter});
  for (const auto& [name, error] : cases) {
    SCOPED_TRACE(testing::Message() << "name of " << name.size() << " characters");
    const OpenOutcome outcome = Open(name.c_str());
    EXPECT_EQ(E_FAIL, outcome.result);
    EXPECT_EQ(error, outcome.error);
    EXPECT_EQ(0u, outcome.handle);
    EXPECT_EQ(0u, CSessionTable::Instance().SessionCount());
  }
}

TEST_F(OpenCloseTest, NullPointersGiveEPointerAndWriteNothing) {
  const OpenOutcome open = Open(nullptr);
  ASSERT_EQ(S_OK, open.result);
  ASSERT_EQ(kErrNoError, Lock(open.handle, kLockTypeThread));
  constexpr DWORD kSentinel = 0xA5A5A5A5;
  std::wstring name = L"zorvik";
  const struct {
    const char* call;
    std::function<HRESULT(DWORD* sentinel)> run;
  } cases[] = {
      {"OpenScannerSession without phSession",
       [&](DWORD* code) { return scanner_.OpenScannerSession(name.data(), 1, nullptr, code); }},
      {"OpenScannerSession without pdwErrorCode",
       [&](DWORD* handle) { return scanner_.OpenScannerSession(name.data(), 1, handle, nullptr); }},
      {"CloseScannerSession",
       [&](DWORD*) { return scanner_.CloseScannerSession(open.handle, nullptr); }},
      {"LockScanner", [&](DWORD*) { return scanner_.LockScanner(open.handle, 1, 0, nullptr); }},
      {"UnlockScanner", [&](DWORD*) { return scanner_.UnlockScanner(open.handle, nullptr); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    const size_t mark = LogMark();
    DWORD sentinel = kSentinel;
    EXPECT_EQ(E_POINTER, c.run(&sentinel));
    EXPECT_EQ(kSentinel, sentinel);
    // The exit line shows the trace's starting result: nothing was stored.
    const std::string log = LogSince(mark);
    EXPECT_NE(std::string::npos, log.find(" Returned 0x0"));
    EXPECT_EQ(std::string::npos, log.find("80004003"));
  }
  // Nothing changed: one open, the lock held once.
  EXPECT_EQ(1, CSessionTable::Instance().OpenCount("zorvik"));
  EXPECT_EQ(kErrNoError, Unlock(open.handle));
  EXPECT_EQ(kErrScannerNotLocked, Unlock(open.handle));
  EXPECT_EQ(kErrNoError, Close(open.handle));
}

TEST_F(OpenCloseTest, AFailedClearIOHandleAtTheLastCloseIsReportedAndTheSessionStillEnds) {
  TempDeviceFile device("fail = ClearIOHandle status 3\n");
  const OpenOutcome open = Open(device);
  ASSERT_EQ(S_OK, open.result);
  EXPECT_EQ(kErrUnknownToolkitError, Close(open.handle, E_FAIL));
  EXPECT_EQ(kErrInvalidSession, Close(open.handle, E_FAIL));
  EXPECT_TRUE(device.IsClosed());
  EXPECT_FALSE(ToolkitLoaded());
  EXPECT_TRUE(DeviceLockFree(device.path()));
}

TEST_F(OpenCloseTest, AFailedClearIOHandleAtAnEndLeftToAnotherCallIsLogged) {
  TempDeviceFile device("fail = ClearIOHandle status 3\n");
  const OpenOutcome open = Open(device);
  ASSERT_EQ(S_OK, open.result);
  // Another call still using the session at its last close ends the device
  // as it lets the session go, after the close has returned.
  std::shared_ptr<CScannerSession> in_use = CSessionTable::Instance().ValidateSession(open.handle);
  ASSERT_TRUE(in_use);
  const size_t mark = LogMark();
  EXPECT_EQ(kErrNoError, Close(open.handle));
  EXPECT_FALSE(device.IsClosed());
  in_use.reset();
  EXPECT_TRUE(HasLinesInOrder(
      LogSince(mark),
      {"Deleting Toolkit Interface",
       "ClearIOHandle failed as session 0x" + Hex(open.handle) + " ended after its last close"}));
  EXPECT_TRUE(device.IsClosed());
  EXPECT_FALSE(ToolkitLoaded());
  EXPECT_TRUE(DeviceLockFree(device.path()));
}

TEST_F(OpenCloseTest, TheLastCloseGivesBackTheLockLevelsStillHeld) {
  TempDeviceFile device;
  const OpenOutcome open = Open(device);
  ASSERT_EQ(S_OK, open.result);
  EXPECT_EQ(kErrNoError, Lock(open.handle, kLockTypeThread));
  EXPECT_EQ(kErrNoError, Lock(open.handle, kLockTypeThread));
  EXPECT_FALSE(DeviceLockFree(device.path()));
  EXPECT_EQ(kErrNoError, Close(open.handle));
  EXPECT_TRUE(DeviceLockFree(device.path()));
}

}  // namespace
}  // namespace zorvik::test
