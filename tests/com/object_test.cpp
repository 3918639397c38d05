// The ZORVIK class object and object as a host meets them through
// DllGetClassObject: the interface table, one identity, aggregation and the
// module's unload answer.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "zorvik.h"
#include "zorvik_module.h"
#include "zorvik_module_test.h"

using Microsoft::WRL::ComPtr;

namespace zorvik {
namespace {

// An IID that no part of zorvik.dll answers.
constexpr IID kForeignIid = {
    0x1C9C2F3A, 0x6D61, 0x4E43, {0x9A, 0x0B, 0x2B, 0x5E, 0x77, 0x61, 0x40, 0x11}};

void* const kSentinel = reinterpret_cast<void*>(0x5EED);

class ScannerObjectTest : public test::ZorvikModuleTest {
 protected:
  void SetUp() override {
    ZorvikModuleTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_EQ(S_OK, module_.GetClassObject(CLSID_ZORVIK, IID_PPV_ARGS(&factory_)));
  }

  void TearDown() override {
    factory_.Reset();
    // Every object a test made is gone again.
    EXPECT_EQ(S_OK, module_.CanUnloadNow());
  }

  ComPtr<IUnknown> Create() {
    ComPtr<IUnknown> object;
    EXPECT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_PPV_ARGS(&object)));
    return object;
  }

  ComPtr<IClassFactory> factory_;
};

TEST_F(ScannerObjectTest, ClassObjectServesOnlyTheZorvikClass) {
  void* object = kSentinel;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
            module_.GetClassObject(kForeignIid, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_POINTER, module_.GetClassObject(CLSID_ZORVIK, IID_IClassFactory, nullptr));

  object = kSentinel;
  EXPECT_EQ(E_NOINTERFACE, module_.GetClassObject(CLSID_ZORVIK, kForeignIid, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(ScannerObjectTest, CreateInstanceRefusesANullOutPointerAndForeignInterfaces) {
  EXPECT_EQ(E_POINTER, factory_->CreateInstance(nullptr, IID_IScanner, nullptr));
  void* object = kSentinel;
  EXPECT_EQ(E_NOINTERFACE, factory_->CreateInstance(nullptr, kForeignIid, &object));
  EXPECT_EQ(nullptr, object);
}

TEST_F(ScannerObjectTest, AnswersItsThreeInterfacesWithOneIdentity) {
  ComPtr<IUnknown> object = Create();
  ASSERT_TRUE(object);
  const IID* answered[] = {&IID_IUnknown, &IID_IScanner, &IID_IButton, &IID_ILog};
  for (const IID* iid : answered) {
    SCOPED_TRACE(testing::Message() << "interface " << (iid - *answered));
    ComPtr<IUnknown> through;
    ASSERT_EQ(S_OK, object->QueryInterface(*iid, &through));
    // The same object's identity, whichever interface is asked for it.
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, through->QueryInterface(IID_PPV_ARGS(&identity)));
    EXPECT_EQ(object.Get(), identity.Get());
  }
  ComPtr<IButton> button;
  ASSERT_EQ(S_OK, object.As(&button));
  ComPtr<IScanner> scanner;
  EXPECT_EQ(S_OK, button.As(&scanner));

  const IID* refused[] = {&kForeignIid, &IID_IClassFactory, &IID_IsRGBMatrix, &IID_IADF};
  for (const IID* iid : refused) {
    void* other = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, object->QueryInterface(*iid, &other));
    EXPECT_EQ(nullptr, other);
  }
  EXPECT_EQ(E_POINTER, object->QueryInterface(IID_ILog, nullptr));
}

TEST_F(ScannerObjectTest, ILogCallsReachTheObject) {
  ComPtr<ILog> log;
  ASSERT_EQ(S_OK, factory_->CreateInstance(nullptr, IID_PPV_ARGS(&log)));
  BYTE enabled = 0xCC;
  EXPECT_EQ(S_OK, log->IsEnabled(0, &enabled));
  EXPECT_NE(0xCC, enabled);
  wchar_t text[] = L"from the object test";
  EXPECT_EQ(S_OK, log->LogString(0, text));
}

// An object that aggregates ZORVIK the usual way: it answers the scanner
// interfaces by asking the inner object, and can be told to refuse IButton.
class AggregatingOuter : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    asked.push_back(iid);
    if (IsEqualIID(iid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    if (inner && !(refuse_button && IsEqualIID(iid, IID_IButton)))
      return inner->QueryInterface(iid, object);
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }

  std::atomic<ULONG> references{1};
  ComPtr<IUnknown> inner;
  bool refuse_button = false;
  std::vector<IID> asked;
};

TEST_F(ScannerObjectTest, AggregationNeedsTheIUnknownOfTheInnerObject) {
  AggregatingOuter outer;
  const IID* refused[] = {&IID_IScanner, &IID_IButton, &IID_ILog, &kForeignIid};
  for (const IID* iid : refused) {
    void* object = kSentinel;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory_->CreateInstance(&outer, *iid, &object));
    EXPECT_EQ(nullptr, object);
  }
  EXPECT_EQ(1u, outer.references);
  EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

TEST_F(ScannerObjectTest, AggregatedObjectDelegatesToTheOuterObject) {
  AggregatingOuter outer;
  ASSERT_EQ(S_OK, factory_->CreateInstance(&outer, IID_PPV_ARGS(&outer.inner)));
  EXPECT_EQ(1u, outer.references) << "creating the inner object counts nothing on the outer one";
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow());

  // The inner IUnknown answers itself, and the scanner interfaces counted on
  // the outer object.
  ComPtr<IUnknown> inner_identity;
  ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_PPV_ARGS(&inner_identity)));
  EXPECT_EQ(outer.inner.Get(), inner_identity.Get());
  EXPECT_EQ(E_POINTER, outer.inner->QueryInterface(IID_IScanner, nullptr));
  IScanner* scanner = nullptr;
  ASSERT_EQ(S_OK, outer.inner->QueryInterface(IID_PPV_ARGS(&scanner)));
  EXPECT_EQ(2u, outer.references);

  // Through the scanner interface, identity and every question are the outer
  // object's.
  outer.asked.clear();
  IUnknown* identity = nullptr;
  ASSERT_EQ(S_OK, scanner->QueryInterface(IID_PPV_ARGS(&identity)));
  EXPECT_EQ(static_cast<IUnknown*>(&outer), identity);
  identity->Release();
  ILog* log = nullptr;
  ASSERT_EQ(S_OK, scanner->QueryInterface(IID_PPV_ARGS(&log)));
  ASSERT_EQ(2u, outer.asked.size());
  EXPECT_TRUE(IsEqualIID(IID_ILog, outer.asked[1]));
  EXPECT_EQ(3u, outer.references);
  log->Release();
  EXPECT_EQ(2u, outer.references);

  // When the outer object refuses, the inner interface table still answers.
  outer.refuse_button = true;
  IButton* button = nullptr;
  EXPECT_EQ(S_OK, scanner->QueryInterface(IID_PPV_ARGS(&button)));
  ASSERT_NE(nullptr, button);
  button->Release();
  void* other = kSentinel;
  EXPECT_EQ(E_NOINTERFACE, scanner->QueryInterface(kForeignIid, &other));
  EXPECT_EQ(nullptr, other);

  EXPECT_EQ(1u, scanner->Release());
  inner_identity.Reset();
  outer.inner.Reset();
  EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

