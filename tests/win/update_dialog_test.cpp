// The update dialog as a user meets it: the second menu item, its buttons
// on a module documented by hand, the list of findings and the caret, the
// keyboard, what a walk costs in calls to the editor, and how it looks.

#include <gtest/gtest.h>
#include <windows.h>

#include <numeric>
#include <string>
#include <vector>

#include "addin/update_dialog_layout.h"
#include "commands/commands.h"
#include "engine/event_table.h"
#include "engine/text.h"
#include "tests/win/addin_fixture.h"
#include "tests/win/screenshot.h"

namespace tamvo::test {
namespace {

// A licence at the top, comments written by hand, an annotation, a
// parameter renamed since its block was written.
constexpr std::u16string_view kModule =
    u"' Copyright (c) 2026 Example\r\n' MIT licence\r\nOption Explicit\r\n\r\n"
    u"' Adds two numbers.\r\n'@Ignore ParameterNotUsed\r\nFunction Add(a, b)\r\nEnd Function\r\n\r\n"
    u"'/**\r\n' * Scales a value.\r\n' * @param old the factor\r\n' */\r\nSub Scale(factor)\r\nEnd Sub\r\n";

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

class UpdateDialogTest : public AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    SetModule(kModule);
  }
  void SetModule(std::u16string_view text) {
    auto& module = state.code.Module();
    module.DeleteLines(1, module.CountOfLines());
    module.InsertLines(1, text);
  }
  HWND UpdateDialog() { return FindWindowW(kUpdateDialogClass, nullptr); }
  HWND Control(int id) { return GetDlgItem(UpdateDialog(), id); }
  void Open() {
    ClickControl(*state.addInsBar.at(1));
    Pump();
    ASSERT_TRUE(UpdateDialog() != nullptr && IsWindowVisible(UpdateDialog()));
  }
  void Click(int id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    Pump();
  }
  std::vector<std::u16string> Rows() {
    std::vector<std::u16string> rows;
    const HWND list = Control(kFindingsListId);
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      std::wstring row(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
      SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()));
      rows.emplace_back(row.begin(), row.end());
    }
    return rows;
  }
  // What the core's command gives on the module as it stands, the caret at line.
  std::u16string Expected(Command command, LineNumber line) {
    MemoryVbe vbe(std::make_shared<MemoryModule>(u"Module1", SplitLines(Text())));
    vbe.Pane().SetSelection(line, 1, line, 1);
    EventTable events;
    events.InitEventTable();
    struct : Ui {
      void MsgBox(std::u16string_view, std::int32_t) override {}
      std::optional<std::u16string> InputBox(std::u16string_view, std::u16string_view) override {
        return u"山田";
      }
    } ui;
    struct : Settings {
      std::u16string GetSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                                std::u16string_view preset) override {
        return std::u16string(preset);
      }
      void SaveSetting(std::u16string_view, std::u16string_view, std::u16string_view,
                       std::u16string_view) override {}
    } settings;
    Commands(vbe, events, ui, settings).Run(command);
    return vbe.Module().Text();
  }
};

TEST_F(UpdateDialogTest, TheSecondItemComesAndGoesWithTheFirst) {
  ConnectIn(ext_cm_AfterStartup);
  ASSERT_EQ(state.addInsBar.size(), 2u);
  EXPECT_EQ(state.addInsBar[0]->caption, L"コメント挿入(&C)");
  EXPECT_EQ(state.addInsBar[1]->caption, L"コメント更新(&U)");
  EXPECT_EQ(state.addInsBar[1]->sinks.size(), 1u);
  // Each item opens its own dialog.
  ClickControl(*state.addInsBar[0]);
  EXPECT_TRUE(DialogVisible());
  EXPECT_EQ(UpdateDialog(), nullptr);
  Open();
  ASSERT_EQ(connect->OnDisconnection(ext_dm_UserClosed, &custom), S_OK);
  EXPECT_TRUE(state.addInsBar[0]->deleted);
  EXPECT_TRUE(state.addInsBar[1]->deleted);
  EXPECT_EQ(UpdateDialog(), nullptr);
  EXPECT_EQ(Dialog(), nullptr);
}

