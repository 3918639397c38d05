// The scanner object's construction and its ILog methods.
#include "zorvik_object.h"

#include "logger.h"
#include "zorvik.h"

namespace zorvik {

zorvik::zorvik() : log_settings_(CLogSettings::Instance(CLSID_ZORVIK)) {
  CLogger(LOG_ATTR_DETAIL).WriteLine("zorvik::Constructor");
  name_ = "zorvik";
}

zorvik::~zorvik() { CLogger(LOG_ATTR_DETAIL).WriteLine("zorvik::Destructor"); }

HRESULT zorvik::LogString(DWORD dwFunctionAttribute, LPWSTR pszString) {
  CLogger logger(dwFunctionAttribute);
  if (!logger.IsEnabled() || pszString == nullptr) return S_OK;
  // The size is asked first: a fixed two bytes per character is too little
  // for code pages such as UTF-8.
  const int size = WideCharToMultiByte(CP_ACP, 0, pszString, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return S_OK;
  std::string text(static_cast<size_t>(size), '\0');
  if (WideCharToMultiByte(CP_ACP, 0, pszString, -1, text.data(), size, nullptr, nullptr) == 0)
    return S_OK;
  logger.WriteLine(text.c_str());
  return S_OK;
}

HRESULT zorvik::IsEnabled(DWORD dwFunctionAttribute, BYTE* pbyEnabled) {
  if (pbyEnabled == nullptr) return S_OK;
  *pbyEnabled = log_settings_ != nullptr && log_settings_->IsEnabledFor(dwFunctionAttribute);
  return S_OK;
}

}  // namespace zorvik
