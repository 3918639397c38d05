// Bad input refused by every method of IScanner, IButton and ILog, as a host
// meets them on a ZORVIK object made through zorvik.dll's class object: each
// pointer parameter null in turn, handles that name no session, and values
// outside what each field or size accepts. One table holds every case; each
// row says what the call must answer, and after each row the session must be
// exactly as it was: still valid, its device lock held once by this thread,
// and its scan parameters and gamma tables unchanged (seen by what the next
// StartScan sends to the simulated toolkit).
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "device_files.h"
#include "driver_error.h"
#include "simulator_control.h"
#include "zorvik.h"
#include "zorvik_module_test.h"

using Microsoft::WRL::ComPtr;

namespace zorvik::test {
namespace {

constexpr DWORD kUnwritten = 0xDEADBEEF;
constexpr WORD kThreadLock = ZORVIK_LOCK_THREAD;

// What a refused call may leave behind besides its answer.
enum class Effect {
  kNothing,         // no toolkit call, no state changed
  kToolkitCall,     // reaches the toolkit (the answer is the toolkit's), no state changed
  kPositionFields,  // SetScannerParameters' documented partial rewrite of the record
  kNeedsFreeLock,   // an open of another device: runs with the session's lock given back
};

struct Objects {
  IScanner* scanner;
  IButton* button;
  ILog* log;
  DWORD handle;  // open, locked once by this thread
};

using Invoke = std::function<HRESULT(const Objects&, DWORD* error)>;

struct Row {
  std::string method;
  std::string input;
  Invoke call;
  HRESULT result;
  DWORD error;  // kUnwritten: the error code must not be touched
  Effect effect = Effect::kNothing;
};

// A method that takes a session handle, called with otherwise valid
// arguments, so that only the handle or the error-code pointer decides.
struct SessionMethod {
  const char* name;
  std::function<HRESULT(const Objects&, DWORD handle, DWORD* error)> call;
};

SCANNER_PARAMETERS ValidParameters() {
  SCANNER_PARAMETERS p{};
  p.dwWidth = 300;
  p.dwLength = 300;
  p.dwScanMode = 2;
  p.byBitsPerChannel = 8;
  p.wXResolution = 75;
  p.wYResolution = 75;
  p.wGreyChannel = 2;
  return p;
}

std::vector<SessionMethod> SessionMethods() {
  static BYTE byte_out;
  static WORD word_out;
  static DWORD dword_out;
  static SCANNER_CAPABILITIES caps;
  static BUFFER_INFO info;
  static SCANNER_PARAMETERS params;
  static std::array<BYTE, 256> table;
  static std::array<BYTE, 64> buffer;
  params = ValidParameters();
  return {
      {"CloseScannerSession",
       [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->CloseScannerSession(h, e); }},
      {"LockScanner", [](const Objects& o, DWORD h,
                         DWORD* e) { return o.scanner->LockScanner(h, kThreadLock, 0, e); }},
      {"UnlockScanner",
       [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->UnlockScanner(h, e); }},
      {"GetLampStatus", [](const Objects& o, DWORD h,
                           DWORD* e) { return o.scanner->GetLampStatus(h, &byte_out, e); }},
      {"LampOn", [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->LampOn(h, e); }},
      {"LampOff", [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->LampOff(h, e); }},
      {"GetScannerCapabilities",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.scanner->GetScannerCapabilities(h, &caps, e);
       }},
      {"GetBufferInfo", [](const Objects& o, DWORD h,
                           DWORD* e) { return o.scanner->GetBufferInfo(h, &params, &info, e); }},
      {"InitializeScanner",
       [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->InitializeScanner(h, e); }},
      {"ResetScanner",
       [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->ResetScanner(h, e); }},
      {"SetScannerParameters",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.scanner->SetScannerParameters(h, &params, e);
       }},
      {"SetGammaTable",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.scanner->SetGammaTable(h, 256, table.data(), table.data(), table.data(), e);
       }},
      {"StartScan", [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->StartScan(h, e); }},
      {"StopScan", [](const Objects& o, DWORD h, DWORD* e) { return o.scanner->StopScan(h, e); }},
      {"ReadScan",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.scanner->ReadScan(h, buffer.data(), buffer.size(), e);
       }},
      {"ReadScanEx",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.scanner->ReadScanEx(h, buffer.data(), buffer.size(), &dword_out, e);
       }},
      {"GetButtonCount", [](const Objects& o, DWORD h,
                            DWORD* e) { return o.button->GetButtonCount(h, &word_out, e); }},
      {"GetButtonState", [](const Objects& o, DWORD h,
                            DWORD* e) { return o.button->GetButtonState(h, 1, &byte_out, e); }},
      {"GetButtonStateEx",
       [](const Objects& o, DWORD h, DWORD* e) {
         return o.button->GetButtonStateEx(h, 4, buffer.data(), e);
       }},
      {"ResetButton",
       [](const Objects& o, DWORD h, DWORD* e) { return o.button->ResetButton(h, 1, e); }},
      {"ResetButtonsEx",
       [](const Objects& o, DWORD h, DWORD* e) { return o.button->ResetButtonsEx(h, e); }},
  };
}

