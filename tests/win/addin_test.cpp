// tamvo.dll end to end: created by its ProgID, connected to a fake editor,
// driven through its menu item and its dialog's buttons, as the editor and
// the user would.

#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "addin/win/extensibility.h"
#include "addin/win/tamvix.h"
#include "engine/text.h"
#include "host/win/bstr.h"
#include "tests/win/addin_fixture.h"

namespace tamvo::test {
namespace {

TEST_F(AddinTest, ConnectModes) {
  const struct {
    ext_ConnectMode mode;
    const wchar_t* displayOnConnect;
    bool menuItem;
    bool dialog;
  } cases[] = {
      {ext_cm_AfterStartup, nullptr, true, false}, {ext_cm_Startup, L"1", true, false},
      {ext_cm_External, nullptr, false, true},     {ext_cm_AfterStartup, L"1", true, true},
      {ext_cm_AfterStartup, L"True", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode);
    state.addInsBar.clear();
    DeleteSettings();
    if (c.displayOnConnect != nullptr) {
      RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\tamvo\\Settings",
                      L"DisplayOnConnect", REG_SZ, c.displayOnConnect,
                      static_cast<DWORD>((wcslen(c.displayOnConnect) + 1) * sizeof(wchar_t)));
    }
    ConnectIn(c.mode);
    // The update item comes second (update_dialog_test.cpp).
    ASSERT_EQ(state.addInsBar.size(), c.menuItem ? 2u : 0u);
    if (c.menuItem) {
      EXPECT_EQ(state.addInsBar[0]->caption, L"コメント挿入(&C)");
      EXPECT_EQ(state.addInsBar[0]->sinks.size(), 1u);
    }
    EXPECT_EQ(DialogVisible(), c.dialog);
    EXPECT_TRUE(boxes.messages.empty());

    ASSERT_EQ(connect->OnDisconnection(ext_dm_UserClosed, &custom), S_OK);
    if (c.menuItem) {
      EXPECT_TRUE(state.addInsBar[0]->deleted);
    }
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_EQ(Setting(L"tamvo\\Settings", L"DisplayOnConnect"),
              c.displayOnConnect != nullptr ? c.displayOnConnect : L"<none>");
  }
}

TEST_F(AddinTest, MenuItemShowsTheDialogAndEachButtonRunsItsCommand) {
  ConnectIn(ext_cm_AfterStartup);
  ASSERT_EQ(state.addInsBar.size(), 2u) << "this item, then the update item";
  auto click = [&] {
    ClickControl(*state.addInsBar[0]);
    ASSERT_TRUE(DialogVisible());
  };

  click();
  PutCaret(3);
  ClickButton(0);
  EXPECT_FALSE(DialogVisible());
  EXPECT_EQ(ToUtf8(Text()),
            ToUtf8(u"Option Explicit\r\n\r\n'/**\r\n' * .\r\n' */\r\nSub A()\r\nEnd Sub\r\n\r\n"
                   u"' old\r\nFunction B(x)\r\nEnd Function"));
  EXPECT_EQ(state.code.Pane().GetSelection().startLine, 4);
  EXPECT_EQ(state.code.Pane().GetSelection().startColumn, 5);

  click();
  ClickButton(3);
  EXPECT_FALSE(DialogVisible());
  EXPECT_EQ(ToUtf8(Text()),
            ToUtf8(u"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\n' old\r\nFunction B(x)\r\n"
                   u"End Function"));

  click();
  ClickButton(1);
  EXPECT_EQ(ToUtf8(Text()),
            ToUtf8(u"Option Explicit\r\n\r\n'/**\r\n' * .\r\n' */\r\nSub A()\r\nEnd Sub\r\n\r\n"
                   u"'/**\r\n' * .\r\n' * @return \r\n' * @param x\r\n' */\r\nFunction B(x)\r\n"
                   u"End Function"));

  click();
  ClickButton(4);
  EXPECT_EQ(ToUtf8(Text()),
            ToUtf8(u"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\nFunction B(x)\r\nEnd Function"));

  click();
  ClickButton(2);
  EXPECT_EQ(boxes.inputBoxes, 1);
  EXPECT_FALSE(DialogVisible());
  EXPECT_EQ(ToUtf8(state.code.Module().Lines(1, 8)),
            ToUtf8(u"'/**\r\n' * .\r\n' * \r\n' * @modulename Module1\r\n' * @auther     山田\r\n"
                   u"' * @version    1.0.0\r\n' */\r\nOption Explicit"));
  EXPECT_EQ(Setting(L"tamv\\settings", L"auther"), L"山田");

  click();
  ClickButton(5);
  EXPECT_EQ(state.code.Module().LineText(1), u"Option Explicit");
  EXPECT_FALSE(DialogVisible());
  EXPECT_TRUE(boxes.messages.empty());

  ASSERT_EQ(connect->OnDisconnection(ext_dm_HostShutdown, &custom), S_OK);
  EXPECT_TRUE(state.addInsBar[0]->deleted);
  EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(AddinTest, TheEditorsRefusalIsReportedAndTheDialogStaysUsable) {
  ConnectIn(ext_cm_Startup);
  state.refusedProcedure.assign(1, u'A');
  ClickControl(*state.addInsBar[0]);
  PutCaret(4);
  ClickButton(0);
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_EQ(boxes.messages[0], L"The editor refuses A");
  EXPECT_EQ(boxes.messageOwners[0], state.mainWindow);
  EXPECT_FALSE(DialogVisible());

  ClickControl(*state.addInsBar[0]);
  PutCaret(7);
  ClickButton(0);
  EXPECT_EQ(boxes.messages.size(), 1u);
  EXPECT_NE(Text().find(u"' * @param x"), std::u16string::npos);
}

TEST_F(AddinTest, CancellingTheAuthorStillWritesTheHeader) {
  ConnectIn(ext_cm_External);
  boxes.cancelInput = true;
  ClickButton(2);
  EXPECT_EQ(boxes.inputBoxes, 1);
  EXPECT_EQ(state.code.Module().LineText(5), u"' * @auther     ");
  EXPECT_EQ(Setting(L"tamv\\settings", L"auther"), L"");
  EXPECT_FALSE(DialogVisible());
}

// A failure inside the add-in reaches the editor as DISP_E_EXCEPTION with its
// words, whether it calls late-bound or through the vtable, and not as a
// bare "Automation error". Here: MenuHandler set to an object that is no
// event source (the editor's VBE).
TEST_F(AddinTest, AFailureCrossesTheComEdgeWithItsDescription) {
  const std::u16string words = u"Object doesn't support this property or method";
  Microsoft::WRL::ComPtr<_Connect> object;
  ASSERT_EQ(connect.As(&object), S_OK);

  wchar_t member[] = L"MenuHandler";
  LPOLESTR names[] = {member};
  DISPID id = DISPID_UNKNOWN;
  ASSERT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  VARIANT handler{};
  handler.vt = VT_DISPATCH;
  handler.pdispVal = vbe.Get();
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{&handler, &put, 1, 1};
  win::ExcepInfo exception;
  EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, nullptr,
                           &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(ToUtf8(win::TextOf(exception.bstrDescription)), ToUtf8(words));

  SetErrorInfo(0, nullptr);
  EXPECT_EQ(object->putref_MenuHandler(vbe.Get()), DISP_E_EXCEPTION);
  Microsoft::WRL::ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(connect.As(&support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(_Connect)), S_OK);
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  BSTR description = nullptr;
  ASSERT_EQ(info->GetDescription(&description), S_OK);
  EXPECT_EQ(ToUtf8(win::Bstr(description).Text()), ToUtf8(words));
}

TEST_F(AddinTest, AnnotationsStayThroughEveryCommand) {
  auto& module = state.code.Module();
  module.DeleteLines(1, module.CountOfLines());
  module.InsertLines(1,
                     u"'@Folder(\"Tools\")\r\nOption Explicit\r\n\r\n' old\r\n'@Description(\"a\")\r\n"
                     u"Sub A()\r\nEnd Sub");
  const std::u16string kept = u"'@Folder(\"Tools\")\r\nOption Explicit\r\n\r\n";
  const std::u16string commented =
      kept + u"'/**\r\n' * .\r\n' */\r\n'@Description(\"a\")\r\nSub A()\r\nEnd Sub";
  const std::u16string uncommented = kept + u"'@Description(\"a\")\r\nSub A()\r\nEnd Sub";
  ConnectIn(ext_cm_AfterStartup);
  const struct {
    int button;
    LineNumber caret;
    const std::u16string& text;
  } steps[] = {
      {0, 6, commented}, {3, 8, uncommented}, {1, 1, commented}, {4, 1, uncommented}, {5, 1, uncommented}};
  for (const auto& step : steps) {
    SCOPED_TRACE(testing::Message() << "button " << step.button);
    ClickControl(*state.addInsBar[0]);
    PutCaret(step.caret);
    ClickButton(step.button);
    EXPECT_EQ(ToUtf8(Text()), ToUtf8(step.text));
  }
  EXPECT_TRUE(boxes.messages.empty());
}

// Each member of the code module is looked up once for a whole walk, not
// once a call: a module of many procedures costs no more lookups than one.
TEST_F(AddinTest, AWalkLooksEachMemberUpOnce) {
  auto& module = state.code.Module();
  module.DeleteLines(1, module.CountOfLines());
  std::u16string text;
  for (int i = 0; i < 20; ++i) text += u"Sub P" + FromUtf8(std::to_string(i)) + u"(a)\r\nEnd Sub\r\n";
  module.InsertLines(1, text);
  ConnectIn(ext_cm_AfterStartup);
  for (const int button : {1, 4}) {
    SCOPED_TRACE(testing::Message() << "button " << button);
    state.moduleLookups = 0;
    ClickControl(*state.addInsBar[0]);
    ClickButton(button);
    // CountOfLines, ProcOfLine, ProcStartLine, ProcBodyLine, Lines,
    // DeleteLines, InsertLines, and what the dialog asks.
    EXPECT_LE(state.moduleLookups, 10u);
  }
  EXPECT_NE(Text().find(u"\r\nSub P19(a)"), std::u16string::npos);
  EXPECT_TRUE(boxes.messages.empty());
}

}  // namespace
}  // namespace tamvo::test
