// The public contract header: the settings key names the coclass the IDL
// declares, and the header stands on its own in a C translation unit (see
// contract_header_c.c), as a host written in C includes it.
#include <windows.h>

#include <gtest/gtest.h>

#include "zorvik.h"

extern "C" const char* ZorvikContractFromC(unsigned long code);

namespace zorvik {
namespace {

TEST(ContractHeader, TheLogSettingsKeyNamesTheCoclass) {
  CLSID parsed = {};
  ASSERT_EQ(S_OK, CLSIDFromString(ZORVIK_WIDE(ZORVIK_CLSID_TEXT), &parsed));
  EXPECT_TRUE(IsEqualCLSID(CLSID_ZORVIK, parsed));
  EXPECT_STREQ("Software\\Quennell\\Vistrel\\Larkspur\\{F7E24288-B19F-4614-BFCC-15269A94ADF6}",
               ZORVIK_LOG_SETTINGS_KEY);
}

TEST(ContractHeader, CompilesAsCAndNamesErrorsTheSameWay) {
  EXPECT_STREQ("Scanner Lamp is Off", ZorvikContractFromC(ZORVIK_ERROR_LAMP_OFF));
  EXPECT_STREQ("no definition", ZorvikContractFromC(17));
}

}  // namespace
}  // namespace zorvik