// Handles that name no session: 0, fixed and random values, near misses of
// the open handle (taken at run time), and the handle of a closed session.
std::vector<std::pair<std::string, std::function<DWORD(const Objects&)>>> BadHandles(DWORD closed) {
  std::vector<std::pair<std::string, std::function<DWORD(const Objects&)>>> handles = {
      {"handle 0", [](const Objects&) { return DWORD{0}; }},
      {"handle 0xFFFFFFFF", [](const Objects&) { return DWORD{0xFFFFFFFF}; }},
      {"handle 1", [](const Objects&) { return DWORD{1}; }},
      {"open handle + 1", [](const Objects& o) { return o.handle + 1; }},
      {"open handle + 8", [](const Objects& o) { return o.handle + 8; }},
      {"open handle with its top bit flipped",
       [](const Objects& o) { return o.handle ^ 0x80000000u; }},
      {"closed session's handle", [closed](const Objects&) { return closed; }},
  };
  std::mt19937 random(0x7310);
  for (int i = 0; i < 4; ++i) {
    const DWORD value = random();
    handles.push_back(
        {"random handle " + std::to_string(value), [value](const Objects&) { return value; }});
  }
  return handles;
}

// A call of `method` with a record that `change` spoils.
Row ParameterRow(const std::string& method, const std::string& input,
                 void (*change)(SCANNER_PARAMETERS&), DWORD error, Effect effect) {
  const bool buffer = method == "GetBufferInfo";
  return {method,
          input,
          [buffer, change](const Objects& o, DWORD* e) {
            SCANNER_PARAMETERS p = ValidParameters();
            change(p);
            if (!buffer) return o.scanner->SetScannerParameters(o.handle, &p, e);
            BUFFER_INFO info;
            std::memset(&info, 0x5A, sizeof info);
            const HRESULT result = o.scanner->GetBufferInfo(o.handle, &p, &info, e);
            for (size_t i = 0; i < sizeof info; ++i)
              EXPECT_EQ(0x5A, reinterpret_cast<const BYTE*>(&info)[i]) << "BUFFER_INFO written";
            return result;
          },
          E_FAIL,
          error,
          buffer ? Effect::kNothing : effect};
}

