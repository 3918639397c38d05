// The proxy/stub half: the IID table widl generated (order, slot counts and
// the halving lookup over it) and the factory DllGetClassObject hands out.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "proxy_table_view.h"
#include "scanner_family.h"
#include "zorvik.h"
#include "zorvik_module.h"
#include "zorvik_module_test.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

constexpr IID kForeignIid = {
    0x1C9C2F3A, 0x6D61, 0x4E43, {0x9A, 0x0B, 0x2B, 0x5E, 0x77, 0x61, 0x40, 0x11}};

TEST(ProxyTable, HoldsTheFamilyInTheOrderOfTheirIidBytes) {
  ASSERT_EQ(std::size(test::kScannerFamily), ProxyTableSize());
  for (unsigned i = 0; i < std::size(test::kScannerFamily); ++i) {
    const test::FamilyInterface& expected = test::kScannerFamily[i];
    SCOPED_TRACE(expected.name);
    EXPECT_STREQ(expected.name, ProxyTableName(i));
    EXPECT_TRUE(IsEqualIID(*expected.iid, *ProxyTableIid(i)));
    EXPECT_EQ(expected.slots, ProxyTableSlots(i));
    if (i > 0) {
      EXPECT_LT(memcmp(test::kScannerFamily[i - 1].iid, expected.iid, sizeof(IID)), 0)
          << "the lookup halves its range by comparing IID bytes";
    }
  }
}

TEST(ProxyTable, LookupFindsEveryFamilyIidAndNothingElse) {
  for (size_t i = 0; i < std::size(test::kScannerFamily); ++i) {
    int index = -1;
    EXPECT_TRUE(ProxyTableLookup(test::kScannerFamily[i].iid, &index))
        << test::kScannerFamily[i].name;
    EXPECT_EQ(static_cast<int>(i), index);
  }
  // IIDs just below the first, between two entries and above the last.
  IID probes[] = {kForeignIid,       CLSID_ZORVIK,    IID_IUnknown,
                  IID_IClassFactory, IID_IHWProperty, IID_IsRGBMatrix};
  probes[4].Data4[7] ^= 1;
  probes[5].Data1 -= 1;
  for (const IID& probe : probes) {
    int index = -1;
    EXPECT_FALSE(ProxyTableLookup(&probe, &index));
  }
}

using ProxyStubFactoryTest = test::ZorvikModuleTest;

// The proxy/stub class ID is an interface ID; the half asked first answers it
// with its factory, as it does any IID of its table used as a class ID.
TEST_F(ProxyStubFactoryTest, ServesItsClassIdAndTheFamilyIids) {
  ComPtr<IPSFactoryBuffer> factory;
  ASSERT_EQ(S_OK, module_.GetClassObject(test::kProxyStubClsid, IID_PPV_ARGS(&factory)));
  for (const test::FamilyInterface& family : test::kScannerFamily) {
    ComPtr<IPSFactoryBuffer> same;
    EXPECT_EQ(S_OK, module_.GetClassObject(*family.iid, IID_PPV_ARGS(&same))) << family.name;
    EXPECT_EQ(factory.Get(), same.Get()) << family.name;
  }
  // Asked for something it is not, the proxy/stub class falls through to the
  // object half, which does not know it either.
  void* object = reinterpret_cast<void*>(0x5EED);
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            module_.GetClassObject(test::kProxyStubClsid, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(ProxyStubFactoryTest, MakesStubsForTheFamilyAndRefusesOtherIids) {
  ComPtr<IPSFactoryBuffer> factory;
  ASSERT_EQ(S_OK, module_.GetClassObject(test::kProxyStubClsid, IID_PPV_ARGS(&factory)));
  ComPtr<IClassFactory> class_factory;
  ASSERT_EQ(S_OK, module_.GetClassObject(CLSID_ZORVIK, IID_PPV_ARGS(&class_factory)));
  ComPtr<IUnknown> scanner;
  ASSERT_EQ(S_OK, class_factory->CreateInstance(nullptr, IID_PPV_ARGS(&scanner)));

  for (const IID* iid : {&IID_IScanner, &IID_IButton, &IID_ILog}) {
    ComPtr<IRpcStubBuffer> stub;
    EXPECT_EQ(S_OK, factory->CreateStub(*iid, scanner.Get(), &stub));
    if (stub) stub->Disconnect();
  }
  ComPtr<IRpcStubBuffer> stub;
  EXPECT_EQ(E_NOINTERFACE, factory->CreateStub(IID_IClassFactory, scanner.Get(), &stub));
  EXPECT_EQ(nullptr, stub.Get());
}

}  // namespace
}  // namespace zorvik
