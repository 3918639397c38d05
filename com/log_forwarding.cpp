// ILog on the ZORVIK object: each method passes its arguments unchanged to
// the zorvik member of the same name and returns its result.
#include "scanner_object.h"

namespace zorvik {

HRESULT CScanner::LogString(DWORD dwFunctionAttribute, LPWSTR pszString) {
  return scanner_.LogString(dwFunctionAttribute, pszString);
}

HRESULT CScanner::IsEnabled(DWORD dwFunctionAttribute, BYTE* pbyEnabled) {
  return scanner_.IsEnabled(dwFunctionAttribute, pbyEnabled);
}

}  // namespace zorvik
