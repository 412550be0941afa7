// The type library embedded in tamvo.dll, as the editor's object browser and
// late-bound callers read it.

#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "addin/code_page.h"
#include "addin/win/tamvix.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

using Microsoft::WRL::ComPtr;

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTypeLibEx(ServerPath().c_str(), REGKIND_NONE, &library_), S_OK); }

  ComPtr<ITypeInfo> Info(REFGUID id) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(id, &info), S_OK);
    return info;
  }

  ComPtr<ITypeLib> library_;
};

std::wstring Take(BSTR text) {
  std::wstring value = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return value;
}

TEST_F(TypeLibrary, IsTamvix10ForThisArchitecture) {
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, LIBID_tamvix);
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0u);
  // The loader marks a library read from a file; the library sets no flag.
  EXPECT_EQ(attributes->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);
  EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library_->ReleaseTLibAttr(attributes);

  BSTR name = nullptr;
  BSTR help = nullptr;
  BSTR helpFile = nullptr;
  ASSERT_EQ(library_->GetDocumentation(-1, &name, &help, nullptr, &helpFile), S_OK);
  EXPECT_EQ(Take(name), L"tamvix");
  EXPECT_EQ(Take(helpFile), L"");
  // The help string is stored in code page 932 and read in the system's ANSI
  // code page; back in ANSI it must be the code page 932 bytes of the text.
  const std::wstring shown = Take(help);
  std::string bytes(shown.size() * 2, '\0');
  bytes.resize(WideCharToMultiByte(CP_ACP, 0, shown.data(), static_cast<int>(shown.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  EXPECT_EQ(bytes, addin::ToCodePage932(u"ｻﾝﾌﾟﾙ ｱﾄﾞｲﾝ ﾌﾟﾛｼﾞｪｸﾄ"));
}

TEST_F(TypeLibrary, HoldsTheInterfaceThenTheClass) {
  ASSERT_EQ(library_->GetTypeInfoCount(), 2u);
  TYPEKIND kinds[2];
  ASSERT_EQ(library_->GetTypeInfoType(0, &kinds[0]), S_OK);
  ASSERT_EQ(library_->GetTypeInfoType(1, &kinds[1]), S_OK);
  EXPECT_EQ(kinds[0], TKIND_DISPATCH);
  EXPECT_EQ(kinds[1], TKIND_COCLASS);
}

TEST_F(TypeLibrary, ConnectIsCreatableWithItsDefaultInterface) {
  ComPtr<ITypeInfo> connect = Info(__uuidof(Connect));
  ASSERT_TRUE(connect);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(connect->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_EQ(attributes->cImplTypes, 1);
  connect->ReleaseTypeAttr(attributes);

  INT flags = 0;
  ASSERT_EQ(connect->GetImplTypeFlags(0, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
  HREFTYPE reference = 0;
  ComPtr<ITypeInfo> defaultInterface;
  ASSERT_EQ(connect->GetRefTypeOfImplType(0, &reference), S_OK);
  ASSERT_EQ(connect->GetRefTypeInfo(reference, &defaultInterface), S_OK);
  ASSERT_EQ(defaultInterface->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, __uuidof(_Connect));
  defaultInterface->ReleaseTypeAttr(attributes);
}

TEST_F(TypeLibrary, ConnectInterfaceIsDualHiddenAndNonExtensible) {
  ComPtr<ITypeInfo> info = Info(__uuidof(_Connect));
  ASSERT_TRUE(info);
  // The dispatch side, and the vtable side behind it.
  HREFTYPE vtableReference = 0;
  ASSERT_EQ(info->GetRefTypeOfImplType(-1, &vtableReference), S_OK);
  ComPtr<ITypeInfo> vtable;
  ASSERT_EQ(info->GetRefTypeInfo(vtableReference, &vtable), S_OK);
  const WORD both = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
  for (const auto& [side, flags] :
       {std::pair{info, both | TYPEFLAG_FDISPATCHABLE}, std::pair{vtable, both | TYPEFLAG_FOLEAUTOMATION}}) {
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(side->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->wTypeFlags & flags, flags) << attributes->typekind;
    side->ReleaseTypeAttr(attributes);
  }

  // IDispatch's seven members come first in the vtable, then these six.
  const struct {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<VARTYPE> parameters;
  } members[] = {
      {L"FormDisplayed", 0x40030000, INVOKE_PROPERTYGET, {VT_PTR}},
      {L"FormDisplayed", 0x40030000, INVOKE_PROPERTYPUT, {VT_BOOL}},
      {L"MenuHandler", 0x40030003, INVOKE_PROPERTYGET, {VT_PTR}},
      {L"MenuHandler", 0x40030003, INVOKE_PROPERTYPUTREF, {VT_DISPATCH}},
      {L"Show", 0x60030000, INVOKE_FUNC, {}},
      {L"AddToAddInCommandBar", 0x60030007, INVOKE_FUNC, {VT_PTR, VT_PTR}},
  };
  const short dispatchMembers = 7;
  const short pointer = sizeof(void*);
  for (short i = 0; i < static_cast<short>(std::size(members)); ++i) {
    const auto& member = members[i];
    SCOPED_TRACE(member.name);
    FUNCDESC* function = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &function), S_OK);
    EXPECT_EQ(function->memid, member.id);
    EXPECT_EQ(function->invkind, member.kind);
    EXPECT_EQ(function->oVft, (dispatchMembers + i) * pointer);
    EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
    ASSERT_EQ(function->cParams, static_cast<short>(member.parameters.size()));
    for (short p = 0; p < function->cParams; ++p) {
      EXPECT_EQ(function->lprgelemdescParam[p].tdesc.vt, member.parameters[p]);
    }
    BSTR name = nullptr;
    ASSERT_EQ(vtable->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Take(name), member.name);
    vtable->ReleaseFuncDesc(function);
  }

  // sCaption is a string passed by reference, in and out.
  FUNCDESC* add = nullptr;
  ASSERT_EQ(vtable->GetFuncDesc(5, &add), S_OK);
  const ELEMDESC& caption = add->lprgelemdescParam[0];
  EXPECT_EQ(caption.tdesc.lptdesc->vt, VT_BSTR);
  EXPECT_EQ(caption.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT), PARAMFLAG_FIN | PARAMFLAG_FOUT);
  BSTR names[3] = {};
  UINT count = 0;
  ASSERT_EQ(vtable->GetNames(add->memid, names, 3, &count), S_OK);
  ASSERT_GE(count, 2u);
  EXPECT_EQ(Take(names[1]), L"sCaption");
  for (UINT i = 0; i < count; ++i) {
    if (i != 1) SysFreeString(names[i]);
  }
  vtable->ReleaseFuncDesc(add);
}

}  // namespace
}  // namespace tamvo::test
