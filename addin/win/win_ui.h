#pragma once
// The user's side of the add-in: message boxes and the input box, titled
// with the application title and owned by the editor's window.

#include <windows.h>

#include <functional>

#include "commands/services.h"

namespace tamvo::addin {

class WinUi : public Ui {
 public:
  // owner gives the window that owns message boxes (the editor's main
  // window); it may give null.
  explicit WinUi(std::function<HWND()> owner) : owner_(std::move(owner)) {}

  void MsgBox(std::u16string_view text, std::int32_t flags) override;
  // Modal over whatever window is active: the command dialog, when a button
  // of it runs the command.
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view preset) override;

 private:
  std::function<HWND()> owner_;
};

}  // namespace tamvo::addin
