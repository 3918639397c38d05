// The eight further interfaces of the scanner family across apartments:
// zorvik.dll's proxies and stubs carry every input to a test object and every
// output back, records and arrays included, whole and unshifted.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apartment_call.h"
#include "com_apartment.h"
#include "family_object.h"
#include "record_pattern.h"
#include "scoped_registration.h"
#include "zorvik.h"
#include "zorvik_module.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

using test::Answer32;
using test::Answer8;
using test::AnswerSeed;
using test::AnswerText;
using test::FillPattern;
using test::HoldsPattern;

constexpr DWORD kUnwritten = 0xCCCCCCCC;
// What a caller may have left in an out-string variable: never written through.
LPWSTR const kLeftoverText = reinterpret_cast<LPWSTR>(0x10);

template <typename Interface>
ComPtr<Interface> Ask(IUnknown* proxy) {
  ComPtr<Interface> asked;
  EXPECT_EQ(S_OK, proxy->QueryInterface(IID_PPV_ARGS(&asked)));
  return asked;
}

// Checks that one call answered S_OK with the error code of its last
// parameter (at `position`).
#define EXPECT_ANSWERED(session, position, call)   \
  do {                                             \
    DWORD error = kUnwritten;                      \
    EXPECT_EQ(S_OK, call);                         \
    EXPECT_EQ(Answer32(session, position), error); \
  } while (0)

RGB_MATRIX SampleMatrix() {
  return {1.5, -2.25, 3.125, 1e-300, -0.0, 6.02214076e23, 7.75, -8.5, 9.0625};
}

void CallEveryMethod(IUnknown* proxy) {
  ComPtr<IsRGBMatrix> matrix = Ask<IsRGBMatrix>(proxy);
  ComPtr<IADF> adf = Ask<IADF>(proxy);
  ComPtr<IXPA> xpa = Ask<IXPA>(proxy);
  ComPtr<IControlPanel> panel = Ask<IControlPanel>(proxy);
  ComPtr<INVRAM> nvram = Ask<INVRAM>(proxy);
  ComPtr<ILampTimer> lamp_timer = Ask<ILampTimer>(proxy);
  ComPtr<ICalibrationSettings> calibration = Ask<ICalibrationSettings>(proxy);
  ComPtr<IHWProperty> property = Ask<IHWProperty>(proxy);
  if (!matrix || !adf || !xpa || !panel || !nvram || !lamp_timer || !calibration || !property)
    return;

  BYTE* enabled = nullptr;
  DWORD rows = kUnwritten, columns = kUnwritten;
  EXPECT_ANSWERED(101, 6, matrix->GetRGBMatrixInfo(101, 7, &enabled, &rows, &columns, &error));
  ASSERT_NE(nullptr, enabled);
  EXPECT_EQ(Answer8(101, 3), *enabled);
  CoTaskMemFree(enabled);
  EXPECT_EQ(Answer32(101, 4), rows);
  EXPECT_EQ(Answer32(101, 5), columns);
  RGB_MATRIX sent = SampleMatrix();
  EXPECT_ANSWERED(102, 4, matrix->SetRGBMatrix(102, 8, &sent, &error));

  MEDIA_SOURCE_CAPABILITIES capabilities;
  FillPattern(&capabilities, sizeof(capabilities), 0);
  EXPECT_ANSWERED(103, 3, adf->GetADFCapabilities(103, &capabilities, &error));
  EXPECT_TRUE(HoldsPattern(&capabilities, sizeof(capabilities), AnswerSeed(103), {{17, 1}}));
  EXPECT_ANSWERED(104, 2, adf->EjectADFPage(104, &error));
  BYTE status = 0xCC;
  EXPECT_ANSWERED(105, 3, adf->GetADFStatus(105, &status, &error));
  EXPECT_EQ(Answer8(105, 2), status);

  FillPattern(&capabilities, sizeof(capabilities), 0);
  EXPECT_ANSWERED(106, 3, xpa->GetXPACapabilities(106, &capabilities, &error));
  EXPECT_TRUE(HoldsPattern(&capabilities, sizeof(capabilities), AnswerSeed(106), {{17, 1}}));
  BYTE lamp_on = 0xCC;
  EXPECT_ANSWERED(107, 3, xpa->GetXPALampStatus(107, &lamp_on, &error));
  EXPECT_EQ(Answer8(107, 2), lamp_on);
  EXPECT_ANSWERED(108, 2, xpa->XPALampOn(108, &error));
  EXPECT_ANSWERED(109, 2, xpa->XPALampOff(109, &error));

  CONTROL_PANEL_INFO panel_info;
  FillPattern(&panel_info, sizeof(panel_info), 0);
  EXPECT_ANSWERED(110, 3, panel->GetControlPanelInfo(110, &panel_info, &error));
  EXPECT_TRUE(HoldsPattern(&panel_info, sizeof(panel_info), AnswerSeed(110), {{1, 3}, {150, 2}}));
  DWORD value = kUnwritten;
  EXPECT_ANSWERED(111, 4, panel->GetPanelValue(111, 21, &value, &error));
  EXPECT_EQ(Answer32(111, 3), value);
  EXPECT_ANSWERED(112, 4, panel->SetPanelValue(112, 22, 0xDEADBEEF, &error));
  EXPECT_ANSWERED(113, 3, panel->ClearPanelItem(113, 23, &error));
  LPWSTR text = kLeftoverText;
  DWORD length = kUnwritten;
  EXPECT_ANSWERED(114, 5, panel->GetPanelText(114, 24, &text, &length, &error));
  ASSERT_NE(nullptr, text);
  ASSERT_NE(kLeftoverText, text);
  EXPECT_EQ(AnswerText(114), text);
  CoTaskMemFree(text);
  EXPECT_EQ(Answer32(114, 4), length);
  std::wstring panel_text = L"panel \u00e4\u00f6\u00fc text";
  EXPECT_ANSWERED(115, 5, panel->SetPanelText(115, 25, panel_text.data(), 0x12345678, &error));
  std::wstring message = L"message";
  EXPECT_ANSWERED(116, 4, panel->ShowPanelMessage(116, 26, message.data(), &error));

  NVRAM_INFO nvram_info;
  FillPattern(&nvram_info, sizeof(nvram_info), 0);
  EXPECT_ANSWERED(117, 3, nvram->GetNVRAMInfo(117, &nvram_info, &error));
  EXPECT_TRUE(HoldsPattern(&nvram_info, sizeof(nvram_info), AnswerSeed(117), {{2, 2}}));
  BYTE written[5];
  FillPattern(written, sizeof(written), 0x40);
  DWORD bytes_written = kUnwritten;
  EXPECT_ANSWERED(118, 6, nvram->WriteNVRAM(118, 0x40, 5, written, &bytes_written, &error));
  EXPECT_EQ(Answer32(118, 5), bytes_written);
  // Six bytes asked for in a ten-byte buffer: the last four stay as they were.
  BYTE read[10];
  FillPattern(read, sizeof(read), test::kCallerBytesSeed);
  DWORD bytes_read = kUnwritten;
  EXPECT_ANSWERED(119, 6, nvram->ReadNVRAM(119, 0x80, 6, read, &bytes_read, &error));
  EXPECT_TRUE(HoldsPattern(read, 6, AnswerSeed(119)));
  EXPECT_TRUE(HoldsPattern(read, sizeof(read), test::kCallerBytesSeed, {{0, 6}}));
  EXPECT_EQ(Answer32(119, 5), bytes_read);

  EXPECT_ANSWERED(120, 3, lamp_timer->SetLampTimer(120, 0xBEEF, &error));

  EXPECT_ANSWERED(121, 3, calibration->SelectCalibration(121, 31, &error));
  CALIBRATION_SETTINGS settings;
  FillPattern(&settings, sizeof(settings), 0x33);
  EXPECT_ANSWERED(122, 3, calibration->SetCalibrationSettings(122, &settings, &error));

  std::wstring name = L"Serial Number";
  LPWSTR property_text = kLeftoverText;
  EXPECT_ANSWERED(123, 4, property->GetHWPropertyText(123, name.data(), &property_text, &error));
  ASSERT_NE(nullptr, property_text);
  ASSERT_NE(kLeftoverText, property_text);
  EXPECT_EQ(AnswerText(123), property_text);
  CoTaskMemFree(property_text);
  std::wstring value_name = L"Lamp Hours";
  value = kUnwritten;
  EXPECT_ANSWERED(124, 4, property->GetHWPropertyValue(124, value_name.data(), &value, &error));
  EXPECT_EQ(Answer32(124, 3), value);
}

