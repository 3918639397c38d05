// The family test object's answers.
#include "family_object.h"

#include <cstring>

#include "record_pattern.h"

namespace zorvik::test {
namespace {

std::wstring Line(const wchar_t* method, std::initializer_list<DWORD> values) {
  std::wstring line = method;
  for (DWORD value : values) line += L" " + std::to_wstring(value);
  return line;
}

LPWSTR CopyForCaller(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), bytes);
  return copy;
}

}  // namespace

std::wstring AnswerText(DWORD session) {
  return L"answer \u00e9\u00df " + std::to_wstring(session);
}

HRESULT FamilyObject::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IsRGBMatrix))
    *object = static_cast<IsRGBMatrix*>(this);
  else if (IsEqualIID(iid, IID_IADF))
    *object = static_cast<IADF*>(this);
  else if (IsEqualIID(iid, IID_IXPA))
    *object = static_cast<IXPA*>(this);
  else if (IsEqualIID(iid, IID_IControlPanel))
    *object = static_cast<IControlPanel*>(this);
  else if (IsEqualIID(iid, IID_INVRAM))
    *object = static_cast<INVRAM*>(this);
  else if (IsEqualIID(iid, IID_ILampTimer))
    *object = static_cast<ILampTimer*>(this);
  else if (IsEqualIID(iid, IID_ICalibrationSettings))
    *object = static_cast<ICalibrationSettings*>(this);
  else if (IsEqualIID(iid, IID_IHWProperty))
    *object = static_cast<IHWProperty*>(this);
  else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT FamilyObject::Record(const std::wstring& call, DWORD session, int error_position,
                             DWORD* pdwErrorCode) {
  calls.push_back(call);
  *pdwErrorCode = Answer32(session, error_position);
  return S_OK;
}

HRESULT FamilyObject::GetRGBMatrixInfo(DWORD hSession, DWORD dwMatrix, BYTE** ppbyEnabled,
                                       DWORD* pdwRows, DWORD* pdwColumns, DWORD* pdwErrorCode) {
  *ppbyEnabled = static_cast<BYTE*>(CoTaskMemAlloc(1));
  if (*ppbyEnabled != nullptr) **ppbyEnabled = Answer8(hSession, 3);
  *pdwRows = Answer32(hSession, 4);
  *pdwColumns = Answer32(hSession, 5);
  return Record(Line(L"GetRGBMatrixInfo", {hSession, dwMatrix}), hSession, 6, pdwErrorCode);
}

HRESULT FamilyObject::SetRGBMatrix(DWORD hSession, DWORD dwMatrix, RGB_MATRIX* pMatrix,
                                   DWORD* pdwErrorCode) {
  matrix = *pMatrix;
  return Record(Line(L"SetRGBMatrix", {hSession, dwMatrix}), hSession, 4, pdwErrorCode);
}

