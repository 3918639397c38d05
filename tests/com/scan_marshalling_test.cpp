// IScanner and IButton called through their proxies from another apartment
// answer exactly as the same calls made in the object's own apartment: a
// whole scan gives the same bytes (the parameter record and the gamma tables
// arrive intact, and ReadScan brings back exactly the bytes asked for, never
// touching the rest of the caller's buffer), and every other method gives the
// same results, error codes and out-values. Each runs in a child process,
// whose session table starts empty.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "child_checks.h"
#include "child_process.h"
#include "com_apartment.h"
#include "scanner_in_other_apartment.h"
#include "scoped_registration.h"
#include "zorvik.h"
#include "zorvik_module.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

constexpr BYTE kUntouched = 0xEE;
// Not a multiple of the line length, so reads end inside lines.
constexpr DWORD kChunk = 4000;

// One inch by half an inch at 150 dpi, colour, 8 bits per channel.
SCANNER_PARAMETERS SmallColourWindow() {
  SCANNER_PARAMETERS params{};
  params.dwLeft = 300;
  params.dwTop = 150;
  params.dwWidth = 300;
  params.dwLength = 150;
  params.dwScanMode = 1;
  params.byBitsPerChannel = 8;
  params.wXResolution = 150;
  params.wYResolution = 150;
  return params;
}

struct ScanOutcome {
  bool ok = false;
  DWORD failed_step = 0;
  std::vector<BYTE> image;
};

// The host's calling order, on whatever IScanner it is given; false at the
// first method that does not return S_OK with error code 0.
ScanOutcome Scan(IScanner* scanner, bool use_read_scan_ex) {
  ScanOutcome outcome;
  DWORD step = 0;
  DWORD code = 0xA5A5A5A5, session = 0;
  // Reads the error code after the call has returned, in its body.
  auto ok = [&](HRESULT hr) {
    ++step;
    if (hr == S_OK && code == 0) return true;
    outcome.failed_step = step;
    return false;
  };
  if (!ok(scanner->OpenScannerSession(nullptr, 1, &session, &code))) return outcome;
  if (ok(scanner->LockScanner(session, 1, 5000, &code))) {
    SCANNER_PARAMETERS params = SmallColourWindow();
    BUFFER_INFO info{};
    BYTE red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
      red[i] = static_cast<BYTE>(255 - i);
      green[i] = static_cast<BYTE>(i / 2);
      blue[i] = static_cast<BYTE>((i * 7) & 0xFF);
    }
    if (ok(scanner->GetBufferInfo(session, &params, &info, &code)) &&
        ok(scanner->SetScannerParameters(session, &params, &code)) &&
        ok(scanner->SetGammaTable(session, 256, red, green, blue, &code)) &&
        ok(scanner->StartScan(session, &code))) {
      const DWORD total = info.dwPixelHeight * info.dwBytesPerLine;
      outcome.image.assign(total, 0);
      std::vector<BYTE> chunk(kChunk + 16);
      bool read_all = true;
      for (DWORD done = 0; done < total && read_all;) {
        const DWORD bytes = std::min(kChunk, total - done);
        std::fill(chunk.begin(), chunk.end(), kUntouched);
        HRESULT hr;
        if (use_read_scan_ex) {
          DWORD read = 0;
          hr = scanner->ReadScanEx(session, chunk.data(), bytes, &read, &code);
          read_all = read == bytes;
        } else {
          hr = scanner->ReadScan(session, chunk.data(), bytes, &code);
        }
        read_all = ok(hr) && read_all;
        for (size_t i = bytes; i < chunk.size(); ++i) read_all = read_all && chunk[i] == kUntouched;
        std::copy(chunk.begin(), chunk.begin() + bytes, outcome.image.begin() + done);
        done += bytes;
      }
      outcome.ok = read_all && ok(scanner->StopScan(session, &code));
    }
    ok(scanner->UnlockScanner(session, &code));
  }
  ok(scanner->CloseScannerSession(session, &code));
  outcome.ok = outcome.ok && outcome.failed_step == 0;
  return outcome;
}

ZORVIK_CHILD_ROLE(scan_across_apartments) {
  ComApartment apartment(COINIT_APARTMENTTHREADED);
  CHILD_CHECK(apartment.ok());

  ScanOutcome through_proxy;
  CHILD_CHECK(test::CallScannerFromOtherApartment(
      [&](IScanner* proxy) { through_proxy = Scan(proxy, /*use_read_scan_ex=*/false); }));
  CHILD_CHECK(through_proxy.ok);

  ComPtr<IScanner> direct;
  CHILD_CHECK(SUCCEEDED(
      CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&direct))));
  const ScanOutcome in_apartment = Scan(direct.Get(), /*use_read_scan_ex=*/true);
  CHILD_CHECK(in_apartment.ok);

  CHILD_CHECK(through_proxy.image.size() == 150u * 75u * 3u);
  CHILD_CHECK(through_proxy.image == in_apartment.image);
  return 0;
}

