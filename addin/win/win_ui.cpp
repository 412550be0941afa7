#include "addin/win/win_ui.h"

#include "addin/connection.h"
#include "addin/win/input_box_win.h"
#include "addin/win/wide_text.h"

namespace tamvo::addin {

// The portable names of message box flags are the platform's values.
static_assert(kMsgBoxOkOnly == MB_OK);
static_assert(kMsgBoxWarning == (MB_OK | MB_ICONWARNING));

void WinUi::MsgBox(std::u16string_view text, std::int32_t flags) {
  MessageBoxW(owner_ ? owner_() : nullptr, ToWide(text).c_str(), ToWide(kApplicationTitle).c_str(),
              static_cast<UINT>(flags));
}

std::optional<std::u16string> WinUi::InputBox(std::u16string_view prompt, std::u16string_view preset) {
  HWND owner = GetActiveWindow();
  return ShowInputBox(owner != nullptr ? owner : (owner_ ? owner_() : nullptr), prompt, preset);
}

}  // namespace tamvo::addin
