// The eleven interfaces whose proxy/stub code zorvik.dll carries, in the
// order of its IID table (by the bytes of their IIDs), with their slot
// counts including the three of IUnknown.
#pragma once

#include "zorvik.h"

namespace zorvik::test {

struct FamilyInterface {
  const IID* iid;
  const char* name;
  unsigned slots;
};

inline const FamilyInterface kScannerFamily[] = {
    {&IID_IsRGBMatrix, "IsRGBMatrix", 5},
    {&IID_IADF, "IADF", 6},
    {&IID_IXPA, "IXPA", 7},
    {&IID_IControlPanel, "IControlPanel", 10},
    {&IID_IButton, "IButton", 8},
    {&IID_ILog, "ILog", 5},
    {&IID_IScanner, "IScanner", 20},
    {&IID_INVRAM, "INVRAM", 6},
    {&IID_ILampTimer, "ILampTimer", 4},
    {&IID_ICalibrationSettings, "ICalibrationSettings", 5},
    {&IID_IHWProperty, "IHWProperty", 5},
};

// {45A6DE15-FA6C-48B6-AAF6-7B98158AC0F4}: the proxy/stub class, named after
// the first interface of the table.
inline const CLSID& kProxyStubClsid = IID_IsRGBMatrix;

}  // namespace zorvik::test
