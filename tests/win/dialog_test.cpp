// The command dialog as a user meets it: its layout on the screen, its
// Japanese captions, the keyboard, closing it through its frame.

#include <gtest/gtest.h>
#include <windows.h>

#include <array>

#include "addin/dialog_layout.h"
#include "engine/text.h"
#include "tests/win/addin_fixture.h"
#include "tests/win/screenshot.h"

namespace tamvo::test {
namespace {

// Delivers queued messages as the editor's message loop would.
void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int FocusedId() { return GetDlgCtrlID(GetFocus()); }

RECT ClientRectOf(HWND control, HWND dialog) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring TextOf(HWND window) {
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  return text;
}

TEST_F(AddinTest, DialogLayoutCaptionsAndScreenshot) {
  ConnectIn(ext_cm_External);
  const HWND dialog = Dialog();
  ASSERT_TRUE(DialogVisible());
  EXPECT_EQ(TextOf(dialog), L"コメント挿入");
  EXPECT_EQ(FocusedId(), kFirstButtonId);

  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto x = [&](int twips) { return MulDiv(twips, dpiX, 1440); };
  auto y = [&](int twips) { return MulDiv(twips, dpiY, 1440); };
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, x(kDialogClientWidthTwips));
  EXPECT_EQ(client.bottom, y(kDialogClientHeightTwips));

  for (const auto& control : kDialogLayout) {
    SCOPED_TRACE(ToUtf8(control.caption));
    const bool button = control.kind == ControlLayout::Button;
    const HWND window = GetDlgItem(dialog, (button ? kFirstButtonId : 900) + control.index);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TextOf(window), std::wstring(control.caption.begin(), control.caption.end()));
    int left = control.left;
    int top = control.top;
    if (button) {
      left += kDialogLayout[control.frame == 0 ? 0 : 4].left;
      top += kDialogLayout[control.frame == 0 ? 0 : 4].top;
      EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << "no default button";
    }
    const RECT rect = ClientRectOf(window, dialog);
    EXPECT_NEAR(rect.left, x(left), 1);
    EXPECT_NEAR(rect.top, y(top), 1);
    EXPECT_NEAR(rect.right - rect.left, x(control.width), 1);
    EXPECT_NEAR(rect.bottom - rect.top, y(control.height), 1);
  }

  const auto font = reinterpret_cast<HFONT>(SendMessageW(Button(0), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(FontHasGlyph(font, L'挿')) << "the captions' font draws no Japanese";

  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Pump();
  const std::wstring name = sizeof(void*) == 8 ? L"dialog-win64.png" : L"dialog-win32.png";
  EXPECT_TRUE(SaveWindowPng(dialog, name));
}

TEST_F(AddinTest, TabWalksTheButtonsInTheirOrder) {
  ConnectIn(ext_cm_External);
  ASSERT_EQ(FocusedId(), kFirstButtonId);
  const std::array<int, 6> order = {1, 2, 5, 4, 3, 0};  // &2 &3 &9 &8 &7, then &1 again
  for (const int index : order) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(FocusedId(), kFirstButtonId + index);
  }
  EXPECT_TRUE(DialogVisible());
}

TEST_F(AddinTest, AccessKeyRunsItsCommand) {
  ConnectIn(ext_cm_External);
  PostMessageW(GetFocus(), WM_CHAR, L'2', 0);
  Pump();
  EXPECT_FALSE(DialogVisible());
  EXPECT_NE(Text().find(u"' * @param x"), std::u16string::npos) << "InsertAllProcComments ran";
  EXPECT_NE(Text().find(u"'/**\r\n' * .\r\n' */\r\nSub A()"), std::u16string::npos);
}

TEST_F(AddinTest, ClosedThroughItsFrameTheDialogComesBackAsNew) {
  ConnectIn(ext_cm_Startup);
  ClickControl(*state.addInsBar[0]);
  ASSERT_TRUE(DialogVisible());
  SendMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_EQ(Dialog(), nullptr);

  ClickControl(*state.addInsBar[0]);
  ASSERT_TRUE(DialogVisible());
  EXPECT_EQ(TextOf(Button(2)), L"&3. 現在のモジュール\u3000");
  EXPECT_EQ(FocusedId(), kFirstButtonId);
  ClickButton(4);
  EXPECT_FALSE(DialogVisible());
}

}  // namespace
}  // namespace tamvo::test
