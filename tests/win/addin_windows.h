#pragma once
// The add-in's windows as the programs under Wine find them: its two
// dialogs, and the message and input boxes it raises, which are answered on
// the program's thread so that none waits for a user.

#include <windows.h>

#include <string>
#include <vector>

namespace tamvo::test {

inline constexpr wchar_t kDialogClass[] = L"tamvoCommandDialog";
inline constexpr wchar_t kUpdateDialogClass[] = L"tamvoUpdateDialog";
inline constexpr int kFirstButtonId = 1000;

struct BoxAnswers {
  std::vector<std::wstring> messages;
  std::vector<HWND> messageOwners;
  std::wstring inputAnswer = L"山田";
  bool cancelInput = false;
  int inputBoxes = 0;
};

// While it lives, each message box that comes up on this thread has its text
// and owner recorded and is closed with OK; each input box gets the answer
// typed in and is closed with OK, or is cancelled.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(BoxAnswers& answers);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

 private:
  HHOOK hook_ = nullptr;
};

}  // namespace tamvo::test