// Each button gives what the command gives on the same text, the dialog
// stays, and the list shows the findings as they are now.
TEST_F(UpdateDialogTest, ButtonsUpdateAndTheListFollows) {
  ConnectIn(ext_cm_AfterStartup);
  Open();
  EXPECT_EQ(Rows(), (std::vector<std::u16string>{
                        u"行 7: Add にドキュメントコメントがありません",
                        u"行 12: @param old は Scale の引数にありません",
                        u"行 14: Scale の引数 factor に @param がありません",
                    }));
  const struct {
    int button;
    LineNumber caret;
    Command command;
  } steps[] = {
      {kFirstUpdateButtonId, 14, Command::UpdateCurrentProcComment},
      {kFirstUpdateButtonId + 1, 1, Command::UpdateAllProcComments},
      {kFirstUpdateButtonId + 2, 1, Command::UpdateModuleHeader},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.button);
    PutCaret(step.caret);
    const std::u16string expected = Expected(step.command, step.caret);
    Click(step.button);
    EXPECT_EQ(ToUtf8(Text()), ToUtf8(expected));
    EXPECT_TRUE(IsWindowVisible(UpdateDialog()));
  }
  EXPECT_EQ(boxes.inputBoxes, 1) << "the header is new: the author is asked for";
  EXPECT_NE(Text().find(u"' MIT licence"), std::u16string::npos);
  const std::vector<std::u16string> rows = Rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front().find(u"行 "), 0u);
  EXPECT_TRUE(boxes.messages.empty());
}

TEST_F(UpdateDialogTest, ChoosingARowPutsTheCaretOnItsLine) {
  ConnectIn(ext_cm_AfterStartup);
  Open();
  const HWND list = Control(kFindingsListId);
  SetFocus(list);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(state.code.Pane().GetSelection().startLine, 12);
  SendMessageW(list, LB_SETCURSEL, 2, 0);
  SendMessageW(UpdateDialog(), WM_COMMAND, MAKEWPARAM(kFindingsListId, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(state.code.Pane().GetSelection().startLine, 14);
  EXPECT_TRUE(IsWindowVisible(UpdateDialog()));

  SetModule(u"'/**\r\n' * Runs.\r\n' */\r\nSub Run()\r\nEnd Sub\r\n");
  Click(kCheckAgainButtonId);
  EXPECT_EQ(Rows(), std::vector<std::u16string>{u"指摘はありません"});
}

TEST_F(UpdateDialogTest, TabAndAccessKeys) {
  ConnectIn(ext_cm_AfterStartup);
  Open();
  ASSERT_EQ(GetDlgCtrlID(GetFocus()), kFirstUpdateButtonId);
  for (const int id : {kFirstUpdateButtonId + 1, kFirstUpdateButtonId + 2, kFindingsListId,
                       kCheckAgainButtonId, kFirstUpdateButtonId}) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), id);
  }
  const std::u16string expected = Expected(Command::UpdateAllProcComments, 1);
  PostMessageW(GetFocus(), WM_CHAR, L'5', 0);
  Pump();
  EXPECT_EQ(ToUtf8(Text()), ToUtf8(expected));
  EXPECT_TRUE(IsWindowVisible(UpdateDialog()));
}

// A walk over a module asks the editor a few things a procedure, and
// changes nothing where the blocks are right; the check reads the module
// once and changes nothing.
TEST_F(UpdateDialogTest, CallsToTheEditor) {
  std::u16string text;
  constexpr int kProcedures = 20;
  for (int i = 0; i < kProcedures; ++i)
    text += u"Sub P" + FromUtf8(std::to_string(i)) + u"(a)\r\nEnd Sub\r\n";
  SetModule(text);
  ConnectIn(ext_cm_AfterStartup);
  Open();
  auto total = [&] {
    return std::accumulate(state.moduleCalls.begin(), state.moduleCalls.end(), std::size_t{0},
                           [](std::size_t sum, const auto& call) { return sum + call.second; });
  };
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    state.moduleCalls.clear();
    Click(kFirstUpdateButtonId + 1);
    EXPECT_LE(total(), 8u * kProcedures);
    if (round == 1) {
      EXPECT_EQ(state.moduleCalls[L"InsertLines"], 0u);
      EXPECT_EQ(state.moduleCalls[L"DeleteLines"], 0u);
    }
  }
  state.moduleCalls.clear();
  Click(kCheckAgainButtonId);
  EXPECT_EQ(state.moduleCalls[L"Lines"], 1u);
  EXPECT_EQ(state.moduleCalls[L"InsertLines"] + state.moduleCalls[L"DeleteLines"], 0u);
  EXPECT_LE(total(), 4u);
}

TEST_F(UpdateDialogTest, LooksRight) {
  ConnectIn(ext_cm_AfterStartup);
  Open();
  const HWND dialog = UpdateDialog();
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_STREQ(caption, L"コメント更新");
  for (const auto& control : kUpdateDialogLayout) {
    wchar_t text[64] = {};
    GetWindowTextW(Control(control.id), text, 64);
    if (control.kind != UpdateControlLayout::List) {
      EXPECT_EQ(std::wstring(text), std::wstring(control.caption.begin(), control.caption.end()));
    }
  }
  const auto font = reinterpret_cast<HFONT>(SendMessageW(Control(kFirstUpdateButtonId), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(FontHasGlyph(font, L'更')) << "the captions' font draws no Japanese";
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Pump();
  EXPECT_TRUE(
      SaveWindowPng(dialog, sizeof(void*) == 8 ? L"update-dialog-win64.png" : L"update-dialog-win32.png"));
}

}  // namespace
}  // namespace tamvo::test