// Every other IScanner and IButton method, called in one host sequence: the
// results, error codes and out-values through the proxy are those of the
// same calls made directly. Each entry is the HRESULT, the error code and the
// out-bytes of one call.
std::vector<std::vector<DWORD>> CallEveryMethod(IScanner* scanner) {
  std::vector<std::vector<DWORD>> calls;
  ComPtr<IButton> buttons;
  if (FAILED(scanner->QueryInterface(IID_PPV_ARGS(&buttons)))) return calls;
  DWORD code = 0, session = 0;
  auto record = [&](HRESULT hr, std::initializer_list<DWORD> outs = {}) {
    std::vector<DWORD> call{static_cast<DWORD>(hr), code};
    call.insert(call.end(), outs);
    calls.push_back(call);
    code = 0xA5A5A5A5;
  };
  record(scanner->OpenScannerSession(nullptr, 1, &session, &code));
  record(scanner->LampOn(session, &code));  // refused: not locked
  record(scanner->LockScanner(session, 1, 5000, &code));
  BYTE lamp = 0xCC;
  record(scanner->LampOff(session, &code));
  record(scanner->GetLampStatus(session, &lamp, &code), {lamp});
  record(scanner->LampOn(session, &code));
  record(scanner->GetLampStatus(session, &lamp, &code), {lamp});
  SCANNER_CAPABILITIES caps;
  std::memset(&caps, 0xCC, sizeof(caps));
  record(scanner->GetScannerCapabilities(session, &caps, &code));
  const DWORD* caps_words = reinterpret_cast<const DWORD*>(&caps);
  calls.push_back(std::vector<DWORD>(caps_words, caps_words + sizeof(caps) / sizeof(DWORD)));
  record(scanner->InitializeScanner(session, &code));
  record(scanner->ResetScanner(session, &code));
  WORD count = 0xCCCC;
  record(buttons->GetButtonCount(session, &count, &code), {count});
  BYTE state = 0xCC;
  record(buttons->GetButtonState(session, 1, &state, &code), {state});
  BYTE states[4] = {0xCC, 0xCC, 0xCC, 0xCC};
  record(buttons->GetButtonStateEx(session, 4, states, &code),
         {states[0], states[1], states[2], states[3]});
  record(buttons->ResetButton(session, 0, &code));
  record(buttons->ResetButtonsEx(session, &code));
  record(scanner->LampOff(session, &code));
  record(scanner->UnlockScanner(session, &code));
  record(scanner->UnlockScanner(session, &code));  // refused: not held
  record(scanner->CloseScannerSession(session, &code));
  record(scanner->CloseScannerSession(session, &code));  // refused: ended
  return calls;
}

ZORVIK_CHILD_ROLE(every_method_across_apartments) {
  ComApartment apartment(COINIT_APARTMENTTHREADED);
  CHILD_CHECK(apartment.ok());
  std::vector<std::vector<DWORD>> through_proxy;
  CHILD_CHECK(test::CallScannerFromOtherApartment(
      [&](IScanner* proxy) { through_proxy = CallEveryMethod(proxy); }));
  ComPtr<IScanner> direct;
  CHILD_CHECK(SUCCEEDED(
      CoCreateInstance(CLSID_ZORVIK, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&direct))));
  const std::vector<std::vector<DWORD>> in_apartment = CallEveryMethod(direct.Get());
  CHILD_CHECK(!in_apartment.empty());
  CHILD_CHECK(in_apartment[0][0] == S_OK);
  CHILD_CHECK(through_proxy == in_apartment);
  return 0;
}

TEST(ScanMarshalling, EveryMethodThroughAProxyAnswersAsInTheApartment) {
  ComApartment apartment;
  test::ZorvikModule module;
  ASSERT_TRUE(module.loaded());
  test::ScopedRegistration registration(module);
  ASSERT_EQ(S_OK, registration.result());
  EXPECT_CHILD_PASSES(test::RunChild("every_method_across_apartments"));
}

TEST(ScanMarshalling, AWholeScanThroughAProxyGivesTheSameBytesAsInTheApartment) {
  ComApartment apartment;
  test::ZorvikModule module;
  ASSERT_TRUE(module.loaded());
  test::ScopedRegistration registration(module);
  ASSERT_EQ(S_OK, registration.result());
  EXPECT_CHILD_PASSES(test::RunChild("scan_across_apartments"));
}

}  // namespace
}  // namespace zorvik