HRESULT FamilyObject::GetADFCapabilities(DWORD hSession, MEDIA_SOURCE_CAPABILITIES* pCapabilities,
                                         DWORD* pdwErrorCode) {
  FillPattern(pCapabilities, sizeof(*pCapabilities), AnswerSeed(hSession));
  return Record(Line(L"GetADFCapabilities", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::EjectADFPage(DWORD hSession, DWORD* pdwErrorCode) {
  return Record(Line(L"EjectADFPage", {hSession}), hSession, 2, pdwErrorCode);
}

HRESULT FamilyObject::GetADFStatus(DWORD hSession, BYTE* pbyStatus, DWORD* pdwErrorCode) {
  *pbyStatus = Answer8(hSession, 2);
  return Record(Line(L"GetADFStatus", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::GetXPACapabilities(DWORD hSession, MEDIA_SOURCE_CAPABILITIES* pCapabilities,
                                         DWORD* pdwErrorCode) {
  FillPattern(pCapabilities, sizeof(*pCapabilities), AnswerSeed(hSession));
  return Record(Line(L"GetXPACapabilities", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::GetXPALampStatus(DWORD hSession, BYTE* pbLampOn, DWORD* pdwErrorCode) {
  *pbLampOn = Answer8(hSession, 2);
  return Record(Line(L"GetXPALampStatus", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::XPALampOn(DWORD hSession, DWORD* pdwErrorCode) {
  return Record(Line(L"XPALampOn", {hSession}), hSession, 2, pdwErrorCode);
}

HRESULT FamilyObject::XPALampOff(DWORD hSession, DWORD* pdwErrorCode) {
  return Record(Line(L"XPALampOff", {hSession}), hSession, 2, pdwErrorCode);
}

HRESULT FamilyObject::GetControlPanelInfo(DWORD hSession, CONTROL_PANEL_INFO* pPanelInfo,
                                          DWORD* pdwErrorCode) {
  FillPattern(pPanelInfo, sizeof(*pPanelInfo), AnswerSeed(hSession));
  return Record(Line(L"GetControlPanelInfo", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::GetPanelValue(DWORD hSession, DWORD dwItem, DWORD* pdwValue,
                                    DWORD* pdwErrorCode) {
  *pdwValue = Answer32(hSession, 3);
  return Record(Line(L"GetPanelValue", {hSession, dwItem}), hSession, 4, pdwErrorCode);
}

HRESULT FamilyObject::SetPanelValue(DWORD hSession, DWORD dwItem, DWORD dwValue,
                                    DWORD* pdwErrorCode) {
  return Record(Line(L"SetPanelValue", {hSession, dwItem, dwValue}), hSession, 4, pdwErrorCode);
}

HRESULT FamilyObject::ClearPanelItem(DWORD hSession, DWORD dwItem, DWORD* pdwErrorCode) {
  return Record(Line(L"ClearPanelItem", {hSession, dwItem}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::GetPanelText(DWORD hSession, DWORD dwItem, LPWSTR* ppszText, DWORD* pdwLength,
                                   DWORD* pdwErrorCode) {
  *ppszText = CopyForCaller(AnswerText(hSession));
  *pdwLength = Answer32(hSession, 4);
  return Record(Line(L"GetPanelText", {hSession, dwItem}), hSession, 5, pdwErrorCode);
}

HRESULT FamilyObject::SetPanelText(DWORD hSession, DWORD dwItem, LPWSTR pszText, DWORD dwFlags,
                                   DWORD* pdwErrorCode) {
  return Record(Line(L"SetPanelText", {hSession, dwItem}) + L" [" + pszText + L"] " +
                    std::to_wstring(dwFlags),
                hSession, 5, pdwErrorCode);
}

HRESULT FamilyObject::ShowPanelMessage(DWORD hSession, DWORD dwItem, LPWSTR pszText,
                                       DWORD* pdwErrorCode) {
  return Record(Line(L"ShowPanelMessage", {hSession, dwItem}) + L" [" + pszText + L"]", hSession, 4,
                pdwErrorCode);
}

HRESULT FamilyObject::GetNVRAMInfo(DWORD hSession, NVRAM_INFO* pInfo, DWORD* pdwErrorCode) {
  FillPattern(pInfo, sizeof(*pInfo), AnswerSeed(hSession));
  return Record(Line(L"GetNVRAMInfo", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::WriteNVRAM(DWORD hSession, DWORD dwOffset, DWORD dwBytes, BYTE* pbyData,
                                 DWORD* pdwBytesWritten, DWORD* pdwErrorCode) {
  nvram_written.assign(pbyData, pbyData + dwBytes);
  *pdwBytesWritten = Answer32(hSession, 5);
  return Record(Line(L"WriteNVRAM", {hSession, dwOffset, dwBytes}), hSession, 6, pdwErrorCode);
}

HRESULT FamilyObject::ReadNVRAM(DWORD hSession, DWORD dwOffset, DWORD dwBytes, BYTE* pbyData,
                                DWORD* pdwBytesRead, DWORD* pdwErrorCode) {
  // An [out] array travels back only: the caller's bytes must not arrive here.
  const bool caller_bytes_arrived = HoldsPattern(pbyData, dwBytes, kCallerBytesSeed);
  FillPattern(pbyData, dwBytes, AnswerSeed(hSession));
  *pdwBytesRead = Answer32(hSession, 5);
  return Record(Line(L"ReadNVRAM", {hSession, dwOffset, dwBytes}) +
                    (caller_bytes_arrived ? L" (the caller's bytes arrived)" : L""),
                hSession, 6, pdwErrorCode);
}

HRESULT FamilyObject::SetLampTimer(DWORD hSession, WORD wMinutes, DWORD* pdwErrorCode) {
  return Record(Line(L"SetLampTimer", {hSession, wMinutes}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::SelectCalibration(DWORD hSession, DWORD dwMode, DWORD* pdwErrorCode) {
  return Record(Line(L"SelectCalibration", {hSession, dwMode}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::SetCalibrationSettings(DWORD hSession, CALIBRATION_SETTINGS* pSettings,
                                             DWORD* pdwErrorCode) {
  calibration = *pSettings;
  return Record(Line(L"SetCalibrationSettings", {hSession}), hSession, 3, pdwErrorCode);
}

HRESULT FamilyObject::GetHWPropertyText(DWORD hSession, LPWSTR pszName, LPWSTR* ppszValue,
                                        DWORD* pdwErrorCode) {
  *ppszValue = CopyForCaller(AnswerText(hSession));
  return Record(Line(L"GetHWPropertyText", {hSession}) + L" [" + pszName + L"]", hSession, 4,
                pdwErrorCode);
}

HRESULT FamilyObject::GetHWPropertyValue(DWORD hSession, LPWSTR pszName, DWORD* pdwValue,
                                         DWORD* pdwErrorCode) {
  *pdwValue = Answer32(hSession, 3);
  return Record(Line(L"GetHWPropertyValue", {hSession}) + L" [" + pszName + L"]", hSession, 4,
                pdwErrorCode);
}

}  // namespace zorvik::test