std::vector<Row> Table(DWORD closed) {
  std::vector<Row> rows;
  // Every session method: a null error-code pointer, then every bad handle.
  for (const SessionMethod& m : SessionMethods()) {
    const bool not_implemented = std::string(m.name) == "ResetButton";
    rows.push_back(
        {m.name, "pdwErrorCode null",
         [call = m.call](const Objects& o, DWORD*) { return call(o, o.handle, nullptr); },
         E_POINTER, kUnwritten});
    for (const auto& [input, handle] : BadHandles(closed)) {
      rows.push_back({m.name, input,
                      [call = m.call, handle = handle](const Objects& o, DWORD* e) {
                        return call(o, handle(o), e);
                      },
                      not_implemented ? E_NOTIMPL : E_FAIL,
                      not_implemented ? kErrNotImplemented : kErrInvalidSession});
    }
  }

  // OpenScannerSession: the pointers, the name and the I/O type.
  rows.push_back({"OpenScannerSession", "phSession null",
                  [](const Objects& o, DWORD* e) {
                    TempDeviceFile device;
                    std::wstring path = device.wide_path();
                    return o.scanner->OpenScannerSession(path.data(), 1, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"OpenScannerSession", "pdwErrorCode null",
                  [](const Objects& o, DWORD*) {
                    TempDeviceFile device;
                    std::wstring path = device.wide_path();
                    DWORD handle = kUnwritten;
                    const HRESULT result =
                        o.scanner->OpenScannerSession(path.data(), 1, &handle, nullptr);
                    EXPECT_EQ(kUnwritten, handle);
                    return result;
                  },
                  E_POINTER, kUnwritten});
  for (const DWORD io_type : {DWORD{0}, DWORD{2}, DWORD{0xFFFF}, DWORD{0xFFFFFFFF}}) {
    rows.push_back({"OpenScannerSession", "dwDevIOType " + std::to_string(io_type),
                    [io_type](const Objects& o, DWORD* e) {
                      TempDeviceFile device;
                      std::wstring path = device.wide_path();
                      DWORD handle = kUnwritten;
                      const HRESULT result =
                          o.scanner->OpenScannerSession(path.data(), io_type, &handle, e);
                      EXPECT_EQ(0u, handle);
                      return result;
                    },
                    E_FAIL, kErrToolkitOpenFailure, Effect::kNeedsFreeLock});
  }
  // The device-name field holds 263 characters and the NUL: a longer name is
  // refused before any session exists, one that fits is looked for.
  for (const auto& [length, error, effect] :
       {std::tuple{264, kErrInvalidParameter, Effect::kNothing},
        std::tuple{300, kErrInvalidParameter, Effect::kNothing},
        std::tuple{263, kErrScannerNotFound, Effect::kNeedsFreeLock}}) {
    rows.push_back(
        {"OpenScannerSession", "device name of " + std::to_string(length) + " characters",
         [length = length](const Objects& o, DWORD* e) {
           // A path, so that the lock's semaphore, named after the last
           // component, stays within the platform's object-name limit.
           std::wstring name = L"C:\\no\\such\\";
           name.resize(length, L'x');
           DWORD handle = kUnwritten;
           const HRESULT result = o.scanner->OpenScannerSession(name.data(), 1, &handle, e);
           EXPECT_EQ(0u, handle);
           return result;
         },
         E_FAIL, static_cast<DWORD>(error), effect});
  }
  rows.push_back({"OpenScannerSession", "no such device",
                  [](const Objects& o, DWORD* e) {
                    std::wstring name = L"C:\\no\\such\\scanner-device";
                    DWORD handle = kUnwritten;
                    const HRESULT result =
                        o.scanner->OpenScannerSession(name.data(), 1, &handle, e);
                    EXPECT_EQ(0u, handle);
                    return result;
                  },
                  E_FAIL, kErrScannerNotFound, Effect::kNeedsFreeLock});

  // LockScanner: lock types other than PROCESS (0) and THREAD (1).
  for (const WORD type : {WORD{2}, WORD{0x7FFF}, WORD{0xFFFF}}) {
    rows.push_back({"LockScanner", "wLockType " + std::to_string(type),
                    [type](const Objects& o, DWORD* e) {
                      return o.scanner->LockScanner(o.handle, type, 0, e);
                    },
                    E_FAIL, kErrScannerLockFailed});
  }

  // Out-pointers beside the error code.
  rows.push_back(
      {"GetLampStatus", "pbLampOn null",
       [](const Objects& o, DWORD* e) { return o.scanner->GetLampStatus(o.handle, nullptr, e); },
       E_POINTER, kUnwritten});
  rows.push_back({"GetScannerCapabilities", "pScannerCapabilities null",
                  [](const Objects& o, DWORD* e) {
                    return o.scanner->GetScannerCapabilities(o.handle, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"GetBufferInfo", "pScanParam null",
                  [](const Objects& o, DWORD* e) {
                    BUFFER_INFO info{};
                    return o.scanner->GetBufferInfo(o.handle, nullptr, &info, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"GetBufferInfo", "pBufferInfo null",
                  [](const Objects& o, DWORD* e) {
                    SCANNER_PARAMETERS p = ValidParameters();
                    return o.scanner->GetBufferInfo(o.handle, &p, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"SetScannerParameters", "pScanParam null",
                  [](const Objects& o, DWORD* e) {
                    return o.scanner->SetScannerParameters(o.handle, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  for (int missing = 0; missing < 3; ++missing) {
    static const char* const kTables[] = {"pbyRed null", "pbyGreen null", "pbyBlue null"};
    rows.push_back({"SetGammaTable", kTables[missing],
                    [missing](const Objects& o, DWORD* e) {
                      std::array<BYTE, 256> zero{};
                      BYTE* tables[3] = {zero.data(), zero.data(), zero.data()};
                      tables[missing] = nullptr;
                      return o.scanner->SetGammaTable(o.handle, 256, tables[0], tables[1],
                                                      tables[2], e);
                    },
                    E_POINTER, kUnwritten});
  }
  rows.push_back(
      {"ReadScan", "pbyBuffer null",
       [](const Objects& o, DWORD* e) { return o.scanner->ReadScan(o.handle, nullptr, 64, e); },
       E_POINTER, kUnwritten});
  rows.push_back({"ReadScanEx", "pbyBuffer null",
                  [](const Objects& o, DWORD* e) {
                    DWORD read = kUnwritten;
                    const HRESULT result = o.scanner->ReadScanEx(o.handle, nullptr, 64, &read, e);
                    EXPECT_EQ(kUnwritten, read);
                    return result;
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"ReadScanEx", "pdwBytesRead null",
                  [](const Objects& o, DWORD* e) {
                    BYTE buffer[64];
                    return o.scanner->ReadScanEx(o.handle, buffer, sizeof buffer, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back(
      {"GetButtonCount", "pwButtonCount null",
       [](const Objects& o, DWORD* e) { return o.button->GetButtonCount(o.handle, nullptr, e); },
       E_POINTER, kUnwritten});
  rows.push_back(
      {"GetButtonState", "pbyState null",
       [](const Objects& o, DWORD* e) { return o.button->GetButtonState(o.handle, 1, nullptr, e); },
       E_POINTER, kUnwritten});
  rows.push_back({"GetButtonStateEx", "pState null",
                  [](const Objects& o, DWORD* e) {
                    return o.button->GetButtonStateEx(o.handle, 4, nullptr, e);
                  },
                  E_POINTER, kUnwritten});
  rows.push_back({"GetButtonStateEx", "pState null and byCount 0",
                  [](const Objects& o, DWORD* e) {
                    return o.button->GetButtonStateEx(o.handle, 0, nullptr, e);
                  },
                  E_POINTER, kUnwritten});

  // Gamma table sizes beyond the 256 entries of a table.
  for (const DWORD size : {DWORD{257}, DWORD{0x10000}, DWORD{0xFFFFFFFF}}) {
    rows.push_back({"SetGammaTable", "uSz " + std::to_string(size),
                    [size](const Objects& o, DWORD* e) {
                      std::array<BYTE, 256> ones;
                      ones.fill(0xEE);
                      return o.scanner->SetGammaTable(o.handle, size, ones.data(), ones.data(),
                                                      ones.data(), e);
                    },
                    E_FAIL, kErrInvalidParameter});
  }

  // Scan records outside what the geometry accepts, through both methods.
  struct Spoiled {
    const char* input;
    void (*change)(SCANNER_PARAMETERS&);
  };
  const Spoiled spoiled[] = {
      {"dwScanMode 0", [](SCANNER_PARAMETERS& p) { p.dwScanMode = 0; }},
      {"dwScanMode 3", [](SCANNER_PARAMETERS& p) { p.dwScanMode = 3; }},
      {"dwScanMode 8", [](SCANNER_PARAMETERS& p) { p.dwScanMode = 8; }},
      {"dwScanMode 0xFFFFFFFF", [](SCANNER_PARAMETERS& p) { p.dwScanMode = 0xFFFFFFFF; }},
      {"wXResolution 0", [](SCANNER_PARAMETERS& p) { p.wXResolution = 0; }},
      {"wYResolution 0", [](SCANNER_PARAMETERS& p) { p.wYResolution = 0; }},
      {"wXResolution 0 with pixel coordinates",
       [](SCANNER_PARAMETERS& p) {
         p.wXResolution = 0;
         p.dwScanOptions = 2;
       }},
      {"dwLeft beyond 16 bits", [](SCANNER_PARAMETERS& p) { p.dwLeft = 0x10000; }},
      {"dwWidth 0xFFFFFFFF", [](SCANNER_PARAMETERS& p) { p.dwWidth = 0xFFFFFFFF; }},
      {"dwLength 0xFFFFFFFF", [](SCANNER_PARAMETERS& p) { p.dwLength = 0xFFFFFFFF; }},
      {"image wider than 65535 pixels",
       [](SCANNER_PARAMETERS& p) {
         p.dwWidth = 65535;
         p.wXResolution = 600;
       }},
      {"pixel coordinates beyond 16 bits",
       [](SCANNER_PARAMETERS& p) {
         p.dwScanOptions = 2;
         p.dwWidth = 70000;
       }},
  };
  for (const char* method : {"GetBufferInfo", "SetScannerParameters"}) {
    for (const Spoiled& s : spoiled) {
      rows.push_back(
          ParameterRow(method, s.input, s.change, kErrInvalidParameter, Effect::kPositionFields));
    }
  }
  rows.push_back(ParameterRow(
      "SetScannerParameters", "wScanMethod 4", [](SCANNER_PARAMETERS& p) { p.wScanMethod = 4; },
      kErrInvalidParameter, Effect::kPositionFields));
  rows.push_back(ParameterRow(
      "SetScannerParameters", "wScanMethod 0xFFFF",
      [](SCANNER_PARAMETERS& p) { p.wScanMethod = 0xFFFF; }, kErrInvalidParameter,
      Effect::kPositionFields));

  // Button numbers no button has: no press can match them.
  for (const BYTE index : {BYTE{0}, BYTE{5}, BYTE{255}}) {
    rows.push_back({"GetButtonState", "byIndex " + std::to_string(index),
                    [index](const Objects& o, DWORD* e) {
                      BYTE state = 0xEE;
                      const HRESULT result = o.button->GetButtonState(o.handle, index, &state, e);
                      EXPECT_EQ(0, state);
                      return result;
                    },
                    S_OK, kErrNoError, Effect::kToolkitCall});
  }

  // ILog never fails, whatever it is given.
  rows.push_back({"LogString", "pszString null",
                  [](const Objects& o, DWORD*) { return o.log->LogString(0xFFFFFFFF, nullptr); },
                  S_OK, kUnwritten});
  rows.push_back({"LogString", "every attribute bit",
                  [](const Objects& o, DWORD*) {
                    std::wstring text = L"bad input \xD800 lone surrogate";
                    return o.log->LogString(0xFFFFFFFF, text.data());
                  },
                  S_OK, kUnwritten});
  rows.push_back({"IsEnabled", "pbyEnabled null",
                  [](const Objects& o, DWORD*) { return o.log->IsEnabled(0xFFFFFFFF, nullptr); },
                  S_OK, kUnwritten});
  return rows;
}

// What StartScan hands the toolkit: the scan-parameter record and the three
// gamma tables.
struct SentState {
  std::vector<BYTE> parameters;
  std::vector<std::vector<BYTE>> gamma;
};

class BadInputTest : public ZorvikModuleTest {
 protected:
  void SetUp() override {
    ZorvikModuleTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(simulator_.loaded());
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module_.GetClassObject(CLSID_ZORVIK, IID_PPV_ARGS(&factory)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&scanner_)));
    ASSERT_EQ(S_OK, scanner_.As(&button_));
    ASSERT_EQ(S_OK, scanner_.As(&log_));

    // A session opened and closed again: its handle names no session.
    std::wstring closed_path = closed_device_.wide_path();
    DWORD error = 0;
    ASSERT_EQ(S_OK, scanner_->OpenScannerSession(closed_path.data(), 1, &closed_, &error));
    ASSERT_EQ(S_OK, scanner_->CloseScannerSession(closed_, &error));

    std::wstring path = device_.wide_path();
    ASSERT_EQ(S_OK, scanner_->OpenScannerSession(path.data(), 1, &handle_, &error));
    ASSERT_EQ(S_OK, scanner_->LockScanner(handle_, kThreadLock, 1000, &error));
    SCANNER_PARAMETERS p = ValidParameters();
    ASSERT_EQ(S_OK, scanner_->SetScannerParameters(handle_, &p, &error));
    std::array<BYTE, 256> ramp;
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<BYTE>(i * 7 + 3);
    ASSERT_EQ(S_OK,
              scanner_->SetGammaTable(handle_, 256, ramp.data(), ramp.data(), ramp.data(), &error));
    baseline_ = Sent();
    ASSERT_EQ(44u, baseline_.parameters.size());
    ASSERT_EQ(3u, baseline_.gamma.size());
  }

  void TearDown() override {
    DWORD error = 0;
    if (scanner_) {
      scanner_->UnlockScanner(handle_, &error);
      scanner_->CloseScannerSession(handle_, &error);
    }
    log_.Reset();
    button_.Reset();
    scanner_.Reset();
  }

  // Starts and stops a scan and reads from the journal what it sent.
  SentState Sent() {
    simulator_.JournalClear();
    DWORD error = 0;
    EXPECT_EQ(S_OK, scanner_->StartScan(handle_, &error));
    EXPECT_EQ(S_OK, scanner_->StopScan(handle_, &error));
    SentState sent;
    for (const sim::SIM_JOURNAL_ENTRY& entry : simulator_.Journal()) {
      const std::vector<BYTE> data(entry.Data, entry.Data + entry.DataSize);
      if (std::string(entry.EntryPoint) == "SetScanParameter") sent.parameters = data;
      if (std::string(entry.EntryPoint) == "SetGammaTable") sent.gamma.push_back(data);
    }
    simulator_.JournalClear();
    return sent;
  }

  // The session is as the fixture left it: valid, locked exactly once by
  // this thread, and sending the same record and tables.
  void ExpectSessionUnchanged(Effect effect) {
    DWORD error = kUnwritten;
    EXPECT_EQ(S_OK, scanner_->InitializeScanner(handle_, &error));
    EXPECT_EQ(kErrNoError, error);
    EXPECT_EQ(S_OK, scanner_->UnlockScanner(handle_, &error));
    EXPECT_EQ(E_FAIL, scanner_->UnlockScanner(handle_, &error));
    EXPECT_EQ(kErrScannerNotLocked, error) << "the lock was held more than once";
    ASSERT_EQ(S_OK, scanner_->LockScanner(handle_, kThreadLock, 1000, &error));
    if (effect == Effect::kPositionFields) {
      // A refused record has its position fields rewritten already, and the
      // toolkit would refuse them: the fixture's record goes back first.
      SCANNER_PARAMETERS p = ValidParameters();
      EXPECT_EQ(S_OK, scanner_->SetScannerParameters(handle_, &p, &error));
    }
    const SentState sent = Sent();
    EXPECT_EQ(baseline_.parameters, sent.parameters) << "scan parameters changed";
    EXPECT_EQ(baseline_.gamma, sent.gamma) << "gamma tables changed";
  }

  sim::SimulatorControl simulator_;
  TempDeviceFile device_;
  TempDeviceFile closed_device_;
  ComPtr<IScanner> scanner_;
  ComPtr<IButton> button_;
  ComPtr<ILog> log_;
  DWORD handle_ = 0;
  DWORD closed_ = 0;
  SentState baseline_;
};

TEST_F(BadInputTest, EveryMethodRefusesBadInputAndChangesNothing) {
  const Objects objects{scanner_.Get(), button_.Get(), log_.Get(), handle_};
  for (const Row& row : Table(closed_)) {
    SCOPED_TRACE(row.method + ", " + row.input);
    DWORD error = 0;
    if (row.effect == Effect::kNeedsFreeLock) {
      ASSERT_EQ(S_OK, scanner_->UnlockScanner(handle_, &error));
    }
    simulator_.JournalClear();
    error = kUnwritten;
    EXPECT_EQ(row.result, row.call(objects, &error));
    EXPECT_EQ(row.error, error);
    if (row.effect == Effect::kNothing || row.effect == Effect::kPositionFields) {
      EXPECT_EQ(0u, simulator_.JournalCount()) << "reached the toolkit";
    }
    if (row.effect == Effect::kNeedsFreeLock) {
      DWORD lock_error = 0;
      ASSERT_EQ(S_OK, scanner_->LockScanner(handle_, kThreadLock, 1000, &lock_error));
    }
    ExpectSessionUnchanged(row.effect);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace zorvik::test
