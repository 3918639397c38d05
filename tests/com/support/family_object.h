// A test object implementing the eight further interfaces of the scanner
// family.  It writes down every call it receives, with its input values, and
// answers every output with a value derived from the call's session handle
// and the parameter's position, so the caller can tell each one apart.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <string>
#include <vector>

#include "zorvik.h"

namespace zorvik::test {

// The 32-bit output of parameter `position` (1-based) of a call on `session`.
inline DWORD Answer32(DWORD session, int position) {
  return session ^ (0xA5000000u + static_cast<DWORD>(position) * 0x10000u);
}
// The 8-bit output of parameter `position` of a call on `session`.
inline BYTE Answer8(DWORD session, int position) {
  return static_cast<BYTE>(session * 3 + static_cast<DWORD>(position));
}
// The pattern seed of a record or byte array returned for `session`.
inline unsigned char AnswerSeed(DWORD session) { return static_cast<unsigned char>(session); }
// The text returned for `session`.
std::wstring AnswerText(DWORD session);
// What the caller fills an [out] byte array with before the call.
constexpr unsigned char kCallerBytesSeed = 0xEE;

class FamilyObject final : public IsRGBMatrix,
                           public IADF,
                           public IXPA,
                           public IControlPanel,
                           public INVRAM,
                           public ILampTimer,
                           public ICalibrationSettings,
                           public IHWProperty {
 public:
  // One line per call: the method name and its inputs, space-separated
  // (records and byte arrays are kept below).
  std::vector<std::wstring> calls;
  RGB_MATRIX matrix = {};
  CALIBRATION_SETTINGS calibration = {};
  std::vector<BYTE> nvram_written;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  ULONG references() const { return references_; }

  STDMETHODIMP GetRGBMatrixInfo(DWORD hSession, DWORD dwMatrix, BYTE** ppbyEnabled, DWORD* pdwRows,
                                DWORD* pdwColumns, DWORD* pdwErrorCode) override;
  STDMETHODIMP SetRGBMatrix(DWORD hSession, DWORD dwMatrix, RGB_MATRIX* pMatrix,
                            DWORD* pdwErrorCode) override;

  STDMETHODIMP GetADFCapabilities(DWORD hSession, MEDIA_SOURCE_CAPABILITIES* pCapabilities,
                                  DWORD* pdwErrorCode) override;
  STDMETHODIMP EjectADFPage(DWORD hSession, DWORD* pdwErrorCode) override;
  STDMETHODIMP GetADFStatus(DWORD hSession, BYTE* pbyStatus, DWORD* pdwErrorCode) override;

  STDMETHODIMP GetXPACapabilities(DWORD hSession, MEDIA_SOURCE_CAPABILITIES* pCapabilities,
                                  DWORD* pdwErrorCode) override;
  STDMETHODIMP GetXPALampStatus(DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode) override;
  STDMETHODIMP XPALampOn(DWORD hSession, DWORD* pdwErrorCode) override;
  STDMETHODIMP XPALampOff(DWORD hSession, DWORD* pdwErrorCode) override;

  STDMETHODIMP GetControlPanelInfo(DWORD hSession, CONTROL_PANEL_INFO* pPanelInfo,
                                   DWORD* pdwErrorCode) override;
  STDMETHODIMP GetPanelValue(DWORD hSession, DWORD dwItem, DWORD* pdwValue,
                             DWORD* pdwErrorCode) override;
  STDMETHODIMP SetPanelValue(DWORD hSession, DWORD dwItem, DWORD dwValue,
                             DWORD* pdwErrorCode) override;
  STDMETHODIMP ClearPanelItem(DWORD hSession, DWORD dwItem, DWORD* pdwErrorCode) override;
  STDMETHODIMP GetPanelText(DWORD hSession, DWORD dwItem, LPWSTR* ppszText, DWORD* pdwLength,
                            DWORD* pdwErrorCode) override;
  STDMETHODIMP SetPanelText(DWORD hSession, DWORD dwItem, LPWSTR pszText, DWORD dwFlags,
                            DWORD* pdwErrorCode) override;
  STDMETHODIMP ShowPanelMessage(DWORD hSession, DWORD dwItem, LPWSTR pszText,
                                DWORD* pdwErrorCode) override;

  STDMETHODIMP GetNVRAMInfo(DWORD hSession, NVRAM_INFO* pInfo, DWORD* pdwErrorCode) override;
  STDMETHODIMP WriteNVRAM(DWORD hSession, DWORD dwOffset, DWORD dwBytes, BYTE* pbyData,
                          DWORD* pdwBytesWritten, DWORD* pdwErrorCode) override;
  STDMETHODIMP ReadNVRAM(DWORD hSession, DWORD dwOffset, DWORD dwBytes, BYTE* pbyData,
                         DWORD* pdwBytesRead, DWORD* pdwErrorCode) override;

  STDMETHODIMP SetLampTimer(DWORD hSession, WORD wMinutes, DWORD* pdwErrorCode) override;

  STDMETHODIMP SelectCalibration(DWORD hSession, DWORD dwMode, DWORD* pdwErrorCode) override;
  STDMETHODIMP SetCalibrationSettings(DWORD hSession, CALIBRATION_SETTINGS* pSettings,
                                      DWORD* pdwErrorCode) override;

  STDMETHODIMP GetHWPropertyText(DWORD hSession, LPWSTR pszName, LPWSTR* ppszValue,
                                 DWORD* pdwErrorCode) override;
  STDMETHODIMP GetHWPropertyValue(DWORD hSession, LPWSTR pszName, DWORD* pdwValue,
                                  DWORD* pdwErrorCode) override;

 private:
  // Writes down the call and answers its error code (the last parameter).
  HRESULT Record(const std::wstring& call, DWORD session, int error_position, DWORD* pdwErrorCode);

  std::atomic<ULONG> references_{1};
};

}  // namespace zorvik::test
