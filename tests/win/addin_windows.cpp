#include "tests/win/addin_windows.h"

namespace tamvo::test {

namespace {

constexpr int kInputBoxTextId = 101;

// The answers of the thread's BoxAnswerer.
thread_local BoxAnswers* current = nullptr;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && current != nullptr) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t windowClass[16] = {};
    GetClassNameW(box, windowClass, 16);
    if (std::wstring(windowClass) == L"#32770") {
      if (GetDlgItem(box, kInputBoxTextId) != nullptr) {
        ++current->inputBoxes;
        SetDlgItemTextW(box, kInputBoxTextId, current->inputAnswer.c_str());
        PostMessageW(box, WM_COMMAND, current->cancelInput ? IDCANCEL : IDOK, 0);
      } else {
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        current->messages.emplace_back(text);
        current->messageOwners.push_back(GetWindow(box, GW_OWNER));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

BoxAnswerer::BoxAnswerer(BoxAnswers& answers) {
  current = &answers;
  hook_ = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
}

BoxAnswerer::~BoxAnswerer() {
  UnhookWindowsHookEx(hook_);
  current = nullptr;
}

}  // namespace tamvo::test
