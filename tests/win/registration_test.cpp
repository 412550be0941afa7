// tamvo.dll registered the way a user installs it, with regsvr32, and what
// the registry, COM and the type library show afterwards.

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "addin/win/extensibility.h"
#include "addin/win/tamvix.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr bool kIs64Bit = sizeof(void*) == 8;
const std::wstring kEditorKey = L"Software\\Microsoft\\VBA\\VBE\\6.0\\";
const std::wstring kAddinsKey = kEditorKey + (kIs64Bit ? L"Addins64" : L"Addins");
const std::wstring kOtherBitnessAddinsKey = kEditorKey + (kIs64Bit ? L"Addins" : L"Addins64");
const std::wstring kAddinKey = kAddinsKey + L"\\tamvix.Connect";
// An add-in of somebody else's, beside ours.
const std::wstring kNeighbourKey = kAddinsKey + L"\\neighbour.Connect";

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + ConnectClassId(); }

std::wstring GuidText(REFGUID id) {
  wchar_t text[39];
  StringFromGUID2(id, text, 39);
  return text;
}

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    RunRegsvr32(true);
    RemoveMirroredClasses();
    HKEY neighbour = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kNeighbourKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                              &neighbour, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(neighbour);
    ASSERT_EQ(RunRegsvr32(false), 0u);
  }

  void TearDown() override {
    RemoveMirroredClasses();
    RunRegsvr32(true);
    RegDeleteKeyW(HKEY_CURRENT_USER, kNeighbourKey.c_str());
  }

  Apartment apartment_;
};

TEST_F(Registration, WritesTheClassAndProgIdForTheCurrentUser) {
  const std::wstring progIdKey = L"Software\\Classes\\tamvix.Connect";
  const struct {
    std::wstring key;
    std::wstring name;
    std::wstring value;
  } expected[] = {
      {ClassKey(), L"", L"tamvix.Connect"},
      {ClassKey() + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {ClassKey() + L"\\ProgID", L"", L"tamvix.Connect"},
      {ClassKey() + L"\\TypeLib", L"", GuidText(LIBID_tamvix)},
      {ClassKey() + L"\\VERSION", L"", L"1.0"},
      {progIdKey, L"", L"tamvix.Connect"},
      {progIdKey + L"\\CLSID", L"", ConnectClassId()},
  };
  for (const auto& entry : expected) {
    SCOPED_TRACE(entry.key);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, entry.key, entry.name), entry.value);
  }
  const auto server = ReadString(HKEY_CURRENT_USER, ClassKey() + L"\\InprocServer32", L"");
  ASSERT_TRUE(server.has_value());
  EXPECT_EQ(Lower(*server), Lower(ServerPath()));
}

TEST_F(Registration, WritesTheEditorsAddinEntryWithItsJapaneseText) {
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName"), L"コメント挿入アドイン");
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kAddinKey, L"Description"),
            L"VBソースコードにJavaDoc風のコメントを挿入します。");
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAddinKey, L"CommandLineSafe"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kOtherBitnessAddinsKey + L"\\tamvix.Connect"));
}

TEST_F(Registration, RegistersTheTypeLibraryAndItsInterface) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadRegTypeLib(LIBID_tamvix, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
  BSTR path = nullptr;
  ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_tamvix, 1, 0, LOCALE_NEUTRAL, &path), S_OK);
  EXPECT_EQ(Lower(path), Lower(ServerPath()));
  SysFreeString(path);
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, L"Interface\\" + GuidText(__uuidof(_Connect)) + L"\\TypeLib", L""),
            GuidText(LIBID_tamvix));
}

TEST_F(Registration, RegisteringTwiceChangesNothing) {
  ASSERT_EQ(RunRegsvr32(false), 0u);
  EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, ClassKey() + L"\\InprocServer32"));
}

TEST_F(Registration, CreatesConnectByProgIdAnsweringBothInterfaces) {
  MirrorUserClasses();
  CLSID classId{};
  ASSERT_EQ(CLSIDFromProgID(L"tamvix.Connect", &classId), S_OK);
  EXPECT_EQ(classId, __uuidof(Connect));

  ComPtr<IUnknown> object;
  ASSERT_EQ(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
  ComPtr<_Connect> connect;
  ComPtr<IDTExtensibility2> extensibility;
  ComPtr<IDispatch> dispatch;
  EXPECT_EQ(object.As(&connect), S_OK);
  EXPECT_EQ(object.As(&extensibility), S_OK);
  EXPECT_EQ(object.As(&dispatch), S_OK);
}

TEST_F(Registration, DispatchReachesTheMembersByNameThroughTheTypeLibrary) {
  MirrorUserClasses();
  ComPtr<IDispatch> connect;
  ASSERT_EQ(CoCreateInstance(__uuidof(Connect), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&connect)), S_OK);

  const struct {
    const wchar_t* name;
    DISPID id;
  } members[] = {
      {L"FormDisplayed", 0x40030000}, {L"formdisplayed", 0x40030000},        {L"MenuHandler", 0x40030003},
      {L"Show", 0x60030000},          {L"AddToAddInCommandBar", 0x60030007},
  };
  for (const auto& member : members) {
    LPOLESTR name = const_cast<LPOLESTR>(member.name);
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(connect->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, member.id);
  }

  VARIANT value;
  VariantInit(&value);
  DISPPARAMS none{};
  ASSERT_EQ(connect->Invoke(0x40030000, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                            nullptr, nullptr),
            S_OK);
  EXPECT_EQ(value.vt, VT_BOOL);
  EXPECT_EQ(value.boolVal, VARIANT_FALSE);

  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BOOL;
  argument.boolVal = VARIANT_TRUE;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS put{&argument, &named, 1, 1};
  ASSERT_EQ(connect->Invoke(0x40030000, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr,
                            nullptr, nullptr),
            S_OK);
  ASSERT_EQ(connect->Invoke(0x40030000, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                            nullptr, nullptr),
            S_OK);
  EXPECT_EQ(value.boolVal, VARIANT_TRUE);
}

TEST_F(Registration, UnregistrationRemovesWhatItWroteAndNothingElse) {
  MirrorUserClasses();
  {
    ComPtr<IUnknown> object;
    ASSERT_EQ(CoCreateInstance(__uuidof(Connect), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
              S_OK);
  }
  ASSERT_EQ(RunRegsvr32(true), 0u);
  MirrorUserClasses();

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, ClassKey()));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\tamvix.Connect"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kNeighbourKey));
  ComPtr<ITypeLib> library;
  EXPECT_NE(LoadRegTypeLib(LIBID_tamvix, 1, 0, LOCALE_NEUTRAL, &library), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + GuidText(__uuidof(_Connect))));

  CLSID classId{};
  EXPECT_NE(CLSIDFromProgID(L"tamvix.Connect", &classId), S_OK);
  ComPtr<IUnknown> object;
  EXPECT_EQ(CoCreateInstance(__uuidof(Connect), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
            REGDB_E_CLASSNOTREG);
}

TEST_F(Registration, UnregisteringWhatIsNotRegisteredSucceeds) {
  ASSERT_EQ(RunRegsvr32(true), 0u);
  EXPECT_EQ(RunRegsvr32(true), 0u);
}

}  // namespace
}  // namespace tamvo::test
