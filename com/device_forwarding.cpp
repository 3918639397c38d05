// IScanner and IButton on the ZORVIK object: each method passes its arguments
// unchanged to the zorvik member of the same name and returns its result; no
// exception gets past it (CallAtBoundary).
#include "com_boundary.h"
#include "device_methods.h"
#include "scanner_object.h"

namespace zorvik {

#define ZORVIK_FORWARD_METHOD(INTERFACE, NAME, PARAMETERS, ARGUMENTS, ERROR_CODE) \
  HRESULT CScanner::NAME PARAMETERS {                                             \
    return CallAtBoundary(#INTERFACE "::" #NAME, ERROR_CODE,                      \
                          [&] { return scanner_.NAME ARGUMENTS; });               \
  }
ZORVIK_DEVICE_METHODS(ZORVIK_FORWARD_METHOD)
#undef ZORVIK_FORWARD_METHOD

}  // namespace zorvik