TEST(FamilyMarshalling, EveryParameterCrossesApartmentsIntact) {
  ComApartment apartment;
  ASSERT_TRUE(apartment.ok());
  test::ZorvikModule module;
  ASSERT_TRUE(module.loaded());
  test::ScopedRegistration registration(module);
  ASSERT_EQ(S_OK, registration.result());

  test::FamilyObject object;
  IUnknown* original = static_cast<IsRGBMatrix*>(&object);
  ASSERT_TRUE(test::CallFromOtherApartment(original, IID_IUnknown, [&](IUnknown* proxy) {
    EXPECT_NE(original, proxy) << "the other apartment must hold a proxy";
    CallEveryMethod(proxy);
  }));

  const std::vector<std::wstring> expected_calls = {
      L"GetRGBMatrixInfo 101 7",
      L"SetRGBMatrix 102 8",
      L"GetADFCapabilities 103",
      L"EjectADFPage 104",
      L"GetADFStatus 105",
      L"GetXPACapabilities 106",
      L"GetXPALampStatus 107",
      L"XPALampOn 108",
      L"XPALampOff 109",
      L"GetControlPanelInfo 110",
      L"GetPanelValue 111 21",
      L"SetPanelValue 112 22 3735928559",
      L"ClearPanelItem 113 23",
      L"GetPanelText 114 24",
      L"SetPanelText 115 25 [panel \u00e4\u00f6\u00fc text] 305419896",
      L"ShowPanelMessage 116 26 [message]",
      L"GetNVRAMInfo 117",
      L"WriteNVRAM 118 64 5",
      L"ReadNVRAM 119 128 6",
      L"SetLampTimer 120 48879",
      L"SelectCalibration 121 31",
      L"SetCalibrationSettings 122",
      L"GetHWPropertyText 123 [Serial Number]",
      L"GetHWPropertyValue 124 [Lamp Hours]",
  };
  EXPECT_EQ(expected_calls, object.calls);
  const RGB_MATRIX sent = SampleMatrix();
  EXPECT_EQ(0, memcmp(&sent, &object.matrix, sizeof(sent)));
  EXPECT_TRUE(HoldsPattern(&object.calibration, sizeof(object.calibration), 0x33));
  ASSERT_EQ(5u, object.nvram_written.size());
  EXPECT_TRUE(HoldsPattern(object.nvram_written.data(), 5, 0x40));
  EXPECT_EQ(1u, object.references()) << "every proxy and stub is gone";
}

}  // namespace
}  // namespace zorvik
