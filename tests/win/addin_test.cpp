// tamvo.dll end to end: created by its ProgID, connected to a fake editor,
// driven through its menu item and its dialog's buttons, as the editor and
// the user would.

#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "addin/extensibility.h"
#include "engine/text.h"
#include "tests/win/fake_editor.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kDialogClass[] = L"tamvoCommandDialog";
constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings";
constexpr int kInputBoxTextId = 101;

// Answers the message and input boxes that come up on this thread: records
// each message box's text and closes it with OK; types the answer into an
// input box and closes it with OK, or cancels it.
struct BoxAnswers {
  std::vector<std::wstring> messages;
  std::vector<HWND> messageOwners;
  std::wstring inputAnswer = L"山田";
  bool cancelInput = false;
  int inputBoxes = 0;
};
thread_local BoxAnswers* answers = nullptr;
thread_local HHOOK answerHook = nullptr;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && answers != nullptr) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t windowClass[16] = {};
    GetClassNameW(box, windowClass, 16);
    if (std::wstring(windowClass) == L"#32770") {
      if (GetDlgItem(box, kInputBoxTextId) != nullptr) {
        ++answers->inputBoxes;
        SetDlgItemTextW(box, kInputBoxTextId, answers->inputAnswer.c_str());
        PostMessageW(box, WM_COMMAND, answers->cancelInput ? IDCANCEL : IDOK, 0);
      } else {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        answers->messages.emplace_back(text);
        answers->messageOwners.push_back(GetWindow(box, GW_OWNER));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void DeleteSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

std::wstring Setting(const std::wstring& path, const std::wstring& name) {
  std::wstring key = kSettingsKey;
  key += L'\\';
  key += path;
  return ReadString(HKEY_CURRENT_USER, key, name).value_or(L"<none>");
}

class AddinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(RunRegsvr32(false), 0u);
    MirrorUserClasses();
  }
  static void TearDownTestSuite() {
    RunRegsvr32(true);
    RemoveMirroredClasses();
  }

  void SetUp() override {
    DeleteSettings();
    answers = &boxes;
    answerHook = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    state.mainWindow = CreateWindowExW(0, L"STATIC", L"editor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                       nullptr, nullptr, nullptr);
    CLSID id{};
    ASSERT_EQ(CLSIDFromProgID(L"tamvix.Connect", &id), S_OK);
    ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&connect)), S_OK);
    vbe = MakeFakeVbe(state);
  }
  void TearDown() override {
    if (connect) connect->OnDisconnection(ext_dm_UserClosed, &custom);
    connect.Reset();
    vbe.Reset();
    DestroyWindow(state.mainWindow);
    UnhookWindowsHookEx(answerHook);
    answers = nullptr;
    DeleteSettings();
  }

  void ConnectIn(ext_ConnectMode mode) {
    ASSERT_EQ(connect->OnConnection(vbe.Get(), mode, nullptr, &custom), S_OK);
  }
  HWND Dialog() { return FindWindowW(kDialogClass, nullptr); }
  bool DialogVisible() { return Dialog() != nullptr && IsWindowVisible(Dialog()); }
  void ClickButton(int index) {
    ASSERT_NE(Dialog(), nullptr);
    SendMessageW(GetDlgItem(Dialog(), 1000 + index), BM_CLICK, 0, 0);
  }
  std::u16string Text() { return state.code.Module().Text(); }
  void PutCaret(LineNumber line) { state.code.Pane().SetSelection(line, 1, line, 1); }

  Apartment apartment;
  FakeEditorState state{u"Option Explicit\n\nSub A()\nEnd Sub\n\n' old\nFunction B(x)\nEnd Function"};
  BoxAnswers boxes;
  ComPtr<IDTExtensibility2> connect;
  ComPtr<IDispatch> vbe;
  SAFEARRAY* custom = nullptr;
};

TEST_F(AddinTest, ConnectModes) {
  const struct {
    ext_ConnectMode mode;
    const wchar_t* displayOnConnect;
    bool menuItem;
    bool dialog;
  } cases[] = {
      {ext_cm_AfterStartup, nullptr, true, false},
      {ext_cm_Startup, L"1", true, false},
      {ext_cm_External, nullptr, false, true},
      {ext_cm_AfterStartup, L"1", true, true},
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
    ASSERT_EQ(state.addInsBar.size(), c.menuItem ? 1u : 0u);
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
  ASSERT_EQ(state.addInsBar.size(), 1u);
  auto click = [&] {
    ClickControl(*state.addInsBar[0]);
    ASSERT_TRUE(DialogVisible());
  };

  click();
  PutCaret(3);
  ClickButton(0);
  EXPECT_FALSE(DialogVisible());
  EXPECT_EQ(ToUtf8(Text()), ToUtf8(u"Option Explicit\r\n\r\n'/**\r\n' * .\r\n' */\r\nSub A()\r\nEnd Sub\r\n\r\n"
                                   u"' old\r\nFunction B(x)\r\nEnd Function"));
  EXPECT_EQ(state.code.Pane().GetSelection().startLine, 4);
  EXPECT_EQ(state.code.Pane().GetSelection().startColumn, 5);

  click();
  ClickButton(3);
  EXPECT_FALSE(DialogVisible());
  EXPECT_EQ(ToUtf8(Text()), ToUtf8(u"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\n' old\r\nFunction B(x)\r\n"
                                   u"End Function"));

  click();
  ClickButton(1);
  EXPECT_EQ(ToUtf8(Text()), ToUtf8(u"Option Explicit\r\n\r\n'/**\r\n' * .\r\n' */\r\nSub A()\r\nEnd Sub\r\n\r\n"
                                   u"'/**\r\n' * .\r\n' * @return \r\n' * @param x\r\n' */\r\nFunction B(x)\r\n"
                                   u"End Function"));

  click();
  ClickButton(4);
  EXPECT_EQ(ToUtf8(Text()), ToUtf8(u"Option Explicit\r\n\r\nSub A()\r\nEnd Sub\r\n\r\nFunction B(x)\r\nEnd Function"));

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

}  // namespace
}  // namespace tamvo::test
