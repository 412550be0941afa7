// tamvo.dll's exports called directly, as COM calls them: the class factory
// and the counts that decide whether the DLL may be unloaded.

#include <gtest/gtest.h>
#include <objbase.h>
#include <wrl/client.h>

#include "addin/win/extensibility.h"
#include "addin/win/tamvix.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

using Microsoft::WRL::ComPtr;

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(ServerPath().c_str());
    ASSERT_NE(module_, nullptr);
    Find(canUnloadNow_, "DllCanUnloadNow");
    Find(getClassObject_, "DllGetClassObject");
    ASSERT_NE(canUnloadNow_, nullptr);
    ASSERT_NE(getClassObject_, nullptr);
  }

  void TearDown() override { FreeLibrary(module_); }

  template <class Function>
  void Find(Function& function, const char* name) {
    // Through the generic function pointer type, as GetProcAddress's result
    // has no signature of its own.
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject_(__uuidof(Connect), IID_IClassFactory, &factory), S_OK);
    return factory;
  }

  Apartment apartment_;
  HMODULE module_ = nullptr;
  HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
  HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
};

TEST_F(Exports, GiveTheFactoryOnlyForConnect) {
  ComPtr<IUnknown> object;
  EXPECT_EQ(getClassObject_(IID_IUnknown, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(getClassObject_(__uuidof(Connect), __uuidof(_Connect), &object), E_NOINTERFACE);
  EXPECT_EQ(getClassObject_(__uuidof(Connect), IID_IUnknown, &object), S_OK);
}

TEST_F(Exports, FactoryRefusesAggregation) {
  ComPtr<IUnknown> object;
  EXPECT_EQ(Factory()->CreateInstance(Factory().Get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
}

TEST_F(Exports, CanUnloadOnlyOnceTheLastObjectAndLockAreGone) {
  EXPECT_EQ(canUnloadNow_(), S_OK);

  ComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  ComPtr<_Connect> connect;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&connect)), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.Reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);

  ComPtr<IDTExtensibility2> extensibility;
  ASSERT_EQ(connect.As(&extensibility), S_OK);
  connect.Reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);
  extensibility.Reset();
  EXPECT_EQ(canUnloadNow_(), S_FALSE);

  ComPtr<IClassFactory> again = Factory();
  ASSERT_EQ(again->LockServer(FALSE), S_OK);
  again.Reset();
  EXPECT_EQ(canUnloadNow_(), S_OK);
}

// COM's identity rule: every interface of one object answers the same
// IUnknown, and each answers the others.
TEST_F(Exports, ConnectKeepsOneIdentityAcrossItsInterfaces) {
  ComPtr<IUnknown> object;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
  const IID interfaces[] = {IID_IUnknown, IID_IDispatch, __uuidof(_Connect), __uuidof(IDTExtensibility2)};
  for (const IID& from : interfaces) {
    ComPtr<IUnknown> start;
    ASSERT_EQ(object->QueryInterface(from, &start), S_OK);
    for (const IID& to : interfaces) {
      ComPtr<IUnknown> other;
      ASSERT_EQ(start->QueryInterface(to, &other), S_OK);
      ComPtr<IUnknown> identity;
      ASSERT_EQ(other.As(&identity), S_OK);
      EXPECT_EQ(identity.Get(), object.Get());
    }
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(object->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
}

TEST_F(Exports, DispatchOfTheDefaultInterfaceIsConnects) {
  ComPtr<_Connect> connect;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_PPV_ARGS(&connect)), S_OK);
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(connect.As(&dispatch), S_OK);
  EXPECT_EQ(static_cast<IDispatch*>(connect.Get()), dispatch.Get());
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, __uuidof(_Connect));
  info->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace tamvo::test
