// ILog on the ZORVIK object: each method passes its arguments unchanged to
// the zorvik member of the same name. Logging never reports its own
// failures, so the result is S_OK also when an exception was stopped at the
// boundary (and logged there, if the log still can).
#include "com_boundary.h"
#include "scanner_object.h"

namespace zorvik {

HRESULT CScanner::LogString(DWORD dwFunctionAttribute, LPWSTR pszString) {
  CallAtBoundary("ILog::LogString", nullptr,
                 [&] { return scanner_.LogString(dwFunctionAttribute, pszString); });
  return S_OK;
}

HRESULT CScanner::IsEnabled(DWORD dwFunctionAttribute, BYTE* pbyEnabled) {
  CallAtBoundary("ILog::IsEnabled", nullptr,
                 [&] { return scanner_.IsEnabled(dwFunctionAttribute, pbyEnabled); });
  return S_OK;
}

}  // namespace zorvik
