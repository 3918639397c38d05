// The component categories the ZORVIK class implements, written and removed
// through the system's component category manager.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace zorvik {

// {F2A5E1D0-F075-4A3B-9D2F-908B3BFE2DD2} and {A2D2C384-2021-4105-B2A5-13313FEC1789}.
HRESULT RegisterImplementedCategories(REFCLSID clsid);
HRESULT UnregisterImplementedCategories(REFCLSID clsid);

}  // namespace zorvik
