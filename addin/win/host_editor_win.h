#pragma once
// The editor as the add-in meets it on Windows: the code side through
// host/win, the shell side (command bars, their click events, the main
// window) through the same late-bound automation objects.

#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <memory>
#include <vector>

#include "addin/connection.h"
#include "host/win/dispatch.h"
#include "host/win/win_vbe.h"

namespace tamvo::addin {

class WinMenuItem : public MenuItem {
 public:
  explicit WinMenuItem(win::Dispatch control) : control_(std::move(control)) {}
  void Delete() override { control_.Call(u"Delete"); }
  IDispatch* Object() const { return control_.get(); }

 private:
  win::Dispatch control_;
};

// Clicks of a command bar control arriving from its event source.
class ClickSubscription : public EventSubscription {
 public:
  // Advises a sink on source's command bar control events; throws Failure.
  ClickSubscription(Microsoft::WRL::ComPtr<IDispatch> source, std::function<void()> onClick);
  ~ClickSubscription() override;
  ClickSubscription(const ClickSubscription&) = delete;
  ClickSubscription& operator=(const ClickSubscription&) = delete;

  IDispatch* Source() const { return source_.Get(); }

 private:
  Microsoft::WRL::ComPtr<IDispatch> source_;
  Microsoft::WRL::ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

class WinHostEditor : public HostEditor {
 public:
  explicit WinHostEditor(Microsoft::WRL::ComPtr<IDispatch> vbe) : code_(win::Dispatch(std::move(vbe))) {}

  std::shared_ptr<CodePane> ActiveCodePane() override { return code_.ActiveCodePane(); }
  std::shared_ptr<MenuItem> AddToAddInCommandBar(std::u16string_view caption) override {
    return AddMenuItem(caption);
  }
  // AddToAddInCommandBar, typed as made.
  std::shared_ptr<WinMenuItem> AddMenuItem(std::u16string_view caption);
  std::shared_ptr<EventSubscription> CommandBarEvents(const std::shared_ptr<MenuItem>& item,
                                                      std::function<void()> onClick) override;
  WindowRect MainWindow() override;
  float TwipsPerPixelX() override;
  float TwipsPerPixelY() override;
  std::unique_ptr<CommandDialog> NewCommandDialog(Connection& connection) override;
  std::unique_ptr<UpdateDialog> NewUpdateDialog(Connection& connection) override;

  // The editor's main window, to own message boxes; null when unknown.
  HWND MainWindowHandle() noexcept;

 private:
  win::WinVbe code_;
  // The menu items made here, to find the control behind one handed back.
  std::vector<std::weak_ptr<WinMenuItem>> menuItems_;
};

}  // namespace tamvo::addin
