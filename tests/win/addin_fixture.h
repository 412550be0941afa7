#pragma once
// tamvo.dll registered, created by its ProgID and ready to connect to a fake
// editor; message and input boxes that come up on the test's thread are
// answered by the test.

#include <gtest/gtest.h>
#include <windows.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "addin/win/extensibility.h"
#include "tests/win/addin_windows.h"
#include "tests/win/fake_editor.h"
#include "tests/win/server_harness.h"

namespace tamvo::test {

// Removes every setting of the current user's VBA program settings.
void DeleteSettings();

// The current user's string value under VBA's program settings, or "<none>".
std::wstring Setting(const std::wstring& path, const std::wstring& name);

class AddinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  void ConnectIn(ext_ConnectMode mode);
  HWND Dialog() { return FindWindowW(kDialogClass, nullptr); }
  bool DialogVisible() { return Dialog() != nullptr && IsWindowVisible(Dialog()); }
  HWND Button(int index) { return GetDlgItem(Dialog(), kFirstButtonId + index); }
  void ClickButton(int index);
  std::u16string Text() { return state.code.Module().Text(); }
  void PutCaret(LineNumber line) { state.code.Pane().SetSelection(line, 1, line, 1); }

  Apartment apartment;
  FakeEditorState state{u"Option Explicit\n\nSub A()\nEnd Sub\n\n' old\nFunction B(x)\nEnd Function"};
  BoxAnswers boxes;
  Microsoft::WRL::ComPtr<IDTExtensibility2> connect;
  Microsoft::WRL::ComPtr<IDispatch> vbe;
  SAFEARRAY* custom = nullptr;

 private:
  std::optional<BoxAnswerer> answerer_;
};

}  // namespace tamvo::test
