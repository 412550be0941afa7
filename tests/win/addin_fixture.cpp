#include "tests/win/addin_fixture.h"

namespace tamvo::test {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings";
constexpr int kInputBoxTextId = 101;

// Answers the message and input boxes that come up on this thread: records
// each message box's text and closes it with OK; types the answer into an
// input box and closes it with OK, or cancels it.
thread_local BoxAnswers* answers = nullptr;

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

}  // namespace

void DeleteSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

std::wstring Setting(const std::wstring& path, const std::wstring& name) {
  std::wstring key = kSettingsKey;
  key += L'\\';
  key += path;
  return ReadString(HKEY_CURRENT_USER, key, name).value_or(L"<none>");
}

void AddinTest::SetUpTestSuite() {
  ASSERT_EQ(RunRegsvr32(false), 0u);
  MirrorUserClasses();
}

void AddinTest::TearDownTestSuite() {
  RunRegsvr32(true);
  RemoveMirroredClasses();
}

void AddinTest::SetUp() {
  DeleteSettings();
  answers = &boxes;
  answerHook_ = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
  state.mainWindow = CreateWindowExW(0, L"STATIC", L"editor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                     nullptr, nullptr, nullptr);
  CLSID id{};
  ASSERT_EQ(CLSIDFromProgID(L"tamvix.Connect", &id), S_OK);
  ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&connect)), S_OK);
  vbe = MakeFakeVbe(state);
}

void AddinTest::TearDown() {
  if (connect) connect->OnDisconnection(ext_dm_UserClosed, &custom);
  connect.Reset();
  vbe.Reset();
  DestroyWindow(state.mainWindow);
  UnhookWindowsHookEx(answerHook_);
  answers = nullptr;
  DeleteSettings();
}

void AddinTest::ConnectIn(ext_ConnectMode mode) {
  ASSERT_EQ(connect->OnConnection(vbe.Get(), mode, nullptr, &custom), S_OK);
}

void AddinTest::ClickButton(int index) {
  ASSERT_NE(Dialog(), nullptr);
  SendMessageW(Button(index), BM_CLICK, 0, 0);
}

}  // namespace tamvo::test
