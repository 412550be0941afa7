#include "addin/win/command_dialog_win.h"

#include <windows.h>

#include <algorithm>

#include "addin/dialog_layout.h"
#include "addin/win/com_error.h"
#include "addin/win/screen_scale.h"
#include "addin/win/wide_text.h"
#include "engine/failure.h"
#include "engine/unique_handle.h"

namespace tamvo::addin {

namespace {

constexpr wchar_t kWindowClass[] = L"tamvoCommandDialog";
constexpr int kFirstButtonId = 1000;
constexpr int kFirstFrameId = 900;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Where the dialog's client area stands before it is first centred.
constexpr int kInitialLeftTwips = 2175;
constexpr int kInitialTopTwips = 1935;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

using Font = UniqueHandle<HFONT, DeleteObject>;
using Hook = UniqueHandle<HHOOK, UnhookWindowsHookEx>;

class WinCommandDialog : public CommandDialog {
 public:
  explicit WinCommandDialog(Connection& connection) : connection_(connection) {}
  ~WinCommandDialog() override { Unload(); }

  float Width() override {
    Load();
    RECT frame{};
    GetWindowRect(window_, &frame);
    return static_cast<float>(ScreenScale::Current().TwipsX(frame.right - frame.left));
  }
  float Height() override {
    Load();
    RECT frame{};
    GetWindowRect(window_, &frame);
    return static_cast<float>(ScreenScale::Current().TwipsY(frame.bottom - frame.top));
  }
  void SetLeft(float twips) override {
    Load();
    RECT frame{};
    GetWindowRect(window_, &frame);
    SetWindowPos(window_, nullptr, ScreenScale::Current().PixelsX(twips), frame.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void SetTop(float twips) override {
    Load();
    RECT frame{};
    GetWindowRect(window_, &frame);
    SetWindowPos(window_, nullptr, frame.left, ScreenScale::Current().PixelsY(twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowModeless() override {
    Load();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    // A freshly loaded dialog starts on its first button.
    if (firstShowing_) SetFocus(GetDlgItem(window_, kFirstButtonId));
    firstShowing_ = false;
  }
  void Unload() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }

 private:
  void Load();
  void cmdExec_Click(int index);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);

  Connection& connection_;
  HWND window_ = nullptr;
  Font font_;
  Hook hook_;
  bool firstShowing_ = false;

  // The dialog whose keys the hook routes; one add-in, one dialog per thread.
  static thread_local WinCommandDialog* keyboardOwner_;
};

thread_local WinCommandDialog* WinCommandDialog::keyboardOwner_ = nullptr;

void WinCommandDialog::Load() {
  if (window_ != nullptr) return;
  const HINSTANCE module = ThisModule();
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  if (!GetClassInfoExW(module, kWindowClass, &windowClass)) {
    windowClass = WNDCLASSEXW{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) throw Failure(u"The dialog could not be created");
  }

  const ScreenScale scale = ScreenScale::Current();
  RECT frame{0, 0, scale.PixelsX(kDialogClientWidthTwips), scale.PixelsY(kDialogClientHeightTwips)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  window_ = CreateWindowExW(kExStyle, kWindowClass, ToWide(kDialogCaption).c_str(), kStyle,
                            scale.PixelsX(kInitialLeftTwips) + frame.left,
                            scale.PixelsY(kInitialTopTwips) + frame.top, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, module, this);
  if (window_ == nullptr) throw Failure(u"The dialog could not be created");
  firstShowing_ = true;

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
  }

  // Creation order is tab order.
  auto controls = kDialogLayout;
  std::sort(controls.begin(), controls.end(),
            [](const auto& a, const auto& b) { return a.tabIndex < b.tabIndex; });
  for (const auto& control : controls) {
    int left = control.left;
    int top = control.top;
    if (control.kind == ControlLayout::Button) {
      const auto& frameLayout = *std::find_if(kDialogLayout.begin(), kDialogLayout.end(), [&](const auto& c) {
        return c.kind == ControlLayout::Frame && c.index == control.frame;
      });
      left += frameLayout.left;
      top += frameLayout.top;
    }
    const bool button = control.kind == ControlLayout::Button;
    HWND child = CreateWindowExW(
        0, L"BUTTON", ToWide(control.caption).c_str(),
        WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP | BS_PUSHBUTTON : BS_GROUPBOX), scale.PixelsX(left),
        scale.PixelsY(top), scale.PixelsX(control.width), scale.PixelsY(control.height), window_,
        reinterpret_cast<HMENU>(
            static_cast<INT_PTR>((button ? kFirstButtonId : kFirstFrameId) + control.index)),
        module, nullptr);
    if (child != nullptr && font_)
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }

  // The editor's message loop doesn't know this window: Tab and the access
  // keys reach it through a hook on this thread.
  keyboardOwner_ = this;
  hook_.reset(SetWindowsHookExW(WH_GETMESSAGE, KeyboardHook, nullptr, GetCurrentThreadId()));
}

void WinCommandDialog::cmdExec_Click(int index) {
  try {
    if (const auto command = CommandOfButton(index)) connection_.RunCommand(*command);
  } catch (const Failure& failure) {
    MessageBoxW(window_, ToWide(failure.Description()).c_str(), ToWide(kApplicationTitle).c_str(),
                MB_ICONWARNING);
    return;
  }
  if (window_ != nullptr) ShowWindow(window_, SW_HIDE);
}

LRESULT CALLBACK WinCommandDialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* dialog = reinterpret_cast<WinCommandDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (dialog == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  Guarded(GUID_NULL, [&] { result = dialog->OnMessage(window, message, wParam, lParam); });
  return result;
}

LRESULT WinCommandDialog::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int index = LOWORD(wParam) - kFirstButtonId;
      if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < 6) cmdExec_Click(index);
      return 0;
    }
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_DESTROY:
      hook_.reset();
      if (keyboardOwner_ == this) keyboardOwner_ = nullptr;
      return 0;
    case WM_NCDESTROY:
      font_.reset();
      window_ = nullptr;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      // The class goes with its last window, so an unloaded DLL leaves none behind.
      UnregisterClassW(kWindowClass, ThisModule());
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK WinCommandDialog::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  WinCommandDialog* dialog = keyboardOwner_;
  if (code == HC_ACTION && wParam == PM_REMOVE && dialog != nullptr && dialog->window_ != nullptr &&
      message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST &&
      (message->hwnd == dialog->window_ || IsChild(dialog->window_, message->hwnd)) &&
      IsDialogMessageW(dialog->window_, message)) {
    message->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::unique_ptr<CommandDialog> CreateCommandDialog(Connection& connection) {
  return std::make_unique<WinCommandDialog>(connection);
}

}  // namespace tamvo::addin