TEST_F(ScannerObjectTest, ModuleStaysWhileObjectsOrServerLocksLive) {
  EXPECT_EQ(S_OK, module_.CanUnloadNow()) << "the class object alone does not hold the module";

  ComPtr<IUnknown> first = Create();
  ComPtr<IUnknown> second = Create();
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
  first.Reset();
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
  second.Reset();
  EXPECT_EQ(S_OK, module_.CanUnloadNow());

  EXPECT_EQ(S_OK, factory_->LockServer(TRUE));
  EXPECT_EQ(S_OK, factory_->LockServer(TRUE));
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
  EXPECT_EQ(S_OK, factory_->LockServer(FALSE));
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow());
  EXPECT_EQ(S_OK, factory_->LockServer(FALSE));
  EXPECT_EQ(S_OK, module_.CanUnloadNow());

  ComPtr<IPSFactoryBuffer> proxy_stub_factory;
  ASSERT_EQ(S_OK, module_.GetClassObject(IID_IsRGBMatrix, IID_PPV_ARGS(&proxy_stub_factory)));
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow()) << "the proxy/stub factory is in use";
  proxy_stub_factory.Reset();
  EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

TEST_F(ScannerObjectTest, AnOpenSessionKeepsTheModuleLoadedAfterItsObjectIsGone) {
  ComPtr<IScanner> scanner;
  ASSERT_EQ(S_OK, Create().As(&scanner));
  DWORD session = 0, code = 0;
  ASSERT_EQ(S_OK, scanner->OpenScannerSession(nullptr, 1, &session, &code));
  scanner.Reset();
  EXPECT_EQ(S_FALSE, module_.CanUnloadNow()) << "the session still holds its device";

  ASSERT_EQ(S_OK, Create().As(&scanner));
  EXPECT_EQ(S_OK, scanner->CloseScannerSession(session, &code));
  scanner.Reset();
  EXPECT_EQ(S_OK, module_.CanUnloadNow());
}

}  // namespace
}  // namespace zorvik
